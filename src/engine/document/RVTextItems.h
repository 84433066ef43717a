// The items of running text: text runs (any style number from 0 up), the tab character (kind
// -12) drawn in a text style of its own with optional leader characters, and the list that holds
// a document's items (whose texts are the items' own ItemText).
#pragma once

#include "engine/document/RVNonTextItems.h"
#include "engine/styles/RVBorder.h"

class TRVItemList : public TList {
 public:
  // Stores the text in the item, then appends or inserts it.
  int AddObject(TRVUnicodeString ItemText, TCustomRVItemInfo* Item);
  void InsertObject(int Index, const TRVUnicodeString& ItemText, TCustomRVItemInfo* Item);
  int IndexOfObject(const TCustomRVItemInfo* Item) const { return IndexOf(const_cast<TCustomRVItemInfo*>(Item)); }
  // The text of entry Index is its item's ItemText.
  const TRVUnicodeString& GetItem(int Index) const { return GetObject(Index)->ItemText; }
  void SetItem(int Index, const TRVUnicodeString& Value) { GetObject(Index)->ItemText = Value; }
  TCustomRVItemInfo* GetObject(int Index) const { return static_cast<TCustomRVItemInfo*>(Get(Index)); }
  // Replaces the pointer only.
  void SetObject(int Index, TCustomRVItemInfo* Item) { Put(Index, Item); }
};

class TRVTextItemInfo : public TCustomRVItemInfo {
  TAVRELO_ITEM_CLASS(TRVTextItemInfo)
 public:
  using TCustomRVItemInfo::TCustomRVItemInfo;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  bool ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings, bool& AssStyleNameUsed) override;
  void Execute(TCustomRVData* ARVData) override;
  void MarkStylesInUse(TRVDeleteUnusedStylesData* Data) override;
  void UpdateStyles(TRVDeleteUnusedStylesData* Data) override;
};

class TRVTabItemInfo : public TRVSimpleRectItemInfo {
  TAVRELO_ITEM_CLASS(TRVTabItemInfo)
 public:
  explicit TRVTabItemInfo(TCustomRVData* ARVData);

  int GetTextStyleNo() const { return FTextStyleNo; }
  void SetTextStyleNo(int Value) { FTextStyleNo = Value; }
  int GetAssociatedTextStyleNo() const override { return FTextStyleNo; }
  void SetAssociatedTextStyleNo(int Value) override { FTextStyleNo = Value; }

  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  void Assign(TPersistent* Source) override;
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                        const TRVDocWidthChangeStates& State) override;
  void Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
             TCustomRVData* ARVData, bool ForMetafile) override;
  void Print(TCanvas* Canvas, int X, int Y, int x2, bool Printing, bool Preview, bool Correction,
             const TRVScreenAndDevice& sad, TRVMultiDrawItemPart* Part, TRVColorMode ColorMode, TCustomRVData* ARVData,
             TRVDrawLineInfo* dli, int PageNo, bool ForMetafile) override;
  void ApplyStyleConversion(TCustomRVData* ARVData, int ItemNo, int UserData, int ConvType, bool Recursive) override;
  void MarkStylesInUse(TRVDeleteUnusedStylesData* Data) override;
  void UpdateStyles(TRVDeleteUnusedStylesData* Data) override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  bool ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings, bool& AssStyleNameUsed) override;
  TRVUnicodeString AsText(TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                          TObject* SavingData) override;
  void SaveRTF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int ALevel, TRVRTFSavingData* SavingData,
               TRVRTFDocType DocType, bool HiddenParent) override;
  void SaveOOXML(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                 bool HiddenParent) override;
  void SaveToHTML(TStream* Stream, TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                  const TRVUnicodeString& Path, const TRVUnicodeString& imgSavePrefix, int& imgSaveNo,
                  TColor CurrentFileColor, const TRVSaveOptions& SaveOptions, bool UseCSS, TRVList* Bullets,
                  TRVHTMLListCSSList* ListBullets) override;
  void SaveFormattingToStream(TStream* Stream) override;
  void LoadFormattingFromStream(TStream* Stream) override;

  // The text style the tab is measured and drawn in (paragraph default and template resolved).
  int ResolveTextStyle(TCustomRVData* ARVData);

  TRVUnicodeString Leader;
  TRVTabAlign Align = rvtaLeft;

 private:
  void DrawTab(TCanvas* Canvas, int X, int Y, TRVDrawLineInfo* dli, TCustomRVData* ARVData,
               const TRVItemDrawStates& State, TRVColorMode ColorMode, bool Printing, const TRVScreenAndDevice* PSaD);
  int FTextStyleNo = 0;
};

// The colour mode documents are painted in on screen.
TRVColorMode RVScreenColorMode(TCustomRVData* ARVData);
// "-1" for a forced continuation, else the paragraph reference by the document's options.
TRVRawByteString RVFItemParaRef(TCustomRVData* ARVData, int ParaNo, bool ForceSameAsPrev);
TRVRawByteString RVFTextStyleRef(TCustomRVData* ARVData, int StyleNo);
