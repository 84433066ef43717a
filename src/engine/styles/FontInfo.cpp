#include "engine/styles/FontInfo.h"

#include <cmath>
#include <cstdlib>

#include "engine/foundation/RVHtmlFuncs.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/foundation/RVUni.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/Classes.h"
#include "platform/base/ComponentStream.h"
#include "platform/base/NLS.h"

namespace {

const std::vector<UnicodeString>& RVFontStyleNames() {
  static const auto n = RVValueNames({u"rvfsOverline", u"rvfsAllCaps"});
  return n;
}
const std::vector<UnicodeString>& HoverEffectNames() {
  static const auto n = RVValueNames({u"rvheUnderline"});
  return n;
}
const std::vector<UnicodeString>& ProtectNames() {
  static const auto n = RVValueNames({u"rvprStyleProtect", u"rvprStyleSplitProtect", u"rvprModifyProtect",
                               u"rvprDeleteProtect", u"rvprConcateProtect", u"rvprRVFInsertProtect",
                               u"rvprDoNotAutoSwitch", u"rvprParaStartProtect", u"rvprSticking",
                               u"rvprSticking2", u"rvprSticking3", u"rvprStickToTop",
                               u"rvprStickToBottom"});
  return n;
}
const std::vector<UnicodeString>& TextOptionNames() {
  static const auto n = RVValueNames({u"rvteoHTMLCode", u"rvteoRTFCode", u"rvteoDocXCode",
                               u"rvteoDocXInRunCode", u"rvteoHidden"});
  return n;
}
const std::vector<UnicodeString>& SubSuperNames() {
  static const auto n = RVValueNames({u"rvsssNormal", u"rvsssSubscript", u"rvsssSuperScript"});
  return n;
}
const std::vector<UnicodeString>& UnderlineNames() {
  static const auto n = RVValueNames({u"rvutNormal", u"rvutThick", u"rvutDouble", u"rvutDotted",
                               u"rvutThickDotted", u"rvutDashed", u"rvutThickDashed",
                               u"rvutLongDashed", u"rvutThickLongDashed", u"rvutDashDotted",
                               u"rvutThickDashDotted", u"rvutDashDotDotted",
                               u"rvutThickDashDotDotted"});
  return n;
}

// Protection flags that the INI form keeps (up to rvprSticking2).
constexpr std::uint32_t IniProtectionMask = 0x3FF;

// Whether style a and b agree in property p; LocaleNames picks the font-name comparison.
bool SameProp(TRVFontInfoProperty p, const TCustomRVFontInfo& a, const TCustomRVFontInfo& b,
              bool LocaleNames) {
  switch (p) {
    case rvfiFontName:
      return LocaleNames ? RVStyleSameText(a.FontName, b.FontName) : SameTextAscii(a.FontName, b.FontName);
    case rvfiSize: return a.SizeDouble == b.SizeDouble;
    case rvfiCharset: return a.Charset == b.Charset;
    case rvfiBold: return a.Style.Contains(fsBold) == b.Style.Contains(fsBold);
    case rvfiItalic: return a.Style.Contains(fsItalic) == b.Style.Contains(fsItalic);
    case rvfiUnderline: return a.Style.Contains(fsUnderline) == b.Style.Contains(fsUnderline);
    case rvfiStrikeout: return a.Style.Contains(fsStrikeOut) == b.Style.Contains(fsStrikeOut);
    case rvfiOverline: return a.StyleEx.Contains(rvfsOverline) == b.StyleEx.Contains(rvfsOverline);
    case rvfiAllCaps: return a.StyleEx.Contains(rvfsAllCaps) == b.StyleEx.Contains(rvfsAllCaps);
    case rvfiSubSuperScriptType: return a.SubSuperScriptType == b.SubSuperScriptType;
    case rvfiVShift: return a.VShift == b.VShift;
    case rvfiColor: return a.Color == b.Color;
    case rvfiBackColor: return a.BackColor == b.BackColor;
    case rvfiHoverBackColor: return a.HoverBackColor == b.HoverBackColor;
    case rvfiHoverColor: return a.HoverColor == b.HoverColor;
    case rvfiHoverUnderline:
      return a.HoverEffects.Contains(rvheUnderline) == b.HoverEffects.Contains(rvheUnderline);
    case rvfiJumpCursor: return a.JumpCursor == b.JumpCursor;
    case rvfiProtection: return a.Protection == b.Protection;
    case rvfiCharScale: return a.CharScale == b.CharScale;
    case rvfiBiDiMode: return a.BiDiMode == b.BiDiMode;
    case rvfiCharSpacing: return a.CharSpacing == b.CharSpacing;
    case rvfiHTMLCode: return a.Options.Contains(rvteoHTMLCode) == b.Options.Contains(rvteoHTMLCode);
    case rvfiRTFCode: return a.Options.Contains(rvteoRTFCode) == b.Options.Contains(rvteoRTFCode);
    case rvfiDocXCode:
      return a.Options.Contains(rvteoDocXCode) == b.Options.Contains(rvteoDocXCode) &&
             a.Options.Contains(rvteoDocXInRunCode) == b.Options.Contains(rvteoDocXInRunCode);
    case rvfiHidden: return a.Options.Contains(rvteoHidden) == b.Options.Contains(rvteoHidden);
    case rvfiUnderlineType: return a.UnderlineType == b.UnderlineType;
    case rvfiUnderlineColor: return a.UnderlineColor == b.UnderlineColor;
    case rvfiHoverUnderlineColor: return a.HoverUnderlineColor == b.HoverUnderlineColor;
    case rvfiEmptyWidth: return a.EmptyWidth == b.EmptyWidth;
    default: return true;  // properties the text style does not hold
  }
}

template <typename S, typename E>
void CopyFlag(S& dst, const S& src, E e) {
  if (src.Contains(e)) dst.Include(e); else dst.Exclude(e);
}

void CopyProp(TRVFontInfoProperty p, TCustomRVFontInfo& d, const TCustomRVFontInfo& s) {
  switch (p) {
    case rvfiFontName: d.FontName = s.FontName; break;
    case rvfiSize: d.SizeDouble = s.SizeDouble; break;
    case rvfiCharset: d.Charset = s.Charset; break;
    case rvfiBold: CopyFlag(d.Style, s.Style, fsBold); break;
    case rvfiItalic: CopyFlag(d.Style, s.Style, fsItalic); break;
    case rvfiUnderline: CopyFlag(d.Style, s.Style, fsUnderline); break;
    case rvfiStrikeout: CopyFlag(d.Style, s.Style, fsStrikeOut); break;
    case rvfiOverline: CopyFlag(d.StyleEx, s.StyleEx, rvfsOverline); break;
    case rvfiAllCaps: CopyFlag(d.StyleEx, s.StyleEx, rvfsAllCaps); break;
    case rvfiSubSuperScriptType: d.SubSuperScriptType = s.SubSuperScriptType; break;
    case rvfiVShift: d.VShift = s.VShift; break;
    case rvfiColor: d.Color = s.Color; break;
    case rvfiBackColor: d.BackColor = s.BackColor; break;
    case rvfiHoverBackColor: d.HoverBackColor = s.HoverBackColor; break;
    case rvfiHoverColor: d.HoverColor = s.HoverColor; break;
    case rvfiHoverUnderline: CopyFlag(d.HoverEffects, s.HoverEffects, rvheUnderline); break;
    case rvfiJumpCursor: d.JumpCursor = s.JumpCursor; break;
    case rvfiProtection: d.Protection = s.Protection; break;
    case rvfiCharScale: d.CharScale = s.CharScale; break;
    case rvfiBiDiMode: d.BiDiMode = s.BiDiMode; break;
    case rvfiCharSpacing: d.CharSpacing = s.CharSpacing; break;
    case rvfiHTMLCode: CopyFlag(d.Options, s.Options, rvteoHTMLCode); break;
    case rvfiRTFCode: CopyFlag(d.Options, s.Options, rvteoRTFCode); break;
    case rvfiDocXCode:
      CopyFlag(d.Options, s.Options, rvteoDocXCode);
      CopyFlag(d.Options, s.Options, rvteoDocXInRunCode);
      break;
    case rvfiHidden: CopyFlag(d.Options, s.Options, rvteoHidden); break;
    case rvfiUnderlineType: d.UnderlineType = s.UnderlineType; break;
    case rvfiUnderlineColor: d.UnderlineColor = s.UnderlineColor; break;
    case rvfiHoverUnderlineColor: d.HoverUnderlineColor = s.HoverUnderlineColor; break;
    case rvfiEmptyWidth: d.EmptyWidth = s.EmptyWidth; break;
    default: break;
  }
}

// The properties the text style itself holds and compares.
constexpr TRVFontInfoProperties OwnTextProperties =
    AllTextStyleProperties - TRVFontInfoProperties{rvfiUnicode, rvfiJump, rvfiNextStyleNo, rvfiBaseStyleNo,
                                                   rvfiCustom, rvfiCustom2, rvfiCustom3, rvfiCustom4,
                                                   rvfiCustom5};

void ReadModifiedProps(TReader& Reader, TRVFontInfoProperties& Props) {
  if (Reader.NextValue() != vaSet) {
    Reader.SkipValue();
    throw EViroZereError(Format(u"Invalid value of property %s", {UnicodeString(u"ModifiedProps (text)")}));
  }
  Props.Clear();
  for (const std::string& name : Reader.ReadSet()) {
    const int p = RVFontInfoPropertyFromName(name);
    if (p >= 0) Props.Include(static_cast<TRVFontInfoProperty>(p));
  }
}

}  // namespace

