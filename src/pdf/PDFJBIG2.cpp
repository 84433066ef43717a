#include "pdf/PDFJBIG2.h"

#include <algorithm>
#include <queue>

#include "pdf/PDFBitWriter.h"
#include "pdf/PDFCCITT.h"
#include "platform/base/SysUtils.h"

// ---- the packed image -------------------------------------------------------------------------

TBWImage::TBWImage(int w, int h)
    : FWidth(std::max(w, 0)), FHeight(std::max(h, 0)), FLineSize((FWidth + 31) / 32),
      FBuffer(static_cast<std::size_t>(FLineSize) * FHeight, 0) {}

TBWImage::TBWImage(const TBitmap& bitmap) : TBWImage(bitmap.GetWidth(), bitmap.GetHeight()) {
  if (bitmap.GetPixelFormat() != pf1bit) throw Exception("Creation possible for b/w images only");
  // Set bits are black when palette entry 1 is the darker one.
  const auto& pal = bitmap.Palette();
  auto lum = [&](std::size_t i) {
    if (i >= pal.size()) return i == 0 ? 0 : 765;
    const std::uint32_t c = pal[i];
    return int((c >> 16) & 0xFF) + int((c >> 8) & 0xFF) + int(c & 0xFF);
  };
  const bool invert = lum(1) >= lum(0);  // set bits are white: complement
  const int bytes = (FWidth + 7) / 8;
  for (int y = 0; y < FHeight; ++y) {
    const std::uint8_t* src = bitmap.ScanLine(y);
    std::uint32_t* dst = Row(y);
    for (int i = 0; i < bytes; ++i) {
      const std::uint8_t b = invert ? static_cast<std::uint8_t>(~src[i]) : src[i];
      dst[i >> 2] |= std::uint32_t(b) << (24 - 8 * (i & 3));
    }
    if (FWidth & 31) dst[FLineSize - 1] &= ~0u << (32 - (FWidth & 31));
  }
}

void TBWImage::SetPixel(int x, int y, bool black) {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
  const std::uint32_t bit = 1u << (31 - (x & 31));
  if (black) Row(y)[x >> 5] |= bit;
  else Row(y)[x >> 5] &= ~bit;
}

void TBWImage::DrawHorLine(int x0, int x1, int y, bool black) {
  if (y < 0 || y >= FHeight) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, FWidth - 1);
  std::uint32_t* r = Row(y);
  for (int x = x0; x <= x1;) {
    const int w = x >> 5, first = x & 31, last = std::min(31, first + (x1 - x));
    const std::uint32_t mask = (~0u >> first) & (~0u << (31 - last));
    if (black) r[w] |= mask;
    else r[w] &= ~mask;
    x += last - first + 1;
  }
}

void TBWImage::ClearRectangle(const TImgBorder& b) {
  for (int y = b.LeftTop.y; y <= b.RightBottom.y; ++y) DrawHorLine(b.LeftTop.x, b.RightBottom.x, y, false);
}

void TBWImage::CopyRectangleTo(const TImgBorder& b, TBWImage& dest, int dx, int dy) const {
  for (int y = b.LeftTop.y; y <= b.RightBottom.y; ++y)
    for (int x = b.LeftTop.x; x <= b.RightBottom.x; ++x)
      if (GetPixel(x, y)) dest.SetPixel(dx + x - b.LeftTop.x, dy + y - b.LeftTop.y, true);
}

bool TBWImage::GetBlackPoint(int& x, int& y) const {
  for (; y < FHeight; ++y) {
    const std::uint32_t* r = Row(y);
    for (int w = 0; w < FLineSize; ++w)
      if (r[w]) {
        x = w * 32 + __builtin_clz(r[w]);
        return true;
      }
  }
  return false;
}

std::vector<std::uint8_t> TBWImage::ToBytes() const {
  const int bytes = (FWidth + 7) / 8;
  std::vector<std::uint8_t> out(static_cast<std::size_t>(bytes) * FHeight);
  for (int y = 0; y < FHeight; ++y)
    for (int i = 0; i < bytes; ++i)
      out[static_cast<std::size_t>(y) * bytes + i] = static_cast<std::uint8_t>(Row(y)[i >> 2] >> (24 - 8 * (i & 3)));
  return out;
}

// ---- Huffman coding ---------------------------------------------------------------------------

