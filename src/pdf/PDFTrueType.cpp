#include "pdf/PDFTrueType.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/graphics/DeviceContext.h"

namespace {

constexpr std::uint32_t Tag(const char (&s)[5]) {
  return (std::uint32_t(std::uint8_t(s[0])) << 24) | (std::uint32_t(std::uint8_t(s[1])) << 16) |
         (std::uint32_t(std::uint8_t(s[2])) << 8) | std::uint32_t(std::uint8_t(s[3]));
}

constexpr std::uint32_t TableTags[ttTableCount] = {
    Tag("head"), Tag("hhea"), Tag("loca"), Tag("maxp"), Tag("cvt "), Tag("prep"),
    Tag("glyf"), Tag("hmtx"), Tag("fpgm"), Tag("cmap"), Tag("name"), Tag("post")};

const char* const CannotReceive = "Cannot receive TTF info";

// Bounds-checked big-endian reading of a table copy: anything outside raises.
struct TReader {
  const std::string& S;
  std::uint32_t U8(std::size_t p) const {
    if (p >= S.size()) throw ETTFException(CannotReceive);
    return std::uint8_t(S[p]);
  }
  std::uint32_t U16(std::size_t p) const {
    if (p > S.size() || S.size() - p < 2) throw ETTFException(CannotReceive);
    return (std::uint32_t(std::uint8_t(S[p])) << 8) | std::uint8_t(S[p + 1]);
  }
  std::int32_t S16(std::size_t p) const { return std::int16_t(U16(p)); }
  std::uint32_t U32(std::size_t p) const { return (U16(p) << 16) | U16(p + 2); }
  bool Has(std::size_t p, std::size_t n) const { return p <= S.size() && S.size() - p >= n; }
};

void Put16(std::string& s, std::size_t p, std::uint32_t v) {
  s[p] = char((v >> 8) & 0xFF);
  s[p + 1] = char(v & 0xFF);
}
void Put32(std::string& s, std::size_t p, std::uint32_t v) {
  Put16(s, p, v >> 16);
  Put16(s, p + 2, v & 0xFFFF);
}
void App16(std::string& s, std::uint32_t v) {
  s += char((v >> 8) & 0xFF);
  s += char(v & 0xFF);
}
void App32(std::string& s, std::uint32_t v) {
  App16(s, v >> 16);
  App16(s, v & 0xFFFF);
}

constexpr std::uint32_t ArgsAreWords = 0x0001, HaveScale = 0x0008, MoreComponents = 0x0020,
                        HaveXYScale = 0x0040, HaveTwoByTwo = 0x0080;

// Walks the component records of a composite glyph (data of one glyph); calls f with the byte
// position of each component's glyph index. Stops at the glyph's end.
template <class F>
void WalkComponents(const std::string& glyf, std::size_t start, std::size_t size, F f) {
  if (size < 10 || start > glyf.size() || glyf.size() - start < size) return;
  TReader r{glyf};
  if (r.S16(start) >= 0) return;
  const std::size_t end = start + size;
  std::size_t p = start + 10;
  for (;;) {
    if (p + 4 > end) return;
    const std::uint32_t flags = r.U16(p);
    f(p + 2);
    p += 4;
    p += (flags & ArgsAreWords) ? 4 : 2;
    if (flags & HaveScale) p += 2;
    else if (flags & HaveXYScale) p += 4;
    else if (flags & HaveTwoByTwo) p += 8;
    if (!(flags & MoreComponents)) return;
  }
}

std::string Utf16BE(const std::u16string& s) {
  std::string r;
  for (char16_t c : s) App16(r, c);
  return r;
}

const char* const NamePrefix = "Tavrelopad subset: ";

}  // namespace

// ---- creation ---------------------------------------------------------------------------------

