#include "platform/graphics/ScriptString.h"

#include <hb.h>
#include <unicode/ubidi.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/graphics/GdiInternal.h"

class TScriptStringAnalysis {
 public:
  HDC DC = nullptr;
  std::shared_ptr<const TFontInstance> Font;
  std::u16string Text;
  TShapeOptions Opt;
  int OutChars = 0;
  SIZE Size;
  // The shaping of Text[0, OutChars): the font's kept result, or Own when the caller gave the
  // advances. Measured only: nothing is shaped until something beyond the size is asked.
  std::shared_ptr<const TShapedText> Kept;
  TShapedText Own;
  bool UseOwn = false;
  bool MeasuredOnly = false;

  const TShapedText& Shaped() {
    if (MeasuredOnly) {
      MeasuredOnly = false;
      Kept = OutChars > 0 ? Font->Shaped(Text.data(), OutChars, Opt) : std::make_shared<const TShapedText>();
    }
    if (UseOwn) return Own;
    static const TShapedText empty;
    return Kept ? *Kept : empty;
  }
};

// Remembers the last shaping of a run so that placing its glyphs gives the shaped positions.
class TScriptCache {
 public:
  std::shared_ptr<const TFontInstance> Font;
  std::vector<WORD> Glyphs;
  std::vector<int> Advances;
  std::vector<GOFFSET> Offsets;
};

namespace {

std::shared_ptr<const TFontInstance> FontOf(HDC dc) {
  TDeviceContext* c = DCLookup(dc);
  if (!c) return nullptr;
  auto* f = c->SelectedFont();
  return f ? f->Shared() : nullptr;
}

void Draw(TDeviceContext* c, const TFontInstance& f, const std::vector<TPlacedGlyph>& glyphs,
          const std::vector<int>& dx, double width, int x, int y, UINT options, const RECT* rect) {
  TTextRequest req;
  req.X = x;
  req.Y = y;
  req.Options = ETO_GLYPH_INDEX | (options & (ETO_CLIPPED | ETO_OPAQUE));
  req.HasRect = rect != nullptr;
  if (rect) req.Rect = *rect;
  req.Font = &f;
  for (const auto& g : glyphs) req.Text.push_back(static_cast<char16_t>(g.Glyph));
  req.Dx = dx;
  req.Glyphs = glyphs;
  PlaceTextRun(*c, width, req);
  if (!c->Backend) return;
  if ((options & ETO_OPAQUE) && !rect && c->S.BkMode != OPAQUE) {
    TDCState s = c->S;
    s.BkMode = OPAQUE;
    c->Backend->DrawText(s, req);
  } else {
    c->Backend->DrawText(c->S, req);
  }
}

// Analyses are made and freed once per measured run: a few are kept per thread, with the
// capacity of their text and arrays, so that measuring allocates nothing.
struct TAnalysisPool {
  std::vector<std::unique_ptr<TScriptStringAnalysis>> Free;
};

TAnalysisPool& Pool() {
  static thread_local TAnalysisPool pool;
  return pool;
}

std::unique_ptr<TScriptStringAnalysis> TakeAnalysis() {
  TAnalysisPool& p = Pool();
  if (p.Free.empty()) return std::make_unique<TScriptStringAnalysis>();
  std::unique_ptr<TScriptStringAnalysis> a = std::move(p.Free.back());
  p.Free.pop_back();
  return a;
}

void GiveBackAnalysis(std::unique_ptr<TScriptStringAnalysis> a) {
  // What it holds goes now: the font and the shared result are not kept alive by the pool.
  a->Font.reset();
  a->Kept.reset();
  a->UseOwn = a->MeasuredOnly = false;
  a->OutChars = 0;
  a->DC = nullptr;
  TAnalysisPool& p = Pool();
  if (p.Free.size() < 8 && a->Text.capacity() <= 4096) p.Free.push_back(std::move(a));
}

}  // namespace

bool ScriptShapingAvailable() { return true; }

