// TrueType font data for the PDF writer: metrics, the Unicode map and per-glyph widths of an
// installed face, and subset font programs holding only the glyphs a document uses, with a
// one-byte character map. Every table read from a font is bounds-checked: damaged data raise
// ETTFException, never read outside the copy.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pdf/PDFFont.h"
#include "platform/base/SysUtils.h"
#include "platform/graphics/Graphics.h"

TAVRELO_EXCEPTION(ETTFException, Exception)

struct TTrueTypeTable {
  std::uint32_t Size = 0;
  std::string Table;  // owned copy, big-endian as in the font; empty = absent
  std::uint32_t Offset = 0;
};

enum TTrueTypeTableIndex {
  ttHead, ttHhea, ttLoca, ttMaxp, ttCvt, ttPrep, ttGlyf, ttHmtx, ttFpgm, ttCmap, ttName, ttPost,
  ttTableCount
};

struct TTrueTypeTables {
  TTrueTypeTable T[ttTableCount];
  TTrueTypeTable& operator[](int i) { return T[i]; }
  const TTrueTypeTable& operator[](int i) const { return T[i]; }
};

// Unicode values are code points (characters outside the Basic Multilingual Plane included).
constexpr char32_t GlyphUnicodeSeveral = 0xFFFFFFFF;

struct TGlyphInfo {
  TNewCharInfo CharInfo;
  char32_t Unicode = 0;  // 0: none maps here; GlyphUnicodeSeveral: several do
  int BaseWidth = 0;     // stored advance
  int AddWidth = 0;      // stored left side bearing
  int DataOffset = 0, Size = 0;
  int NewIndex = -1;
  bool Used = false;
  bool ExtUsed = false;
};

struct TUnicodeToIndex {
  char32_t Unicode = 0;
  int Index = 0;
};

struct TFontBox {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// Tables of one font by tag (big-endian tag as in the table directory); false when absent.
using TFontTableReader = std::function<bool(std::uint32_t tag, std::string& data)>;

class TTrueTypeManager {
 public:
  // The installed face, through the platform's font layer (a font 1000 units high).
  TTrueTypeManager(const UnicodeString& fontName, TFontStyles fontStyle);
  // A font program in memory (a TrueType file or the first face of a collection); the metrics
  // come from its own tables as the platform would report them.
  static TTrueTypeManager FromFileData(const std::string& file, const UnicodeString& fontName,
                                       TFontStyles fontStyle);

  int Ascent() const { return FAscent; }
  int Descent() const { return FDescent; }
  const TFontBox& FontBox() const { return FFontBox; }
  int ItalicAngle() const { return FItalicAngle; }  // tenths of a degree
  int GlyphCount() const { return static_cast<int>(FGlyphsList.size()); }
  // Escaped as the bytes of a name object, ready to follow a "/".
  const std::string& PostScriptName() const { return FFontPostScriptName; }
  bool IsMono() const { return FIsMono; }
  int UnitsPerEm() const { return FUnitsPerEm; }

  TGlyphInfo& GetGlyph(int index);
  int GetIdxByUnicode(char32_t unicode);
  TGlyphInfo& GetGlyphByUnicode(char32_t unicode);
  const std::vector<TUnicodeToIndex>& UnicodeMap() const { return FUnicodeMap; }

  // Subset programs: the ASCII one for the codes 32..127 flagged in used (96 entries), and one
  // for the codes 32 .. 32+len-1 with the given glyph indexes. The complete font file is
  // appended to out.
  void PrepareASCIIFont(const bool* used, std::string& out);
  void PrepareFont(const int* indexes, int len, std::string& out);

  // The name table as rebuilt at creation (tests look at it).
  const std::string& NameTable() const { return FTables[ttName].Table; }

  // Sum of big-endian 32-bit words, a last partial word completed with zeros.
  static std::uint32_t CheckSum(const std::uint8_t* data, std::size_t size);

 private:
  TTrueTypeManager() = default;
  struct TMetrics {
    bool Valid = false;
    bool Mono = false;
    int Ascent = 0, Descent = 0, ItalicAngle = 0;
    TFontBox Box;
  };
  void Load(const TFontTableReader& read, const TMetrics& metrics);
  void RebuildNameTable();
  void ReadCharMap();
  void ReadWidths();
  void LoadGlyphs();
  void MarkUsed(int glyph);
  void BuildFont(std::string& out);

  TTrueTypeTables FTables;
  TFontTableReader FRead;
  std::vector<TUnicodeToIndex> FUnicodeMap;
  std::vector<TGlyphInfo> FGlyphsList;
  bool FIsMono = false;
  int FDescent = 0, FAscent = 0, FUnitsPerEm = 1000;
  int FItalicAngle = 0;
  TFontBox FFontBox;
  int FLast = -1;
  bool FGlyphsLoaded = false;
  bool FLongLoca = false;
  UnicodeString FFontName;
  TFontStyles FFontStyle;
  int Idxes[96] = {};
  std::string FFontPostScriptName;
  std::string FMacFamily;
};