namespace {

// Runs f with a memory context on which a font of the face 1000 units high is selected; font and
// context are released afterwards.
template <class F>
auto WithFont(const UnicodeString& fontName, TFontStyles style, F f) {
  LOGFONTW lf;
  lf.lfHeight = -1000;
  lf.lfWeight = style.Contains(fsBold) ? 700 : 400;
  lf.lfItalic = style.Contains(fsItalic);
  lf.lfUnderline = style.Contains(fsUnderline);
  lf.lfStrikeOut = style.Contains(fsStrikeOut);
  lf.lfCharSet = DEFAULT_CHARSET;
  const std::size_t n = std::min<std::size_t>(fontName.size(), LF_FACESIZE - 1);
  std::copy_n(fontName.begin(), n, lf.lfFaceName);
  struct TRelease {
    HDC Dc = nullptr;
    HFONT Font = nullptr;
    HGDIOBJ Old = nullptr;
    ~TRelease() {
      if (Old) SelectObject(Dc, Old);
      if (Font) DeleteObject(Font);
      if (Dc) DeleteDC(Dc);
    }
  } h;
  h.Dc = CreateCompatibleDC(nullptr);
  h.Font = CreateFontIndirectW(&lf);
  h.Old = SelectObject(h.Dc, h.Font);
  return f(h.Dc);
}

bool ReadTable(HDC dc, std::uint32_t tag, std::string& data) {
  // The context API takes the tag's characters in memory order.
  const DWORD t = ((tag & 0xFF) << 24) | ((tag & 0xFF00) << 8) | ((tag >> 8) & 0xFF00) | (tag >> 24);
  const DWORD size = GetFontData(dc, t, 0, nullptr, 0);
  if (size == GDI_ERROR) return false;
  data.assign(size, '\0');
  return size == 0 || GetFontData(dc, t, 0, data.data(), size) == size;
}

}  // namespace

TTrueTypeManager::TTrueTypeManager(const UnicodeString& fontName, TFontStyles fontStyle) {
  FFontName = fontName;
  FFontStyle = fontStyle;
  WithFont(fontName, fontStyle, [this](HDC dc) {
    TMetrics m;
    TEXTMETRICW tm;
    OUTLINETEXTMETRICW otm;
    if (GetTextMetricsW(dc, &tm) && GetOutlineTextMetricsW(dc, sizeof otm, &otm)) {
      m.Valid = true;
      m.Mono = !(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
      m.Ascent = tm.tmAscent;
      m.Descent = tm.tmDescent;
      m.ItalicAngle = otm.otmItalicAngle;
      m.Box = {int(otm.otmrcFontBox.Left), int(otm.otmrcFontBox.Top), int(otm.otmrcFontBox.Right), int(otm.otmrcFontBox.Bottom)};
    }
    Load([dc](std::uint32_t tag, std::string& data) { return ReadTable(dc, tag, data); }, m);
    return 0;
  });
  // The glyph outlines are read on the first subset, with the font created anew.
  FRead = [fontName, fontStyle](std::uint32_t tag, std::string& data) {
    return WithFont(fontName, fontStyle, [&](HDC dc) { return ReadTable(dc, tag, data); });
  };
}

TTrueTypeManager TTrueTypeManager::FromFileData(const std::string& file, const UnicodeString& fontName,
                                                TFontStyles fontStyle) {
  TTrueTypeManager r;
  r.FFontName = fontName;
  r.FFontStyle = fontStyle;
  auto data = std::make_shared<std::string>(file);
  TReader f{*data};
  std::size_t base = 0;
  if (f.U32(0) == Tag("ttcf")) base = f.U32(12);
  const std::uint32_t count = f.U16(base + 4);
  struct TEntry {
    std::uint32_t Tag, Offset, Length;
  };
  auto entries = std::make_shared<std::vector<TEntry>>();
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t p = base + 12 + 16 * std::size_t(i);
    entries->push_back({f.U32(p), f.U32(p + 8), f.U32(p + 12)});
  }
  TFontTableReader read = [data, entries](std::uint32_t tag, std::string& out) {
    for (const TEntry& e : *entries)
      if (e.Tag == tag) {
        if (e.Offset > data->size() || data->size() - e.Offset < e.Length) return false;
        out.assign(*data, e.Offset, e.Length);
        return true;
      }
    return false;
  };
  // Metrics as the platform derives them from the tables, at an em of 1000.
  TMetrics m;
  std::string head, os2, post, hhea;
  if (read(Tag("head"), head) && read(Tag("hhea"), hhea)) {
    TReader h{head}, hh{hhea};
    const int upem = h.Has(0, 54) ? int(h.U16(18)) : 0;
    if (upem > 0) {
      auto scale = [upem](int v) {
        const long long x = static_cast<long long>(v) * 1000;
        return static_cast<int>(x >= 0 ? (x + upem / 2) / upem : -((-x + upem / 2) / upem));
      };
      m.Valid = true;
      TReader o{os2};
      if (read(Tag("OS/2"), os2) && o.Has(0, 78)) {
        m.Ascent = scale(int(o.U16(74)));
        m.Descent = scale(int(o.U16(76)));
      } else if (hh.Has(0, 36)) {
        m.Ascent = scale(hh.S16(4));
        m.Descent = scale(-hh.S16(6));
      }
      m.Box = {scale(h.S16(36)), scale(h.S16(42)), scale(h.S16(40)), scale(h.S16(38))};
      if (read(Tag("post"), post) && TReader{post}.Has(0, 16)) {
        TReader p{post};
        const std::int32_t angle = std::int32_t(p.U32(4));
        m.ItalicAngle = static_cast<int>(static_cast<long long>(angle) * 10 / 65536);
        m.Mono = p.U32(12) != 0;
      }
    }
  }
  r.Load(read, m);
  r.FRead = read;
  return r;
}

