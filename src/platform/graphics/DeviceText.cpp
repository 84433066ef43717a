// Text measuring and output of device contexts. Measuring and drawing share one shaping result,
// so a run draws exactly where it was measured, on every device.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <unicode/uchar.h>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/GdiInternal.h"

namespace {

const TFontInstance* FontOf(HDC dc, TDeviceContext*& c) {
  c = DCLookup(dc);
  return c ? c->Font() : nullptr;
}

TShapeOptions Options(const TDeviceContext* c, bool rtlOption = false) {
  TShapeOptions o;
  o.RtlReading = (c->S.TextAlign & TA_RTLREADING) != 0 || rtlOption;
  o.CharExtra = c->S.CharExtra;
  return o;
}

char ClassOf(char16_t ch) {
  switch (u_charDirection(ch)) {
    case U_RIGHT_TO_LEFT: return GCPCLASS_HEBREW;
    case U_RIGHT_TO_LEFT_ARABIC: return GCPCLASS_ARABIC;
    case U_LEFT_TO_RIGHT: return GCPCLASS_LATIN;
    case U_EUROPEAN_NUMBER: return GCPCLASS_LATINNUMBER;
    case U_ARABIC_NUMBER: return GCPCLASS_LOCALNUMBER;
    case U_EUROPEAN_NUMBER_TERMINATOR: return GCPCLASS_LATINNUMERICTERMINATOR;
    case U_EUROPEAN_NUMBER_SEPARATOR: return GCPCLASS_LATINNUMERICSEPARATOR;
    case U_COMMON_NUMBER_SEPARATOR: return GCPCLASS_NUMERICSEPARATOR;
    default: return GCPCLASS_NEUTRAL;
  }
}

}  // namespace

std::size_t GetGlyphImageCacheBytes(HDC dc) {
  TDeviceContext* c = nullptr;
  const TFontInstance* f = FontOf(dc, c);
  return f ? f->GlyphImageBytes() : 0;
}

std::size_t GetGlyphImageCacheLimit() { return TFontInstance::Limits().GlyphImageBytes; }

void SetFontCacheLimits(const TFontCacheLimits& limits) { TFontInstance::SetLimits(limits); }
TFontCacheLimits GetFontCacheLimits() { return TFontInstance::Limits(); }
TFontCacheLimits GetFontCacheUsage() { return TFontInstance::Usage(); }

BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* tm) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f || !tm) return FALSE;
  *tm = f->TM;
  return TRUE;
}

UINT GetOutlineTextMetricsW(HDC dc, UINT size, OUTLINETEXTMETRICW* otm) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f) return 0;
  return f->FillOutlineMetrics(size, otm);
}

int GetTextFaceW(HDC dc, int count, LPWSTR face) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f) return 0;
  const std::u16string& name = f->RealisedFace;
  if (!face) return static_cast<int>(name.size()) + 1;
  if (count <= 0) return 0;
  const int n = std::min(count - 1, static_cast<int>(name.size()));
  std::copy_n(name.begin(), n, face);
  face[n] = 0;
  return n + 1;
}

DWORD GetFontLanguageInfo(HDC dc) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f) return GCP_ERROR;
  DWORD r = 0;
  // Whatever face shaping takes the characters from, fallback faces included: a face that joins
  // Arabic gives ligation and shaping, Hebrew reordering, combining accents diacritics.
  auto has = [f](char32_t ch) { return f->FaceFor(ch) >= 0; };
  if (has(0x0644) && has(0x0627)) r |= GCP_LIGATE | GCP_GLYPHSHAPE | GCP_REORDER;
  if (has(0x05D0)) r |= GCP_REORDER;
  if (has(0x0301)) r |= GCP_DIACRITIC;
  return r;
}

