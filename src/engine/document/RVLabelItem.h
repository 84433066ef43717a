// The label: text that behaves as one object (measured, drawn and selected whole) in a text style
// of its own, with a minimum width and an alignment inside it, a border and a background. The
// base of numbered sequences, note references, page fields and notes.
#pragma once

#include "engine/document/RVNonTextItems.h"
#include "platform/base/Classes.h"
#include "platform/ui/Controls.h"  // TAlignment
constexpr TCursor crDefault = 0;

class TRVLabelItemInfo : public TRVRectItemInfo {
  TAVRELO_ITEM_CLASS(TRVLabelItemInfo)
 public:
  explicit TRVLabelItemInfo(TCustomRVData* ARVData);
  TRVLabelItemInfo(TCustomRVData* ARVData, int TextStyleNo, const TRVUnicodeString& AText);

  // ---- attributes ----
  virtual int GetTextStyleNo() const { return FTextStyleNo; }
  virtual void SetTextStyleNo(int Value);
  int GetAssociatedTextStyleNo() const override { return GetTextStyleNo(); }
  void SetAssociatedTextStyleNo(int Value) override { SetTextStyleNo(Value); }
  const TRVUnicodeString& GetText() const { return FText; }
  void SetText(const TRVUnicodeString& Value);
  TRVStyleLength GetMinWidth() const { return FMinWidth; }
  void SetMinWidth(TRVStyleLength Value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }
  TRVStyle* GetRVStyle() const;
  TCustomRVData* GetParentRVData() const { return FParentRVData; }
  virtual void SetParentRVData(TCustomRVData* Value) { FParentRVData = Value; }
  bool IsUpdated() const { return FUpdated; }
  void Invalidate() { FUpdated = false; }

  // ---- virtual operations of the label ----
  virtual void DrawLabel(const TRect& Rect, TCanvas* Canvas, const TRVScreenAndDevice* sad, int BorderV, int BorderH,
                         bool ForMetafile, TCustomRVData* ARVData, const TRVUnicodeString& Text,
                         TRVColorMode ColorMode, TRVDrawLineInfo* dli, const TRVItemDrawStates& State);
  virtual TRVUnicodeString GetTextForPrinting(TCustomRVData* ARVData, TRVDrawLineInfo* DrawItem, int DispPageNo,
                                              int PageCount);
  virtual TRVUnicodeString GetDisplayText(TCustomRVData* ARVData);