void TTrueTypeManager::Load(const TFontTableReader& read, const TMetrics& metrics) {
  if (metrics.Valid) {
    FIsMono = metrics.Mono;
    FAscent = metrics.Ascent;
    FDescent = metrics.Descent;
    FItalicAngle = metrics.ItalicAngle;
    FFontBox = metrics.Box;
  }
  for (int i : {ttCmap, ttHmtx, ttMaxp, ttHhea, ttHead, ttName}) {
    TTrueTypeTable& t = FTables[i];
    if (!read(TableTags[i], t.Table) || t.Table.empty()) throw ETTFException(CannotReceive);
    t.Size = static_cast<std::uint32_t>(t.Table.size());
  }
  // The fixed parts that the subset rewrites must be there.
  if (FTables[ttHead].Size < 54 || FTables[ttHhea].Size < 36 || FTables[ttMaxp].Size < 6)
    throw ETTFException(CannotReceive);
  RebuildNameTable();
  if (FFontPostScriptName.empty()) {
    std::string n;
    for (char16_t c : FFontName)
      if (c < 0x80) n += char(c);
    if (FFontStyle.Contains(fsBold)) n += " Bold";
    if (FFontStyle.Contains(fsItalic)) n += " Italic";
    FFontPostScriptName = PDFEscapeName(n);
  }
  TReader maxp{FTables[ttMaxp].Table}, head{FTables[ttHead].Table};
  FUnitsPerEm = int(head.U16(18));
  if (FUnitsPerEm == 0) throw ETTFException(CannotReceive);
  FGlyphsList.assign(maxp.U16(4), TGlyphInfo());
  ReadCharMap();
  ReadWidths();
}

void TTrueTypeManager::RebuildNameTable() {
  const std::string old = FTables[ttName].Table;
  TReader r{old};
  const std::uint32_t count = r.U16(2), strings = r.U16(4);
  struct TRec {
    std::uint32_t Platform, Encoding, Language, Name;
    std::string Text;
  };
  std::vector<TRec> recs;
  std::u16string winFamily;
  bool macUidAdded = false;
  auto macUid = [&]() {
    std::string fam = FMacFamily;
    if (fam.empty())
      for (char16_t c : winFamily) fam += c < 0x80 ? char(c) : '?';
    recs.push_back({1, 0, 0, 3, NamePrefix + fam});
    macUidAdded = true;
  };
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t p = 6 + 12 * std::size_t(i);
    if (!r.Has(p, 12)) break;
    const std::uint32_t pl = r.U16(p), en = r.U16(p + 2), la = r.U16(p + 4), id = r.U16(p + 6),
                        len = r.U16(p + 8), off = r.U16(p + 10);
    if (pl > 1 && !macUidAdded) macUid();
    const bool mac = pl == 1 && en == 0 && la == 0, win = pl == 3 && en == 1 && la == 1033;
    if (!(mac || win) || !(id == 1 || id == 2 || id == 4 || id == 6)) continue;
    if (!r.Has(std::size_t(strings) + off, len)) continue;  // a string outside the table is dropped
    std::string text = old.substr(std::size_t(strings) + off, len);
    if (mac && id == 1) FMacFamily = text;
    if (mac && id == 6) FFontPostScriptName = PDFEscapeName(text);
    if (win && id == 1) {
      winFamily.clear();
      for (std::size_t k = 0; k + 1 < text.size(); k += 2)
        winFamily += char16_t((std::uint8_t(text[k]) << 8) | std::uint8_t(text[k + 1]));
    }
    recs.push_back({pl, en, la, id, std::move(text)});
  }
  if (!macUidAdded) macUid();
  std::u16string fam = winFamily;
  if (fam.empty()) fam = AsciiToUnicode(FMacFamily);
  recs.push_back({3, 1, 1033, 3, Utf16BE(AsciiToUnicode(NamePrefix)) + Utf16BE(fam)});
  std::string t;
  App16(t, 0);
  App16(t, static_cast<std::uint32_t>(recs.size()));
  App16(t, static_cast<std::uint32_t>(6 + 12 * recs.size()));
  std::string pool;
  for (const TRec& rec : recs) {
    App16(t, rec.Platform);
    App16(t, rec.Encoding);
    App16(t, rec.Language);
    App16(t, rec.Name);
    App16(t, static_cast<std::uint32_t>(rec.Text.size()));
    App16(t, static_cast<std::uint32_t>(pool.size()));
    pool += rec.Text;
  }
  t += pool;
  t.resize((t.size() + 3) / 4 * 4, '\0');
  FTables[ttName].Table = t;
  FTables[ttName].Size = static_cast<std::uint32_t>(t.size());
}

