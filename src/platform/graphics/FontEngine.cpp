#include "platform/graphics/FontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H
#include <fontconfig/fontconfig.h>
#include <hb-ot.h>
#include <hb.h>
#include <unicode/ubidi.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <QPainter>
#include <QTransform>
#include <QPainterPathStroker>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <list>
#include <map>
#include <unordered_set>

#include "platform/base/SysUtils.h"

namespace {

struct TFreeType {
  FT_Library Lib = nullptr;
  TFreeType() { FT_Init_FreeType(&Lib); }
  ~TFreeType() {
    if (Lib) FT_Done_FreeType(Lib);
  }
};

// The library outlives every cached face, so it is never torn down.
TFreeType& FreeType() {
  static TFreeType* ft = new TFreeType();
  return *ft;
}

LONG RoundHalfAway(double v) { return static_cast<LONG>(std::lround(v)); }

std::u16string Lower(std::u16string s) {
  for (auto& c : s)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return s;
}

}  // namespace

const char* LangOfCharset(BYTE cs) {
  switch (cs) {
    case SHIFTJIS_CHARSET: return "ja";
    case HANGEUL_CHARSET: case JOHAB_CHARSET: return "ko";
    case GB2312_CHARSET: return "zh-cn";
    case CHINESEBIG5_CHARSET: return "zh-tw";
    case GREEK_CHARSET: return "el";
    case TURKISH_CHARSET: return "tr";
    case VIETNAMESE_CHARSET: return "vi";
    case HEBREW_CHARSET: return "he";
    case ARABIC_CHARSET: return "ar";
    case BALTIC_CHARSET: return "lt";
    case RUSSIAN_CHARSET: return "ru";
    case THAI_CHARSET: return "th";
    case EASTEUROPE_CHARSET: return "pl";
    default: return nullptr;
  }
}

namespace {

char32_t CodePointAt(const char16_t* s, int n, int i) {
  const char16_t c = s[i];
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
    return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(s[i + 1]) - 0xDC00);
  return c;
}

bool IsLowSurrogateAt(const char16_t* s, int i) {
  return i > 0 && s[i] >= 0xDC00 && s[i] <= 0xDFFF && s[i - 1] >= 0xD800 && s[i - 1] <= 0xDBFF;
}

bool NeedsBidi(const char16_t* s, int n) {
  for (int i = 0; i < n; ++i) {
    const char16_t c = s[i];
    if (c < 0x590) continue;
    if ((c >= 0x590 && c <= 0x8FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF) ||
        (c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
        (c >= 0xD800 && c <= 0xDBFF))
      return true;
  }
  return false;
}

// A face in an encoding of its own (the symbol and dingbat faces of PostScript origin) has its
// symbols at the byte codes of that encoding and no private-use code points; text written for a
// symbol font selects a symbol with U+F020..U+F0FF, which stands for that byte.
hb_bool_t OwnEncodingNominalGlyph(hb_font_t* font, void*, hb_codepoint_t u, hb_codepoint_t* glyph, void*) {
  hb_font_t* parent = hb_font_get_parent(font);
  if (hb_font_get_nominal_glyph(parent, u, glyph)) return true;
  return u >= 0xF020 && u <= 0xF0FF && hb_font_get_nominal_glyph(parent, u - 0xF000, glyph);
}

hb_font_funcs_t* OwnEncodingFuncs() {
  static hb_font_funcs_t* const funcs = [] {
    hb_font_funcs_t* f = hb_font_funcs_create();
    hb_font_funcs_set_nominal_glyph_func(f, OwnEncodingNominalGlyph, nullptr, nullptr);
    hb_font_funcs_make_immutable(f);
    return f;
  }();
  return funcs;
}

// Face cache: one loaded face per file and index, for the life of the process.
std::map<std::pair<std::string, int>, std::shared_ptr<TFontFace>>& FaceCache() {
  static std::map<std::pair<std::string, int>, std::shared_ptr<TFontFace>> cache;
  return cache;
}

struct TResolved {
  std::string File;
  int Index = 0;
  bool Embolden = false;
  bool Italic = false;
  int Weight = 400;
  std::u16string Family;
};

bool MatchFcPattern(FcPattern* p, TResolved& out) {
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult r;
  FcPattern* m = FcFontMatch(nullptr, p, &r);
  if (!m) return false;
  FcChar8* file = nullptr;
  int index = 0;
  FcBool emb = FcFalse;
  int slant = FC_SLANT_ROMAN;
  double weight = FC_WEIGHT_REGULAR;
  FcChar8* fam = nullptr;
  bool ok = FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch;
  if (ok) {
    FcPatternGetInteger(m, FC_INDEX, 0, &index);
    FcPatternGetBool(m, FC_EMBOLDEN, 0, &emb);
    FcPatternGetInteger(m, FC_SLANT, 0, &slant);
    FcPatternGetDouble(m, FC_WEIGHT, 0, &weight);
    FcPatternGetString(m, FC_FAMILY, 0, &fam);
    out.File = reinterpret_cast<const char*>(file);
    out.Index = index;
    out.Embolden = emb;
    out.Italic = slant != FC_SLANT_ROMAN;
    out.Weight = FcWeightToOpenType(static_cast<int>(weight));
    out.Family = fam ? Utf8ToUnicode(reinterpret_cast<const char*>(fam)) : u"";
  }
  FcPatternDestroy(m);
  return ok;
}

bool ResolveFace(const std::u16string& face, int weight, bool italic, BYTE charset, TResolved& out) {
  static std::map<std::u16string, TResolved> cache;
  std::u16string key = Lower(face) + u'|' + char16_t(weight >= 600) + char16_t(italic) + char16_t(charset);
  auto it = cache.find(key);
  if (it != cache.end()) {
    out = it->second;
    return !out.File.empty();
  }
  // Fontconfig's own state is released at exit (its caches would otherwise show as leaks).
  struct TFcSession {
    TFcSession() { FcInit(); }
    ~TFcSession() { FcFini(); }
  };
  static TFcSession session;
  FcPattern* p = FcPatternCreate();
  const std::u16string sub = SubstituteFaceName(face);
  const std::string fam = sub.empty() ? std::string("Liberation Sans") : UnicodeToUtf8(sub);
  FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(fam.c_str()));
  FcPatternAddInteger(p, FC_WEIGHT, FcWeightFromOpenType(weight >= 600 ? 700 : 400));
  FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  if (const char* lang = LangOfCharset(charset))
    FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
  TResolved r;
  const bool ok = MatchFcPattern(p, r);
  FcPatternDestroy(p);
  if (!ok) r = TResolved{};
  cache[key] = r;
  out = r;
  return ok;
}

// A face covering c in the given style, for fallback; null when no installed face has it.
std::shared_ptr<TFontFace> FallbackFaceFor(char32_t c, bool bold, bool italic) {
  static std::unordered_map<std::uint64_t, std::shared_ptr<TFontFace>> cache;
  const std::uint64_t key = (static_cast<std::uint64_t>(c) << 2) | (bold ? 2 : 0) | (italic ? 1 : 0);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  std::shared_ptr<TFontFace> result;
  FcPattern* p = FcPatternCreate();
  FcCharSet* cs = FcCharSetCreate();
  FcCharSetAddChar(cs, c);
  FcPatternAddCharSet(p, FC_CHARSET, cs);
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  FcPatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  TResolved r;
  if (MatchFcPattern(p, r)) {
    auto f = TFontFace::Load(r.File, r.Index);
    if (f && f->HasChar(c)) result = f;
  }
  FcCharSetDestroy(cs);
  FcPatternDestroy(p);
  cache[key] = result;
  return result;
}

// Outline decomposition into a painter path (font units, y up).
int MoveToCb(const FT_Vector* to, void* user) {
  auto* p = static_cast<QPainterPath*>(user);
  p->closeSubpath();
  p->moveTo(to->x, to->y);
  return 0;
}
int LineToCb(const FT_Vector* to, void* user) {
  static_cast<QPainterPath*>(user)->lineTo(to->x, to->y);
  return 0;
}
int ConicToCb(const FT_Vector* c, const FT_Vector* to, void* user) {
  static_cast<QPainterPath*>(user)->quadTo(c->x, c->y, to->x, to->y);
  return 0;
}
int CubicToCb(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  static_cast<QPainterPath*>(user)->cubicTo(c1->x, c1->y, c2->x, c2->y, to->x, to->y);
  return 0;
}

}  // namespace

std::recursive_mutex& FontLock() {
  static std::recursive_mutex m;
  return m;
}

std::u16string SubstituteFaceName(const std::u16string& face) {
  static const std::pair<const char16_t*, const char16_t*> table[] = {
      {u"arial", u"Liberation Sans"},
      {u"helvetica", u"Liberation Sans"},
      {u"arial unicode ms", u"Liberation Sans"},
      {u"times new roman", u"Liberation Serif"},
      {u"times", u"Liberation Serif"},
      {u"courier new", u"Liberation Mono"},
      {u"courier", u"Liberation Mono"},
      {u"tahoma", u"DejaVu Sans"},
      {u"verdana", u"DejaVu Sans"},
      {u"segoe ui", u"DejaVu Sans"},
      {u"microsoft sans serif", u"DejaVu Sans"},
      {u"ms sans serif", u"DejaVu Sans"},
      {u"ms shell dlg", u"DejaVu Sans"},
      {u"ms shell dlg 2", u"DejaVu Sans"},
      {u"system", u"DejaVu Sans"},
  };
  const std::u16string l = Lower(face);
  for (const auto& [from, to] : table)
    if (l == from) return to;
  return face;
}

// ---- faces ----------------------------------------------------------------------------------------

// FreeType reads outlines and tables (under the font lock); the shaper reads the file through a
// face of its own, which is safe to use from several threads at once.
struct TFontFaceImpl {
  FT_Face Ft = nullptr;
  hb_font_t* Hb = nullptr;
  bool OwnEncoding = false;  // Hb looks symbols up through OwnEncodingFuncs
  mutable std::unordered_map<UINT, QPainterPath> Paths;
  ~TFontFaceImpl() {
    if (Hb) hb_font_destroy(Hb);
    if (Ft) FT_Done_Face(Ft);
  }
};

TFontFace::TFontFace() : FImpl(std::make_unique<TFontFaceImpl>()) {}
TFontFace::~TFontFace() = default;