HRESULT ScriptStringAnalyse(HDC dc, const void* str, int length, int glyphs, int, DWORD flags, int reqWidth,
                            SCRIPT_CONTROL*, SCRIPT_STATE*, const int* dx, SCRIPT_TABDEF*, const BYTE*,
                            SCRIPT_STRING_ANALYSIS* ssa) {
  if (!ssa) return E_INVALIDARG;
  *ssa = nullptr;
  if (!str || length <= 0 || length > (1 << 26) || glyphs < length) return E_INVALIDARG;
  auto font = FontOf(dc);
  if (!font) return E_INVALIDARG;
  const auto* text = static_cast<const char16_t*>(str);
  std::unique_ptr<TScriptStringAnalysis> a = TakeAnalysis();
  a->DC = dc;
  a->Font = font;
  a->Text.assign(text, static_cast<std::size_t>(length));
  TShapeOptions& opt = a->Opt;
  opt = TShapeOptions{};
  opt.RtlReading = (flags & SSA_RTL) != 0;
  opt.Fallback = (flags & (SSA_FALLBACK | SSA_LINK)) != 0;
  const bool clip = (flags & SSA_CLIP) && reqWidth >= 0;
  try {
    // A piece of a text shaped just before is measured from its shaping.
    int fit = 0, width = 0;
    bool known = false;
    if (!dx && font->MeasureFromRecent(text, length, opt, clip ? reqWidth : -1, fit, width, known) && known) {
      a->Text.resize(static_cast<std::size_t>(fit));
      a->MeasuredOnly = true;
      a->OutChars = fit;
      a->Size = TSize(width, font->TM.tmHeight);
      *ssa = a.release();
      return S_OK;
    }
    if (!dx && !clip && !opt.RtlReading && length > TFontInstance::LongText) {
      // A long run is measured piece by piece; it is shaped whole only when more is asked.
      a->MeasuredOnly = true;
      a->OutChars = length;
      a->Size = TSize(font->Width(text, length, opt), font->TM.tmHeight);
      *ssa = a.release();
      return S_OK;
    }
    if (dx) {
      a->UseOwn = true;
      font->Shape(text, length, opt, a->Own);
      ApplyAdvances(a->Own, dx, length);
    } else {
      a->Kept = font->Shaped(text, length, opt);
    }
    int n = length;
    if (clip) {
      const TShapedText& t = a->Shaped();
      int sum = 0;
      n = 0;
      while (n < length && sum + t.Widths[static_cast<std::size_t>(n)] <= reqWidth)
        sum += t.Widths[static_cast<std::size_t>(n++)];
      // A cluster is kept whole or not at all.
      while (n > 0 && n < length && t.Order[static_cast<std::size_t>(n)] == t.Order[static_cast<std::size_t>(n - 1)])
        --n;
      if (n < length) {
        a->Text.resize(static_cast<std::size_t>(n));
        if (dx) {
          if (n > 0) {
            font->Shape(text, n, opt, a->Own);
            ApplyAdvances(a->Own, dx, n);
          } else {
            a->Own = TShapedText{};
          }
        } else if (n > 0 && font->MeasureFromRecent(text, n, opt, -1, fit, width, known) && known) {
          // The part that fits, measured from the text just shaped.
          a->Kept.reset();
          a->MeasuredOnly = true;
          a->OutChars = n;
          a->Size = TSize(width, font->TM.tmHeight);
          *ssa = a.release();
          return S_OK;
        } else {
          a->Kept = n > 0 ? font->Shaped(text, n, opt) : std::make_shared<const TShapedText>();
        }
      }
    }
    const TShapedText& t = a->Shaped();
    if (n > 0 && (!t.Ok || t.Glyphs.empty())) {
      GiveBackAnalysis(std::move(a));
      return E_FAIL;
    }
    if (static_cast<int>(t.Glyphs.size()) > glyphs) {
      GiveBackAnalysis(std::move(a));
      return E_OUTOFMEMORY;
    }
    a->OutChars = n;
    a->Size = TSize(t.Width, font->TM.tmHeight);
  } catch (...) {
    return E_FAIL;
  }
  *ssa = a.release();
  return S_OK;
}

HRESULT ScriptStringFree(SCRIPT_STRING_ANALYSIS* ssa) {
  if (!ssa || !*ssa) return E_INVALIDARG;
  GiveBackAnalysis(std::unique_ptr<TScriptStringAnalysis>(*ssa));
  *ssa = nullptr;
  return S_OK;
}

const SIZE* ScriptString_pSize(SCRIPT_STRING_ANALYSIS ssa) { return ssa ? &ssa->Size : nullptr; }