void TTrueTypeManager::ReadCharMap() {
  const std::string& cmap = FTables[ttCmap].Table;
  TReader r{cmap};
  const std::uint32_t count = r.U16(2);
  std::int64_t win = -1, full = -1;
  bool mac = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t p = 4 + 8 * std::size_t(i);
    const std::uint32_t pl = r.U16(p), en = r.U16(p + 2), off = r.U32(p + 4);
    if (pl == 3 && en == 10) full = off;
    if (pl == 3 && en == 1) win = off;
    else if (pl == 3 && en == 0 && win < 0) win = off;
    else if (pl == 1 && (en == 0 || en == 1)) mac = true;
  }
  if (win < 0 && full < 0) {
    if (mac) return;  // accepted, but it maps no character
    throw ETTFException("Cannot find compatible cmap table");
  }
  const std::size_t glyphs = FGlyphsList.size();
  auto add = [&](char32_t c, std::uint32_t g) {
    if (g >= glyphs) return;
    TGlyphInfo& gi = FGlyphsList[g];
    gi.Unicode = gi.Unicode == 0 ? c : GlyphUnicodeSeveral;
    FUnicodeMap.push_back({c, int(g)});
  };
  // The full-repertoire map (format 12) holds the characters outside the Basic Multilingual
  // Plane as well; the 16-bit map is read when the face has no such table.
  if (full >= 0 && r.U16(std::size_t(full)) == 12) {
    const std::size_t p = std::size_t(full);
    const std::uint32_t groups = r.U32(p + 12);
    if (!r.Has(p + 16, std::size_t(groups) * 12)) throw ETTFException(CannotReceive);
    std::size_t total = 0;
    for (std::uint32_t i = 0; i < groups; ++i) {
      const std::size_t q = p + 16 + 12 * std::size_t(i);
      const std::uint32_t a = r.U32(q), b = std::min<std::uint32_t>(r.U32(q + 4), 0x10FFFF), g = r.U32(q + 8);
      if (b < a) continue;
      total += b - a + 1;
      if (total > 0x110000) break;  // overlapping groups cannot make the map endless
      for (std::uint32_t c = a; c <= b; ++c) add(c, g + (c - a));
    }
  } else {
    if (win < 0) throw ETTFException("Cannot find compatible cmap table");
    const std::size_t p = std::size_t(win);
    if (r.U16(p) != 4) throw ETTFException("Cannot find cmap 4 table");
    const std::uint32_t segs = r.U16(p + 6) / 2;
    const std::size_t ends = p + 14, starts = ends + 2 * segs + 2, deltas = starts + 2 * segs,
                      ranges = deltas + 2 * segs;
    // Segments come in ascending order; a character already passed is not walked again, so a
    // damaged table costs at most one walk over the 16-bit range.
    std::uint32_t next = 0;
    for (std::uint32_t s = 0; s + 1 < segs; ++s) {
      const std::uint32_t end = r.U16(ends + 2 * s), start = r.U16(starts + 2 * s),
                          delta = r.U16(deltas + 2 * s), range = r.U16(ranges + 2 * s);
      for (std::uint32_t c = std::max(start, next); c <= end; ++c) {
        std::uint32_t g;
        if (range == 0) g = (c + delta) & 0xFFFF;
        else {
          // Glyph array entry at range / 2 + (c - start) + s - segs, counted from the range word.
          const std::size_t q = ranges + 2 * std::size_t(s) + range + 2 * std::size_t(c - start);
          if (!r.Has(q, 2)) continue;
          g = r.U16(q);
          if (g != 0) g = (g + delta) & 0xFFFF;
        }
        add(c, g);
      }
      next = std::max(next, end + 1);
    }
  }
  std::stable_sort(FUnicodeMap.begin(), FUnicodeMap.end(),
                   [](const TUnicodeToIndex& a, const TUnicodeToIndex& b) { return a.Unicode < b.Unicode; });
  // A character listed twice keeps its first glyph.
  FUnicodeMap.erase(std::unique(FUnicodeMap.begin(), FUnicodeMap.end(),
                                [](const TUnicodeToIndex& a, const TUnicodeToIndex& b) { return a.Unicode == b.Unicode; }),
                    FUnicodeMap.end());
}