std::shared_ptr<TFontFace> TFontFace::Load(const std::string& file, int index) {
  std::lock_guard lock(FontLock());
  auto& cache = FaceCache();
  auto key = std::make_pair(file, index);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  std::shared_ptr<TFontFace> f(new TFontFace());
  FT_Face ft = nullptr;
  if (FT_New_Face(FreeType().Lib, file.c_str(), index, &ft) != 0 || !ft) {
    cache[key] = nullptr;
    return nullptr;
  }
  f->FImpl->Ft = ft;
  {
    hb_blob_t* blob = hb_blob_create_from_file(file.c_str());
    hb_face_t* face = hb_face_create(blob, static_cast<unsigned>(index) & 0xFFFF);
    f->FImpl->Hb = hb_font_create(face);
    hb_face_destroy(face);
    hb_blob_destroy(blob);
    if (index >> 16) hb_font_set_var_named_instance(f->FImpl->Hb, static_cast<unsigned>(index >> 16) - 1);
  }
  f->File = file;
  f->Index = index;
  f->UnitsPerEm = ft->units_per_EM ? ft->units_per_EM : 1000;
  hb_font_set_scale(f->FImpl->Hb, f->UnitsPerEm, f->UnitsPerEm);
  hb_ot_font_set_funcs(f->FImpl->Hb);
  f->Family = ft->family_name ? Utf8ToUnicode(ft->family_name) : u"";
  f->Style = ft->style_name ? Utf8ToUnicode(ft->style_name) : u"";
  f->FullName = f->Style.empty() || f->Style == u"Regular" ? f->Family : f->Family + u' ' + f->Style;
  f->IsSfnt = FT_IS_SFNT(ft) && FT_IS_SCALABLE(ft);
  f->FixedPitch = FT_IS_FIXED_WIDTH(ft);
  f->Italic = (ft->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  f->Weight = (ft->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
  bool ownEncoding = false;
  for (int i = 0; i < ft->num_charmaps; ++i) {
    if (ft->charmaps[i]->encoding == FT_ENCODING_MS_SYMBOL) f->SymbolCmap = true;
    if (ft->charmaps[i]->encoding == FT_ENCODING_ADOBE_CUSTOM) ownEncoding = true;
  }
  if (ownEncoding && !f->SymbolCmap) {
    hb_font_t* sub = hb_font_create_sub_font(f->FImpl->Hb);
    hb_font_set_funcs(sub, OwnEncodingFuncs(), nullptr, nullptr);
    hb_font_destroy(f->FImpl->Hb);
    f->FImpl->Hb = sub;
    f->FImpl->OwnEncoding = true;
  } else {
    ownEncoding = false;
  }
  f->XMin = ft->bbox.xMin;
  f->YMin = ft->bbox.yMin;
  f->XMax = ft->bbox.xMax;
  f->YMax = ft->bbox.yMax;
  f->HheaAscender = ft->ascender;
  f->HheaDescender = ft->descender;
  f->HheaLineGap = ft->height - ft->ascender + ft->descender;
  f->AdvanceWidthMax = ft->max_advance_width;
  f->UnderlinePosition = ft->underline_position;
  f->UnderlineThickness = ft->underline_thickness;
  f->WinAscent = ft->ascender;
  f->WinDescent = -ft->descender;
  f->TypoAscender = ft->ascender;
  f->TypoDescender = ft->descender;
  f->StrikeoutSize = f->UnderlineThickness;
  f->StrikeoutPosition = f->UnitsPerEm * 3 / 10;
  if (auto* hh = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HHEA))) {
    f->HheaAscender = hh->Ascender;
    f->HheaDescender = hh->Descender;
    f->HheaLineGap = hh->Line_Gap;
    f->AdvanceWidthMax = hh->advance_Width_Max;
    f->CaretSlopeRise = hh->caret_Slope_Rise;
    f->CaretSlopeRun = hh->caret_Slope_Run;
  }
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
    f->WinAscent = os2->usWinAscent;
    f->WinDescent = os2->usWinDescent;
    f->TypoAscender = os2->sTypoAscender;
    f->TypoDescender = os2->sTypoDescender;
    f->TypoLineGap = os2->sTypoLineGap;
    f->XAvgCharWidth = os2->xAvgCharWidth;
    f->CapHeight = os2->version >= 2 ? os2->sCapHeight : 0;
    f->XHeight = os2->version >= 2 ? os2->sxHeight : 0;
    f->SubXSize = os2->ySubscriptXSize;
    f->SubYSize = os2->ySubscriptYSize;
    f->SubXOffset = os2->ySubscriptXOffset;
    f->SubYOffset = os2->ySubscriptYOffset;
    f->SupXSize = os2->ySuperscriptXSize;
    f->SupYSize = os2->ySuperscriptYSize;
    f->SupXOffset = os2->ySuperscriptXOffset;
    f->SupYOffset = os2->ySuperscriptYOffset;
    f->StrikeoutSize = os2->yStrikeoutSize;
    f->StrikeoutPosition = os2->yStrikeoutPosition;
    f->FsSelection = os2->fsSelection;
    f->FsType = os2->fsType;
    f->Weight = os2->usWeightClass;
    f->FirstChar = os2->usFirstCharIndex;
    f->LastChar = os2->usLastCharIndex;
    f->DefaultChar = os2->version >= 2 ? os2->usDefaultChar : 0;
    f->BreakChar = os2->version >= 2 ? os2->usBreakChar : 0x20;
    std::memcpy(f->Panose, os2->panose, 10);
    f->FamilyClass = os2->sFamilyClass;
  }
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(ft, FT_SFNT_POST))) {
    f->ItalicAngle = post->italicAngle / 65536.0;
    f->UnderlinePosition = post->underlinePosition;
    f->UnderlineThickness = post->underlineThickness;
  }
  if (auto* head = static_cast<TT_Header*>(FT_Get_Sfnt_Table(ft, FT_SFNT_HEAD)))
    f->LowestRecPPEM = head->Lowest_Rec_PPEM;
  if (!f->SymbolCmap) {
    // Coverage of the basic plane as bits: segmentation asks for every character.
    auto& bmp = f->Coverage;
    bmp.assign(0x10000 / 64, 0);
    hb_set_t* set = hb_set_create();
    hb_face_collect_unicodes(hb_font_get_face(f->FImpl->Hb), set);
    hb_codepoint_t c = HB_SET_VALUE_INVALID;
    hb_codepoint_t g = 0;
    while (hb_set_next(set, &c) && c < 0x10000)
      if (hb_font_get_nominal_glyph(f->FImpl->Hb, c, &g) && g != 0) bmp[c >> 6] |= std::uint64_t(1) << (c & 63);
    hb_set_destroy(set);
    for (c = 0xF020; ownEncoding && c <= 0xF0FF; ++c)
      if (hb_font_get_nominal_glyph(f->FImpl->Hb, c, &g) && g != 0) bmp[c >> 6] |= std::uint64_t(1) << (c & 63);
  }
  cache[key] = f;
  return f;
}

UINT TFontFace::GlyphOf(char32_t c) const {
  hb_codepoint_t g = 0;
  if (hb_font_get_nominal_glyph(FImpl->Hb, c, &g)) return g;
  if (SymbolCmap && c >= 0x20 && c <= 0xFF && hb_font_get_nominal_glyph(FImpl->Hb, 0xF000 + c, &g))
    return g;
  return 0;
}



int TFontFace::GlyphAdvance(UINT glyph) const {
  return hb_font_get_glyph_h_advance(FImpl->Hb, glyph);
}

const QPainterPath& TFontFace::GlyphPath(UINT glyph) const {
  std::lock_guard lock(FontLock());
  auto it = FImpl->Paths.find(glyph);
  if (it != FImpl->Paths.end()) return it->second;
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  FT_Face ft = FImpl->Ft;
  if (FT_Load_Glyph(ft, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) == 0 &&
      ft->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Funcs funcs{MoveToCb, LineToCb, ConicToCb, CubicToCb, 0, 0};
    FT_Outline_Decompose(&ft->glyph->outline, &funcs, &path);
    path.closeSubpath();
  }
  return FImpl->Paths.emplace(glyph, std::move(path)).first->second;
}

DWORD TFontFace::GetTable(DWORD tag, DWORD offset, void* buffer, DWORD size) const {
  std::lock_guard lock(FontLock());
  FT_ULong len = 0;
  if (FT_Load_Sfnt_Table(FImpl->Ft, tag, 0, nullptr, &len) != 0) return GDI_ERROR;
  if (offset > len) return GDI_ERROR;
  const FT_ULong avail = len - offset;
  if (!buffer || size == 0) return static_cast<DWORD>(avail);
  const FT_ULong want = std::min<FT_ULong>(avail, size);
  if (offset == 0 && want == len) {
    if (FT_Load_Sfnt_Table(FImpl->Ft, tag, 0, static_cast<FT_Byte*>(buffer), &len) != 0) return GDI_ERROR;
    return static_cast<DWORD>(len);
  }
  std::vector<FT_Byte> all(len);
  if (FT_Load_Sfnt_Table(FImpl->Ft, tag, 0, all.data(), &len) != 0) return GDI_ERROR;
  std::memcpy(buffer, all.data() + offset, want);
  return static_cast<DWORD>(want);
}

// ---- realised fonts -----------------------------------------------------------------------------

namespace {

// The bounds of the caches of all fonts together and what they hold (see TFontCacheLimits).
struct TCacheBudget {
  std::atomic<std::size_t> ShapedLimit{TFontCacheLimits{}.ShapedTextBytes};
  std::atomic<std::size_t> ImageLimit{TFontCacheLimits{}.GlyphImageBytes};
  std::atomic<std::size_t> FontLimit{TFontCacheLimits{}.FontBytes};
  std::atomic<std::size_t> Shaped{0}, Images{0}, Fonts{0};
};

TCacheBudget& Budget() {
  static TCacheBudget b;
  return b;
}

// What a realised font holds of its own, its shape cache's table included.
std::size_t InstanceBytes();

// Realised fonts by their logical font's bytes (under the font lock).
std::map<std::string, std::shared_ptr<const TFontInstance>>& InstanceCache() {
  static std::map<std::string, std::shared_ptr<const TFontInstance>> cache;
  return cache;
}

// Every realised font alive, kept or not (under the font lock): a lower bound empties their caches.
std::unordered_set<const TFontInstance*>& LiveInstances() {
  static std::unordered_set<const TFontInstance*> live;
  return live;
}

}  // namespace

void TFontInstance::SetLimits(const TFontCacheLimits& limits) {
  TCacheBudget& b = Budget();
  b.ShapedLimit = limits.ShapedTextBytes;
  b.ImageLimit = limits.GlyphImageBytes;
  b.FontLimit = limits.FontBytes;
  // Caches already past a lowered bound start over.
  std::lock_guard lock(FontLock());
  if (b.Shaped.load() > limits.ShapedTextBytes)
    for (const TFontInstance* f : LiveInstances()) f->DropShaped();
  if (b.Images.load() > limits.GlyphImageBytes)
    for (const TFontInstance* f : LiveInstances()) f->DropImages();
  if (b.Fonts.load() > limits.FontBytes) {
    InstanceCache().clear();
    b.Fonts = 0;
  }
}

TFontCacheLimits TFontInstance::Limits() {
  const TCacheBudget& b = Budget();
  return {b.ShapedLimit.load(), b.ImageLimit.load(), b.FontLimit.load()};
}

TFontCacheLimits TFontInstance::Usage() {
  const TCacheBudget& b = Budget();
  return {b.Shaped.load(), b.Images.load(), b.Fonts.load()};
}

