// List markers: the item that begins a paragraph of a list (a bullet, a picture, an image-list
// image or a computed number such as 2.a) in a level of a list style), and the list of a
// document tree's markers in document order that numbers them, with its stream forms.
#pragma once

#include "engine/document/RVNonTextItems.h"
#include "engine/styles/ListInfo.h"

class TRVMarkerList;

class TRVMarkerItemInfo : public TRVSimpleRectItemInfo {
  TAVRELO_ITEM_CLASS(TRVMarkerItemInfo)
 public:
  explicit TRVMarkerItemInfo(TCustomRVData* ARVData);
  TRVMarkerItemInfo(TCustomRVData* ARVData, int AListNo, int ALevel, int AStartFrom, bool AReset);

  // The level record in use: none for a negative list or level or a list without levels; a level
  // beyond the last is taken as the last.
  TRVListLevel* GetLevelInfo(TRVStyle* ARVStyle) const;
  TRVListLevel* GetLevelInfoEx(TRVStyle* ARVStyle, int LevelNo) const;
  int GetIndexInList(TList* List);
  // The text of DisplayString for the marker at Index of List.
  void CalcDisplayString(TRVStyle* ARVStyle, TRVMarkerList* List, int Index);

  void Assign(TPersistent* Source) override;
  void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) override;
  void MarkStylesInUse(TRVDeleteUnusedStylesData* Data) override;
  void UpdateStyles(TRVDeleteUnusedStylesData* Data) override;
  bool SetExtraIntProperty(TRVExtraItemProperty Prop, int Value) override;
  bool GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  int GetWidth(TRVStyle*) override { return FWidth; }
  int GetHeight(TRVStyle*) override { return FHeight; }
  int GetLeftOverhang() override { return FOverhang; }
  int GetImageWidth(TRVStyle* ARVStyle) override;
  int GetImageHeight(TRVStyle* ARVStyle) override;
  int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* ARVData) override;
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                        const TRVDocWidthChangeStates& State) override;
  void Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
             TCustomRVData* ARVData, bool ForMetafile) override;
  void Print(TCanvas* Canvas, int X, int Y, int x2, bool Printing, bool Preview, bool Correction,
             const TRVScreenAndDevice& sad, TRVMultiDrawItemPart* Part, TRVColorMode ColorMode, TCustomRVData* ARVData,
             TRVDrawLineInfo* dli, int PageNo, bool ForMetafile) override;
  TRVRawByteString GetRVFHeaderTailText(TCustomRVData* ARVData) override;
  bool ReadRVFHeaderTail(const char*& P, TCustomRVData* ARVData, bool UTF8Strings, bool& AssStyleNameUsed) override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  void FillRTFTables(TCustomRVRTFTables* RTFTables, TRVIntegerList* ListOverrideCountList,
                     TCustomRVData* ARVData) override;
  void SaveRTF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int ALevel, TRVRTFSavingData* SavingData,
               TRVRTFDocType DocType, bool HiddenParent) override;
  TRVUnicodeString AsText(TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                          TObject* SavingData) override;
  // The list-level tags that lead from the previous marker (nil: none) to this one.
  void SaveHTMLSpecial(TStream* Stream, TRVMarkerItemInfo* Prev, TRVStyle* ARVStyle, bool UseCSS,
                       const TRVSaveOptions& SaveOptions, TRVHTMLListCSSList* ListBullets);
  void HTMLOpenOrCloseTags(TStream* Stream, int OldLevelNo, int NewLevelNo, TRVStyle* ARVStyle,
                           const TRVSaveOptions& SaveOptions, bool UseCSS, TRVHTMLListCSSList* ListBullets);
  // The CSS of the list item, declarations joined by "; ".
  TRVAnsiString GetLICSS(TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& ImageLocation);

  // Measures the marker: width, height, descent, overhang and marker offset; all 0 without a level.
  void MeasureMarker(TCanvas* Canvas, TCustomRVData* ARVData, const TRVScreenAndDevice* sad, bool ForMinWidth,
                     int& AWidth, int& AHeight, int& ADescent, int& AOverhang, int& AMarkerOffset, int& AMinWidth);

  int FWidth = 0, FHeight = 0, FDescent = 0, FOverhang = 0;
  int FCachedIndexInList = -1;
  int ListNo = -1;
  int Level = -1;
  int Counter = 1;
  bool Reset = false;
  int StartFrom = 0;
  TRVUnicodeString DisplayString;
  bool NoHTMLImageSize = false;

 private:
  void DrawMarker(TCanvas* Canvas, int X, int Y, TRVDrawLineInfo* dli, TCustomRVData* ARVData,
                  const TRVItemDrawStates& State, TRVColorMode ColorMode, const TRVScreenAndDevice* sad, bool Printing);
  void ApplyMarkerFont(TCanvas* Canvas, TRVListLevel* L, TCustomRVData* ARVData, TRVStyle* st, bool CustomPPI);
};

// The level record of list ListNo for LevelNo, clamped to the last level; nil for a negative list
// or level, a list out of range or a list without levels.
TRVListLevel* FindListLevel(TRVStyle* ARVStyle, int ListNo, int LevelNo);

class TRVMarkerList : public TList {
 public:
  ~TRVMarkerList() override;
  TRVMarkerItemInfo* Items(int Index) const { return static_cast<TRVMarkerItemInfo*>(Get(Index)); }
  int InsertAfter(TRVMarkerItemInfo* InsertMe, TRVMarkerItemInfo* AfterMe);
  // The nearest marker before Index with the same list and a smaller level, continuing in
  // PrevMarkerList; false without one.
  bool FindParentMarker(int Index, TRVMarkerItemInfo* Marker, TRVMarkerList*& ParentList, int& ParentIndex) const;
  void RecalcCounters(int StartFrom, TRVStyle* ARVStyle, bool ForAllLists);

  // Stream forms: (size), 0, count, then 17 bytes per marker.
  void SaveToStream(TStream* Stream, int ACount, bool IncludeSize) const;
  // False (and the list left empty) on a damaged or truncated record.
  bool LoadFromStream(TStream* Stream, TCustomRVData* RVData, bool IncludeSize);
  void SaveTextToStream(TStream* Stream, int ACount) const;
  bool LoadText(const TRVRawByteString& S, TCustomRVData* RVData);
  bool LoadBinary(const TRVRawByteString& S, TCustomRVData* RVData);
  void Clear() override;

  TRVMarkerList* PrevMarkerList = nullptr;

 private:
  // Markers made by loading a stream, owned by the list.
  std::vector<std::unique_ptr<TRVMarkerItemInfo>> FOwned;
};
