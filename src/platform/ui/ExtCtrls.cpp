#include "platform/ui/ExtCtrls.h"

#include <algorithm>

#include "platform/ui/UserDraw.h"

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  if (!Canvas || Width <= 0) return;
  HDC dc = Canvas->GetHandle();
  HBRUSH top = CreateSolidBrush(ColorToRGB(TopColor));
  HBRUSH bottom = CreateSolidBrush(ColorToRGB(BottomColor));
  for (int i = 0; i < Width && !Rect.IsEmpty(); ++i) DrawFrameBand(dc, Rect, BF_RECT, top, bottom);
  DeleteObject(top);
  DeleteObject(bottom);
}

const TClassInfo& TCustomPanel::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomPanel>(u"TCustomPanel", &TCustomControl::StaticClassInfo())
          .String(u"Caption", &TCustomPanel::GetCaption, &TCustomPanel::SetCaption)
          .Build();
  return info;
}

const TClassInfo& TPanel::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TPanel>(u"TPanel", &TCustomPanel::StaticClassInfo()).Build();
  return info;
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                   csDoubleClicks, csReplicatable};
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::SetBevelOuter(TBevelCut v) { SetLookField(FBevelOuter, v); }

void TCustomPanel::SetBevelInner(TBevelCut v) { SetLookField(FBevelInner, v); }

void TCustomPanel::SetBevelWidth(int v) { SetLookField(FBevelWidth, std::max(1, v)); }

void TCustomPanel::SetBorderWidth(int v) { SetLookField(FBorderWidth, std::max(0, v)); }

void TCustomPanel::SetAlignment(TAlignment v) { SetLookField(FAlignment, v); }

void TCustomPanel::Paint() {
  TCanvas& canvas = *GetCanvas();
  TRect r = GetClientRect();
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    const TColor top = cut == bvLowered ? clBtnShadow : cut == bvRaised ? clBtnHighlight : GetColor();
    const TColor bottom = cut == bvLowered ? clBtnHighlight : cut == bvRaised ? clBtnShadow : GetColor();
    Frame3D(&canvas, r, top, bottom, FBevelWidth);
  };
  bevel(FBevelOuter);
  Frame3D(&canvas, r, GetColor(), GetColor(), FBorderWidth);
  bevel(FBevelInner);
  PaintControlFace(canvas, r, true, GetColor(), Font(), GetCaption(), FAlignment,
                   DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE);
}
