#include "pdf/PDFTrueTypeFont.h"

#include <zlib.h>

#include <algorithm>
#include <random>

#include "pdf/PDFCrypt.h"

namespace {

std::string RandomTag() {
  static std::mt19937 rng{std::random_device{}()};
  std::string t;
  for (int i = 0; i < 6; ++i) t += static_cast<char>('A' + rng() % 26);
  return t;
}

std::string Hex(std::uint32_t v, int digits) {
  static const char* d = "0123456789ABCDEF";
  std::string s(std::size_t(digits), '0');
  for (int i = digits - 1; i >= 0; --i, v >>= 4) s[std::size_t(i)] = d[v & 15];
  return s;
}

// A character as UTF-16 code units in hexadecimal (a pair beyond the Basic Multilingual Plane).
std::string Utf16Hex(char32_t c) {
  if (c == GlyphUnicodeSeveral) c = 0;
  if (c < 0x10000) return Hex(c, 4);
  c -= 0x10000;
  return Hex(0xD800 + (c >> 10), 4) + Hex(0xDC00 + (c & 0x3FF), 4);
}

}  // namespace

// ---- subset fonts -----------------------------------------------------------------------------

TPDFTrueTypeSubsetFont::TPDFTrueTypeSubsetFont(TPDFEngine* engine, TPDFTrueTypeFont* parent, const std::string& alias)
    : TPDFFont(engine), FParent(parent) {
  FAlias = alias;
}

int TPDFTrueTypeSubsetFont::Ascent() { return FParent->Ascent(); }
int TPDFTrueTypeSubsetFont::Descent() { return FParent->Descent(); }
int TPDFTrueTypeSubsetFont::GetWidth(int code) { return FParent->GetWidth(code); }
TPDFFont* TPDFTrueTypeSubsetFont::ParentFont() { return FParent; }
TFontStyles TPDFTrueTypeSubsetFont::FontStyle() const { return FParent->FontStyle(); }

void TPDFTrueTypeSubsetFont::Save() {
  if (FLast < 32) return;
  TPDFEngine& e = *FEngine;
  const std::string name = FParent->FontName(true);
  const int mapID = FParent->SaveToUnicode(name, 32, FLast, FUnicodes, true);
  // The program of the glyphs of codes 32 .. last.
  std::string program;
  FParent->Manager().PrepareFont(FIndexes, FLast - 31, program);
  const int programID = FParent->SaveProgram(program);
  std::string widths;
  for (int c = 32; c <= FLast; ++c) {
    widths += PDFIntToStr(FParent->Manager().GetGlyph(FIndexes[c - 32]).CharInfo.Width) + " ";
    if (c == 46 || c == 62 || c == 78 || c == 94 || c == 110 || c == 126) widths += "\r\n";
  }
  const int descriptor = FParent->SaveDescriptor(name, programID);
  e.StartObj(ID());
  const std::string s = "/Type /Font\r\n/Subtype /TrueType\r\n/BaseFont /" + name + "\r\n/FirstChar 32\r\n/LastChar " +
      PDFIntToStr(FLast) + "\r\n/Encoding /WinAnsiEncoding\r\n/ToUnicode " + PDFObjectRef(mapID) +
      "\r\n/FontDescriptor " + PDFObjectRef(descriptor) + "\r\n/Widths [" + widths + "]\r\n";
  e.SaveToStream(s, false);
  e.CloseObj();
}

// ---- the font ---------------------------------------------------------------------------------

TPDFTrueTypeFont::TPDFTrueTypeFont(TPDFEngine* engine, const UnicodeString& name, TFontStyles style,
                                   bool embedded, const std::string& alias)
    : TPDFFont(engine), FIsEmbedded(embedded), FFontStyle(style), FFontNameAddon(RandomTag()) {
  FAlias = alias;
  FFontName = Utf8ToUnicode(UpperCaseASCII(UnicodeToUtf8(name)));
  FManager = std::make_unique<TTrueTypeManager>(name, style);
  for (int c = 32; c < 128; ++c) FASCIIList[c - 32] = FManager->GetIdxByUnicode(char32_t(c));
}

TPDFTrueTypeFont::~TPDFTrueTypeFont() = default;

std::string TPDFTrueTypeFont::FontName(bool embedded) const {
  return embedded ? FFontNameAddon + "+" + FManager->PostScriptName() : FManager->PostScriptName();
}