void TTrueTypeManager::ReadWidths() {
  TReader hmtx{FTables[ttHmtx].Table}, hhea{FTables[ttHhea].Table};
  std::size_t longs = hhea.U16(34);
  longs = std::min(longs, FTables[ttHmtx].Table.size() / 4);
  if (longs == 0) throw ETTFException(CannotReceive);
  const std::size_t n = FGlyphsList.size();
  for (std::size_t i = 0; i < n; ++i) {
    TGlyphInfo& g = FGlyphsList[i];
    const std::size_t k = FIsMono ? 0 : i;
    if (k < longs) {
      g.BaseWidth = int(hmtx.U16(4 * k));
      g.AddWidth = hmtx.S16(4 * k + 2);
    } else {
      g.BaseWidth = int(hmtx.U16(4 * (longs - 1)));
      const std::size_t p = 4 * longs + 2 * (k - longs);
      g.AddWidth = hmtx.Has(p, 2) ? hmtx.S16(p) : 0;
    }
    g.CharInfo.Width = static_cast<int>(static_cast<long long>(g.BaseWidth) * 1000 / FUnitsPerEm);
  }
}

// ---- lookups ----------------------------------------------------------------------------------

TGlyphInfo& TTrueTypeManager::GetGlyph(int index) {
  if (index < 0 || index >= GlyphCount()) throw EPDFException("Out of Bounds");
  return FGlyphsList[std::size_t(index)];
}

int TTrueTypeManager::GetIdxByUnicode(char32_t unicode) {
  if (FLast >= 0 && FLast < GlyphCount() && FGlyphsList[std::size_t(FLast)].Unicode == unicode && unicode != 0)
    return FLast;
  auto it = std::lower_bound(FUnicodeMap.begin(), FUnicodeMap.end(), unicode,
                             [](const TUnicodeToIndex& a, char32_t u) { return a.Unicode < u; });
  if (it == FUnicodeMap.end() || it->Unicode != unicode) return 0;
  return it->Index;
}

TGlyphInfo& TTrueTypeManager::GetGlyphByUnicode(char32_t unicode) {
  const int i = GetIdxByUnicode(unicode);
  if (GlyphCount() == 0) throw ETTFException(CannotReceive);
  FLast = i;
  return FGlyphsList[std::size_t(i)];
}

// ---- subsets ----------------------------------------------------------------------------------

void TTrueTypeManager::LoadGlyphs() {
  if (FGlyphsLoaded) return;
  for (int i : {ttLoca, ttGlyf, ttPost}) {
    TTrueTypeTable& t = FTables[i];
    if (!FRead || !FRead(TableTags[i], t.Table)) throw ETTFException(CannotReceive);
    t.Size = static_cast<std::uint32_t>(t.Table.size());
  }
  for (int i : {ttCvt, ttFpgm, ttPrep}) {
    TTrueTypeTable& t = FTables[i];
    if (!FRead(TableTags[i], t.Table)) t.Table.clear();
    t.Size = static_cast<std::uint32_t>(t.Table.size());
  }
  TReader loca{FTables[ttLoca].Table}, head{FTables[ttHead].Table};
  FLongLoca = head.S16(50) == 1;
  const std::size_t glyf = FTables[ttGlyf].Table.size();
  for (std::size_t i = 0; i < FGlyphsList.size(); ++i) {
    TGlyphInfo& g = FGlyphsList[i];
    std::size_t a, b;
    if (FLongLoca) {
      if (!loca.Has(4 * i, 8)) continue;
      a = loca.U32(4 * i);
      b = loca.U32(4 * i + 4);
    } else {
      if (!loca.Has(2 * i, 4)) continue;
      a = 2 * std::size_t(loca.U16(2 * i));
      b = 2 * std::size_t(loca.U16(2 * i + 2));
    }
    // A glyph outside the glyph data, or with its end before its start, is taken as empty.
    if (b < a || b > glyf || b - a > 0x7FFFFFFF) continue;
    g.DataOffset = int(a);
    g.Size = int(b - a);
  }
  FGlyphsLoaded = true;
}

