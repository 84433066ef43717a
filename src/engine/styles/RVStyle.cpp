#include "engine/styles/RVStyle.h"

#include <algorithm>

#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVGrHandler.h"
#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/foundation/RVUniscribeGrIn.h"
#include "engine/foundation/RVWinGrIn.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/StyleTemplate.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Cursors.h"

namespace {

// The screen cursors the sheet's styles refer to by number.
void RegisterCursors() {
  if (!GetScreenCursor(crJump)) {
    HCURSOR hand = LoadSystemHandCursor();
    SetScreenCursor(crJump, hand ? hand : LoadCursorResource(u"RV_JUMP_CURSOR"));
  }
  if (!GetScreenCursor(crRVFlipArrow)) SetScreenCursor(crRVFlipArrow, LoadCursorResource(u"RV_FLIPARROW_CURSOR"));
  if (!GetScreenCursor(crRVLayingIBeam))
    SetScreenCursor(crRVLayingIBeam, LoadCursorResource(u"RV_LAYINGIBEAM_CURSOR"));
}

TRVStyleLength ScaleRounded(long double Value, long double Num, long double Den) {
  return static_cast<TRVStyleLength>(Round(Value * Num / Den));
}

TRVStyleLength NonZero(TRVStyleLength r, TRVStyleLength Value, int MinNonZeroValue) {
  if (r == 0 && Value != 0) r = Value > 0 ? MinNonZeroValue : -MinNonZeroValue;
  return r;
}

}  // namespace

// ---- construction -------------------------------------------------------------------------------

TRVStyle::TRVStyle(TComponent* AOwner) : TComponent(AOwner) {
  RegisterCursors();
  CreateGraphicInterface();
}

TRVStyle::~TRVStyle() {
  // The controls that show documents with this sheet forget it first; a notification may remove
  // others, so each is looked up again.
  while (!FControlFreeNotifies.empty()) {
    std::function<void()> notify = std::move(FControlFreeNotifies.back().second);
    FControlFreeNotifies.pop_back();
    if (notify) notify();
  }
  for (TRVStyle* s : FFreeNotifies) s->FMainRVStyle = nullptr;
  SetMainRVStyle(nullptr);
  // Templates look at the sheet while they go; they leave first.
  FStyleTemplates.reset();
  FListStyles.reset();
  FParaStyles.reset();
  FTextStyles.reset();
  FInvalidPicture.reset();
  FGraphicInterface.reset();
}

// The collections are made on first use rather than in the constructor, so that the item classes
// of a descendant sheet can be asked for; each starts with the default styles.
void TRVStyle::MakeCollections() const {
  auto* self = const_cast<TRVStyle*>(this);
  if (!FTextStyles) {
    FTextStyles = std::make_unique<TFontInfos>(GetTextStyleClass(), self);
    self->ResetTextStyles();
  }
  if (!FParaStyles) {
    FParaStyles = std::make_unique<TParaInfos>(GetParaStyleClass(), self);
    self->ResetParaStyles();
  }
  if (!FListStyles) FListStyles = std::make_unique<TRVListInfos>(GetListStyleClass(), self);
  if (!FStyleTemplates) FStyleTemplates = std::make_unique<TRVStyleTemplateCollection>(self);
}

TFontInfos* TRVStyle::TextStyles() const {
  if (!FTextStyles) MakeCollections();
  return FTextStyles.get();
}

TParaInfos* TRVStyle::ParaStyles() const {
  if (!FParaStyles) MakeCollections();
  return FParaStyles.get();
}

TRVListInfos* TRVStyle::ListStyles() const {
  if (!FListStyles) MakeCollections();
  return FListStyles.get();
}

TRVStyleTemplateCollection* TRVStyle::OwnStyleTemplates() const {
  if (!FStyleTemplates) MakeCollections();
  return FStyleTemplates.get();
}

TRVStyle* TRVStyle::StyleTemplatesOwner() const {
  // A chain of main sheets may loop through a careless program; stop at the first repeat.
  const TRVStyle* s = this;
  std::vector<const TRVStyle*> seen;
  while (s->FMainRVStyle && std::find(seen.begin(), seen.end(), s->FMainRVStyle) == seen.end()) {
    seen.push_back(s);
    s = s->FMainRVStyle;
  }
  return const_cast<TRVStyle*>(s);
}

TRVStyleTemplateCollection* TRVStyle::StyleTemplates() const {
  return StyleTemplatesOwner()->OwnStyleTemplates();
}

void TRVStyle::SetTextStyles(TFontInfos* Value) {
  if (Value != TextStyles()) TextStyles()->Assign(Value);
}

void TRVStyle::SetParaStyles(TParaInfos* Value) {
  if (Value != ParaStyles()) ParaStyles()->Assign(Value);
}

void TRVStyle::SetListStyles(TRVListInfos* Value) {
  if (Value != ListStyles()) ListStyles()->Assign(Value);
}

void TRVStyle::SetStyleTemplates(TRVStyleTemplateCollection* Value) {
  if (Value == FStyleTemplates.get()) return;
  if (FMainRVStyle)
    throw EViroZereError(u"Cannot assign StyleTemplate property because MainRVStyle is assigned");
  OwnStyleTemplates()->Assign(Value);
}

