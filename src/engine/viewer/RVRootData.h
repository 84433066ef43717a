// The document a viewer control owns: the top of the document tree shown by one viewer. It keeps
// what only a document with its own window has: the link to the viewer, the tree's root state
// (properties, events and special-item lists), the scroll geometry, the font-metric cache of a formatting pass, the
// shared style mappings of an RVF read, the animator list and the drag state. Every other answer
// comes from the viewer through TRVRootDataViewer.
//
// A viewer without rvflRoot in its Flags is the in-place editor of a table cell nested in another
// viewer's document: its root data then behaves as an ordinary sub-document and defers to the
// absolute root.
#pragma once

#include <functional>
#include <memory>

#include "engine/document/RVAnimatorLink.h"
#include "engine/document/RVDataRootState.h"
#include "engine/document/RVFloatingBox.h"
#include "engine/foundation/RVClasses.h"
#include "engine/viewer/RVControlData.h"
#include "engine/viewer/RVRootEvents.h"
#include "engine/viewer/RVScroller.h"

class TRVBackground;
class TRVAnimatorList;
class TRVSeqList;
class TRVMarkerList;
class TRVDocParameters;

// How a document shorter than the client area is placed vertically (the same values as a box's
// vertical alignment, so both headers can be included together).
using TTextLayout = TRVTextLayout;
// When picture animations play.
enum TRVAnimationMode : std::uint8_t { rvaniDisabled, rvaniManualStart, rvaniOnFormat };

// What the root data asks of the viewer that owns it. The viewer control implements it beside
// its scroller base; the event members are the viewer's events, which the root data raises with
// the viewer as Sender.
class TRVRootDataViewer {
 public:
  virtual ~TRVRootDataViewer() = default;

  virtual TRVScroller* GetScroller() = 0;
  virtual TRVOptions GetViewerOptions() = 0;
  virtual void SetViewerOptions(const TRVOptions& Value) = 0;
  virtual TRVFlags GetViewerFlags() const = 0;
  virtual void SetViewerFlags(const TRVFlags& Value) = 0;
  virtual TRVStyle* GetStyle() const = 0;
  virtual TRVBackground* GetBackground() = 0;
  virtual int GetLeftMargin() = 0;
  virtual int GetRightMargin() = 0;
  virtual int GetTopMargin() = 0;
  virtual int GetBottomMargin() = 0;
  virtual int GetMinTextWidth() = 0;
  virtual int GetMaxTextWidth() = 0;
  virtual TTextLayout GetVAlign() = 0;
  virtual int GetMaxLength() = 0;
  virtual bool GetWordWrap() = 0;
  virtual TRVAnimationMode GetAnimationMode() = 0;
  virtual void StartAnimation() = 0;
  virtual void StopAnimation() = 0;
  // The canvas documents are formatted on (a page-layout editor's, else DefCanvas).
  virtual TCanvas* GetFormatCanvas(TCanvas* DefCanvas) = 0;
  // The viewer's clear and save notifications (the root events' handlers).
  virtual void DoOnClear() = 0;
  virtual void DoBeforeSaving() = 0;
  virtual void ClearLiveSpellingResult() = 0;
  virtual TObject* GetDocObjects() = 0;
  // The RTF reader settings of the viewer (made on first use; nil when no RTF reader is linked in).
  virtual TObject* GetRTFReadProperties() = 0;
  // The viewer is being destroyed (events are no longer raised).
  virtual bool IsDestroying() = 0;

  std::function<void(TObject* Sender, int id)> OnRVMouseMove;
  std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y)> OnRVMouseDown,
      OnRVMouseUp;
  std::function<void(TObject* Sender, const TRVUnicodeString& ClickedWord, int StyleNo, int X, int Y)> OnRVRightClick;
  std::function<void(TObject* Sender, const TRVUnicodeString& ClickedWord, int StyleNo)> OnRVDblClick;
  std::function<void(TObject* Sender, int id)> OnJump;
  std::function<void(TObject* Sender, TRVCPInfo* CheckpointData)> OnCheckpointVisible;
  std::function<void(TObject* Sender)> OnSelect;
  std::function<void(TObject* Sender, TCustomRVData* RVData, int ItemNo, TCursor& Cursor)> OnGetItemCursor;
  std::function<void(TObject* Sender, TRVControlAction ControlAction, int ItemNo, TObject* Control)> OnControlAction;
  std::function<void(TObject* Sender, TRVItemAction ItemAction, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                     TCustomRVData* RVData)>
      OnItemAction;
  std::function<void(TObject* Sender, TCustomRVInfo* StyleInfo)> OnAddStyle;
  std::function<void(TObject* Sender, TCustomRVData* RVData, int ItemNo, TRVUnicodeString& Hint)> OnItemHint;
};

