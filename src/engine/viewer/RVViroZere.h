// The viewer control: a scrolling window that shows one document. It owns its root data
// (TViroZereRVData), which holds the items and does the formatting, painting, hit-testing and
// selection; the control turns window messages into calls on the root data, keeps the geometry
// settings the root data reads back (margins, text widths, vertical alignment, colour), raises the
// document events to the program and paints through the root data's buffered painting.
//
// TCustomViroZere is the base of the editor, the printable viewer and the report viewer;
// TViroZere is the class a program places, with nothing of its own.
//
// Several units fill this class. Each keeps its members in a block of its own at the end of the
// class declaration and its bodies in a unit of its own; the blocks are marked below.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/foundation/RVSearchOptions.h"
#include "engine/layout/RVBack.h"
#include "engine/viewer/RVIntProperty.h"
#include "engine/viewer/RVRootData.h"
#include "engine/viewer/RVRootEvents.h"
#include "engine/viewer/RVScroller.h"

class TCustomViroZere;
class TRVDocObjectCollection;
class TCustomImageList;
class TGraphic;

// ---- posted events ------------------------------------------------------------------------------

// Mouse events of a document are raised outside the mouse message that caused them: the document
// posts a message data object to the root viewer's window with WM_RVEVENT, and the viewer raises
// the event and frees the object when the message arrives. WM_RVDRAGDROP starts a drag the same way.
constexpr Cardinal WM_RVEVENT = WM_USER + 15;
constexpr Cardinal WM_RVDRAGDROP = WM_USER + 16;

enum TRVEventType : std::uint8_t {
  rvetRVDblClick, rvetJump, rvetRVMouseUp, rvetRVMouseDown, rvetClick, rvetDblClick, rvetTripleClick,
  rvetMouseMove, rvetDragDrop, rvetEndDrag
};

// The LParam of WM_RVEVENT and WM_RVDRAGDROP: made by the poster, freed by the receiver.
class TRVMessageData : public TObject {
 public:
  TRVEventType Event = rvetClick;
};

class TRVClickMessageData : public TRVMessageData {};

class TRVTripleClickMessageData : public TRVMessageData {};

class TRVDblClickMessageData : public TRVMessageData {
 public:
  TRVUnicodeString ClickedWord;
  int StyleNo = 0;
};

class TRVJumpMessageData : public TRVMessageData {
 public:
  int id = 0;
};

class TRVMouseMoveMessageData : public TRVMessageData {
 public:
  int X = 0, Y = 0, ItemNo = -1;
  TShiftState Shift;
};

class TRVMouseUpDownMessageData : public TRVMouseMoveMessageData {
 public:
  TMouseButton Button = mbLeft;
};

class TRVDNDMessageData : public TRVMessageData {
 public:
  int X = 0, Y = 0;
  TObject* Obj = nullptr;  // the drag source or target (not owned)
};

// ---- the destroy informer ---------------------------------------------------------------------

// Tells a handler that may destroy its own viewer (the context-menu handler) whether it did: the
// handler takes the viewer's informer (made on demand), adds a reference for its duration and
// afterwards looks at ControlDestroyed. The viewer's destructor sets ControlDestroyed; Release
// frees the informer when the last reference goes.
class TRVDestroyInformer {
 public:
  explicit TRVDestroyInformer(TCustomViroZere* AOwner) : Owner(AOwner) {}
  TRVDestroyInformer(const TRVDestroyInformer&) = delete;
  TRVDestroyInformer& operator=(const TRVDestroyInformer&) = delete;

  void AddRef() { ++RefCount; }
  // Counts a reference down; at 0 or below the owner (when it still exists) forgets the informer
  // and the informer is freed. The informer must not be used afterwards.
  void Release();

  TCustomViroZere* Owner;  // nil once the viewer is gone
  int RefCount = 0;
  bool ControlDestroyed = false;
};

// ---- live spelling ------------------------------------------------------------------------------

// The live-spelling worker (RVWordEnumThread.h): made by StartLiveSpelling.
class TRVWordEnumThread;

// ---- the viewer -------------------------------------------------------------------------------

// When checkpoint events are raised.
enum TCPEventKind : std::uint8_t { cpeNone, cpeAsSectionStart, cpeWhenVisible };
// When live spelling starts.
enum TRVLiveSpellingMode : std::uint8_t { rvlspManualStart, rvlspOnChange };

// Options and flags of a new viewer.
inline const TRVOptions RVDefaultViewerOptions{rvoAllowSelection,     rvoScrollToEnd,       rvoShowPageBreaks,
                                               rvoAutoCopyUnicodeText, rvoAutoCopyRVF,       rvoAutoCopyImage,
                                               rvoAutoCopyRTF,        rvoFormatInvalidate,  rvoDblClickSelectsWord,
                                               rvoRClickDeselects,    rvoShowGridLines,     rvoFastFormatting};
