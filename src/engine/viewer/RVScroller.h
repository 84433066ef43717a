// The scrolling window under the viewer and the editor. TCustomRVControl is the base of the
// editor family's controls, with the questions a page-layout editor answers for the editors it
// owns; TRVScroller keeps the scroll positions (vertically in small steps of SmallStep pixels,
// horizontally in pixels), drives the window's two scroll bars, scrolls by scroll-bar actions,
// keys, the wheel and pan gestures, moves embedded child controls with the content, and holds
// the chosen sub-document with its in-place editor. TRVScrollerInternalIfcObject is the
// drag-and-drop companion that forwards the window's drop events to the scroller's hooks.
#pragma once

#include <functional>
#include <memory>

#include "engine/foundation/RVThemes.h"
#include "engine/layout/RVPalette.h"
#include "engine/styles/RVStyleTypes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DragDrop.h"

class TCustomRVData;
class TCustomRVItemInfo;

class TCustomRVControl : public TCustomControl {
 public:
  explicit TCustomRVControl(TComponent* AOwner) : TCustomControl(AOwner) {}

  // Answered by a page-layout editor for the editors it owns; empty here.
  virtual TCustomRVControl* SRVGetActiveEditor(bool /*MainDoc*/) { return nullptr; }
  virtual TCustomRVControl* GetOwnerItemInMainDocEditor() { return SRVGetActiveEditor(true); }
  virtual bool HasOwnerItemInMainDoc() { return false; }
  virtual void RegisterSRVChangeActiveEditorHandler(TComponent* /*Component*/, std::function<void(TObject*)> /*Event*/) {}
  virtual void UnregisterSRVChangeActiveEditorHandler(TComponent* /*Component*/) {}
  virtual void RegisterStyleTemplatesChangeHandler(TComponent* /*Component*/, std::function<void(TObject*)> /*Event*/) {}
  virtual void UnregisterStyleTemplatesChangeHandler(TComponent* /*Component*/) {}
};

class TRVScroller : public TCustomRVControl {
 public:
  explicit TRVScroller(TComponent* AOwner);
  ~TRVScroller() override;

  // Scroll ranges for a document XS pixels wide and YS small steps high (nothing while already
  // updating or without a window). UseDNS lets the vertical bar stay visible but disabled.
  void UpdateScrollBars(int XS, int YS, bool UpdateH, bool UseDNS);
  virtual void SetVPos(int Pos, bool Redraw);
  virtual void SetHScrollPos(int Pos);
  // Scrolls so that document Y is at the top.
  void ScrollTo(int Y) { SetVPos(Y / FSmallStep, true); }
  void ScrollToNoRedraw(int Y) { SetVPos(Y / FSmallStep, false); }

  int GetVScrollPos() const { return VPos; }
  void SetVScrollPos(int Pos) { SetVPos(Pos, true); }
  int GetHScrollPos() const { return HPos; }
  // The largest positions.
  int GetVScrollMax();
  int GetHScrollMax();
  int GetVSmallStep() const { return FSmallStep; }
  virtual void SetVSmallStep(int Value);

