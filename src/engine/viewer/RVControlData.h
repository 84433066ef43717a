// A formatted document shown by a control of its own: keyboard focus among the items that can
// take it (embedded controls, hotspots, hyperlinks), Tab navigation between those items and the
// other controls of the window, and painting through an off-screen bitmap of the area to repaint,
// with a painting failure shown as text in the window instead of leaving the paint handler.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/layout/RVFormattedData.h"

class TControl;
class TWinControl;

// Which key moves the focus between the items of a document.
enum TRVTabNavigationType : std::uint8_t { rvtnNone, rvtnTab, rvtnCtrlTab };

struct TRVPaintBuffer;

class TRVControlData : public TCustomRVFormattedData {
 public:
  TRVControlData();
  ~TRVControlData() override;

  void ClearTemporal() override;
  void DeleteParas(int FirstItemNo, int LastItemNo) override;
  // The old top-level focused item (when it still exists) loses the focus; TopLevelRVData and
  // TopLevelItemNo become the top-level focus.
  void AdjustFocus(int NewFocusedItemNo, TCustomRVData* TopLevelRVData, int TopLevelItemNo) override;
  void Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent) override;
  // The focus rectangle is erased around the document's handling of the release.
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

  // Runs the top-level focused item (a hotspot follows its link, a button is clicked).
  void ExecuteFocused();
  // XOR-draws the focus rectangle of the top-level focused item (twice erases it).
  void DrawFocusedRect(TCanvas* Canvas);
  // Moves the focus to the next (or previous) focusable item, or out of the document to the next
  // control of the window. PrevCtrl is the control that had the focus before, or the viewer.
  void DoTabNavigation(bool Backwards, TWinControl* PrevCtrl);
  // Repaints the clip rectangle of the control's canvas through an off-screen bitmap. The bitmap
  // is kept for the next paint (made again only when a larger area is asked for).
  virtual void PaintBuffered();
  // Frees the kept off-screen bitmap.
  void FreePaintBuffer();

  // The item that has the focus and the document that holds it (a cell or another
  // sub-document); -1 and nil when none. FocusedItemNo is the item of this document on the path.
  int TopLevelFocusedItemNo = -1;
  TCustomRVFormattedData* TopLevelFocusedRVData = nullptr;
  TRVTabNavigationType TabNavigation = rvtnTab;

 protected:
  // The window that shows the document; nil when none.
  TWinControl* GetViewerWindow();
  // Repaints the whole window that shows the document.
  void InvalidateDocument();
  // Gives Control the keyboard focus.
  virtual void FocusControl(TWinControl* Control);
  // The area of the control's canvas to repaint, in client coordinates: the clip box of its
  // context.
  virtual TRect GetPaintClipRect(TCanvas* Canvas);

 private:
  std::unique_ptr<TRVPaintBuffer> FPaintBuffer;
  void ResetTopLevelFocus() {
    TopLevelFocusedItemNo = -1;
    TopLevelFocusedRVData = nullptr;
  }
  // The item of this document that holds Control: the focused item when it owns it, else the
  // first item that owns it; -1 when none.
  int FindItemHoldingControl(TControl* Control);
};

// The window a control belongs to (its topmost parent); the control itself when it has no parent.
TWinControl* RVGetParentForm(TControl* Control);
// The windowed controls inside Form in tab order: each control before its own children, children
// in their parent's order.
std::vector<TWinControl*> RVGetTabOrderList(TWinControl* Form);