void TRVStyle::SetMainRVStyle(TRVStyle* Value) {
  if (Value == this) Value = nullptr;
  if (Value == FMainRVStyle) return;
  if (FMainRVStyle) {
    auto& v = FMainRVStyle->FFreeNotifies;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  FMainRVStyle = Value;
  if (Value) Value->FFreeNotifies.push_back(this);
}

TCollectionItemClass TRVStyle::GetTextStyleClass() const { return &NewCollectionItem<TFontInfo>; }
TCollectionItemClass TRVStyle::GetParaStyleClass() const { return &NewCollectionItem<TParaInfo>; }
TCollectionItemClass TRVStyle::GetListStyleClass() const { return &NewCollectionItem<TRVListInfo>; }

int TRVStyle::FindTextStyle(TFontInfo* TextStyle) {
  return TextStyles()->FindSuchStyleEx(0, TextStyle, AllTextStyleProperties);
}

int TRVStyle::FindParaStyle(TParaInfo* ParaStyle) {
  return ParaStyles()->FindSuchStyleEx(0, ParaStyle, AllParaStyleProperties);
}

void TRVStyle::ResetTextStyles() {
  TFontInfos* fonts = FTextStyles.get();
  if (!fonts) return void(TextStyles());  // made with the defaults
  fonts->Clear();
  struct TDef {
    const char16_t* Name;
    TFontStyles Style;
    TColor Color;
    bool Jump;
  };
  static const TDef defs[] = {
      {u"Normal text", {}, clWindowText, false},   {u"Heading", {fsBold}, clBlue, false},
      {u"Subheading", {fsBold}, clNavy, false},     {u"Keywords", {fsItalic}, clMaroon, false},
      {u"Jump 1", {fsUnderline}, clGreen, true},    {u"Jump 2", {fsUnderline}, clGreen, true},
  };
  for (const TDef& d : defs) {
    TFontInfo* f = fonts->Add();
    f->StyleName = d.Name;
    f->Style = d.Style;
    f->Color = d.Color;
    if (d.Jump) {
      f->Jump = true;
      f->JumpCursor = JumpCursor;
    }
  }
}

void TRVStyle::ResetParaStyles() {
  TParaInfos* paras = FParaStyles.get();
  if (!paras) return void(ParaStyles());
  paras->Clear();
  paras->Add();
  TParaInfo* centered = paras->Add();
  centered->StyleName = u"Centered";
  centered->Alignment = rvaCenter;
}

void TRVStyle::Loaded() {
  TComponent::Loaded();
  StyleTemplates()->UpdateReferences();
}

void TRVStyle::Notification(TObject* AComponent, TOperation Operation) {
  if (Operation != opRemove) return;
  if (auto* il = dynamic_cast<TCustomImageList*>(AComponent); il && FListStyles) FListStyles->ForgetImageList(il);
  if (AComponent == FMainRVStyle) SetMainRVStyle(nullptr);
}

void TRVStyle::UpdateModifiedProperties() {
  TRVStyleTemplateCollection* templates = StyleTemplates();
  for (int i = 0; i < ParaStyles()->Count(); ++i) {
    TParaInfo* p = ParaStyles()->Items(i);
    TRVStyleTemplate::UpdateModifiedParaStyleProperties(templates->FindItemById(p->StyleTemplateId), p);
  }
  for (int i = 0; i < TextStyles()->Count(); ++i) {
    TFontInfo* f = TextStyles()->Items(i);
    TRVStyleTemplate::UpdateModifiedTextStyleProperties(templates->FindItemById(f->StyleTemplateId), f,
                                                        templates->FindItemById(f->ParaStyleTemplateId));
  }
}

// ---- text engine --------------------------------------------------------------------------------

void TRVStyle::CreateGraphicInterface() {
  if (FGraphicInterface) return;
  if (FTextEngine == rvteUniscribe && IsUniscribeLoaded())
    FGraphicInterface = std::make_unique<TRVUniscribeGraphicInterface>();
  else
    FGraphicInterface = std::make_unique<TRVWinGraphicInterface>();
}

void TRVStyle::SetTextEngine(TRVTextEngine Value) {
  if (Value == FTextEngine) return;
  FTextEngine = Value;
  FGraphicInterface.reset();
  CreateGraphicInterface();
}

void TRVStyle::SetGraphicInterface(std::unique_ptr<TRVGraphicInterface> Value) {
  FGraphicInterface = std::move(Value);
  if (!FGraphicInterface) CreateGraphicInterface();
}

std::unique_ptr<TRVGraphicInterface> TRVStyle::CreateSystemGraphicInterface() {
  return std::make_unique<TRVWinGraphicInterface>();
}

std::unique_ptr<TRVGraphicInterface> CreateDefaultGraphicInterface() {
  if (IsUniscribeLoaded()) return std::make_unique<TRVUniscribeGraphicInterface>();
  return std::make_unique<TRVWinGraphicInterface>();
}

// ---- the invalid picture ------------------------------------------------------------------------

TPicture* TRVStyle::GetInvalidPicture() {
  if (!FInvalidPicture) {
    FInvalidPicture = std::make_unique<TPicture>();
    if (auto bmp = LoadBitmapResource(u"RV_BAD_PICTURE")) FInvalidPicture->TakeGraphic(std::move(bmp));
  }
  return FInvalidPicture.get();
}

void TRVStyle::SetInvalidPicture(const TPicture* Value) {
  if (!Value) {
    FInvalidPicture.reset();
    FInvalidPictureAssigned = false;
    return;
  }
  FInvalidPictureAssigned = true;
  if (Value == FInvalidPicture.get()) return;
  if (!FInvalidPicture) FInvalidPicture = std::make_unique<TPicture>();
  FInvalidPicture->Assign(Value);
}

const TClassInfo& TRVStylePictureData::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVStylePictureData>(u"TRVStylePictureData", &inherited::StaticClassInfo()).Build();
  return info;
}

void TRVStylePictureData::DefineProperties(TFiler& Filer) {
  TPersistent::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      u"Data",
      [this](TStream& s) {
        // An unknown class or bad bytes leave the built-in picture in place.
        std::unique_ptr<TGraphic> g = RVReadPictureData(s);
        if (!g) return;
        TPicture pic;
        pic.TakeGraphic(std::move(g));
        FOwner->SetInvalidPicture(&pic);
      },
      [this](TStream& s) { RVWritePictureData(s, FOwner->GetInvalidPicture()->GetGraphic()); },
      FOwner && FOwner->IsInvalidPictureStored());
}

// ---- styled text --------------------------------------------------------------------------------

void TRVStyle::ApplyStyle(TCanvas* Canvas, int StyleNo, TRVBiDiMode DefBiDiMode, bool CanUseCustomPPI,
                          bool CanUseFontQuality, const TRVExtraFontInfo* ExtraFontInfo,
                          bool IgnoreSubSuperScript, bool ToFormatCanvas, bool UseVerticalFont,
                          const TRVScreenAndDevice* PSaD) {
  bool DoDefault = true;
  if (OnApplyStyle) OnApplyStyle(this, Canvas, StyleNo, PSaD, DoDefault);
  if (DoDefault) {
    TFontInfo* f = TextStyles()->Items(StyleNo);
    // Apply ends with the direction and letter spacing for DefBiDiMode.
    f->Apply(Canvas, DefBiDiMode, CanUseCustomPPI, CanUseFontQuality, ExtraFontInfo, IgnoreSubSuperScript,
             ToFormatCanvas, UseVerticalFont, PSaD, this);
    if (OnAfterApplyStyle) OnAfterApplyStyle(this, Canvas, StyleNo);
  } else if (ToFormatCanvas) {
    Canvas->Font().SetHeight(Canvas->Font().GetHeight() * RefCanvasScaleFactor);
  }
}

void TRVStyle::ApplyStyleColor(TCanvas* Canvas, int StyleNo, const TRVTextDrawStates& DrawState, bool Printing,
                               TRVColorMode ColorMode) {
  bool DoDefault = true;
  if (OnApplyStyleColor) OnApplyStyleColor(this, Canvas, StyleNo, DrawState, {rvcpBack, rvcpText}, DoDefault);
  if (DoDefault) TextStyles()->Items(StyleNo)->ApplyColor(Canvas, this, DrawState, Printing, ColorMode);
}

void TRVStyle::ApplyStyleBackColor(TCanvas* Canvas, int StyleNo, const TRVTextDrawStates& DrawState,
                                   bool Printing, TRVColorMode ColorMode) {
  bool DoDefault = true;
  if (OnApplyStyleColor) OnApplyStyleColor(this, Canvas, StyleNo, DrawState, {rvcpBack}, DoDefault);
  if (DoDefault) TextStyles()->Items(StyleNo)->ApplyBackColor(Canvas, this, DrawState, Printing, ColorMode);
}

void TRVStyle::ApplyStyleTextColor(TCanvas* Canvas, int StyleNo, const TRVTextDrawStates& DrawState,
                                   bool Printing, TRVColorMode ColorMode) {
  bool DoDefault = true;
  if (OnApplyStyleColor) OnApplyStyleColor(this, Canvas, StyleNo, DrawState, {rvcpText}, DoDefault);
  if (DoDefault) TextStyles()->Items(StyleNo)->ApplyTextColor(Canvas, this, DrawState, Printing, ColorMode);
}

