#include "engine/styles/RVBorder.h"

#include <algorithm>

#include "engine/foundation/RVGrIn.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Graphics.h"

namespace {
constexpr int MaxIniTabCount = 10000;
UnicodeString SubFormat(const UnicodeString& fs, const char16_t* Name) { return RVIniKey(fs, Name); }

// TRVRect and TRVBooleanRect hold the same four sides; what goes side by side serves both.
template <typename TSides>
void CopySides(TSides& Dest, const TSides& Source, bool L, bool T, bool R, bool B) {
  if (L) Dest.Left = Source.Left;
  if (T) Dest.Top = Source.Top;
  if (R) Dest.Right = Source.Right;
  if (B) Dest.Bottom = Source.Bottom;
}

template <typename TSides>
bool SidesEqualExcept(const TSides& A, const TSides& B, bool IgnoreL, bool IgnoreT, bool IgnoreR, bool IgnoreB) {
  return (IgnoreL || A.Left == B.Left) && (IgnoreT || A.Top == B.Top) && (IgnoreR || A.Right == B.Right) &&
         (IgnoreB || A.Bottom == B.Bottom);
}

// The INI form of the sides: keys "Left", "Right", "Top", "Bottom" through the format fs.
template <typename TSides, typename TWrite>
void WriteSidesToINI(const TSides& Sides, const UnicodeString& fs, bool L, bool T, bool R, bool B, TWrite Write) {
  if (L) Write(SubFormat(fs, u"Left"), Sides.Left);
  if (R) Write(SubFormat(fs, u"Right"), Sides.Right);
  if (T) Write(SubFormat(fs, u"Top"), Sides.Top);
  if (B) Write(SubFormat(fs, u"Bottom"), Sides.Bottom);
}

template <typename TSides, typename TRead>
void ReadSidesFromINI(TSides& Sides, const UnicodeString& fs, TRead Read) {
  Sides.Left = Read(SubFormat(fs, u"Left"));
  Sides.Right = Read(SubFormat(fs, u"Right"));
  Sides.Top = Read(SubFormat(fs, u"Top"));
  Sides.Bottom = Read(SubFormat(fs, u"Bottom"));
}
}  // namespace

// ---- TRVRect -------------------------------------------------------------------------------------

const TClassInfo& TRVRect::StaticClassInfo() {
  using T = TRVRect;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVRect", &inherited::StaticClassInfo())
          .Integer(u"Left", [](T& r) { return r.Left; }, [](T& r, int v) { r.Left = v; }, 0)
          .Integer(u"Right", [](T& r) { return r.Right; }, [](T& r, int v) { r.Right = v; }, 0)
          .Integer(u"Top", [](T& r) { return r.Top; }, [](T& r, int v) { r.Top = v; }, 0)
          .Integer(u"Bottom", [](T& r) { return r.Bottom; }, [](T& r, int v) { r.Bottom = v; }, 0)
          .Build();
  return info;
}

std::unique_ptr<TRVRect> TRVRect::CreateOwned(TPersistent* AOwner) {
  auto r = std::make_unique<TRVRect>();
  r->FOwner = AOwner;
  return r;
}

void TRVRect::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVRect*>(Source)) {
    Left = s->Left;
    Top = s->Top;
    Right = s->Right;
    Bottom = s->Bottom;
    return;
  }
  TPersistent::Assign(Source);
}

void TRVRect::AssignValidProperties(TRVRect* Source, bool ValL, bool ValT, bool ValR, bool ValB) {
  CopySides(*this, *Source, ValL, ValT, ValR, ValB);
}

void TRVRect::AssignToRectIfGreater(TRect& Rect) const {
  Rect.Left = std::max(Rect.Left, Left);
  Rect.Top = std::max(Rect.Top, Top);
  Rect.Right = std::max(Rect.Right, Right);
  Rect.Bottom = std::max(Rect.Bottom, Bottom);
}

void TRVRect::InflateRect(TRect& Rect, const TRVStyle* RVStyle, bool AllowNegativeValues) const {
  auto px = [&](TRVStyleLength v) {
    const TRVStyleLength p = RVStyle ? RVStyle->GetAsPixels(v, 1) : v;
    return (!AllowNegativeValues && p < 0) ? 0 : p;
  };
  Rect.Left -= px(Left);
  Rect.Top -= px(Top);
  Rect.Right += px(Right);
  Rect.Bottom += px(Bottom);
}