std::vector<UnicodeString> RVFontInfoPropertiesToNames(const TRVFontInfoProperties& Props) {
  std::vector<UnicodeString> r;
  Props.ForEach([&](TRVFontInfoProperty p) { r.push_back(AsciiToUnicode(RVFontInfoPropertyNames[p])); });
  return r;
}

// ---- TCustomRVFontInfo ---------------------------------------------------------------------------

TCustomRVFontInfo::TCustomRVFontInfo(TCollection* ACollection) : TCustomFontOrParaRVInfo(ACollection) {
  InitStyleName();
}

const TClassInfo& TCustomRVFontInfo::StaticClassInfo() {
  using T = TCustomRVFontInfo;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TCustomRVFontInfo", &inherited::StaticClassInfo())
          .Integer(u"Charset", [](T& s) { return int(s.Charset); }, [](T& s, int v) { s.Charset = TFontCharset(v); }, 1)
          .String(u"FontName", [](T& s) { return s.FontName; }, [](T& s, const UnicodeString& v) { s.FontName = v; })
          .Set(u"Style", [](T& s) { return s.Style; }, [](T& s, TFontStyles v) { s.Style = v; }, RVFontStyleValueNames(), TFontStyles{})
          .Integer(u"VShift", [](T& s) { return s.VShift; }, [](T& s, int v) { s.VShift = v; }, 0)
          .Integer(u"Color", [](T& s) { return s.Color; }, [](T& s, TColor v) { s.Color = v; }, clWindowText)
          .Integer(u"BackColor", [](T& s) { return s.BackColor; }, [](T& s, TColor v) { s.BackColor = v; }, clNone)
          .Integer(u"HoverBackColor", [](T& s) { return s.HoverBackColor; }, [](T& s, TColor v) { s.HoverBackColor = v; }, clNone)
          .Integer(u"HoverColor", [](T& s) { return s.HoverColor; }, [](T& s, TColor v) { s.HoverColor = v; }, clNone)
          .Set(u"HoverEffects", [](T& s) { return s.HoverEffects; }, [](T& s, TRVHoverEffects v) { s.HoverEffects = v; }, HoverEffectNames(), TRVHoverEffects{})
          .Set(u"StyleEx", [](T& s) { return s.StyleEx; }, [](T& s, TRVFontStyles v) { s.StyleEx = v; }, RVFontStyleNames(), TRVFontStyles{})
          .Integer(u"JumpCursor", [](T& s) { return int(s.JumpCursor); }, [](T& s, int v) { s.JumpCursor = TCursor(v); }, crJump)
          .Integer(u"CharScale", [](T& s) { return s.CharScale; }, [](T& s, int v) { s.CharScale = v; }, 100)
          .Integer(u"CharSpacing", [](T& s) { return s.CharSpacing; }, [](T& s, int v) { s.CharSpacing = v; }, 0)
          .Enum(u"BiDiMode", [](T& s) { return s.BiDiMode; }, [](T& s, TRVBiDiMode v) { s.BiDiMode = v; }, RVBiDiModeNames(), rvbdUnspecified)
          .Enum(u"SubSuperScriptType", [](T& s) { return s.SubSuperScriptType; }, [](T& s, TRVSubSuperScriptType v) { s.SubSuperScriptType = v; }, SubSuperNames(), rvsssNormal)
          .Set(u"Protection", [](T& s) { return s.Protection; }, [](T& s, TRVProtectOptions v) { s.Protection = v; }, ProtectNames(), TRVProtectOptions{})
          .Set(u"Options", [](T& s) { return s.Options; }, [](T& s, TRVTextOptions v) { s.Options = v; }, TextOptionNames(), TRVTextOptions{})
          .Enum(u"UnderlineType", [](T& s) { return s.UnderlineType; }, [](T& s, TRVUnderlineType v) { s.UnderlineType = v; }, UnderlineNames(), rvutNormal)
          .Integer(u"UnderlineColor", [](T& s) { return s.UnderlineColor; }, [](T& s, TColor v) { s.UnderlineColor = v; }, clNone)
          .Integer(u"HoverUnderlineColor", [](T& s) { return s.HoverUnderlineColor; }, [](T& s, TColor v) { s.HoverUnderlineColor = v; }, clNone)
          .Integer(u"ParaStyleTemplateId", [](T& s) { return s.ParaStyleTemplateId; }, [](T& s, int v) { s.ParaStyleTemplateId = v; }, -1)
          .Integer(u"EmptyWidth", [](T& s) { return s.EmptyWidth; }, [](T& s, int v) { s.EmptyWidth = v; }, 0)
          .Build();
  return info;
}