// The shared state of one RVF read: style renumbering maps (old number to new) of the document
// and every sub-document read with it, and the stored units.
struct TRVFGlobalReadData {
  std::unique_ptr<TRVIntegerList> RVFTextStylesMapping, RVFParaStylesMapping, RVFListStylesMapping;
  TRVStyleUnits Units = rvstuPixels;
  int PixelsPerInch = 0;
  int RefCount = 0;
};

class TViroZereRVData : public TRVControlData, public IRVAnimationHost {
 public:
  explicit TViroZereRVData(TRVRootDataViewer* AViroZere);
  ~TViroZereRVData() override;

  // Makes the root events, owned by the viewer's control (Owner).
  virtual std::unique_ptr<TRVDataRootEvents> CreateRootEvents(TObject* Owner);

  TRVRootDataViewer* GetViroZere() const { return FViroZere; }
  TRVScroller* GetScroller() const { return FViroZere->GetScroller(); }
  bool IsRoot() const { return GetFlags().Contains(rvflRoot); }

  // ---- answers taken from the viewer ----
  TObject* GetParentControl() override;
  TRVOptions GetOptions() override { return FViroZere->GetViewerOptions(); }
  void SetOptions(const TRVOptions& Value) override { FViroZere->SetViewerOptions(Value); }
  TRVFlags GetFlags() const override { return FViroZere->GetViewerFlags(); }
  void SetFlags(const TRVFlags& Value) override { FViroZere->SetViewerFlags(Value); }
  TRVStyle* GetRVStyle() const override { return FViroZere->GetStyle(); }
  TCanvas* GetCanvas() override;
  TRVBackground* GetBackground() { return FViroZere->GetBackground(); }
  TColor GetColor() override;
  TRVBiDiMode GetBiDiMode() override { return GetScroller()->GetBiDiMode(); }
  int GetLeftMargin() override { return FViroZere->GetLeftMargin(); }
  int GetRightMargin() override { return FViroZere->GetRightMargin(); }
  int GetTopMargin() override { return FViroZere->GetTopMargin(); }
  int GetBottomMargin() override { return FViroZere->GetBottomMargin(); }
  int GetMinTextWidth() override { return FViroZere->GetMinTextWidth(); }
  int GetMaxTextWidth() override { return FViroZere->GetMaxTextWidth(); }
  int GetWidth() const override { return FViroZere->GetScroller()->GetClientWidth(); }
  int GetHeight() override { return GetScroller()->GetClientHeight(); }
  int GetAreaWidth() override { return GetScroller()->GetAreaWidth(); }
  int GetAreaHeight() override { return GetScroller()->GetAreaHeight(); }
  int GetHOffs() override { return GetScroller()->GetHScrollPos(); }
  // Selection colours follow the control's focus; a disabled control paints disabled.
  bool FocusedEx() override { return GetScroller()->FocusedEx(); }
  bool EnabledEx() override { return GetScroller()->EnabledEx(); }
  int GetVOffs() override;
  int GetVSmallStep() override { return GetScroller()->GetVSmallStep(); }
  void GetOrigin(int& ALeft, int& ATop) override { ALeft = ATop = 0; }
  void GetOriginEx(int& ALeft, int& ATop) override { ALeft = ATop = 0; }
  TCanvas* GetFormatCanvasEx(TCanvas* DefCanvas) override { return FViroZere->GetFormatCanvas(DefCanvas); }
  bool CanLoadLayout() override { return true; }
  TObject* GetInplaceEditor() override { return GetScroller()->GetInplaceEditor(); }
  void DestroyInplaceEditor() override { GetScroller()->DestroyInplace(); }
  TCustomRVData* GetChosenRVData() override { return GetScroller()->GetChosenRVData(); }
  TCustomRVItemInfo* GetChosenItem() override { return GetScroller()->GetChosenItem(); }
  bool VScrollBarShown() override;
  bool HasOnlyVScrollBar() override;
  int GetMaxLength() override;
  bool GetWordWrap() override;
  void InvalidateRect(const TRect& R, bool FromLiveSpelling) override;
  void ShowRectangle(int Left, int Top, int Width, int Height) override;