void TRVStyle::DrawStyleText(const TRVUnicodeString& s, TCanvas* Canvas, int AItemNo, int AOffsetInItem,
                             int StyleNo, TPersistent* ARVData, int SpaceAtLeft, int Left, int Top, int Width,
                             int Height, int BaseLine, int TextWidth, int SpaceCount,
                             const TRVTextDrawStates& DrawState, bool Printing, bool PreviewCorrection,
                             bool ForMetafile, TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode,
                             TCanvas* RefCanvas, int LeftNoExpIndex, int RightNoExpIndex,
                             const TRVScreenAndDevice* PSaD) {
  bool DoDefault = true;
  if (OnDrawStyleText) {
    ItemNo = AItemNo;
    RVData = ARVData;
    OffsetInItem = AOffsetInItem;
    OnDrawStyleText(this, s, Canvas, StyleNo, SpaceAtLeft, Left, Top, Width, Height, BaseLine, TextWidth,
                    SpaceCount, DrawState, Printing, PreviewCorrection, ForMetafile, ColorMode, DefBiDiMode,
                    RefCanvas, LeftNoExpIndex, RightNoExpIndex, PSaD, DoDefault);
  }
  if (DoDefault)
    TextStyles()->Items(StyleNo)->Draw(s, Canvas, StyleNo, SpaceAtLeft, Left, Top, Width, Height, BaseLine,
                                       TextWidth, SpaceCount, this, DrawState, Printing, PreviewCorrection,
                                       ForMetafile, ColorMode, DefBiDiMode, RefCanvas, GetGraphicInterface(),
                                       LeftNoExpIndex, RightNoExpIndex, PSaD);
}

void TRVStyle::DrawSelectedStyleText(const TRVUnicodeString& s, TCanvas* Canvas, int AItemNo, int AOffsetInItem,
                                     int StyleNo, TPersistent* ARVData, int SpaceAtLeft, int Left, int Top,
                                     int Width, int Height, int BaseLine, int TextWidth, int SpaceCount,
                                     const TRVTextDrawStates& DrawState, bool Printing, bool PreviewCorrection,
                                     bool ForMetafile, TRVColorMode ColorMode, TRVBiDiMode DefBiDiMode,
                                     TCanvas* RefCanvas, int Index1, int Index2, int LeftNoExpIndex,
                                     int RightNoExpIndex) {
  TRVGraphicInterface* gi = GetGraphicInterface();
  TFontInfo* f = TextStyles()->Items(StyleNo);
  const bool BiDi = DefBiDiMode != rvbdUnspecified || f->BiDiMode != rvbdUnspecified;
  const bool UseRef = RefCanvas && RefCanvas != Canvas;
  int sLeft = Left, sTop = Top, sHeight = Height, sSpaceAtLeft = SpaceAtLeft;
  int FreeWidth = Width - SpaceAtLeft - TextWidth;
  if (UseRef) {
    sLeft *= RefCanvasScaleFactor;
    sTop *= RefCanvasScaleFactor;
    sHeight *= RefCanvasScaleFactor;
    sSpaceAtLeft *= RefCanvasScaleFactor;
    FreeWidth *= RefCanvasScaleFactor;
  }
  HRGN saved = nullptr;
  bool savedValid = false;
  gi->GetClipRgn(Canvas, saved, savedValid);
  try {
    bool visible;
    TRVCanvasStoreTransformParams transform{};
    TRVCanvasStoreFontParams font{};
    if (UseRef) {
      gi->ScaleCanvasTransform(Canvas, transform, RefCanvasScaleFactor);
      gi->CopyCanvasFont(RefCanvas, Canvas, font);
    } else if (PreviewCorrection) {
      TextWidth = gi->TextWidth(Canvas, s, BiDi, false);
    }
    try {
      // Range clipping: Index1..Index2 are 1-based, the interface counts from 0.
      const int len = static_cast<int>(s.size());
      const int i1 = std::clamp(Index1, 1, std::max(len, 1)) - 1;
      const int i2 = std::clamp(Index2, 1, std::max(len, 1)) - 1;
      visible = len > 0 && Index1 <= Index2 &&
                gi->ApplyTextRangeRegion(Canvas, UseRef ? RefCanvas : Canvas, s.data(), len, SpaceCount,
                                         FreeWidth, BiDi, f->IsSymbolCharset(), i1, i2, sLeft,
                                         sLeft + sSpaceAtLeft, sTop, sTop + sHeight, LeftNoExpIndex,
                                         RightNoExpIndex);
    } catch (...) {
      if (UseRef) {
        gi->FinalizeCopyCanvasFont(RefCanvas, Canvas, font);
        gi->RestoreCanvasTransform(Canvas, transform);
      }
      throw;
    }
    if (UseRef) {
      gi->FinalizeCopyCanvasFont(RefCanvas, Canvas, font);
      gi->RestoreCanvasTransform(Canvas, transform);
    }
    if (visible) {
      TRVTextDrawStates st = DrawState;
      st.Include(rvtsSelected);
      DrawStyleText(s, Canvas, AItemNo, AOffsetInItem, StyleNo, ARVData, SpaceAtLeft, Left, Top, Width, Height,
                    BaseLine, TextWidth, SpaceCount, st, Printing, PreviewCorrection, ForMetafile, ColorMode,
                    DefBiDiMode, RefCanvas, LeftNoExpIndex, RightNoExpIndex, nullptr);
    }
  } catch (...) {
    gi->RestoreClipRgn(Canvas, saved, savedValid);
    gi->FreeClipRgn(saved, savedValid);
    throw;
  }
  gi->RestoreClipRgn(Canvas, saved, savedValid);
  gi->FreeClipRgn(saved, savedValid);
}

void TRVStyle::DrawTextBack(TCanvas* Canvas, int AItemNo, int StyleNo, TPersistent* ARVData, int Left, int Top,
                            int Width, int Height, const TRVTextDrawStates& DrawState, bool Printing,
                            TRVColorMode ColorMode) {
  bool DoDefault = true;
  if (OnDrawTextBack) {
    ItemNo = AItemNo;
    RVData = ARVData;
    OnDrawTextBack(this, Canvas, StyleNo, Left, Top, Width, Height, DrawState, DoDefault);
  }
  if (!DoDefault && TextBackgroundKind != rvtbkSimple) return;
  ApplyStyleBackColor(Canvas, StyleNo, DrawState, Printing, ColorMode);
  if (Canvas->Brush().GetStyle() != bsClear)
    GetGraphicInterface()->FillRect(Canvas, TRect(Left, Top, Left + Width, Top + Height));
}

void TRVStyle::DrawCheckpoint(TCanvas* Canvas, int X, int Y, int AreaLeft, int Width, TPersistent* ARVData,
                              int AItemNo, int XShift, bool RaiseEvent, TObject* Control) {
  bool DoDefault = true;
  if (OnDrawCheckpoint) {
    RVData = ARVData;
    ItemNo = AItemNo;
    OnDrawCheckpoint(this, Canvas, X, Y, AItemNo, XShift, RaiseEvent, Control, DoDefault);
  }
  TRVGraphicInterface* gi = GetGraphicInterface();
  TRVCanvas* c = gi->InitDrawing(Canvas);
  if (DoDefault) {
    Canvas->Pen().SetWidth(1);
    Canvas->Pen().SetColor(RaiseEvent ? CheckpointEvColor : CheckpointColor);
    Canvas->Brush().SetStyle(bsClear);
    if (AItemNo != -1) {
      Canvas->Pen().SetStyle(psSolid);
      gi->SetPen(c, &Canvas->Pen());
      gi->SetBrush(c, &Canvas->Brush(), 100000);
      gi->Ellipse(c, X - 2, Y - 2, X + 2, Y + 2);
    }
    Canvas->Pen().SetStyle(psDot);
    gi->SetPen(c, &Canvas->Pen());
    gi->Line(c, AreaLeft - XShift, Y, AreaLeft + Width - XShift, Y);
  }
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Brush().SetStyle(bsClear);
  gi->DoneDrawing(c);
}