  bool GetVScrollVisible() const { return FVScrollVisible; }
  void SetVScrollVisible(bool Value);
  bool GetHScrollVisible() const { return FHScrollVisible; }
  void SetHScrollVisible(bool Value);
  bool GetUseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool Value);
  TRVBiDiMode GetBiDiMode() const { return FBiDiMode; }
  virtual void SetBiDiMode(TRVBiDiMode Value);
  TRVPaletteAction GetDoInPaletteMode() const { return FDoInPaletteMode; }
  void SetDoInPaletteMode(TRVPaletteAction Value);
  bool GetTracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  bool GetFullRedraw() const { return FFullRedraw; }
  void SetFullRedraw(bool Value) { FFullRedraw = Value; }
  bool GetNoVScroll() const { return FNoVScroll; }
  void SetNoVScroll(bool Value) { FNoVScroll = Value; }
  bool GetNoHScroll() const { return FNoHScroll; }
  void SetNoHScroll(bool Value) { FNoHScroll = Value; }
  bool GetVDisableNoScroll() const { return FVDisableNoScroll; }
  void SetVDisableNoScroll(bool Value) { FVDisableNoScroll = Value; }
  int GetWheelStep() const { return FWheelStep; }
  void SetWheelStep(int Value) { FWheelStep = Value; }
  int GetScrollFactor() const { return FScrollFactor; }
  void SetScrollFactor(int Value) { FScrollFactor = Value; }
  // The document area last given to UpdateScrollBars: pixels wide, small steps high.
  int GetAreaWidth() const { return XSize; }
  int GetAreaHeight() const { return YSize; }
  HTHEME GetTheme() const { return FTheme; }
  HPALETTE GetRVPalette() const { return RVPalette; }
  const TRVLogPalette* GetRVLogPalette() const { return PRVLogPal.get(); }

  // The chosen sub-document (a table cell being edited) and its item; neither is owned.
  void AssignChosenRVData(TCustomRVData* RVData, TCustomRVItemInfo* Item);
  void SilentReplaceChosenRVData(TCustomRVData* RVData);
  void UnassignChosenRVData(TCustomRVData* RVData);
  TCustomRVData* GetChosenRVData() const;
  TCustomRVItemInfo* GetChosenItem() const { return FChosenItem; }
  // The control that edits the chosen sub-document, or null.
  TWinControl* GetInplaceEditor() const;
  void DestroyInplace();

  // The control or its in-place editor (and so on inwards) has the focus.
  bool FocusedEx() const;
  // The control and all its parents are enabled.
  bool EnabledEx() const;
  // Takes the focus without the in-place editor taking it over.
  void SetFocusSilent();

  // Drag-and-drop hooks, which the editor overrides; the window's drop events reach them through
  // TRVScrollerInternalIfcObject. Points are client coordinates.
  virtual bool OleDragEnter(int /*X*/, int /*Y*/) { return false; }
  virtual void CallOleDragEnterEvent(const TDragDataObject* /*DataObj*/, int /*KeyState*/, TPoint /*Pt*/,
                                     DWORD& /*Effect*/) {}
  virtual void OleDragLeave() {}
  virtual bool OleDragOver(int /*X*/, int /*Y*/) { return false; }
  virtual void CallOleDragOverEvent(int /*KeyState*/, TPoint /*Pt*/, DWORD& /*Effect*/) {}
  virtual void ReleaseDropTarget() {}
  virtual DWORD OleDrop(const TDragDataObject* /*DataObj*/, int /*KeyState*/, TPoint /*Pt*/, DWORD& /*Effect*/) {
    return 0;
  }
  virtual bool OleCanAcceptFormat(WORD /*Format*/) { return false; }

  std::function<void(TObject*)> OnVScrolled, OnHScrolled;
  bool KeyboardScroll = true;

  // Besides the scroll messages: a change of BorderStyle (bsNone or bsSingle) makes the window
  // again; Enabled repaints.
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
  bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
  void DoGesture(const TGestureEventInfo& EventInfo, bool& Handled) override;

  virtual void OpenThemeData();
  virtual void CloseThemeData();
  virtual void DoVScrolled();
  virtual void DoHScrolled();
  // Before the content moves (the editor hides its caret); nothing here.
  virtual void BeforeScroll() {}
  virtual void DoResize();
  virtual void ResetScrollPositions();
  virtual void UpdateScrollBarsForClient();
  virtual int GetDefSmallStep() { return 10; }
  virtual std::unique_ptr<TRVLogPalette> GetLogPalette();
  virtual void UpdatePaletteInfo();
  // Deselects a sub-document that stops being chosen, without an event; the viewer, which knows
  // the formatted layer, does it. Nothing here.
  virtual void DeselectChosen(TCustomRVData* /*RVData*/) {}
  // Moves the child controls with the content: Tag keeps the unclamped top, Top is it clamped to
  // -10000..10000.
  void ScrollChildren(int DX, int DY);

  int HPos = 0, VPos = 0;
  int XSize = 0, YSize = 0;
  int FSmallStep = 1;
  bool FSilentFocusing = false;

 private:
  void ScrollByMessage(TMessage& Message, bool Vertical);
  void WheelScroll(int Direction);
  bool Destroying() const;

  bool FTracking = true;
  bool FFullRedraw = false;
  bool FVScrollVisible = true, FHScrollVisible = true;
  int FVScrollMax = 0, FVScrollPage = 0, FHScrollMax = 0, FHScrollPage = 0;
  TRVPaletteAction FDoInPaletteMode = rvpaCreateCopies;
  bool FUseXPThemes = true;
  bool FNoVScroll = false, FNoHScroll = false;
  bool FUpdatingScrollBars = false;
  TRVBiDiMode FBiDiMode = rvbdUnspecified;
  bool FVDisableNoScroll = false;
  TCustomRVItemInfo* FChosenItem = nullptr;
  TCustomRVData* FChosenRVData = nullptr;
  HTHEME FTheme = nullptr;
  int FScrollFactor = 1;
  TPoint FPanPoint;
  int FPanVPos = 0, FPanHPos = 0;
  int FWheelStep = 2;
  HPALETTE RVPalette = nullptr;
  std::unique_ptr<TRVLogPalette> PRVLogPal;
};

