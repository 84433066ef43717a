#include "pdf/PDFFont.h"

#include <algorithm>

#include "pdf/PDFTrueTypeFont.h"
#include "platform/graphics/FontData.h"

TPDFFont* TPDFFont::GetSubset(int) { throw EPDFException("Out of range"); }

TNewCharInfo TPDFFont::GetNewCharByUnicode(char32_t) {
  throw EPDFException("Available for TrueType font only");
}

TNewCharInfo TPDFFont::GetNewCharByIndex(int) {
  throw EPDFException("Available for TrueType font only");
}

// ---- the standard fonts -------------------------------------------------------------------------

static const TPDFStdFontInfo kStdFonts[14] = {
    {"Helvetica", "Helv", 728, -210},
    {"Helvetica-Bold", "HeBo", 728, -210},
    {"Helvetica-Oblique", "HeOb", 728, -208},
    {"Helvetica-BoldOblique", "HeBO", 728, -210},
    {"Times-Roman", "TiRo", 613, -188},
    {"Times-Bold", "TiBo", 633, -209},
    {"Times-Italic", "TiIt", 613, -188},
    {"Times-BoldItalic", "TiBI", 633, -216},
    {"Courier", "Cour", 693, -216},
    {"Courier-Bold", "CoBo", 677, -216},
    {"Courier-Oblique", "CoOb", 694, -216},
    {"Courier-BoldOblique", "CoBO", 677, -217},
    {"Symbol", "Symb", 1000, 0},
    {"ZapfDingbats", "ZaDb", 1000, 0},
};

const TPDFStdFontInfo& StdFontInfo(TPDFStdFont style) { return kStdFonts[style]; }

TPDFStandardFont::TPDFStandardFont(TPDFEngine* engine, TPDFStdFont style)
    : TPDFFont(engine), FStyle(style) {
  FAlias = kStdFonts[style].Alias;
}

int TPDFStandardFont::GetWidth(int code) {
  if (code < 0 || code >= 256) throw EPDFException("Out of range");
  return kStdFontWidths[FStyle][code];
}

TFontStyles TPDFStandardFont::FontStyle() const {
  TFontStyles s;
  if (FStyle <= stdfCourierBoldOblique) {
    int k = FStyle % 4;
    if (k == 1 || k == 3) s.Include(fsBold);
    if (k == 2 || k == 3) s.Include(fsItalic);
  }
  return s;
}

void TPDFStandardFont::Save() {
  FEngine->StartObj(ID());
  std::string s = "/Type /Font\r\n/Subtype /Type1\r\n/BaseFont /";
  s += kStdFonts[FStyle].BaseFont;
  s += "\r\n";
  if (FStyle != stdfSymbol && FStyle != stdfZapfDingbats) s += "/Encoding /WinAnsiEncoding\r\n";
  s += "/FirstChar 32\r\n/LastChar 255\r\n";
  FEngine->SaveToStream(s, false);
  FEngine->CloseObj();
}

// ---- TrueType faces ------------------------------------------------------------------------------

namespace {

TFontStyles BoldItalic(TFontStyles s) {
  TFontStyles r;
  if (s.Contains(fsBold)) r.Include(fsBold);
  if (s.Contains(fsItalic)) r.Include(fsItalic);
  return r;
}

TPDFTrueTypeFont* FindTrueType(TPDFEngine* engine, const UnicodeString& upperName, TFontStyles style) {
  for (TPDFFont* f : engine->Resources.Fonts)
    if (auto* t = dynamic_cast<TPDFTrueTypeFont*>(f); t && t->Name() == upperName && t->Style() == style) return t;
  return nullptr;
}

UnicodeString Upper(const UnicodeString& s) { return Utf8ToUnicode(UpperCaseASCII(UnicodeToUtf8(s))); }

}  // namespace