void TCustomRVFontInfo::DefineProperties(TFiler& Filer) {
  TCustomFontOrParaRVInfo::DefineProperties(Filer);
  Filer.DefineProperty(
      u"SingleSymbols",
      [this](TReader& r) {
        if (r.ReadBoolean()) Protection += TRVProtectOptions{rvprStyleProtect, rvprDoNotAutoSwitch};
      },
      nullptr, false);
  Filer.DefineProperty(
      u"Size", [this](TReader& r) { SetSize(r.ReadInteger()); },
      [this](TWriter& w) { w.WriteInteger(std::int32_t(GetSize())); }, SizeDouble % 2 == 0);
  Filer.DefineProperty(
      u"SizeDouble", [this](TReader& r) { SizeDouble = r.ReadInteger(); },
      [this](TWriter& w) { w.WriteInteger(std::int32_t(SizeDouble)); }, SizeDouble % 2 != 0);
}

void TCustomRVFontInfo::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustomRVFontInfo*>(Source)) {
    BiDiMode = s->BiDiMode;
    JumpCursor = s->JumpCursor;
    FontName = s->FontName;
    SizeDouble = s->SizeDouble;
    Color = s->Color;
    BackColor = s->BackColor;
    HoverColor = s->HoverColor;
    HoverBackColor = s->HoverBackColor;
    UnderlineColor = s->UnderlineColor;
    HoverUnderlineColor = s->HoverUnderlineColor;
    UnderlineType = s->UnderlineType;
    HoverEffects = s->HoverEffects;
    Style = s->Style;
    StyleEx = s->StyleEx;
    VShift = s->VShift;
    Charset = s->Charset;
    Protection = s->Protection;
    Options = s->Options;
    CharScale = s->CharScale;
    CharSpacing = s->CharSpacing;
    EmptyWidth = s->EmptyWidth;
    SubSuperScriptType = s->SubSuperScriptType;
    ParaStyleTemplateId = s->ParaStyleTemplateId;
  }
  TCustomFontOrParaRVInfo::Assign(Source);
}

void TCustomRVFontInfo::Assign(const TFont& Source) {
  FontName = Source.GetName();
  SetSize(Source.GetSize());
  Color = Source.GetColor();
  Style = Source.GetStyle();
  Charset = Source.GetCharset();
}

void TCustomRVFontInfo::AssignTo(TFont& Dest) const {
  Dest.SetName(FontName);
  Dest.SetSize(GetSize());
  Dest.SetColor(Color);
  Dest.SetStyle(Style);
  Dest.SetCharset(Charset);
}

void TCustomRVFontInfo::AssignSelectedProperties(TCustomRVFontInfo* Source,
                                                 const TRVFontInfoProperties& Props) {
  if (!Source) return;
  Props.ForEach([&](TRVFontInfoProperty p) { CopyProp(p, *this, *Source); });
}

bool TCustomRVFontInfo::IsSymbolCharset() const {
  if (Charset == SYMBOL_CHARSET) return true;
  for (const char16_t* f : {u"Symbol", u"Wingdings", u"Wingdings 2", u"Wingdings 3", u"Webdings"})
    if (RVStyleSameText(FontName, f)) return true;
  return false;
}

void TCustomRVFontInfo::ResetMainProperties() {
  FontName = u"Arial";
  SizeDouble = 20;
  Color = clWindowText;
  BackColor = clNone;
  Style.Clear();
  StyleEx.Clear();
  Charset = DEFAULT_CHARSET;
  JumpCursor = crJump;
  Protection.Clear();
  Options.Clear();
  VShift = 0;
  EmptyWidth = 0;
  CharScale = 100;
  CharSpacing = 0;
  BiDiMode = rvbdUnspecified;
  SubSuperScriptType = rvsssNormal;
  UnderlineType = rvutNormal;
  UnderlineColor = clNone;
}

void TCustomRVFontInfo::ResetHoverProperties() {
  HoverBackColor = clNone;
  HoverColor = clNone;
  HoverUnderlineColor = clNone;
  HoverEffects.Clear();
}

void TCustomRVFontInfo::Reset() {
  TCustomFontOrParaRVInfo::Reset();
  ResetMainProperties();
  ResetHoverProperties();
}

void TCustomRVFontInfo::ConvertToDifferentUnits(TRVStyleUnits NewUnits) {
  TRVStyle* sheet = GetRVStyle();
  CharSpacing = RVConvertStyleLength(sheet, CharSpacing, NewUnits);
  EmptyWidth = RVConvertStyleLength(sheet, EmptyWidth, NewUnits);
}

bool TCustomRVFontInfo::IsEqual(TCustomRVFontInfo* Value, const TRVFontInfoProperties& IgnoreList) {
  if (!Value) return false;
  bool equal = true;
  (OwnTextProperties - IgnoreList).ForEach([&](TRVFontInfoProperty p) {
    if (equal && !SameProp(p, *this, *Value, true)) equal = false;
  });
  if (!equal) return false;
  if (!IgnoreList.Contains(rvfiBaseStyleNo) && BaseStyleNo != Value->BaseStyleNo) return false;
  return !CompareStyleNames || StyleName == Value->StyleName;
}

