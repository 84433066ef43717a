#include "platform/ui/UserDraw.h"

#include <algorithm>
#include <vector>

namespace {

void FillPart(HDC dc, int l, int t, int r, int b, HBRUSH brush) {
  if (r <= l || b <= t) return;
  RECT rc(l, t, r, b);
  FillRect(dc, &rc, brush);
}

void FillSys(HDC dc, int l, int t, int r, int b, int colorIndex) {
  FillPart(dc, l, t, r, b, GetSysColorBrush(colorIndex));
}

// The system colours of one band of an edge (outer or inner), by how the edge is drawn.
struct TEdgeBandColors {
  int Mono, Flat;
  int RaisedTopLeft, RaisedSoftTopLeft, RaisedBottomRight;
  int SunkenTopLeft, SunkenSoftTopLeft, SunkenBottomRight;
};
constexpr TEdgeBandColors OuterBand = {
    .Mono = COLOR_WINDOWFRAME, .Flat = COLOR_BTNSHADOW,
    .RaisedTopLeft = COLOR_3DLIGHT, .RaisedSoftTopLeft = COLOR_BTNHIGHLIGHT, .RaisedBottomRight = COLOR_3DDKSHADOW,
    .SunkenTopLeft = COLOR_BTNSHADOW, .SunkenSoftTopLeft = COLOR_3DDKSHADOW, .SunkenBottomRight = COLOR_BTNHIGHLIGHT};
constexpr TEdgeBandColors InnerBand = {
    .Mono = COLOR_WINDOW, .Flat = COLOR_BTNFACE,
    .RaisedTopLeft = COLOR_BTNHIGHLIGHT, .RaisedSoftTopLeft = COLOR_3DLIGHT, .RaisedBottomRight = COLOR_BTNSHADOW,
    .SunkenTopLeft = COLOR_3DDKSHADOW, .SunkenSoftTopLeft = COLOR_BTNSHADOW, .SunkenBottomRight = COLOR_3DLIGHT};

void DrawEdgeBand(HDC dc, RECT& r, UINT flags, bool raised, const TEdgeBandColors& c) {
  const bool soft = flags & BF_SOFT;
  int tl, br;
  if (flags & BF_MONO) tl = br = c.Mono;
  else if (flags & BF_FLAT) tl = br = c.Flat;
  else if (raised) tl = soft ? c.RaisedSoftTopLeft : c.RaisedTopLeft, br = c.RaisedBottomRight;
  else tl = soft ? c.SunkenSoftTopLeft : c.SunkenTopLeft, br = c.SunkenBottomRight;
  DrawFrameBand(dc, r, flags, GetSysColorBrush(tl), GetSysColorBrush(br));
}

}  // namespace

// Top-left lines first, then bottom-right ones, which own the top-right and bottom-left corners.
void DrawFrameBand(HDC dc, RECT& r, UINT sides, HBRUSH topLeft, HBRUSH bottomRight) {
  if (sides & BF_LEFT) FillPart(dc, r.Left, r.Top, r.Left + 1, r.Bottom, topLeft);
  if (sides & BF_TOP) FillPart(dc, r.Left, r.Top, r.Right, r.Top + 1, topLeft);
  if (sides & BF_RIGHT) FillPart(dc, r.Right - 1, r.Top, r.Right, r.Bottom, bottomRight);
  if (sides & BF_BOTTOM) FillPart(dc, r.Left, r.Bottom - 1, r.Right, r.Bottom, bottomRight);
  if (sides & BF_LEFT) ++r.Left;
  if (sides & BF_TOP) ++r.Top;
  if (sides & BF_RIGHT) --r.Right;
  if (sides & BF_BOTTOM) --r.Bottom;
}

BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
  if (!dc || !rect || (flags & BF_DIAGONAL)) return FALSE;
  RECT r = *rect;
  const UINT outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
  if (outer) DrawEdgeBand(dc, r, flags, outer & BDR_RAISEDOUTER, OuterBand);
  if (inner) DrawEdgeBand(dc, r, flags, inner & BDR_RAISEDINNER, InnerBand);
  if (flags & BF_MIDDLE)
    FillSys(dc, r.Left, r.Top, r.Right, r.Bottom, (flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE);
  if (flags & BF_ADJUST) *rect = r;
  return TRUE;
}

BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state) {
  if (!dc || !rect || type != DFC_BUTTON) return FALSE;
  UINT edgeFlags = BF_RECT | BF_ADJUST;
  if (state & DFCS_FLAT) edgeFlags |= BF_FLAT;
  if (state & DFCS_MONO) edgeFlags |= BF_MONO;
  RECT r = *rect;
  if (state & DFCS_BUTTONPUSH) {
    const bool pushed = state & (DFCS_PUSHED | DFCS_CHECKED);
    if (!DrawEdge(dc, &r, pushed ? EDGE_SUNKEN : EDGE_RAISED, edgeFlags | BF_MIDDLE | (pushed ? 0 : BF_SOFT)))
      return FALSE;
  } else if ((state & 0xFF) == DFCS_BUTTONCHECK || (state & 0xFF) == DFCS_BUTTON3STATE) {
    if (!DrawEdge(dc, &r, EDGE_SUNKEN, edgeFlags)) return FALSE;
    const bool grey = (state & (DFCS_INACTIVE | DFCS_PUSHED)) ||
                      ((state & 0xFF) == DFCS_BUTTON3STATE && (state & DFCS_CHECKED));
    FillSys(dc, r.Left, r.Top, r.Right, r.Bottom, grey ? COLOR_BTNFACE : COLOR_WINDOW);
    if (state & DFCS_CHECKED) {
      // A 7 x 7 tick, each column 3 pixels tall, centred in the box.
      static const int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
      const int x0 = r.Left + (r.Right - r.Left - 7) / 2;
      const int y0 = r.Top + (r.Bottom - r.Top - 7) / 2;
      const int color = (state & DFCS_INACTIVE) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT;
      for (int i = 0; i < 7; ++i) FillSys(dc, x0 + i, y0 + kTop[i], x0 + i + 1, y0 + kTop[i] + 3, color);
    }
  } else {
    return FALSE;
  }
  if (state & DFCS_ADJUSTRECT) *rect = r;
  return TRUE;
}

// ---- DrawText -----------------------------------------------------------------------------------

namespace {

struct TTextLine {
  std::u16string Text;
  std::vector<int> Underlined;  // indexes into Text of prefixed characters
};

struct TLineMeasure {
  HDC DC;
  bool ExpandTabs;
  int TabWidth;

  int Extent(const char16_t* s, int n) const {
    if (n <= 0) return 0;
    SIZE sz;
    return GetTextExtentPoint32W(DC, s, n, &sz) ? sz.cx : 0;
  }
  // Walks the tab-separated segments of the first n characters: f(start, length, x) for each,
  // answers the x after them.
  template <typename F>
  int Walk(const std::u16string& s, int n, F&& f) const {
    int x = 0, start = 0;
    for (int i = 0; i <= n; ++i) {
      const bool tab = i < n && ExpandTabs && s[static_cast<std::size_t>(i)] == u'\t';
      if (i == n || tab) {
        f(start, i - start, x);
        x += Extent(s.data() + start, i - start);
        if (tab && TabWidth > 0) x = (x / TabWidth + 1) * TabWidth;
        start = i + 1;
      }
    }
    return x;
  }
  int Width(const std::u16string& s, int n) const { return Walk(s, n, [](int, int, int) {}); }
};

std::vector<TTextLine> SplitLines(const std::u16string& text, bool singleLine, bool prefixes) {
  std::vector<TTextLine> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (!singleLine && (c == u'\r' || c == u'\n')) {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      lines.emplace_back();
      continue;
    }
    TTextLine& line = lines.back();
    if (prefixes && c == u'&') {
      if (i + 1 >= text.size()) break;  // a trailing prefix marks nothing
      ++i;
      if (text[i] != u'&') line.Underlined.push_back(static_cast<int>(line.Text.size()));
      if (!singleLine && (text[i] == u'\r' || text[i] == u'\n')) {
        --i;
        line.Underlined.pop_back();
        continue;
      }
    }
    line.Text.push_back(text[i]);
  }
  return lines;
}

