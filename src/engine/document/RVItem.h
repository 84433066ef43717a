// Items: the base class of everything a document holds (text runs and objects), the checkpoint
// record attached to items, the registry that maps item kinds to classes, the item factory, the
// option rules of paragraph structure, live-spelling marks and the generic extra properties.
#pragma once

#include <functional>
#include <memory>

#include "engine/document/DLines.h"
#include "engine/document/RVSavingData.h"
#include "engine/foundation/RVClasses.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/foundation/RVVAlign.h"
#include "engine/foundation/RVWordPainter.h"
#include "engine/styles/RVStyleTypes.h"
#include "platform/base/Persistent.h"
#include "platform/graphics/Pictures.h"

class TCustomRVData;
class TRVStyle;
class TGraphic;
class TCanvas;
class TStream;
class TRVDeleteUnusedStylesData;
class TRVHTMLListCSSList;
class TParaInfo;
class TCustomRVItemInfo;

// ---- kinds ---------------------------------------------------------------------------------------

constexpr int StyleNoFromParagraph = 2147483647;
constexpr int ItemKindHorizontalLine = -1;
constexpr int ItemKindPicture = -3;
constexpr int ItemKindHotspot = -4;
constexpr int ItemKindControl = -5;
constexpr int ItemKindBullet = -6;
constexpr int ItemKindHotPicture = -10;
constexpr int ItemKindListMarker = -11;
constexpr int ItemKindTab = -12;
constexpr int ItemKindTable = -60;
constexpr int ItemKindLabel = -200;
constexpr int ItemKindSequence = -202;
constexpr int ItemKindFootnote = -203;
constexpr int ItemKindEndnote = -204;
constexpr int ItemKindNoteReference = -205;
constexpr int ItemKindSidenote = -206;
constexpr int ItemKindTextBox = -207;
constexpr int ItemKindPageNumber = -208;
constexpr int ItemKindPageCount = -209;

// ---- options, states and questions -------------------------------------------------------------

enum TRVItemOption : std::uint8_t {
  rvioSameAsPrev, rvioPageBreakBefore, rvioBR, rvioUnicode, rvioClearLeft, rvioClearRight, rvioGroupWithNext
};
using TRVItemOptions = TSet<TRVItemOption, 8>;

enum TRVItemState : std::uint8_t { rvisSpellChecked };
using TRVItemStates = TSet<TRVItemState, 8>;

enum TRVItemBoolProperty : std::uint8_t {
  rvbpFullWidth, rvbpValid, rvbpRequiresRVFLines, rvbpDrawingChangesFont, rvbpSwitchToAssStyleNo,
  rvbpFloating, rvbpIgnorePara, rvbpAlwaysInText, rvbpIsPrintField, rvbpHasSubRVData, rvbpDocXInRun,
  rvbpDocXOnlyBeforeAfter, rvbpNoHTML, rvbpKeepWithPrior, rvbpIsNote, rvbpImmediateControlOwner,
  rvbpPlaceholder, rvbpClickSelect
};
enum TRVItemBoolPropertyEx : std::uint8_t {
  rvbpPrintToBMP, rvbpPrintSupportsMetafiles, rvbpPrintToBMPIfNoMetafiles, rvbpJump, rvbpAllowsFocus,
  rvbpXORFocus, rvbpHotColdJump, rvbpActualPrintSize, rvbpDisplayActiveState, rvbpHasPrintingWidth,
  rvbpResizable, rvbpResizeHandlesOutside, rvbpSpecialPrintImageWidth, rvbpItemPrintsBackground
};

// What an item tells its document about its life cycle.
enum TRVItemAction : std::uint8_t {
  rviaInserting, rviaInserted, rviaTextModifying, rviaDestroying, rviaMovingToUndoList
};
enum TRVControlAction : std::uint8_t {
  rvcaAfterRVFLoad,
  rvcaDestroy,
  rvcaMoveToUndoList,
  rvcaMoveFromUndoList,
  rvcaBeforeRVFSave,
  rvcaAfterRVFSave,
  rvcaDestroyInUndoList
};

// The state in which an item is drawn.
enum TRVItemDrawState : std::uint8_t {
  rvidsSelected, rvidsCurrent, rvidsHover, rvidsPrint, rvidsControlFocused, rvidsCanUseCustomPPI,
  rvidsUseWordPainters, rvidsDrawPage, rvidsDrawInplaceOnMainCanvas, rvidsPrintSimulation
};
using TRVItemDrawStates = TSet<TRVItemDrawState, 16>;