void TRVRect::InflateRectSaD(TRect& Rect, const TRVStyle* RVStyle, const TRVScreenAndDevice& sad,
                             bool AllowNegativeValues) const {
  auto clip = [&](int v) { return (!AllowNegativeValues && v < 0) ? 0 : v; };
  auto dx = [&](TRVStyleLength v) { return clip(RVStyle ? RVStyle->GetAsDevicePixelsX(v, &sad) : v); };
  auto dy = [&](TRVStyleLength v) { return clip(RVStyle ? RVStyle->GetAsDevicePixelsY(v, &sad) : v); };
  Rect.Left -= dx(Left);
  Rect.Top -= dy(Top);
  Rect.Right += dx(Right);
  Rect.Bottom += dy(Bottom);
}

bool TRVRect::IsEqual(const TRVRect* Value) const {
  return Left == Value->Left && Top == Value->Top && Right == Value->Right && Bottom == Value->Bottom;
}

bool TRVRect::IsAllEqual(TRVStyleLength Value) const {
  return Left == Value && Top == Value && Right == Value && Bottom == Value;
}

bool TRVRect::IsEqualExcept(const TRVRect* Value, bool IgnoreL, bool IgnoreT, bool IgnoreR, bool IgnoreB) const {
  return SidesEqualExcept(*this, *Value, IgnoreL, IgnoreT, IgnoreR, IgnoreB);
}

int TRVRect::SimilarityValue(const TRVRect* Value, int Weight, int Wht) const {
  const int sum = IntSimilarity(Left, Value->Left, Weight) + IntSimilarity(Top, Value->Top, Weight) +
                  IntSimilarity(Right, Value->Right, Weight) + IntSimilarity(Bottom, Value->Bottom, Weight);
  return sum / Wht;
}

void TRVRect::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                        bool L, bool T, bool R, bool B) const {
  WriteSidesToINI(*this, fs, L, T, R, B,
                  [&](const UnicodeString& Key, int Value) { IniWriteInteger(ini, Section, Key, 0, Value); });
}

void TRVRect::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  ReadSidesFromINI(*this, fs, [&](const UnicodeString& Key) { return ini->ReadInteger(Section, Key, 0); });
}

void TRVRect::ConvertToDifferentUnits(const TRVStyle* RVStyle, TRVStyleUnits NewUnits) {
  Left = RVConvertStyleLength(RVStyle, Left, NewUnits);
  Top = RVConvertStyleLength(RVStyle, Top, NewUnits);
  Right = RVConvertStyleLength(RVStyle, Right, NewUnits);
  Bottom = RVConvertStyleLength(RVStyle, Bottom, NewUnits);
}

// ---- TRVBooleanRect ------------------------------------------------------------------------------

const TClassInfo& TRVBooleanRect::StaticClassInfo() {
  using T = TRVBooleanRect;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVBooleanRect", &inherited::StaticClassInfo())
          .Boolean(u"Left", [](T& r) { return r.Left; }, [](T& r, bool v) { r.Left = v; }, true)
          .Boolean(u"Right", [](T& r) { return r.Right; }, [](T& r, bool v) { r.Right = v; }, true)
          .Boolean(u"Top", [](T& r) { return r.Top; }, [](T& r, bool v) { r.Top = v; }, true)
          .Boolean(u"Bottom", [](T& r) { return r.Bottom; }, [](T& r, bool v) { r.Bottom = v; }, true)
          .Build();
  return info;
}

void TRVBooleanRect::SetValues(bool ALeft, bool ATop, bool ARight, bool ABottom) {
  Left = ALeft;
  Top = ATop;
  Right = ARight;
  Bottom = ABottom;
}

void TRVBooleanRect::GetValues(bool& ALeft, bool& ATop, bool& ARight, bool& ABottom) const {
  ALeft = Left;
  ATop = Top;
  ARight = Right;
  ABottom = Bottom;
}

void TRVBooleanRect::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVBooleanRect*>(Source)) {
    SetValues(s->Left, s->Top, s->Right, s->Bottom);
    return;
  }
  TPersistent::Assign(Source);
}

void TRVBooleanRect::AssignValidProperties(TRVBooleanRect* Source, bool ValL, bool ValT, bool ValR, bool ValB) {
  CopySides(*this, *Source, ValL, ValT, ValR, ValB);
}

bool TRVBooleanRect::IsEqual(const TRVBooleanRect* Value) const {
  return IsEqual2(Value->Left, Value->Top, Value->Right, Value->Bottom);
}

bool TRVBooleanRect::IsEqual2(bool ALeft, bool ATop, bool ARight, bool ABottom) const {
  return Left == ALeft && Top == ATop && Right == ARight && Bottom == ABottom;
}

bool TRVBooleanRect::IsAllEqual(bool Value) const { return IsEqual2(Value, Value, Value, Value); }