namespace {

// A line of a standard table of T.88 Annex B: prefix length, range length, range low; kind 1 is
// the lower range line, 2 the upper range line, 3 the out-of-band line.
struct TLine {
  int PrefLen, RangeLen, Low, Kind;
};
struct TTable {
  std::vector<TLine> Lines;
  std::vector<std::uint32_t> Codes;
};

std::vector<std::uint32_t> CanonicalCodes(const std::vector<int>& lens) {
  int maxLen = 0;
  for (int l : lens) maxLen = std::max(maxLen, l);
  std::vector<int> count(std::size_t(maxLen) + 1, 0);
  for (int l : lens)
    if (l > 0) ++count[std::size_t(l)];
  std::vector<std::uint32_t> first(std::size_t(maxLen) + 1, 0), codes(lens.size(), 0);
  count[0] = 0;
  for (int l = 1; l <= maxLen; ++l) first[std::size_t(l)] = (first[std::size_t(l) - 1] + count[std::size_t(l) - 1]) << 1;
  for (std::size_t i = 0; i < lens.size(); ++i)
    if (lens[i] > 0) codes[i] = first[std::size_t(lens[i])]++;
  return codes;
}

TTable MakeTable(std::vector<TLine> lines) {
  TTable t{std::move(lines), {}};
  std::vector<int> lens;
  for (const TLine& l : t.Lines) lens.push_back(l.PrefLen);
  t.Codes = CanonicalCodes(lens);
  return t;
}

const TTable& TableB1() {
  static const TTable t = MakeTable({{1, 4, 0, 0}, {2, 8, 16, 0}, {3, 16, 272, 0}, {3, 32, 65808, 2}});
  return t;
}
const TTable& TableB3() {
  static const TTable t = MakeTable({{8, 8, -256, 0}, {1, 0, 0, 0}, {2, 0, 1, 0}, {3, 0, 2, 0}, {4, 3, 3, 0},
                                     {5, 6, 11, 0}, {8, 32, -257, 1}, {7, 32, 75, 2}, {6, 0, 0, 3}});
  return t;
}
const TTable& TableB4() {
  static const TTable t =
      MakeTable({{1, 0, 1, 0}, {2, 0, 2, 0}, {3, 0, 3, 0}, {4, 3, 4, 0}, {5, 6, 12, 0}, {5, 32, 76, 2}});
  return t;
}
const TTable& TableB6() {
  static const TTable t = MakeTable({{5, 10, -2048, 0}, {4, 9, -1024, 0}, {4, 8, -512, 0}, {4, 7, -256, 0},
                                     {5, 6, -128, 0}, {5, 5, -64, 0}, {4, 5, -32, 0}, {2, 7, 0, 0},
                                     {3, 7, 128, 0}, {3, 8, 256, 0}, {4, 9, 512, 0}, {4, 10, 1024, 0},
                                     {6, 32, -2049, 1}, {6, 32, 2048, 2}});
  return t;
}
const TTable& TableB8() {
  static const TTable t = MakeTable({{8, 3, -15, 0}, {9, 1, -7, 0}, {8, 1, -5, 0}, {9, 0, -3, 0}, {7, 0, -2, 0},
                                     {4, 0, -1, 0}, {2, 1, 0, 0}, {5, 0, 2, 0}, {6, 0, 3, 0}, {3, 4, 4, 0},
                                     {6, 1, 20, 0}, {4, 4, 22, 0}, {4, 5, 38, 0}, {5, 6, 70, 0},
                                     {5, 7, 134, 0}, {6, 7, 262, 0}, {7, 8, 390, 0}, {6, 10, 646, 0},
                                     {9, 32, -16, 1}, {9, 32, 1670, 2}, {2, 0, 0, 3}});
  return t;
}
const TTable& TableB12() {
  static const TTable t = MakeTable({{1, 0, 1, 0}, {2, 0, 2, 0}, {3, 1, 3, 0}, {5, 0, 5, 0}, {5, 1, 6, 0},
                                     {6, 1, 8, 0}, {7, 0, 10, 0}, {7, 1, 11, 0}, {7, 2, 13, 0},
                                     {7, 3, 17, 0}, {7, 4, 25, 0}, {8, 5, 41, 0}, {8, 32, 73, 2}});
  return t;
}

void PutValue(TBitWriter& w, const TTable& t, long long v) {
  for (std::size_t i = 0; i < t.Lines.size(); ++i) {
    const TLine& l = t.Lines[i];
    if (l.Kind == 0 && v >= l.Low && v < l.Low + (1LL << l.RangeLen)) {
      w.Put(t.Codes[i], l.PrefLen);
      if (l.RangeLen) w.Put(static_cast<std::uint32_t>(v - l.Low), l.RangeLen);
      return;
    }
  }
  for (std::size_t i = 0; i < t.Lines.size(); ++i) {
    const TLine& l = t.Lines[i];
    if ((l.Kind == 1 && v <= l.Low) || (l.Kind == 2 && v >= l.Low)) {
      w.Put(t.Codes[i], l.PrefLen);
      w.Put(static_cast<std::uint32_t>(l.Kind == 1 ? l.Low - v : v - l.Low), 32);
      return;
    }
  }
  throw Exception("JBIG2 value out of the table's range");
}

void PutOOB(TBitWriter& w, const TTable& t) {
  for (std::size_t i = 0; i < t.Lines.size(); ++i)
    if (t.Lines[i].Kind == 3) w.Put(t.Codes[i], t.Lines[i].PrefLen);
}

void App32(std::string& s, std::uint32_t v) {
  for (int k = 24; k >= 0; k -= 8) s += static_cast<char>((v >> k) & 0xFF);
}

std::vector<int> HuffmanLengths(const std::vector<std::uint64_t>& counts) {
  const std::size_t n = counts.size();
  std::vector<int> lens(n, 0);
  struct TNode {
    std::uint64_t Value;
    int Index;
  };
  auto cmp = [](const TNode& a, const TNode& b) {
    return a.Value != b.Value ? a.Value > b.Value : a.Index > b.Index;
  };
  std::priority_queue<TNode, std::vector<TNode>, decltype(cmp)> q(cmp);
  std::vector<int> parent;
  for (std::size_t i = 0; i < n; ++i)
    if (counts[i] > 0) {
      q.push({counts[i], int(parent.size())});
      parent.push_back(-1);
      lens[i] = -int(parent.size());  // leaf node number + 1, negated
    }
  if (parent.size() == 1) {
    for (int& l : lens) l = l < 0 ? 1 : 0;
    return lens;
  }
  while (q.size() > 1) {
    const TNode a = q.top();
    q.pop();
    const TNode b = q.top();
    q.pop();
    const int id = int(parent.size());
    parent.push_back(-1);
    parent[std::size_t(a.Index)] = id;
    parent[std::size_t(b.Index)] = id;
    q.push({a.Value + b.Value, id});
  }
  for (int& l : lens) {
    if (l == 0) continue;
    int node = -l - 1, depth = 0;
    while (parent[std::size_t(node)] >= 0) {
      node = parent[std::size_t(node)];
      ++depth;
    }
    l = depth;
  }
  return lens;
}

}  // namespace