void TRVStyle::DrawPageBreak(TCanvas* Canvas, int Y, int XShift, TRVPageBreakType PageBreakType,
                             TObject* Control, TPersistent* ARVData, int AItemNo) {
  bool DoDefault = true;
  if (OnDrawPageBreak) {
    RVData = ARVData;
    ItemNo = AItemNo;
    OnDrawPageBreak(this, Canvas, Y, XShift, PageBreakType, Control, DoDefault);
  }
  TRVGraphicInterface* gi = GetGraphicInterface();
  TRVCanvas* c = gi->InitDrawing(Canvas);
  if (DoDefault) {
    Canvas->Pen().SetWidth(1);
    Canvas->Pen().SetStyle(psSolid);
    Canvas->Pen().SetColor(PageBreakType == rvpbPageBreak ? PageBreakColor : SoftPageBreakColor);
    const auto* doc = dynamic_cast<const IRVStyleDocument*>(ARVData);
    const int E = (doc ? doc->GetWidth() : 0) - XShift - 8;
    gi->SetPen(c, &Canvas->Pen());
    gi->Line(c, -XShift, Y, E, Y);
    Canvas->Brush().SetStyle(bsSolid);
    Canvas->Brush().SetColor(clWindow);
    gi->SetBrush(c, &Canvas->Brush(), 100000);
    gi->Polygon(c, {TPoint(E, Y), TPoint(E + 8, Y + 8), TPoint(E, Y + 8)});
  }
  Canvas->Pen().SetStyle(psSolid);
  Canvas->Brush().SetStyle(bsClear);
  gi->DoneDrawing(c);
}

void TRVStyle::DrawParaBack(TCanvas* Canvas, int ParaNo, const TRect& Rect, bool Printing, TRVColorMode ColorMode,
                            bool UseOpacity) {
  bool DoDefault = true;
  if (OnDrawParaBack) OnDrawParaBack(this, Canvas, ParaNo, Rect, DoDefault);
  if (DoDefault)
    ParaStyles()->Items(ParaNo)->Background()->Draw(Rect, Canvas, Printing, ColorMode, GetGraphicInterface(),
                                                    UseOpacity);
}

TColor TRVStyle::GetSelectionColor(bool Focused, bool Background) const {
  if (Focused) return Background ? SelColor : SelTextColor;
  return Background ? InactiveSelColor : InactiveSelTextColor;
}

TColor TRVStyle::GetHoverColor(int StyleNo) const {
  TColor c = TextStyles()->Items(StyleNo)->HoverColor;
  return c == clNone ? HoverColor : c;
}

bool TRVStyle::StyleHoverSensitive(int StyleNo) {
  TFontInfo* f = TextStyles()->Items(StyleNo);
  bool r = GetHoverColor(StyleNo) != clNone || f->HoverBackColor != f->BackColor ||
           f->HoverUnderlineColor != clNone || !f->HoverEffects.Empty();
  if (OnStyleHoverSensitive) OnStyleHoverSensitive(this, StyleNo, r);
  return r;
}

void TRVStyle::GetNextTab(int ParaNo, int X, const TRVScreenAndDevice& sad, int& Position,
                          TRVUnicodeString& Leader, TRVTabAlign& Align, TRVBiDiMode DefBiDiMode, int LeftIndent,
                          int RightIndent) {
  TParaInfo* para = ParaStyles()->Items(ParaNo);
  Leader.clear();
  if (DefBiDiMode == rvbdUnspecified) DefBiDiMode = para->BiDiMode;
  const bool rtl = DefBiDiMode == rvbdRightToLeft;
  X -= sad.LeftMargin;
  int C = LeftIndent;
  if (rtl) {
    X = X + RightIndent - LeftIndent;
    C = RightIndent;
  }
  bool found = false;
  int result = 0;
  Align = rvtaLeft;
  TRVTabInfos* tabs = para->Tabs();
  for (int i = 0; i < tabs->Count() && !found; ++i) {
    TRVTabInfo* tab = tabs->Items(i);
    const int T = GetAsDevicePixelsX(tab->GetPosition(), &sad, 1);
    if (C > X && T > C) {
      result = C;
      found = true;
    } else if (T > X) {
      result = T;
      Align = tab->Align;
      Leader = tab->Leader;
      found = true;
    }
  }
  if (!found) {
    if (C > X) {
      result = C;
    } else {
      const int D = std::max(1, GetAsDevicePixelsX(DefTabWidth, &sad, 1));
      result = (X + D) / D * D;
    }
  }
  Position = result + sad.LeftMargin;
  if (rtl) Position = Position - RightIndent + LeftIndent;
}

// ---- units --------------------------------------------------------------------------------------

TRVStyleLength TRVStyle::PixelsToTwips(TRVStyleLength Value) {
  return ScaleRounded(Value, 1440, GetScreenPixelsPerInch());
}

TRVStyleLength TRVStyle::TwipsToPixels(TRVStyleLength Value) {
  return NonZero(ScaleRounded(Value, GetScreenPixelsPerInch(), 1440), Value, 1);
}

TRVStyleLength TRVStyle::GetAsPixelsEx(TRVStyleLength Value, TRVStyleUnits Units, int MinNonZeroValue) {
  if (Units == rvstuPixels) return Value;
  return NonZero(ScaleRounded(Value, GetScreenPixelsPerInch(), 1440), Value, MinNonZeroValue);
}

TRVStyleLength TRVStyle::GetAsPixels(TRVStyleLength Value, int MinNonZeroValue) const {
  return GetAsPixelsEx(Value, Units, MinNonZeroValue);
}

namespace {
int DevicePixels(const TRVStyle& s, TRVStyleLength Value, int ScreenPPI, int DevicePPI, int MinNonZeroValue) {
  if (s.Units == rvstuPixels) return ScreenPPI > 0 ? ScaleRounded(Value, DevicePPI, ScreenPPI) : Value;
  return NonZero(ScaleRounded(Value, DevicePPI, 1440), Value, MinNonZeroValue);
}
}  // namespace

int TRVStyle::GetAsDevicePixelsX(TRVStyleLength Value, const TRVScreenAndDevice* PSaD, int MinNonZeroValue) const {
  if (!PSaD) return GetAsPixels(Value, 1);
  return DevicePixels(*this, Value, PSaD->ppixScreen, PSaD->ppixDevice, MinNonZeroValue);
}

int TRVStyle::GetAsDevicePixelsY(TRVStyleLength Value, const TRVScreenAndDevice* PSaD, int MinNonZeroValue) const {
  if (!PSaD) return GetAsPixels(Value, 1);
  return DevicePixels(*this, Value, PSaD->ppiyScreen, PSaD->ppiyDevice, MinNonZeroValue);
}

TRVStyleLength TRVStyle::GetAsTwipsEx(TRVStyleLength Value, TRVStyleUnits Units) {
  return Units == rvstuTwips ? Value : PixelsToTwips(Value);
}

TRVStyleLength TRVStyle::GetAsTwips(TRVStyleLength Value) const { return GetAsTwipsEx(Value, Units); }

std::int64_t TRVStyle::GetAsEMU(TRVStyleLength Value) const {
  return static_cast<std::int64_t>(GetAsTwips(Value)) * 635;
}

long double TRVStyle::GetAsPoints(TRVStyleLength Value) const {
  if (Units == rvstuTwips) return static_cast<long double>(Value) / 20;
  return static_cast<long double>(Value) / GetScreenPixelsPerInch() * 72;
}

TRVStyleLength TRVStyle::GetAsDifferentUnits(TRVStyleLength Value, TRVStyleUnits NewUnits) const {
  return NewUnits == rvstuTwips ? GetAsTwips(Value) : GetAsPixels(Value, 1);
}

TRVStyleLength TRVStyle::DifferentUnitsToUnits(TRVStyleLength Value, TRVStyleUnits FromUnits) const {
  return FromUnits == rvstuTwips ? TwipsToUnits(Value) : PixelsToUnits(Value);
}

