// Bullets (one image of an image list, inline) and hotspots (bullets that are links and show a
// second image under the mouse). The image list is not part of the document: RVF stores its Tag.
#pragma once

#include "engine/document/RVNonTextItems.h"

class TCustomImageList;

class TRVBulletItemInfo : public TRVRectItemInfo {
  TAVRELO_ITEM_CLASS(TRVBulletItemInfo)
 public:
  explicit TRVBulletItemInfo(TCustomRVData* ARVData);
  TRVBulletItemInfo(TCustomRVData* ARVData, int AImageIndex, TCustomImageList* AImageList, TRVVAlign AVAlign);

  virtual int GetImageIndexForState(bool Hot) { (void)Hot; return ImageIndex; }

  void Assign(TPersistent* Source) override;
  int GetImageWidth(TRVStyle* ARVStyle) override;
  int GetImageHeight(TRVStyle* ARVStyle) override;
  int GetWidth(TRVStyle* ARVStyle) override;
  int GetHeight(TRVStyle* ARVStyle) override;
  int GetWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) override;
  int GetHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad) override;
  int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* ARVData) override;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  bool SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) override;
  bool GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) override;
  bool SetExtraIntPropertyEx(int Prop, int Value) override;
  bool GetExtraIntPropertyEx(int Prop, int& Value) override;
  bool SetExtraStrProperty(TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value) override;
  bool GetExtraStrProperty(TRVExtraItemStrProperty Prop, TRVUnicodeString& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;
  TRVRawByteString GetRVFHeaderTailText(TCustomRVData* ARVData) override;
  bool ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings, bool& AssStyleNameUsed) override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                   TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                   bool& AssStyleNameUsed) override;
  void Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
             TCustomRVData* ARVData, bool ForMetafile) override;
  bool PrintToBitmap(TObject* Bkgnd, bool Preview, TCustomRVData* ARVData, int DItemNo, TRVMultiDrawItemPart* Part,
                     TRVColorMode ColorMode) override;

  TCustomImageList* ImageList = nullptr;
  int ImageIndex = 0;
  bool NoHTMLImageSize = false;
  TRVUnicodeString Alt;

 protected:
  // Checks an index read from RVF against the list; false when the read must fail.
  bool CheckImageIndex(int& Index, TCustomRVData* ARVData);
  // Whether the header line counts and writes a "valign" line.
  virtual bool WritesVAlignLine() const { return VAlign != rvvaBaseline; }
};

class TRVHotspotItemInfo : public TRVBulletItemInfo {
  TAVRELO_ITEM_CLASS(TRVHotspotItemInfo)
 public:
  explicit TRVHotspotItemInfo(TCustomRVData* ARVData);
  TRVHotspotItemInfo(TCustomRVData* ARVData, int AImageIndex, int AHotImageIndex, TCustomImageList* AImageList,
                     TRVVAlign AVAlign);

  int GetImageIndexForState(bool Hot) override { return Hot ? HotImageIndex : ImageIndex; }
  void Assign(TPersistent* Source) override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  bool SetExtraIntPropertyEx(int Prop, int Value) override;
  bool GetExtraIntPropertyEx(int Prop, int& Value) override;
  TRVRawByteString GetRVFHeaderTailText(TCustomRVData* ARVData) override;
  bool ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings, bool& AssStyleNameUsed) override;

  int HotImageIndex = 0;
};
