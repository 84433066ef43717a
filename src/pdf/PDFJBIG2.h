// JBIG2 coding of bilevel images for the JBIG2Decode filter (embedded stream, no file header):
// the page is cut into connected symbols, which are matched against a symbol dictionary and
// placed with a Huffman-coded text region. Matching is exact unless a lossy level is asked for.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "pdf/PDFTypes.h"
#include "platform/base/Classes.h"
#include "platform/graphics/Pictures.h"

struct TJBIG2Options {
  // 0: symbols are shared only when their pixels are identical (lossless). n > 0: two symbols of
  // one size also match when no differing pixel has n or more differing neighbours.
  int LossyLevel = 0;
  // Drop black specks narrower and lower than BlackDotSize (loses pixels; off by default).
  bool SkipBlackDots = false;
  int BlackDotSize = 3;
  TImgCopyType SymbolExtract = icImageOnly;
};

struct TImgPoint {
  int x = 0, y = 0;
};
struct TImgBorder {
  TImgPoint LeftTop, RightBottom;  // inclusive
};

// Packed bilevel image: rows of 32-bit words, leftmost pixel in the most significant bit, a set
// bit is black; padding bits right of the width are 0.
class TBWImage {
 public:
  TBWImage(int w, int h);
  // From a 1-bit bitmap; set bits become black whatever the palette says.
  explicit TBWImage(const TBitmap& bitmap);
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int LineSize() const { return FLineSize; }
  std::uint32_t* Memory() { return FBuffer.data(); }
  const std::uint32_t* Memory() const { return FBuffer.data(); }
  std::uint32_t* Row(int y) { return FBuffer.data() + static_cast<std::size_t>(y) * FLineSize; }
  const std::uint32_t* Row(int y) const { return FBuffer.data() + static_cast<std::size_t>(y) * FLineSize; }
  bool GetPixel(int x, int y) const {
    return x >= 0 && y >= 0 && x < FWidth && y < FHeight && (Row(y)[x >> 5] >> (31 - (x & 31))) & 1;
  }
  void SetPixel(int x, int y, bool black);
  void DrawHorLine(int x0, int x1, int y, bool black);  // inclusive
  void ClearRectangle(const TImgBorder& b);
  // Copies the rectangle to dest at (dx, dy), OR-ed in.
  void CopyRectangleTo(const TImgBorder& b, TBWImage& dest, int dx, int dy) const;
  // Next black pixel at or after row y (left to right, top down); false when none.
  bool GetBlackPoint(int& x, int& y) const;
  // Packed bytes of the image, rows (width + 7) / 8 bytes long (a set bit is black).
  std::vector<std::uint8_t> ToBytes() const;
  bool operator==(const TBWImage& o) const {
    return FWidth == o.FWidth && FHeight == o.FHeight && FBuffer == o.FBuffer;
  }

 private:
  int FWidth, FHeight, FLineSize;
  std::vector<std::uint32_t> FBuffer;
};

struct TSymbolDictionaryItem {
  TBWImage Image;
  int DW = 0;
};

class TJBig2SymbolDictionary {
 public:
  explicit TJBig2SymbolDictionary(const TJBIG2Options& options) : FOptions(options) {}
  // Index of a matching symbol, or of the symbol added as new.
  int FindTemplate(const TBWImage& symbol);
  const TSymbolDictionaryItem& GetItem(int index) const { return FDictionary.at(static_cast<std::size_t>(index)); }
  int Count() const { return static_cast<int>(FDictionary.size()); }
  int TotalWidth() const { return FTotalWidth; }
  int MaxHeight() const { return FMaxH; }
  void Clear();
  // The symbol dictionary segment's data (Huffman coded, one height class, MMR bitmap).
  std::string SegmentData() const;

 private:
  TJBIG2Options FOptions;
  int FMaxH = 0, FTotalWidth = 0;
  long long FDictionaryWidth = 0;
  std::vector<TSymbolDictionaryItem> FDictionary;
  std::unordered_map<std::uint64_t, std::vector<int>> FBySize;
};

class TJBIG2Compression {
 public:
  // A null dictionary makes a private one.
  TJBIG2Compression(TJBig2SymbolDictionary* globalSymbolDictionary, const TJBIG2Options& options);
  ~TJBIG2Compression();
  void Execute(TStream* outStream, const TBitmap& bitmap);
  // The same on a packed image (the image is consumed: its symbols are cleared).
  void Execute(std::string& out, TBWImage& image);

  struct TSymbol {
    int x, y, Picture;
  };
  const std::vector<TSymbol>& Symbols() const { return FSymbols; }
  TJBig2SymbolDictionary& Dictionary() { return *FSymbolDictionary; }
  // Regions wider or taller than this are placed as tiles of at most this size.
  static constexpr int MaxSymbolSide = 64;

 private:
  void AddInstance(const TBWImage& symbol, int x, int y);
  bool FUseGlobalSD;
  TJBig2SymbolDictionary* FSymbolDictionary;
  TJBIG2Options FOptions;
  std::vector<TSymbol> FSymbols;
  std::vector<std::uint32_t> FUseTime;
};

// Code lengths of a Huffman code for the counts (0 for a count of 0, 1 for a lone symbol), none
// longer than limit. Exposed for the tests.
std::vector<int> JBIG2CodeLengths(const std::vector<std::uint64_t>& counts, int limit);