TRVStyleLength TRVStyle::TwipsToUnitsEx(TRVStyleLength Value, TRVStyleUnits Units) {
  return Units == rvstuTwips ? Value : TwipsToPixels(Value);
}

TRVStyleLength TRVStyle::TwipsToUnits(TRVStyleLength Value) const { return TwipsToUnitsEx(Value, Units); }

TRVStyleLength TRVStyle::PixelsToUnitsEx(TRVStyleLength Value, TRVStyleUnits Units) {
  return Units == rvstuPixels ? Value : PixelsToTwips(Value);
}

TRVStyleLength TRVStyle::PixelsToUnits(TRVStyleLength Value) const { return PixelsToUnitsEx(Value, Units); }

TRVLength TRVStyle::GetAsRVUnitsEx(TRVStyleLength Value, TRVStyleUnits Units, TRVUnits RVUnits) {
  if (Units == rvstuPixels && RVUnits == rvuPixels) return Value;
  return TwipsToUnitsValue(GetAsTwipsEx(Value, Units), RVUnits);
}

TRVLength TRVStyle::GetAsRVUnits(TRVStyleLength Value, TRVUnits RVUnits) const {
  return GetAsRVUnitsEx(Value, Units, RVUnits);
}

TRVStyleLength TRVStyle::RVUnitsToUnitsEx(TRVLength Value, TRVUnits RVUnits, TRVStyleUnits Units) {
  if (Units == rvstuPixels && RVUnits == rvuPixels) return static_cast<TRVStyleLength>(Round(Value));
  return TwipsToUnitsEx(UnitsValueToTwips(RVUnits, static_cast<double>(Value)), Units);
}

TRVStyleLength TRVStyle::RVUnitsToUnits(TRVLength Value, TRVUnits RVUnits) const {
  return RVUnitsToUnitsEx(Value, RVUnits, Units);
}

int TRVStyle::RVUnitsToPixels(TRVLength Value, TRVUnits RVUnits) {
  if (RVUnits == rvuPixels) return static_cast<int>(Round(Value));
  return TwipsToPixels(UnitsValueToTwips(RVUnits, static_cast<double>(Value)));
}

TRVLength TRVStyle::PixelsToRVUnits(int Value, TRVUnits RVUnits) {
  if (RVUnits == rvuPixels) return Value;
  return TwipsToUnitsValue(PixelsToTwips(Value), RVUnits);
}

void TRVStyle::ConvertToDifferentUnits(TRVStyleUnits NewUnits) {
  if (NewUnits == Units) return;
  DefTabWidth = GetAsDifferentUnits(DefTabWidth, NewUnits);
  TextStyles()->GetInvalidItem()->ConvertToDifferentUnits(NewUnits);
  ParaStyles()->GetInvalidItem()->ConvertToDifferentUnits(NewUnits);
  TextStyles()->ConvertToDifferentUnits(NewUnits);
  ParaStyles()->ConvertToDifferentUnits(NewUnits);
  ListStyles()->ConvertToDifferentUnits(NewUnits);
  OwnStyleTemplates()->ConvertToDifferentUnits(NewUnits);
  Units = NewUnits;
}

TRVStyleLength RVConvertStyleLength(const TRVStyle* Sheet, TRVStyleLength Value, TRVStyleUnits NewUnits) {
  if (Sheet) return Sheet->GetAsDifferentUnits(Value, NewUnits);
  return NewUnits == rvstuTwips ? TRVStyle::PixelsToTwips(Value) : TRVStyle::TwipsToPixels(Value);
}

// ---- CSS ----------------------------------------------------------------------------------------

TRVAnsiString TRVStyle::GetCSSSize(TRVStyleLength Value) const {
  if (Units == rvstuTwips) return GetCSSSizeInPoints(Value);
  return std::to_string(GetAsPixels(Value, 1)) + "px";
}

UnicodeString TRVStyle::GetCSSSizeW(TRVStyleLength Value) const { return AsciiToUnicode(GetCSSSize(Value)); }

TRVAnsiString PointsToCSSText(long double Value) {
  if (Value < 0) {
    // Appending instead of prepending: gcc 12 sees a false overlap in "literal" + string&&.
    TRVAnsiString r("-");
    return r.append(PointsToCSSText(-Value));
  }
  auto whole = static_cast<std::int64_t>(Value);
  auto hundredths = static_cast<int>(Round((Value - static_cast<long double>(whole)) * 100));
  if (hundredths >= 100) {  // 12.999 is 13pt, not "12.100pt"
    ++whole;
    hundredths -= 100;
  }
  TRVAnsiString r = std::to_string(whole);
  if (hundredths != 0) {
    r += '.';
    r += static_cast<char>('0' + hundredths / 10);
    if (hundredths % 10 != 0) r += static_cast<char>('0' + hundredths % 10);
  }
  return r + "pt";
}

namespace {

void WriteLine(TStream* Stream, const TRVAnsiString& s) { RVWriteAnsiX(Stream, s, true); }

TRVAnsiString StyleComment(const TCustomRVInfo* Style, const TRVSaveCSSOptions& AOptions, TRVCodePage CodePage) {
  if (!Style->Standard) return {};
  const UnicodeString text = u" /* " + Style->StyleName + u" */";
  if (AOptions.Contains(rvcssUTF8)) return UnicodeToUtf8(text);
  return UnicodeToAnsiCP(CodePage, text);
}

TRVAnsiString Fmt(const char* Pattern, int Value) {
  return UnicodeToUtf8(Format(AsciiToUnicode(Pattern), {Value}));
}

TRVAnsiString FmtS(const char* Pattern, const TRVAnsiString& Value) {
  return UnicodeToUtf8(Format(AsciiToUnicode(Pattern), {AsciiToUnicode(Value)}));
}

}  // namespace