std::shared_ptr<const TFontInstance> TFontInstance::Get(const LOGFONTW& lf) {
  std::lock_guard lock(FontLock());
  auto& cache = InstanceCache();
  LOGFONTW key = lf;
  // Characters after the terminator do not name anything.
  bool end = false;
  for (auto& c : key.lfFaceName) {
    if (end) c = 0;
    if (c == 0) end = true;
  }
  key.lfFaceName[LF_FACESIZE - 1] = 0;
  std::string k(reinterpret_cast<const char*>(&key), sizeof key);
  auto it = cache.find(k);
  if (it != cache.end()) return it->second;
  auto inst = std::make_shared<TFontInstance>();
  inst->Log = key;
  inst->Init();
  const std::size_t each = InstanceBytes() + k.size();
  const std::size_t limit = Budget().FontLimit.load(std::memory_order_relaxed);
  if ((cache.size() + 1) * each > limit) cache.clear();
  if (each <= limit) cache[k] = inst;
  Budget().Fonts = cache.size() * each;
  return inst;
}

// Results of shaping, keyed by text and options: formatting measures the same words again and
// again. Two ways per set: a new result replaces the less recently used of its set. A result
// nobody holds any more is reused for the next one, so a steady stream of new texts allocates
// nothing. The results' bytes count against the bound of all fonts' shaped texts.
struct TShapeCache {
  static constexpr std::size_t Sets = 512;
  static constexpr int MaxKeptLength = 256;  // longer texts are not kept
  struct TSlot {
    std::u16string Key;
    std::shared_ptr<TShapedText> Text;
    std::size_t Bytes = 0;  // of the result and its key, counted in the budget
  };
  // Sets share a lock by their number, so threads measuring different texts rarely meet.
  struct alignas(64) TLock {
    std::mutex M;
  };
  std::array<TLock, 64> Locks;
  std::mutex& LockOf(std::size_t set) { return Locks[set % Locks.size()].M; }
  // Apart, and read without the lock: a text no way of its set holds the hash of is shaped
  // without waiting (they are written under the lock; a stale read only costs a lock or a shaping).
  std::vector<std::atomic<std::uint64_t>> Hashes = std::vector<std::atomic<std::uint64_t>>(2 * Sets);
  std::vector<TSlot> Slots = std::vector<TSlot>(2 * Sets);
  std::vector<std::uint8_t> Recent = std::vector<std::uint8_t>(Sets, 0);  // the way used last
};

namespace {

std::size_t InstanceBytes() {
  return sizeof(TFontInstance) + sizeof(TShapeCache) + 2 * TShapeCache::Sets * (sizeof(std::uint64_t) + sizeof(TShapeCache::TSlot)) +
         TShapeCache::Sets;
}

// Bytes of a shaped result, as its vectors hold them.
std::size_t ShapedBytes(const TShapedText& t) {
  return sizeof(TShapedText) + t.Glyphs.capacity() * sizeof(TShapedGlyph) +
         (t.Widths.capacity() + t.Order.capacity() + t.Leading.capacity() + t.Trailing.capacity()) * sizeof(int) +
         t.Levels.capacity() + t.Segments.capacity() * sizeof(TShapedText::TSegmentInfo);
}

}  // namespace

TFontInstance::TFontInstance() : FShapeCache(std::make_unique<TShapeCache>()) {
  static std::atomic<std::uint64_t> serial{0};
  FSerial = ++serial;
  std::lock_guard lock(FontLock());
  LiveInstances().insert(this);
}

TFontInstance::~TFontInstance() {
  std::lock_guard lock(FontLock());
  LiveInstances().erase(this);
  DropShaped();
  DropImages();
}

void TFontInstance::DropShaped() const {
  TShapeCache& cache = *FShapeCache;
  std::size_t dropped = 0;
  for (std::size_t set = 0; set < TShapeCache::Sets; ++set) {
    std::lock_guard lock(cache.LockOf(set));
    for (std::size_t way = 0; way < 2; ++way) {
      TShapeCache::TSlot& slot = cache.Slots[2 * set + way];
      dropped += slot.Bytes;
      slot = TShapeCache::TSlot{};
      cache.Hashes[2 * set + way].store(0, std::memory_order_relaxed);
    }
  }
  Budget().Shaped -= dropped;
}

TFontFace& TFontInstance::Face(int i) const { return *FFaces[static_cast<std::size_t>(i)]; }
int TFontInstance::FaceCount() const { return FFaceCount.load(std::memory_order_acquire); }