bool TCustomRVFontInfo::IsSimpleEqual(TCustomRVInfo* AValue, bool, bool) {
  auto* Value = dynamic_cast<TCustomRVFontInfo*>(AValue);
  if (!Value) return false;
  bool equal = true;
  OwnTextProperties.ForEach([&](TRVFontInfoProperty p) {
    if (equal && !SameProp(p, *this, *Value, true)) equal = false;
  });
  return equal && (!CompareStyleNames || StyleName == Value->StyleName);
}

int TCustomRVFontInfo::SimilarityValue(TCustomRVInfo* AValue) {
  auto* V = dynamic_cast<TCustomRVFontInfo*>(AValue);
  if (!V) return 0;
  auto flag = [](bool a, bool b, int w) { return a == b ? w : 0; };
  int r = IntSimilarity(SizeDouble, V->SizeDouble, 5000) + IntSimilarity(VShift, V->VShift, 1000) +
          IntSimilarity(EmptyWidth, V->EmptyWidth, 50000) + IntSimilarity(CharScale, V->CharScale, 300) +
          IntSimilarity(CharSpacing, V->CharSpacing, 1000 / RVUnitsPerPixel(GetRVStyle())) +
          ColorSimilarity(Color, V->Color, 3333, 3000) +
          ColorSimilarity(BackColor, V->BackColor, 10000, 50000);
  r += flag(BiDiMode == V->BiDiMode, true, 1000);
  r += flag(SubSuperScriptType == V->SubSuperScriptType, true, 50000);
  r += flag(RVStyleSameText(FontName, V->FontName), true, 10000);
  for (TFontStyle fs : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    r += flag(Style.Contains(fs), V->Style.Contains(fs), 50000);
  r += flag(StyleEx.Contains(rvfsOverline), V->StyleEx.Contains(rvfsOverline), 50000);
  r += flag(StyleEx.Contains(rvfsAllCaps), V->StyleEx.Contains(rvfsAllCaps), 50000);
  r += flag(Style.Empty() && StyleEx.Empty(), V->Style.Empty() && V->StyleEx.Empty(), 50000);
  if (Protection != V->Protection) r -= 100000;
  r += flag(Options.Contains(rvteoHTMLCode), V->Options.Contains(rvteoHTMLCode), 50000);
  r += flag(Options.Contains(rvteoRTFCode), V->Options.Contains(rvteoRTFCode), 50000);
  r += flag(SameProp(rvfiDocXCode, *this, *V, false), true, 50000);
  r += flag(Options.Contains(rvteoHidden), V->Options.Contains(rvteoHidden), 5000);
  if (Charset == V->Charset)
    r += 50000;
  else if (Charset == DEFAULT_CHARSET || V->Charset == DEFAULT_CHARSET)
    r += 12500;
  return r;
}

TRVFontInfoProperties TCustomRVFontInfo::CalculateModifiedProperties(
    TCustomRVFontInfo* Source, const TRVFontInfoProperties& PossibleProps) {
  TRVFontInfoProperties r;
  if (!Source) return r;
  (PossibleProps * OwnTextProperties).ForEach([&](TRVFontInfoProperty p) {
    if (!SameProp(p, *this, *Source, false)) r.Include(p);
  });
  return r;
}

TRVFontInfoProperties TCustomRVFontInfo::CalculateModifiedProperties2(
    const TRVFontInfoProperties& PossibleProps) {
  TCustomRVFontInfo defaults(nullptr);
  return TCustomRVFontInfo::CalculateModifiedProperties(&defaults, PossibleProps);
}

// ---- INI form --------------------------------------------------------------------------------

void TCustomRVFontInfo::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section,
                                  const UnicodeString& fs, const TRVFontInfoProperties& Properties) {
  TCustomFontOrParaRVInfo::SaveToINI(ini, Section, fs);
  auto key = [&](const char16_t* name) { return RVIniKey(fs, name); };
  auto has = [&](TRVFontInfoProperty p) { return Properties.Contains(p); };
  const TRVIniPropWriter write(ini, Section, fs, Properties);
  if (has(rvfiFontName)) IniWriteString(ini, Section, key(u"Name"), UnicodeString(), FontName);
  if (has(rvfiSize)) {
    if (SizeDouble % 2 != 0)
      IniWriteInteger(ini, Section, key(u"SizeDouble"), 20, SizeDouble);
    else
      IniWriteInteger(ini, Section, key(u"Size"), 10, GetSize());
  }
  write.Int(rvfiColor, u"Color", clWindowText, Color);
  write.Int(rvfiBackColor, u"BackColor", clNone, BackColor);
  write.Int(rvfiHoverBackColor, u"HoverBackColor", clNone, HoverBackColor);
  write.Int(rvfiHoverColor, u"HoverColor", clNone, HoverColor);
  write.Bool(rvfiHoverUnderline, u"HoverUnderline", false, HoverEffects.Contains(rvheUnderline));
  write.Int(rvfiJumpCursor, u"JumpCursor", crJump, JumpCursor);
  write.Int(rvfiCharset, u"Charset", DEFAULT_CHARSET, Charset);
  write.Int(rvfiCharScale, u"CharScale", 100, CharScale);
  write.Int(rvfiCharSpacing, u"CharSpacing", 0, CharSpacing);
  write.Int(rvfiBiDiMode, u"BiDiMode", 0, BiDiMode);
  write.Bool(rvfiBold, u"Bold", false, Style.Contains(fsBold));
  write.Bool(rvfiUnderline, u"Underline", false, Style.Contains(fsUnderline));
  write.Bool(rvfiStrikeout, u"StrikeOut", false, Style.Contains(fsStrikeOut));
  write.Bool(rvfiItalic, u"Italic", false, Style.Contains(fsItalic));
  write.Bool(rvfiOverline, u"Overline", false, StyleEx.Contains(rvfsOverline));
  write.Bool(rvfiAllCaps, u"Caps", false, StyleEx.Contains(rvfsAllCaps));
  write.Int(rvfiProtection, u"Protection", 0, static_cast<int>(Protection.ToInt() & IniProtectionMask));
  write.Bool(rvfiHidden, u"Hidden", false, Options.Contains(rvteoHidden));
  write.Bool(rvfiRTFCode, u"RTFCode", false, Options.Contains(rvteoRTFCode));
  write.Bool(rvfiHTMLCode, u"HTMLCode", false, Options.Contains(rvteoHTMLCode));
  write.Bool(rvfiDocXCode, u"DocXCode", false, Options.Contains(rvteoDocXCode));
  write.Bool(rvfiDocXCode, u"DocXInRunCode", false, Options.Contains(rvteoDocXInRunCode));
  write.Int(rvfiVShift, u"VShift", 0, VShift);
  write.Int(rvfiEmptyWidth, u"EmptyWidth", 0, EmptyWidth);
  write.Int(rvfiSubSuperScriptType, u"Script", 0, SubSuperScriptType);
  write.Int(rvfiUnderlineType, u"UnderlineType", 0, UnderlineType);
  write.Int(rvfiUnderlineColor, u"UnderlineColor", clNone, UnderlineColor);
  write.Int(rvfiHoverUnderlineColor, u"HoverUnderlineColor", clNone, HoverUnderlineColor);
  IniWriteInteger(ini, Section, key(u"ParaStyleTemplateId"), -1, ParaStyleTemplateId);
}