std::vector<int> JBIG2CodeLengths(const std::vector<std::uint64_t>& counts, int limit) {
  std::vector<std::uint64_t> c = counts;
  for (;;) {
    std::vector<int> lens = HuffmanLengths(c);
    if (*std::max_element(lens.begin(), lens.end()) <= limit || lens.empty()) return lens;
    // Flatten the counts until the tree is shallow enough; with all counts equal the depth is
    // the logarithm of the number of symbols, well within any limit used here.
    for (std::uint64_t& v : c)
      if (v > 0) v = (v >> 1) | 1;
  }
}

// ---- symbol dictionary ------------------------------------------------------------------------

namespace {
std::uint64_t SizeKey(const TBWImage& i) {
  return (std::uint64_t(std::uint32_t(i.Width())) << 32) | std::uint32_t(i.Height());
}

bool LossyMatch(const TBWImage& a, const TBWImage& b, int level) {
  if (level <= 0) return false;
  const int w = a.Width(), h = a.Height(), ls = a.LineSize();
  TBWImage diff(w, h);
  for (int y = 0; y < h; ++y)
    for (int k = 0; k < ls; ++k) diff.Row(y)[k] = a.Row(y)[k] ^ b.Row(y)[k];
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!diff.GetPixel(x, y)) continue;
      int n = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if ((dx || dy) && diff.GetPixel(x + dx, y + dy)) ++n;
      if (n >= level) return false;
    }
  return true;
}
}  // namespace