void TFontInstance::Init() {
  std::u16string face(Log.lfFaceName);
  if (!face.empty() && face[0] == u'@') {
    Vertical = true;
    face.erase(0, 1);
  }
  RequestedFace = face;
  const int weight = Log.lfWeight == 0 ? 400 : Log.lfWeight;
  TResolved r;
  std::shared_ptr<TFontFace> f;
  if (ResolveFace(face, weight, Log.lfItalic != 0, Log.lfCharSet, r)) f = TFontFace::Load(r.File, r.Index);
  if (!f && ResolveFace(u"Liberation Sans", weight, Log.lfItalic != 0, ANSI_CHARSET, r))
    f = TFontFace::Load(r.File, r.Index);
  if (!f && ResolveFace(u"sans-serif", 400, false, ANSI_CHARSET, r)) f = TFontFace::Load(r.File, r.Index);
  if (!f) {
    // Without any installed face nothing can be measured.
    throw EOutOfMemory(std::string_view("no usable font face is installed"));
  }
  FFaces[0] = f;
  FFaceCount.store(1, std::memory_order_release);
  // The shaping language follows the character set, never the process locale.
  if (const char* lang = LangOfCharset(Log.lfCharSet)) FLanguage = hb_language_from_string(lang, -1);
  const TFontFace& F = *f;
  const std::u16string lface = Lower(face);
  if (face.empty() || lface == Lower(F.Family) || SubstituteFaceName(face) != face)
    RealisedFace = face.empty() ? F.Family : face;
  else
    RealisedFace = F.Family;
  SynthBold = weight >= 600 && F.Weight < 600;
  SynthItalic = Log.lfItalic && !F.Italic;
  Antialiased = Log.lfQuality != NONANTIALIASED_QUALITY;

  const double upem = F.UnitsPerEm;
  const double cell = F.WinAscent + F.WinDescent > 0 ? F.WinAscent + F.WinDescent : upem;
  if (Log.lfHeight < 0)
    Ppem = -static_cast<double>(Log.lfHeight);
  else if (Log.lfHeight > 0)
    Ppem = Log.lfHeight * upem / cell;
  else
    Ppem = 16 * upem / cell;
  Scale = Ppem / upem;
  double avg = F.XAvgCharWidth > 0 ? F.XAvgCharWidth * Scale : 0;
  if (avg <= 0) {
    const UINT gx = F.GlyphOf(U'x');
    avg = (gx ? F.GlyphAdvance(gx) : upem / 2) * Scale;
  }
  if (Log.lfWidth != 0 && avg > 0) XScale = std::abs(Log.lfWidth) / avg;

  TEXTMETRICW& tm = TM;
  if (Log.lfHeight > 0) {
    tm.tmAscent = RoundHalfAway(F.WinAscent * Scale);
    tm.tmHeight = Log.lfHeight;
    tm.tmDescent = tm.tmHeight - tm.tmAscent;
  } else {
    tm.tmAscent = RoundHalfAway(F.WinAscent * Scale);
    tm.tmDescent = RoundHalfAway(F.WinDescent * Scale);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
  }
  tm.tmInternalLeading = tm.tmHeight - RoundHalfAway(Ppem);
  if (tm.tmInternalLeading < 0) tm.tmInternalLeading = 0;
  const double ext = F.HheaLineGap - ((F.WinAscent + F.WinDescent) - (F.HheaAscender - F.HheaDescender));
  tm.tmExternalLeading = ext > 0 ? RoundHalfAway(ext * Scale) : 0;
  tm.tmAveCharWidth = RoundHalfAway(avg * XScale);
  tm.tmMaxCharWidth = RoundHalfAway(F.AdvanceWidthMax * Scale * XScale);
  tm.tmWeight = Log.lfWeight == 0 ? FW_NORMAL : Log.lfWeight;
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = static_cast<WCHAR>(F.SymbolCmap ? 0x1E : std::max(F.FirstChar - 2, 0x1E));
  tm.tmLastChar = static_cast<WCHAR>(F.SymbolCmap ? 0xFF : std::min(F.LastChar, 0xFFFC));
  tm.tmDefaultChar = static_cast<WCHAR>(F.SymbolCmap ? 0x1F : 0x1F);
  tm.tmBreakChar = static_cast<WCHAR>(F.BreakChar ? F.BreakChar : 0x20);
  tm.tmItalic = Log.lfItalic ? 255 : 0;
  tm.tmUnderlined = Log.lfUnderline ? 255 : 0;
  tm.tmStruckOut = Log.lfStrikeOut ? 255 : 0;
  BYTE family = FF_SWISS;
  if (F.FixedPitch)
    family = FF_MODERN;
  else if (F.Panose[0] == 2 && F.Panose[1] >= 2 && F.Panose[1] <= 10)
    family = FF_ROMAN;
  else if (F.Panose[0] == 3)
    family = FF_SCRIPT;
  else if (F.Panose[0] == 4 || F.Panose[0] == 5)
    family = FF_DECORATIVE;
  tm.tmPitchAndFamily = static_cast<BYTE>((F.FixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR |
                                          (F.IsSfnt ? TMPF_TRUETYPE : 0) | family);
  if (F.SymbolCmap)
    tm.tmCharSet = SYMBOL_CHARSET;
  else
    tm.tmCharSet = Log.lfCharSet == DEFAULT_CHARSET ? ANSI_CHARSET : Log.lfCharSet;
}

// A character the font's own face lacks (the own face answers without a lock, inline): the
// others are looked up once per character.
int TFontInstance::OtherFaceFor(char32_t c) const {
  std::lock_guard lock(FontLock());
  auto it = FFaceOf.find(c);
  if (it != FFaceOf.end()) return it->second;
  int result = -1;
  const int count = FaceCount();
  for (int i = 1; i < count; ++i)
    if (FFaces[static_cast<std::size_t>(i)]->HasChar(c)) {
      result = i;
      break;
    }
  if (result < 0 && !FFaces[0]->SymbolCmap && count < MaxFaces) {
    if (auto f = FallbackFaceFor(c, Log.lfWeight >= 600, Log.lfItalic != 0)) {
      for (int i = 1; i < count && result < 0; ++i)
        if (FFaces[static_cast<std::size_t>(i)] == f) result = i;
      if (result < 0) {
        FFaces[static_cast<std::size_t>(count)] = f;
        FFaceCount.store(count + 1, std::memory_order_release);
        result = count;
      }
    }
  }
  FFaceOf[c] = result;
  return result;
}

namespace {

struct TRun {
  int Start, Length;
  bool Rtl;
};

struct TSegment {
  int Start, Length, Face;
  bool Rtl;
  hb_script_t Script;
};

// Where segmentation stands after a character: the face and the script it continues with.
struct TSegState {
  int Face = -2;
  hb_script_t Script = HB_SCRIPT_COMMON;
};

struct TRawGlyph {
  int Face;
  UINT Glyph;
  int Cluster;  // first code unit, relative to the shaped range
  double Advance, XOff, YOff;
  int Seg;
  bool Rotated = false;
  bool SafeBreak = false;  // the text may be cut before this glyph without changing the result
};

// Script and zero-width class of the characters of the basic plane, from one table.
class TCharTable {
 public:
  TCharTable() : FEntry(0x10000) {
    hb_unicode_funcs_t* uf = hb_unicode_funcs_get_default();
    std::uint16_t idx = 0;
    for (char32_t c = 0; c < 0x10000; ++c) {
      const hb_script_t sc = hb_unicode_script(uf, c);
      if (FScripts.empty() || FScripts[idx] != sc) {
        auto it = std::find(FScripts.begin(), FScripts.end(), sc);
        if (it == FScripts.end()) it = FScripts.insert(FScripts.end(), sc);
        idx = static_cast<std::uint16_t>(it - FScripts.begin());
      }
      const int8_t t = u_charType(static_cast<UChar32>(c));
      const bool zw = t == U_NON_SPACING_MARK || t == U_ENCLOSING_MARK || t == U_FORMAT_CHAR;
      FEntry[c] = static_cast<std::uint16_t>(idx | (zw ? 0x8000 : 0));
    }
  }
  hb_script_t Script(char32_t c) const {
    if (c < 0x10000) return FScripts[FEntry[c] & 0x7FFF];
    return hb_unicode_script(hb_unicode_funcs_get_default(), c);
  }
  // Both at once, from one look-up.
  hb_script_t ScriptAndWidth(char32_t c, bool& zeroWidth) const {
    if (c < 0x10000) {
      const std::uint16_t e = FEntry[c];
      zeroWidth = e & 0x8000;
      return FScripts[e & 0x7FFF];
    }
    zeroWidth = ZeroWidth(c);
    return Script(c);
  }
  bool ZeroWidth(char32_t c) const {
    if (c < 0x10000) return FEntry[c] & 0x8000;
    const int8_t t = u_charType(static_cast<UChar32>(c));
    return t == U_NON_SPACING_MARK || t == U_ENCLOSING_MARK || t == U_FORMAT_CHAR;
  }

 private:
  std::vector<std::uint16_t> FEntry;
  std::vector<hb_script_t> FScripts;
};

const TCharTable& Chars() {
  static const TCharTable table;
  return table;
}

// Characters that stand upright in vertical text: ideographs, kana, hangul, full-width forms.
bool UprightInVertical(char32_t c) {
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFF);
}

bool IsSimpleLatinScript(hb_script_t s) {
  return s == HB_SCRIPT_LATIN || s == HB_SCRIPT_CYRILLIC || s == HB_SCRIPT_GREEK ||
         s == HB_SCRIPT_COMMON || s == HB_SCRIPT_INHERITED || s == HB_SCRIPT_UNKNOWN;
}

// For each code unit of s[from, from + N): does it start a character with a width of its own.
void SpacingStarts(const char16_t* s, int n, int from, int N, std::vector<std::uint8_t>& out) {
  const TCharTable& chars = Chars();
  out.resize(static_cast<std::size_t>(N));
  for (int i = 0; i < N; ++i) {
    const char16_t c = s[from + i];
    out[static_cast<std::size_t>(i)] =
        c < 0xD800 || c >= 0xE000
            ? !chars.ZeroWidth(c)
            : !IsLowSurrogateAt(s, from + i) && !chars.ZeroWidth(CodePointAt(s, n, from + i));
  }
}

// Working space of one thread's shaping, kept from call to call.
struct TShapeWork {
  std::vector<TRun> Runs;
  std::vector<TSegment> Segs;
  std::vector<TRawGlyph> Raw;
  std::vector<int> ClusterEnd, FirstGlyph, LastGlyph, EndOf, Starts;
  std::vector<std::uint8_t> Spacing;  // code unit starts a character with a width of its own
  std::shared_ptr<TShapedText> Spare;  // a result given back by the cache, to shape into
  // Results of long texts (paragraphs, lines), not kept in the cache: they are shaped into
  // again once nobody holds them, so their memory stays warm.
  std::array<std::shared_ptr<TShapedText>, 8> Long;
  std::size_t NextLong = 0;
  // Results the cache had no room for (its bound reached): shaped into again once the callers
  // and the recent texts let go of them, so that a full cache does not cost an allocation and a
  // release of every new result.
  std::array<std::shared_ptr<TShapedText>, 8> Unkept;
  std::size_t NextUnkept = 0;
  std::vector<TSegState> After;  // state after each code unit (when asked for)
  TShapedText Part;
  hb_buffer_t* Buffer = hb_buffer_create();
  UBiDi* Bidi = nullptr;
  ~TShapeWork() {
    hb_buffer_destroy(Buffer);
    if (Bidi) ubidi_close(Bidi);
  }
};

TShapeWork& Work() {
  static thread_local TShapeWork w;
  return w;
}

// Step 1: directional runs of s[0, n) in visual order, and the level of each code unit.
void BidiRuns(const char16_t* s, int n, bool rtlReading, TShapeWork& w, std::vector<BYTE>& levels) {
  w.Runs.clear();
  if (rtlReading || NeedsBidi(s, n)) {
    UErrorCode err = U_ZERO_ERROR;
    if (!w.Bidi) w.Bidi = ubidi_open();
    if (!w.Bidi) err = U_MEMORY_ALLOCATION_ERROR;
    if (U_SUCCESS(err)) ubidi_setPara(w.Bidi, reinterpret_cast<const UChar*>(s), n, rtlReading ? 1 : 0, nullptr, &err);
    if (U_SUCCESS(err)) {
      const UBiDiLevel* lv = ubidi_getLevels(w.Bidi, &err);
      if (U_SUCCESS(err) && lv) std::copy(lv, lv + n, levels.begin());
      const int count = ubidi_countRuns(w.Bidi, &err);
      for (int i = 0; U_SUCCESS(err) && i < count; ++i) {
        int32_t start = 0, len = 0;
        const UBiDiDirection d = ubidi_getVisualRun(w.Bidi, i, &start, &len);
        w.Runs.push_back({start, len, d == UBIDI_RTL});
      }
    }
    if (U_FAILURE(err)) w.Runs.clear();
  }
  if (w.Runs.empty()) {
    w.Runs.push_back({0, n, false});
    std::fill(levels.begin(), levels.end(), 0);
  }
}

// Step 2: segments of one face and one script inside each run, in visual order. A run starts
// from the given state (fresh for a whole text, carried over for a piece of one); After[i - from]
// receives the state after code unit i when track is set.
void Segment(const TFontInstance& f, const char16_t* s, int n, int from, const TShapeOptions& opt, TSegState state,
             bool track, TShapeWork& w) {
  const TCharTable& chars = Chars();
  w.Segs.clear();
  if (track) w.After.resize(static_cast<std::size_t>(w.Runs.empty() ? 0 : w.Runs.back().Start + w.Runs.back().Length - from));
  for (const TRun& run : w.Runs) {
    const std::size_t first = w.Segs.size();
    int i = run.Start;
    const int end = run.Start + run.Length;
    int curFace = state.Face;
    hb_script_t curScript = state.Script;
    // The segment being extended is kept here and stored when the next one starts.
    TSegment cur{};
    bool open = false;
    while (i < end) {
      const char16_t u = s[i];
      const char32_t c = u >= 0xD800 && u <= 0xDBFF ? CodePointAt(s, n, i) : u;
      const int cw = c > 0xFFFF ? 2 : 1;
      int face = curFace;
      bool zeroWidth = false;
      hb_script_t sc = chars.ScriptAndWidth(c, zeroWidth);
      const bool joins = zeroWidth || c == 0x200D || c == 0x200C;
      if (!(joins && curFace != -2)) {
        face = opt.Fallback ? f.FaceFor(c) : 0;
        if (face < 0) face = 0;
      }
      if (sc == HB_SCRIPT_COMMON || sc == HB_SCRIPT_INHERITED || sc == HB_SCRIPT_UNKNOWN) sc = curScript;
      if (!open || face != curFace || (sc != curScript && curScript != HB_SCRIPT_COMMON)) {
        if (open) w.Segs.push_back(cur);
        cur = {i, 0, face, run.Rtl, sc};
        open = true;
      } else if (cur.Script == HB_SCRIPT_COMMON) {
        cur.Script = sc;
      }
      curFace = face;
      curScript = sc;
      cur.Length += cw;
      if (track) {
        w.After[static_cast<std::size_t>(i - from)] = {curFace, curScript};
        if (cw == 2) w.After[static_cast<std::size_t>(i + 1 - from)] = {curFace, curScript};
      }
      i += cw;
    }
    if (open) w.Segs.push_back(cur);
    if (run.Rtl) std::reverse(w.Segs.begin() + static_cast<std::ptrdiff_t>(first), w.Segs.end());
    state = TSegState{};
  }
}

// The shaper's objects of a face for this thread. The shaper's face and font objects keep
// caches (shaping plans, glyphs of characters, advances) that every call reads and writes:
// threads sharing them would pass their memory back and forth. Each thread makes its own over
// the same file data, alike in every setting; faces live as long as the process.
hb_font_t* ShaperFont(const TFontFace& F) {
  struct TThreadFonts {
    std::vector<std::pair<const TFontFace*, hb_font_t*>> Fonts;
    ~TThreadFonts() {
      for (auto& e : Fonts) hb_font_destroy(e.second);
    }
  };
  static thread_local TThreadFonts mine;
  for (const auto& e : mine.Fonts)
    if (e.first == &F) return e.second;
  const TFontFaceImpl& impl = *F.Impl();
  hb_font_t* shared = impl.OwnEncoding ? hb_font_get_parent(impl.Hb) : impl.Hb;
  hb_blob_t* blob = hb_face_reference_blob(hb_font_get_face(shared));
  hb_face_t* face = hb_face_create(blob, static_cast<unsigned>(F.Index) & 0xFFFF);
  hb_blob_destroy(blob);
  hb_font_t* font = hb_font_create(face);
  hb_face_destroy(face);
  if (F.Index >> 16) hb_font_set_var_named_instance(font, static_cast<unsigned>(F.Index >> 16) - 1);
  hb_font_set_scale(font, F.UnitsPerEm, F.UnitsPerEm);
  hb_ot_font_set_funcs(font);
  if (impl.OwnEncoding) {
    hb_font_t* sub = hb_font_create_sub_font(font);
    hb_font_set_funcs(sub, OwnEncodingFuncs(), nullptr, nullptr);
    hb_font_destroy(font);
    font = sub;
  }
  mine.Fonts.emplace_back(&F, font);
  return font;
}

// Step 3: glyphs of each segment, the whole text given as context; clusters relative to from.
void ShapeSegments(const TFontInstance& f, const hb_language_impl_t* language, const char16_t* s, int n,
                   int from, TShapeWork& w) {
  static const hb_feature_t plain[] = {{HB_TAG('k', 'e', 'r', 'n'), 0, 0, ~0u},
                                       {HB_TAG('l', 'i', 'g', 'a'), 0, 0, ~0u},
                                       {HB_TAG('c', 'l', 'i', 'g'), 0, 0, ~0u}};
  w.Raw.clear();
  hb_buffer_t* buf = w.Buffer;
  for (std::size_t si = 0; si < w.Segs.size(); ++si) {
    const TSegment& sg = w.Segs[si];
    const TFontFace& F = f.Face(sg.Face);
    hb_buffer_clear_contents(buf);
    hb_buffer_add_utf16(buf, reinterpret_cast<const uint16_t*>(s), n, static_cast<unsigned>(sg.Start), sg.Length);
    hb_buffer_set_direction(buf, sg.Rtl ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(buf, sg.Script == HB_SCRIPT_COMMON ? HB_SCRIPT_LATIN : sg.Script);
    hb_buffer_set_language(buf, language);
    hb_buffer_set_cluster_level(buf, HB_BUFFER_CLUSTER_LEVEL_MONOTONE_CHARACTERS);
    const bool simple = IsSimpleLatinScript(sg.Script);
    hb_shape(ShaperFont(F), buf, simple ? plain : nullptr, simple ? 3 : 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, &count);
    // Fallback faces may have another em size than the font's own face.
    const double sy = f.Ppem / F.UnitsPerEm, sx = sy * f.XScale;
    for (unsigned g = 0; g < count; ++g) {
      const int cluster = static_cast<int>(info[g].cluster);
      TRawGlyph& rg = w.Raw.emplace_back(TRawGlyph{sg.Face, info[g].codepoint, cluster - from, pos[g].x_advance * sx,
                                                   pos[g].x_offset * sx, -pos[g].y_offset * sy, static_cast<int>(si)});
      rg.SafeBreak = !(hb_glyph_info_get_glyph_flags(&info[g]) & HB_GLYPH_FLAG_UNSAFE_TO_BREAK);
      if (f.Vertical && cluster < n && UprightInVertical(CodePointAt(s, n, cluster))) {
        // A vertical face lays upright glyphs on their side, one cell height apart.
        rg.Rotated = true;
        rg.Advance = (F.WinAscent + F.WinDescent) * sy;
        rg.XOff = rg.YOff = 0;
      }
    }
  }
  hb_buffer_clear_contents(buf);
}

// Step 4: clusters. Glyphs of one segment with the same cluster value form a cluster, which
// covers the code units from its value up to the next cluster value of the segment. With
// monotone clusters that is the neighbour's value; other orders are sorted.
void Clusters(int from, int N, TShapeWork& w) {
  const std::size_t G = w.Raw.size();
  const std::vector<TRawGlyph>& raw = w.Raw;
  w.ClusterEnd.resize(G);
  std::size_t a = 0;
  while (a < G) {
    std::size_t b = a;
    bool up = true, down = true;
    while (b < G && raw[b].Seg == raw[a].Seg) {
      if (b > a) {
        up = up && raw[b].Cluster >= raw[b - 1].Cluster;
        down = down && raw[b].Cluster <= raw[b - 1].Cluster;
      }
      ++b;
    }
    const TSegment& sg = w.Segs[static_cast<std::size_t>(raw[a].Seg)];
    const int segEnd = sg.Start + sg.Length - from;
    if (up) {
      w.ClusterEnd[b - 1] = segEnd;
      for (std::size_t g = b - 1; g-- > a;)
        w.ClusterEnd[g] = raw[g + 1].Cluster == raw[g].Cluster ? w.ClusterEnd[g + 1] : raw[g + 1].Cluster;
    } else if (down) {
      w.ClusterEnd[a] = segEnd;
      for (std::size_t g = a + 1; g < b; ++g)
        w.ClusterEnd[g] = raw[g - 1].Cluster == raw[g].Cluster ? w.ClusterEnd[g - 1] : raw[g - 1].Cluster;
    } else {
      std::vector<int>& starts = w.Starts;
      starts.clear();
      for (std::size_t g = a; g < b; ++g) starts.push_back(raw[g].Cluster);
      std::sort(starts.begin(), starts.end());
      starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
      for (std::size_t g = a; g < b; ++g) {
        auto it = std::upper_bound(starts.begin(), starts.end(), raw[g].Cluster);
        w.ClusterEnd[g] = it == starts.end() ? segEnd : *it;
      }
    }
    a = b;
  }
  // Per cluster (keyed by its first code unit): its glyphs in drawing order.
  const std::size_t UN = static_cast<std::size_t>(N);
  w.FirstGlyph.assign(UN, -1);
  w.LastGlyph.assign(UN, -1);
  w.EndOf.assign(UN, 0);
  for (std::size_t g = 0; g < G; ++g) {
    if (raw[g].Cluster < 0) continue;
    const std::size_t c = static_cast<std::size_t>(raw[g].Cluster);
    if (c >= UN) continue;
    if (w.FirstGlyph[c] < 0) w.FirstGlyph[c] = static_cast<int>(g);
    w.LastGlyph[c] = static_cast<int>(g);
    w.EndOf[c] = w.ClusterEnd[g];
  }
}

// Step 5: character extra goes on every spacing character start of a cluster that has a width.
void CharacterExtra(int N, int extra, TShapeWork& w) {
  if (extra == 0) return;
  for (int c = 0; c < N; ++c) {
    const int first = w.FirstGlyph[static_cast<std::size_t>(c)];
    if (first < 0) continue;
    const int last = w.LastGlyph[static_cast<std::size_t>(c)];
    double adv = 0;
    for (int g = first; g <= last; ++g)
      if (w.Raw[static_cast<std::size_t>(g)].Cluster == c) adv += w.Raw[static_cast<std::size_t>(g)].Advance;
    if (adv == 0) continue;
    int k = 0;
    for (int i = c; i < w.EndOf[static_cast<std::size_t>(c)] && i < N; ++i) k += w.Spacing[static_cast<std::size_t>(i)];
    w.Raw[static_cast<std::size_t>(last)].Advance += static_cast<double>(extra) * std::max(k, 1);
  }
}

// A pen position rounded half away from zero, as std::lround rounds it, without the library
// call: the integer part and the exact remainder decide (positions are far inside an int).
inline int RoundPen(double x) {
  const long long t = static_cast<long long>(x);
  const double r = x - static_cast<double>(t);
  // Without branches: which way a position rounds cannot be predicted.
  return static_cast<int>(t + static_cast<long long>(r >= 0.5) - static_cast<long long>(r <= -0.5));
}

// Step 6: integer positions from rounded cumulative pen positions, starting at pen (prevX its
// rounded value).
void RoundPositions(double pen, int prevX, const TShapeWork& w, TShapedText& out) {
  const std::size_t G = w.Raw.size();
  // Results are shaped into again and again (see TShapeCache): capacity grows by powers of two,
  // and glyphs left from an earlier text are overwritten, not cleared first.
  if (out.Glyphs.capacity() < G) out.Glyphs.reserve(std::bit_ceil(std::max<std::size_t>(G, 8)));
  out.Glyphs.resize(G);
  for (std::size_t g = 0; g < G; ++g) {
    const TRawGlyph& rg = w.Raw[g];
    pen += rg.Advance;
    const int x = RoundPen(pen);
    TShapedGlyph& sg = out.Glyphs[g];
    sg.Face = rg.Face;
    sg.Glyph = rg.Glyph;
    sg.Cluster = rg.Cluster;
    sg.X = prevX;
    sg.Advance = x - prevX;
    sg.XOff = rg.XOff;
    sg.YOff = rg.YOff;
    sg.Rotated = rg.Rotated;
    sg.RawAdvance = rg.Advance;
    sg.SafeBreak = rg.SafeBreak;
    prevX = x;
  }
  out.Width = prevX;
}

// Step 7: per code unit data: each cluster's advance shared among its spacing characters, the
// drawing position and the caret x of both edges.
void CodeUnits(int N, const TShapeWork& w, TShapedText& out) {
  for (int c = 0; c < N; ++c) {
    const int first = w.FirstGlyph[static_cast<std::size_t>(c)];
    if (first < 0) continue;
    int adv = 0, left = INT32_MAX;
    for (int g = first; g <= w.LastGlyph[static_cast<std::size_t>(c)]; ++g) {
      const TShapedGlyph& gl = out.Glyphs[static_cast<std::size_t>(g)];
      if (gl.Cluster != c) continue;
      adv += gl.Advance;
      left = std::min(left, gl.X);
    }
    const bool rtl = w.Segs[static_cast<std::size_t>(w.Raw[static_cast<std::size_t>(first)].Seg)].Rtl;
    const int e = std::min(std::max(w.EndOf[static_cast<std::size_t>(c)], c + 1), N);
    int k = 0;
    for (int i = c; i < e; ++i) k += w.Spacing[static_cast<std::size_t>(i)];
    int before = 0, seen = 0;
    for (int i = c; i < e; ++i) {
      const std::size_t ui = static_cast<std::size_t>(i);
      int share = 0;
      if (k == 0) {
        share = i == c ? adv : 0;
      } else if (w.Spacing[ui]) {
        share = adv / k + (seen < adv % k ? 1 : 0);
        ++seen;
      }
      out.Widths[ui] = share;
      out.Order[ui] = first;
      if (rtl) {
        out.Leading[ui] = left + adv - before;
        out.Trailing[ui] = out.Leading[ui] - share;
      } else {
        out.Leading[ui] = left + before;
        out.Trailing[ui] = out.Leading[ui] + share;
      }
      before += share;
    }
  }
}

// Sizes the result for N code units; the per code unit arrays are filled by the steps (see
// ZeroCodeUnits).
void ResetShaped(TShapedText& out, int N, bool rtl) {
  const std::size_t UN = static_cast<std::size_t>(N);
  // Glyphs are sized (and every field written) when positions are rounded.
  if (out.Widths.capacity() < UN) {
    const std::size_t cap = std::bit_ceil(std::max<std::size_t>(UN, 8));
    for (auto* v : {&out.Widths, &out.Order, &out.Leading, &out.Trailing}) v->reserve(cap);
    out.Levels.reserve(cap);
  }
  out.Widths.resize(UN);
  out.Order.resize(UN);
  out.Leading.resize(UN);
  out.Trailing.resize(UN);
  out.Levels.assign(UN, rtl ? 1 : 0);
  out.Width = 0;
  out.Ok = true;
  out.Segments.clear();
  out.SimpleLtr = false;
  out.OneToOne = false;
}

void ZeroCodeUnits(TShapedText& out) {
  for (auto* v : {&out.Widths, &out.Order, &out.Leading, &out.Trailing}) std::fill(v->begin(), v->end(), 0);
}

// Whether the glyphs map one to one onto the code units (each its own cluster); FirstGlyph then
// holds each code unit's glyph.
bool OneGlyphPerCodeUnit(int N, TShapeWork& w) {
  if (w.Raw.size() != static_cast<std::size_t>(N)) return false;
  w.FirstGlyph.assign(static_cast<std::size_t>(N), -1);
  for (std::size_t g = 0; g < w.Raw.size(); ++g) {
    const int c = w.Raw[g].Cluster;
    if (c < 0 || c >= N || w.FirstGlyph[static_cast<std::size_t>(c)] >= 0) return false;
    w.FirstGlyph[static_cast<std::size_t>(c)] = static_cast<int>(g);
  }
  return true;
}

// Steps 3 to 7 over segments already found for s[from, from + N). True when each code unit
// has one glyph of its own.
bool ShapeFoundSegments(const TFontInstance& f, const hb_language_impl_t* language, const char16_t* s, int n,
                        int from, int N, int extra, double pen, int prevX, TShapeWork& w, TShapedText& out) {
  ShapeSegments(f, language, s, n, from, w);
  if (w.Raw.empty()) {
    out.Glyphs.clear();
    ZeroCodeUnits(out);
    out.Ok = false;
    return false;
  }
  if (OneGlyphPerCodeUnit(N, w)) {
    // The common case, most Latin and much Arabic text: every cluster one code unit and one
    // glyph, so a cluster's advance is its character's width and its edges are the glyph's.
    for (TRawGlyph& rg : w.Raw)
      if (rg.Advance != 0) rg.Advance += extra;
    RoundPositions(pen, prevX, w, out);
    for (std::size_t g = 0; g < w.Raw.size(); ++g) {
      const TShapedGlyph& gl = out.Glyphs[g];
      const auto c = static_cast<std::size_t>(gl.Cluster);
      out.Widths[c] = gl.Advance;
      out.Order[c] = static_cast<int>(g);
      const bool rtl = w.Segs[static_cast<std::size_t>(w.Raw[g].Seg)].Rtl;
      out.Leading[c] = rtl ? gl.X + gl.Advance : gl.X;
      out.Trailing[c] = rtl ? gl.X : gl.X + gl.Advance;
    }
    return true;
  }
  ZeroCodeUnits(out);  // code units that no glyph starts keep zeros
  Clusters(from, N, w);
  SpacingStarts(s, n, from, N, w.Spacing);
  CharacterExtra(N, extra, w);
  RoundPositions(pen, prevX, w, out);
  CodeUnits(N, w, out);
  return false;
}

// The cache's key: the text, then the options that change the result.
std::array<char16_t, 3> OptionChars(const TShapeOptions& opt) {
  return {static_cast<char16_t>((opt.RtlReading ? 1 : 0) | (opt.Fallback ? 2 : 0)),
          static_cast<char16_t>(static_cast<unsigned>(opt.CharExtra) & 0xFFFF),
          static_cast<char16_t>(static_cast<unsigned>(opt.CharExtra) >> 16)};
}

bool KeyMatches(const std::u16string& key, const char16_t* s, int n, const std::array<char16_t, 3>& o) {
  const auto un = static_cast<std::size_t>(n);
  return key.size() == un + 3 && std::equal(o.begin(), o.end(), key.begin() + n) &&
         std::char_traits<char16_t>::compare(key.data(), s, un) == 0;
}

// Texts shaped lately on this thread, with where the caller held them: a piece measured next
// is most often part of one of them (a word of a paragraph, a line of it).
struct TRecentText {
  std::uint64_t Font = 0;
  std::array<char16_t, 3> Options{};
  std::uintptr_t Origin = 0;
  std::u16string Text;
  std::shared_ptr<const TShapedText> Shaped;
};

struct TRecentTexts {
  static constexpr std::size_t Count = 4;
  std::array<TRecentText, Count> Texts;
  std::size_t Next = 0;
};

TRecentTexts& Recent() {
  static thread_local TRecentTexts r;
  return r;
}

// Remembers a result that pieces can be measured from, unless it is itself a piece of one
// already remembered.
void RememberRecent(std::uint64_t font, const std::array<char16_t, 3>& o, const char16_t* s, int n,
                    const std::shared_ptr<const TShapedText>& t) {
  if (n < 16 || !t->SimpleLtr || !t->Ok) return;
  TRecentTexts& r = Recent();
  const auto p = reinterpret_cast<std::uintptr_t>(s);
  const std::size_t bytes = static_cast<std::size_t>(n) * sizeof(char16_t);
  for (const TRecentText& e : r.Texts)
    if (e.Shaped && e.Font == font && e.Options == o && p >= e.Origin &&
        p + bytes <= e.Origin + e.Text.size() * sizeof(char16_t))
      return;
  TRecentText& e = r.Texts[r.Next];
  r.Next = (r.Next + 1) % TRecentTexts::Count;
  e.Font = font;
  e.Options = o;
  e.Origin = p;
  e.Text.assign(s, static_cast<std::size_t>(n));
  e.Shaped = t;
}

// The script the shaper is given for a segment and whether it takes the plain features.
std::pair<hb_script_t, bool> EffectiveScript(hb_script_t sc) {
  return {sc == HB_SCRIPT_COMMON ? HB_SCRIPT_LATIN : sc, IsSimpleLatinScript(sc)};
}

}  // namespace

// Whether s[0, m), a piece of the text of whole at a, falls into the same segments as there:
// each segment of the piece shaped alone lies in one of the whole's with the same face and
// script, and the piece's inner segment bounds are the whole's.
bool TFontInstance::SameSegments(const TShapedText& whole, const char16_t* s, int a, int m,
                                 const TShapeOptions& opt) const {
  if (m <= 0) return true;
  if (whole.Segments.size() == 1 && !whole.Segments[0].Rtl &&
      EffectiveScript(static_cast<hb_script_t>(whole.Segments[0].Script)) == EffectiveScript(HB_SCRIPT_COMMON)) {
    // One face and no script but Latin over the whole text: a piece falls into one segment of
    // that face and script too, unless its first character, a mark that joins what precedes it
    // in the whole, takes another face when it starts the text.
    int face = opt.Fallback ? FaceFor(CodePointAt(s, m, 0)) : 0;
    if (face < 0) face = 0;
    return face == whole.Segments[0].Face;
  }
  TShapeWork& w = Work();
  w.Runs.assign(1, TRun{0, m, false});
  Segment(*this, s, m, 0, opt, TSegState{}, false, w);
  std::size_t k = 0;
  const auto& ws = whole.Segments;
  for (const TSegment& ps : w.Segs) {
    const int start = a + ps.Start, end = start + ps.Length;
    while (k < ws.size() && ws[k].Start + ws[k].Length <= start) ++k;
    if (k == ws.size()) return false;
    const TShapedText::TSegmentInfo& g = ws[k];
    if (g.Start > start || (ps.Start > 0 && g.Start != start)) return false;
    if (g.Start + g.Length < end || (end < a + m && g.Start + g.Length != end)) return false;
    if (g.Face != ps.Face || g.Rtl || ps.Rtl) return false;
    if (EffectiveScript(static_cast<hb_script_t>(g.Script)) != EffectiveScript(ps.Script)) return false;
  }
  return true;
}

bool TFontInstance::MeasureFromRecent(const char16_t* s, int n, const TShapeOptions& opt, int maxExtent, int& fit,
                                      int& width, bool& widthKnown) const {
  fit = width = 0;
  widthKnown = false;
  if (n <= 0 || !s || opt.RtlReading || opt.CharExtra != 0) return false;
  const std::array<char16_t, 3> o = OptionChars(opt);
  const auto p = reinterpret_cast<std::uintptr_t>(s);
  const std::size_t un = static_cast<std::size_t>(n);
  for (const TRecentText& e : Recent().Texts) {
    if (!e.Shaped || e.Font != FSerial || e.Options != o || p < e.Origin) continue;
    if ((p - e.Origin) % sizeof(char16_t) != 0) continue;
    const std::size_t ua = (p - e.Origin) / sizeof(char16_t);
    if (ua + un > e.Text.size() || std::memcmp(e.Text.data() + ua, s, un * sizeof(char16_t)) != 0) continue;
    const TShapedText& t = *e.Shaped;
    const int a = static_cast<int>(ua), N = static_cast<int>(e.Text.size());
    if (!t.SimpleLtr || static_cast<int>(t.Glyphs.size()) != N) return false;
    // One glyph per code unit over the piece, so glyph a + j is code unit a + j; the cuts safe.
    const auto& G = t.Glyphs;
    if (!t.OneToOne)
      for (int j = 0; j < n; ++j)
        if (G[ua + static_cast<std::size_t>(j)].Cluster != a + j) return false;
    if (a > 0 && !G[ua].SafeBreak) return false;
    if (a + n < N && (G[ua + un].Cluster != a + n || !G[ua + un].SafeBreak)) return false;
    if (!SameSegments(t, s, a, n, opt)) return false;
    // Rounded positions as the piece's own shaping makes them, from its own start. A position
    // rounds (half away from zero) past maxExtent exactly when the pen reaches maxExtent + 0.5,
    // so only the last one is rounded.
    const double limit = maxExtent >= 0 ? maxExtent + 0.5 : std::numeric_limits<double>::infinity();
    double pen = 0;
    int j = 0;
    for (; j < n; ++j) {
      const double next = pen + G[ua + static_cast<std::size_t>(j)].RawAdvance;
      if (next >= limit) break;
      pen = next;
    }
    fit = j;
    width = static_cast<int>(std::lround(pen));
    widthKnown = j == n || j == 0 || (G[ua + static_cast<std::size_t>(j)].SafeBreak && SameSegments(t, s, a, j, opt));
    if (!widthKnown) width = 0;
    return true;
  }
  return false;
}

void TFontInstance::ShapeUncached(const char16_t* s, int n, const TShapeOptions& opt, TShapedText& out) const {
  ResetShaped(out, std::max(n, 0), opt.RtlReading);
  if (n <= 0 || !s) {
    out.Glyphs.clear();
    out.Levels.clear();
    return;
  }
  TShapeWork& w = Work();
  BidiRuns(s, n, opt.RtlReading, w, out.Levels);
  Segment(*this, s, n, 0, opt, TSegState{}, false, w);
  out.Segments.clear();
  for (const TSegment& sg : w.Segs)
    out.Segments.push_back({sg.Start, sg.Length, sg.Face, static_cast<std::uint32_t>(sg.Script), sg.Rtl});
  out.SimpleLtr = !opt.RtlReading && opt.CharExtra == 0 && w.Runs.size() == 1 && !w.Runs[0].Rtl;
  // Glyphs of one left-to-right run come in the order of their clusters.
  out.OneToOne = ShapeFoundSegments(*this, FLanguage, s, n, 0, n, opt.CharExtra, 0, 0, w, out) && out.SimpleLtr;
}

std::shared_ptr<const TShapedText> TFontInstance::Shaped(const char16_t* s, int n, const TShapeOptions& opt) const {
  if (n <= 0 || !s) return std::make_shared<const TShapedText>();
  TShapeWork& w = Work();
  const std::array<char16_t, 3> o = OptionChars(opt);
  if (n > TShapeCache::MaxKeptLength) {
    // Long texts are seldom asked for again whole; their pieces are measured from the recent
    // texts. Shaping them into the cache would spread them over memory the processor no
    // longer holds.
    std::shared_ptr<TShapedText>* into = nullptr;
    for (auto& l : w.Long)
      if (l && l.use_count() == 1) {
        into = &l;
        break;
      }
    if (!into) {
      into = &w.Long[w.NextLong];
      w.NextLong = (w.NextLong + 1) % w.Long.size();
      *into = std::make_shared<TShapedText>();
    }
    ShapeUncached(s, n, opt, **into);
    std::shared_ptr<const TShapedText> r = *into;
    RememberRecent(FSerial, o, s, n, r);
    return r;
  }
  const std::uint64_t hash = std::hash<std::u16string_view>()(std::u16string_view(s, static_cast<std::size_t>(n))) ^
                             ((static_cast<std::uint64_t>(o[0]) << 32 | static_cast<std::uint64_t>(o[1]) << 16 | o[2]) *
                              0x9E3779B97F4A7C15ull);
  TShapeCache& cache = *FShapeCache;
  const std::size_t set = static_cast<std::size_t>(hash % TShapeCache::Sets);
  if (cache.Hashes[2 * set].load(std::memory_order_relaxed) == hash ||
      cache.Hashes[2 * set + 1].load(std::memory_order_relaxed) == hash) {
    std::lock_guard lock(cache.LockOf(set));
    for (std::size_t way = 0; way < 2; ++way) {
      TShapeCache::TSlot& slot = cache.Slots[2 * set + way];
      if (cache.Hashes[2 * set + way].load(std::memory_order_relaxed) == hash && slot.Text &&
          KeyMatches(slot.Key, s, n, o)) {
        cache.Recent[set] = static_cast<std::uint8_t>(way);
        std::shared_ptr<const TShapedText> found = slot.Text;
        RememberRecent(FSerial, o, s, n, found);
        return found;
      }
    }
  }
  if (!w.Spare || w.Spare.use_count() != 1) {
    w.Spare.reset();
    for (auto& u : w.Unkept)
      if (u && u.use_count() == 1) {
        w.Spare = std::move(u);
        break;
      }
    if (!w.Spare) w.Spare = std::make_shared<TShapedText>();
  }
  std::shared_ptr<TShapedText> r = std::move(w.Spare);
  ShapeUncached(s, n, opt, *r);
  bool kept = false;
  {
    std::lock_guard lock(cache.LockOf(set));
    const std::size_t way = cache.Recent[set] ^ 1u;
    TShapeCache::TSlot& slot = cache.Slots[2 * set + way];
    // Kept within the budget of all fonts: at the bound a result replaces only a larger one.
    TCacheBudget& b = Budget();
    const std::size_t bytes = ShapedBytes(*r) + (static_cast<std::size_t>(n) + o.size()) * sizeof(char16_t);
    if (bytes <= slot.Bytes || b.Shaped.load(std::memory_order_relaxed) + bytes - slot.Bytes <=
                                   b.ShapedLimit.load(std::memory_order_relaxed)) {
      cache.Recent[set] = static_cast<std::uint8_t>(way);
      cache.Hashes[2 * set + way].store(hash, std::memory_order_relaxed);
      slot.Key.assign(s, static_cast<std::size_t>(n));
      slot.Key.append(o.begin(), o.end());
      w.Spare = std::move(slot.Text);
      slot.Text = r;
      const std::size_t now = ShapedBytes(*r) + slot.Key.capacity() * sizeof(char16_t);
      // One update of the shared count (the difference wraps as the count does).
      b.Shaped.fetch_add(now - slot.Bytes, std::memory_order_relaxed);
      slot.Bytes = now;
      kept = true;
    }
  }
  if (!kept) {
    w.Unkept[w.NextUnkept] = r;
    w.NextUnkept = (w.NextUnkept + 1) % w.Unkept.size();
  }
  // The replaced result is reused only when no caller holds it any more.
  if (w.Spare && w.Spare.use_count() != 1) w.Spare.reset();
  RememberRecent(FSerial, o, s, n, r);
  return r;
}

void TFontInstance::Shape(const char16_t* s, int n, const TShapeOptions& opt, TShapedText& out) const {
  if (n <= 0 || !s) {
    out = TShapedText{};
    return;
  }
  out = *Shaped(s, n, opt);
}

int TFontInstance::Fit(const char16_t* s, int n, const TShapeOptions& opt, int maxExtent, int* dx, int& extent) const {
  extent = 0;
  if (n <= 0 || !s) return 0;
  // From a complete result: every code unit in turn until the extent is passed.
  auto fromWhole = [&](const TShapedText& t) {
    int sum = 0;
    for (int i = 0; i < n; ++i) {
      const int next = sum + t.Widths[static_cast<std::size_t>(i)];
      if (dx) dx[i] = next;
      if (next > maxExtent) return i;
      sum = extent = next;
    }
    return n;
  };
  // Texts of a paragraph's length are shaped whole (and kept, for measuring their pieces next).
  if (opt.RtlReading || n <= 1024) return fromWhole(*Shaped(s, n, opt));
  // Left-to-right text in pieces. A piece is kept up to its last cluster that the shaper marks
  // safe to cut before, some way back from the piece's end and after the script is settled; the
  // next piece starts there with the pen and the segmentation state carried over, so positions
  // and rounding come out as for the whole text. Right-to-left text changes the order, so any
  // piece holding some goes back to shaping the whole text.
  constexpr int Margin = 32;
  // A cut where the script is not settled yet (digits, punctuation) is safe only when no letter
  // of another script follows: such a letter would give the whole segment its script.
  const TCharTable& chars = Chars();
  int settledFrom = n;
  while (settledFrom > 0) {
    const hb_script_t sc = chars.Script(CodePointAt(s, n, settledFrom - 1));
    if (sc != HB_SCRIPT_COMMON && sc != HB_SCRIPT_INHERITED && sc != HB_SCRIPT_UNKNOWN) break;
    --settledFrom;
  }
  TShapeWork& w = Work();
  TShapedText& part = w.Part;
  int pos = 0, prevX = 0, sum = 0, window = 128;
  double pen = 0;
  TSegState state;
  while (pos < n) {
    int end = std::min(n, pos + window);
    if (end < n && IsLowSurrogateAt(s, end)) ++end;
    if (NeedsBidi(s + pos, end - pos)) {
      extent = 0;
      return fromWhole(*Shaped(s, n, opt));
    }
    const int N = end - pos;
    ResetShaped(part, N, false);
    w.Runs.assign(1, TRun{pos, N, false});
    Segment(*this, s, n, pos, opt, state, true, w);
    ShapeFoundSegments(*this, FLanguage, s, n, pos, N, opt.CharExtra, pen, prevX, w, part);
    int stop = N, stopGlyph = -1;
    if (end < n) {
      stop = -1;
      for (std::size_t g = w.Raw.size(); g-- > 0;) {
        const TRawGlyph& rg = w.Raw[g];
        if (rg.Cluster <= 0 || rg.Cluster > N - Margin) continue;
        if (!rg.SafeBreak || w.FirstGlyph[static_cast<std::size_t>(rg.Cluster)] != static_cast<int>(g)) continue;
        if (w.After[static_cast<std::size_t>(rg.Cluster - 1)].Script == HB_SCRIPT_COMMON && pos + rg.Cluster < settledFrom)
          continue;
        stop = rg.Cluster;
        stopGlyph = static_cast<int>(g);
        break;
      }
      if (stop < 0) {
        window *= 2;  // no place to cut: a longer piece
        continue;
      }
    }
    for (int i = 0; i < stop; ++i) {
      const int next = sum + part.Widths[static_cast<std::size_t>(i)];
      if (dx) dx[pos + i] = next;
      if (next > maxExtent) return pos + i;
      sum = extent = next;
    }
    if (stopGlyph >= 0) {
      for (int g = 0; g < stopGlyph; ++g) pen += w.Raw[static_cast<std::size_t>(g)].Advance;
      prevX = part.Glyphs[static_cast<std::size_t>(stopGlyph)].X;
      state = w.After[static_cast<std::size_t>(stop - 1)];
    }
    pos += stop;
    window = std::min(window * 2, 4096);
  }
  return n;
}

int TFontInstance::Width(const char16_t* s, int n, const TShapeOptions& opt) const {
  if (n <= 0 || !s) return 0;
  if (n <= LongText || opt.RtlReading) return Shaped(s, n, opt)->Width;
  // The width is the sum of the code units' widths: fitting without a limit gives it.
  int extent = 0;
  Fit(s, n, opt, std::numeric_limits<int>::max(), nullptr, extent);
  return extent;
}

int TFontInstance::CharWidth(char32_t c) const {
  // A character of a simple script with a glyph of its own has its nominal advance; anything the
  // shaper might change is shaped.
  const TCharTable& chars = Chars();
  if (!Vertical && c >= 0x20 && (c < 0x7F || c > 0x9F) && (c < 0xD800 || c > 0xDFFF) && c <= 0x10FFFF &&
      !chars.ZeroWidth(c) && c != 0xAD && IsSimpleLatinScript(chars.Script(c)) &&
      chars.Script(c) != HB_SCRIPT_INHERITED && chars.Script(c) != HB_SCRIPT_UNKNOWN) {
    const int face = FaceFor(c);
    if (face >= 0) {
      const TFontFace& F = Face(face);
      if (const UINT g = F.GlyphOf(c)) {
        const double sy = Ppem / F.UnitsPerEm, sx = sy * XScale;
        return static_cast<int>(std::lround(F.GlyphAdvance(g) * sx));
      }
    }
  }
  char16_t buf[2];
  int n = 1;
  if (c > 0xFFFF) {
    buf[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    buf[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    n = 2;
  } else {
    buf[0] = static_cast<char16_t>(c);
  }
  TShapedText& t = Work().Part;
  ShapeUncached(buf, n, TShapeOptions{}, t);
  return t.Width;
}

const QPainterPath& TFontInstance::GlyphOutline(int face, UINT glyph, bool rotated) const {
  std::lock_guard lock(FontLock());
  face = std::clamp(face, 0, FaceCount() - 1);
  const std::uint64_t key = (static_cast<std::uint64_t>(face) << 33) | (static_cast<std::uint64_t>(rotated) << 32) | glyph;
  auto it = FOutlines.find(key);
  if (it != FOutlines.end()) return it->second;
  if (FOutlines.size() > 20000) FOutlines.clear();
  const TFontFace& F = *FFaces[static_cast<std::size_t>(face)];
  const QPainterPath& p = F.GlyphPath(glyph);
  const double sc = Ppem / F.UnitsPerEm;
  // Styles the face itself lacks are imitated (each fallback face on its own terms).
  const bool italic = face == 0 ? SynthItalic : Log.lfItalic && !F.Italic;
  const bool bold = face == 0 ? SynthBold : Log.lfWeight >= 600 && F.Weight < 600;
  QTransform t(sc * XScale, 0, 0, -sc, 0, 0);
  if (italic) t = QTransform(sc * XScale, 0, 0.2 * sc, -sc, 0, 0);
  QPainterPath r = t.map(p);
  if (bold && !r.isEmpty()) {
    QPainterPathStroker st;
    st.setWidth(std::max(Ppem / 28.0, 0.5));
    st.setJoinStyle(Qt::RoundJoin);
    r = r.united(st.createStroke(r));
  }
  if (rotated) r = QTransform(0, -1, 1, 0, F.WinAscent * sc, 0).map(r);
  return FOutlines.emplace(key, std::move(r)).first->second;
}

const QImage& TFontInstance::GlyphImage(int face, UINT glyph, bool rotated, double sx, double sy, int subX,
                                        COLORREF color, QPoint& offset) const {
  std::lock_guard lock(FontLock());
  face = std::clamp(face, 0, FaceCount() - 1);
  const float fx = static_cast<float>(sx), fy = static_cast<float>(sy);
  std::uint32_t bx, by;
  std::memcpy(&bx, &fx, 4);
  std::memcpy(&by, &fy, 4);
  const TImageKey key{(static_cast<std::uint64_t>(face & 0x7F) << 57) | (static_cast<std::uint64_t>(rotated) << 56) |
                          (static_cast<std::uint64_t>(glyph & 0xFFFFFF) << 32) |
                          (static_cast<std::uint64_t>(subX & 3) << 24) | (color & 0xFFFFFF),
                      (static_cast<std::uint64_t>(bx) << 32) | by};
  auto it = FImages.find(key);
  if (it != FImages.end()) {
    offset = it->second.Offset;
    return it->second.Image;
  }
  if (FImages.size() > 8192) DropImages();
  const QTransform t(sx, 0, 0, sy, subX / 4.0, 0);
  const QPainterPath path = t.map(GlyphOutline(face, glyph, rotated));
  TGlyphImage gi;
  const QRectF b = path.boundingRect();
  if (!path.isEmpty() && b.width() < 4096 && b.height() < 4096) {
    const int left = static_cast<int>(std::floor(b.left())) - 1, top = static_cast<int>(std::floor(b.top())) - 1;
    const int w = static_cast<int>(std::ceil(b.right())) + 1 - left, h = static_cast<int>(std::ceil(b.bottom())) + 1 - top;
    gi.Image = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    gi.Image.fill(Qt::transparent);
    QPainter p(&gi.Image);
    p.setRenderHint(QPainter::Antialiasing, Antialiased);
    p.translate(-left, -top);
    p.fillPath(path, QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    p.end();
    gi.Offset = QPoint(left, top);
  }
  // Bounded by bytes with every font's images: this font's start over when the new one would
  // pass the bound, and a glyph that still does not fit is drawn without being kept.
  TCacheBudget& budget = Budget();
  const auto bytes = static_cast<std::size_t>(gi.Image.sizeInBytes());
  const std::size_t limit = budget.ImageLimit.load(std::memory_order_relaxed);
  if (budget.Images.load(std::memory_order_relaxed) + bytes > limit) DropImages();
  if (budget.Images.load(std::memory_order_relaxed) + bytes > limit) {
    FUnkept = std::move(gi);
    offset = FUnkept.Offset;
    return FUnkept.Image;
  }
  FImageBytes += bytes;
  budget.Images += bytes;
  auto& slot = FImages.emplace(key, std::move(gi)).first->second;
  offset = slot.Offset;
  return slot.Image;
}

void TFontInstance::DropImages() const {
  FImages.clear();
  Budget().Images -= FImageBytes;
  FImageBytes = 0;
}

void TFontInstance::ForgetGlyphs() const {
  std::lock_guard lock(FontLock());
  DropImages();
  FOutlines.clear();
  for (int i = 0; i < FaceCount(); ++i) FFaces[static_cast<std::size_t>(i)]->Impl()->Paths.clear();
}

std::size_t TFontInstance::GlyphImageBytes() const {
  std::lock_guard lock(FontLock());
  return FImageBytes;
}

void TFontInstance::UnderlineBand(double& top, double& size) const {
  const TFontFace& F = *FFaces[0];
  size = std::max(1.0, std::round(F.UnderlineThickness * Scale));
  top = std::round(-F.UnderlinePosition * Scale - size / 2);
  if (top < 1) top = 1;
}

void TFontInstance::StrikeOutBand(double& top, double& size) const {
  const TFontFace& F = *FFaces[0];
  size = std::max(1.0, std::round(F.StrikeoutSize * Scale));
  top = -std::round(F.StrikeoutPosition * Scale);
}

UINT TFontInstance::FillOutlineMetrics(UINT size, OUTLINETEXTMETRICW* otm) const {
  std::lock_guard lock(FontLock());
  const TFontFace& F = *FFaces[0];
  if (!F.IsSfnt) return 0;
  const std::u16string names[4] = {F.Family, RealisedFace, F.Style, F.FullName};
  UINT need = sizeof(OUTLINETEXTMETRICW);
  UINT offs[4];
  for (int i = 0; i < 4; ++i) {
    offs[i] = need;
    need += static_cast<UINT>((names[i].size() + 1) * sizeof(char16_t));
  }
  if (!otm) return need;
  if (size < sizeof(OUTLINETEXTMETRICW)) return 0;
  OUTLINETEXTMETRICW o;
  const double sc = Scale, sx = Scale * XScale;
  o.otmSize = need;
  o.otmTextMetrics = TM;
  std::memcpy(&o.otmPanoseNumber, F.Panose, 10);
  o.otmfsSelection = static_cast<UINT>((Log.lfItalic ? 1 : 0) | (Log.lfUnderline ? 2 : 0) |
                                       (Log.lfStrikeOut ? 16 : 0) | (TM.tmWeight >= 600 ? 32 : 0));
  o.otmfsType = static_cast<UINT>(F.FsType);
  o.otmsCharSlopeRise = F.CaretSlopeRise;
  o.otmsCharSlopeRun = F.CaretSlopeRun;
  o.otmItalicAngle = static_cast<INT>(std::lround(F.ItalicAngle * 10));
  o.otmEMSquare = static_cast<UINT>(F.UnitsPerEm);
  o.otmAscent = RoundHalfAway(F.TypoAscender * sc);
  o.otmDescent = RoundHalfAway(F.TypoDescender * sc);
  o.otmLineGap = static_cast<UINT>(std::max<LONG>(0, RoundHalfAway(F.TypoLineGap * sc)));
  o.otmsCapEmHeight = static_cast<UINT>(std::max<LONG>(0, RoundHalfAway(F.CapHeight * sc)));
  o.otmsXHeight = static_cast<UINT>(std::max<LONG>(0, RoundHalfAway(F.XHeight * sc)));
  o.otmrcFontBox = TRect(RoundHalfAway(F.XMin * sx), RoundHalfAway(F.YMax * sc), RoundHalfAway(F.XMax * sx),
                         RoundHalfAway(F.YMin * sc));
  o.otmMacAscent = RoundHalfAway(F.HheaAscender * sc);
  o.otmMacDescent = RoundHalfAway(F.HheaDescender * sc);
  o.otmMacLineGap = static_cast<UINT>(std::max<LONG>(0, RoundHalfAway(F.HheaLineGap * sc)));
  o.otmusMinimumPPEM = static_cast<UINT>(F.LowestRecPPEM);
  o.otmptSubscriptSize = TPoint(RoundHalfAway(F.SubXSize * sx), RoundHalfAway(F.SubYSize * sc));
  o.otmptSubscriptOffset = TPoint(RoundHalfAway(F.SubXOffset * sx), RoundHalfAway(F.SubYOffset * sc));
  o.otmptSuperscriptSize = TPoint(RoundHalfAway(F.SupXSize * sx), RoundHalfAway(F.SupYSize * sc));
  o.otmptSuperscriptOffset = TPoint(RoundHalfAway(F.SupXOffset * sx), RoundHalfAway(F.SupYOffset * sc));
  o.otmsStrikeoutSize = static_cast<UINT>(std::max<LONG>(1, RoundHalfAway(F.StrikeoutSize * sc)));
  o.otmsStrikeoutPosition = RoundHalfAway(F.StrikeoutPosition * sc);
  o.otmsUnderscoreSize = RoundHalfAway(F.UnderlineThickness * sc);
  if (o.otmsUnderscoreSize == 0) o.otmsUnderscoreSize = 1;
  o.otmsUnderscorePosition = RoundHalfAway(F.UnderlinePosition * sc);
  o.otmpFamilyName = offs[0];
  o.otmpFaceName = offs[1];
  o.otmpStyleName = offs[2];
  o.otmpFullName = offs[3];
  const UINT head = std::min<UINT>(size, sizeof o);
  std::memcpy(otm, &o, head);
  auto* bytes = reinterpret_cast<BYTE*>(otm);
  for (int i = 0; i < 4; ++i) {
    const UINT len = static_cast<UINT>((names[i].size() + 1) * sizeof(char16_t));
    if (offs[i] + len > size) break;
    std::memcpy(bytes + offs[i], names[i].c_str(), len);
  }
  return std::min(size, need);
}

// Replaces the shaped advances by the caller's, one per code unit: each cluster becomes as wide
// as its characters' advances and its glyphs keep their places inside it.
void ApplyAdvances(TShapedText& t, const int* dx, int n) {
  int pen = 0, cur = -1, clusterX = 0, clusterLeft = 0;
  // Working arrays kept per thread (code units no glyph starts read zeros).
  static thread_local std::vector<int> clusterStartX, clusterAdv;
  clusterStartX.assign(static_cast<std::size_t>(n), 0);
  clusterAdv.assign(static_cast<std::size_t>(n), 0);
  for (auto& g : t.Glyphs) {
    if (g.Cluster != cur) {
      cur = g.Cluster;
      clusterX = pen;
      clusterLeft = g.X;
      int adv = 0;
      const auto ci = static_cast<std::size_t>(cur);
      for (int i = cur; i < n; ++i) {
        if (i > cur && t.Order[static_cast<std::size_t>(i)] != t.Order[ci]) break;
        adv += dx[i];
      }
      if (cur < n) {
        clusterStartX[ci] = clusterX;
        clusterAdv[ci] = adv;
      }
      pen += adv;
    }
    g.X = clusterX + (g.X - clusterLeft);
  }
  // Advances from the new positions.
  for (std::size_t j = 0; j < t.Glyphs.size(); ++j)
    t.Glyphs[j].Advance = (j + 1 < t.Glyphs.size() ? t.Glyphs[j + 1].X : pen) - t.Glyphs[j].X;
  for (int c = 0; c < n;) {
    const auto uc = static_cast<std::size_t>(c);
    int e = c + 1;
    while (e < n && t.Order[static_cast<std::size_t>(e)] == t.Order[uc]) ++e;
    const bool rtl = t.Levels[uc] & 1;
    int before = 0;
    for (int i = c; i < e; ++i) {
      const auto ui = static_cast<std::size_t>(i);
      t.Widths[ui] = dx[i];
      if (rtl) {
        t.Leading[ui] = clusterStartX[uc] + clusterAdv[uc] - before;
        t.Trailing[ui] = t.Leading[ui] - dx[i];
      } else {
        t.Leading[ui] = clusterStartX[uc] + before;
        t.Trailing[ui] = t.Leading[ui] + dx[i];
      }
      before += dx[i];
    }
    c = e;
  }
  t.Width = pen;
}