void TRVStyle::SaveCSSToStream(TStream* Stream, const TRVSaveCSSOptions& AOptions) {
  const bool noDef = AOptions.Contains(rvcssNoDefCSSStyle);
  const bool utf8 = AOptions.Contains(rvcssUTF8);
  TFontInfos* fonts = TextStyles();
  TParaInfos* paras = ParaStyles();
  TFontInfo* font0 = fonts->Items(0);
  WriteLine(Stream, "/* ========== Text Styles ========== */");
  WriteLine(Stream, "hr { color: " + GetHTMLColorStr(font0->Color, false) + "}");
  const bool font0IsBody = fonts->Count() > 0 && !font0->Jump && font0->BackColor == clNone && !noDef;
  for (int i = AOptions.Contains(rvcssDefault0Style) ? 1 : 0; i < fonts->Count(); ++i) {
    TFontInfo* f = fonts->Items(i);
    const TRVAnsiString comment = StyleComment(f, AOptions, DefCodePage);
    if (i == 0 && !f->Jump && f->BackColor == clNone && !noDef)
      WriteLine(Stream, "body, table, span.rvts0" + comment);
    else if (f->Jump)
      WriteLine(Stream, UnicodeToUtf8(Format(u"a.rvts%d, span.rvts%d", {i, i})) + comment);
    else
      WriteLine(Stream, Fmt("span.rvts%d", i) + comment);
    TFontInfo* base = nullptr;
    if (AOptions.Contains(rvcssOnlyDifference) && f->BaseStyleNo >= 0 && f->BaseStyleNo < fonts->Count())
      base = fonts->Items(f->BaseStyleNo);
    else if (i >= 1 && font0IsBody)
      base = font0;
    WriteLine(Stream, "{");
    f->SaveCSSToStream(Stream, base, true, utf8, f->Jump);
    WriteLine(Stream, "}");
    if (!f->Jump) continue;
    const TColor hover = f->HoverColor == clNone ? HoverColor : f->HoverColor;
    if (hover == clNone && f->HoverBackColor == clNone && f->HoverEffects.Empty()) continue;
    RVWriteAnsiX(Stream, Fmt("a.rvts%d:hover {", i), false);
    const bool plainBase = !base || !base->Jump;
    if (base) {
      const TColor baseHover = base->HoverColor == clNone ? HoverColor : base->HoverColor;
      if ((plainBase && hover != clNone) || hover != baseHover)
        RVWriteAnsiX(Stream, FmtS(" color: %s;", GetHTMLColorStr(hover, false)), false);
      if ((plainBase && f->HoverBackColor != clNone) || f->HoverBackColor != base->HoverBackColor)
        RVWriteAnsiX(Stream, FmtS(" background-color: %s;", GetCSSColorStr(f->HoverBackColor)), false);
      if ((plainBase && !f->HoverEffects.Empty()) || f->HoverEffects != base->HoverEffects)
        RVWriteAnsiX(Stream, FmtS(" text-decoration: %s;", f->GetCSSTextDecoration(true)), false);
    } else {
      if (hover != clNone) RVWriteAnsiX(Stream, FmtS(" color: %s;", GetHTMLColorStr(hover, false)), false);
      if (f->HoverBackColor != clNone)
        RVWriteAnsiX(Stream, FmtS(" background-color: %s;", GetCSSColorStr(f->HoverBackColor)), false);
      if (!f->HoverEffects.Empty())
        RVWriteAnsiX(Stream, FmtS(" text-decoration: %s;", f->GetCSSTextDecoration(true)), false);
    }
    if ((f->Style.Contains(fsUnderline) || f->HoverEffects.Contains(rvheUnderline)) &&
        f->HoverUnderlineColor != clNone)
      RVWriteAnsiX(Stream, TRVAnsiString(" ").append(f->GetCSSUnderlineBorder(true)).append(";"), false);
    WriteLine(Stream, " }");
  }
  WriteLine(Stream, "/* ========== Para Styles ========== */");
  for (int i = 0; i < paras->Count(); ++i) {
    TParaInfo* p = paras->Items(i);
    const TRVAnsiString comment = StyleComment(p, AOptions, DefCodePage);
    WriteLine(Stream, (i == 0 && !noDef ? TRVAnsiString("p,ul,ol") : Fmt(".rvps%d", i)) + comment);
    TParaInfo* base = nullptr;
    if (AOptions.Contains(rvcssOnlyDifference) && p->BaseStyleNo >= 0 && p->BaseStyleNo < paras->Count())
      base = paras->Items(p->BaseStyleNo);
    else if (i >= 1 && !noDef)
      base = paras->Items(0);
    if (p->OutlineLevel >= 1 && p->OutlineLevel <= 6) base = nullptr;
    WriteLine(Stream, "{");
    p->SaveCSSToStream(Stream, base, true, AOptions.Contains(rvcssIgnoreLeftAlignment), false, rvbdUnspecified);
    WriteLine(Stream, "}");
  }
  TRVHTMLListCSSList bullets;
  ListStyles()->SaveCSSToStream(Stream, bullets, AOptions, "/* ========== Lists ========== */");
}

// ---- INI form -----------------------------------------------------------------------------------

namespace {

// The sheet's options in the INI form: integers (colours, enumerations and Booleans as numbers
// would read badly, so Booleans go as "Yes"/"No"), each written only when not the default.
struct TIniOption {
  const char16_t* Name;
  bool IsBool;
  int Default;
  std::function<int(const TRVStyle&)> Get;
  std::function<void(TRVStyle&, int)> Set;
};

#define RV_INT_OPT(field, def)                                                       \
  TIniOption {                                                                       \
    u## #field, false, static_cast<int>(def),                                        \
        [](const TRVStyle& s) { return static_cast<int>(s.field); },                 \
        [](TRVStyle& s, int v) { s.field = static_cast<decltype(s.field)>(v); }      \
  }
#define RV_BOOL_OPT(field, def)                                                      \
  TIniOption {                                                                       \
    u## #field, true, (def) ? 1 : 0, [](const TRVStyle& s) { return s.field ? 1 : 0; }, \
        [](TRVStyle& s, int v) { s.field = v != 0; }                                 \
  }

const std::vector<TIniOption>& IniOptions() {
  static const std::vector<TIniOption> options = {
      RV_INT_OPT(Units, rvstuPixels),
      RV_INT_OPT(SpacesInTab, 0),
      RV_INT_OPT(DefTabWidth, 48),
      RV_INT_OPT(JumpCursor, crJump),
      RV_INT_OPT(LineSelectCursor, crRVFlipArrow),
      RV_BOOL_OPT(FullRedraw, false),
      RV_BOOL_OPT(UseSound, true),
      RV_INT_OPT(Color, clWindow),
      RV_INT_OPT(HoverColor, clNone),
      RV_INT_OPT(CurrentItemColor, clNone),
      RV_INT_OPT(SelColor, clHighlight),
      RV_INT_OPT(SelTextColor, clHighlightText),
      RV_INT_OPT(InactiveSelColor, clHighlight),
      RV_INT_OPT(InactiveSelTextColor, clHighlightText),
      RV_INT_OPT(CheckpointColor, clGreen),
      RV_INT_OPT(CheckpointEvColor, clLime),
      RV_INT_OPT(PageBreakColor, clBtnShadow),
      RV_INT_OPT(SoftPageBreakColor, clBtnFace),
      RV_INT_OPT(LiveSpellingColor, clRed),
      RV_INT_OPT(FloatingLineColor, 0xBDA28A),
      RV_INT_OPT(SpecialCharactersColor, clNone),
      RV_INT_OPT(GridColor, clBtnFace),
      RV_INT_OPT(GridReadOnlyColor, clBtnFace),
      RV_INT_OPT(GridStyle, psDot),
      RV_INT_OPT(GridReadOnlyStyle, psClear),
      RV_INT_OPT(SelectionMode, rvsmWord),
      RV_INT_OPT(SelectionStyle, rvssItems),
      RV_INT_OPT(TextBackgroundKind, rvtbkItems),
      RV_INT_OPT(FieldHighlightColor, clBtnFace),
      RV_INT_OPT(FieldHighlightType, rvfhCurrent),
      RV_INT_OPT(DisabledFontColor, clNone),
      RV_INT_OPT(FootnoteNumbering, rvseqDecimal),
      RV_INT_OPT(EndnoteNumbering, rvseqLowerRoman),
      RV_INT_OPT(SidenoteNumbering, rvseqLowerAlpha),
      RV_BOOL_OPT(FootnotePageReset, true),
      RV_INT_OPT(LineWrapMode, rvWrapNormal),
      RV_INT_OPT(DefUnicodeStyle, -1),
      RV_INT_OPT(DefCodePage, 0),
      RV_INT_OPT(FontQuality, fqDefault),
      RV_INT_OPT(SelectionHandleKind, rvshkWedge),
  };
  return options;
}

#undef RV_INT_OPT
#undef RV_BOOL_OPT

// Upper bounds of the enumerated options: a value outside makes the file bad data.
int OptionMax(const UnicodeString& Name) {
  struct TMax {
    const char16_t* Name;
    int Max;
  };
  static const TMax maxima[] = {
      {u"Units", rvstuTwips},           {u"GridStyle", psInsideFrame},     {u"GridReadOnlyStyle", psInsideFrame},
      {u"SelectionMode", rvsmParagraph}, {u"SelectionStyle", rvssLines},   {u"TextBackgroundKind", rvtbkLines},
      {u"FieldHighlightType", rvfhAlways}, {u"FootnoteNumbering", rvseqUpperRoman},
      {u"EndnoteNumbering", rvseqUpperRoman}, {u"SidenoteNumbering", rvseqUpperRoman},
      {u"LineWrapMode", rvWrapNormal},  {u"FontQuality", fqClearTypeNatural},
      {u"SelectionHandleKind", rvshkCircle}, {u"TextEngine", rvteUniscribe},
  };
  for (const TMax& m : maxima)
    if (Name == m.Name) return m.Max;
  return -1;
}

// More styles than this in one file is damage, not a style sheet.
constexpr int MaxIniStyleCount = 100000;

const char16_t kTextCount[] = u"TextStyleCount";
const char16_t kParaCount[] = u"ParaStyleCount";
const char16_t kListCount[] = u"ListStyleCount";

UnicodeString ItemFormat(const char16_t* Prefix, int Index) { return Prefix + UnicodeString(u"%s") + IntToStr(Index); }

}  // namespace

