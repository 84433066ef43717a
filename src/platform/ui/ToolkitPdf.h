// The toolkit's own PDF writer, driven with plain records: pages of text lines in a few fonts and
// of straight lines and rectangles. The program writes PDF with its own writer; this is the peer
// its benchmarks and tests compare with.
#pragma once

#include <vector>

#include "platform/base/Types.h"

struct TToolkitPdfFont {
  UnicodeString Family;
  int PointSize = 10;
  bool Bold = false;
};

// Coordinates in points from the page's top-left corner; text at its baseline.
struct TToolkitPdfText {
  double X = 0, Y = 0;
  int Font = 0;  // index into the font list
  UnicodeString Text;
};

struct TToolkitPdfLine {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, Width = 1;
};

struct TToolkitPdfRect {
  double X = 0, Y = 0, W = 0, H = 0;
};

struct TToolkitPdfPage {
  std::vector<TToolkitPdfText> Texts;
  std::vector<TToolkitPdfLine> Lines;
  std::vector<TToolkitPdfRect> Rects;  // stroked
};

// Writes A4 portrait pages to fileName; false when the file cannot be written.
bool ToolkitWritePdf(const UnicodeString& fileName, const std::vector<TToolkitPdfFont>& fonts,
                     const std::vector<TToolkitPdfPage>& pages);
