// Picture items: an inline picture held by a graphic holder, optionally stretched, with the
// decorations of rectangular items; hot pictures (pictures that are links); and the printing
// draw item that cuts a tall bitmap picture across pages.
#pragma once

#include <memory>
#include <vector>

#include "engine/document/RVAnimatorLink.h"
#include "engine/document/RVNonTextItems.h"
#include "engine/foundation/RVGraphicHolder.h"

class TRVGraphicItemInfo : public TRVRectItemInfo {
  TAVRELO_ITEM_CLASS(TRVGraphicItemInfo)
 public:
  explicit TRVGraphicItemInfo(TCustomRVData* ARVData);
  // The holder takes ownership of AImage.
  TRVGraphicItemInfo(TCustomRVData* ARVData, std::unique_ptr<TGraphic> AImage, TRVVAlign AVAlign);
  ~TRVGraphicItemInfo() override;

  TGraphic* GetImage() { return GraphicHolder->GetGraphic(); }
  bool GetShared() const { return GraphicHolder->GetShared(); }
  void SetShared(bool Value) { GraphicHolder->SetShared(Value); }

  void Assign(TPersistent* Source) override;
  std::unique_ptr<TGraphic> AsImage() override;
  int GetImageWidth(TRVStyle* ARVStyle) override;
  int GetImageHeight(TRVStyle* ARVStyle) override;
  int GetImageWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) override;
  int GetImageHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) override;
  int GetWidth(TRVStyle* ARVStyle) override;
  int GetHeight(TRVStyle* ARVStyle) override;
  int GetWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) override;
  int GetHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) override;
  int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* ARVData) override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) override;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  bool HasThumbnail() override { return ImageCopy && FHasThumbnail; }
  void FreeThumbnail() override;
  void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) override;

  bool SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) override;
  bool GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) override;
  bool SetExtraStrProperty(TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value) override;
  bool GetExtraStrProperty(TRVExtraItemStrProperty Prop, TRVUnicodeString& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                   TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                   bool& AssStyleNameUsed) override;

  void Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
             TCustomRVData* ARVData, bool ForMetafile) override;
  void Print(TCanvas* Canvas, int X, int Y, int x2, bool Printing, bool Preview, bool Correction,
             const TRVScreenAndDevice& sad, TRVMultiDrawItemPart* Part, TRVColorMode ColorMode, TCustomRVData* ARVData,
             TRVDrawLineInfo* dli, int PageNo, bool ForMetafile) override;
  // Draws the picture (or, for a page part, the part's rows) into Bkgnd, a TBitmap.
  bool PrintToBitmap(TObject* Bkgnd, bool Preview, TCustomRVData* ARVData, int DItemNo, TRVMultiDrawItemPart* Part,
                     TRVColorMode ColorMode) override;
  // A TRVMultiImagePrintInfo when the picture can be cut across pages, else a plain draw item.
  std::unique_ptr<TRVDrawLineInfo> CreatePrintingDrawItem(TCustomRVData* ARVData, const TRVScreenAndDevice* sad);
  // Asks the animation module for an animator when the document can animate (see RVAnimatorLink.h).
  void UpdateAnimator(TCustomRVData* ARVData) override;
  void RemoveLinkToAnimator() override { FAnimator = nullptr; }
  TRVItemAnimator* GetAnimator() const { return FAnimator; }
  void FreeAnimator();

  bool FResizable = true;
  bool FHasThumbnail = false;
  std::unique_ptr<TRVGraphicHolder> GraphicHolder;
  std::unique_ptr<TGraphic> ImageCopy;
  TRVStyleLength ImageWidth = 0, ImageHeight = 0;
  int Interval = 0;
  bool NoHTMLImageSize = false;
  TRVUnicodeString Alt;
  TRVUnicodeString ImageFileName;
  // Owned. Not a unique_ptr: the animator's destructor calls RemoveLinkToAnimator, which clears
  // this field while the animator is being freed.
  TRVItemAnimator* FAnimator = nullptr;

 private:
  bool ReadPictureData(const TRVRawByteString& s, TCustomRVData* ARVData, bool Hex);
  void UseInvalidPicture(TCustomRVData* ARVData);
  TRVRawByteString FClassName;
};

class TRVHotGraphicItemInfo : public TRVGraphicItemInfo {
  TAVRELO_ITEM_CLASS(TRVHotGraphicItemInfo)
 public:
  explicit TRVHotGraphicItemInfo(TCustomRVData* ARVData);
  TRVHotGraphicItemInfo(TCustomRVData* ARVData, std::unique_ptr<TGraphic> AImage, TRVVAlign AVAlign);
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
};

// One page part of a picture cut across pages: rows ImgTop.. ImgTop + ImgHeight - 1 (screen pixels).
class TRVImagePrintPart : public TRVMultiDrawItemPart {
 public:
  using TRVMultiDrawItemPart::TRVMultiDrawItemPart;
  int GetImageHeight() override { return ImgHeight; }
  int GetSoftPageBreakInfo() override { return ImgTop; }
  int ImgTop = 0;
  int ImgHeight = 0;
};

// The printing draw item of a picture (or control) that may be cut across pages.
class TRVMultiImagePrintInfo : public TRVDrawLineInfo {
 public:
  TRVMultiImagePrintInfo(TRVRectItemInfo* AItem, TCustomRVData* ARVData) : FItem(AItem), FRVData(ARVData) {}
  bool InitSplit(const TRVScreenAndDevice& sad, bool IgnorePageBreaks) override;
  bool CanSplitFirst(int Y, const TRVScreenAndDevice& sad, bool FirstOnPage, bool PageHasFootnotes,
                     bool FootnotesChangeHeight, bool IgnorePageBreaks) override;
  bool SplitAt(int Y, const TRVScreenAndDevice& sad, bool FirstOnPage, TList*& FootnoteRVDataList, int& MaxHeight,
               bool FootnotesChangeHeight, bool IgnorePageBreaks) override;
  void SetSize(int, int) override {}  // the size set at creation stays
  void SetCreationSize(int AWidth, int AHeight) { TRVDrawLineInfo::SetSize(AWidth, AHeight); }
  std::vector<std::unique_ptr<TRVImagePrintPart>>& Parts() { return FParts; }

 private:
  int BorderRows() const;
  TRVRectItemInfo* FItem;
  TCustomRVData* FRVData;
  std::vector<std::unique_ptr<TRVImagePrintPart>> FParts;
};
