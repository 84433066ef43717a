// The one place where the engine decides what kind of picture a graphic, an extension or a
// stream of bytes is, which class to create for a kind, and how to load, save and convert
// pictures. One process-wide instance, GraphicHandler; its main operations are virtual so that
// a descendant may take its place.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "engine/foundation/RVTypes.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Pictures.h"

enum TRVGraphicType {
  rvgtBitmap, rvgtIcon, rvgtMetafile, rvgtJPEG, rvgtPNG, rvgtGIF, rvgtTIFF, rvgtAnyMap, rvgtOther
};

class TRVGraphicHandler : public TObject {
 public:
  TRVGraphicHandler();
  ~TRVGraphicHandler() override;

  virtual TRVUnicodeString GetGraphicExt(const TGraphic* graphic);
  virtual TRVGraphicType GetGraphicType(const TGraphic* graphic);
  virtual TGraphicClass GetGraphicClassByType(TRVGraphicType graphicType);
  virtual bool IsTransparent(const TGraphic* graphic);
  virtual bool IsVectorGraphic(const TGraphic* graphic);
  virtual bool IsVectorGraphic2(TGraphicClass graphicClass);
  virtual bool IsResizeable(const TGraphic* graphic);
  virtual bool IsResizeable2(TGraphicClass graphicClass);
  virtual bool IsHTMLGraphic(const TGraphic* graphic);
  virtual TGraphicClass GetGraphicClass(const TRVUnicodeString& aClassName);
  virtual std::unique_ptr<TGraphic> LoadFromFile(const TRVUnicodeString& fileName);
  virtual std::unique_ptr<TGraphic> LoadFromStream(TStream& stream);
  virtual void PrepareGraphic(TGraphic* graphic);
  virtual void AfterImportGraphic(TGraphic* graphic);
  // PLogPal: a logical palette, or null. Palettes have no effect on this platform's devices.
  virtual void SetPalette(TGraphic* graphic, const void* pLogPal);
  virtual void RegisterPngGraphic(TGraphicClass graphicClass);
  virtual HICON GetIconHandle(const TGraphic* graphic);
  virtual HENHMETAFILE GetMetafileHandle(const TGraphic* graphic);
  virtual void AfterLoadMetafile(TGraphic* graphic);
  virtual void GetMetafileMMSize(const TGraphic* graphic, TSize& size);
  virtual bool IsEnhancedMetafile(const TGraphic* graphic);
  virtual void SetMetafileEnhanced(TGraphic* graphic, bool enhanced);
  virtual void SetMetafileHandle(TGraphic* graphic, HENHMETAFILE handle);
  virtual void SetBitmapHandle(TGraphic* graphic, HBITMAP handle, bool aCopy);
  virtual HBITMAP GetBitmapHandle(TGraphic* graphic);
  virtual int GetBitmapScanLineWidth(const TGraphic* graphic);
  virtual TCanvas* GetBitmapCanvas(TGraphic* graphic);
  virtual bool IsJpegClassAssigned();
  virtual void RegisterJpegGraphic(TGraphicClass graphicClass);
  virtual bool CanConvertIconToPng();
  virtual std::unique_ptr<TGraphic> IconToPng(const TGraphic* graphic);
  virtual std::unique_ptr<TGraphic> BitmapToPng(TBitmap* bitmap);

  static TRVGraphicType GetDataGraphicType(const void* buffer, std::int64_t size);
  static TRVGraphicType GetStreamGraphicType(TStream& stream);
  static bool GetGraphicTypeByExt(const TRVUnicodeString& ext, TRVGraphicType& graphicType);
  std::unique_ptr<TGraphic> CreateGraphicByType(TRVGraphicType graphicType);
  std::unique_ptr<TGraphic> CreateGraphic(TGraphicClass graphicClass);
  void SetDefaultGraphicClass(TRVGraphicType graphicType, TGraphicClass graphicClass);
  bool IsPngClassAssigned();
  void RegisterHTMLGraphicFormat(TGraphicClass graphicClass);
  void SaveToFile(TGraphic* graphic, const TRVUnicodeString& fileName);
  void LoadGraphicFromFile(TGraphic* graphic, const TRVUnicodeString& fileName);
  void AssignToBitmap(const TGraphic* graphic, TBitmap* bmp);
  std::unique_ptr<TBitmap> ToBitmap(const TGraphic* graphic);
  void MakeBitmapTransparent(TBitmap* bitmap);
  void ConvertBitmapTo32Bit(TBitmap* bitmap);
  void ConvertBitmapTo24Bit(TBitmap* bitmap);
  std::unique_ptr<TGraphic> GraphicToPng(TGraphic* graphic);
  std::unique_ptr<TBitmap> ExtractBitmapFromMetafile(const TGraphic* graphic);

 protected:
  std::unique_ptr<std::vector<TGraphicClass>> FHTMLGraphicFormats;
  std::array<TGraphicClass, rvgtOther + 1> FDefaultGraphicClasses{};
};

// The process-wide handler, created when the program starts and freed when it ends. A
// descendant may be put in its place.
extern TRVGraphicHandler* GraphicHandler;