inline const TRVFlags RVDefaultViewerFlags{rvflUseJumps, rvflTrim, rvflRoot, rvflCanUseCustomPPI,
                                           rvflCanProcessGetText};

// What makes a viewer's root data (the editor makes its own kind).
using TRVDataClass = std::unique_ptr<TViroZereRVData> (*)(TCustomViroZere* Viewer);
// What makes the RTF reader settings of a viewer (Owner: the root data).
using TRVRTFReadPropertiesClass = std::function<std::unique_ptr<TObject>(TObject* Owner)>;

// The standard RTF reader settings class; set by the RTF reader when it is linked in (nil: none).
extern TRVRTFReadPropertiesClass RVDefaultRTFReadPropertiesClass;

class TCustomViroZere : public TRVScroller, public TRVRootDataViewer {
  TAVRELO_PERSISTENT(TCustomViroZere, TRVScroller)
 public:
  explicit TCustomViroZere(TComponent* AOwner);
  ~TCustomViroZere() override;

  // ---- virtual operations ----
  // Scrolling must repaint the whole window (the in-place cell editor of tables answers so).
  virtual bool RequiresFullRedraw() { return false; }
  // Stops the auto-scroll timer and clears the root data's temporary state.
  virtual void ResetTemporalState();
  virtual void SetStyle(TRVStyle* Value);
  // Refreshes the root data's view when Refresh; an in-place editor that is a viewer follows
  // when full redraws are needed.
  virtual void UpdateAfterScroll(bool Refresh);
  // The class of the root data (fixed at construction).
  virtual TRVDataClass GetDataClass() { return FDataClass; }
  // The RTF reader settings, made on first use from GetRTFReadPropertiesClass (nil when no RTF
  // reader is linked in).
  virtual TObject* GetRTFReadProperties();
  virtual TRVRTFReadPropertiesClass GetRTFReadPropertiesClass();
  // Stores a picture for an HTML or other save through the root data; Result is its location.
  virtual void SavePicture(TRVSaveFormat DocumentSaveFormat, const TRVUnicodeString& Path, TRVUnicodeString& Result,
                           TGraphic* Graphic);
  // The class of the drag source (the editor's; nil here: dragging out is not offered).
  virtual TObject* CreateRVDropSource() { return nullptr; }
  // The live-spelling thread of the absolute root viewer (nil: none).
  virtual TRVWordEnumThread* GetRootWordEnumThread();

  // ---- dynamic operations ----
  // Lets a descendant move the point where the context menu opens; nothing here.
  virtual void AdjustPopupMenuPos(TPoint& /*Point*/) {}
  virtual void CopyOnShortcut(WORD& Key, TShiftState Shift);
  virtual void AfterShowSmartPopup() {}
  TCanvas* GetFormatCanvas(TCanvas* DefCanvas) override;
  // The root properties hold document parameters.
  virtual bool DocParametersAssigned();
  virtual void ApplyLayoutInfo(const TRVLayoutInfo& Layout);

  // ---- formatting ----
  // Formats the whole document on the format canvas (a full format; scroll position and selection
  // start anew).
  void Format();
  // Formats again keeping the scroll position and the selection (a full format when the editor
  // left the document unformatted).
  void Reformat();
  // On a root viewer the header and footer viewers first (and the page-layout editor's), then
  // this one.
  void FormatAll();
  void ReformatAll();
  void FormatAllWith(void (TCustomViroZere::*Step)());
  // On a root viewer the extra documents first, then this document.
  void ClearAll();
  // Runs the root data's formatting with these flags on Canvas (nothing while SmallStep is 0).
  void FormatRoot(bool OnlyResized, bool ForceFormat, TCanvas* Canvas);
  // Invalidates the control and every windowed child control that has a window.
  void InvalidateControlTree();
  // Clears the document (the extra documents stay; ClearAll clears them too).
  void Clear();

  // ---- painting ----
  // The colour the document area is filled with: Color, else the style sheet's, else clWindow.
  TColor GetEffectiveColor();
  // Fills the clip rectangle and writes Text into the client rectangle (no style sheet).
  void DrawNoticeText(const TRVUnicodeString& Text);

  // ---- live spelling ----
  // Starts checking the document in the background (a root viewer with OnSpellingCheck and a
  // style sheet only).
  void StartLiveSpelling();
  // Stops the live-spelling thread, removes every misspelling mark and repaints.
  void ClearLiveSpellingResults();
  // Ends the live-spelling thread and frees it (none: nothing). An error of the spelling handler
  // that ended its pass is raised afterwards when RaiseError.
  void EndLiveSpellingThread(bool RaiseError = true);

  // ---- animation ----
  void StartAnimation() override;
  void StopAnimation() override;