int TPDFTrueTypeFont::GetWidth(int code) {
  if (code >= 32 && code < 128 && FASCIIList[code - 32] != 0)
    return FManager->GetGlyph(FASCIIList[code - 32]).CharInfo.Width;
  if (code < 0) return 0;
  return FManager->GetGlyphByUnicode(char32_t(code)).CharInfo.Width;
}

void TPDFTrueTypeFont::UsedChar(BYTE code) {
  FUsed = true;
  if (code < 32 || code > 127) return;
  FUsedList[code - 32] = true;
  FFirstChar = std::min(FFirstChar, int(code));
  FLastChar = std::max(FLastChar, int(code));
}

void TPDFTrueTypeFont::FillUsed(std::string_view text) {
  FUsed = true;
  for (char c : text) UsedChar(static_cast<BYTE>(c));
}

void TPDFTrueTypeFont::SetAllASCII() {
  for (int c = 32; c < 128; ++c) UsedChar(static_cast<BYTE>(c));
}

TPDFFont* TPDFTrueTypeFont::GetSubset(int index) {
  if (index < 0 || index >= SubsetCount()) throw EPDFException("Out of range");
  return FExtendedFonts[std::size_t(index)].get();
}

TNewCharInfo TPDFTrueTypeFont::Assign(TGlyphInfo& g, int glyphIndex, char32_t unicode, bool byUnicode) {
  g.ExtUsed = true;
  FUsed = true;
  if (byUnicode && unicode >= 1 && unicode <= 127) {
    g.CharInfo.NewCharacter = static_cast<BYTE>(unicode);
    g.CharInfo.FontIndex = 0;
    return g.CharInfo;
  }
  if (FCurrentChar == 128) {
    FExtendedFonts.push_back(std::make_unique<TPDFTrueTypeSubsetFont>(
        FEngine, this, FAlias + "+" + PDFIntToStr(SubsetCount() + 1)));
    FCurrentIndex = SubsetCount();
    FCurrentChar = 32;
  }
  TPDFTrueTypeSubsetFont& sub = *FExtendedFonts.back();
  g.CharInfo.NewCharacter = static_cast<BYTE>(FCurrentChar);
  g.CharInfo.FontIndex = FCurrentIndex;
  sub.FIndexes[FCurrentChar - 32] = glyphIndex;
  sub.FUnicodes[FCurrentChar - 32] = unicode;
  sub.FLast = FCurrentChar;
  ++FCurrentChar;
  return g.CharInfo;
}

TNewCharInfo TPDFTrueTypeFont::GetNewCharByUnicode(char32_t unicode) {
  const int index = FManager->GetIdxByUnicode(unicode);
  TGlyphInfo& g = FManager->GetGlyphByUnicode(unicode);
  if (g.ExtUsed) return g.CharInfo;
  return Assign(g, index, unicode, true);
}

TNewCharInfo TPDFTrueTypeFont::GetNewCharByIndex(int glyphIndex) {
  if (glyphIndex < 0 || glyphIndex >= FManager->GlyphCount()) glyphIndex = 0;
  TGlyphInfo& g = FManager->GetGlyph(glyphIndex);
  if (g.ExtUsed) return g.CharInfo;
  const char32_t u = g.Unicode == GlyphUnicodeSeveral ? 0 : g.Unicode;
  // A glyph of an ASCII character still goes to a subset font: the request names no character.
  return Assign(g, glyphIndex, u, false);
}

int TPDFTrueTypeFont::SaveToUnicode(const std::string& name, int first, int last, const char32_t* unicodes,
                                    bool every) {
  TPDFEngine& e = *FEngine;
  int count = 0;
  for (int c = first; c <= last; ++c) count += every || unicodes[c - 32] != 0;
  std::string cmap;
  cmap += "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CIDSystemInfo << \r\n";
  cmap += "/Registry (" + name + ") /Ordering (" + name + "+) /Supplement 0 >> def\r\n";
  cmap += "/CMapName /" + name + "+0 def\r\n";
  cmap += "/CMapType 2 def\r\n";
  cmap += "1 begincodespacerange <20> <" + Hex(std::uint32_t(last), 2) + "> endcodespacerange\r\n";
  cmap += PDFIntToStr(count) + " beginbfchar\r\n";
  for (int c = first; c <= last; ++c)
    if (every || unicodes[c - 32] != 0)
      cmap += "<" + Hex(std::uint32_t(c), 2) + "> <" + Utf16Hex(unicodes[c - 32]) + ">\r\n";
  cmap += "endbfchar\r\n";
  cmap += "endcmap CMapName currentdict /CMap defineresource pop end end\r\n";
  TMemoryStream mem;
  e.Deflate(cmap.data(), cmap.size(), Z_DEFAULT_COMPRESSION, mem);
  const int mapID = e.GetNextID();
  e.StartObj(mapID);
  std::string s = "/Filter /FlateDecode /Length ";
  AppendPDFInt(s, EncryptedLength(e.SecurityInfo.State, mem.GetSize()));
  e.SaveToStream(s);
  e.StartStream();
  CryptPDFStream(e.SecurityInfo, mem, *e.Stream(), mapID);
  e.CloseStream();
  return mapID;
}