// Circumstances of a re-measurement for a new document width.
enum TRVDocWidthChangeState : std::uint8_t {
  rvdwcsUseFormatCanvas, rvdwcsPrinting, rvdwcsReformatting, rvdwcsNoCaching, rvdwcsNoMetafiles,
  rvdwcsMetafileCompatibility, rvdwcsThisLevelOnly
};
using TRVDocWidthChangeStates = TSet<TRVDocWidthChangeState, 8>;

// rvlfURL: a URL pasted or dropped as a hyperlink.
enum TRVLoadFormat : std::uint8_t { rvlfRVF, rvlfRTF, rvlfHTML, rvlfText, rvlfDocX, rvlfOther, rvlfURL };
enum TRVReformatType : std::uint8_t { rvrfNone, rvrfRepaint, rvrfNormal, rvrfFull, rvrfSRVReformat, rvrfSRVRepaint };
enum TRVSubRVDataPos : std::uint8_t { rvdFirst, rvdLast, rvdChosenUp, rvdChosenDown, rvdNext, rvdPrev };
enum TRVEnterDirection : std::uint8_t { rvedLeft, rvedRight, rvedTop, rvedBottom };
enum TRVRTFDocType : std::uint8_t { rvrtfdtMain, rvrtfdtHeaderFooter, rvrtfdtNote, rvrtfdtTextBox };
// How RVF text is read into an item record (the reader's modes, Part of the format reader).
enum TRVFReadMode : std::uint8_t { rmText, rmBeforeBinary, rmBinary, rmBeforeUnicode, rmUnicode, rmAfterUnicode };
enum TRVFReadState : std::uint8_t { rstHeader, rstData, rstSkip };

// ---- extra properties ------------------------------------------------------------------------------

enum TRVExtraItemProperty : std::uint8_t {
  rvepUnknown, rvepVShift, rvepVShiftAbs, rvepImageWidth, rvepImageHeight, rvepTransparent,
  rvepTransparentMode, rvepTransparentColor, rvepMinHeightOnPage, rvepSpacing, rvepResizable,
  rvepDeleteProtect, rvepNoHTMLImageSize, rvepAnimationInterval, rvepVisible, rvepHidden, rvepShared,
  rvepBorderWidth, rvepColor, rvepBorderColor, rvepOuterHSpacing, rvepOuterVSpacing, rvepVAlign
};
constexpr int RVExtraItemPropertyCount = 23;
enum TRVExtraItemStrProperty : std::uint8_t { rvespUnknown, rvespHint, rvespAlt, rvespImageFileName, rvespTag };
constexpr int RVExtraItemStrPropertyCount = 5;

extern const char* const RVFExtraItemIntPropNames[RVExtraItemPropertyCount];
extern const char* const RVFExtraItemStrPropNames[RVExtraItemStrPropertyCount];

// Index of an exact, case-sensitive match among the keys; 0 when none.
TRVExtraItemProperty ExtraIntPropertyFromName(const TRVRawByteString& Name);
TRVExtraItemStrProperty ExtraStrPropertyFromName(const TRVRawByteString& Name);
void WriteRVFExtraIntProperty(TStream* Stream, TRVExtraItemProperty Prop, int Value);
void WriteRVFExtraStrProperty(TStream* Stream, TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value);
void WriteRVFExtraCustomStrProperty(TStream* Stream, const TRVRawByteString& Name, const TRVUnicodeString& Value);
void WriteRVFExtraCustomIntProperty(TStream* Stream, const TRVRawByteString& Name, int Value);

// ---- options in RVF ----------------------------------------------------------------------------------

TRVItemOptions ApplyForcedSameAsPrev(const TRVItemOptions& Options, bool ForceSameAsPrev);
// The options number of an item header: the low six bits after the forced continuation.
int ItemOptionsForRVF(const TRVItemOptions& Options, bool ForceSameAsPrev);
TRVItemOptions ItemOptionsFromRVF(int Number);

// ---- checkpoints ---------------------------------------------------------------------------------