  // ---- properties ----
  TViroZereRVData* GetRVData() const { return RVData.get(); }
  TRVStyle* GetStyle() const override { return FStyle; }
  TRVOptions GetOptions() const { return FOptions; }
  void SetOptions(const TRVOptions& Value) { FOptions = Value; }
  bool GetAllowSelection() const { return FOptions.Contains(rvoAllowSelection); }
  void SetAllowSelection(bool Value);
  bool GetSingleClick() const { return FOptions.Contains(rvoSingleClick); }
  void SetSingleClick(bool Value);
  int GetCursor() const { return FRVCursor; }
  void SetCursor(int Value) { FRVCursor = static_cast<std::int16_t>(Value); }
  int GetMaxLength() override { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value; }
  TCPEventKind GetCPEventKind() const { return FCPEventKind; }
  void SetCPEventKind(TCPEventKind Value) { FCPEventKind = Value; }
  int GetLeftMargin() override { return FLeftMargin; }
  int GetRightMargin() override { return FRightMargin; }
  int GetTopMargin() override { return FTopMargin; }
  int GetBottomMargin() override { return FBottomMargin; }
  void SetLeftMargin(int Value) { FLeftMargin = Value; }
  void SetRightMargin(int Value) { FRightMargin = Value; }
  void SetTopMargin(int Value) { FTopMargin = Value; }
  void SetBottomMargin(int Value) { FBottomMargin = Value; }
  int GetMinTextWidth() override { return FMinTextWidth; }
  int GetMaxTextWidth() override { return FMaxTextWidth; }
  void SetMinTextWidth(int Value) { FMinTextWidth = Value; }
  void SetMaxTextWidth(int Value) { FMaxTextWidth = Value; }
  bool GetWordWrap() override { return FWordWrap; }
  void SetWordWrap(bool Value) { FWordWrap = Value; }
  TTextLayout GetVAlign() override { return FVAlign; }
  void SetVAlign(TTextLayout Value);
  TRVLiveSpellingMode GetLiveSpellingMode() const { return FLiveSpellingMode; }
  void SetLiveSpellingMode(TRVLiveSpellingMode Value) { FLiveSpellingMode = Value; }
  TRVAnimationMode GetAnimationMode() override { return FAnimationMode; }
  void SetAnimationMode(TRVAnimationMode Value);
  TRVBackground* GetBackground() override { return Background.get(); }
  // The background picture (copied in; nil removes it) and how it is placed.
  TGraphic* GetBackgroundBitmap();
  void SetBackgroundBitmap(TGraphic* Value);
  TBackgroundStyle GetBackgroundStyle() const { return Background->Style; }
  void SetBackgroundStyle(TBackgroundStyle Value);
  int GetFirstJumpNo() const;
  void SetFirstJumpNo(int Value);
  TRVTabNavigationType GetTabNavigation() const;
  void SetTabNavigation(TRVTabNavigationType Value);
  // Kept by the root properties.
  TRVUnicodeString GetDelimiters() const;
  void SetDelimiters(const TRVUnicodeString& Value);
  TRVDocParameters* GetDocParameters();
  void SetDocParameters(const TRVDocParameters* Value);
  TRVRTFOptions GetRTFOptions() const;
  void SetRTFOptions(const TRVRTFOptions& Value);
  TRVFOptions GetRVFOptions() const;
  void SetRVFOptions(const TRVFOptions& Value);
  TRVFReaderStyleMode GetRVFParaStylesReadMode() const;
  void SetRVFParaStylesReadMode(TRVFReaderStyleMode Value);
  TRVFReaderStyleMode GetRVFTextStylesReadMode() const;
  void SetRVFTextStylesReadMode(TRVFReaderStyleMode Value);
  bool GetUseVCLThemes() const;
  void SetUseVCLThemes(bool Value);
  bool GetUseStyleTemplates() const;
  void SetUseStyleTemplates(bool Value);
  TRVStyleTemplateInsertMode GetStyleTemplateInsertMode() const;
  void SetStyleTemplateInsertMode(TRVStyleTemplateInsertMode Value);
  std::vector<TRVUnicodeString>& DocProperties();
  TRVUnicodeString GetNoteText() const;
  void SetNoteText(const TRVUnicodeString& Value);
  TRVFWarnings GetRVFWarnings() const;
  // The document objects, made on first read.
  TRVDocObjectCollection* GetDocObjectCollection();
  TObject* GetDocObjects() override;
  // Height of the formatted root document.
  int GetDocumentHeight() const;
  int GetFirstItemVisible() const;
  int GetLastItemVisible() const;
  // Both the number of items of the root document.
  int GetItemCount() const;
  int GetLineCount() const { return GetItemCount(); }
  TCustomRVData* GetHeaderRVData() const;
  TCustomRVData* GetFooterRVData() const;
  TCustomRVData* GetFirstPageHeaderRVData() const;
  TCustomRVData* GetFirstPageFooterRVData() const;
  TCustomRVData* GetEvenPagesHeaderRVData() const;
  TCustomRVData* GetEvenPagesFooterRVData() const;
  // The destroy informer, made on demand.
  TRVDestroyInformer* GetDestroyInformer();