void TTrueTypeManager::MarkUsed(int glyph) {
  std::vector<int> stack{glyph};
  const std::string& glyf = FTables[ttGlyf].Table;
  while (!stack.empty()) {
    const int g = stack.back();
    stack.pop_back();
    TGlyphInfo& gi = FGlyphsList[std::size_t(g)];
    if (gi.Used) continue;
    gi.Used = true;
    WalkComponents(glyf, std::size_t(gi.DataOffset), std::size_t(gi.Size), [&](std::size_t p) {
      const std::uint32_t c = TReader{glyf}.U16(p);
      if (c < FGlyphsList.size() && !FGlyphsList[c].Used) stack.push_back(int(c));
    });
  }
}

// The printable ASCII characters in use, as the glyph indexes of the subset's 96 slots.
void TTrueTypeManager::PrepareASCIIFont(const bool* used, std::string& out) {
  LoadGlyphs();
  int indexes[96];
  for (int c = 32; c < 128; ++c) indexes[c - 32] = used[c - 32] ? GetIdxByUnicode(char32_t(c)) : 0;
  PrepareFont(indexes, 96, out);
}

void TTrueTypeManager::PrepareFont(const int* indexes, int len, std::string& out) {
  LoadGlyphs();
  for (TGlyphInfo& g : FGlyphsList) {
    g.Used = false;
    g.NewIndex = -1;
  }
  int next = 0;
  for (int i = 0; i < 2 && i < GlyphCount(); ++i) FGlyphsList[std::size_t(i)].NewIndex = next++;
  len = std::clamp(len, 0, 96);
  for (int c = 0; c < 96; ++c) {
    Idxes[c] = 0;
    if (c >= len) continue;
    const int g = indexes[c];
    if (g <= 0 || g >= GlyphCount()) continue;
    TGlyphInfo& gi = FGlyphsList[std::size_t(g)];
    if (gi.NewIndex < 0) gi.NewIndex = next++;
    Idxes[c] = gi.NewIndex;
  }
  BuildFont(out);
}

std::uint32_t TTrueTypeManager::CheckSum(const std::uint8_t* data, std::size_t size) {
  std::uint32_t sum = 0;
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4)
    sum += (std::uint32_t(data[i]) << 24) | (std::uint32_t(data[i + 1]) << 16) | (std::uint32_t(data[i + 2]) << 8) |
           data[i + 3];
  if (i < size) {
    std::uint8_t last[4] = {};
    std::memcpy(last, data + i, size - i);
    sum += (std::uint32_t(last[0]) << 24) | (std::uint32_t(last[1]) << 16) | (std::uint32_t(last[2]) << 8) | last[3];
  }
  return sum;
}