void TRVStyle::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section) {
  ini->EraseSection(Section);
  for (const TIniOption& o : IniOptions()) {
    if (o.IsBool) IniWriteBool(ini, Section, o.Name, o.Default != 0, o.Get(*this) != 0);
    else IniWriteInteger(ini, Section, o.Name, o.Default, o.Get(*this));
  }
  IniWriteInteger(ini, Section, u"TextEngine", rvteUniscribe, FTextEngine);
  ini->WriteInteger(Section, kTextCount, TextStyles()->Count());
  for (int i = 0; i < TextStyles()->Count(); ++i)
    TextStyles()->Items(i)->SaveToINI(ini, Section, ItemFormat(u"TS", i), AllTextStyleProperties);
  ini->WriteInteger(Section, kParaCount, ParaStyles()->Count());
  for (int i = 0; i < ParaStyles()->Count(); ++i)
    ParaStyles()->Items(i)->SaveToINI(ini, Section, ItemFormat(u"PS", i), AllParaStyleProperties);
  ini->WriteInteger(Section, kListCount, ListStyles()->Count());
  for (int i = 0; i < ListStyles()->Count(); ++i) ListStyles()->Items(i)->SaveToINI(ini, Section, ItemFormat(u"LS", i));
  if (!FMainRVStyle) OwnStyleTemplates()->SaveToINI(ini, Section);
}

void TRVStyle::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section) {
  // Read into a scratch sheet first: a damaged file leaves this one as it was.
  TRVStyle tmp(nullptr);
  for (const TIniOption& o : IniOptions()) {
    const int v = o.IsBool ? (IniReadBool(ini, Section, o.Name, o.Default != 0) ? 1 : 0)
                           : ini->ReadInteger(Section, o.Name, o.Default);
    const int max = OptionMax(o.Name);
    if (max >= 0 && (v < 0 || v > max))
      throw EViroZereError(Format(u"Invalid value of %s", {UnicodeString(o.Name)}));
    o.Set(tmp, v);
  }
  const int engine = ini->ReadInteger(Section, u"TextEngine", rvteUniscribe);
  if (engine < 0 || engine > OptionMax(u"TextEngine")) throw EViroZereError(u"Invalid value of TextEngine");
  auto count = [&](const char16_t* Key) {
    const int n = ini->ReadInteger(Section, Key, -1);
    if (n > MaxIniStyleCount) throw EViroZereError(Format(u"Invalid value of %s", {UnicodeString(Key)}));
    return n;
  };
  // Without a count the collection keeps the default styles.
  if (int n = count(kTextCount); n >= 0) {
    tmp.TextStyles()->Clear();
    for (int i = 0; i < n; ++i)
      tmp.TextStyles()->Add()->LoadFromINI(ini, Section, ItemFormat(u"TS", i), false, tmp.JumpCursor);
  }
  if (int n = count(kParaCount); n >= 0) {
    tmp.ParaStyles()->Clear();
    for (int i = 0; i < n; ++i) tmp.ParaStyles()->Add()->LoadFromINI(ini, Section, ItemFormat(u"PS", i));
  }
  for (int i = 0, n = count(kListCount); i < n; ++i)
    tmp.ListStyles()->Add()->LoadFromINI(ini, Section, ItemFormat(u"LS", i));
  tmp.OwnStyleTemplates()->LoadFromINI(ini, Section);
  tmp.OwnStyleTemplates()->UpdateReferences();

  for (const TIniOption& o : IniOptions()) o.Set(*this, o.Get(tmp));
  SetTextEngine(static_cast<TRVTextEngine>(engine));
  TextStyles()->Assign(tmp.TextStyles());
  ParaStyles()->Assign(tmp.ParaStyles());
  ListStyles()->Assign(tmp.ListStyles());
  if (!FMainRVStyle) {
    OwnStyleTemplates()->AssignStyleTemplates(tmp.OwnStyleTemplates(), true);
    OwnStyleTemplates()->UpdateReferences();
  }
}

void TRVStyle::SaveINI(const UnicodeString& FileName, const UnicodeString& Section) {
  TMemIniFile ini(FileName);
  SaveToINI(&ini, Section);
  ini.UpdateFile();
}

bool TRVStyle::LoadINI(const UnicodeString& FileName, const UnicodeString& Section) {
  if (!FileExists(FileName)) return false;
  try {
    TMemIniFile ini(FileName);
    LoadFromINI(&ini, Section);
    return true;
  } catch (...) {
    RVRethrowUnlessDataError();
    return false;
  }
}

// ---- component stream ---------------------------------------------------------------------------

