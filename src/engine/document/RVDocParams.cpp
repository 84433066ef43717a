#include "engine/document/RVDocParams.h"

#include <cmath>
#include <tuple>

#include "engine/foundation/RVFMisc.h"
#include "engine/foundation/RVOOXMLFuncs.h"
#include "engine/foundation/RVRTFFuncs.h"
#include "engine/foundation/RVStrFuncs.h"
#include "engine/foundation/RVUni.h"

// A4 exactly, so that a change of units gives the round numbers of the paper (21 x 29.7 cm).
const TRVLength TRVDocParameters::DefPageWidth = 210.0L / 25.4L;
const TRVLength TRVDocParameters::DefPageHeight = 297.0L / 25.4L;

namespace {
const char* const Keys[18] = {"Units",      "Orientation", "ZoomPercent",  "ZoomMode",    "PageWidth",  "PageHeight",
                              "LeftMargin", "RightMargin", "TopMargin",    "BottomMargin", "HeaderY",   "FooterY",
                              "MirrorMargins", "FacingPages", "TitlePage", "Author",      "Title",      "Comments"};

bool IsDefault(TRVLength Value, TRVLength Def) { return std::fabs(Value - Def) <= 1e-20L; }

TRVRawByteString Line(const char* Key, const TRVRawByteString& Value) { return TRVRawByteString(Key) + "=" + Value; }
}  // namespace

// The published properties, each stored only when it differs from its default (so that a control
// whose parameters are all default stores none).
const TClassInfo& TRVDocParameters::StaticClassInfo() {
  static const TClassInfo info = [] {
    using T = TRVDocParameters;
    auto length = [](TRVLength T::*f, TRVLength def) {
      return std::make_tuple([f](T& p) { return p.*f; }, [f](T& p, TRVLength v) { p.*f = v; },
                             [f, def](T& p) { return !IsDefault(p.*f, def); });
    };
    TClassInfoBuilder<T> b(u"TRVDocParameters", &inherited::StaticClassInfo());
    auto addLength = [&](const char16_t* name, TRVLength T::*f, TRVLength def) {
      auto [get, set, stored] = length(f, def);
      b.Float(name, get, set).StoredIf(stored);
    };
    addLength(u"PageWidth", &T::PageWidth, DefPageWidth);
    addLength(u"PageHeight", &T::PageHeight, DefPageHeight);
    b.Enum(
        u"Units", [](T& p) { return p.Units; }, [](T& p, TRVUnits v) { p.Units = v; },
        {u"rvuInches", u"rvuCentimeters", u"rvuMillimeters", u"rvuPicas", u"rvuPixels", u"rvuPoints"}, rvuInches);
    b.Enum(
        u"Orientation", [](T& p) { return p.Orientation; }, [](T& p, TPrinterOrientation v) { p.Orientation = v; },
        {u"poPortrait", u"poLandscape"}, poPortrait);
    addLength(u"LeftMargin", &T::LeftMargin, 1.25L);
    addLength(u"RightMargin", &T::RightMargin, 1.25L);
    addLength(u"TopMargin", &T::TopMargin, 1);
    addLength(u"BottomMargin", &T::BottomMargin, 1);
    addLength(u"HeaderY", &T::HeaderY, 0.5L);
    addLength(u"FooterY", &T::FooterY, 0.5L);
    b.Integer(
        u"ZoomPercent", [](T& p) { return p.ZoomPercent; }, [](T& p, int v) { p.ZoomPercent = v; }, 100);
    b.Enum(
        u"ZoomMode", [](T& p) { return p.ZoomMode; }, [](T& p, TRVZoomMode v) { p.ZoomMode = v; },
        {u"rvzmFullPage", u"rvzmPageWidth", u"rvzmCustom"}, rvzmCustom);
    b.Boolean(
        u"MirrorMargins", [](T& p) { return p.MirrorMargins; }, [](T& p, bool v) { p.MirrorMargins = v; }, false);
    b.String(
        u"Author", [](T& p) { return p.Author; }, [](T& p, const UnicodeString& v) { p.Author = v; });
    b.String(
        u"Title", [](T& p) { return p.Title; }, [](T& p, const UnicodeString& v) { p.Title = v; });
    b.String(
        u"Comments", [](T& p) { return p.Comments; }, [](T& p, const UnicodeString& v) { p.Comments = v; });
    b.Boolean(
        u"FacingPages", [](T& p) { return p.FacingPages; }, [](T& p, bool v) { p.FacingPages = v; }, false);
    b.Boolean(
        u"TitlePage", [](T& p) { return p.TitlePage; }, [](T& p, bool v) { p.TitlePage = v; }, false);
    return b.Build();
  }();
  return info;
}