// Breaks a line into lines no wider than maxWidth, after words (spaces at a break vanish). A word
// wider than maxWidth gets a line of its own, or with breakWords is broken between characters.
std::vector<TTextLine> WrapLine(const TTextLine& line, const TLineMeasure& m, int maxWidth, bool breakWords) {
  const std::u16string& s = line.Text;
  const int n = static_cast<int>(s.size());
  auto width = [&](int from, int to) {
    const std::u16string part = s.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
    return m.Width(part, to - from);
  };
  std::vector<TTextLine> out;
  int pos = 0;
  do {
    std::vector<int> ends;  // word ends after pos, where a line may stop
    for (int e = pos + 1; e <= n; ++e)
      if (s[static_cast<std::size_t>(e - 1)] != u' ' && (e == n || s[static_cast<std::size_t>(e)] == u' '))
        ends.push_back(e);
    int stop = n;
    if (!ends.empty()) {
      // Widths grow with the end, so the last end that fits is found by halving.
      int lo = 0, hi = static_cast<int>(ends.size()) - 1, fit = -1;
      while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        if (width(pos, ends[static_cast<std::size_t>(mid)]) <= maxWidth) fit = mid, lo = mid + 1;
        else hi = mid - 1;
      }
      if (fit >= 0) {
        stop = ends[static_cast<std::size_t>(fit)];
      } else {
        stop = ends[0];
        if (breakWords) {
          int a = 1, b = stop - pos, k = 1;
          while (a <= b) {
            const int mid = (a + b) / 2;
            if (width(pos, pos + mid) <= maxWidth) k = mid, a = mid + 1;
            else b = mid - 1;
          }
          // Never between the halves of a surrogate pair.
          const char16_t last = s[static_cast<std::size_t>(pos + k - 1)];
          if (last >= 0xD800 && last <= 0xDBFF && pos + k < stop) k += k > 1 ? -1 : 1;
          stop = pos + k;
        }
      }
    }
    TTextLine piece;
    piece.Text = s.substr(static_cast<std::size_t>(pos), static_cast<std::size_t>(stop - pos));
    for (int u : line.Underlined)
      if (u >= pos && u < stop) piece.Underlined.push_back(u - pos);
    out.push_back(std::move(piece));
    pos = stop;
    while (pos < n && s[static_cast<std::size_t>(pos)] == u' ') ++pos;
  } while (pos < n);
  return out;
}

}  // namespace

int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format) {
  if (!dc || !rect || count < -1 || (!text && count != 0)) return 0;
  std::u16string str;
  if (count == -1) str = text;
  else if (count > 0) str.assign(text, static_cast<std::size_t>(count));
  int tabChars = 8;
  if (format & DT_TABSTOP) {
    tabChars = static_cast<int>((format >> 8) & 0xFF);
    format &= ~0xFF00u;
  }
  TEXTMETRICW tm;
  if (!GetTextMetricsW(dc, &tm)) return 0;
  const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  const bool single = format & DT_SINGLELINE;
  const bool prefixes = !(format & DT_NOPREFIX);
  const TLineMeasure m{dc, (format & DT_EXPANDTABS) != 0, tabChars * tm.tmAveCharWidth};
  std::vector<TTextLine> lines = SplitLines(str, single, prefixes);
  if ((format & DT_WORDBREAK) && !single) {
    std::vector<TTextLine> wrapped;
    for (const TTextLine& l : lines)
      for (TTextLine& w : WrapLine(l, m, rect->Right - rect->Left, format & DT_EDITCONTROL))
        wrapped.push_back(std::move(w));
    lines = std::move(wrapped);
  }

  std::vector<int> widths;
  int maxWidth = 0;
  for (const TTextLine& l : lines) {
    widths.push_back(m.Width(l.Text, static_cast<int>(l.Text.size())));
    maxWidth = std::max(maxWidth, widths.back());
  }
  const int height = lineHeight * static_cast<int>(lines.size());
  int top = rect->Top;
  if (single && (format & DT_VCENTER)) top = rect->Top + (rect->Bottom - rect->Top - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM)) top = rect->Bottom - lineHeight;

  if (format & DT_CALCRECT) {
    rect->Right = rect->Left + maxWidth;
    rect->Bottom = rect->Top + height;
    return height;
  }

  const int saved = (format & DT_NOCLIP) ? 0 : SaveDC(dc);
  if (saved) IntersectClipRect(dc, rect->Left, rect->Top, rect->Right, rect->Bottom);
  const UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  HBRUSH underline = nullptr;
  for (std::size_t li = 0; li < lines.size(); ++li) {
    const TTextLine& l = lines[li];
    int x = rect->Left;
    if (format & DT_CENTER) x = rect->Left + (rect->Right - rect->Left - widths[li]) / 2;
    else if (format & DT_RIGHT) x = rect->Right - widths[li];
    const int y = top + lineHeight * static_cast<int>(li);
    if (!(format & DT_PREFIXONLY))
      m.Walk(l.Text, static_cast<int>(l.Text.size()), [&](int start, int n, int sx) {
        if (n > 0) TextOutW(dc, x + sx, y, l.Text.data() + start, n);
      });
    if (format & DT_HIDEPREFIX) continue;
    for (int u : l.Underlined) {
      if (!underline) underline = CreateSolidBrush(GetTextColor(dc));
      const int x0 = m.Width(l.Text, u), x1 = m.Width(l.Text, u + 1);
      RECT ur(x + x0, y + tm.tmAscent + 1, x + x1, y + tm.tmAscent + 2);
      FillRect(dc, &ur, underline);
    }
  }
  if (underline) DeleteObject(underline);
  if (oldAlign != GDI_ERROR) SetTextAlign(dc, oldAlign);
  if (saved) RestoreDC(dc, saved);
  return (single && (format & (DT_VCENTER | DT_BOTTOM))) ? top - rect->Top + height : height;
}