class TRVCPInfo : public TObject {
 public:
  // Copies the name, raise-event flag, tag and persistence; not the links, item or number.
  void Assign(const TRVCPInfo* Source, bool TagsArePChars = false);
  std::unique_ptr<TRVCPInfo> CreateCopy(bool TagsArePChars = false) const;

  TRVUnicodeString Name;
  TRVCPInfo* Next = nullptr;
  TRVCPInfo* Prev = nullptr;
  bool RaiseEvent = false;
  bool Persistent = false;
  TCustomRVItemInfo* ItemInfo = nullptr;
  int ItemNo = -1;
  TRVUnicodeString Tag;
};

// ---- pieces other classes extend --------------------------------------------------------------------

// One page part of an item split across pages.
class TRVMultiDrawItemPart : public TObject {
 public:
  explicit TRVMultiDrawItemPart(TRVDrawLineInfo* AOwner) : FOwner(AOwner) {}
  virtual int GetImageHeight() { return 0; }
  virtual int GetSoftPageBreakInfo() { return -1; }
  virtual bool IsComplexSoftPageBreak(TRVDrawLineInfo* /*DrawItem*/) { return false; }
  virtual void AssignSoftPageBreaksToItem(TRVDrawLineInfo* /*DrawItem*/, TCustomRVItemInfo* /*Item*/) {}
  TRVDrawLineInfo* GetOwner() const { return FOwner; }
  int Height = 0;

 protected:
  TRVDrawLineInfo* FOwner;
};

// The saved position while an item's sub-documents are iterated.
class TRVStoreSubRVData : public TObject {
 public:
  virtual std::unique_ptr<TRVStoreSubRVData> Duplicate() const { return nullptr; }
  virtual int Compare(const TRVStoreSubRVData* /*StoreSub*/) const { return 0; }
};

// Says which part of a split item to paint.
class TRVPaintItemPart : public TObject {};

// ---- the item base ---------------------------------------------------------------------------------

class TCustomRVItemInfo;
using TCustomRVItemInfoFactory = std::function<std::unique_ptr<TCustomRVItemInfo>(TCustomRVData*)>;

// A class reference: a name and the virtual constructor of an item class. Classes are compared by
// identity of their record.
struct TCustomRVItemInfoClassRec {
  const char* Name;
  TCustomRVItemInfoFactory Create;
};
using TCustomRVItemInfoClass = const TCustomRVItemInfoClassRec*;

// Declares the class reference of an item class (a static function-local record).
#define TAVRELO_ITEM_CLASS(Class)                                                                 \
 public:                                                                                          \
  static TCustomRVItemInfoClass StaticItemClass() {                                               \
    static const TCustomRVItemInfoClassRec rec{#Class, [](TCustomRVData* d) -> std::unique_ptr<TCustomRVItemInfo> { \
                                                 return std::make_unique<Class>(d);               \
                                               }};                                                \
    return &rec;                                                                                  \
  }                                                                                               \
  TCustomRVItemInfoClass ItemClass() const override { return StaticItemClass(); }                \
                                                                                                  \
 private:

class TCustomRVItemInfo : public TPersistent {
 public:
  explicit TCustomRVItemInfo(TCustomRVData* ARVData);
  ~TCustomRVItemInfo() override;
  TCustomRVItemInfo(const TCustomRVItemInfo&) = delete;
  TCustomRVItemInfo& operator=(const TCustomRVItemInfo&) = delete;

  static TCustomRVItemInfoClass StaticItemClass();
  virtual TCustomRVItemInfoClass ItemClass() const { return StaticItemClass(); }
  // Whether this item is of class Class or derived from it.
  template <typename T>
  bool Is() const { return dynamic_cast<const T*>(this) != nullptr; }

  // ---- option accessors (their rules keep the paragraph flags consistent) ----
  bool GetSameAsPrev() const { return ItemOptions.Contains(rvioSameAsPrev); }
  void SetSameAsPrev(bool Value);
  bool GetBR() const { return ItemOptions.Contains(rvioBR); }
  void SetBR(bool Value);
  bool GetPageBreakBefore() const { return ItemOptions.Contains(rvioPageBreakBefore); }
  void SetPageBreakBefore(bool Value);
  bool GetClearLeft() const { return ItemOptions.Contains(rvioClearLeft); }
  void SetClearLeft(bool Value);
  bool GetClearRight() const { return ItemOptions.Contains(rvioClearRight); }
  void SetClearRight(bool Value);