  // ---- events raised to the viewer ----
  void DoRVMouseMove(int id) override;
  void DoRVMouseDown(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y);
  void DoRVMouseUp(TMouseButton Button, TShiftState Shift, int ItemNo, int X, int Y);
  void DoRVRightClick(const TRVUnicodeString& ClickedWord, int StyleNo, int X, int Y);
  void DoRVDblClick(const TRVUnicodeString& ClickedWord, int StyleNo);
  void DoCheckpointVisible(TRVCPInfo* CheckpointData);
  bool IsAssignedRVMouseUp() const { return bool(FViroZere->OnRVMouseUp); }
  bool IsAssignedRVMouseDown() const { return bool(FViroZere->OnRVMouseDown); }
  bool IsAssignedRVRightClick() const { return bool(FViroZere->OnRVRightClick); }
  bool IsAssignedJump() const { return bool(FViroZere->OnJump); }
  bool IsAssignedRVDblClick() const { return bool(FViroZere->OnRVDblClick); }
  bool IsAssignedCheckpointVisible() const { return bool(FViroZere->OnCheckpointVisible); }
  void DoSelect() override;
  void DoGetItemCursor(TCustomRVData* RVData, int ItemNo, TCursor& Cursor);
  void DoStyleTemplatesChange() override;
  void ControlAction2(TCustomRVData* RVData, TRVControlAction AControlAction, int ItemNo, TObject* Control) override;
  void ItemAction(TRVItemAction Action, TCustomRVItemInfo* Item, TRVUnicodeString& Text,
                  TCustomRVData* RVData) override;
  void AfterAddStyle(TCustomRVInfo* StyleInfo) override;
  void DoBeforeSaving() override;
  void GetItemHint(TCustomRVData* RVData, int ItemNo, const TRVUnicodeString& UpperRVDataHint,
                   TRVUnicodeString& Hint) override;

  // ---- scroll geometry ----
  void AdjustVScrollUnits() override;
  void SetDocumentAreaSize(int Width, int Height, bool UpdateH, bool AllowEvents) override;
  void ScrollTo(int Y, bool Redraw) override;
  void HScrollTo(int X) override;
  int GetRVDataExtraVOffs() override;
  int GetFullDocumentHeight() override;

  // ---- the chosen sub-document ----
  void AssignChosenRVData(TCustomRVFormattedData* RVData, TCustomRVItemInfo* Item) override;
  void SilentReplaceChosenRVData(TCustomRVFormattedData* RVData) override;
  void UnassignChosenRVData(TCustomRVData* RVData) override;

  // ---- root-level objects ----
  // The tree's state while the viewer is the root (nil for a nested viewer, which asks its root);
  // flags, options and document objects stay the viewer's.
  TRVDataRootState* GetRootState() const override { return IsRoot() ? FRootState.get() : nullptr; }
  TObject* GetDocObjects() override;
  TObject* GetRTFProperties() override { return FViroZere->GetRTFReadProperties(); }

  // ---- RVF style mappings ----
  // Makes the read data on the first of nested calls and counts the calls; with
  // rvstRVFUsesUnits its Units become the sheet's. The pointers reach the read data's fields.
  void InitStyleMappings(std::unique_ptr<TRVIntegerList>*& PTextStylesMapping,
                         std::unique_ptr<TRVIntegerList>*& PParaStylesMapping,
                         std::unique_ptr<TRVIntegerList>*& PListStylesMapping, int*& PPixelsPerInch,
                         TRVStyleUnits*& PUnits);
  // Counts a call down; the read data goes after the outermost.
  void DoneStyleMappings();
  void SetRVFUseUnits(bool Value);
  TRVFGlobalReadData* GetRVFGlobalReadData() const { return FRVFGlobalReadData.get(); }