// Limits of a vertical scroll: positions stay within this many small steps.
constexpr int RVMaxVScrollUnits = 32000;
// The scroll units a document of DocumentHeight pixels takes at Step pixels a unit (the last one
// partly filled).
int RVVScrollUnits(int DocumentHeight, int Step);
// The small step that keeps a document of DocumentHeight pixels within RVMaxVScrollUnits units,
// starting from CurrentStep (the root data's choice when the vertical bar is shown): a larger
// step when the document needs it, back to 10 when 10 suffices again, otherwise unchanged.
int RVAdjustedVSmallStep(int DocumentHeight, int CurrentStep);

// The drag-and-drop companion of a scroller: initialises drag and drop for it and passes the
// window's drop events to its hooks. Drop targets and drop sources derive from it.
class TRVScrollerInternalIfcObject {
 public:
  explicit TRVScrollerInternalIfcObject(TRVScroller* AOwner);
  virtual ~TRVScrollerInternalIfcObject();
  TRVScrollerInternalIfcObject(const TRVScrollerInternalIfcObject&) = delete;
  TRVScrollerInternalIfcObject& operator=(const TRVScrollerInternalIfcObject&) = delete;

  bool OleDragEnter(int X, int Y) { return FOwner->OleDragEnter(X, Y); }
  void OleDragLeave() { FOwner->OleDragLeave(); }
  bool OleDragOver(int X, int Y) { return FOwner->OleDragOver(X, Y); }
  DWORD OleDrop(const TDragDataObject* DataObj, int KeyState, TPoint Pt, DWORD& Effect) {
    return FOwner->OleDrop(DataObj, KeyState, Pt, Effect);
  }
  void CallOleDragEnterEvent(const TDragDataObject* DataObj, int KeyState, TPoint Pt, DWORD& Effect) {
    FOwner->CallOleDragEnterEvent(DataObj, KeyState, Pt, Effect);
  }
  void CallOleDragOverEvent(int KeyState, TPoint Pt, DWORD& Effect) { FOwner->CallOleDragOverEvent(KeyState, Pt, Effect); }
  bool OleCanAcceptFormat(WORD Format) { return FOwner->OleCanAcceptFormat(Format); }
  void OwnerReleaseDropTarget() { FOwner->ReleaseDropTarget(); }

  HRESULT InitRes;

 protected:
  TRVScroller* FOwner;  // not owned
};