int TJBig2SymbolDictionary::FindTemplate(const TBWImage& symbol) {
  std::vector<int>& same = FBySize[SizeKey(symbol)];
  for (int i : same)
    if (FDictionary[std::size_t(i)].Image == symbol) return i;
  for (int i : same)
    if (LossyMatch(FDictionary[std::size_t(i)].Image, symbol, FOptions.LossyLevel)) return i;
  const int index = Count();
  FDictionary.push_back({symbol, symbol.Width() - FTotalWidth});
  FTotalWidth = symbol.Width();
  FDictionaryWidth += symbol.Width();
  FMaxH = std::max(FMaxH, symbol.Height());
  same.push_back(index);
  return index;
}

void TJBig2SymbolDictionary::Clear() {
  FDictionary.clear();
  FBySize.clear();
  FMaxH = FTotalWidth = 0;
  FDictionaryWidth = 0;
}

std::string TJBig2SymbolDictionary::SegmentData() const {
  std::string out;
  out += '\x00';
  out += '\x11';
  App32(out, static_cast<std::uint32_t>(Count()));
  App32(out, static_cast<std::uint32_t>(Count()));
  // The collective bitmap: all symbols side by side, top-aligned.
  const int width = static_cast<int>(FDictionaryWidth), height = FMaxH;
  const int stride = (width + 7) / 8;
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * std::max(height, 0), 0);
  int x0 = 0;
  for (const TSymbolDictionaryItem& s : FDictionary) {
    for (int y = 0; y < s.Image.Height(); ++y) {
      std::uint8_t* row = rows.data() + static_cast<std::size_t>(y) * stride;
      for (int x = 0; x < s.Image.Width(); ++x)
        if (s.Image.GetPixel(x, y)) row[(x0 + x) >> 3] |= std::uint8_t(0x80 >> ((x0 + x) & 7));
    }
    x0 += s.Image.Width();
  }
  std::string mmr;
  CCITTEncodeRows(rows.data(), stride, width, height, CCITT42D, mmr);
  {
    TBitWriter w(out);
    PutValue(w, TableB4(), height);
    for (const TSymbolDictionaryItem& s : FDictionary) PutValue(w, TableB3(), s.DW);
    PutOOB(w, TableB3());
    PutValue(w, TableB1(), static_cast<long long>(mmr.size()));
    w.Flush();
  }
  out += mmr;
  {
    TBitWriter w(out);
    PutValue(w, TableB1(), 0);
    PutValue(w, TableB1(), Count());
  }
  return out;
}

// ---- the page ---------------------------------------------------------------------------------

TJBIG2Compression::TJBIG2Compression(TJBig2SymbolDictionary* globalSymbolDictionary, const TJBIG2Options& options)
    : FUseGlobalSD(globalSymbolDictionary != nullptr),
      FSymbolDictionary(globalSymbolDictionary ? globalSymbolDictionary : new TJBig2SymbolDictionary(options)),
      FOptions(options) {}

TJBIG2Compression::~TJBIG2Compression() {
  if (!FUseGlobalSD) delete FSymbolDictionary;
}

void TJBIG2Compression::Execute(TStream* outStream, const TBitmap& bitmap) {
  if (!outStream) throw Exception("Not set output JBIG2 stream.");
  TBWImage image(bitmap);
  std::string out;
  Execute(out, image);
  outStream->WriteBuffer(out.data(), static_cast<std::int64_t>(out.size()));
}