int TPDFTrueTypeFont::SaveProgram(const std::string& program) {
  TPDFEngine& e = *FEngine;
  TMemoryStream mem;
  e.Deflate(program.data(), program.size(), Z_BEST_COMPRESSION, mem);
  const int id = e.GetNextID();
  e.StartObj(id);
  std::string s = "/Filter /FlateDecode /Length ";
  AppendPDFInt(s, EncryptedLength(e.SecurityInfo.State, mem.GetSize()));
  s += " /Length1 ";
  AppendPDFInt(s, static_cast<std::int64_t>(program.size()));
  e.SaveToStream(s);
  e.StartStream();
  CryptPDFStream(e.SecurityInfo, mem, *e.Stream(), id);
  e.CloseStream();
  return id;
}

int TPDFTrueTypeFont::SaveDescriptor(const std::string& fontName, int programID) {
  TPDFEngine& e = *FEngine;
  const TFontBox& b = FManager->FontBox();
  const int id = e.GetNextID();
  e.StartObj(id);
  std::string s = "/Type /FontDescriptor\r\n/Ascent " + PDFIntToStr(Ascent()) + "\r\n/CapHeight 666\r\n/Descent " +
                  PDFIntToStr(Descent()) + "\r\n/Flags 32\r\n/FontBBox [" + PDFIntToStr(b.Left) + " " +
                  PDFIntToStr(b.Bottom) + " " + PDFIntToStr(b.Right) + " " + PDFIntToStr(b.Top) +
                  "]\r\n/FontName /" + fontName + "\r\n/ItalicAngle " + PDFIntToStr(FManager->ItalicAngle() / 10) +
                  "\r\n/StemV 87\r\n";
  if (e.PDFACompatibile) s += "/MissingWidth 0\r\n";
  if (programID > 0) s += "/FontFile2 " + PDFObjectRef(programID) + "\r\n";
  e.SaveToStream(s, false);
  e.CloseObj();
  return id;
}

void TPDFTrueTypeFont::Save() {
  for (auto& sub : FExtendedFonts) sub->Save();
  if (FLastChar < FFirstChar) {
    // Nothing in the ASCII range was shown; a page that refers to the font object still gets
    // one (with the space alone) rather than a reference to an object never written.
    if (FID == 0) return;
    UsedChar(' ');
  }
  int programID = 0;
  if (FIsEmbedded) {
    std::string program;
    FManager->PrepareASCIIFont(FUsedList, program);
    programID = SaveProgram(program);
  }
  std::string widths;
  for (int c = FFirstChar; c <= FLastChar; ++c) {
    widths += FUsedList[c - 32] ? PDFIntToStr(GetWidth(c)) + " " : std::string("0 ");
    if (c % 16 == 0) widths += "\r\n";
  }
  const std::string name = FontName(FIsEmbedded);
  // The ASCII codes map to themselves; the map lets every reader search the text.
  char32_t unicodes[96] = {};
  for (int c = FFirstChar; c <= FLastChar; ++c)
    if (FUsedList[c - 32]) unicodes[c - 32] = char32_t(c);
  const int mapID = SaveToUnicode(name, FFirstChar, FLastChar, unicodes, false);
  const int descriptor = SaveDescriptor(name, programID);
  TPDFEngine& e = *FEngine;
  e.StartObj(ID());
  const std::string s = "/Type /Font\r\n/Subtype /TrueType\r\n/BaseFont /" + name + "\r\n/FirstChar " +
                        PDFIntToStr(FFirstChar) + "\r\n/LastChar " + PDFIntToStr(FLastChar) +
                        "\r\n/Encoding /WinAnsiEncoding\r\n/ToUnicode " + PDFObjectRef(mapID) +
                        "\r\n/FontDescriptor " + PDFObjectRef(descriptor) + "\r\n/Widths [" + widths + "]\r\n";
  e.SaveToStream(s, false);
  e.CloseObj();
}