const TClassInfo& TRVDocObject::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVDocObject>(u"TRVDocObject", &inherited::StaticClassInfo()).Build();
  return info;
}

const TClassInfo& TRVDocObjectCollection::StaticClassInfo() {
  static const TClassInfo info =
      TClassInfoBuilder<TRVDocObjectCollection>(u"TRVDocObjectCollection", &inherited::StaticClassInfo()).Build();
  return info;
}

TRVDocObjectCollection::TRVDocObjectCollection(TPersistent* AOwner)
    : TOwnedCollection(AOwner, [](TCollection* c) -> TCollectionItem* { return new TRVDocObject(c); }) {}

TRVRawByteString RVLengthToRVFText(TRVLength Value) {
  TRVUnicodeString s = FloatToStrF(Value, ffGeneral, 15, 0);
  const WideChar sep = FormatSettings().DecimalSeparator;
  if (sep != u'.') {
    const auto p = s.find(sep);
    if (p != TRVUnicodeString::npos) s[p] = u'.';
  }
  return UnicodeToUtf8(s);
}

void TRVDocParameters::Reset() {
  PageWidth = DefPageWidth;
  PageHeight = DefPageHeight;
  LeftMargin = RightMargin = 1.25L;
  TopMargin = BottomMargin = 1;
  HeaderY = FooterY = 0.5L;
  Units = rvuInches;
  Orientation = poPortrait;
  ZoomPercent = 100;
  ZoomMode = rvzmCustom;
  MirrorMargins = FacingPages = TitlePage = false;
  Author.clear();
  Title.clear();
  Comments.clear();
}

void TRVDocParameters::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TRVDocParameters*>(Source);
  if (!s) {
    TPersistent::Assign(Source);
    return;
  }
  PageWidth = s->PageWidth;
  PageHeight = s->PageHeight;
  LeftMargin = s->LeftMargin;
  RightMargin = s->RightMargin;
  TopMargin = s->TopMargin;
  BottomMargin = s->BottomMargin;
  HeaderY = s->HeaderY;
  FooterY = s->FooterY;
  Units = s->Units;
  Orientation = s->Orientation;
  ZoomPercent = s->ZoomPercent;
  ZoomMode = s->ZoomMode;
  MirrorMargins = s->MirrorMargins;
  FacingPages = s->FacingPages;
  TitlePage = s->TitlePage;
  Author = s->Author;
  Title = s->Title;
  Comments = s->Comments;
}

bool TRVDocParameters::AreAllValuesDefault() const {
  return IsDefault(PageWidth, DefPageWidth) && IsDefault(PageHeight, DefPageHeight) && IsDefault(LeftMargin, 1.25L) &&
         IsDefault(RightMargin, 1.25L) && IsDefault(TopMargin, 1) && IsDefault(BottomMargin, 1) &&
         IsDefault(HeaderY, 0.5L) && IsDefault(FooterY, 0.5L) && Units == rvuInches && Orientation == poPortrait &&
         ZoomPercent == 100 && ZoomMode == rvzmCustom && !MirrorMargins && !FacingPages && !TitlePage &&
         Author.empty() && Title.empty() && Comments.empty();
}

void TRVDocParameters::ConvertToUnits(TRVUnits AUnits) {
  if (AUnits == Units) return;
  const TRVLength k = UnitsPerInch(AUnits) / UnitsPerInch(Units);
  for (TRVLength* v : {&PageWidth, &PageHeight, &LeftMargin, &RightMargin, &TopMargin, &BottomMargin, &HeaderY, &FooterY})
    *v *= k;
  Units = AUnits;
}

int TRVDocParameters::ToTwips(TRVLength Value) const { return UnitsValueToTwips(Units, static_cast<double>(Value)); }
TRVLength TRVDocParameters::FromTwips(int Value) const { return TwipsToUnitsValue(Value, Units); }

namespace {
struct TLengthEntry {
  const char* Key;
  TRVLength TRVDocParameters::*Field;
  TRVLength Def;
};
const TLengthEntry& LengthEntry(int i) {
  static const TLengthEntry entries[8] = {
      {"PageHeight", &TRVDocParameters::PageHeight, TRVDocParameters::DefPageHeight},
      {"PageWidth", &TRVDocParameters::PageWidth, TRVDocParameters::DefPageWidth},
      {"LeftMargin", &TRVDocParameters::LeftMargin, 1.25L},
      {"RightMargin", &TRVDocParameters::RightMargin, 1.25L},
      {"TopMargin", &TRVDocParameters::TopMargin, 1},
      {"BottomMargin", &TRVDocParameters::BottomMargin, 1},
      {"HeaderY", &TRVDocParameters::HeaderY, 0.5L},
      {"FooterY", &TRVDocParameters::FooterY, 0.5L}};
  return entries[i];
}
}  // namespace