const int* ScriptString_pcOutChars(SCRIPT_STRING_ANALYSIS ssa) { return ssa ? &ssa->OutChars : nullptr; }

HRESULT ScriptStringGetLogicalWidths(SCRIPT_STRING_ANALYSIS ssa, int* dx) {
  if (!ssa || !dx) return E_INVALIDARG;
  for (int i = 0; i < ssa->OutChars; ++i) dx[i] = ssa->Shaped().Widths[static_cast<std::size_t>(i)];
  return S_OK;
}

HRESULT ScriptStringGetOrder(SCRIPT_STRING_ANALYSIS ssa, UINT* order) {
  if (!ssa || !order) return E_INVALIDARG;
  for (int i = 0; i < ssa->OutChars; ++i) order[i] = static_cast<UINT>(ssa->Shaped().Order[static_cast<std::size_t>(i)]);
  return S_OK;
}

HRESULT ScriptStringCPtoX(SCRIPT_STRING_ANALYSIS ssa, int cp, BOOL trailing, int* x) {
  if (!ssa || !x) return E_INVALIDARG;
  if (cp < 0 || cp >= ssa->OutChars) return E_INVALIDARG;
  const auto i = static_cast<std::size_t>(cp);
  *x = trailing ? ssa->Shaped().Trailing[i] : ssa->Shaped().Leading[i];
  return S_OK;
}

HRESULT ScriptStringXtoCP(SCRIPT_STRING_ANALYSIS ssa, int x, int* cp, int* trailing) {
  if (!ssa || !cp || !trailing) return E_INVALIDARG;
  const TShapedText& t = ssa->Shaped();
  for (int i = 0; i < ssa->OutChars; ++i) {
    const auto ui = static_cast<std::size_t>(i);
    const int a = std::min(t.Leading[ui], t.Trailing[ui]), b = std::max(t.Leading[ui], t.Trailing[ui]);
    if (x >= a && x < b) {
      *cp = i;
      const bool rightHalf = 2 * (x - a) >= b - a;
      const bool rtl = t.Leading[ui] > t.Trailing[ui];
      *trailing = rightHalf != rtl ? 1 : 0;
      return S_OK;
    }
  }
  const bool rtlPara = ssa->OutChars > 0 && (t.Levels[0] & 1);
  if (x < 0) {
    *cp = rtlPara ? ssa->OutChars : -1;
    *trailing = rtlPara ? 0 : 1;
  } else {
    *cp = rtlPara ? -1 : ssa->OutChars;
    *trailing = 0;
  }
  return S_OK;
}

HRESULT ScriptStringOut(SCRIPT_STRING_ANALYSIS ssa, int x, int y, UINT options, const RECT* rect, int, int, BOOL) {
  if (!ssa) return E_INVALIDARG;
  TDeviceContext* c = DCLookup(ssa->DC);
  if (!c) return E_INVALIDARG;
  std::vector<TPlacedGlyph> glyphs;
  std::vector<int> dx;
  for (const TShapedGlyph& g : ssa->Shaped().Glyphs) {
    glyphs.push_back({g.Face, g.Glyph, g.X + g.XOff, g.YOff, g.Rotated});
    dx.push_back(g.Advance);
  }
  Draw(c, *ssa->Font, glyphs, dx, ssa->Shaped().Width, x, y, options, rect);
  return S_OK;
}

// ---- the item interface -------------------------------------------------------------------------