namespace {

// Takes the 8-connected black region at (x, y) out of the page; spans are (y, x0, x1).
struct TSpan {
  int y, x0, x1;
};
void TakeRegion(TBWImage& page, int x, int y, std::vector<TSpan>& spans, TImgBorder& box) {
  spans.clear();
  box = {{x, y}, {x, y}};
  std::vector<TImgPoint> stack{{x, y}};
  const int w = page.Width(), h = page.Height();
  while (!stack.empty()) {
    const TImgPoint p = stack.back();
    stack.pop_back();
    if (!page.GetPixel(p.x, p.y)) continue;
    int l = p.x, r = p.x;
    while (l > 0 && page.GetPixel(l - 1, p.y)) --l;
    while (r + 1 < w && page.GetPixel(r + 1, p.y)) ++r;
    page.DrawHorLine(l, r, p.y, false);
    spans.push_back({p.y, l, r});
    box.LeftTop.x = std::min(box.LeftTop.x, l);
    box.RightBottom.x = std::max(box.RightBottom.x, r);
    box.LeftTop.y = std::min(box.LeftTop.y, p.y);
    box.RightBottom.y = std::max(box.RightBottom.y, p.y);
    // Rows above and below: over the span and one pixel beyond it on each side.
    for (int ny : {p.y - 1, p.y + 1}) {
      if (ny < 0 || ny >= h) continue;
      for (int nx = std::max(l - 1, 0); nx <= std::min(r + 1, w - 1); ++nx)
        if (page.GetPixel(nx, ny) && (nx == std::max(l - 1, 0) || !page.GetPixel(nx - 1, ny)))
          stack.push_back({nx, ny});
    }
  }
}

void SegmentHeader(std::string& out, std::uint32_t number, const std::string& typeAndRefs, std::uint32_t length) {
  App32(out, number);
  out += typeAndRefs;
  App32(out, length);
}

}  // namespace

void TJBIG2Compression::AddInstance(const TBWImage& symbol, int x, int y) {
  const int index = FSymbolDictionary->FindTemplate(symbol);
  FSymbols.push_back({x, y, index});
  if (FUseTime.size() <= std::size_t(index)) FUseTime.resize(std::size_t(index) + 1, 0);
  ++FUseTime[std::size_t(index)];
}