  // ---- overrides ----
  void Assign(TPersistent* Source) override;
  bool GetBoolValue(TRVItemBoolProperty Prop) const override;
  bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle) override;
  int GetWidth(TRVStyle* ARVStyle) override;
  int GetHeight(TRVStyle* ARVStyle) override;
  int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* ARVData) override;
  void Inserted(TCustomRVData* ARVData, int ItemNo) override;
  void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem) override;
  void MovingFromUndoList(int ItemNo, TCustomRVData* ARVData) override;
  void AfterLoading(TRVLoadFormat FileFormat) override;
  void Execute(TCustomRVData* ARVData) override;
  bool MouseMove(const TShiftState& Shift, int X, int Y, int ItemNo, TCustomRVData* ARVData) override;
  void ApplyStyleConversion(TCustomRVData* ARVData, int ItemNo, int UserData, int ConvType, bool Recursive) override;
  void ConvertToDifferentUnits(TRVStyleUnits NewUnits, TRVStyle* ARVStyle, bool Recursive) override;
  bool SetExtraIntPropertyEx(int Prop, int Value) override;
  bool GetExtraIntPropertyEx(int Prop, int& Value) override;
  bool SetExtraStrPropertyEx(int Prop, const TRVUnicodeString& Value) override;
  bool GetExtraStrPropertyEx(int Prop, TRVUnicodeString& Value) override;
  TRVReformatType GetExtraIntPropertyReformat(int Prop) override;
  TRVReformatType GetExtraStrPropertyReformat(int Prop) override;
  bool SetExtraCustomProperty(const TRVRawByteString& PropName, const TRVUnicodeString& Value) override;
  int GetRVFExtraPropertyCount() override;
  void SaveRVFExtraProperties(TStream* Stream) override;
  void MarkStylesInUse(TRVDeleteUnusedStylesData* Data) override;
  void UpdateStyles(TRVDeleteUnusedStylesData* Data) override;
  TRVUnicodeString AsText(TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                          TObject* SavingData) override;
  void SaveFormattingToStream(TStream* Stream) override;
  void LoadFormattingFromStream(TStream* Stream) override;
  void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                        const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                        const TRVDocWidthChangeStates& State) override;
  int GetFinalPrintingWidth(TCanvas* Canvas, TRVDrawLineInfo* dli, TCustomRVData* ARVData, int PageNo, int PageCount,
                            const TRVScreenAndDevice* PSaD) override;
  void Paint(int X, int Y, TCanvas* Canvas, const TRVItemDrawStates& State, TRVDrawLineInfo* dli,
             TCustomRVData* ARVData, bool ForMetafile) override;
  void Print(TCanvas* Canvas, int X, int Y, int x2, bool Printing, bool Preview, bool Correction,
             const TRVScreenAndDevice& sad, TRVMultiDrawItemPart* Part, TRVColorMode ColorMode, TCustomRVData* ARVData,
             TRVDrawLineInfo* dli, int PageNo, bool ForMetafile) override;
  void SaveRVF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int AParaNo, const TRVUnicodeString& Name,
               TRVMultiDrawItemPart* Part, bool ForceSameAsPrev, const TRVScreenAndDevice* PSaD) override;
  bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                   TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                   bool& AssStyleNameUsed) override;
  void SaveRTF(TStream* Stream, TCustomRVData* ARVData, int ItemNo, int ALevel, TRVRTFSavingData* SavingData,
               TRVRTFDocType DocType, bool HiddenParent) override;
  void FillRTFTables(TCustomRVRTFTables* RTFTables, TRVIntegerList* ListOverrideCountList,
                     TCustomRVData* ARVData) override;
  void SaveOOXML(TStream* Stream, TCustomRVData* ARVData, int ItemNo, TRVDocXSavingData* SavingData,
                 bool HiddenParent) override;
  void SaveToHTML(TStream* Stream, TCustomRVData* ARVData, int ItemNo, const TRVUnicodeString& AText,
                  const TRVUnicodeString& Path, const TRVUnicodeString& imgSavePrefix, int& imgSaveNo,
                  TColor CurrentFileColor, const TRVSaveOptions& SaveOptions, bool UseCSS, TRVList* Bullets,
                  TRVHTMLListCSSList* ListBullets) override;

  // The text style in effect (paragraph default and templates resolved; a changed mapping is
  // stored into the item unless it takes the paragraph default).
  int ResolveTextStyle(TCustomRVData* ARVData);
  // Measures Text in the resolved style; nothing without a style sheet.
  void MeasureLabel(int& AWidth, int& AHeight, const TRVScreenAndDevice* sad, TCanvas* Canvas,
                    const TRVUnicodeString& Text, TCustomRVData* ARVData, bool ApplyMinWidth, bool CanUseCustomPPI,
                    int& ADescend, int& AYOffs);
  void UpdateMe();

  // The label lines of an RVF record after its text (style, minimal width, alignment, protection).
  void WriteLabelPropertyLines(TStream* Stream, TCustomRVData* ARVData);
  // The item's RVF header line, announcing LineCount lines after it.
  void WriteLabelRVFHeader(TStream* Stream, TCustomRVData* ARVData, int AParaNo, bool ForceSameAsPrev, int LineCount);
  // One of those lines, by its index 0..3; false on a bad number.
  bool ReadLabelPropertyLine(int Index, const TRVRawByteString& s, TCustomRVData* ARVData, bool UTF8Strings,
                             bool& AssStyleNameUsed);

  // Cached measurement (screen pixels).
  int Width = 0, Height = 0, Descend = 0, YOffs = 0;
  bool ProtectTextStyleNo = false;
  bool RemoveInternalLeading = false;
  bool RemoveSpaceBelow = false;
  bool UseTypoMetric = true;
  TCursor Cursor = crDefault;

 protected:
  TRVStyleLength FMinWidth = 0;
  TAlignment FAlignment = taLeftJustify;
  bool FCanUseCustomPPI = false;
  TCustomRVData* FParentRVData = nullptr;
  int FTextStyleNo = 0;
  TRVUnicodeString FText;
  bool FUpdated = false;
};