  // ---- overrides of the control and scroller ----
  void SetName(const UnicodeString& Value) override;
  void Loaded() override;
  void Invalidate() override;
  void Update() override;
  void SetBiDiMode(TRVBiDiMode Value) override;
  // Refused for Value <= 0, and while the vertical bar is visible for a step that would need
  // more than 32000 scroll positions.
  void SetVSmallStep(int Value) override;
  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void RegisterStyleTemplatesChangeHandler(TComponent* Component, std::function<void(TObject*)> Event) override;
  void UnregisterStyleTemplatesChangeHandler(TComponent* Component) override;
  // The style sheet (or another component the viewer refers to) is going away.
  virtual void Notification(TObject* AComponent, TOperation Operation);

  // ---- answers to the root data ----
  TRVScroller* GetScroller() override { return this; }
  TRVOptions GetViewerOptions() override { return FOptions; }
  void SetViewerOptions(const TRVOptions& Value) override { FOptions = Value; }
  TRVFlags GetViewerFlags() const override { return Flags; }
  void SetViewerFlags(const TRVFlags& Value) override { Flags = Value; }
  void DoOnClear() override;
  void DoBeforeSaving() override;
  void ClearLiveSpellingResult() override { ClearLiveSpellingResults(); }
  bool IsDestroying() override { return ComponentState().Contains(csDestroying); }

  // ---- events (besides those the root data raises, declared with TRVRootDataViewer) ----
  std::function<void(TObject* Sender, TMessage& AMessage)> OnCMHintShow;
  std::function<void(TObject* Sender, const TRVUnicodeString& Path, TObject* SaveMe, TRVSaveFormat SaveFormat,
                     TRVUnicodeString& OutStr)>
      OnSaveComponentToFile;
  std::function<void(TObject* Sender, const TRVUnicodeString& Path, TCustomRVData* RVData, int ItemNo,
                     TRVSaveFormat SaveFormat, TRVUnicodeString& OutStr, bool& DoDefault)>
      OnSaveItemToFile;
  std::function<void(TObject* Sender, const TRVUnicodeString& ItemName, TCustomRVItemInfo* Item, int Index1,
                     int Index2, std::unique_ptr<TGraphic>& gr)>
      OnRVFPictureNeeded;
  std::function<void(TObject* Sender, std::shared_ptr<IRVScaleViroZereInterface>& Result)> OnGetScaleViroZereInterface;
  std::function<void(TObject* Sender, const TRVUnicodeString& Target, const TRVUnicodeString& Extras,
                     TRVLoadFormat DocFormat, int& StyleNo, TRVUnicodeString& ItemTag, TRVUnicodeString& ItemName)>
      OnReadHyperlink;
  std::function<void(TObject* Sender, int id, TCustomRVData* RVData, int ItemNo, TRVSaveFormat SaveFormat,
                     TRVUnicodeString& Target, TRVUnicodeString& Extras)>
      OnWriteHyperlink;
  std::function<void(TObject* Sender, const TRVUnicodeString& FieldName, const TRVUnicodeString& Extras,
                     TRVLoadFormat DocFormat, int& StyleNo, TRVUnicodeString& ItemTag, TRVUnicodeString& ItemName)>
      OnReadMergeField;
  std::function<void(TObject* Sender, TRVLongOperation Operation, TRVProgressStage Stage, std::uint8_t PercentDone)>
      OnProgress;
  std::function<void(TObject* Sender)> OnStyleTemplatesChange;
  std::function<void(TObject* Sender)> OnCopy;
  std::function<void(TObject* Sender, const TRVUnicodeString& Name, const TRVUnicodeString& Tag, TObject*& ctrl)>
      OnRVFControlNeeded;
  std::function<void(TObject* Sender, int ImageListTag, TCustomImageList*& Ail)> OnRVFImageListNeeded;
  std::function<void(TObject* Sender, TRVUnicodeString& FileName)> OnAssignImageFileName;
  std::function<void(TObject* Sender, TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& Path,
                     TColor BackgroundColor, TRVUnicodeString& Location, bool& DoDefault)>
      OnHTMLSaveImage;
  std::function<void(TObject* Sender, TGraphic* Graphic, TRVSaveFormat SaveFormat, const TRVUnicodeString& Path,
                     const TRVUnicodeString& ImagePrefix, int& ImageSaveNo, TRVUnicodeString& Location,
                     bool& DoDefault)>
      OnSaveImage2;
  std::function<void(TObject* Sender, TObject* Button)> OnSmartPopupClick;
  std::function<void(TObject* Sender, int Area, TObject* Obj, int Index1, int Index2, bool InStyleSheet,
                     TRVUnicodeString& RTFCode)>
      OnSaveRTFExtra;
  std::function<void(TObject* Sender, int Area, TObject* Obj, int Index1, int Index2, TRVUnicodeString& OOXMLCode)>
      OnSaveDocXExtra;
  std::function<void(TObject* Sender, int Area, bool CSSVersion, TRVUnicodeString& HTMLCode)> OnSaveHTMLExtra;
  std::function<void(TObject* Sender, TCustomRVData* RVData, int ItemNo, bool ParaStart, bool CSSVersion,
                     TRVUnicodeString& HTMLCode)>
      OnSaveParaToHTML;
  std::function<void(TObject* Sender, TCanvas* ACanvas, bool Prepaint)> OnPaint;
  std::function<void(TObject* Sender, const TRVUnicodeString& Location, int Width, int Height,
                     std::unique_ptr<TGraphic>& Graphic)>
      OnImportPicture;
  std::function<void(TObject* Sender, const TRVUnicodeString& AWord, int StyleNo, bool& Misspelled)> OnSpellingCheck;