int TRVDocParameters::GetRVFLineCount() const {
  int n = (Units != rvuInches) + (Orientation != poPortrait);
  for (int i = 0; i < 8; ++i) n += !IsDefault(this->*LengthEntry(i).Field, LengthEntry(i).Def);
  n += !(ZoomMode == rvzmCustom && ZoomPercent == 100);
  n += MirrorMargins + FacingPages + TitlePage;
  n += !Author.empty() + !Title.empty() + !Comments.empty();
  return n;
}

void TRVDocParameters::SaveToRVF(TStream* Stream) const {
  if (Units != rvuInches) WriteRVFLine(Stream, Line("Units", std::to_string(static_cast<int>(Units))));
  if (Orientation != poPortrait) WriteRVFLine(Stream, Line("Orientation", std::to_string(static_cast<int>(Orientation))));
  for (int i = 0; i < 8; ++i) {
    const TLengthEntry& e = LengthEntry(i);
    if (!IsDefault(this->*e.Field, e.Def)) WriteRVFLine(Stream, Line(e.Key, RVLengthToRVFText(this->*e.Field)));
  }
  if (ZoomMode == rvzmCustom) {
    if (ZoomPercent != 100) WriteRVFLine(Stream, Line("ZoomPercent", std::to_string(ZoomPercent)));
  } else {
    WriteRVFLine(Stream, Line("ZoomMode", std::to_string(static_cast<int>(ZoomMode))));
  }
  if (MirrorMargins) WriteRVFLine(Stream, "MirrorMargins=1");
  if (FacingPages) WriteRVFLine(Stream, "FacingPages=1");
  if (TitlePage) WriteRVFLine(Stream, "TitlePage=1");
  if (!Author.empty()) WriteRVFLine(Stream, Line("Author", EncodeRVFString(Author)));
  if (!Title.empty()) WriteRVFLine(Stream, Line("Title", EncodeRVFString(Title)));
  if (!Comments.empty()) WriteRVFLine(Stream, Line("Comments", EncodeRVFString(Comments)));
}

bool TRVDocParameters::ReadProperyFromString(const TRVRawByteString& S, bool UTF8, TRVCodePage CodePage) {
  const auto eq = S.find('=');
  if (eq == TRVRawByteString::npos) return true;
  const TRVRawByteString key = S.substr(0, eq), value = S.substr(eq + 1);
  int k = -1;
  for (int i = 0; i < 18; ++i)
    if (key == Keys[i]) k = i;
  if (k < 0) return true;
  int n = 0;
  switch (k) {
    case 0:  // Units
      if (!TryStrToInt(AsciiToUnicode(value), n) || n < rvuInches || n > rvuPoints) return false;
      Units = static_cast<TRVUnits>(n);
      return true;
    case 1:  // Orientation
      if (!TryStrToInt(AsciiToUnicode(value), n) || n < poPortrait || n > poLandscape) return false;
      Orientation = static_cast<TPrinterOrientation>(n);
      return true;
    case 2:
      if (!TryStrToInt(AsciiToUnicode(value), n)) return false;
      ZoomPercent = n;
      return true;
    case 3:  // ZoomMode
      if (!TryStrToInt(AsciiToUnicode(value), n) || n < rvzmFullPage || n > rvzmCustom) return false;
      ZoomMode = static_cast<TRVZoomMode>(n);
      return true;
    case 12: MirrorMargins = value != "0"; return true;
    case 13: FacingPages = value != "0"; return true;
    case 14: TitlePage = value != "0"; return true;
    case 15: Author = DecodeRVFString(value, UTF8, CodePage); return true;
    case 16: Title = DecodeRVFString(value, UTF8, CodePage); return true;
    case 17: Comments = DecodeRVFString(value, UTF8, CodePage); return true;
    default: {
      // Written with "." whatever the locale; read with the process's separator.
      TRVUnicodeString v = AsciiToUnicode(value);
      const WideChar sep = FormatSettings().DecimalSeparator;
      if (sep != u'.') {
        const auto p = v.find(u'.');
        if (p != TRVUnicodeString::npos) v[p] = sep;
      }
      long double f = 0;
      if (!TryStrToFloat(v, f) || !std::isfinite(f)) return false;
      for (int i = 0; i < 8; ++i)
        if (key == LengthEntry(i).Key) this->*LengthEntry(i).Field = f;
      return true;
    }
  }
}

namespace {
bool HasNonAscii(const TRVUnicodeString& s) {
  for (char16_t c : s)
    if (c > 127) return true;
  return false;
}
}  // namespace