void TCustomRVFontInfo::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section,
                                    const UnicodeString& fs, bool, TCursor) {
  TCustomFontOrParaRVInfo::LoadFromINI(ini, Section, fs, u"Font Style");
  auto key = [&](const char16_t* name) { return RVIniKey(fs, name); };
  auto readInt = [&](const char16_t* name, int def) { return ini->ReadInteger(Section, key(name), def); };
  auto readBool = [&](const char16_t* name) { return IniReadBool(ini, Section, key(name), false); };
  IniReadString(ini, Section, key(u"Name"), FontName, u"Arial");
  SizeDouble = readInt(u"SizeDouble", 0);
  if (SizeDouble < 1) SetSize(readInt(u"Size", 10));
  Color = readInt(u"Color", clWindowText);
  BackColor = readInt(u"BackColor", clNone);
  HoverBackColor = readInt(u"HoverBackColor", clNone);
  HoverColor = readInt(u"HoverColor", clNone);
  HoverEffects.Clear();
  if (readBool(u"HoverUnderline")) HoverEffects.Include(rvheUnderline);
  // Written for every style; a text style decides again below by its "Jump" key, but the text
  // part of a style template has only this key to keep its cursor.
  JumpCursor = static_cast<TCursor>(readInt(u"JumpCursor", crJump));
  Charset = static_cast<TFontCharset>(readInt(u"Charset", DEFAULT_CHARSET));
  CharScale = readInt(u"CharScale", 100);
  CharSpacing = readInt(u"CharSpacing", 0);
  BiDiMode = RVOrdinalOr(readInt(u"BiDiMode", 0), 3, rvbdUnspecified);
  Style.Clear();
  if (readBool(u"Bold")) Style.Include(fsBold);
  if (readBool(u"Underline")) Style.Include(fsUnderline);
  if (readBool(u"StrikeOut")) Style.Include(fsStrikeOut);
  if (readBool(u"Italic")) Style.Include(fsItalic);
  StyleEx.Clear();
  if (readBool(u"Overline")) StyleEx.Include(rvfsOverline);
  if (readBool(u"Caps")) StyleEx.Include(rvfsAllCaps);
  Options.Clear();
  if (readBool(u"Hidden")) Options.Include(rvteoHidden);
  if (readBool(u"RTFCode")) Options.Include(rvteoRTFCode);
  if (readBool(u"HTMLCode")) Options.Include(rvteoHTMLCode);
  if (readBool(u"DocXCode")) Options.Include(rvteoDocXCode);
  if (readBool(u"DocXInRunCode")) Options.Include(rvteoDocXInRunCode);
  Protection = TRVProtectOptions::FromInt(static_cast<std::uint32_t>(readInt(u"Protection", 0)) & IniProtectionMask);
  if (readBool(u"SingleSymbols")) Protection += TRVProtectOptions{rvprStyleProtect, rvprDoNotAutoSwitch};
  VShift = readInt(u"VShift", 0);
  EmptyWidth = readInt(u"EmptyWidth", 0);
  SubSuperScriptType = RVOrdinalOr(readInt(u"Script", 0), 3, rvsssNormal);
  UnderlineType = RVOrdinalOr(readInt(u"UnderlineType", 0), 13, rvutNormal);
  UnderlineColor = readInt(u"UnderlineColor", clNone);
  HoverUnderlineColor = readInt(u"HoverUnderlineColor", clNone);
  ParaStyleTemplateId = readInt(u"ParaStyleTemplateId", -1);
}

// ---- TFontInfo -----------------------------------------------------------------------------------

TFontInfo::TFontInfo(TCollection* ACollection) : TCustomRVFontInfo(ACollection) {}

const TClassInfo& TFontInfo::StaticClassInfo() {
  using T = TFontInfo;
  static const TClassInfo info =
      TClassInfoBuilder<T>(u"TFontInfo", &inherited::StaticClassInfo())
          .Integer(u"NextStyleNo", [](T& s) { return s.NextStyleNo; }, [](T& s, int v) { s.NextStyleNo = v; }, -1)
          .Boolean(u"Unicode", [](T& s) { return s.Unicode; }, [](T& s, bool v) { s.Unicode = v; })
          .Boolean(u"Jump", [](T& s) { return s.Jump; }, [](T& s, bool v) { s.Jump = v; }, false)
          .Build();
  return info;
}

void TFontInfo::DefineProperties(TFiler& Filer) {
  TCustomRVFontInfo::DefineProperties(Filer);
  TRVStyle* sheet = GetRVStyle();
  Filer.DefineProperty(
      u"ModifiedProps", [this](TReader& r) { ReadModifiedProps(r, ModifiedProperties); },
      [this](TWriter& w) { w.WriteSet(RVFontInfoPropertiesToNames(ModifiedProperties)); },
      !ModifiedProperties.Empty() && (!sheet || !sheet->IgnoreStyleTemplates));
}

void TFontInfo::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TFontInfo*>(Source)) {
    NextStyleNo = s->NextStyleNo;
    Jump = s->Jump;
    ModifiedProperties = s->ModifiedProperties;
  }
  TCustomRVFontInfo::Assign(Source);
}

void TFontInfo::Reset() {
  TCustomRVFontInfo::Reset();
  NextStyleNo = -1;
  Jump = false;
}

bool TFontInfo::IsEqual(TCustomRVFontInfo* Value, const TRVFontInfoProperties& IgnoreList) {
  if (!TCustomRVFontInfo::IsEqual(Value, IgnoreList)) return false;
  if (auto* v = dynamic_cast<TFontInfo*>(Value)) {
    if (!IgnoreList.Contains(rvfiJump) && Jump != v->Jump) return false;
    if (!IgnoreList.Contains(rvfiNextStyleNo) && NextStyleNo != v->NextStyleNo) return false;
    if (StyleTemplateId != v->StyleTemplateId || ParaStyleTemplateId != v->ParaStyleTemplateId) return false;
  }
  return true;
}

