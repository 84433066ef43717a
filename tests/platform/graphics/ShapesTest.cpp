#include <gtest/gtest.h>

#include "support/GdiFixture.h"

TEST(Shapes, RightAndBottomEdgesAreExclusive) {
  struct Case {
    const char* name;
    void (*draw)(HDC);
    int row;
    std::string expected;  // pixels 0..9 of that row
  };
  const Case cases[] = {
      {"FillRect", [](HDC dc) { RECT r(2, 2, 6, 6); FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); }, 3, "..####...."},
      {"Rectangle outline", [](HDC dc) { SelectObject(dc, GetStockObject(NULL_BRUSH)); Rectangle(dc, 2, 2, 7, 7); }, 2, "..#####..."},
      {"Rectangle side", [](HDC dc) { SelectObject(dc, GetStockObject(NULL_BRUSH)); Rectangle(dc, 2, 2, 7, 7); }, 4, "..#...#..."},
      {"Rectangle without pen is a pixel smaller", [](HDC dc) {
         SelectObject(dc, GetStockObject(NULL_PEN));
         SelectObject(dc, GetStockObject(BLACK_BRUSH));
         Rectangle(dc, 2, 2, 7, 7); }, 4, "..####...."},
      {"LineTo leaves out its end point", [](HDC dc) { MoveToEx(dc, 1, 5, nullptr); LineTo(dc, 6, 5); }, 5, ".#####...."},
      {"LineTo right to left", [](HDC dc) { MoveToEx(dc, 6, 5, nullptr); LineTo(dc, 1, 5); }, 5, "..#####..."},
      {"Polyline", [](HDC dc) { POINT p[] = {{0, 1}, {4, 1}, {4, 5}}; Polyline(dc, p, 3); }, 1, "#####....."},
      {"PatBlt", [](HDC dc) { SelectObject(dc, GetStockObject(BLACK_BRUSH)); PatBlt(dc, 3, 0, 2, 9, PATCOPY); }, 8, "...##....."},
      {"PatBlt of a size that overflows", [](HDC dc) { SelectObject(dc, GetStockObject(BLACK_BRUSH)); PatBlt(dc, 3, 0, INT32_MAX, 9, PATCOPY); }, 8, "...#######"},
  };
  for (const Case& c : cases) {
    TSurface s(10, 10);
    c.draw(s.DC);
    EXPECT_EQ(s.Row(c.row, 0, 10), c.expected) << c.name;
  }
}

TEST(Shapes, LinesReachingFarBeyondTheDeviceDrawTheirVisiblePart) {
  // Pixels of a line from far outside are the same as those of the line from the edge, the dash
  // pattern in step (the far start is a whole number of dash patterns away), and quick.
  struct Case {
    const char* name;
    int style;
    int farX0, nearX0, x1;
  };
  const Case cases[] = {
      {"solid across", PS_SOLID, -2000000000, 0, 2000000000},
      {"solid from the far right", PS_SOLID, 2000000000, 39, -2000000000},
      {"dashed", PS_DASH, -24 * 50000000, 0, 40},
      {"dash-dot", PS_DASHDOT, -30 * 40000000, 0, 40},
  };
  for (const Case& c : cases) {
    std::string rows[2];
    for (int i = 0; i < 2; ++i) {
      TSurface s(40, 10);
      HPEN pen = CreatePen(c.style, 1, 0);
      HGDIOBJ old = SelectObject(s.DC, pen);
      MoveToEx(s.DC, i == 0 ? c.farX0 : c.nearX0, 5, nullptr);
      LineTo(s.DC, c.x1, 5);
      SelectObject(s.DC, old);
      DeleteObject(pen);
      rows[i] = s.Row(5, 0, 40);
    }
    EXPECT_EQ(rows[0], rows[1]) << c.name;
    EXPECT_NE(rows[1].find('#'), std::string::npos) << c.name;
  }
}