HRESULT ScriptItemize(const WCHAR* str, int length, int maxItems, const SCRIPT_CONTROL*, const SCRIPT_STATE* state,
                      SCRIPT_ITEM* items, int* itemCount) {
  if (!str || length <= 0 || !items || maxItems < 2) return E_INVALIDARG;
  std::vector<BYTE> levels(static_cast<std::size_t>(length), state ? state->uBidiLevel : 0);
  UErrorCode err = U_ZERO_ERROR;
  UBiDi* bidi = ubidi_openSized(length, 0, &err);
  if (U_SUCCESS(err))
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(str), length, state ? (state->uBidiLevel & 1) : 0, nullptr, &err);
  if (U_SUCCESS(err)) {
    const UBiDiLevel* lv = ubidi_getLevels(bidi, &err);
    if (U_SUCCESS(err))
      for (int i = 0; i < length; ++i) levels[static_cast<std::size_t>(i)] = lv[i];
  }
  if (bidi) ubidi_close(bidi);
  hb_unicode_funcs_t* uf = hb_unicode_funcs_get_default();
  int count = 0;
  hb_script_t cur = HB_SCRIPT_COMMON;
  for (int i = 0; i < length; ++i) {
    hb_script_t sc = hb_unicode_script(uf, str[i]);
    const bool neutral = sc == HB_SCRIPT_COMMON || sc == HB_SCRIPT_INHERITED || sc == HB_SCRIPT_UNKNOWN;
    if (neutral) sc = cur;
    const BYTE lv = levels[static_cast<std::size_t>(i)];
    const bool newLevel = i == 0 || lv != items[count - 1].a.s.uBidiLevel;
    // A run that starts with neutral characters takes the script of what follows.
    if (newLevel && neutral) sc = HB_SCRIPT_COMMON;
    const bool split = newLevel || (sc != cur && cur != HB_SCRIPT_COMMON);
    if (split) {
      if (count >= maxItems) return E_OUTOFMEMORY;
      SCRIPT_ITEM it;
      it.iCharPos = i;
      it.a.eScript = sc;
      it.a.fRTL = lv & 1;
      it.a.fLayoutRTL = lv & 1;
      it.a.s.uBidiLevel = lv;
      items[count++] = it;
    } else if (items[count - 1].a.eScript == HB_SCRIPT_COMMON) {
      items[count - 1].a.eScript = sc;
    }
    cur = sc;
  }
  items[count].iCharPos = length;
  if (itemCount) *itemCount = count;
  return S_OK;
}

HRESULT ScriptLayout(int runs, const BYTE* levels, int* visualToLogical, int* logicalToVisual) {
  if (runs <= 0 || !levels) return E_INVALIDARG;
  if (std::any_of(levels, levels + runs, [](BYTE l) { return l > UBIDI_MAX_EXPLICIT_LEVEL + 1; }))
    return E_INVALIDARG;
  const auto* lv = reinterpret_cast<const UBiDiLevel*>(levels);
  if (visualToLogical) ubidi_reorderVisual(lv, runs, visualToLogical);
  if (logicalToVisual) ubidi_reorderLogical(lv, runs, logicalToVisual);
  return S_OK;
}

HRESULT ScriptShape(HDC dc, SCRIPT_CACHE* cache, const WCHAR* str, int length, int maxGlyphs, SCRIPT_ANALYSIS* sa,
                    WORD* glyphs, WORD* logClust, SCRIPT_VISATTR* visAttr, int* glyphCount) {
  if (!str || length <= 0 || !glyphs || !logClust || !glyphCount || !cache) return E_INVALIDARG;
  auto font = *cache && (*cache)->Font ? (*cache)->Font : FontOf(dc);
  if (!font) return E_PENDING;
  TShapeOptions opt;
  opt.RtlReading = sa && sa->fRTL;
  opt.Fallback = false;
  const std::shared_ptr<const TShapedText> shaped = font->Shaped(str, length, opt);
  const TShapedText& t = *shaped;
  const int G = static_cast<int>(t.Glyphs.size());
  if (G > maxGlyphs) return E_OUTOFMEMORY;
  bool missing = false;
  for (int j = 0; j < G; ++j) {
    const auto& g = t.Glyphs[static_cast<std::size_t>(j)];
    glyphs[j] = static_cast<WORD>(g.Glyph);
    missing = missing || g.Glyph == 0;
    if (visAttr) {
      visAttr[j] = SCRIPT_VISATTR{};
      visAttr[j].fClusterStart = j == 0 || t.Glyphs[static_cast<std::size_t>(j - 1)].Cluster != g.Cluster;
      visAttr[j].fZeroWidth = g.Advance == 0;
      visAttr[j].fDiacritic = g.Advance == 0;
    }
  }
  for (int i = 0; i < length; ++i) logClust[i] = static_cast<WORD>(t.Order[static_cast<std::size_t>(i)]);
  *glyphCount = G;
  if (!*cache) *cache = new TScriptCache();
  TScriptCache& sc = **cache;
  sc.Font = font;
  sc.Glyphs.assign(glyphs, glyphs + G);
  sc.Advances.clear();
  sc.Offsets.clear();
  for (const auto& g : t.Glyphs) {
    sc.Advances.push_back(g.Advance);
    sc.Offsets.push_back(GOFFSET{static_cast<LONG>(std::lround(g.XOff)), static_cast<LONG>(std::lround(-g.YOff))});
  }
  return missing && sa && !sa->fNoGlyphIndex ? USP_E_SCRIPT_NOT_IN_FONT : S_OK;
}