bool TRVBooleanRect::IsEqualExcept(const TRVBooleanRect* Value, bool IgnoreL, bool IgnoreT, bool IgnoreR,
                                   bool IgnoreB) const {
  return SidesEqualExcept(*this, *Value, IgnoreL, IgnoreT, IgnoreR, IgnoreB);
}

void TRVBooleanRect::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                               bool L, bool T, bool R, bool B) const {
  WriteSidesToINI(*this, fs, L, T, R, B,
                  [&](const UnicodeString& Key, bool Value) { IniWriteBool(ini, Section, Key, true, Value); });
}

void TRVBooleanRect::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  ReadSidesFromINI(*this, fs, [&](const UnicodeString& Key) { return IniReadBool(ini, Section, Key, true); });
}

// ---- TRVBorder -----------------------------------------------------------------------------------

namespace {
const std::vector<UnicodeString>& BorderStyleNames() {
  static const std::vector<UnicodeString> n = {u"rvbNone", u"rvbSingle", u"rvbDouble",
                                                u"rvbTriple", u"rvbThickInside", u"rvbThickOutside"};
  return n;
}
}  // namespace

TRVBorder::TRVBorder(TPersistent* AOwner)
    : FVisibleBorders(std::make_unique<TRVBooleanRect>(true)), FOwner(AOwner) {}

TRVBorder::~TRVBorder() = default;

const TClassInfo& TRVBorder::StaticClassInfo() {
  using T = TRVBorder;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVBorder", &inherited::StaticClassInfo())
          .Integer(u"Width", [](T& b) { return b.Width; }, [](T& b, int v) { b.Width = v; }, 1)
          .Integer(u"InternalWidth", [](T& b) { return b.InternalWidth; }, [](T& b, int v) { b.InternalWidth = v; }, 1)
          .Integer(u"Color", [](T& b) { return b.Color; }, [](T& b, TColor v) { b.Color = v; }, clWindowText)
          .Enum(u"Style", [](T& b) { return b.Style; }, [](T& b, TRVBorderStyle v) { b.Style = v; }, BorderStyleNames(), rvbNone)
          .Object(u"VisibleBorders", [](T& b) -> TPersistent* { return b.VisibleBorders(); })
          .Object(u"BorderOffsets", [](T& b) -> TPersistent* { return b.BorderOffsets(); })
          .Build();
  return info;
}

std::unique_ptr<TRVRect> TRVBorder::CreateBorderOffsets() { return TRVRect::CreateOwned(this); }

TRVRect* TRVBorder::BorderOffsets() {
  if (!FBorderOffsets) FBorderOffsets = CreateBorderOffsets();
  return FBorderOffsets.get();
}

void TRVBorder::Reset() {
  BorderOffsets()->SetAll(0);
  FVisibleBorders->SetAll(true);
  Style = rvbNone;
  Color = clWindowText;
  Width = 1;
  InternalWidth = 1;
}

void TRVBorder::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVBorder*>(Source)) {
    Width = s->Width;
    Style = s->Style;
    Color = s->Color;
    InternalWidth = s->InternalWidth;
    FVisibleBorders->Assign(s->VisibleBorders());
    BorderOffsets()->Assign(s->BorderOffsets());
    return;
  }
  TPersistent::Assign(Source);
}

bool TRVBorder::IsEqual(TRVBorder* Value) {
  return Style == Value->Style && Color == Value->Color && Width == Value->Width &&
         InternalWidth == Value->InternalWidth && BorderOffsets()->IsEqual(Value->BorderOffsets()) &&
         FVisibleBorders->IsEqual(Value->VisibleBorders());
}

bool TRVBorder::IsEqual_Para(TRVBorder* Value, const TRVParaInfoProperties& I) {
  return (I.Contains(rvpiBorder_Style) || Style == Value->Style) &&
         (I.Contains(rvpiBorder_Color) || Color == Value->Color) &&
         (I.Contains(rvpiBorder_Width) || Width == Value->Width) &&
         (I.Contains(rvpiBorder_InternalWidth) || InternalWidth == Value->InternalWidth) &&
         BorderOffsets()->IsEqualExcept(Value->BorderOffsets(), I.Contains(rvpiBorder_BO_Left),
                                        I.Contains(rvpiBorder_BO_Top), I.Contains(rvpiBorder_BO_Right),
                                        I.Contains(rvpiBorder_BO_Bottom)) &&
         FVisibleBorders->IsEqualExcept(Value->VisibleBorders(), I.Contains(rvpiBorder_Vis_Left),
                                        I.Contains(rvpiBorder_Vis_Top), I.Contains(rvpiBorder_Vis_Right),
                                        I.Contains(rvpiBorder_Vis_Bottom));
}

