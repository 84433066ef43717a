// The formatted layer of a document: the draw items into which formatting turns the items, the
// formatted size, the selection in draw-item terms, the hover state of hyperlinks, and the
// virtual interface through which formatting reaches the control (or page) that shows the
// document. Formatting itself (RVFormatting.cpp), text fitting (RVTextFitting.cpp), finishing
// lines (RVLineFinishing.cpp), partial reformatting (RVPartialFormatting.cpp), minimal widths
// (RVMinWidths.cpp) and the formatting stream (RVFormattingStream.cpp) are members of this class
// defined in units of their own.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/DLines.h"
#include "platform/base/Classes.h"
#include "platform/graphics/DeviceContext.h"
#include "engine/layout/RVAnimate.h"
#include "platform/ui/Input.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"

class TRVDrawLines;
class TRVFloatingDrawItems;
class TRVFontInfoCache;
class TRVFontInfoCacheItem;
class TCanvas;
class TStream;
class TList;
class TRVGraphicInterface;
struct TRVFormattingState;

// How far a mouse selection has come in its word or paragraph mode.
enum TRVSelectingState : std::uint8_t { rvsesInWord, rvsesOutsideWord, rvsesFreeMode, rvsesParaMode };

// The state of a mouse selection in progress (exists only while the user drags a selection).
class TRVSelectingInfo : public TObject {
 public:
  void InitE(TRVSelectingState ASWordState);
  bool IsInSWord(int DrawItemNo, int Offs) const;
  bool IsAboveSWord(int DrawItemNo, int Offs) const;
  bool IsBelowSWord(int DrawItemNo, int Offs) const;
  bool IsEWord(int DrawItemNo, int WordOffs1, int WordOffs2) const;
  bool IsEFreeStateNeeded(int DrawItemNo, int Offs) const;

  int DrawItemSOffs = 0, DrawItemEOffs = 0;
  int DrawItemSWordOffs1 = 0, DrawItemSWordOffs2 = 0;
  int DrawItemEWordOffs1 = 0, DrawItemEWordOffs2 = 0;
  int DrawItemSNo = -1, DrawItemENo = -1;
  TRVSelectingState SWordState = rvsesInWord, EWordState = rvsesInWord;
};

// Bases of the canvas transform of a rotated document.
enum TRVTransformBase : std::uint8_t { rvtrbLocal, rvtrbRoot, rvtrbAbsRoot, rvtrbRecursive, rvtrbInplaceBackground };

// What PrepareTransform changed on a canvas, for RestoreTransform: whether a transform was applied,
// whether the canvas already was in advanced graphics mode and, if so, its world transform then.
struct TRVStoreDocTransform {
  bool Used = false;
  bool AdvancedMode = false;
  XFORM XForm{};
};

// A soft page break left in a document by pagination: the item (and offset in it) a page starts
// at; ExtraData is the item's own break data for an item split across pages, else -1.
struct TRVSoftPageBreakInfo {
  int ItemNo = -1;
  int Offset = 0;
  int ExtraData = -1;
};

// The soft page breaks of a document in page order; owns its records.
class TRVSoftPageBreakList : public TList {
 public:
  ~TRVSoftPageBreakList() override { TRVSoftPageBreakList::Clear(); }
  void Clear() override {
    for (int i = 0; i < Count(); ++i) delete static_cast<TRVSoftPageBreakInfo*>(Get(i));
    TList::Clear();
  }
  TRVSoftPageBreakInfo* Items(int Index) const { return static_cast<TRVSoftPageBreakInfo*>(Get(Index)); }
};

// What pagination tells a document about the start of one of its pages.
class IRVSoftPageBreakSource {
 public:
  virtual ~IRVSoftPageBreakSource() = default;
  // Whether the page starts inside an item split across pages that keeps its own breaks.
  virtual bool IsComplexSoftPageBreak(int PageNo) = 0;
  // Hands such a break to the item of RVData that it belongs to.
  virtual void AssignComplexSoftPageBreakToItem(int PageNo, TCustomRVData* RVData) = 0;
  virtual void GetFirstItemOnPageEx(int PageNo, int& ItemNo, int& OffsetInItem, int& ExtraData) = 0;
};

class TCustomRVFormattedData;
class TRVItemAnimator;

// Where the drop caret of a drag stands: the document, the item position and the caret line in
// that document's coordinates. Kept by the root data.
struct TRVDragDropCaretInfo {
  TCustomRVFormattedData* RVData = nullptr;
  int ItemNo = -1, ItemOffs = 0;
  int X = 0, Y = 0, Height = 0;
};

// What a drop source offers the document that starts a drag: it runs the window system's drag
// loop over Window and answers the effect the drop ended with (DROPEFFECT_NONE when cancelled).
class IRVDragSource {
 public:
  virtual ~IRVDragSource() = default;
  virtual DWORD ExecuteDrag(HWND Window, DWORD OkEffects) = 0;
};

// Draws feedback by inverting pixels on the document's canvas at a document point; Owner tells
// two handlers apart.
struct TRVXorDrawingHandler {
  const void* Owner = nullptr;
  std::function<void(TCustomRVFormattedData* RVData, TCanvas* Canvas, int X, int Y)> Draw;
  explicit operator bool() const { return bool(Draw); }
};

class TCustomRVFormattedData : public TCustomRVData, public IRVAnimationView {
 public:
  TCustomRVFormattedData();
  ~TCustomRVFormattedData() override;

  TCustomRVFormattedData* AsFormattedData() override { return this; }