  // ---- state read by the root data and the other units of the viewer ----
  bool ScrollTimerActive = false;
  // Scroll units per auto-scroll tick, set by mouse moves.
  int VScrollDelta = 0, HScrollDelta = 0;
  // State of an HTML save.
  TRVUnicodeString imgSavePrefix;
  TRVSaveOptions SaveOptions;
  TColor CurrentFileColor = clWhite;
  int imgSaveNo = 0;
  // Message time of the last double click (0: none).
  DWORD FDblClickTime = 0;
  TRVFlags Flags = RVDefaultViewerFlags;
  std::unique_ptr<TRVBackground> Background;
  // The result slot of an OnImportPicture handler.
  bool CurPictureInvalid = false;

 protected:
  // For descendants whose root data is of another class.
  TCustomViroZere(TComponent* AOwner, TRVDataClass DataClass);

  // The window's content: the notice text without a style sheet, nothing inside a page-layout
  // editor, otherwise the document through the root data's buffered painting, then OnPaint.
  virtual void Paint();
  // Paints on DC through the control's canvas, which outside painting keeps a context of the
  // screen so that the document can be measured and hit-tested at any time.
  void PaintWindow(HDC DC) override;
  void Resize() override;
  void DoGesture(const TGestureEventInfo& EventInfo, bool& Handled) override;
  void DoVScrolled() override;
  void DoHScrolled() override;
  void UpdatePaletteInfo() override;
  void ResetScrollPositions() override;
  void UpdateScrollBarsForClient() override;
  void DeselectChosen(TCustomRVData* RVData) override;
  // The size handler: formats for the new width and repaints (guarded against re-entry).
  void WMSize(TMessage& Message);
  // The background's picture or placement changed.
  void DoOnBackBitmapChange(TObject* Sender);
  // The page-layout editor that hosts the viewer (nil when none).
  std::shared_ptr<IRVScaleViroZereInterface> GetScaleViroZere();

  // Input: the bodies are filled by the input unit; here they pass to the scroller.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;

  TRVDestroyInformer* FDestroyInformer = nullptr;
  bool FResizing = false;
  std::unique_ptr<TRVDocObjectCollection> FDocObjects;
  std::int16_t FRVCursor = 0;
  TRVOptions FOptions = RVDefaultViewerOptions;
  int FMaxLength = 0;
  TCPEventKind FCPEventKind = cpeNone;
  int FMaxTextWidth = 0, FMinTextWidth = 0;
  int FLeftMargin = 5, FRightMargin = 5, FTopMargin = 5, FBottomMargin = 5;
  bool FWordWrap = true;
  std::unique_ptr<TObject> FRTFReadProperties;
  // The smart-popup button's properties (made on first use by the unit that shows the button).
  std::unique_ptr<TObject> FSmartPopupProperties;
  TRVLiveSpellingMode FLiveSpellingMode = rvlspManualStart;
  TRVAnimationMode FAnimationMode = rvaniManualStart;
  TTextLayout FVAlign = tlTop;
  TRVStyle* FStyle = nullptr;  // not owned
  std::unique_ptr<TRVWordEnumThread> FWordEnumThread;
  std::unique_ptr<TViroZereRVData> RVData;

 private:
  friend class TRVDestroyInformer;
  void Init(TRVDataClass DataClass);
  TRVDataClass FDataClass;
  // The canvas keeps a context of the screen outside painting.
  HDC FMeasureDC = nullptr;