void TRVDocParameters::SaveToRTF(TStream* Stream, bool) const {
  TRVAnsiString s;
  if (Orientation == poLandscape) s += "\\landscape";
  s += "\\paperw" + std::to_string(ToTwips(PageWidth)) + "\\paperh" + std::to_string(ToTwips(PageHeight)) +
       "\\margl" + std::to_string(ToTwips(LeftMargin)) + "\\margr" + std::to_string(ToTwips(RightMargin)) + "\\margt" +
       std::to_string(ToTwips(TopMargin)) + "\\margb" + std::to_string(ToTwips(BottomMargin));
  if (!IsDefault(HeaderY, 0.5L)) s += "\\headery" + std::to_string(ToTwips(HeaderY));
  if (!IsDefault(FooterY, 0.5L)) s += "\\footery" + std::to_string(ToTwips(FooterY));
  switch (ZoomMode) {
    case rvzmFullPage: s += "\\viewzk1"; break;
    case rvzmPageWidth: s += "\\viewzk2"; break;
    case rvzmCustom: s += "\\viewscale" + std::to_string(ZoomPercent) + "\\viewzk0"; break;
  }
  if (FacingPages) s += "\\facingp";
  if (TitlePage) s += "\\titlepg";
  if (MirrorMargins) s += "\\margmirror";
  auto info = [&](const char* word, const TRVUnicodeString& text) {
    if (text.empty()) return;
    TRVAnsiString t;
    if (!HasNonAscii(text))
      t = RTFEncodeText(text, 0, false);
    else
      t = "{\\upr{" + RTFEscapeAnsiText(UnicodeToAnsiCP(0, text), false, false, false, false) + "}{\\*\\ud " +
          RTFEncodeText(text, 0, false) + "}}";
    s += TRVAnsiString("{\\") + word + " " + t + "}";
  };
  if (!Author.empty() || !Title.empty() || !Comments.empty()) {
    s += "{\\info";
    info("author", Author);
    info("title", Title);
    info("doccomm", Comments);
    s += "}";
  }
  s += "\r\n";
  WriteRVFAnsi(Stream, s);
}

void TRVDocParameters::SaveOOXMLSectionProperties(TStream* Stream) const {
  auto q = [](int v) {
    TRVAnsiString r(1, '"');
    r += std::to_string(v);
    r += '"';
    return r;
  };
  TRVAnsiString s = "<w:pgSz w:w=" + q(ToTwips(PageWidth)) + " w:h=" + q(ToTwips(PageHeight));
  if (Orientation == poLandscape) s += " w:orient=\"landscape\"";
  s += "/><w:pgMar w:top=" + q(ToTwips(TopMargin)) + " w:right=" + q(ToTwips(RightMargin)) +
       " w:bottom=" + q(ToTwips(BottomMargin)) + " w:left=" + q(ToTwips(LeftMargin)) + " w:header=" +
       q(ToTwips(HeaderY)) + " w:footer=" + q(ToTwips(FooterY)) + " w:gutter=\"0\"/>";
  if (TitlePage) s += "<w:titlePg/>";
  WriteRVFAnsi(Stream, s);
}

void TRVDocParameters::SaveOOXMLDocumentSettings(TStream* Stream) const {
  TRVAnsiString s = "<w:zoom";
  if (ZoomMode == rvzmFullPage) s += " w:val=\"fullPage\"";
  if (ZoomMode == rvzmPageWidth) s += " w:val=\"bestFit\"";
  s += " w:percent=\"" + std::to_string(ZoomPercent) + "\"/>";
  if (MirrorMargins) s += "<w:mirrorMargins/>";
  if (FacingPages) s += "<w:evenAndOddHeaders/>";
  WriteRVFAnsi(Stream, s);
}

void TRVDocParameters::SaveOOXMLCoreProperties(TStream* Stream) const {
  TRVAnsiString s;
  if (!Author.empty()) s += "<dc:creator>" + OOXMLEncodeText(Author) + "</dc:creator>";
  if (!Title.empty()) s += "<dc:title>" + OOXMLEncodeText(Title) + "</dc:title>";
  if (!Comments.empty()) {
    // Line breaks become the escape of a carriage return; an underscore that could be read as the
    // start of such an escape is escaped itself.
    const TRVUnicodeString c = PrepareDescriptionText(Comments);
    TRVUnicodeString r;
    for (std::size_t i = 0; i < c.size(); ++i) {
      if (c[i] == u'\r' && i + 1 < c.size() && c[i + 1] == u'\n') {
        r += u"_x000d_";
        ++i;
      } else if (c[i] == u'_' && i + 1 < c.size() && c[i + 1] == u'x') {
        r += u"_x005f_";
      } else {
        r += c[i];
      }
    }
    s += "<dc:description>" + OOXMLEncodeText(r) + "</dc:description>";
  }
  WriteRVFAnsi(Stream, s);
}