void TTrueTypeManager::BuildFont(std::string& out) {
  // Glyphs kept directly, then their components in glyph order.
  for (TGlyphInfo& g : FGlyphsList)
    if (g.NewIndex >= 0 && !g.Used) MarkUsed(int(&g - FGlyphsList.data()));
  int next = 0;
  for (const TGlyphInfo& g : FGlyphsList) next = std::max(next, g.NewIndex + 1);
  for (TGlyphInfo& g : FGlyphsList)
    if (g.Used && g.NewIndex < 0) g.NewIndex = next++;
  std::vector<int> order(std::size_t(next), -1);
  for (std::size_t i = 0; i < FGlyphsList.size(); ++i)
    if (FGlyphsList[i].Used) order[std::size_t(FGlyphsList[i].NewIndex)] = int(i);
  const std::size_t kept = order.size();

  TTrueTypeTables t;
  for (int i : {ttCvt, ttPrep, ttFpgm, ttName}) t[i].Table = FTables[i].Table;
  t[ttPost].Table = FTables[ttPost].Table.substr(0, 32);
  t[ttPost].Table.resize(32, '\0');
  Put32(t[ttPost].Table, 0, 0x00030000);  // the zero bytes below carry no glyph names
  t[ttPost].Table.append(4, '\0');
  t[ttHhea].Table = FTables[ttHhea].Table;
  Put16(t[ttHhea].Table, 34, static_cast<std::uint32_t>(kept));
  t[ttMaxp].Table = FTables[ttMaxp].Table;
  Put16(t[ttMaxp].Table, 4, static_cast<std::uint32_t>(kept));
  const std::string& glyf = FTables[ttGlyf].Table;
  std::string& nglyf = t[ttGlyf].Table;
  std::string& hmtx = t[ttHmtx].Table;
  std::vector<std::uint32_t> offsets;
  offsets.reserve(kept + 1);
  for (int g : order) {
    offsets.push_back(static_cast<std::uint32_t>(nglyf.size()));
    App16(hmtx, g >= 0 ? std::uint32_t(FGlyphsList[std::size_t(g)].BaseWidth) : 0);
    App16(hmtx, g >= 0 ? std::uint32_t(FGlyphsList[std::size_t(g)].AddWidth) & 0xFFFF : 0);
    if (g < 0) continue;
    const TGlyphInfo& gi = FGlyphsList[std::size_t(g)];
    const std::size_t at = nglyf.size();
    nglyf.append(glyf, std::size_t(gi.DataOffset), std::size_t(gi.Size));
    WalkComponents(nglyf, at, std::size_t(gi.Size), [&](std::size_t p) {
      const std::uint32_t c = TReader{nglyf}.U16(p);
      Put16(nglyf, p, c < FGlyphsList.size() && FGlyphsList[c].NewIndex >= 0 ? std::uint32_t(FGlyphsList[c].NewIndex) : 0);
    });
    // Glyph data stay on even offsets, as short offsets require.
    if (nglyf.size() & 1) nglyf += '\0';
  }
  offsets.push_back(static_cast<std::uint32_t>(nglyf.size()));
  const bool longLoca = nglyf.size() > 0x1FFFE;
  for (std::uint32_t o : offsets) {
    if (longLoca) App32(t[ttLoca].Table, o);
    else App16(t[ttLoca].Table, o / 2);
  }
  t[ttHead].Table = FTables[ttHead].Table;
  Put16(t[ttHead].Table, 50, longLoca ? 1 : 0);
  Put32(t[ttHead].Table, 8, 0);
  std::string& cmap = t[ttCmap].Table;
  App16(cmap, 0);
  App16(cmap, 1);
  App16(cmap, 1);
  App16(cmap, 0);
  App32(cmap, 12);
  App16(cmap, 0);
  App16(cmap, 262);
  App16(cmap, 0);
  for (int c = 0; c < 256; ++c) cmap += char(c >= 32 && c < 128 ? Idxes[c - 32] & 0xFF : 0);
  cmap.append(2, '\0');

  int present = 0;
  for (int i = 0; i < ttTableCount; ++i)
    if (!t[i].Table.empty()) ++present;
  int selector = 0;
  while ((2 << selector) <= present) ++selector;
  const int range = (1 << selector) * 16;
  const std::size_t start = out.size();
  App32(out, 0x00010000);
  App16(out, std::uint32_t(present));
  App16(out, std::uint32_t(range));
  App16(out, std::uint32_t(selector));
  App16(out, std::uint32_t(present * 16 - range));
  // Tables follow the directory in its order, each starting on a four-byte boundary.
  std::size_t offset = 12 + 16 * std::size_t(present);
  std::size_t headAt = 0;
  for (int i = 0; i < ttTableCount; ++i) {
    const std::string& d = t[i].Table;
    if (d.empty()) continue;
    App32(out, TableTags[i]);
    App32(out, CheckSum(reinterpret_cast<const std::uint8_t*>(d.data()), d.size()));
    App32(out, static_cast<std::uint32_t>(offset));
    App32(out, static_cast<std::uint32_t>(d.size()));
    if (i == ttHead) headAt = offset;
    offset += (d.size() + 3) / 4 * 4;
  }
  for (int i = 0; i < ttTableCount; ++i) {
    const std::string& d = t[i].Table;
    if (d.empty()) continue;
    out += d;
    out.append((4 - d.size() % 4) % 4, '\0');
  }
  const std::uint32_t sum =
      CheckSum(reinterpret_cast<const std::uint8_t*>(out.data()) + start, out.size() - start);
  Put32(out, start + headAt + 8, 0xB1B0AFBA - sum);
}