// depth counts the fallbacks taken: the face asked for, Arial, the system's sans-serif face.
static TPDFFont* GetTrueTypeFont(TPDFFonts& fonts, TPDFEngine* engine, const UnicodeString& fontName, TFontStyles style,
                          int depth) {
  style = BoldItalic(style);
  const UnicodeString upper = Upper(fontName);
  if (TPDFTrueTypeFont* f = FindTrueType(engine, upper, style)) return f;
  const std::vector<TTrueTypeFaceEntry> faces = EnumTrueTypeFaces(fontName);
  if (faces.empty()) {
    if (depth == 0) return GetTrueTypeFont(fonts, engine, u"Arial", style, 1);
    const UnicodeString def = depth == 1 ? DefaultTrueTypeFamily() : UnicodeString();
    if (!def.empty() && Upper(def) != upper) return GetTrueTypeFont(fonts, engine, def, style, 2);
    return fonts.GetFontByInfo(TPDFFonts::StandardFontFor(fontName, style));
  }
  auto has = [&](TFontStyles s) {
    for (const TTrueTypeFaceEntry& e : faces)
      if ((e.Weight >= 600) == s.Contains(fsBold) && e.Italic == s.Contains(fsItalic)) return true;
    return false;
  };
  TFontStyles resolved = style;
  if (!has(resolved)) {
    TFontStyles noItalic = style, noBold = style;
    noItalic.Exclude(fsItalic);
    noBold.Exclude(fsBold);
    if (style.Contains(fsItalic) && has(noItalic)) resolved = noItalic;
    else if (style.Contains(fsBold) && has(noBold)) resolved = noBold;
    else if (has(TFontStyles())) resolved = TFontStyles();
    else {
      resolved = TFontStyles();
      if (faces[0].Weight >= 600) resolved.Include(fsBold);
      if (faces[0].Italic) resolved.Include(fsItalic);
    }
    if (TPDFTrueTypeFont* f = FindTrueType(engine, upper, resolved)) return f;
  }
  bool embedded = true;
  const std::string name8 = UpperCaseASCII(UnicodeToUtf8(fontName));
  for (int i = 0; i < fonts.NonEmbeddedFonts().Count(); ++i)
    if (UpperCaseASCII(UnicodeToUtf8(fonts.NonEmbeddedFonts().Get(i))) == name8) embedded = false;
  const std::string alias = "TT" + PDFIntToStr(static_cast<int>(engine->Resources.Fonts.size()));
  auto f = std::make_unique<TPDFTrueTypeFont>(engine, fontName, resolved, embedded, alias);
  engine->Resources.Fonts.push_back(f.get());
  engine->Resources.LastFont = f.get();
  return f.release();
}

// ---- the font manager ---------------------------------------------------------------------------

TPDFFonts::TPDFFonts(TPDFEngine* engine) : TPDFManager(engine) {}

TPDFFonts::~TPDFFonts() { TPDFFonts::Clear(); }

TPDFFont* TPDFFonts::GetFontByInfo(TPDFStdFont stdFont) {
  for (TPDFFont* f : FEngine->Resources.Fonts)
    if (auto* s = dynamic_cast<TPDFStandardFont*>(f); s && s->Style() == stdFont) return f;
  auto* f = new TPDFStandardFont(FEngine, stdFont);
  FEngine->Resources.Fonts.push_back(f);
  return f;
}

static bool HasWord(const std::string& upper, std::initializer_list<const char*> words) {
  for (const char* w : words)
    if (upper.find(w) != std::string::npos) return true;
  return false;
}

TPDFStdFont TPDFFonts::StandardFontFor(const UnicodeString& fontName, TFontStyles style) {
  std::string n = UpperCaseASCII(UnicodeToUtf8(fontName));
  int k = (style.Contains(fsBold) ? 1 : 0) + (style.Contains(fsItalic) ? 2 : 0);
  if (HasWord(n, {"SYMBOL"})) return stdfSymbol;
  if (HasWord(n, {"DINGBAT", "WINGDING", "WEBDING"})) return stdfZapfDingbats;
  if (HasWord(n, {"COURIER", "MONO", "CONSOL", "FIXED", "TYPEWRITER"}))
    return static_cast<TPDFStdFont>(stdfCourier + k);
  if (HasWord(n, {"TIMES", "SERIF", "ROMAN", "GEORGIA", "CAMBRIA", "GARAMOND", "BOOK"}) &&
      !HasWord(n, {"SANS"}))
    return static_cast<TPDFStdFont>(stdfTimesRoman + k);
  return static_cast<TPDFStdFont>(stdfHelvetica + k);
}

TPDFFont* TPDFFonts::GetFontByInfo(const UnicodeString& fontName, TFontStyles style) {
  return GetTrueTypeFont(*this, FEngine, fontName, style, 0);
}

void TPDFFonts::Clear() {
  for (TPDFFont* f : FEngine->Resources.Fonts) delete f;
  FEngine->Resources.Fonts.clear();
  FEngine->Resources.LastFont = nullptr;
  TPDFManager::Clear();
}

int TPDFFonts::GetCount() { return static_cast<int>(FEngine->Resources.Fonts.size()); }

void TPDFFonts::Save() {
  for (TPDFFont* f : FEngine->Resources.Fonts)
    if (f->FontUsed()) f->Save();
}