DWORD GetFontData(HDC dc, DWORD table, DWORD offset, void* buffer, DWORD size) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f) return GDI_ERROR;
  // The tag's characters lie in memory order; the font layer wants them big-endian.
  const DWORD tag = ((table & 0xFF) << 24) | ((table & 0xFF00) << 8) | ((table >> 8) & 0xFF00) | (table >> 24);
  return f->Face(0).GetTable(tag, offset, buffer, size);
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR str, int count, SIZE* size) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f || !size || count < 0 || (count > 0 && !str)) return FALSE;
  int width = 0, fit = 0;
  bool known = false;
  if (count > 0 && !(f->MeasureFromRecent(str, count, Options(c), -1, fit, width, known) && known))
    width = f->Width(str, count, Options(c));
  *size = TSize(width, f->TM.tmHeight);
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC dc, LPCWSTR str, int count, int maxExtent, INT* fit, INT* dx, SIZE* size) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f || !size || count < 0 || (count > 0 && !str)) return FALSE;
  if (fit) {
    // Measuring stops once the extent is passed: breaking a paragraph into lines stays linear.
    int extent = 0;
    *fit = f->Fit(str, count, Options(c), maxExtent, dx, extent);
    *size = TSize(extent, f->TM.tmHeight);
    return TRUE;
  }
  int width = 0;
  if (count > 0) {
    const auto t = f->Shaped(str, count, Options(c));
    for (int i = 0; i < count; ++i) {
      width += t->Widths[static_cast<std::size_t>(i)];
      if (dx) dx[i] = width;
    }
    width = t->Width;
  }
  *size = TSize(width, f->TM.tmHeight);
  return TRUE;
}

BOOL GetCharWidth32W(HDC dc, UINT first, UINT last, INT* widths) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f || !widths || last < first || last > 0x10FFFF || last - first > 0x10000) return FALSE;
  for (UINT ch = first; ch <= last; ++ch) widths[ch - first] = f->CharWidth(ch);
  return TRUE;
}

DWORD GetGlyphIndicesW(HDC dc, LPCWSTR str, int count, WORD* glyphs, DWORD flags) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f || count < 0 || (count > 0 && (!str || !glyphs))) return GDI_ERROR;
  for (int i = 0; i < count; ++i) {
    const UINT g = f->Face(0).GlyphOf(str[i]);
    glyphs[i] = static_cast<WORD>(g == 0 && (flags & 1) ? 0xFFFF : g);
  }
  return static_cast<DWORD>(count);
}

void PlaceTextRun(const TDeviceContext& dc, double width, TTextRequest& req) {
  const UINT align = dc.S.TextAlign;
  const TEXTMETRICW& tm = req.Font->TM;
  req.Width = width;
  req.OriginX = req.X;
  req.OriginY = req.Y;
  if ((align & TA_CENTER) == TA_CENTER)
    req.OriginX -= width / 2;
  else if (align & TA_RIGHT)
    req.OriginX -= width;
  if ((align & TA_BASELINE) != TA_BASELINE) req.OriginY += (align & TA_BOTTOM) ? -tm.tmDescent : tm.tmAscent;
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR str, UINT count, const INT* dx) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f || (count > 0 && !str) || count > (1u << 26)) return FALSE;
  const int n = static_cast<int>(count);
  TTextRequest req;
  req.X = x;
  req.Y = y;
  req.Options = options;
  req.HasRect = rect != nullptr;
  if (rect) req.Rect = *rect;
  req.Font = f;
  req.Text.assign(str ? str : u"", count);
  if (c->S.TextAlign & TA_UPDATECP) {
    x = c->S.CurrentPos.X;
    y = c->S.CurrentPos.Y;
    req.X = x;
    req.Y = y;
  }
  double width = 0;
  // With ETO_PDY the caller's array holds an (x, y) pair per character: the x advance and a
  // vertical displacement, positive upward, that moves this and every later character.
  const bool pairs = dx && (options & ETO_PDY);
  if (!dx) req.Options &= ~ETO_PDY;
  std::vector<INT> xs;
  const INT* adv = dx;
  if (pairs) {
    req.Dx.assign(dx, dx + 2 * static_cast<std::size_t>(n));
    xs.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) xs[static_cast<std::size_t>(i)] = dx[2 * i];
    adv = xs.data();
  }
  if (options & ETO_GLYPH_INDEX) {
    const TFontFace& F = f->Face(0);
    double pen = 0, up = 0;
    for (int i = 0; i < n; ++i) {
      const UINT g = str[i];
      req.Glyphs.push_back({0, g, pen, -up});
      const int a = adv ? adv[i] : static_cast<int>(std::lround(F.GlyphAdvance(g) * f->Scale * f->XScale)) + c->S.CharExtra;
      if (!pairs) req.Dx.push_back(a);
      pen += a;
      if (pairs) up += dx[2 * i + 1];
    }
    width = pen;
  } else if (n > 0) {
    TShapedText t;
    f->Shape(str, n, Options(c, (options & ETO_RTLREADING) != 0), t);
    if (adv) {
      // Each cluster starts where the caller's advances put it.
      if (!pairs) req.Dx.assign(dx, dx + n);
      ApplyAdvances(t, adv, n);
    } else {
      req.Dx = t.Widths;
    }
    if (pairs) {
      // Cumulative rises, taken by each glyph at the start of its cluster.
      std::vector<double> ups(static_cast<std::size_t>(n) + 1, 0);
      for (int i = 0; i < n; ++i) ups[static_cast<std::size_t>(i) + 1] = ups[static_cast<std::size_t>(i)] + dx[2 * i + 1];
      for (const TShapedGlyph& g : t.Glyphs) {
        const auto k = static_cast<std::size_t>(std::clamp(g.Cluster, 0, n));
        req.Glyphs.push_back({g.Face, g.Glyph, g.X + g.XOff, g.YOff - ups[k], g.Rotated});
      }
    } else {
      for (const TShapedGlyph& g : t.Glyphs) req.Glyphs.push_back({g.Face, g.Glyph, g.X + g.XOff, g.YOff, g.Rotated});
    }
    width = t.Width;
  }
  PlaceTextRun(*c, width, req);
  if (c->Backend) c->Backend->DrawText(c->S, req);
  if (c->S.TextAlign & TA_UPDATECP) {
    c->S.CurrentPos.X += static_cast<LONG>(std::lround(width));
  }
  return TRUE;
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR str, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutW(dc, x, y, 0, nullptr, str, static_cast<UINT>(count), nullptr);
}