void TRVBorder::AssignValidProperties(TRVBorder* Source, const TRVParaInfoProperties& V) {
  if (V.Contains(rvpiBorder_Style)) Style = Source->Style;
  if (V.Contains(rvpiBorder_Color)) Color = Source->Color;
  if (V.Contains(rvpiBorder_Width)) Width = Source->Width;
  if (V.Contains(rvpiBorder_InternalWidth)) InternalWidth = Source->InternalWidth;
  BorderOffsets()->AssignValidProperties(Source->BorderOffsets(), V.Contains(rvpiBorder_BO_Left),
                                         V.Contains(rvpiBorder_BO_Top), V.Contains(rvpiBorder_BO_Right),
                                         V.Contains(rvpiBorder_BO_Bottom));
  FVisibleBorders->AssignValidProperties(Source->VisibleBorders(), V.Contains(rvpiBorder_Vis_Left),
                                         V.Contains(rvpiBorder_Vis_Top), V.Contains(rvpiBorder_Vis_Right),
                                         V.Contains(rvpiBorder_Vis_Bottom));
}

TRVStyleLength TRVBorder::GetTotalWidth() const {
  // Widths from a damaged file must not overflow the sum.
  const std::int64_t w = Width, iw = InternalWidth;
  std::int64_t r;
  switch (Style) {
    case rvbSingle: r = w; break;
    case rvbDouble: r = 2 * w + iw; break;
    case rvbTriple: r = 3 * w + 2 * iw; break;
    case rvbThickInside:
    case rvbThickOutside: r = 3 * w + iw; break;
    default: r = 0;
  }
  return static_cast<TRVStyleLength>(std::clamp<std::int64_t>(r, INT32_MIN, INT32_MAX));
}

namespace {
// The colour a border line or background is filled with in a colour mode.
TColor ModeColor(TColor Color, TRVColorMode ColorMode) {
  if (ColorMode == rvcmBlackAndWhite || ColorMode == rvcmBlackOnWhite) return clBlack;
  return ApplyColorMode(Color, ColorMode);
}
}  // namespace

void TRVBorder::Draw(const TRect& Rect, TCanvas* Canvas, const TRVStyle* RVStyle,
                     TRVGraphicInterface* GraphicInterface, TRVColorMode ColorMode) {
  if (Style == rvbNone) return;
  TRect r = Rect;
  BorderOffsets()->InflateRect(r, RVStyle, AllowNegativeOffsets());
  const int w = RVStyle ? RVStyle->GetAsPixels(Width, 1) : Width;
  const int iw = RVStyle ? RVStyle->GetAsPixels(InternalWidth, 1) : InternalWidth;
  DrawLines(r, Canvas, GraphicInterface, ColorMode, w, w, iw, iw);
}

void TRVBorder::DrawSaD(const TRect& Rect, TCanvas* Canvas, const TRVStyle* RVStyle, const TRVScreenAndDevice& sad,
                        TRVColorMode ColorMode, TRVGraphicInterface* GraphicInterface) {
  if (Style == rvbNone) return;
  TRect r = Rect;
  BorderOffsets()->InflateRectSaD(r, RVStyle, sad, AllowNegativeOffsets());
  auto dx = [&](TRVStyleLength v) { return RVStyle ? RVStyle->GetAsDevicePixelsX(v, &sad) : v; };
  auto dy = [&](TRVStyleLength v) { return RVStyle ? RVStyle->GetAsDevicePixelsY(v, &sad) : v; };
  DrawLines(r, Canvas, GraphicInterface, ColorMode, dx(Width), dy(Width), dx(InternalWidth), dy(InternalWidth));
}