 public:
  // ---- document operations ----
  // Bodies in RVViroZereDocOps.cpp. Adding and loading do not format: call Format afterwards.
  // Building the document (the root data's operations).
  void AddItem(const TRVUnicodeString& Text, TCustomRVItemInfo* Item);
  void AddNLW(const TRVUnicodeString& Text, int StyleNo, int ParaNo, const TRVUnicodeString& Tag = {});
  void AddNL(const TRVUnicodeString& Text, int StyleNo, int ParaNo, const TRVUnicodeString& Tag = {}) {
    AddNLW(Text, StyleNo, ParaNo, Tag);
  }
  // Each line a paragraph (FirstParaNo for the first, OtherParaNo for the rest), or with
  // AsSingleParagraph one paragraph with line breaks.
  void AddTextNLW(const TRVUnicodeString& Text, int StyleNo, int FirstParaNo, int OtherParaNo,
                  bool AsSingleParagraph = false, const TRVUnicodeString& Tag = {});
  void AddTextNL(const TRVUnicodeString& Text, int StyleNo, int FirstParaNo, int OtherParaNo,
                 bool AsSingleParagraph = false, const TRVUnicodeString& Tag = {}) {
    AddTextNLW(Text, StyleNo, FirstParaNo, OtherParaNo, AsSingleParagraph, Tag);
  }
  void AddBreak(TRVStyleLength Width, int Style, TColor Color, const TRVUnicodeString& Tag = {});
  void AddBullet(int ImageIndex, TCustomImageList* ImageList, int ParaNo, const TRVUnicodeString& Tag = {});
  // False makes the Add operations continue the current paragraph.
  void SetAddParagraphMode(bool AllowNewPara);

  // Reading items (the root data's).
  TCustomRVItemInfo* GetItem(int ItemNo) const;
  int GetItemNo(const TCustomRVItemInfo* Item) const;
  int GetItemStyle(int ItemNo) const;
  TRVUnicodeString GetItemTag(int ItemNo) const;
  TRVUnicodeString GetItemTextW(int ItemNo) const;
  TRVUnicodeString GetItemText(int ItemNo) const { return GetItemTextW(ItemNo); }
  TRVVAlign GetItemVAlign(int ItemNo) const;
  int GetOffsBeforeItem(int ItemNo) const;
  int GetOffsAfterItem(int ItemNo) const;
  bool IsFromNewLine(int ItemNo) const;
  bool GetPageBreaksBeforeItems(int ItemNo) const;
  bool GetClearLeft(int ItemNo) const;
  bool GetClearRight(int ItemNo) const;
  bool GetItemExtraIntPropertyEx(int ItemNo, int Prop, int& Value) const;
  // Value is emptied first.
  bool GetItemExtraStrPropertyEx(int ItemNo, int Prop, TRVUnicodeString& Value) const;
  // The marker of the item's paragraph: its list, level and start-from; the marker's item number
  // or -1.
  int GetListMarkerInfo(int ItemNo, int& ListNo, int& ListLevel, int& StartFrom, bool& UseStartFrom) const;
  int SetListMarkerInfo(int ItemNo, int ListNo, int ListLevel, int StartFrom, int ParaNo, bool UseStartFrom);
  // The document position of an item's first draw item; false when the item is not formatted.
  bool GetItemCoords(int ItemNo, int& Left, int& Top) const;
  // The innermost document, item and offset under a client point, through the documents held by
  // items; with Strict only a point on an item counts. False (ItemNo -1) when there is none.
  bool GetItemAt(int X, int Y, TCustomRVFormattedData*& ARVData, int& ItemNo, int& OffsetInItem, bool Strict) const;
  // The document and item of the hyperlink with the id the jump events report (nil and -1 when
  // there is none).
  void GetJumpPointLocation(int id, TCustomRVFormattedData*& ARVData, int& ItemNo) const;

  // Coordinates: client point to document point and back.
  TPoint ClientToDocument(const TPoint& Point) const;
  TPoint DocumentToClient(const TPoint& Point) const;

  // Style maintenance.
  void DeleteUnusedStyles(bool TextStyles, bool ParaStyles, bool ListStyles);
  void MarkStylesInUse(TRVDeleteUnusedStylesData* Data);
  // Converts the document's lengths when a style sheet is assigned and its units differ.
  void ConvertDocToDifferentUnits(TRVStyleUnits NewUnits);
  // Removes the soft page breaks (repaints when there were any).
  void ClearSoftPageBreaks();

  // The native format. The viewer's Color, background and layout travel with the document.
  bool InsertRVFFromStream(TStream* Stream, int Index);
  bool AppendRVFFromStream(TStream* Stream, int ParaNo);
  bool LoadRVFFromStream(TStream* Stream);
  bool LoadRVF(const TRVUnicodeString& FileName);
  bool SaveRVFToStream(TStream* Stream, bool SelectionOnly);
  bool SaveRVF(const TRVUnicodeString& FileName, bool SelectionOnly);
  // The viewer's margins, text widths and direction as a layout record.
  std::unique_ptr<TRVLayoutInfo> CreateLayoutInfo() const;

