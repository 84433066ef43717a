#include "engine/foundation/RVControlImages.h"

#include <algorithm>

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/UserDraw.h"

namespace {

TColor SolidOrWhite(TColor c) { return c == clNone || c == clDefault ? clWhite : c; }

}  // namespace

std::unique_ptr<TBitmap> CreateFilledBitmap(TControl* Control, TColor Color) {
  const int w = Control ? std::max(0, Control->GetWidth()) : 0;
  const int h = Control ? std::max(0, Control->GetHeight()) : 0;
  auto bitmap = std::make_unique<TBitmap>(w, h);
  if (!bitmap->GetEmpty()) {
    TCanvas* canvas = bitmap->GetCanvas();
    canvas->Brush().SetColor(SolidOrWhite(Color));
    canvas->Brush().SetStyle(bsSolid);
    canvas->FillRect(TRect(0, 0, w, h));
  }
  return bitmap;
}

std::unique_ptr<TBitmap> DrawControlImage(TControl* Control, TColor Color) {
  auto bitmap = CreateFilledBitmap(Control, Color);
  if (!bitmap->GetEmpty()) DrawControlOnCanvas(Control, bitmap->GetCanvas(), 0, 0);
  return bitmap;
}

void DrawControlOnCanvas(TControl* Control, TCanvas* Canvas, int X, int Y) {
  if (!Control || !Canvas) return;
  if (auto* button = dynamic_cast<TButton*>(Control)) {
    DrawButtonImage(button, Canvas, X, Y);
  } else if (auto* edit = dynamic_cast<TEdit*>(Control)) {
    DrawEditImage(edit, Canvas, X, Y);
  } else if (auto* panel = dynamic_cast<TPanel*>(Control)) {
    DrawPanelImage(panel, Canvas, X, Y);
  } else if (auto* graphic = dynamic_cast<TGraphicControl*>(Control)) {
    DrawGraphicControlImage(graphic, Canvas, X, Y);
  } else if (auto* windowed = dynamic_cast<TWinControl*>(Control)) {
    CreateControlHandles(windowed);
    windowed->PaintTo(Canvas, X, Y);
  }
}

void DrawButtonImage(TButton* Control, TCanvas* Canvas, int X, int Y) {
  if (!Control || !Canvas) return;
  RECT r(X, Y, X + Control->GetWidth(), Y + Control->GetHeight());
  DrawFrameControl(Canvas->GetHandle(), &r, DFC_BUTTON, DFCS_BUTTONPUSH);
  Canvas->SetFont(Control->Font());
  Canvas->Brush().SetStyle(bsClear);
  DrawTextW(Canvas->GetHandle(), Control->GetCaption().c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

void DrawEditFrame(TCanvas* Canvas, TRect& R, TColor Color, bool Ctl3D, bool Bordered) {
  if (!Canvas) return;
  Canvas->Brush().SetColor(SolidOrWhite(Color));
  Canvas->FillRect(R);
  if (Bordered) {
    if (Ctl3D) {
      DrawEdge(Canvas->GetHandle(), &R, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    } else {
      Canvas->Rectangle(R.Left, R.Top, R.Right, R.Bottom);
      R = TRect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    }
  }
  R = TRect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
}

void DrawEditImage(TCustomEdit* Control, TCanvas* Canvas, int X, int Y) {
  if (!Control || !Canvas) return;
  TRect r(X, Y, X + Control->GetWidth(), Y + Control->GetHeight());
  DrawEditFrame(Canvas, r, Control->GetColor(), Control->GetCtl3D(), Control->GetBorderStyle() == bsSingle);
  Canvas->SetFont(Control->Font());
  // The text is the box's content, not a label: "&" is shown as typed.
  DrawTextW(Canvas->GetHandle(), Control->GetText().c_str(), -1, &r, DT_EDITCONTROL | DT_SINGLELINE | DT_NOPREFIX);
}

void DrawGraphicControlImage(TGraphicControl* Control, TCanvas* Canvas, int X, int Y) {
  if (!Control || !Canvas) return;
  PaintControlAt(Control, Canvas->GetHandle(), X, Y, true);
}

void DrawPanelImage(TCustomPanel* Control, TCanvas* Canvas, int X, int Y) {
  if (!Control || !Canvas) return;
  Control->PaintTo(Canvas->GetHandle(), X, Y);
  for (int i = 0; i < Control->ControlCount(); ++i) {
    TControl* child = Control->GetControl(i);
    // Hidden children are left out, as the panel's own painting leaves them out.
    if (dynamic_cast<TGraphicControl*>(child) || !child->GetVisible()) continue;
    DrawControlOnCanvas(child, Canvas, X + child->GetLeft(), Y + child->GetTop());
  }
}

void CreateControlHandles(TWinControl* Control) {
  if (!Control) return;
  Control->HandleNeeded();
  for (int i = 0; i < Control->ControlCount(); ++i)
    if (auto* child = dynamic_cast<TWinControl*>(Control->GetControl(i))) CreateControlHandles(child);
}