void TRVBorder::DrawLines(TRect R, TCanvas* Canvas, TRVGraphicInterface* GI, TRVColorMode ColorMode, int WidthX,
                          int WidthY, int InternalX, int InternalY) {
  Canvas->Brush().SetColor(ModeColor(Color, ColorMode));
  Canvas->Brush().SetStyle(bsSolid);
  Canvas->Pen().SetStyle(psClear);
  R = TRect(R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1);
  const int n = Style == rvbSingle ? 1 : (Style == rvbTriple ? 3 : 2);
  TRVBooleanRect* vis = VisibleBorders();
  for (int k = n; k >= 1; --k) {
    const bool thick = (Style == rvbThickInside && k == 2) || (Style == rvbThickOutside && k == 1);
    const int h = thick ? 2 * WidthY : WidthY;
    const int g = thick ? 2 * WidthX : WidthX;
    if (vis->Top) GI->FillRect(Canvas, TRect(R.Left - g + 1, R.Top - h + 1, R.Right + g, R.Top + 1));
    if (vis->Bottom) GI->FillRect(Canvas, TRect(R.Left - g + 1, R.Bottom, R.Right + g, R.Bottom + h));
    if (vis->Right) GI->FillRect(Canvas, TRect(R.Right, R.Top - h + 1, R.Right + g, R.Bottom + h));
    if (vis->Left) GI->FillRect(Canvas, TRect(R.Left - g + 1, R.Top - h + 1, R.Left + 1, R.Bottom + h));
    R = TRect(R.Left - InternalX - g, R.Top - InternalY - h, R.Right + InternalX + g, R.Bottom + InternalY + h);
  }
  Canvas->Pen().SetWidth(1);
}

int TRVBorder::SimilarityValue(TRVBorder* Value, int Wht) {
  const bool a[4] = {Style != rvbNone && FVisibleBorders->Left, Style != rvbNone && FVisibleBorders->Top,
                     Style != rvbNone && FVisibleBorders->Right, Style != rvbNone && FVisibleBorders->Bottom};
  TRVBooleanRect* vv = Value->VisibleBorders();
  const bool vs = Value->Style != rvbNone;
  const bool b[4] = {vs && vv->Left, vs && vv->Top, vs && vv->Right, vs && vv->Bottom};
  TRVRect* o1 = BorderOffsets();
  TRVRect* o2 = Value->BorderOffsets();
  const int off1[4] = {o1->Left, o1->Top, o1->Right, o1->Bottom};
  const int off2[4] = {o2->Left, o2->Top, o2->Right, o2->Bottom};
  int c = 0;
  for (int k = 0; k < 4; ++k)
    if (a[k] && b[k]) ++c;
  int r = 0;
  if (c > 0) {
    int one = ColorSimilarity(Color, Value->Color, 3333, 3000) + IntSimilarity(Width, Value->Width, 1000 / Wht) +
              IntSimilarity(InternalWidth, Value->InternalWidth, 1000 / Wht);
    if (Style == Value->Style) one += 1000;
    r = one * c;
  }
  for (int k = 0; k < 4; ++k) {
    if (!a[k] && !b[k])
      r += 20000;
    else if (a[k] != b[k])
      r -= 20000;
    else
      r += IntSimilarity(off1[k], off2[k], 100 / Wht);
  }
  return r;
}

void TRVBorder::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                          const TRVParaInfoProperties& P) {
  const TRVIniPropWriter write(ini, Section, fs, P);
  write.Int(rvpiBorder_Width, u"Width", 1, Width);
  write.Int(rvpiBorder_Style, u"Style", 0, Style);
  write.Int(rvpiBorder_Color, u"Color", clWindowText, Color);
  write.Int(rvpiBorder_InternalWidth, u"InternalWidth", 1, InternalWidth);
  BorderOffsets()->SaveToINI(ini, Section, SubFormat(fs, u"Offsets%s"), P.Contains(rvpiBorder_BO_Left),
                             P.Contains(rvpiBorder_BO_Top), P.Contains(rvpiBorder_BO_Right),
                             P.Contains(rvpiBorder_BO_Bottom));
  FVisibleBorders->SaveToINI(ini, Section, SubFormat(fs, u"Visible%s"), P.Contains(rvpiBorder_Vis_Left),
                             P.Contains(rvpiBorder_Vis_Top), P.Contains(rvpiBorder_Vis_Right),
                             P.Contains(rvpiBorder_Vis_Bottom));
}

void TRVBorder::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  Width = ini->ReadInteger(Section, SubFormat(fs, u"Width"), 1);
  const int style = ini->ReadInteger(Section, SubFormat(fs, u"Style"), 0);
  Style = (style >= rvbNone && style <= rvbThickOutside) ? static_cast<TRVBorderStyle>(style) : rvbNone;
  Color = ini->ReadInteger(Section, SubFormat(fs, u"Color"), clWindowText);
  InternalWidth = ini->ReadInteger(Section, SubFormat(fs, u"InternalWidth"), 1);
  BorderOffsets()->LoadFromINI(ini, Section, SubFormat(fs, u"Offsets%s"));
  FVisibleBorders->LoadFromINI(ini, Section, SubFormat(fs, u"Visible%s"));
}