  // RTF, HTML and DOCX: no reader or writer is built in yet; these answer false.
  bool LoadRTFFromStream(TStream* Stream);
  bool LoadRTF(const TRVUnicodeString& FileName);
  bool SaveRTFToStream(TStream* Stream, bool SelectionOnly);
  bool SaveRTF(const TRVUnicodeString& FileName, bool SelectionOnly);
  bool SaveHTML(const TRVUnicodeString& FileName, const TRVUnicodeString& Title, const TRVUnicodeString& ImagesPrefix,
                const TRVSaveOptions& Options);
  bool SaveHTMLEx(const TRVUnicodeString& FileName, const TRVUnicodeString& Title,
                  const TRVUnicodeString& ImagesPrefix, const TRVSaveOptions& Options);
  virtual bool SaveDocXToStream(TStream* Stream, bool SelectionOnly);
  bool SaveDocX(const TRVUnicodeString& FileName, bool SelectionOnly);
  // Writing nil frees the RTF reader settings; anything else is copied into them.
  void SetRTFReadProperties(TObject* Value);

  // Plain text.
  bool LoadText(const TRVUnicodeString& FileName, int StyleNo, int ParaNo, bool AsSingleParagraph,
                TRVCodePage CodePage = 0);
  bool LoadTextW(const TRVUnicodeString& FileName, int StyleNo, int ParaNo, bool DefAsSingleParagraph);
  bool SaveText(const TRVUnicodeString& FileName, int LineWidth, TRVCodePage CodePage = 0);
  bool SaveTextW(const TRVUnicodeString& FileName, int LineWidth);
  // With SelectionOnly the innermost chosen document writes its selection.
  bool SaveTextToStream(const TRVUnicodeString& Path, TStream* Stream, int LineWidth, bool SelectionOnly,
                        bool TextOnly, TRVCodePage CodePage = 0);
  bool SaveTextToStreamW(const TRVUnicodeString& Path, TStream* Stream, int LineWidth, bool SelectionOnly,
                         bool TextOnly);

  // Header and footer documents, kept by the root properties.
  void SetHeader(TCustomRVData* HeaderData, TRVHFType HeaderType);
  void SetFooter(TCustomRVData* FooterData, TRVHFType FooterType);

  // Numbered properties; an unknown id reads 0 and writes nothing. Reading a document-parameter
  // value never makes the document parameters; writing one does.
  void SetIntProperty(TRVIntProperty Id, int Value);
  int GetIntProperty(TRVIntProperty Id);

  // Copies the event handlers that describe what a document does (not the progress, checkpoint,
  // cursor, smart-popup, spelling and scroll events) from another viewer.
  void AssignEvents(TCustomViroZere* Source);

  // Handlers of other components (rulers, thumbnails) told of scrolling and resizing.
  void RegisterHScrollHandler(TComponent* Component, std::function<void(TObject*)> Event);
  void UnregisterHScrollHandler(TComponent* Component);
  void RegisterVScrollHandler(TComponent* Component, std::function<void(TObject*)> Event);
  void UnregisterVScrollHandler(TComponent* Component);
  void RegisterResizeHandler(TComponent* Component, std::function<void(TObject*)> Event);
  void UnregisterResizeHandler(TComponent* Component);

  // Live spelling, called while the document changes; each does nothing without a thread.
  // Drops the misspelling mark of Word in every item (the word was added or ignored).
  void LiveSpellingValidateWord(const TRVUnicodeString& Word);
  void LaterSetBackLiveSpellingTo(TCustomRVData* ARVData, int ItemNo, int Offs);
  void RemoveRVDataFromLiveSpelling(TCustomRVData* ARVData);
  void AdjustLiveSpellingOnKeyPress(TCustomRVData* ARVData, int ItemNo, int Index, TRVUnicodeChar ch);
  void AdjustLiveSpellingOnDelete(TCustomRVData* ARVData, int ItemNo, int Index, int Count);
  void LiveSpellingCheckCurrentItem(TCustomRVData* ARVData, int ItemNo);
  void ContinueLiveSpelling();

  // ---- selection, copying and search ----
  // Forward to the root data (the caller repaints after SelectAll and Deselect).
  void Deselect();
  void SelectAll();
  // A non-empty selection in the root document or in a sub-document.
  bool SelectionExists();
  // A copy of the single selected picture; nil when none.
  std::unique_ptr<TGraphic> GetSelectedImage();
  TRVUnicodeString GetSelTextW();
  TRVUnicodeString GetSelText() { return GetSelTextW(); }
  void GetSelectionBounds(int& StartItemNo, int& StartItemOffs, int& EndItemNo, int& EndItemOffs, bool Normalize);
  void SetSelectionBounds(int StartItemNo, int StartItemOffs, int EndItemNo, int EndItemOffs);
  // Copies the selection in the formats the options choose; false when nothing asks for a copy.
  bool CopyDef();
  // Copies the selection in every format the viewer writes (the native format, text, Unicode
  // text, a single selected picture), whatever the options.
  void Copy();
  // One format each, replacing what the clipboard held; nothing without a selection.
  void CopyText();
  void CopyTextW();
  void CopyRVF();
  void CopyImage();
  // Finds the next occurrence of s and selects it; true when found.
  bool SearchText(const TRVUnicodeString& s, TRVSearchOptions SrchOptions);
  bool SearchTextW(const TRVUnicodeString& s, TRVSearchOptions SrchOptions) { return SearchText(s, SrchOptions); }