bool TFontInfo::IsSimpleEqual(TCustomRVInfo* Value, bool IgnoreReferences, bool IgnoreID) {
  if (!TCustomRVFontInfo::IsSimpleEqual(Value, IgnoreReferences, IgnoreID)) return false;
  if (auto* v = dynamic_cast<TFontInfo*>(Value)) {
    if (Jump != v->Jump || StyleTemplateId != v->StyleTemplateId ||
        ParaStyleTemplateId != v->ParaStyleTemplateId)
      return false;
    if (!IgnoreReferences && NextStyleNo != v->NextStyleNo) return false;
  }
  return true;
}

bool TFontInfo::IsSimpleEqualEx(TCustomRVInfo* Value, const TRVStyleMapping& Mapping) {
  const bool r = IsSimpleEqual(Value, true);
  auto* v = dynamic_cast<TFontInfo*>(Value);
  if (!r || !v) return r;
  if (v->NextStyleNo < 0) return true;
  if (v->NextStyleNo < Mapping.Count())
    return Mapping.Get(v->NextStyleNo) == NextStyleNo;
  v->NextStyleNo = -1;
  return true;
}

int TFontInfo::SimilarityValue(TCustomRVInfo* Value) {
  int r = TCustomRVFontInfo::SimilarityValue(Value);
  auto* v = dynamic_cast<TFontInfo*>(Value);
  if (v && Jump && v->Jump) {
    if (HoverEffects.Contains(rvheUnderline) == v->HoverEffects.Contains(rvheUnderline)) r += 10000;
    if (JumpCursor == v->JumpCursor) r += 5000;
    r += ColorSimilarity(HoverColor, v->HoverColor, 3333, 3000) / 2;
    r += ColorSimilarity(HoverBackColor, v->HoverBackColor, 10000, 50000) / 2;
  }
  return r;
}

TRVFontInfoProperties TFontInfo::CalculateModifiedProperties(TCustomRVFontInfo* Source,
                                                             const TRVFontInfoProperties& PossibleProps) {
  TRVFontInfoProperties r = TCustomRVFontInfo::CalculateModifiedProperties(Source, PossibleProps);
  auto* s = dynamic_cast<TFontInfo*>(Source);
  if (s && PossibleProps.Contains(rvfiJump) && Jump != s->Jump) r.Include(rvfiJump);
  return r;
}

TRVFontInfoProperties TFontInfo::CalculateModifiedProperties2(const TRVFontInfoProperties& PossibleProps) {
  TRVFontInfoProperties r = TCustomRVFontInfo::CalculateModifiedProperties2(PossibleProps);
  if (PossibleProps.Contains(rvfiJump) && Jump) r.Include(rvfiJump);
  return r;
}

void TFontInfo::SaveToINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                          const TRVFontInfoProperties& Properties) {
  TCustomRVFontInfo::SaveToINI(ini, Section, fs, Properties);
  if (Properties.Contains(rvfiJump)) ini->WriteString(Section, RVIniKey(fs, u"Jump"), Jump ? u"Yes" : u"No");
  const TRVIniPropWriter write(ini, Section, fs, Properties);
  write.Int(rvfiNextStyleNo, u"NextStyleNo", -1, NextStyleNo);
  write.Bool(rvfiUnicode, u"Unicode", false, Unicode);
}

void TFontInfo::LoadFromINI(TCustomIniFile* ini, const UnicodeString& Section, const UnicodeString& fs,
                            bool JumpByDefault, TCursor DefJumpCursor) {
  TCustomRVFontInfo::LoadFromINI(ini, Section, fs, JumpByDefault, DefJumpCursor);
  NextStyleNo = ini->ReadInteger(Section, RVIniKey(fs, u"NextStyleNo"), -1);
  const UnicodeString jump = ini->ReadString(Section, RVIniKey(fs, u"Jump"), u"?");
  if (jump != u"?") {
    Jump = UpperCaseAscii(jump) == u"YES";
    JumpCursor = static_cast<TCursor>(ini->ReadInteger(Section, RVIniKey(fs, u"JumpCursor"), crJump));
  } else {
    Jump = JumpByDefault;
    JumpCursor = DefJumpCursor;
  }
  // Loading only reads: writing "Jump" back would change (or fail on) a read-only file.
}

// ---- TErrFontInfo, TFontInfos --------------------------------------------------------------------

const TClassInfo& TErrFontInfo::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TErrFontInfo>(u"TErrFontInfo", &inherited::StaticClassInfo()).Build();
  return info;
}

std::unique_ptr<TErrFontInfo> TErrFontInfo::CreateErr(TRVStyle* RVStyle) {
  auto r = std::make_unique<TErrFontInfo>();
  r->FRVStyle = RVStyle;
  return r;
}

TFontInfos::TFontInfos(TCollectionItemClass ItemClass, TPersistent* AOwner)
    : TCustomRVInfos(ItemClass, AOwner) {}

TFontInfos::~TFontInfos() = default;

const TClassInfo& TFontInfos::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TFontInfos>(u"TFontInfos", &inherited::StaticClassInfo()).Build();
  return info;
}

TFontInfo* TFontInfos::Items(int Index) {
  if (Index < 0 || Index >= Count()) return GetInvalidItem();
  return static_cast<TFontInfo*>(GetItem(Index));
}

TFontInfo* TFontInfos::GetInvalidItem() {
  if (!FInvalidItem) {
    FInvalidItem = TErrFontInfo::CreateErr(dynamic_cast<TRVStyle*>(GetOwner()));
    if (Count() > 0) FInvalidItem->Assign(GetItem(0));
    FInvalidItem->BackColor = clRed;
    FInvalidItem->Color = clWhite;
  }
  return FInvalidItem.get();
}

void TFontInfos::SetInvalidItem(TFontInfo* Value) {
  if (Value != FInvalidItem.get()) GetInvalidItem()->Assign(Value);
}

int TFontInfos::FindSuchStyle(int BaseStyle, TFontInfo* Style, const TRVFontInfoProperties& Mask) {
  return RVFindSuchStyle(*this, BaseStyle, Style, Mask, AllTextStyleProperties);
}

int TFontInfos::FindSuchStyleEx(int BaseStyle, TFontInfo* Style, const TRVFontInfoProperties& Mask) {
  return RVFindSuchStyleEx(*this, BaseStyle, Style, Mask, AllTextStyleProperties);
}