void TRVBorder::ConvertToDifferentUnits(const TRVStyle* RVStyle, TRVStyleUnits NewUnits) {
  BorderOffsets()->ConvertToDifferentUnits(RVStyle, NewUnits);
  Width = RVConvertStyleLength(RVStyle, Width, NewUnits);
  InternalWidth = RVConvertStyleLength(RVStyle, InternalWidth, NewUnits);
}

// ---- TRVBackgroundRect ---------------------------------------------------------------------------

TRVBackgroundRect::~TRVBackgroundRect() = default;

const TClassInfo& TRVBackgroundRect::StaticClassInfo() {
  using T = TRVBackgroundRect;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVBackgroundRect", &inherited::StaticClassInfo())
          .Integer(u"Color", [](T& b) { return b.Color; }, [](T& b, TColor v) { b.Color = v; }, clNone)
          .Integer(u"Opacity", [](T& b) { return b.Opacity; }, [](T& b, int v) { b.Opacity = v; }, 100000)
          .Object(u"BorderOffsets", [](T& b) -> TPersistent* { return b.BorderOffsets(); })
          .Build();
  return info;
}

std::unique_ptr<TRVRect> TRVBackgroundRect::CreateBorderOffsets() { return TRVRect::CreateOwned(this); }

TRVRect* TRVBackgroundRect::BorderOffsets() {
  if (!FBorderOffsets) FBorderOffsets = CreateBorderOffsets();
  return FBorderOffsets.get();
}

void TRVBackgroundRect::Reset() {
  BorderOffsets()->SetAll(0);
  Color = clNone;
  Opacity = 100000;
}

void TRVBackgroundRect::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVBackgroundRect*>(Source)) {
    Color = s->Color;
    BorderOffsets()->Assign(s->BorderOffsets());
    Opacity = s->Opacity;
    return;
  }
  TPersistent::Assign(Source);
}

void TRVBackgroundRect::PrepareDraw(TRect& Rect, const TRVStyle* RVStyle) {
  BorderOffsets()->InflateRect(Rect, RVStyle, AllowNegativeOffsets());
}

void TRVBackgroundRect::PrepareDrawSaD(TRect& Rect, const TRVStyle* RVStyle, const TRVScreenAndDevice& sad) {
  BorderOffsets()->InflateRectSaD(Rect, RVStyle, sad, AllowNegativeOffsets());
}

void TRVBackgroundRect::Draw(const TRect& Rect, TCanvas* Canvas, bool, TRVColorMode ColorMode,
                             TRVGraphicInterface* GraphicInterface, bool UseOpacity) {
  if (Color == clNone || Opacity == 0 || ColorMode == rvcmBlackAndWhite || ColorMode == rvcmBlackOnWhite) return;
  const TColor c = ModeColor(Color, ColorMode);
  Canvas->Brush().SetColor(c);
  Canvas->Brush().SetStyle(bsSolid);
  Canvas->Pen().SetStyle(psClear);
  const TRect r(Rect.Left, Rect.Top, Rect.Right + 1, Rect.Bottom + 1);
  GraphicInterface->FillRectAlpha(Canvas, r, c, UseOpacity ? OpacityToAlpha(Opacity) : 255);
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Brush().SetStyle(bsClear);
}

bool TRVBackgroundRect::IsEqual(TRVBackgroundRect* Value) {
  return Color == Value->Color && Opacity == Value->Opacity && BorderOffsets()->IsEqual(Value->BorderOffsets());
}

bool TRVBackgroundRect::IsEqual_Para(TRVBackgroundRect* Value, const TRVParaInfoProperties& I) {
  return (I.Contains(rvpiBackground_Color) || Color == Value->Color) &&
         (I.Contains(rvpiBackground_Opacity) || Opacity == Value->Opacity) &&
         BorderOffsets()->IsEqualExcept(Value->BorderOffsets(), I.Contains(rvpiBackground_BO_Left),
                                        I.Contains(rvpiBackground_BO_Top), I.Contains(rvpiBackground_BO_Right),
                                        I.Contains(rvpiBackground_BO_Bottom));
}

void TRVBackgroundRect::AssignValidProperties(TRVBackgroundRect* Source, const TRVParaInfoProperties& V) {
  if (V.Contains(rvpiBackground_Color)) Color = Source->Color;
  if (V.Contains(rvpiBackground_Opacity)) Opacity = Source->Opacity;
  BorderOffsets()->AssignValidProperties(Source->BorderOffsets(), V.Contains(rvpiBackground_BO_Left),
                                         V.Contains(rvpiBackground_BO_Top), V.Contains(rvpiBackground_BO_Right),
                                         V.Contains(rvpiBackground_BO_Bottom));
}