  // ---- non-virtual operations ----
  std::unique_ptr<TCustomRVItemInfo> CreateDuplicate(TCustomRVData* ARVData, bool CopyCheckpoint) const;
  void AssignParaProperties(const TCustomRVItemInfo* Source);
  bool CanBeBorderStart() const;
  int GetActualTextStyleNo(TCustomRVData* Doc);
  int GetActualTextStyleNo(TRVStyle* RVStyle) const;
  int GetActualTextStyleNo() const { return StyleNo >= 0 ? StyleNo : GetAssociatedTextStyleNo(); }

  // Live spelling.
  void ClearLiveSpellingResult();
  void ClearWordPainters(int Index);
  bool AdjustWordPaintersOnInsert(int Index, const TRVUnicodeString& AText, TRVUnicodeChar ch, TCustomRVData* ARVData);
  bool AdjustWordPaintersOnDelete(int Index, int Count);
  bool GetMisspelling(int Offs, int& MisOffs, int& MisLength) const;
  bool IsMisspelled(int Index) const;
  bool ValidateMisspelledWord(const TRVUnicodeString& AItemText, const TRVUnicodeString& AWord);
  void AddMisspelling(int StartOffs, int Length);

  // One extra-property line "key=value" of an RVF record.
  void ReadRVFExtraPropertyLine(const TRVRawByteString& Line, bool UTF8Strings, TRVCodePage CodePage);

