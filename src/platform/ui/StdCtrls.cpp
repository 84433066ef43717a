#include "platform/ui/StdCtrls.h"

#include "platform/ui/UserDraw.h"

namespace {

// Draws text with the control's font and colour on a transparent background, leaving the
// context as it was.
void DrawControlText(HDC DC, TFont& font, const UnicodeString& text, RECT r, UINT format) {
  const int saved = SaveDC(DC);
  if (!saved) return;
  SelectObject(DC, font.GetHandle());
  SetTextColor(DC, ColorToRGB(font.GetColor()));
  SetBkMode(DC, TRANSPARENT);
  DrawTextW(DC, text.c_str(), -1, &r, format);
  RestoreDC(DC, saved);
}

}  // namespace

// ---- TButton ------------------------------------------------------------------------------------

const TClassInfo& TButton::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TButton>(u"TButton", &TWinControl::StaticClassInfo())
                                     .String(u"Caption", &TButton::GetCaption, &TButton::SetCaption)
                                     .Build();
  return info;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 75, 25);
  SetColor(clBtnFace);
}

void TButton::PaintWindow(HDC DC) {
  RECT r = GetClientRect();
  DrawFrameControl(DC, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
  DrawControlText(DC, Font(), GetCaption(), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

// ---- TCustomEdit --------------------------------------------------------------------------------

const TClassInfo& TCustomEdit::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomEdit>(u"TCustomEdit", &TWinControl::StaticClassInfo())
          .String(u"Text", &TCustomEdit::GetText, &TCustomEdit::SetText)
          .Build();
  return info;
}

const TClassInfo& TEdit::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TEdit>(u"TEdit", &TCustomEdit::StaticClassInfo()).Build();
  return info;
}

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = {csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 121, 21);
  SetBorderStyle(bsSingle);
}

void TCustomEdit::PaintWindow(HDC DC) {
  const TRect c = GetClientRect();
  DrawControlText(DC, Font(), GetText(), TRect(1, 1, c.Right - 1, c.Bottom - 1),
                  DT_EDITCONTROL | DT_SINGLELINE | DT_NOPREFIX);
}

// ---- TCustomLabel -------------------------------------------------------------------------------

const TClassInfo& TCustomLabel::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TCustomLabel>(u"TCustomLabel", &TGraphicControl::StaticClassInfo())
          .String(u"Caption", &TCustomLabel::GetCaption, &TCustomLabel::SetCaption)
          .Boolean(u"Transparent", &TCustomLabel::GetTransparent, &TCustomLabel::SetTransparent, false)
          .Build();
  return info;
}

const TClassInfo& TLabel::StaticClassInfo() {
  static const TClassInfo info = TClassInfoBuilder<TLabel>(u"TLabel", &TCustomLabel::StaticClassInfo()).Build();
  return info;
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle = {csReplicatable, csSetCaption, csOpaque};
  SetBounds(0, 0, 65, 17);
  SetColor(clBtnFace);
}

void TCustomLabel::SetTransparent(bool v) {
  if (v == FTransparent) return;
  FTransparent = v;
  if (v) FControlStyle.Exclude(csOpaque);
  else FControlStyle.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment v) { SetLookField(FAlignment, v); }

void TCustomLabel::Paint() {
  PaintControlFace(*GetCanvas(), GetClientRect(), !FTransparent && GetColor() != clNone, GetColor(), Font(),
                   GetCaption(), FAlignment, DT_EXPANDTABS);
}
