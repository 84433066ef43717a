#include "pdf/PDFCCITT.h"

#include <vector>

#include "pdf/PDFBitWriter.h"
#include "platform/base/SysUtils.h"

namespace {

struct TCode {
  std::uint16_t Bits;
  std::uint8_t Len;
};

// Terminating codes (runs 0..63) and make-up codes (64..1728) of T.4; the extended make-up codes
// (1792..2560) serve both colours.
constexpr TCode WhiteTerm[64] = {
    {0x35, 8}, {0x07, 6}, {0x07, 4}, {0x08, 4}, {0x0B, 4}, {0x0C, 4}, {0x0E, 4}, {0x0F, 4},
    {0x13, 5}, {0x14, 5}, {0x07, 5}, {0x08, 5}, {0x08, 6}, {0x03, 6}, {0x34, 6}, {0x35, 6},
    {0x2A, 6}, {0x2B, 6}, {0x27, 7}, {0x0C, 7}, {0x08, 7}, {0x17, 7}, {0x03, 7}, {0x04, 7},
    {0x28, 7}, {0x2B, 7}, {0x13, 7}, {0x24, 7}, {0x18, 7}, {0x02, 8}, {0x03, 8}, {0x1A, 8},
    {0x1B, 8}, {0x12, 8}, {0x13, 8}, {0x14, 8}, {0x15, 8}, {0x16, 8}, {0x17, 8}, {0x28, 8},
    {0x29, 8}, {0x2A, 8}, {0x2B, 8}, {0x2C, 8}, {0x2D, 8}, {0x04, 8}, {0x05, 8}, {0x0A, 8},
    {0x0B, 8}, {0x52, 8}, {0x53, 8}, {0x54, 8}, {0x55, 8}, {0x24, 8}, {0x25, 8}, {0x58, 8},
    {0x59, 8}, {0x5A, 8}, {0x5B, 8}, {0x4A, 8}, {0x4B, 8}, {0x32, 8}, {0x33, 8}, {0x34, 8}};
constexpr TCode WhiteMakeup[27] = {
    {0x1B, 5}, {0x12, 5}, {0x17, 6}, {0x37, 7}, {0x36, 8}, {0x37, 8}, {0x64, 8}, {0x65, 8}, {0x68, 8},
    {0x67, 8}, {0xCC, 9}, {0xCD, 9}, {0xD2, 9}, {0xD3, 9}, {0xD4, 9}, {0xD5, 9}, {0xD6, 9}, {0xD7, 9},
    {0xD8, 9}, {0xD9, 9}, {0xDA, 9}, {0xDB, 9}, {0x98, 9}, {0x99, 9}, {0x9A, 9}, {0x18, 6}, {0x9B, 9}};
constexpr TCode BlackTerm[64] = {
    {0x37, 10}, {0x02, 3}, {0x03, 2}, {0x02, 2}, {0x03, 3}, {0x03, 4}, {0x02, 4}, {0x03, 5},
    {0x05, 6}, {0x04, 6}, {0x04, 7}, {0x05, 7}, {0x07, 7}, {0x04, 8}, {0x07, 8}, {0x18, 9},
    {0x17, 10}, {0x18, 10}, {0x08, 10}, {0x67, 11}, {0x68, 11}, {0x6C, 11}, {0x37, 11}, {0x28, 11},
    {0x17, 11}, {0x18, 11}, {0xCA, 12}, {0xCB, 12}, {0xCC, 12}, {0xCD, 12}, {0x68, 12}, {0x69, 12},
    {0x6A, 12}, {0x6B, 12}, {0xD2, 12}, {0xD3, 12}, {0xD4, 12}, {0xD5, 12}, {0xD6, 12}, {0xD7, 12},
    {0x6C, 12}, {0x6D, 12}, {0xDA, 12}, {0xDB, 12}, {0x54, 12}, {0x55, 12}, {0x56, 12}, {0x57, 12},
    {0x64, 12}, {0x65, 12}, {0x52, 12}, {0x53, 12}, {0x24, 12}, {0x37, 12}, {0x38, 12}, {0x27, 12},
    {0x28, 12}, {0x58, 12}, {0x59, 12}, {0x2B, 12}, {0x2C, 12}, {0x5A, 12}, {0x66, 12}, {0x67, 12}};
constexpr TCode BlackMakeup[27] = {
    {0x0F, 10}, {0xC8, 12}, {0xC9, 12}, {0x5B, 12}, {0x33, 12}, {0x34, 12}, {0x35, 12},
    {0x6C, 13}, {0x6D, 13}, {0x4A, 13}, {0x4B, 13}, {0x4C, 13}, {0x4D, 13}, {0x72, 13},
    {0x73, 13}, {0x74, 13}, {0x75, 13}, {0x76, 13}, {0x77, 13}, {0x52, 13}, {0x53, 13},
    {0x54, 13}, {0x55, 13}, {0x5A, 13}, {0x5B, 13}, {0x64, 13}, {0x65, 13}};
constexpr TCode ExtMakeup[13] = {{0x08, 11}, {0x0C, 11}, {0x0D, 11}, {0x12, 12}, {0x13, 12},
                                 {0x14, 12}, {0x15, 12}, {0x16, 12}, {0x17, 12}, {0x1C, 12},
                                 {0x1D, 12}, {0x1E, 12}, {0x1F, 12}};

constexpr TCode ModePass{0x1, 4}, ModeHorizontal{0x1, 3};
// Vertical modes for a1 - b1 = -3 .. 3.
constexpr TCode ModeVertical[7] = {{0x02, 7}, {0x02, 6}, {0x02, 3}, {0x1, 1}, {0x03, 3}, {0x03, 6}, {0x03, 7}};

void PutRun(TBitWriter& w, int run, bool black) {
  while (run >= 2624) {
    w.Put(ExtMakeup[12].Bits, ExtMakeup[12].Len);
    run -= 2560;
  }
  if (run >= 64) {
    const int m = run / 64;  // 1..40
    const TCode c = m <= 27 ? (black ? BlackMakeup : WhiteMakeup)[m - 1] : ExtMakeup[m - 28];
    w.Put(c.Bits, c.Len);
    run -= m * 64;
  }
  const TCode c = (black ? BlackTerm : WhiteTerm)[run];
  w.Put(c.Bits, c.Len);
}

// Positions where the colour changes along a row (the row starts white), then width twice as
// the ends the coding procedure looks for.
void Changes(const std::uint8_t* row, int width, std::vector<int>& out) {
  out.clear();
  bool black = false;
  int x = 0;
  const int full = width / 8;
  while (x < width) {
    // Skip whole bytes of the current colour.
    const std::uint8_t skip = black ? 0xFF : 0x00;
    int b = x >> 3;
    if ((x & 7) == 0) {
      while (b < full && row[b] == skip) ++b;
      x = b * 8;
      if (x >= width) break;
    }
    const std::uint8_t v = static_cast<std::uint8_t>((black ? ~row[b] : row[b]) << (x & 7));
    // v: set bits mark pixels of the other colour, from x on within this byte.
    if (v == 0) {
      x = (b + 1) * 8;
      continue;
    }
    x += __builtin_clz(static_cast<unsigned>(v)) - 24;
    if (x >= width) break;
    out.push_back(x);
    black = !black;
  }
  out.push_back(width);
  out.push_back(width);
}

void CodeRow2D(TBitWriter& w, const std::vector<int>& cur, const std::vector<int>& ref, int width) {
  int a0 = -1;
  bool black = false;
  std::size_t i = 0, j = 0;  // next candidates in the coding and the reference row
  while (a0 < width) {
    while (i < cur.size() - 1 && cur[i] <= a0) ++i;
    const int a1 = cur[i];
    // b1: first change right of a0 of the opposite colour (even positions turn black).
    while (j > 0 && ref[j - 1] > a0) --j;
    while (j < ref.size() - 2 && ref[j] <= a0) ++j;
    if (((j & 1) != 0) != black) ++j;
    if (j > ref.size() - 2) j = ref.size() - 2;
    const int b1 = ref[j], b2 = ref[j + 1];
    if (b2 < a1) {
      w.Put(ModePass.Bits, ModePass.Len);
      a0 = b2;
    } else if (a1 - b1 >= -3 && a1 - b1 <= 3) {
      const TCode c = ModeVertical[a1 - b1 + 3];
      w.Put(c.Bits, c.Len);
      a0 = a1;
      black = !black;
    } else {
      const int a2 = cur[std::min(i + 1, cur.size() - 1)];
      w.Put(ModeHorizontal.Bits, ModeHorizontal.Len);
      PutRun(w, a1 - std::max(a0, 0), black);
      PutRun(w, a2 - a1, !black);
      a0 = a2;
    }
  }
}

}  // namespace