  // ---- virtual interface ----
  // Run at the start of a formatting run of the root: tells a hosting page-layout editor.
  virtual void NotifyBeforeFormat();
  virtual TList* GetSoftPageBreaks() { return FSoftPageBreaks.get(); }
  virtual TObject* GetInplaceEditor() { return nullptr; }
  virtual void DestroyInplaceEditor() {}
  virtual void SetPartialSelectedItem(TCustomRVItemInfo* Item);
  // What items whose size depends on the width are told about this formatting pass.
  virtual TRVDocWidthChangeStates GetDrawingStates(bool NoCaching, bool Reformatting, bool UseFormatCanvas,
                                                   bool ThisLevelOnly);
  virtual void InitScreenAndDevice(TCanvas* Canvas, TRVScreenAndDevice& PSaD);
  virtual void EnsureEmptyParagraph(int /*FirstItemNo*/, int /*LastItemNo*/, bool /*Partial*/) {}
  virtual void ResetCaretBlinking() {}
  virtual bool GetFirstParaListInfo(int& ListNo, int& Level);
  virtual void LiveSpellingCheckCurrent() {}
  virtual bool VScrollBarShown() { return false; }
  virtual bool HasOnlyVScrollBar() { return false; }
  // The metric cache of one formatting pass: the root makes it (a nested document asks its root)
  // for the drawing canvas and the canvas measured on.
  virtual TRVFontInfoCache* CreateFontInfoCache(TCanvas* ACanvas, TCanvas* AFormatCanvas);
  virtual void DestroyFontInfoCache(TRVFontInfoCache*& Cache);
  virtual TRVFontInfoCache* GetFontInfoCache(TCanvas* ACanvas, TCanvas* AFormatCanvas, TCustomRVFormattedData* RVData);
  virtual void ClearTemporal();
  virtual void GetOrigin(int& ALeft, int& ATop);
  virtual void GetOriginEx(int& ALeft, int& ATop);
  virtual int GetAreaWidthRot();
  virtual int GetAreaWidth() = 0;
  virtual int GetAreaHeight() = 0;
  virtual int GetLeftMargin() = 0;
  virtual int GetRightMargin() = 0;
  virtual int GetTopMargin() = 0;
  virtual int GetBottomMargin() = 0;
  virtual int GetMinTextWidth() = 0;
  virtual int GetMaxTextWidth() = 0;
  int GetWidth() const override = 0;
  virtual int GetHeight() = 0;
  virtual int GetFullDocumentHeight() { return DocumentHeight; }
  virtual int GetWidthRot();
  virtual int GetHeightRot();
  virtual void SetDocumentAreaSize(int Width, int Height, bool UpdateH, bool AllowEvents) = 0;
  virtual void ResetSubCoords() {}
  virtual int GetVerticalAlign() { return 0; }
  virtual void AdjustSpecialControlsCoords(TCustomRVFormattedData* /*RVData*/) {}
  // Scrolls so that a rectangle in document coordinates becomes visible (RVTransforms.cpp).
  virtual void ShowRectangle(int Left, int Top, int Width, int Height);
  virtual void AdjustVScrollUnits() = 0;
  virtual int GetHOffs() { return 0; }
  virtual int GetVOffs() { return 0; }
  virtual int GetRVDataExtraVOffs() { return 0; }
  virtual void ScrollTo(int Y, bool Redraw) = 0;
  virtual void HScrollTo(int X) = 0;
  virtual int GetVSmallStep() = 0;
  virtual void AfterVScroll() {}
  virtual TCanvas* GetCanvas() = 0;
  virtual bool IsLineOrderReversed() { return false; }
  virtual void StartPartialFormatting() {}
  // Formats the document (Part of the class's formatting unit); true when a pass ran.
  virtual bool Format_(bool OnlyResized, bool ForceFormat, bool NoScroll, int depth, TCanvas* Canvas, bool OnlyTail,
                       bool NoCaching, bool Reformatting, bool CallOnFormat, bool AbsRotation);
  // Reads the four numbers and the draw items written by SaveFormattingToStream; false (with the
  // draw items cleared) when the stream is short or inconsistent.
  virtual bool LoadFormattingFromStream(TStream* Stream);
  virtual void AssignChosenRVData(TCustomRVFormattedData* /*RVData*/, TCustomRVItemInfo* /*Item*/) {}
  virtual void SilentReplaceChosenRVData(TCustomRVFormattedData* /*RVData*/) {}
  virtual void UnassignChosenRVData(TCustomRVData* /*RVData*/) {}
  virtual void GetSelBounds(int& StartNo, int& EndNo, int& StartOffs, int& EndOffs, bool Normalize);
  virtual void GetSelectionBoundsEx(int& StartItemNo, int& StartItemOffs, int& EndItemNo, int& EndItemOffs,
                                    bool Normalize);
  virtual void DoOnSelection(bool /*AllowScrolling*/) { ResetAniBackground(); }
  virtual void DeleteParas(int FirstItemNo, int LastItemNo);
  virtual bool AllowChanging();
  virtual bool IgnorePageBreaks() { return false; }
  // Dynamic operations.
  virtual void Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent);
  virtual void DoSelect() {}
  virtual void ChosenItemChanging(TCustomRVItemInfo* NewItem);
  virtual void DoRVMouseMove(int /*id*/) {}
  // Repaints a rectangle of the control that shows the document (client coordinates).
  virtual void InvalidateRect(const TRect& /*R*/, bool /*FromLiveSpelling*/) {}

  // ---- overrides of the document ----
  void Clear() override;
  void DestroyItem(TCustomRVItemInfo* Item, bool Clearing) override;

  // ---- frame operations ----
  void ClearJumps(bool CallEvent);
  void ExpandHoverJumpRange();
  void SelectAll();
  int GetOffsBeforeDrawItem(int DrawItemNo);
  int GetOffsAfterDrawItem(int DrawItemNo);
  bool IsInvisibleItem(int ItemNo);
  bool IsInvisibleLine(int ItemNo);
  // A paragraph section (from an item shown from a new line to the next such item) made only of
  // hidden items.
  bool IsHiddenParaSection(int ItemNo);
  bool ShowsSpecialCharacters();
  bool ClearSoftPageBreaks();
  TRVScreenAndDevice* GetSaDPtr() { return nullptr; }

  // ---- formatting into draw lines ----
  void Format(bool NoCaching, bool AbsRotation = false);
  TCanvas* GetFormatCanvas();
  void Hiding();
  void AdjustChildrenCoords() {}
  // The class of the draw item for Item in paragraph ParaNo (a new, empty draw item).
  std::unique_ptr<TRVDrawLineInfo> CreateStandardDrawLineInfo(TCustomRVItemInfo* Item, int ParaNo);
  // The paragraph style shown for an item: its own, unless hidden items before it in the same
  // displayed paragraph carry the paragraph start.
  int GetDisplayedParaNo(int ItemNo);
  // Whether the item starts a displayed line: a paragraph start or a line break, or the first
  // visible item after hidden items that held the line start.
  bool IsDisplayedFromNewLine(int ItemNo);
  bool IsDisplayedParaStart(int ItemNo);
  int GetDrawItemStyle(int DrawItemNo);

  // ---- partial reformatting ----
  void FormatParas(int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted, bool ThisLevelOnly = false);
  void FormatParasExact(int StartDrawItemNo, int EndDrawItemNo, int ItemsInserted, bool NoCaching,
                        bool ThisLevelOnly = false);
  void AdjustDrawItemsForFormatParas(int& StartDrawItemNo, int& EndDrawItemNo, int ItemsInserted);
  void GetParaBoundsEx(int DINo1, int DINo2, int& ParaStart, int& ParaEnd, bool IncludeAdjacent);
  // An item position as a draw item and an offset in it (-1 when the item has no draw item).
  void Item2DrawItem(int ItemNo, int ItemOffs, int& DrawItemNo, int& DrawItemOffs);
  // Sets the selection from item positions.
  void SetSelectionBounds(int StartItemNo, int StartItemOffs, int EndItemNo, int EndItemOffs);
  // The first and last draw items of an item; -1 when it has none.
  int Item2FirstDrawItem(int ItemNo);
  int Item2LastDrawItem(int ItemNo);

  // ---- finishing a line ----
  void FinishLine(const TRVScreenAndDevice* PSaD, bool LastLineOfParagraph, int& ExtraBelow, TRVFormattingState& State);
  void FinishTabSection(TRVFormattingState& State);
  void ChangeDItemWidth(int DItemNo, int NewWidth);

  // ---- minimal widths (RVMinWidths.cpp) ----
  int CalculateMinDocWidthPlus(int FirstItemNo, const TRVScreenAndDevice* sad, TCanvas* Canvas);
  int CalculateParaSectionsMinWidth(int StartItemNo, int EndItemNo, int& FirstParaItemNo,
                                    const TRVScreenAndDevice* sad, TCanvas* Canvas);
  int CalculateParaSectionsMinWidthDef(int StartItemNo, int EndItemNo);
  int CalculateParaSectionMinWidth(int StartItemNo, int& FirstParaItemNo, const TRVScreenAndDevice* sad,
                                   TCanvas* Canvas);
  int CalculateParaSectionMinWidthDef(int StartItemNo);
  int CalculateMinItemWidthPlusEx(int ItemNo);
  // With Beat >= 0 the answer is exact only when it passes Beat (any width up to Beat otherwise):
  // enough to ask whether the items need more than a given width, and much cheaper.
  int CalculateMinItemsWidthPlusEx(int StartItemNo, int EndItemNo, int Beat = -1);
  int CalculateMinItemsWidthPlusWrap(int StartItemNo, int EndItemNo, int& FirstParaItemNo,
                                     const TRVScreenAndDevice* sad, TCanvas* Canvas);
  int CalculateMinItemsWidthNoWrap(int StartItemNo, int EndItemNo, const TRVScreenAndDevice* sad, TCanvas* Canvas,
                                   bool IgnoreFloating, bool IgnoreMarkers);
  int CalculateMinItemWidthWrap(int ItemNo, const TRVScreenAndDevice* sad, TCanvas* Canvas, bool IgnoreFloating,
                                bool IgnoreMarkers);
  int CalculateEmptyParaSectionWidth(int ItemNo, int& FirstParaItemNo, const TRVScreenAndDevice* sad,
                                     TCanvas* Canvas, bool EventNegativeFirstIndent);
  int CalculateMinLineWidth(int FirstItemNo, const TRVScreenAndDevice* sad, TCanvas* Canvas);

  // ---- the formatting stream ----
  // Writes the four numbers and the draw items; false when a draw item cannot be written (a
  // printing draw item) or the stream fails. The selection is stored and set again around it.
  bool SaveFormattingToStream(TStream* Stream);

  // ---- fields ----
  TRVCPInfo* LastRaisedCP = nullptr;
  TRVXorDrawingHandler FXORDrawing;
  TCustomRVItemInfo* FCaptureMouseItem = nullptr;
  std::unique_ptr<TRVSelectingInfo> FSelectingInfo;
  bool XorImageDrawn = false;
  int MouseX = 0, MouseY = 0;
  int nJmps = 0;
  int LastItemFormatted = -1;
  int LastJumpDIMovedAboveFirst = -1, LastJumpDIMovedAboveLast = -1;
  int LastDIMovedAbove = -1;
  int LastJumpDIDowned = -1;
  TCustomRVItemInfo* FPartialSelectedItem = nullptr;
  bool AlreadyFormatted = false;
  std::unique_ptr<TRVSoftPageBreakList> FSoftPageBreaks;
  int FClickedDrawItemNo = -1;
  TCustomRVItemInfo* FActiveItem = nullptr;
  int DocumentWidth = -1, DocumentHeight = 0, TextWidth = -1;
  int FocusedItemNo = -1;
  std::unique_ptr<TRVDrawLines> DrawItems;
  int FSelStartNo = -1, FSelEndNo = -1;
  int FSelStartOffs = 0, FSelEndOffs = 0;

  // ---- internals shared by the formatting units ----
  // Formats one item into draw items (text pieces, an inline object, a full-line item).
  void FormatItemLines(int ItemNo, TCanvas* Canvas, const TRVScreenAndDevice* PSaD, TRVFormattingState& State);
  void StartNewLine(TCustomRVItemInfo* Item, int ItemNo, bool IsWrap, const TRVScreenAndDevice* PSaD,
                    TRVFormattingState& State);
  void FormatNonTextItem(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& State);
  void FormatFullLineItem(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& State);
  void FormatTextItem(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& State);
  void FormatEmptyTextItem(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& State);
  void GetLineIndents(int ItemNo, bool HardStart, const TRVScreenAndDevice* PSaD, TRVFormattingState& State);
  void AdjustLineToFloats(int ItemNo, const TRVScreenAndDevice* PSaD, TRVFormattingState& State);
  void PlaceFloatingItem(TRVFormattingState& State, const TRVScreenAndDevice* PSaD, int DrawItemNo, int& Y);
  void RaiseLineAscent(int NewAscent, TRVFormattingState& State);
  void ApplyTextStyle(int StyleNo, TRVFormattingState& State);
  // Text fitting and word ends across items.
  int FitTextToWidth(const WideChar* Str, int Length, int AvailWidth, TRVFormattingState& State, TSize& Size);
  bool RestOfWordFits(int ItemNo, int RemainingChars, int UsedWidth, TRVFormattingState& State);
  bool FindTextBreakPos(int& ItemNo, int& Offs);
  bool CanBreakBeforeItem(int ItemNo, TRVFormattingState& State);
  // Measures characters of the current text style (scaled back from a reference canvas).
  TSize MeasureText(const WideChar* Str, int Length, TRVFormattingState& State);
  // Width of an inline object as formatting would give it (for the rest of a word).
  int MeasureNonTextItemWidth(int ItemNo, TRVFormattingState& State);
  // Line finishing pieces.
  int PlaceAbsVAlignedItems(int FirstDItem, int LastDItem, TRVFormattingState& State);
  int ApplyLineSpacing(int FirstDItem, int LastDItem, int ParaNo, const TRVScreenAndDevice* PSaD,
                       TRVFormattingState& State);
  void JustifyLine(int FirstDItem, int LastDItem, int Space, int ShiftIfNone, bool Distribute, int ParaNo,
                   TRVFormattingState& State);
  void ReorderLineRTL(int FirstDItem, int LastDItem, int ParaNo, const TRVScreenAndDevice* PSaD,
                      std::vector<int>* VisualOrder);
  void PlaceFloatsOnFinishedLine(int FirstDItem, int LastDItem, int ExtraBelow, const TRVScreenAndDevice* PSaD,
                                 TRVFormattingState& State);
  void InsertDrawItem(std::unique_ptr<TRVDrawLineInfo> DrawItem, int ItemNo, TRVFormattingState& State);
  void AddTextDrawItem(int ItemNo, int Pos, int Count, const TSize& Size, bool NewLine, TRVFormattingState& State);
  // Chooses where a piece of Length remaining characters, of which Count fit, ends (Part of the
  // fitting unit); Consumed tells that the space after the piece belongs to neither line.
  int ChooseTextBreak(const WideChar* Text, int Length, int Count, bool Retry, bool NextStartsLine, bool ForceOne,
                      int ItemNo, TRVFormattingState& State, bool& Consumed);
  // The piece that a break after character R (0-based) gives, with the space rule of trimming.
  int PieceFromBreak(const WideChar* Text, int R, TRVFormattingState& State, bool& Consumed);
  int PrevVisibleItem(int ItemNo);
  bool NextVisibleStartsLine(int ItemNo);
  int FirstVisibleParaItem();
  // Creates the formatting state of a run (full, tail or partial).
  void InitFormattingState(TRVFormattingState& State, TCanvas* Canvas, bool NoCaching, bool Reformatting,
                           bool ThisLevelOnly);
  void DoneFormattingState(TRVFormattingState& State);
  int GetDevLeftMargin(const TRVScreenAndDevice* PSaD);
  int GetDevRightMargin(const TRVScreenAndDevice* PSaD);
  int GetDevTopMargin(const TRVScreenAndDevice* PSaD);
  int GetDevBottomMargin(const TRVScreenAndDevice* PSaD);

  // ---- focus among items, painting and the mouse release, overridden by control data ----
  // Sets the item of this document on the path to the focused item.
  virtual void AdjustFocus(int NewFocusedItemNo, TCustomRVData* /*TopLevelRVData*/, int /*TopLevelItemNo*/) {
    FocusedItemNo = NewFocusedItemNo;
  }
  // Removes the focus from the focused item (the number stays; the caller decides what follows).
  virtual void ClearFocus() {
    if (FocusedItemNo >= 0 && FocusedItemNo < ItemCount()) GetItem(FocusedItemNo)->ClearFocus();
  }
  // The next item after ItemNo (-1: from the start or, backwards, from the end) that can take the
  // focus, descending into sub-documents; TopLevelRVData and TopLevelItemNo name the innermost
  // document and item. -1 (and nil, -1) when there is none.
  virtual int GetNextFocusedItem(int ItemNo, bool GoForward, TCustomRVFormattedData*& TopLevelRVData,
                                 int& TopLevelItemNo);
  // Fills R of Canvas with the document's colour (and, where the document has one, background
  // image).
  virtual void DrawBackground(TCanvas* Canvas, const TRect& R, bool AllowThumbnails, TRVGraphicInterface* GraphicInterface);
  // Draws the drop caret where the root's record puts it, by inverting pixels (drawing twice
  // erases; RVDragDrop.cpp).
  virtual void DrawDragDropCaret(TCanvas* Canvas, bool OnlyForSelf);
  // The document's handling of a mouse release (client coordinates; RVMouse.cpp).
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Hit-testing and position queries
  // ---- hit-testing, positions and coordinates (RVHitTesting.cpp) ----
  // The selection in item terms (survives reformatting), and set back from item terms (hidden
  // items resolved forward; with PreferLineBeginning a position at the end of a wrapped draw item
  // moves to the start of the next line).
  void StoreSelBounds(int& StartNo, int& EndNo, int& StartOffs, int& EndOffs, bool Normalize);
  void RestoreSelBounds(int StartNo, int EndNo, int StartOffs, int EndOffs, bool PreferLineBeginning);
  // The end of a draw item becomes the start of the next one when that continues the same item.
  void ShiftPosToTheNewLine(int& DItemNo, int& DOffs);
  // A draw-item position as an item position (ItemNo -1 for -1 or a number past the end).
  void DrawItem2Item(int DrawItemNo, int DrawItemOffs, int& ItemNo, int& ItemOffs);
  // An item position as a draw-item position; a hidden item is replaced by PosIfHidden: 0 none,
  // 1 the previous visible item's end (else the next one's start), 2 the next visible item's
  // start (else the previous one's end). DrawItemNo -1 when not found.
  void Item2DrawItem(int ItemNo, int ItemOffs, int& DrawItemNo, int& DrawItemOffs, int PosIfHidden);
  // The draw items at the item's first and last offsets, hidden items resolved forward.
  void Item2FirstDrawItem(int ItemNo, int& DrawItemNo);
  void Item2LastDrawItem(int ItemNo, int& DrawItemNo);
  // The first draw item of an item by a walk over the draw items; -1 for -1 or none.
  int FindDrawItemByItem(int ItemNo);
  // The draw-item position nearest to a point (screen coordinates of this document unless
  // XYAlreadyRotated); -1, -1 without draw items, or with FStrict when no draw item is hit.
  void FindDrawItemForSel(int X, int Y, int& No, int& Offs, bool FStrict, bool IgnoreFloating = false,
                          bool XYAlreadyRotated = false, bool XYLocalRotation = false);
  // The draw item exactly under a document point, or -1.
  int GetDrawItemAt(int X, int Y);
  // A draw item at a vertical position: option 1 a draw item at least a full line above it,
  // option 3 the last draw item when it starts above it, else the first draw item at or below it.
  int GetDrawItemNo(int BoundLine, int Option);
  int GetFirstVisible(int TopLine) { return GetDrawItemNo(TopLine, 1); }
  virtual int GetFirstItemVisible();
  virtual int GetLastItemVisible();
  void GetLineBounds(int DrawItemNo, int& First, int& Last);
  void GetLineVerticalBoundsOrig(int FirstDrawItemNo, int& LineTopY, int& LineBottomY, int& LastDrawItemNo);
  void GetLineVerticalBoundsOrigEx(int DrawItemNo, int& LineTopY, int& LineBottomY, int& FirstDrawItemNo,
                                   int& LastDrawItemNo);
  virtual int GetTransformedY(int Y, int /*LineTopY*/, int /*LineBottomY*/) { return Y; }
  virtual int GetTransformedDItemTop(int DrawItemNo);
  virtual int GetTransformedDItemObjectTop(int DrawItemNo);
  // Nil unless the line order is reversed; else the transformed top of every draw item.
  std::unique_ptr<TRVIntegerList> BuildTransformedYCoords();
  // The size of the box the document is drawn in before rotation.
  virtual void GetPrerotatedSize(int& Width, int& Height);
  void RotateCoordsFromScreenToDoc(int& X, int& Y, bool AlwaysLocal, bool ParentInplace);
  void RotateCoordsFromScreenToDocAbs(int& X, int& Y);
  void RotateCoordsFromDocToScreen(int& X, int& Y, TRVTransformBase Base);
  void RotateRectFromDocToScreen(TRect& R, TRVTransformBase Base);

  // ---- line, paragraph and position queries (RVPositionQueries.cpp) ----
  int GetDisplayedParaNoEx(int ItemNo, int Default);
  bool IsNextVisibleParaStart(int ItemNo);
  bool IsNextVisibleFromNewLine(int ItemNo);
  int GetParaFirstItemNo(int ItemNo);
  int GetParaSectionFirstItemNo(int ItemNo);
  void GetDisplayedParaBounds(int First, int Last, int& FirstItemNo, int& LastItemNo);
  void GetDisplayedParaSectionBounds(int First, int Last, int& FirstItemNo, int& LastItemNo);
  int GetFirstVisibleItemNo();
  int GetLastVisibleItemNo();
  int GetPrevVisibleItemNo(int ItemNo);
  int GetNextVisibleItemNo(int ItemNo);
  bool IsDrawItemItemStart(int DrawItemNo);
  bool IsDrawItemParaStart(int DrawItemNo);
  bool IsDrawItemParaSectionStart(int DrawItemNo);
  bool IsDrawItemParaEnd(int DrawItemNo);
  bool IsDrawItemFromNewLine(int DrawItemNo);
  bool IsDrawItemLastOnWrappedLine(int DrawItemNo);
  bool IsDrawItemStartsTheSecondParaLine(int DrawItemNo);
  bool IsDrawItemStartsTheLastParaLine(int DrawItemNo);
  bool DrawItemSkipsChars(int DrawItemNo);
  bool IsMultiParagraphSelection();
  bool IsWholeParagraphSelection();
  // Lines up to DrawItemNo (-1: all); items with sub-documents count their lines plus 2.
  int GetLineCount(int DrawItemNo, bool BeforeItem);
  int GetItemLineCount(int ItemNo);
  // The 1-based line number of an item position, counted up to RootRVData through parent items.
  int GetLineNoEx(int ItemNo, int ItemOffs, bool IsLineBegin, TCustomRVData* RootRVData);
  bool GetPositionAtLine(int& LineNo, TCustomRVData*& RVData, int& ItemNo, int& Offs);
  bool GetPositionInItem(int ThisItemNo, int& LineNo, TCustomRVData*& RVData, int& ItemNo, int& Offs);
  void ExpandToLines(int ItemNo1, int Offs1, int ItemNo2, int Offs2, int& DItemNo1, int& DItemNo2);
  // The caret rectangle of a position (document coordinates).
  void GetCoordsOfDrawItem(int DrawItemNo, int DrawItemOffs, int& X, int& Top, int& Bottom);
  void GetCoordsOf(int ItemNo, int Offs, int& X, int& Top, int& Bottom);
  // The x of every caret boundary (0..TextLength) of a text draw item, relative to its Left, as
  // painting places the characters (justification included). False for other draw items.
  bool GetDrawItemCaretPositions(int DrawItemNo, std::vector<int>& Positions);
  // The same, with the painted box of every character (left and right x, relative to Left, by
  // text index; a character of a right-to-left run has its start at the right). Lefts and
  // Rights stay empty when the drawing interface gives no boxes.
  bool GetDrawItemCaretPositionsAndBoxes(int DrawItemNo, std::vector<int>& Positions, std::vector<int>& Lefts,
                                         std::vector<int>& Rights);
  // Page-dependent widths of items (page numbers, page counts) on a printed page.
  void AdjustItemsPrintingWidth(int FirstDrawItemNo, int LastDrawItemNo, int FirstItemPart, int PageNo, int PageCount,
                                const TRVScreenAndDevice* PSaD);
  void AdjustAllItemsPrintingWidth(int PageNo, int PageCount, const TRVScreenAndDevice* PSaD);
  void InvalidateDrawItem(int DrawItemNo, int Spacing, bool FromLiveSpelling = false);
  void InvalidateHighlightedJump();

  // ---- protection and insertion checks (RVProtection.cpp) ----
  bool IsProtected(int ItemNo, TRVProtectOption Option);
  bool IsParaProtected(int ParaNo, TRVParaOption Option);
  bool IsItemParaProtected(int ItemNo);
  // Whether nothing may be inserted between items FirstItemNo and FirstItemNo + 1 (-1: before the
  // first item; the last item: after it). Beeps on true unless NoSound.
  virtual bool IsSticking(int FirstItemNo, bool NoSound);
  bool CanInsertHere(int ItemNo, int Offs);

  // Painting
  // ---- painting (RVPainting.cpp) ----
  // Paints the document on Canvas: AClipRect is the area in control coordinates (all zeros:
  // everything); the canvas origin stands for the clip rectangle's corner. Only draw items
  // MinDItemNo..MaxDItemNo are painted (MaxDItemNo < 0: up to the last).
  virtual void PaintTo(TCanvas* Canvas, const TRect& AClipRect, bool StrictTop, bool StrictBottom,
                       bool InplaceOnMainCanvas, bool PrintMode, bool UseWordPainters, int ExtraXOffs, int ExtraYOffs,
                       int MinDItemNo, int MaxDItemNo, TRVPaintItemPart* MinItemPart, TRVPaintItemPart* MaxItemPart,
                       bool ForMetafile);
  // The page a printable document is drawing through PaintTo in print mode (null otherwise):
  // non-text items then print themselves for that page, at the device's size.
  struct TRVPrintedPage {
    const TRVScreenAndDevice* SaD = nullptr;
    int PageNo = 0;  // the global page number
    bool Printing = false, Preview = false, Correction = false;
    // The parts of split items the page shows: the one that opens the page and the first part of
    // the item that closes it (-1 and nil when there is none).
    int StartPartDrawItemNo = -1, EndPartDrawItemNo = -1;
    TRVMultiDrawItemPart* StartPart = nullptr;
    TRVMultiDrawItemPart* EndPart = nullptr;
  };
  const TRVPrintedPage* PrintedPage = nullptr;
  // Called at the end of every PaintTo; an editor draws the handles of the resized item here.
  virtual void DrawItemResizer(TCanvas* /*Canvas*/, int /*XShift*/, int /*YShift*/, bool /*StrictTop*/,
                               bool /*StrictBottom*/, bool /*PrintMode*/, int /*FirstDItemNo*/, int /*LastDItemNo*/) {}
  // Whether the control that shows the document has the focus (selection colours) and is enabled;
  // a document without a control is neither focused nor disabled.
  virtual bool FocusedEx() { return false; }
  virtual bool EnabledEx() { return true; }

  // ---- extending a selection by words, lines and paragraphs (RVSelectionExtend.cpp) ----
  // Moves the selection end to a document point, snapping to words as FSelectingInfo says; true
  // when the selection changed.
  bool ExtendSelectionByWordTo(int X, int Y);
  // Moves the selection end to a document point and widens the selection to whole lines (and
  // paragraphs in the paragraph selection mode); true when the selection changed.
  bool ExtendSelectionTo(int X, int Y);
  // Widens the selection to the lines it touches; with Collapse the end first jumps to the start.
  void ExpandSelectionToLines(bool Collapse);
  // Widens a non-empty selection to whole displayed paragraphs (with OnlyIfMultiple only when it
  // spans several); true when it did.
  bool ExpandSelectionToParagraph(bool OnlyIfMultiple);
  bool IsSelectionForward();
  // The offset lies strictly inside a text draw item with no delimiter on either side of it.
  bool IsInsideWord(int DrawItemNo, int DrawItemOffs);
  // The bounds of the word around a draw-item offset (draw-item offsets).
  void GetWordBounds(int DrawItemNo, int DrawItemOffs, int& WordStart, int& WordEnd);
  // After the mouse button is released on a selection; the editor adjusts it.
  virtual void AdjustMouseUpSelection() {}

  // ---- hyperlinks, focus, sub-documents and geometry (RVHyperlinks.cpp) ----
  // Numbers the hyperlinks of the document tree from StartJumpNo, which grows past them.
  void BuildJumps(int& StartJumpNo);
  // The document and item of the hyperlink with the id the control reports (nil, -1 when none).
  void GetJumpPointLocation(int id, TCustomRVFormattedData*& RVData, int& ItemNo);
  // Makes this sub-document the chosen one of the item that holds it.
  void ChooseMe();
  // The innermost document, item and offset under a point (document coordinates unless
  // CoordRelativeToControl); ItemNo -1 when nothing is there.
  void GetItemAtEx(int X, int Y, TCustomRVFormattedData*& RVData, int& ItemNo, int& OffsetInItem, bool FStrict,
                   bool ClosestSubRVData, bool& InSubRVDataOwnerItem, bool IgnoreFloating,
                   bool CoordRelativeToControl);
  // The word under a client point through every sub-document; true when a draw item was hit
  // (the word is empty on a delimiter).
  bool FindWordAt(TRVUnicodeString& Word, int X, int Y, int& StyleNo, int& ItemNo, int& Offs,
                  TCustomRVFormattedData*& RVData);
  bool FindWordAt_(TRVUnicodeString& Word, int X, int Y, int& StyleNo, int& ItemNo, int& Offs,
                   TCustomRVFormattedData*& RVData, bool CoordRelativeToControl);
  // Left and transformed top of the item's first draw item; false when it has none.
  bool GetItemCoords(int ItemNo, int& Left, int& Top);
  bool GetItemClientCoords(int ItemNo, int& Left, int& Top);

  // ---- drop caret, drag start and services of the root data (RVDragDrop.cpp) ----
  // Moves the drop caret to the item position under a client point.
  void SetDragDropCaretTo(int X, int Y);
  void SetDragDropCaret(int ItemNo, int Offs);
  void RemoveDragDropCaret();
  // Starts a drag of the selection (the root's drop source runs the drag).
  void DoDrag();
  // Services kept by the absolute root: answered here by asking it.
  virtual TRVDragDropCaretInfo* GetDragDropCaretInfo();
  virtual bool IsDragging() const;
  virtual TObject* GetSelectionHandles();
  virtual void CreateSelectionHandlesAfterTap();
  // The drop source of a drag from this tree and the effects it allows; false when none.
  virtual bool GetDropSource(TObject*& DropSource, DWORD& OkEffects);
  virtual void ReleaseDropSource(bool Moved);
  // The press point (document coordinates of this document) and the drag threshold around it.
  virtual void SetClickCoords(int X, int Y);
  virtual bool IsDragThresholdExceeded(int X, int Y);
  virtual bool CanStartDrag();
  virtual void InsertAnimator(TRVItemAnimator*& Animator);
  virtual bool AllowAnimation();
  virtual void ResetAniBackground();
  // The pointer position in Control's client coordinates.
  static void GetMouseClientCoords(TObject* Control, int& X, int& Y);

  // ---- mouse input and selection by mouse (RVMouse.cpp) ----
  // Client coordinates of the control; the document adds its scroll offsets.
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseLeave();
  // A double click at the pointer, at a client point, and the third click.
  void DblClick();
  void DblClickAt(int X, int Y);
  void TripleClick();
  bool IsAboveLineSelectMargin(int X, int Y);
  // Sets the cursor of the control that shows the document.
  virtual void SetCursor(TCursor Cursor);
  // Lets Item receive every move; Left and Top are its first draw item's place.
  void SetMouseCapture(TCustomRVItemInfo* Item, int& Left, int& Top);
  void ReleaseMouseCapture(TCustomRVItemInfo* Item);
  // Feedback drawn by inverting pixels: drawing it twice erases it.
  void AssignXorDrawing(const TRVXorDrawingHandler& Handler);
  void UnAssignXorDrawing(const TRVXorDrawingHandler& Handler);
  bool UsingThisXorDrawing(const TRVXorDrawingHandler& Handler) const;
  bool ClearXorDrawing();
  virtual void XorDrawing();
  void XorDrawingEx(int X, int Y);
  virtual bool CancelResize();
  // Events, raised by the control of the absolute root.
  virtual void DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y);
  virtual void DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y);
  virtual void DoRVRightClick(const TRVUnicodeString& ClickedWord, int StyleNo, int X, int Y);
  virtual void DoRVDblClick(const TRVUnicodeString& ClickedWord, int StyleNo);
  virtual void DoJump(int id);
  virtual void DoGetItemCursor(TCustomRVData* RVData, int ItemNo, TCursor& Cursor);
  virtual bool IsAssignedRVMouseDown() const;
  virtual bool IsAssignedRVMouseUp() const;
  virtual bool IsAssignedRVRightClick() const;
  virtual bool IsAssignedRVDblClick() const;
  virtual bool IsAssignedJump() const;
  virtual TCursor GetNormalCursor();
  // The control's client point as a screen point and back (through the parent control).
  virtual TPoint ClientToScreen(TPoint P);
  virtual TPoint ScreenToClient(TPoint P);
  // The window of the root control (the posted messages go there); nil without one.
  virtual HWND GetRootControlWindow();
  // Whether a click on an item that takes the focus gives it the focus (a control's document
  // with Tab navigation).
  virtual bool FocusesItemsOnClick() { return false; }
  // Internals of the mouse handling.
  // The draw item under a document point, kept while the point stays in it.
  void TrackDrawItemUnderPointer(int X, int Y);
  // The hover step of a move; true when it set a cursor.
  bool HoverStep(TShiftState Shift, int X, int Y, bool AllowJumps, bool JumpsJustBuilt);
  void UpdateJumpHover(int NewDI, int PrevDI, bool JumpsJustBuilt);
  void RefreshControl(bool Now);
  void ClearJumpHover();
  void ResetItemHint();
  void CollapseSelectionAt(int X, int Y, bool KeepInside);
  TCustomRVFormattedData* AbsRootFormatted();

  // ---- selection queries, setting the selection and copying (RVSelection.cpp) ----
  // Whether the selection is not empty (that of the chosen sub-document when there is one). An
  // empty selection is cleared at the same time with AllowReset, unless a mouse selection is in
  // progress; with UsePartialSelected a partially selected item with a selection counts.
  virtual bool SelectionExists(bool AllowReset, bool UsePartialSelected);
  // The draw-item selection start as it stands (after SelectionExists without reset).
  virtual void GetSelStart(int& DINo, int& DIOffs);
  // The selection in item terms (start before end with ANormalize); -1 items without a selection.
  void GetSelectionBounds(int& StartItemNo, int& StartItemOffs, int& EndItemNo, int& EndItemOffs, bool ANormalize);
  // Sets the selection from item terms (SetSelectionBounds, declared with partial reformatting,
  // keeps a position at a line end there; this one prefers the start of the next line).
  void SetSelectionBoundsDown(int StartItemNo, int StartItemOffs, int EndItemNo, int EndItemOffs);
  // Releases the chosen item, moves bounds off list markers, sets the selection (offsets clamped
  // into their draw items) and raises the selection events.
  virtual void DoSetSelectionBounds(int StartItemNo, int StartItemOffs, int EndItemNo, int EndItemOffs,
                                    bool PreferLineBeginning);
  // Whether an item position lies inside the selection (a sub-document's: its owning item inside
  // the parent's selection); IncludeBorders makes the two bounds inside.
  bool Item_InsideSelection(int ItemNo, int ItemOffs, bool IncludeBorders);
  // The same for a draw-item position, against the normalised draw-item selection.
  bool DrawItem_InsideSelection(int DrawItemNo, int DrawItemOffs, bool IncludeBorders);
  // True, with the document and the item, when exactly one whole non-text item is selected
  // (looked for in the chosen sub-document first).
  bool GetSingleSelectedItem(TCustomRVFormattedData*& RVData, int& ItemNo);
  // Decides it from normalised item bounds; ItemNo -1 when false.
  bool DoGetSingleSelectedItem(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs, int& ItemNo);
  // A copy of the picture of the single selected item; nil when none is selected or it has none.
  std::unique_ptr<TGraphic> GetSelectedImage();
  // The selected text (of the chosen sub-document when there is one); empty without a selection.
  TRVUnicodeString GetSelTextW(bool ForANSI = false);
  // Document coordinates (x, top, bottom) of the normalised selection's start and end; false
  // unless both draw items are valid.
  bool GetSelectionBoundsCoords(int& X1, int& Top1, int& Bottom1, int& X2, int& Top2, int& Bottom2);
  // Copies the selection to the clipboard in the formats the options ask for; false when no
  // option and no OnCopy handler asks for anything (the clipboard is then untouched). Color and
  // Background are the document's, written into the native format. Raises the clipboard's
  // exception when the clipboard cannot be opened, EViroZereError "No memory" on a failed
  // allocation.
  bool CopyDef(TColor Color, TObject* Background);
  // One format each, put on the already opened clipboard.
  void CopyRVF(TColor Color, TObject* Background);
  void CopyRTF(TColor Color, TObject* Background);
  void CopyTextA();
  void CopyTextW();
  void CopyImage();
  // The selection scope: the partially selected item alone, else the normalised selection.
  void GetSaveScopeRange(int SaveScope, int& StartItemNo, int& StartOffs, int& EndItemNo, int& EndOffs,
                         TRVMultiDrawItemPart*& StartPart, TRVMultiDrawItemPart*& EndPart,
                         TCustomRVItemInfo*& SelectedItem) override;

  // ---- search (RVSearch.cpp) ----
  // Finds the next occurrence of Str in the direction and selects it (scrolled into view); true
  // when one was found. Descends into the documents held by items.
  bool SearchText(bool Down, bool MatchCase, bool WholeWord, bool FromStart, bool MultiItem, bool SmartStart,
                  const TRVUnicodeString& Str);
  // The item and offset where a search begins.
  virtual void SrchStart(bool Down, bool FromStart, bool SmartStart, int& strt, int& Offs);
  // Selects a found occurrence (from the end back to the start with Invert).
  virtual void SrchSelectIt(int StartItemNo, int StartOffs, int EndItemNo, int EndOffs, bool Invert);

  // ---- colours of painting (RVPaintColorMode.cpp) ----
  // How painting converts colours: the screen's mode here; a printed page answers its own.
  virtual TRVColorMode GetPaintColorMode();

  // ---- what the animation timer asks of the document and its control (RVAnimationView.cpp) ----
  bool GetAnimatedObjectRect(TCustomRVItemInfo* Item, TRect& DocRect) override;
  TRect AnimatedRectToClient(const TRect& DocRect) override;
  int GetAnimationClientHeight() override;
  // No page-layout editor here answers for the rectangles of animated objects: always false.
  bool IsAniRectVisibleInEditor(TRect& Rect, float& ZoomPercent, bool& Visible) override;
  // The window paints only in its paint handler, so the frame is shown by repainting the object's
  // client rectangle; the animator is told that this paint continues its composition.
  void DrawAnimationFrame(TRVAnimator* Animator) override;
  void GetAnimationBackground(TCustomRVItemInfo* Item, const TRect& ImageArea, std::unique_ptr<TBitmap>& Bitmap,
                              TColor& Color) override;

  // ---- canvas transforms of rotated documents and soft page breaks (RVTransforms.cpp) ----
  // Turns the canvas so that the document (rotated as Base says) is drawn in its own unrotated
  // coordinates; DocHeight < 0 means DocumentHeight. OldState receives what RestoreTransform needs.
  void PrepareTransform(TCanvas* Canvas, TRVStoreDocTransform& OldState, int ExtraX, int ExtraY,
                        TRVTransformBase Base, int DocHeight = -1);
  void DoPrepareTransform(TCanvas* Canvas, TRVStoreDocTransform& OldState, int ExtraX, int ExtraY, int HOffs,
                          int VOffs, int Width, int Height, int DocHeight, int VAlign, TRVTransformBase Base);
  void RestoreTransform(TCanvas* Canvas, const TRVStoreDocTransform& OldState);
  // Records the start of page PageNo of Source (the printable copy of this document) as a soft
  // page break; the list holds TRVSoftPageBreakInfo records owned by this document.
  void AssignSoftPageBreak(IRVSoftPageBreakSource* Source, int PageNo);
  TRVSoftPageBreakInfo* GetSoftPageBreak(int Index);

 private:
  // PrepareTransform without resetting OldState (a nested level of a recursive transform).
  void PrepareTransformLevel(TCanvas* Canvas, TRVStoreDocTransform& OldState, int ExtraX, int ExtraY,
                             TRVTransformBase Base, int DocHeight, int Depth);
  void DoPrepareTransformLevel(TCanvas* Canvas, TRVStoreDocTransform& OldState, int ExtraX, int ExtraY, int HOffs,
                               int VOffs, int Width, int Height, int DocHeight, int VAlign, TRVTransformBase Base,
                               int Depth);

 public:
};

// The formatted document behind a document or an item's sub-document (nil when it is not formatted).
TCustomRVFormattedData* RVFormattedOf(TCustomRVData* Data);