  // ---- dragging ----
  bool CanStartDrag();
  void SetClickPoint(int X, int Y);
  bool DragThresholdPassed(int X, int Y);
  // The drag source while a drag from this viewer is under way (owned by the viewer).
  void SetDropSource(TObject* Source) { FDropSource = Source; }
  void ReleaseDropSource() { FDropSource = nullptr; }
  bool IsDragging() const { return FDropSource != nullptr; }

  // ---- animation ----
  // Adds the animator to the list (made on first use) and starts the viewer's animation while
  // FPlayingAnimation is set.
  void InsertAnimator(TRVItemAnimator*& Animator) override;
  bool AllowAnimation() override;
  void ResetAniBackground();
  TRVAnimatorList* GetAnimatorList() const { return FAnimatorList.get(); }
  bool FPlayingAnimation = false;

  // ---- the font-metric cache ----
  TRVFontInfoCache* CreateFontInfoCache(TCanvas* ACanvas, TCanvas* AFormatCanvas) override;
  TRVFontInfoCache* GetFontInfoCache(TCanvas* ACanvas, TCanvas* AFormatCanvas, TCustomRVFormattedData* RVData) override;
  void DestroyFontInfoCache(TRVFontInfoCache*& Cache) override;
  TRVFontInfoCache* GetCurrentFontInfoCache() const { return FFontInfoCache; }

  // Header and footer documents of the tree, kept by the root properties.
  void SetHeader(TCustomRVData* RVData, TRVHFType HeaderType) {
    FRootState->Properties()->SetHeader(RVData, HeaderType);
  }
  void SetFooter(TCustomRVData* RVData, TRVHFType FooterType) {
    FRootState->Properties()->SetFooter(RVData, FooterType);
  }

  void Clear() override;
  std::shared_ptr<IRVScaleViroZereInterface> GetScaleViroZereInterface() override;
  // The viewer's page-layout editor when it is hosted by one (nil when not).
  std::function<std::shared_ptr<IRVScaleViroZereInterface>()> OnGetScaleViroZereInterface;

  // ---- mouse, drag and jump services of the root (RVRootDataInput.cpp) ----
  TRVDragDropCaretInfo* GetDragDropCaretInfo() override;
  bool GetDropSource(TObject*& DropSource, DWORD& OkEffects) override;
  void ReleaseDropSource(bool Moved) override;
  void SetClickCoords(int X, int Y) override;
  bool IsDragThresholdExceeded(int X, int Y) override;
  // A hyperlink click reaches the viewer's OnJump from its message loop.
  void DoJump(int id) override;
  TCursor GetNormalCursor() override;
  void SetControlHint(const TRVUnicodeString& Hint) override;
  bool FocusesItemsOnClick() override;
  HWND GetRootControlWindow() override;
  // Raises the checkpoint-visible event as the viewer's CPEventKind says, after a vertical scroll.
  void AfterVScroll() override;
  // The viewer's text cursor (the cursor shown over text).
  TCursor NormalCursor = -4;
  // Makes the drop source of a drag of the selection; none by default (the editor's drag and
  // drop gives one).
  std::function<TObject*(DWORD& OkEffects)> OnCreateDropSource;
  std::function<void(TObject* Source, bool Moved)> OnReleaseDropSource;

 private:
  std::unique_ptr<TRVDataRootState> FRootState;
  std::unique_ptr<TRVFGlobalReadData> FRVFGlobalReadData;
  TRVRootDataViewer* FViroZere;
  TRVFontInfoCache* FFontInfoCache = nullptr;  // owned
  int FClickX = 0, FClickY = 0;
  std::unique_ptr<TRVAnimatorList> FAnimatorList;
  TObject* FDropSource = nullptr;  // not owned
  TRVDragDropCaretInfo FDragDropCaretInfo;
};