int TRVBackgroundRect::SimilarityValue(TRVBackgroundRect* Value, int Wht) {
  return ColorSimilarity(Color, Value->Color, 10000, 50000) + IntSimilarity(Opacity, Value->Opacity, 1000) +
         BorderOffsets()->SimilarityValue(Value->BorderOffsets(), 100, Wht);
}

void TRVBackgroundRect::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                                  const TRVParaInfoProperties& P) {
  const TRVIniPropWriter write(ini, Section, fs, P);
  write.Int(rvpiBackground_Color, u"Color", clNone, Color);
  write.Int(rvpiBackground_Opacity, u"Opacity", 100000, Opacity);
  BorderOffsets()->SaveToINI(ini, Section, SubFormat(fs, u"Offsets%s"), P.Contains(rvpiBackground_BO_Left),
                             P.Contains(rvpiBackground_BO_Top), P.Contains(rvpiBackground_BO_Right),
                             P.Contains(rvpiBackground_BO_Bottom));
}

void TRVBackgroundRect::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  Color = ini->ReadInteger(Section, SubFormat(fs, u"Color"), clNone);
  Opacity = ini->ReadInteger(Section, SubFormat(fs, u"Opacity"), 100000);
  BorderOffsets()->LoadFromINI(ini, Section, SubFormat(fs, u"Offsets%s"));
}

void TRVBackgroundRect::ConvertToDifferentUnits(const TRVStyle* RVStyle, TRVStyleUnits NewUnits) {
  BorderOffsets()->ConvertToDifferentUnits(RVStyle, NewUnits);
}

// ---- TRVTabInfo ----------------------------------------------------------------------------------

namespace {
const std::vector<UnicodeString>& TabAlignNames() {
  static const std::vector<UnicodeString> n = {u"rvtaLeft", u"rvtaRight", u"rvtaCenter"};
  return n;
}
}  // namespace

const TClassInfo& TRVTabInfo::StaticClassInfo() {
  using T = TRVTabInfo;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TRVTabInfo", &inherited::StaticClassInfo())
          .Enum(u"Align", [](T& t) { return t.Align; }, [](T& t, TRVTabAlign v) { t.Align = v; }, TabAlignNames(), rvtaLeft)
          .Integer(u"Position", [](T& t) { return t.GetPosition(); }, [](T& t, int v) { t.SetPosition(v); })
          .String(u"Leader", [](T& t) { return t.Leader; }, [](T& t, const UnicodeString& v) { t.Leader = v; })
          .Build();
  return info;
}

void TRVTabInfo::SetPosition(TRVStyleLength Value) {
  if (Value == FPosition) return;
  FPosition = Value;
  if (auto* tabs = dynamic_cast<TRVTabInfos*>(GetCollection())) {
    tabs->BeginUpdate();
    tabs->SortTabs();
    tabs->EndUpdate();
  }
}

void TRVTabInfo::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TRVTabInfo*>(Source)) {
    SetPosition(s->FPosition);
    Align = s->Align;
    Leader = s->Leader;
    return;
  }
  TCollectionItem::Assign(Source);
}

UnicodeString TRVTabInfo::GetDisplayName() const {
  static const char16_t* const words[] = {u"left", u"right", u"center"};
  UnicodeString r = UnicodeString(words[Align <= rvtaCenter ? Align : 0]) + u" at " + IntToStr(FPosition);
  if (!Leader.empty()) {
    r += u" (";
    for (int i = 0; i < 6; ++i) r += Leader;
    r += u")";
  }
  return r;
}

bool TRVTabInfo::IsEqual(const TRVTabInfo* Value) const {
  return FPosition == Value->FPosition && Align == Value->Align && Leader == Value->Leader;
}

int TRVTabInfo::SimilarityValue(const TRVTabInfo* Value, int Wht) const {
  int r = IntSimilarity(FPosition, Value->FPosition, 200 / Wht);
  if (Align == Value->Align) r += 100;
  if (Leader == Value->Leader) r += 50;
  return r;
}

void TRVTabInfo::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) const {
  IniWriteInteger(ini, Section, SubFormat(fs, u"Pos"), 0, FPosition);
  IniWriteInteger(ini, Section, SubFormat(fs, u"Align"), 0, Align);
  IniWriteString(ini, Section, SubFormat(fs, u"Leader"), UnicodeString(), Leader);
}

void TRVTabInfo::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  SetPosition(ini->ReadInteger(Section, SubFormat(fs, u"Pos"), 0));
  const int align = ini->ReadInteger(Section, SubFormat(fs, u"Align"), 0);
  Align = (align >= rvtaLeft && align <= rvtaCenter) ? static_cast<TRVTabAlign>(align) : rvtaLeft;
  IniReadString(ini, Section, SubFormat(fs, u"Leader"), Leader, UnicodeString());
}