  // ---- input, timers and window messages ----
  // (RVViroZereInput.cpp.) The auto-scroll step for a pointer coordinate Pos along a client
  // extent: -10 more than 20 pixels before the client area, -1 within 20 pixels before it, 1
  // within 20 pixels after it, 10 farther, 0 inside (the extent itself included).
  static int AutoScrollDelta(int Pos, int ClientExtent);
  // Timer 1 scrolls by the deltas while a selection is dragged beyond the window: every 100 ms
  // (300 ms when Slow). Nothing when AutoScrollAllowed is off or it runs already.
  void ActivateScrollTimer(bool Slow);
  void DeactivateScrollTimer();
  // A mouse move at the pointer, when it lies over the client area.
  void GenerateMouseMove();
  // Ctrl+C or Ctrl+Insert; Ctrl+X or Shift+Delete; Ctrl+V or Shift+Insert (never with Alt).
  static bool IsCopyShortcut(WORD Key, TShiftState Shift);
  static bool IsCutShortcut(WORD Key, TShiftState Shift);
  static bool IsPasteShortcut(WORD Key, TShiftState Shift);
  // The viewer whose document holds this one (this viewer unless it edits a cell of another).
  TCustomViroZere* GetRootControl();
  // The tab order of the window with the viewer before the controls embedded in it.
  void GetTabOrderList(std::vector<TWinControl*>& List);
  // Raised by a right click (client coordinates) before any menu; Handled stops the menu.
  std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)> OnContextPopup;
  // The milliseconds timer 2 runs at now (0: stopped).
  int AnimationTimerInterval() const { return FAnimationInterval; }
  // The handlers the viewer's message handling and input overrides call.
  bool InputWndProc(TMessage& Message);
  bool InputDispatch(TMessage& Message);
  void InputMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  void InputMouseMove(TShiftState Shift, int X, int Y);
  void InputMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  void InputDblClick();
  void InputKeyDown(WORD& Key, TShiftState Shift);
  void InputAfterScroll(bool Vertical);
  void InputGesture(const TGestureEventInfo& EventInfo, bool& Handled);
  void InputStartAnimation();
  void InputStopAnimation();
  void InputAnimationModeChanged();

 private:
  void HandlePostedEvent(TMessage& Message);
  void AnimationTimer();
  void ScrollTimer();
  void ContextMenuMessage(TMessage& Message);
  int FAnimationInterval = 0;
  TPoint FDblClickPoint;

 public:

  // ---- edit-control messages ----
  // Answers the edit-control messages and, while Flags hold rvflCanProcessGetText, the window-text
  // messages (RVViroZereMessages.cpp); false for any other message, which is left untouched.
  bool DispatchEditControlMessage(TMessage& Message);

 protected:
  void WMGetText(TMessage& Message);
  void WMSetText(TMessage& Message);
  void EMGetSel(TMessage& Message);
  void EMSetSel(TMessage& Message);
  void EMGetTextRange(TMessage& Message);
  void EMLineFromChar(TMessage& Message);
  void EMLineIndex(TMessage& Message);
  void EMLineLength(TMessage& Message);
};

// The auto-scroll of a selection dragged beyond the window may run (on by default).
extern bool AutoScrollAllowed;

// The viewer as a program places it.
// A viewer's background as the native format reads and writes it (loading a document, or
// inserting one into an editor).
class TViewerRVFBackground : public TObject, public IRVFBackground {
 public:
  explicit TViewerRVFBackground(TCustomViroZere* Viewer) : FViewer(Viewer) {}
  int GetRVFBackgroundStyle() const override { return static_cast<int>(FViewer->GetBackgroundStyle()); }
  void SetRVFBackgroundStyle(int Style) override {
    if (Style >= bsNoBitmap && Style <= bsBottomRight) FViewer->SetBackgroundStyle(static_cast<TBackgroundStyle>(Style));
  }
  TGraphic* GetRVFBackgroundImage() override {
    return FViewer->Background->EmptyImage() ? nullptr : FViewer->GetBackgroundBitmap();
  }
  void SetRVFBackgroundImage(std::unique_ptr<TGraphic> Image) override { FViewer->SetBackgroundBitmap(Image.get()); }

 private:
  TCustomViroZere* FViewer;
};

class TViroZere : public TCustomViroZere {
  TAVRELO_PERSISTENT(TViroZere, TCustomViroZere)
 public:
  explicit TViroZere(TComponent* AOwner) : TCustomViroZere(AOwner) {}
};