#define RV_COLOR_PROP(field, def) \
  .Integer(u## #field, [](TRVStyle& s) { return s.field; }, [](TRVStyle& s, TColor v) { s.field = v; }, def)
#define RV_BOOL_PROP(field, def) \
  .Boolean(u## #field, [](TRVStyle& s) { return s.field; }, [](TRVStyle& s, bool v) { s.field = v; }, def)
#define RV_ENUM_PROP(field, names, def)                                                                    \
  .Enum(                                                                                                   \
      u## #field, [](TRVStyle& s) { return s.field; },                                                     \
      [](TRVStyle& s, decltype(TRVStyle::field) v) { s.field = v; }, names, def)

const TClassInfo& TRVStyle::StaticClassInfo() {
  static const std::vector<UnicodeString> seqNames =
      RVValueNames({u"rvseqDecimal", u"rvseqLowerAlpha", u"rvseqUpperAlpha", u"rvseqLowerRoman", u"rvseqUpperRoman"});
  static const std::vector<UnicodeString> penNames = RVValueNames(
      {u"psSolid", u"psDash", u"psDot", u"psDashDot", u"psDashDotDot", u"psClear", u"psInsideFrame"});
  static const TClassInfo info =
      TClassInfoBuilder<TRVStyle>(u"TRVStyle", &inherited::StaticClassInfo())
          .Object(u"TextStyles", [](TRVStyle& s) -> TPersistent* { return s.TextStyles(); })
          .Object(u"ParaStyles", [](TRVStyle& s) -> TPersistent* { return s.ParaStyles(); })
          .Object(u"ListStyles", [](TRVStyle& s) -> TPersistent* { return s.ListStyles(); })
          .Integer(u"SpacesInTab", [](TRVStyle& s) { return s.SpacesInTab; }, [](TRVStyle& s, int v) { s.SpacesInTab = v; }, 0)
          .Integer(u"DefTabWidth", [](TRVStyle& s) { return s.DefTabWidth; },
                   [](TRVStyle& s, TRVStyleLength v) { s.DefTabWidth = v; }, 48)
          .Integer(u"JumpCursor", [](TRVStyle& s) { return s.JumpCursor; }, [](TRVStyle& s, TCursor v) { s.JumpCursor = v; }, crJump)
          .Integer(u"LineSelectCursor", [](TRVStyle& s) { return s.LineSelectCursor; },
                   [](TRVStyle& s, TCursor v) { s.LineSelectCursor = v; }, crRVFlipArrow)
          RV_BOOL_PROP(FullRedraw, false)
          RV_BOOL_PROP(UseSound, true)
          RV_COLOR_PROP(Color, clWindow)
          RV_COLOR_PROP(HoverColor, clNone)
          RV_COLOR_PROP(CurrentItemColor, clNone)
          RV_COLOR_PROP(SelColor, clHighlight)
          RV_COLOR_PROP(SelTextColor, clHighlightText)
          RV_COLOR_PROP(InactiveSelColor, clHighlight)
          RV_COLOR_PROP(InactiveSelTextColor, clHighlightText)
          RV_COLOR_PROP(CheckpointColor, clGreen)
          RV_COLOR_PROP(CheckpointEvColor, clLime)
          RV_COLOR_PROP(PageBreakColor, clBtnShadow)
          RV_COLOR_PROP(SoftPageBreakColor, clBtnFace)
          RV_COLOR_PROP(LiveSpellingColor, clRed)
          RV_COLOR_PROP(FloatingLineColor, 0xBDA28A)
          RV_COLOR_PROP(SpecialCharactersColor, clNone)
          RV_COLOR_PROP(GridColor, clBtnFace)
          RV_COLOR_PROP(GridReadOnlyColor, clBtnFace)
          RV_ENUM_PROP(GridStyle, penNames, psDot)
          RV_ENUM_PROP(GridReadOnlyStyle, penNames, psClear)
          RV_ENUM_PROP(SelectionMode, RVValueNames({u"rvsmChar", u"rvsmWord", u"rvsmParagraph"}), rvsmWord)
          RV_ENUM_PROP(SelectionStyle, RVValueNames({u"rvssItems", u"rvssLines"}), rvssItems)
          RV_ENUM_PROP(TextBackgroundKind, RVValueNames({u"rvtbkSimple", u"rvtbkItems", u"rvtbkLines"}), rvtbkItems)
          RV_COLOR_PROP(FieldHighlightColor, clBtnFace)
          RV_ENUM_PROP(FieldHighlightType, RVValueNames({u"rvfhNever", u"rvfhCurrent", u"rvfhAlways"}), rvfhCurrent)
          RV_COLOR_PROP(DisabledFontColor, clNone)
          RV_ENUM_PROP(FootnoteNumbering, seqNames, rvseqDecimal)
          RV_ENUM_PROP(EndnoteNumbering, seqNames, rvseqLowerRoman)
          RV_ENUM_PROP(SidenoteNumbering, seqNames, rvseqLowerAlpha)
          RV_BOOL_PROP(FootnotePageReset, true)
          RV_ENUM_PROP(LineWrapMode, RVValueNames({u"rvWrapAnywhere", u"rvWrapSimple", u"rvWrapNormal"}), rvWrapNormal)
          .Integer(u"DefUnicodeStyle", [](TRVStyle& s) { return s.DefUnicodeStyle; },
                   [](TRVStyle& s, int v) { s.DefUnicodeStyle = v; }, -1)
          .Integer(u"DefCodePage", [](TRVStyle& s) { return s.DefCodePage; },
                   [](TRVStyle& s, TRVCodePage v) { s.DefCodePage = v; }, 0)
          .Object(u"InvalidPicture", [](TRVStyle& s) -> TPersistent* { return &s.FInvalidPictureData; })
          RV_ENUM_PROP(Units, RVValueNames({u"rvstuPixels", u"rvstuTwips"}), rvstuPixels)
          RV_ENUM_PROP(FontQuality,
                       RVValueNames({u"fqDefault", u"fqDraft", u"fqProof", u"fqNonAntialiased", u"fqAntialiased",
                              u"fqClearType", u"fqClearTypeNatural"}),
                       fqDefault)
          RV_ENUM_PROP(SelectionHandleKind, RVValueNames({u"rvshkWedge", u"rvshkCircle"}), rvshkWedge)
          .Enum(u"TextEngine", [](TRVStyle& s) { return s.GetTextEngine(); },
                [](TRVStyle& s, TRVTextEngine v) { s.SetTextEngine(v); }, RVValueNames({u"rvteWindows", u"rvteUniscribe"}),
                rvteUniscribe)
          .Object(u"StyleTemplates", [](TRVStyle& s) -> TPersistent* { return s.OwnStyleTemplates(); })
          .StoredIf([](TRVStyle& s) { return s.GetMainRVStyle() == nullptr; })
          .Build();
  return info;
}

#undef RV_COLOR_PROP
#undef RV_BOOL_PROP
#undef RV_ENUM_PROP

// ---- typed style references ---------------------------------------------------------------------

namespace {
template <typename TInfos>
int IndexOfStyleName(TInfos* Styles, const TRVUnicodeString& Name) {
  for (int i = 0; i < Styles->Count(); ++i)
    if (Styles->Items(i)->StyleName == Name) return i;
  return 0;
}
}  // namespace

bool ReadRVFTextStyleRef(const TRVStyle* RVStyle, const char*& P, int& StyleNo, bool& NameUsed, bool UTF8) {
  return ReadRVFStyleRef(
      P, [RVStyle](const TRVUnicodeString& n) { return IndexOfStyleName(RVStyle->TextStyles(), n); },
      RVStyle->DefCodePage, StyleNo, NameUsed, UTF8);
}

bool ReadRVFParaStyleRef(const TRVStyle* RVStyle, const char*& P, int& ParaNo, bool& NameUsed, bool UTF8) {
  return ReadRVFStyleRef(
      P, [RVStyle](const TRVUnicodeString& n) { return IndexOfStyleName(RVStyle->ParaStyles(), n); },
      RVStyle->DefCodePage, ParaNo, NameUsed, UTF8);
}

TRVRawByteString EncodeRVFTextStyleRef(const TRVStyle* RVStyle, bool UseStyleNames, int StyleNo) {
  if (UseStyleNames && StyleNo >= 0 && StyleNo < 2147483647)
    return EncodeRVFQuotedStyleName(RVStyle->TextStyles()->Items(StyleNo)->StyleName);
  return std::to_string(StyleNo);
}

TRVRawByteString EncodeRVFParaStyleRef(const TRVStyle* RVStyle, bool UseStyleNames, int ParaNo) {
  if (UseStyleNames && ParaNo >= 0)
    return EncodeRVFQuotedStyleName(RVStyle->ParaStyles()->Items(ParaNo)->StyleName);
  return std::to_string(ParaNo);
}

TRVRawByteString EncodeRVFItemParaRef(const TRVStyle* RVStyle, bool UseStyleNames, int ParaNo,
                                      bool ForceSameAsPrev) {
  return EncodeRVFParaStyleRef(RVStyle, UseStyleNames, ForceSameAsPrev ? -1 : ParaNo);
}

// ---- controls that refer to the sheet ----------------------------------------------------------

void TRVStyle::FreeNotification(const void* Key, std::function<void()> Notify) {
  RemoveFreeNotification(Key);
  FControlFreeNotifies.emplace_back(Key, std::move(Notify));
}

void TRVStyle::RemoveFreeNotification(const void* Key) {
  auto& v = FControlFreeNotifies;
  v.erase(std::remove_if(v.begin(), v.end(), [Key](const auto& e) { return e.first == Key; }), v.end());
}