DWORD GetCharacterPlacementW(HDC dc, LPCWSTR str, int count, int maxExtent, GCP_RESULTSW* results, DWORD flags) {
  TDeviceContext* c;
  const TFontInstance* f = FontOf(dc, c);
  if (!f || count < 0 || (count > 0 && !str)) return 0;
  auto shaped = f->Shaped(str, count, Options(c));
  int n = count;
  if ((flags & GCP_MAXEXTENT) && maxExtent >= 0) {
    int sum = 0;
    n = 0;
    while (n < count && sum + shaped->Widths[static_cast<std::size_t>(n)] <= maxExtent)
      sum += shaped->Widths[static_cast<std::size_t>(n++)];
    if (n < count) shaped = f->Shaped(str, n, Options(c));
  }
  const TShapedText& t = *shaped;
  if (results) {
    const UINT room = results->nGlyphs;
    const std::size_t G = t.Glyphs.size();
    if (results->lpGlyphs || results->lpDx) {
      if (G > room) return 0;
    }
    for (std::size_t j = 0; j < G && j < room; ++j) {
      if (results->lpGlyphs) results->lpGlyphs[j] = static_cast<WCHAR>(t.Glyphs[j].Glyph);
      if (results->lpDx) results->lpDx[j] = t.Glyphs[j].Advance;
    }
    for (int i = 0; i < n; ++i) {
      const auto ui = static_cast<std::size_t>(i);
      if (results->lpOrder) results->lpOrder[i] = static_cast<UINT>(t.Order[ui]);
      if (results->lpClass) results->lpClass[i] = ClassOf(str[i]);
      if (results->lpCaretPos) results->lpCaretPos[i] = std::min(t.Leading[ui], t.Trailing[ui]);
    }
    if (results->lpOutString) {
      // The characters in drawing order.
      std::vector<std::pair<int, int>> vis;
      for (int i = 0; i < n; ++i) vis.emplace_back(t.Order[static_cast<std::size_t>(i)], i);
      std::stable_sort(vis.begin(), vis.end(), [&](auto a, auto b) { return a.first < b.first; });
      for (int i = 0; i < n; ++i) results->lpOutString[i] = str[vis[static_cast<std::size_t>(i)].second];
    }
    results->nGlyphs = static_cast<UINT>(std::min<std::size_t>(G, room));
    results->nMaxFit = n;
  }
  const int height = f->TM.tmHeight > 0 ? f->TM.tmHeight : 1;
  return (static_cast<DWORD>(t.Width) & 0xFFFF) | (static_cast<DWORD>(std::min(height, 0xFFFF)) << 16);
}