// ---- TRVTabInfos ---------------------------------------------------------------------------------

TRVTabInfos::TRVTabInfos(TPersistent* AOwner) : TCollection(&NewCollectionItem<TRVTabInfo>), FOwner(AOwner) {}

const TClassInfo& TRVTabInfos::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVTabInfos>(u"TRVTabInfos", &inherited::StaticClassInfo()).Build();
  return info;
}

void TRVTabInfos::SortTabs() {
  std::vector<TRVTabInfo*> tabs;
  tabs.reserve(static_cast<std::size_t>(Count()));
  for (int i = 0; i < Count(); ++i) tabs.push_back(Items(i));
  std::stable_sort(tabs.begin(), tabs.end(),
                   [](const TRVTabInfo* a, const TRVTabInfo* b) { return a->GetPosition() < b->GetPosition(); });
  for (int i = 0; i < static_cast<int>(tabs.size()); ++i)
    if (tabs[static_cast<std::size_t>(i)]->GetIndex() != i) tabs[static_cast<std::size_t>(i)]->SetIndex(i);
}

bool TRVTabInfos::IsEqual(const TRVTabInfos* Value) const {
  if (Count() != Value->Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (!Items(i)->IsEqual(Value->Items(i))) return false;
  return true;
}

int TRVTabInfos::Find(TRVStyleLength Position) const {
  if (Count() == 0) return -1;
  int lo = 0, hi = Count() - 1;
  while (hi - lo > 1) {
    const int mid = (lo + hi) / 2;
    if (Items(mid)->GetPosition() < Position)
      lo = mid;
    else
      hi = mid;
  }
  if (Items(lo)->GetPosition() == Position) return lo;
  if (Items(hi)->GetPosition() == Position) return hi;
  return -1;
}

int TRVTabInfos::SimilarityValue(const TRVTabInfos* Value, int Wht) const {
  const int m = std::min(Count(), Value->Count());
  int r = 0;
  for (int i = 0; i < m; ++i) r += Items(i)->SimilarityValue(Value->Items(i), Wht);
  return r + 800 * m - 400 * Count() - 400 * Value->Count();
}

void TRVTabInfos::Intersect(const TRVTabInfos* Value) {
  for (int i = Count() - 1; i >= 0; --i) {
    const int j = Value->Find(Items(i)->GetPosition());
    if (j < 0 || !Items(i)->IsEqual(Value->Items(j))) Delete(i);
  }
}

void TRVTabInfos::AddFrom(const TRVTabInfos* Source) {
  for (int i = 0; i < Source->Count(); ++i) {
    TRVTabInfo* src = Source->Items(i);
    const int j = Find(src->GetPosition());
    TRVTabInfo* dst = j >= 0 ? Items(j) : Add();
    dst->Assign(src);
  }
}

void TRVTabInfos::DeleteList(const TRVIntegerList& Positions) {
  for (int i = 0; i < Positions.Count(); ++i) {
    const int j = Find(Positions.Get(i));
    if (j >= 0) Delete(j);
  }
}

void TRVTabInfos::ConvertToDifferentUnits(const TRVStyle* RVStyle, TRVStyleUnits NewUnits) {
  BeginUpdate();
  // Setting a position re-sorts, so the stops are taken first and walked in that order.
  std::vector<TRVTabInfo*> tabs;
  for (int i = 0; i < Count(); ++i) tabs.push_back(Items(i));
  for (TRVTabInfo* t : tabs) t->SetPosition(RVConvertStyleLength(RVStyle, t->GetPosition(), NewUnits));
  SortTabs();
  EndUpdate();
}

void TRVTabInfos::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) const {
  IniWriteInteger(ini, Section, SubFormat(fs, u"TabCount"), 0, Count());
  const UnicodeString prefix = RVIniKey(fs, UnicodeString());
  for (int i = 0; i < Count(); ++i)
    Items(i)->SaveToINI(ini, Section, prefix + u"Tab%s" + IntToStr(i));
}

void TRVTabInfos::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs) {
  Clear();
  // A damaged count must not make the reader spin through billions of absent keys.
  const int n = std::clamp(ini->ReadInteger(Section, SubFormat(fs, u"TabCount"), 0), 0, MaxIniTabCount);
  const UnicodeString prefix = RVIniKey(fs, UnicodeString());
  for (int i = 0; i < n; ++i) Add()->LoadFromINI(ini, Section, prefix + u"Tab%s" + IntToStr(i));
}
