#include "engine/viewer/RVControlData.h"

#include <algorithm>

#include "engine/foundation/RVGrIn.h"
#include "engine/layout/DrawLines.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"
#include "platform/ui/Controls.h"

TRVControlData::TRVControlData() = default;

void TRVControlData::ClearTemporal() {
  if (DrawItems) ResetTopLevelFocus();
  TCustomRVFormattedData::ClearTemporal();
}

void TRVControlData::DeleteParas(int FirstItemNo, int LastItemNo) {
  TCustomRVFormattedData::DeleteParas(FirstItemNo, LastItemNo);
  ResetTopLevelFocus();
}

void TRVControlData::AdjustFocus(int NewFocusedItemNo, TCustomRVData* TopLevelRVData, int TopLevelItemNo) {
  // A stale number (the item is gone) is left alone.
  if (TopLevelFocusedRVData && TopLevelFocusedItemNo >= 0 &&
      TopLevelFocusedItemNo < TopLevelFocusedRVData->ItemCount())
    TopLevelFocusedRVData->GetItem(TopLevelFocusedItemNo)->ClearFocus();
  TCustomRVFormattedData::AdjustFocus(NewFocusedItemNo, TopLevelRVData, TopLevelItemNo);
  TopLevelFocusedRVData = TopLevelRVData ? TopLevelRVData->AsFormattedData() : nullptr;
  TopLevelFocusedItemNo = TopLevelFocusedRVData ? TopLevelItemNo : -1;
}

void TRVControlData::Deselect(TCustomRVItemInfo* NewPartiallySelected, bool MakeEvent) {
  if (State.Contains(rvstDeselecting)) return;
  State.Include(rvstDeselecting);
  try {
    ClearFocus();
    if (TopLevelFocusedItemNo >= 0) InvalidateDocument();
    ResetTopLevelFocus();
  } catch (...) {
    State.Exclude(rvstDeselecting);
    throw;
  }
  State.Exclude(rvstDeselecting);
  TCustomRVFormattedData::Deselect(NewPartiallySelected, MakeEvent);
}

void TRVControlData::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCanvas* canvas = GetCanvas();
  if (canvas) DrawFocusedRect(canvas);
  TCustomRVFormattedData::MouseUp(Button, Shift, X, Y);
  if (canvas) DrawFocusedRect(canvas);
}

void TRVControlData::ExecuteFocused() {
  if (!TopLevelFocusedRVData || TopLevelFocusedItemNo < 0 ||
      TopLevelFocusedItemNo >= TopLevelFocusedRVData->ItemCount())
    return;
  TopLevelFocusedRVData->GetItem(TopLevelFocusedItemNo)->Execute(TopLevelFocusedRVData);
}

void TRVControlData::DrawFocusedRect(TCanvas* Canvas) {
  TCustomRVFormattedData* data = TopLevelFocusedRVData;
  const int itemNo = TopLevelFocusedItemNo;
  if (!Canvas || !data || itemNo < 0 || itemNo >= data->ItemCount() || !data->DrawItems) return;
  TCustomRVItemInfo* item = data->GetItem(itemNo);
  TRVStyle* style = GetRVStyle();
  if (!item->GetBoolValueEx(rvbpXORFocus, style)) return;
  Canvas->Font().SetColor(clBlack);
  Canvas->Brush().SetStyle(bsSolid);
  int dataLeft = 0, dataTop = 0, ownLeft = 0, ownTop = 0;
  data->GetOrigin(dataLeft, dataTop);
  GetOrigin(ownLeft, ownTop);
  const int dx = dataLeft - ownLeft - GetHOffs();
  const int dy = dataTop - ownTop - GetVOffs();
  TRVGraphicInterface* gi = style ? style->GetGraphicInterface() : nullptr;
  const TRVDrawLines& lines = *data->DrawItems;
  for (int d = std::max(item->DrawItemNo, 0); d < lines.Count() && lines.Get(d)->ItemNo == itemNo; ++d) {
    const TRVDrawLineInfo* dli = lines.Get(d);
    const TRect r{dli->Left - 1 + dx, dli->Top - 1 + dy, dli->Left + dli->Width + 1 + dx,
                  dli->Top + dli->Height + 1 + dy};
    if (gi)
      gi->DrawFocusRect(Canvas, r);
    else
      Canvas->DrawFocusRect(r);
  }
}

// ---- Tab navigation -------------------------------------------------------------------------------

TWinControl* RVGetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  TControl* c = Control;
  while (c->GetParent()) c = c->GetParent();
  return dynamic_cast<TWinControl*>(c);
}