void TJBIG2Compression::Execute(std::string& out, TBWImage& page) {
  FSymbols.clear();
  FUseTime.clear();
  std::vector<TSpan> spans;
  TImgBorder box;
  int x = 0, y = 0;
  while (page.GetBlackPoint(x, y)) {
    TakeRegion(page, x, y, spans, box);
    const int bw = box.RightBottom.x - box.LeftTop.x + 1, bh = box.RightBottom.y - box.LeftTop.y + 1;
    if (FOptions.SkipBlackDots && bw < FOptions.BlackDotSize && bh < FOptions.BlackDotSize) {
      page.ClearRectangle(box);
      continue;
    }
    TBWImage symbol(bw, bh);
    for (const TSpan& s : spans)
      symbol.DrawHorLine(s.x0 - box.LeftTop.x, s.x1 - box.LeftTop.x, s.y - box.LeftTop.y, true);
    if (FOptions.SymbolExtract == icRectangle) {
      page.CopyRectangleTo(box, symbol, 0, 0);
      page.ClearRectangle(box);
    }
    if (bw <= MaxSymbolSide && bh <= MaxSymbolSide) {
      AddInstance(symbol, box.LeftTop.x, box.LeftTop.y);
      continue;
    }
    // A large region goes in as tiles: width differences in the dictionary stay within the
    // table lines that every reader decodes, and the one height class stays low.
    for (int ty = 0; ty < bh; ty += MaxSymbolSide)
      for (int tx = 0; tx < bw; tx += MaxSymbolSide) {
        const TImgBorder t{{tx, ty}, {std::min(tx + MaxSymbolSide, bw) - 1, std::min(ty + MaxSymbolSide, bh) - 1}};
        TBWImage tile(t.RightBottom.x - tx + 1, t.RightBottom.y - ty + 1);
        symbol.CopyRectangleTo(t, tile, 0, 0);
        if (std::any_of(tile.Memory(), tile.Memory() + std::size_t(tile.LineSize()) * tile.Height(),
                        [](std::uint32_t v) { return v != 0; }))
          AddInstance(tile, box.LeftTop.x + tx, box.LeftTop.y + ty);
      }
  }
  // Strips are formed top down.
  std::stable_sort(FSymbols.begin(), FSymbols.end(), [](const TSymbol& a, const TSymbol& b) { return a.y < b.y; });

  const std::uint8_t pageNumber = FUseGlobalSD ? 1 : 0;
  // Page information: size, no resolution, combination operator overridden, no striping.
  std::string info;
  App32(info, std::uint32_t(page.Width()));
  App32(info, std::uint32_t(page.Height()));
  App32(info, 0);
  App32(info, 0);
  info += '\x40';
  info += std::string(2, '\0');
  if (FSymbols.empty()) {
    SegmentHeader(out, pageNumber, std::string("\x30\x00\x01", 3), 19);
    out += info;
    return;
  }
  const std::string dict = FSymbolDictionary->SegmentData();
  SegmentHeader(out, 0, std::string("\x00\x01", 2) + char(FUseGlobalSD ? 0 : 1), std::uint32_t(dict.size()));
  out += dict;
  SegmentHeader(out, 1, std::string("\x30\x00\x01", 3), 19);
  out += info;

  std::string text;
  App32(text, std::uint32_t(page.Width()));
  App32(text, std::uint32_t(page.Height()));
  App32(text, 0);
  App32(text, 0);
  text += '\0';
  text += '\x0C';
  text += '\x19';
  text += '\x00';
  text += '\x10';
  App32(text, std::uint32_t(FSymbols.size()));
  {
    TBitWriter w(text);
    // Symbol ID code lengths from the use counts, at most 31 bits as the standard allows.
    const int count = FSymbolDictionary->Count();
    std::vector<std::uint64_t> use(std::size_t(count), 0);
    for (std::size_t i = 0; i < FUseTime.size() && i < use.size(); ++i) use[i] = FUseTime[i];
    const std::vector<int> lens = JBIG2CodeLengths(use, 31);
    const std::vector<std::uint32_t> codes = CanonicalCodes(lens);
    // Run-length code of the lengths: (RUNCODE, extra bits, extra value).
    struct TRun {
      int Code, Bits, Extra;
    };
    std::vector<TRun> runs;
    for (std::size_t i = 0; i < lens.size();) {
      const int l = lens[i];
      std::size_t j = i + 1;
      while (j < lens.size() && lens[j] == l) ++j;
      std::size_t n = j - i;
      if (l == 0) {
        while (n > 0) {
          if (n >= 11) {
            const std::size_t k = std::min<std::size_t>(n, 138);
            runs.push_back({34, 7, int(k - 11)});
            n -= k;
          } else if (n >= 3) {
            runs.push_back({33, 3, int(n - 3)});
            n = 0;
          } else {
            runs.push_back({0, 0, 0});
            --n;
          }
        }
      } else {
        runs.push_back({l, 0, 0});
        --n;
        while (n >= 3) {
          const std::size_t k = std::min<std::size_t>(n, 6);
          runs.push_back({32, 2, int(k - 3)});
          n -= k;
        }
        while (n > 0) {
          runs.push_back({l, 0, 0});
          --n;
        }
      }
      i = j;
    }
    std::vector<std::uint64_t> runUse(35, 0);
    for (const TRun& r : runs) ++runUse[std::size_t(r.Code)];
    const std::vector<int> runLens = JBIG2CodeLengths(runUse, 15);
    const std::vector<std::uint32_t> runCodes = CanonicalCodes(runLens);
    for (int l : runLens) w.Put(std::uint32_t(l), 4);
    for (const TRun& r : runs) {
      w.Put(runCodes[std::size_t(r.Code)], runLens[std::size_t(r.Code)]);
      if (r.Bits) w.Put(std::uint32_t(r.Extra), r.Bits);
    }
    w.Flush();

    // The instances, strip by strip (strips four rows high, reference corner top left).
    w.Put(0, 1);  // initial strip value 1: the strips start at -4
    int stripT = -4, firstS = 0;
    for (std::size_t i = 0; i < FSymbols.size();) {
      const int dt = (FSymbols[i].y - stripT) / 4;
      PutValue(w, TableB12(), dt);
      stripT += 4 * dt;
      int curS = 0;
      bool first = true;
      while (i < FSymbols.size() && FSymbols[i].y <= stripT + 3) {
        const TSymbol& s = FSymbols[i];
        if (first) {
          PutValue(w, TableB6(), s.x - firstS);
          firstS = s.x;
          first = false;
        } else {
          PutValue(w, TableB8(), static_cast<long long>(s.x) - (curS + 3));
        }
        w.Put(std::uint32_t(s.y - stripT), 2);
        w.Put(codes[std::size_t(s.Picture)], lens[std::size_t(s.Picture)]);
        curS = s.x + FSymbolDictionary->GetItem(s.Picture).Image.Width() - 1;
        ++i;
      }
      PutOOB(w, TableB8());
    }
    w.Flush();
  }
  SegmentHeader(out, 2, std::string("\x06\x20\x00\x01", 4), std::uint32_t(text.size()));
  out += text;
}
