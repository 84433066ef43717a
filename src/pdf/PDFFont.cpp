#include "pdf/PDFFont.h"

#include <algorithm>

TPDFFont* TPDFFont::GetSubset(int) { throw EPDFException("Out of range"); }

TNewCharInfo TPDFFont::GetNewCharByUnicode(char16_t) {
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
  return GetFontByInfo(StandardFontFor(fontName, style));
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