static void AppendTabOrder(TWinControl* Parent, std::vector<TWinControl*>& List) {
  for (int i = 0; i < Parent->ControlCount(); ++i)
    if (auto* w = dynamic_cast<TWinControl*>(Parent->GetControl(i))) {
      List.push_back(w);
      AppendTabOrder(w, List);
    }
}

std::vector<TWinControl*> RVGetTabOrderList(TWinControl* Form) {
  std::vector<TWinControl*> list;
  if (Form) AppendTabOrder(Form, list);
  return list;
}

static bool IsInside(TControl* Control, TControl* Container) {
  for (TControl* c = Control; c; c = c->GetParent())
    if (c == Container) return true;
  return false;
}

TWinControl* TRVControlData::GetViewerWindow() { return dynamic_cast<TWinControl*>(GetParentControl()); }

void TRVControlData::InvalidateDocument() {
  if (TWinControl* w = GetViewerWindow()) w->Invalidate();
}

void TRVControlData::FocusControl(TWinControl* Control) {
  if (Control) Control->SetFocus();
}

int TRVControlData::FindItemHoldingControl(TControl* Control) {
  if (FocusedItemNo >= 0 && FocusedItemNo < ItemCount() && GetItem(FocusedItemNo)->OwnsControl(Control))
    return FocusedItemNo;
  for (int i = 0; i < ItemCount(); ++i)
    if (GetItem(i)->OwnsControl(Control)) return i;
  return -1;
}

void TRVControlData::DoTabNavigation(bool Backwards, TWinControl* PrevCtrl) {
  // 1. The focus came from a mouse press on the document.
  if (State.Contains(rvstDoNotTab)) {
    State.Exclude(rvstDoNotTab);
    return;
  }
  TWinControl* viewer = GetViewerWindow();
  // 2. A control of another window.
  if (PrevCtrl) {
    TWinControl* prevForm = RVGetParentForm(PrevCtrl);
    TWinControl* ownForm = RVGetParentForm(viewer);
    if (!prevForm || !ownForm)
      PrevCtrl = nullptr;
    else if (prevForm != ownForm)
      return;
  }
  // 3. The viewer got the focus back while an item keeps it.
  if (FocusedItemNo >= 0 && !PrevCtrl) return;
  TCanvas* canvas = GetCanvas();
  // 4. The focus leaves an embedded control: start from the item that holds it.
  if (PrevCtrl) {
    const int holder = FindItemHoldingControl(PrevCtrl);
    if (holder >= 0) {
      DrawFocusedRect(canvas);
      if (TopLevelFocusedRVData) TopLevelFocusedRVData->ClearFocus();
      FocusedItemNo = holder;
      TCustomRVData* topData = nullptr;
      int topItem = -1;
      GetItem(holder)->AdjustFocusToControl(PrevCtrl, topData, topItem);
      if (topData && topData->AsFormattedData()) {
        TopLevelFocusedRVData = topData->AsFormattedData();
        TopLevelFocusedItemNo = topItem;
      }
      if (GetItem(holder)->GetBoolValue(rvbpImmediateControlOwner)) {
        TopLevelFocusedRVData = this;
        TopLevelFocusedItemNo = holder;
      }
      DrawFocusedRect(canvas);
    }
  }
  // 5. The next focusable item.
  DrawFocusedRect(canvas);
  if (TopLevelFocusedRVData) TopLevelFocusedRVData->ClearFocus();
  const int hadFocused = FocusedItemNo;
  TCustomRVFormattedData* nextData = nullptr;
  int nextTopItem = -1;
  const int next = GetNextFocusedItem(FocusedItemNo, !Backwards, nextData, nextTopItem);
  if (next >= 0 && nextData) {
    TopLevelFocusedRVData = nextData;
    TopLevelFocusedItemNo = nextTopItem;
  } else {
    ResetTopLevelFocus();
  }
  // 6. Nothing to focus inside: the viewer takes the focus itself.
  if (PrevCtrl != viewer && next < 0 && hadFocused < 0) {
    FocusedItemNo = -1;
    FocusControl(viewer);
    return;
  }
  // 7.
  FocusedItemNo = next;
  if (TopLevelFocusedRVData && TopLevelFocusedItemNo >= 0) {
    TopLevelFocusedRVData->GetItem(TopLevelFocusedItemNo)->Focusing();
  }
  DrawFocusedRect(canvas);
  // 8. Show the focused item.
  if (TopLevelFocusedRVData && TopLevelFocusedItemNo >= 0) {
    const int d = TopLevelFocusedRVData->Item2FirstDrawItem(TopLevelFocusedItemNo);
    if (d >= 0) {
      const TRVDrawLineInfo* dli = TopLevelFocusedRVData->DrawItems->Get(d);
      TopLevelFocusedRVData->ShowRectangle(dli->Left, dli->Top, dli->Width, dli->Height);
    }
    return;
  }
  // 9. The focus leaves the document for the next control of the window, wrapping around.
  if (!viewer) return;
  TWinControl* form = RVGetParentForm(viewer);
  if (form == viewer && viewer->GetParent()) form = viewer->GetParent();
  const std::vector<TWinControl*> order = RVGetTabOrderList(form);
  const int n = static_cast<int>(order.size());
  const int start = static_cast<int>(std::find(order.begin(), order.end(), viewer) - order.begin());
  for (int step = 1; step <= n; ++step) {
    int idx = Backwards ? start - step : start + step;
    idx = ((idx % n) + n) % n;
    TWinControl* c = order[idx];
    if (c == viewer || IsInside(c, viewer)) continue;
    if (c->CanFocus() && c->GetTabStop()) {
      FocusControl(c);
      return;
    }
  }
  if (hadFocused >= 0) DoTabNavigation(Backwards, viewer);
}