void CCITTEncodeRows(const std::uint8_t* rows, int stride, int width, int height, TCCITT type,
                     std::string& out) {
  if (width <= 0 || height <= 0) return;
  TBitWriter w(out);
  std::vector<int> cur, ref{width, width};
  for (int y = 0; y < height; ++y) {
    Changes(rows + static_cast<std::ptrdiff_t>(y) * stride, width, cur);
    if (type == CCITT31D) {
      int x = 0;
      bool black = false;
      for (std::size_t k = 0; k + 2 < cur.size(); ++k) {
        PutRun(w, cur[k] - x, black);
        x = cur[k];
        black = !black;
      }
      PutRun(w, width - x, black);
      continue;
    }
    if (type == CCITT32D) w.Put(0x2, 13);  // end of line and the tag of a two-dimensional row
    CodeRow2D(w, cur, ref, width);
    std::swap(cur, ref);
  }
  w.Flush();
}

void TCCITTCompression::Execute(const TBitmap& bitmap) {
  if (!FStream) throw Exception("Not set output stream.");
  if (bitmap.GetPixelFormat() != pf1bit) throw Exception("Not b/w image.");
  if (bitmap.GetEmpty()) return;
  const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
  const int stride = (w + 7) / 8;
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * h);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* src = bitmap.ScanLine(y);
    for (int i = 0; i < stride; ++i) rows[static_cast<std::size_t>(y) * stride + i] = static_cast<std::uint8_t>(~src[i]);
  }
  std::string out;
  CCITTEncodeRows(rows.data(), stride, w, h, FCT, out);
  FStream->WriteBuffer(out.data(), static_cast<std::int64_t>(out.size()));
}