HRESULT ScriptPlace(HDC dc, SCRIPT_CACHE* cache, const WORD* glyphs, int glyphCount, const SCRIPT_VISATTR*,
                    SCRIPT_ANALYSIS*, int* advance, GOFFSET* offsets, ABC* abc) {
  if (!glyphs || glyphCount <= 0 || !advance || !cache) return E_INVALIDARG;
  auto font = *cache && (*cache)->Font ? (*cache)->Font : FontOf(dc);
  if (!font) return E_PENDING;
  if (!*cache) {
    *cache = new TScriptCache();
    (*cache)->Font = font;
  }
  const TScriptCache& sc = **cache;
  const bool same = sc.Glyphs.size() == static_cast<std::size_t>(glyphCount) &&
                    std::equal(sc.Glyphs.begin(), sc.Glyphs.end(), glyphs);
  int total = 0;
  for (int j = 0; j < glyphCount; ++j) {
    advance[j] = same ? sc.Advances[static_cast<std::size_t>(j)]
                      : static_cast<int>(std::lround(font->Face(0).GlyphAdvance(glyphs[j]) * font->Scale * font->XScale));
    if (offsets) offsets[j] = same ? sc.Offsets[static_cast<std::size_t>(j)] : GOFFSET{};
    total += advance[j];
  }
  if (abc) {
    abc->abcA = 0;
    abc->abcB = static_cast<UINT>(std::max(total, 0));
    abc->abcC = 0;
  }
  return S_OK;
}

HRESULT ScriptTextOut(HDC dc, SCRIPT_CACHE* cache, int x, int y, UINT options, const RECT* rect,
                      const SCRIPT_ANALYSIS*, const WCHAR*, int, const WORD* glyphs, int glyphCount,
                      const int* advance, const int* justify, const GOFFSET* offsets) {
  TDeviceContext* c = DCLookup(dc);
  if (!c || !glyphs || glyphCount <= 0 || !advance) return E_INVALIDARG;
  auto font = cache && *cache && (*cache)->Font ? (*cache)->Font : FontOf(dc);
  if (!font) return E_INVALIDARG;
  std::vector<TPlacedGlyph> placed;
  std::vector<int> dx;
  double pen = 0;
  for (int j = 0; j < glyphCount; ++j) {
    const int adv = justify ? justify[j] : advance[j];
    placed.push_back({0, glyphs[j], pen + (offsets ? offsets[j].du : 0), offsets ? -static_cast<double>(offsets[j].dv) : 0});
    dx.push_back(adv);
    pen += adv;
  }
  Draw(c, *font, placed, dx, pen, x, y, options, rect);
  return S_OK;
}

HRESULT ScriptGetFontProperties(HDC dc, SCRIPT_CACHE* cache, SCRIPT_FONTPROPERTIES* props) {
  if (!props || !cache || props->cBytes != static_cast<int>(sizeof(SCRIPT_FONTPROPERTIES))) return E_INVALIDARG;
  auto font = *cache && (*cache)->Font ? (*cache)->Font : FontOf(dc);
  if (!font) return E_PENDING;
  const TFontFace& F = font->Face(0);
  props->wgBlank = static_cast<WORD>(F.GlyphOf(U' '));
  props->wgDefault = 0;
  props->wgInvalid = 0;
  const UINT k = F.GlyphOf(0x0640);
  props->wgKashida = k ? static_cast<WORD>(k) : 0xFFFF;
  props->iKashidaWidth = k ? static_cast<int>(std::lround(F.GlyphAdvance(k) * font->Scale * font->XScale)) : 0;
  return S_OK;
}

HRESULT ScriptFreeCache(SCRIPT_CACHE* cache) {
  if (!cache) return E_INVALIDARG;
  delete *cache;
  *cache = nullptr;
  return S_OK;
}