  // ---- first group of virtual operations ----
  virtual int GetAssociatedTextStyleNo() const { return -1; }
  virtual void SetAssociatedTextStyleNo(int) {}
  virtual TCustomRVData* GetSubRVDataAt(int /*X*/, int /*Y*/, bool /*ReturnClosest*/) { return nullptr; }
  virtual int GetMinWidth(const TRVScreenAndDevice* sad, TCanvas* Canvas, TCustomRVData* ARVData);
  virtual std::unique_ptr<TGraphic> AsImage() { return nullptr; }
  virtual void SaveToHTML(TStream* /*Stream*/, TCustomRVData* /*ARVData*/, int /*ItemNo*/, const TRVUnicodeString& /*AText*/,
                          const TRVUnicodeString& /*Path*/, const TRVUnicodeString& /*imgSavePrefix*/, int& /*imgSaveNo*/,
                          TColor /*CurrentFileColor*/, const TRVSaveOptions& /*SaveOptions*/, bool /*UseCSS*/,
                          TRVList* /*Bullets*/, TRVHTMLListCSSList* /*ListBullets*/) {}
  virtual TRVUnicodeString AsText(TCustomRVData* /*ARVData*/, int /*ItemNo*/, const TRVUnicodeString& /*AText*/,
                                  TObject* /*SavingData*/) {
    return {};
  }
  // The rest of an RVF header line after the common fields.
  virtual bool ReadRVFHeaderTail(const char*& /*P*/, TCustomRVData* /*ARVData*/, bool /*UTF8Strings*/,
                                 bool& /*AssStyleNameUsed*/) {
    return true;
  }
  virtual bool GetBoolValue(TRVItemBoolProperty Prop) const;
  virtual bool GetBoolValueEx(TRVItemBoolPropertyEx Prop, TRVStyle* ARVStyle);
  // One data line of the item's record; LineNo counts from 0.
  virtual bool ReadRVFLine(const TRVRawByteString& s, TCustomRVData* ARVData, int ReadType, int LineNo, int LineCount,
                           TRVUnicodeString& Name, TRVFReadMode& ReadMode, TRVFReadState& ReadState, bool UTF8Strings,
                           bool& AssStyleNameUsed);
  // Writes the item's whole RVF record.
  virtual void SaveRVF(TStream* /*Stream*/, TCustomRVData* /*ARVData*/, int /*ItemNo*/, int /*AParaNo*/,
                       const TRVUnicodeString& /*Name*/, TRVMultiDrawItemPart* /*Part*/, bool /*ForceSameAsPrev*/,
                       const TRVScreenAndDevice* /*PSaD*/) {}
  virtual void SaveTextSelectionW(TStream* /*Stream*/, TCustomRVData* /*ARVData*/, TObject* /*SavingData*/) {}
  virtual void SaveRTF(TStream* /*Stream*/, TCustomRVData* /*ARVData*/, int /*ItemNo*/, int /*ALevel*/,
                       TRVRTFSavingData* /*SavingData*/, TRVRTFDocType /*DocType*/, bool /*HiddenParent*/) {}
  virtual void FillRTFTables(TCustomRVRTFTables* /*RTFTables*/, TRVIntegerList* /*ListOverrideCountList*/,
                             TCustomRVData* /*ARVData*/) {}
  virtual void SaveOOXML(TStream* /*Stream*/, TCustomRVData* /*ARVData*/, int /*ItemNo*/,
                         TRVDocXSavingData* /*SavingData*/, bool /*HiddenParent*/) {}
  virtual void SaveOOXMLBeforeRun(TStream* /*Stream*/, TCustomRVData* /*ARVData*/, int /*ItemNo*/,
                                  TRVDocXSavingData* /*SavingData*/, bool /*HiddenParent*/) {}
  virtual void SaveOOXMLAfterRun(TStream* /*Stream*/, TCustomRVData* /*ARVData*/, int /*ItemNo*/,
                                 TRVDocXSavingData* /*SavingData*/, bool /*HiddenParent*/) {}
  virtual TRVAnsiString GetAdditionalOOXMLRunProperties(TCustomRVData* /*ARVData*/, int /*ItemNo*/,
                                                        TRVDocXSavingData* /*SavingData*/) {
    return {};
  }
  virtual void PaintFullWidth(int /*Left*/, int /*Right*/, int /*Top*/, TCanvas* /*Canvas*/,
                              const TRVItemDrawStates& /*State*/, TRVStyle* /*AStyle*/, const TRect& /*ClipRect*/,
                              TCustomRVData* /*ARVData*/, TRVDrawLineInfo* /*dli*/, int /*ExtraX*/, int /*ExtraY*/,
                              TRVPaintItemPart* /*PaintPart*/, bool /*ForMetafile*/) {}
  virtual void Paint(int /*X*/, int /*Y*/, TCanvas* /*Canvas*/, const TRVItemDrawStates& /*State*/,
                     TRVDrawLineInfo* /*dli*/, TCustomRVData* /*ARVData*/, bool /*ForMetafile*/) {}
  virtual bool PrintToBitmap(TObject* /*Bkgnd*/, bool /*Preview*/, TCustomRVData* /*ARVData*/, int /*DItemNo*/,
                             TRVMultiDrawItemPart* /*Part*/, TRVColorMode /*ColorMode*/) {
    return false;
  }
  virtual void Print(TCanvas* /*Canvas*/, int /*X*/, int /*Y*/, int /*x2*/, bool /*Printing*/, bool /*Preview*/,
                     bool /*Correction*/, const TRVScreenAndDevice& /*sad*/, TRVMultiDrawItemPart* /*Part*/,
                     TRVColorMode /*ColorMode*/, TCustomRVData* /*ARVData*/, TRVDrawLineInfo* /*dli*/, int /*PageNo*/,
                     bool /*ForMetafile*/) {}
  virtual int GetImageWidth(TRVStyle* /*ARVStyle*/) { return 0; }
  virtual int GetImageHeight(TRVStyle* /*ARVStyle*/) { return 0; }
  virtual int GetImageWidthEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad);
  virtual int GetImageHeightEx(TRVStyle* ARVStyle, const TRVScreenAndDevice* sad);
  virtual TRVStyleLength GetBorderWidth() const { return 0; }
  virtual TRVStyleLength GetBorderHeight() const { return 0; }
  virtual TRVStyleLength GetPadding() const { return 0; }
  virtual void BeforeLoading(TRVLoadFormat /*FileFormat*/) {}
  virtual void AfterLoading(TRVLoadFormat /*FileFormat*/) {}
  virtual bool PartiallySelected() { return false; }
  virtual void ApplyStyleConversionToSubRVDatas(int /*UserData*/, bool /*SelectedOnly*/, int /*ConvType*/) {}
  virtual void StartExport() {}
  virtual void EndExport() {}
  virtual void Inserting(TCustomRVData* ARVData, TRVUnicodeString& AText, bool Safe);
  virtual void Inserted(TCustomRVData* ARVData, int ItemNo);
  virtual TCursor GetHypertextCursor(TRVStyle* ARVStyle);
  // Re-measures an item whose size depends on the document width.
  virtual void OnDocWidthChange(int DocWidth, TRVDrawLineInfo* dli, TCanvas* Canvas, TCustomRVData* ARVData,
                                const TRVScreenAndDevice* sad, int& HShift, int& Desc,
                                const TRVDocWidthChangeStates& State);
  virtual void ChooseSubRVData(TRVStoreSubRVData* /*StoreState*/) {}
  virtual void CleanUpChosen() {}
  virtual void ResetSubCoords() {}
  virtual TObject* GetSoftPageBreakDY(TObject* Data) { return Data; }
  virtual void UpdateAnimator(TCustomRVData* /*ARVData*/) {}
  virtual void RemoveLinkToAnimator() {}
  virtual TColor GetSubDocColor() { return clNone; }
  virtual void SaveFormattingToStream(TStream* /*Stream*/) {}
  virtual void LoadFormattingFromStream(TStream* /*Stream*/) {}
  virtual int GetFinalPrintingWidth(TCanvas* Canvas, TRVDrawLineInfo* dli, TCustomRVData* ARVData, int PageNo,
                                    int PageCount, const TRVScreenAndDevice* PSaD);
  // The draw item of a full-line item in a printed document RVData formatted for sad; nil for the
  // standard one. An item that cuts itself across pages (a table) makes its own.
  virtual std::unique_ptr<TRVDrawLineInfo> CreatePrintingDrawItem(TCustomRVData* /*RVData*/, TParaInfo* /*ParaStyle*/,
                                                                   const TRVScreenAndDevice& /*sad*/) {
    return nullptr;
  }

  // ---- second group of virtual operations ----
  virtual TRVRawByteString GetRVFHeaderTailText(TCustomRVData* /*ARVData*/) { return {}; }
  virtual int GetRVFExtraPropertyCount();
  virtual void SaveRVFExtraProperties(TStream* Stream);
  void Assign(TPersistent* Source) override;
  virtual void TransferProperties(TCustomRVItemInfo* /*Source*/, TCustomRVData* /*ARVData*/) {}
  virtual bool OwnsControl(TObject* /*AControl*/) { return false; }
  virtual bool OwnsInplaceEditor(TObject* /*AEditor*/) { return false; }
  virtual void SaveRVFSelection(TStream* /*Stream*/, TCustomRVData* /*ARVData*/, int /*ItemNo*/, int /*AParaNo*/) {}
  virtual void MovingToUndoList(int ItemNo, TCustomRVData* ARVData, TObject* AContainerUndoItem);
  virtual void MovingFromUndoList(int /*ItemNo*/, TCustomRVData* /*ARVData*/) {}
  virtual void Hiding() {}
  virtual void Unhiding(TCustomRVData* /*ARVData*/) {}
  virtual void FinalizeUndoGroup() {}
  virtual bool MouseMove(const TShiftState& Shift, int X, int Y, int ItemNo, TCustomRVData* ARVData);
  virtual bool MouseDown(int /*Button*/, const TShiftState& /*Shift*/, int /*X*/, int /*Y*/, int /*ItemNo*/,
                         TCustomRVData* /*ARVData*/) {
    return false;
  }
  virtual bool MouseUp(int /*Button*/, const TShiftState& /*Shift*/, int /*X*/, int /*Y*/, int /*ItemNo*/,
                       TCustomRVData* /*ARVData*/) {
    return false;
  }
  virtual void DeselectPartial() {}
  virtual bool CanDeletePartiallySelected() { return false; }
  virtual void DeletePartiallySelected() {}
  virtual void ApplyStyleConversion(TCustomRVData* ARVData, int ItemNo, int UserData, int ConvType, bool Recursive);
  virtual void BeforeUndoChangeProperty() {}
  virtual void AfterUndoChangeProperty() {}
  virtual bool EnterItem(TRVEnterDirection /*From*/, int /*Coord*/) { return false; }
  virtual void BuildJumps(int& /*StartJumpNo*/) {}
  virtual void Focusing() {}
  virtual void ClearFocus() {}
  virtual void Execute(TCustomRVData* /*ARVData*/) {}
  virtual bool MoveFocus(bool /*GoForward*/, TCustomRVData*& /*TopLevelRVData*/, int& /*TopLevelItemNo*/) {
    return false;
  }
  virtual bool AdjustFocusToControl(TObject* /*Control*/, TCustomRVData*& /*TopLevelRVData*/,
                                    int& /*TopLevelItemNo*/) {
    return false;
  }
  virtual void MarkStylesInUse(TRVDeleteUnusedStylesData* Data);
  virtual void UpdateStyles(TRVDeleteUnusedStylesData* Data);
  // The first, last, next... sub-document of the item; StoreState keeps the iteration position.
  virtual TCustomRVData* GetSubRVData(std::unique_ptr<TRVStoreSubRVData>& StoreState, TRVSubRVDataPos /*Position*/,
                                      TCustomRVData* /*CurRVData*/ = nullptr) {
    StoreState.reset();
    return nullptr;
  }
  virtual bool SetExtraIntProperty(TRVExtraItemProperty Prop, int Value);
  virtual bool GetExtraIntProperty(TRVExtraItemProperty Prop, int& Value);
  virtual bool SetExtraIntPropertyEx(int Prop, int Value);
  virtual bool GetExtraIntPropertyEx(int Prop, int& Value);
  virtual bool SetExtraStrProperty(TRVExtraItemStrProperty Prop, const TRVUnicodeString& Value);
  virtual bool GetExtraStrProperty(TRVExtraItemStrProperty Prop, TRVUnicodeString& Value);
  virtual bool SetExtraStrPropertyEx(int Prop, const TRVUnicodeString& Value);
  virtual bool GetExtraStrPropertyEx(int Prop, TRVUnicodeString& Value);
  virtual TRVReformatType GetExtraIntPropertyReformat(int /*Prop*/) { return rvrfNormal; }
  virtual TRVReformatType GetExtraStrPropertyReformat(int /*Prop*/) { return rvrfNone; }
  virtual bool SetExtraCustomProperty(const TRVRawByteString& /*PropName*/, const TRVUnicodeString& /*Value*/) {
    return false;
  }
  virtual void ClearSoftPageBreaks() {}
  virtual void KeyDown(WORD /*Key*/, const TShiftState& /*Shift*/) {}
  virtual void ConvertToDifferentUnits(TRVStyleUnits /*NewUnits*/, TRVStyle* /*ARVStyle*/, bool /*Recursive*/) {}
  virtual void ChangeParagraphStyles(const TRVIntegerList* ParaMapList, const TRVIntegerList* NewIndices,
                                     TRVIntegerList* OldIndices, int& Index);
  virtual void ChangeTextStyles(const TRVIntegerList* TextMapList, const TRVIntegerList* NewIndices,
                                TRVIntegerList* OldIndices, int& Index);
  virtual void MouseLeave() {}

  // ---- fields ----
  TRVUnicodeString ItemText;
  int StyleNo = 0;
  int ParaNo = 0;
  TRVItemOptions ItemOptions{rvioUnicode};
  TRVItemStates ItemState;
  std::unique_ptr<TRVWordPainterList> WordPaintList;  // nil whenever it would be empty
  TRVCPInfo* Checkpoint = nullptr;                     // owned by the document's chain
  int JumpID = 0;
  TRVUnicodeString Tag;
  int DrawItemNo = -1;
  TRVUnicodeString Hint;

 private:
  void FreeEmptyWordPaintList();
};

// ---- registry and factory ---------------------------------------------------------------------------

// Refused with EViroZereError when StyleNo is -9 or greater or taken by another class.
void RegisterItemType(int StyleNo, TCustomRVItemInfoClass ItemClass);
void UnregisterItemType(TCustomRVItemInfoClass ItemClass);
// The class of a kind number: built-in kinds, the text class for 0 and up, registered kinds; nil
// for an unknown negative number.
TCustomRVItemInfoClass ItemClassOfStyleNo(int StyleNo);
std::unique_ptr<TCustomRVItemInfo> CreateItemByStyleNo(int StyleNo, TCustomRVData* ARVData);
// The class used for every text item.
extern TCustomRVItemInfoClass TextItemClass;
// The document library's start-up: fills the registry with the kinds this library builds. The
// program's main calls it once, after RegisterStyles; calling it again does nothing.
void RegisterBuiltInItemTypes();

// The index of S in its owner's style list when it is one of them.
inline bool RVInRange(int Index, int Count) { return Index >= 0 && Index < Count; }