// ---- CSS, RTF and OOXML fragments ----------------------------------------------------------------

namespace {

bool IsSymbolFontName(const UnicodeString& Name) {
  for (const char16_t* s : {u"Symbol", u"Wingdings", u"Wingdings 2", u"Wingdings 3", u"Webdings"})
    if (RVStyleSameText(Name, s)) return true;
  return false;
}

const char* BiDiCSS(TRVBiDiMode Mode) {
  switch (Mode) {
    case rvbdLeftToRight: return "ltr";
    case rvbdRightToLeft: return "rtl";
    default: return "inherit";
  }
}

// Half points shifted by a percentage of the font size, halves to even.
// Wide enough for any pair of values a damaged file may hold.
std::int64_t ShiftInHalfPoints(int SizeDouble, int VShift) {
  return Round(std::fabs(static_cast<long double>(SizeDouble)) * VShift / 100);
}

}  // namespace

TRVAnsiString TCustomRVFontInfo::GetCSSFontSize() const {
  const bool script = SubSuperScriptType != rvsssNormal;
  if (SizeDouble > 0)
    return PointsToCSSText(script ? static_cast<long double>(SubSuperScriptSize(GetSize()))
                                  : static_cast<long double>(SizeDouble) / 2);
  const int ppi = GetScreenPixelsPerInch();
  const std::int64_t px = -static_cast<std::int64_t>(script ? MulDiv(SubSuperScriptSize(GetSize()), ppi, 72)
                                                            : MulDiv(SizeDouble, ppi, 144));
  return std::to_string(px) + "px";
}

TRVAnsiString TCustomRVFontInfo::GetCSSVerticalAlign() const {
  switch (SubSuperScriptType) {
    case rvsssSubscript: return "sub";
    case rvsssSuperScript: return "super";
    default: return VShift > 0 ? "super" : VShift < 0 ? "sub" : "";
  }
}

TRVAnsiString TCustomRVFontInfo::GetCSSTextDecoration(bool Hover) const {
  bool underline = Style.Contains(fsUnderline) || (Hover && HoverEffects.Contains(rvheUnderline));
  // Styled or coloured underlines are drawn as a bottom border instead.
  if (UnderlineType != rvutNormal || UnderlineColor != clNone || HoverUnderlineColor != clNone) underline = false;
  TRVAnsiString r;
  if (underline) AppendWithSpaceAnsi(r, "underline");
  if (Style.Contains(fsStrikeOut)) AppendWithSpaceAnsi(r, "line-through");
  if (StyleEx.Contains(rvfsOverline)) AppendWithSpaceAnsi(r, "overline");
  return r.empty() ? "none" : r;
}

TRVAnsiString TCustomRVFontInfo::GetCSSUnderlineBorder(bool Hover) const {
  if (!Style.Contains(fsUnderline) && !(Hover && HoverEffects.Contains(rvheUnderline))) return "";
  TColor color = UnderlineColor;
  if (Hover && HoverUnderlineColor != clNone) color = HoverUnderlineColor;
  if (UnderlineType == rvutNormal && color == clNone && HoverUnderlineColor == clNone) return "";
  const int w = LineWidthForFontSize(GetSize());
  TRVAnsiString r;
  switch (UnderlineType) {
    case rvutNormal: r = "solid " + std::to_string(w) + "px"; break;
    case rvutThick: r = "solid " + std::to_string(2 * w) + "px"; break;
    case rvutDouble: r = "double"; break;
    case rvutDotted: r = "dotted " + std::to_string(w) + "px"; break;
    case rvutThickDotted: r = "dotted " + std::to_string(2 * w) + "px"; break;
    case rvutDashed:
    case rvutLongDashed:
    case rvutDashDotted:
    case rvutDashDotDotted: r = "dashed " + std::to_string(w) + "px"; break;
    default: r = "dashed " + std::to_string(2 * w) + "px"; break;
  }
  if (color != clNone) r += " " + GetHTMLColorStr(color, false);
  return "border-bottom: " + r;
}

void TCustomRVFontInfo::SaveCSSToStream(TStream* Stream, TCustomRVFontInfo* BaseStyle, bool Multiline, bool UTF8,
                                        bool Jump) {
  TCustomRVFontInfo* base = BaseStyle;
  auto write = [&](const TRVAnsiString& s) { RVWriteAnsiX(Stream, s, Multiline); };
  const TRVAnsiString fontSize = GetCSSFontSize();
  if (!base || base->GetCSSFontSize() != fontSize) write(" font-size: " + fontSize + ";");
  if (Options.Contains(rvteoHidden) && !(base && base->Options.Contains(rvteoHidden))) write(" display: none;");
  if ((!base && BiDiMode != rvbdUnspecified) || (base && base->BiDiMode != BiDiMode))
    write(TRVAnsiString(" direction: ") + BiDiCSS(BiDiMode) + ";");
  if (!base || !RVStyleSameText(base->FontName, FontName)) {
    TRVAnsiString family;
    if (IsSymbolFontName(FontName)) {
      family = "Symbola, 'Arial Unicode MS', 'Lucida Sans Unicode', 'Arial', 'Helvetica', sans-serif";
    } else {
      const TRVUnicodeString f = GetCSSFontFamily(FontName);
      family = UTF8 ? UnicodeToUtf8(f) : UnicodeToAnsiCP(CP_ACP, f);
    }
    write(" font-family: " + family + ";");
  }
  const bool italic = Style.Contains(fsItalic), bold = Style.Contains(fsBold);
  if (!base || base->Style.Contains(fsItalic) != italic)
    write(TRVAnsiString(" font-style: ") + (italic ? "italic" : "normal") + ";");
  if (!base || base->Style.Contains(fsBold) != bold)
    write(TRVAnsiString(" font-weight: ") + (bold ? "bold" : "normal") + ";");
  if (!base || base->Color != Color) write(" color: " + GetHTMLColorStr(Color, false) + ";");
  if ((!base && CharSpacing != 0) || (base && base->CharSpacing != CharSpacing))
    write(" letter-spacing: " + RVCSSSize(GetRVStyle(), CharSpacing) + ";");
  if (StyleEx.Contains(rvfsAllCaps)) {
    if (!base || !base->StyleEx.Contains(rvfsAllCaps)) write(" text-transform: uppercase;");
  } else if (base && base->StyleEx.Contains(rvfsAllCaps)) {
    write(" text-transform: none;");
  }
  if ((!base && (BackColor != clNone || !Multiline)) || (base && base->BackColor != BackColor))
    write(" background-color: " + GetCSSColorStr(BackColor) + ";");
  const TRVAnsiString vAlign = GetCSSVerticalAlign();
  if ((!base && !vAlign.empty()) || (base && base->GetCSSVerticalAlign() != vAlign))
    write(" vertical-align: " + vAlign + ";");
  const TRVAnsiString decoration = GetCSSTextDecoration(false);
  if (!base || base->GetCSSTextDecoration(false) != decoration || (Jump && decoration == "none"))
    write(" text-decoration: " + decoration + ";");
  const TRVAnsiString border = GetCSSUnderlineBorder(false);
  if (!border.empty() && (!base || base->GetCSSUnderlineBorder(false) != border)) write(" " + border + ";");
}