// ---- buffered painting ----------------------------------------------------------------------------

TRect TRVControlData::GetPaintClipRect(TCanvas* Canvas) {
  RECT r{0, 0, 0, 0};
  GetClipBox(Canvas->GetHandle(), &r);
  return r;
}

namespace {
// The memory context and bitmap of one buffered paint, released on every path.
struct TPaintBuffer {
  HDC MemDC = nullptr;
  HBITMAP Bitmap = nullptr;
  HGDIOBJ OldBitmap = nullptr;
  ~TPaintBuffer() {
    if (MemDC) {
      if (OldBitmap) SelectObject(MemDC, OldBitmap);
      DeleteDC(MemDC);
    }
    if (Bitmap) DeleteObject(Bitmap);
  }
};
}  // namespace

void TRVControlData::PaintBuffered() {
  if (State.Contains(rvstSkipFormatting)) return;
  TCustomRVData* root = GetAbsoluteRootData();
  if (root && root->State.Contains(rvstFormattingPart)) return;
  TCanvas* canvas = GetCanvas();
  if (!canvas) return;
  const TRect clip = GetPaintClipRect(canvas);
  DrawFocusedRect(canvas);
  DrawDragDropCaret(canvas, false);
  bool failed = false;
  UnicodeString message;
  const int w = clip.Width(), h = clip.Height();
  if (w > 0 && h > 0) {
    HDC dc = canvas->GetHandle();
    TPaintBuffer buffer;
    buffer.MemDC = CreateCompatibleDC(dc);
    buffer.Bitmap = CreateCompatibleBitmap(dc, w, h);
    buffer.OldBitmap = SelectObject(buffer.MemDC, buffer.Bitmap);
    // Client coordinates land in the bitmap: its (0, 0) is the clip rectangle's corner.
    SetViewportOrgEx(buffer.MemDC, -clip.Left, -clip.Top, nullptr);
    {
      TCanvas memCanvas(buffer.MemDC);
      if (TRVStyle* style = GetRVStyle()) DrawBackground(&memCanvas, clip, true, style->GetGraphicInterface());
      // The painter places the clip rectangle's corner at the canvas origin itself.
      SetViewportOrgEx(buffer.MemDC, 0, 0, nullptr);
      try {
        if (DrawItems && DrawItems->Count() > 0)
          PaintTo(&memCanvas, clip, false, false, false, false, true, 0, 0, 0, -1, nullptr, nullptr, false);
      } catch (const Exception& E) {
        failed = true;
        message = E.Message();
      }
    }
    SetViewportOrgEx(buffer.MemDC, 0, 0, nullptr);
    BitBlt(dc, clip.Left, clip.Top, w, h, buffer.MemDC, 0, 0, SRCCOPY);
  }
  if (failed) {
    canvas->Font().SetName(u"Arial");
    canvas->Font().SetSize(10);
    canvas->Font().SetColor(static_cast<TColor>(0x0000FF));
    canvas->Font().SetStyle(TFontStyles());
    canvas->Brush().SetColor(static_cast<TColor>(0xFFFFFF));
    canvas->Brush().SetStyle(bsSolid);
    canvas->TextOut(0, 0, u"Error:" + message);
  }
  DrawDragDropCaret(canvas, false);
  DrawFocusedRect(canvas);
}