void TCustomRVFontInfo::SaveRTFToStream(TStream* Stream, TRVIntegerList* /*StyleToFont*/,
                                        TCustomRVRTFTables* RTFTables, TRVStyle* RVStyle, bool InheritedStyle) {
  static const char* const UnderlineKeywords[] = {
      "ul", "ulth", "uldb", "uld", "ulthd", "uldash", "ulthdash", "ulldash", "ulthldash", "uldashd",
      "ulthdashd", "uldashdd", "ulthdashdd"};
  const TRVStyle* sheet = RVStyle ? RVStyle : GetRVStyle();
  TRVAnsiString s;
  if (Style.Contains(fsBold)) s += "\\b";
  if (Style.Contains(fsItalic)) s += "\\i";
  if (Style.Contains(fsUnderline)) {
    s += TRVAnsiString("\\") + UnderlineKeywords[UnderlineType];
    if (UnderlineColor != clNone) RTFAppendColorKeyword(s, "\\ulc", RTFTables, UnderlineColor);
  }
  if (Style.Contains(fsStrikeOut)) s += "\\strike";
  if (SubSuperScriptType == rvsssSubscript) s += "\\sub";
  else if (SubSuperScriptType == rvsssSuperScript) s += "\\super";
  if (VShift > 0) s += "\\up" + std::to_string(ShiftInHalfPoints(SizeDouble, VShift));
  else if (VShift < 0) s += "\\dn" + std::to_string(-ShiftInHalfPoints(SizeDouble, VShift));
  if (CharScale != 100) s += "\\charscalex" + std::to_string(CharScale);
  if (CharSpacing != 0) s += "\\expndtw" + std::to_string(RVTwipsOf(sheet, CharSpacing));
  if (StyleEx.Contains(rvfsAllCaps)) s += "\\caps";
  if (BiDiMode == rvbdLeftToRight) s += "\\ltrch";
  else if (BiDiMode == rvbdRightToLeft) s += "\\rtlch";
  if (Charset != DEFAULT_CHARSET) {
    const LANGID lang = CharsetToLanguageId(Charset);
    if (lang != 0) s += "\\lang" + std::to_string(lang);
  }
  if (Options.Contains(rvteoHidden)) s += "\\v";
  if (Protection.Contains(rvprModifyProtect) && Protection.Contains(rvprDeleteProtect)) s += "\\protect";
  if (!(InheritedStyle && SizeDouble == 20)) s += "\\fs" + std::to_string(SizeDouble);
  if (BackColor != clNone) RTFAppendColorKeyword(s, "\\chcbpat", RTFTables, BackColor);
  if (Color != clWindowText) RTFAppendColorKeyword(s, "\\cf", RTFTables, Color);
  if (!s.empty()) Stream->WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

TRVAnsiString TCustomRVFontInfo::GetOOXMLStr(TRVStyle* RVStyle, const TRVFontInfoProperties& Properties) {
  static const char* const UnderlineValues[] = {
      "single", "thick", "double", "dotted", "dottedHeavy", "dash", "dashedHeavy", "dashLong",
      "dashLongHeavy", "dotDash", "dashDotHeavy", "dotDotDash", "dashDotDotHeavy"};
  const TRVStyle* sheet = RVStyle ? RVStyle : GetRVStyle();
  auto has = [&](TRVFontInfoProperty p) { return Properties.Contains(p); };
  TRVAnsiString r;
  if (has(rvfiFontName)) OOXMLRFontsElement(FontName, r);
  if (has(rvfiBold)) OOXMLBoolElement("b", Style.Contains(fsBold), r);
  if (has(rvfiItalic)) OOXMLBoolElement("i", Style.Contains(fsItalic), r);
  if (has(rvfiStrikeout)) OOXMLBoolElement("strike", Style.Contains(fsStrikeOut), r);
  const TRVAnsiString underlineColor = " w:color=\"" + GetOOXMLColorStr(UnderlineColor, true) + "\"";
  if (has(rvfiUnderline)) {
    if (Style.Contains(fsUnderline))
      r += TRVAnsiString("<w:u w:val=\"") + UnderlineValues[UnderlineType] + "\"" +
           (has(rvfiUnderlineColor) ? underlineColor : TRVAnsiString()) + "/>";
    else
      r += "<w:u w:val=\"none\"/>";
  } else if (has(rvfiUnderlineColor)) {
    r += "<w:u" + underlineColor + "/>";
  }
  if (has(rvfiAllCaps)) OOXMLBoolElement("caps", StyleEx.Contains(rvfsAllCaps), r);
  if (has(rvfiSubSuperScriptType))
    OOXMLValElement("vertAlign",
                    SubSuperScriptType == rvsssSubscript     ? "subscript"
                    : SubSuperScriptType == rvsssSuperScript ? "superscript"
                                                             : "baseline",
                    r);
  if (has(rvfiSize)) OOXMLValElement("sz", std::to_string(std::llabs(SizeDouble)), r);
  if (has(rvfiCharScale)) OOXMLIntValElement("w", CharScale, r);
  if (has(rvfiCharSpacing)) OOXMLIntValElement("spacing", RVTwipsOf(sheet, CharSpacing), r);
  if (has(rvfiVShift)) OOXMLValElement("position", std::to_string(ShiftInHalfPoints(SizeDouble, VShift)), r);
  if (has(rvfiColor)) OOXMLColorValElement("color", Color, r);
  if (has(rvfiBackColor))
    r += "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + GetOOXMLColorStr(BackColor, true) + "\"/>";
  if (has(rvfiBiDiMode)) OOXMLBoolElement("rtl", BiDiMode == rvbdRightToLeft, r);
  return r;
}
