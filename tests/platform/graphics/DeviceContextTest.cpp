#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "support/GdiFixture.h"

TEST(Clipping, NoClipDiffersFromAnEmptyClip) {
  TSurface s(20, 20);
  HRGN rgn = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(GetClipRgn(s.DC, rgn), 0);  // no clip at all
  IntersectClipRect(s.DC, 5, 5, 5, 5);  // an empty clip: nothing is visible
  EXPECT_EQ(GetClipRgn(s.DC, rgn), 1);
  RECT box;
  EXPECT_EQ(GetRgnBox(rgn, &box), NULLREGION);
  RECT all(0, 0, 20, 20);
  FillRect(s.DC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(s.At(10, 10), 0xFFFFFFu);
  SelectClipRgn(s.DC, nullptr);
  EXPECT_EQ(GetClipRgn(s.DC, rgn), 0);
  FillRect(s.DC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(s.At(10, 10), 0u);
  DeleteObject(rgn);
}

TEST(Clipping, RegionsCombineAndLimitDrawing) {
  struct Case {
    const char* name;
    void (*clip)(HDC);
    std::string row5;  // pixels 0..19 of row 5 after filling everything black
  };
  const Case cases[] = {
      {"intersect", [](HDC dc) { IntersectClipRect(dc, 2, 0, 6, 20); }, "..####.............."},
      {"intersect twice", [](HDC dc) { IntersectClipRect(dc, 2, 0, 6, 20); IntersectClipRect(dc, 4, 0, 10, 20); }, "....##.............."},
      {"exclude", [](HDC dc) { ExcludeClipRect(dc, 2, 0, 18, 20); }, "##................##"},
      {"union of two", [](HDC dc) {
         HRGN a = CreateRectRgn(0, 0, 2, 20), b = CreateRectRgn(10, 0, 12, 20), u = CreateRectRgn(0, 0, 0, 0);
         EXPECT_EQ(CombineRgn(u, a, b, RGN_OR), COMPLEXREGION);
         SelectClipRgn(dc, u);
         DeleteObject(a), DeleteObject(b), DeleteObject(u); }, "##........##........"},
      {"difference", [](HDC dc) {
         HRGN a = CreateRectRgn(0, 0, 8, 20), b = CreateRectRgn(2, 0, 6, 20);
         CombineRgn(a, a, b, RGN_DIFF);
         SelectClipRgn(dc, a);
         DeleteObject(a), DeleteObject(b); }, "##....##............"},
      {"and", [](HDC dc) {
         HRGN a = CreateRectRgn(0, 0, 8, 20), b = CreateRectRgn(6, 0, 12, 20);
         EXPECT_EQ(CombineRgn(a, a, b, RGN_AND), SIMPLEREGION);
         SelectClipRgn(dc, a);
         DeleteObject(a), DeleteObject(b); }, "......##............"},
      {"polygon", [](HDC dc) {
         POINT p[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
         HRGN a = CreatePolygonRgn(p, 4, ALTERNATE);
         SelectClipRgn(dc, a);
         DeleteObject(a); }, "##########.........."},
      {"ellipse", [](HDC dc) {
         HRGN a = CreateEllipticRgn(0, 0, 20, 10);
         SelectClipRgn(dc, a);
         DeleteObject(a); }, "####################"},
      {"logical units under a viewport origin", [](HDC dc) {
         SetViewportOrgEx(dc, 4, 0, nullptr);
         IntersectClipRect(dc, 0, 0, 2, 20);
         SetViewportOrgEx(dc, 0, 0, nullptr); }, "....##.............."},
  };
  for (const Case& c : cases) {
    TSurface s(20, 20);
    c.clip(s.DC);
    RECT all(0, 0, 20, 20);
    FillRect(s.DC, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(s.Row(5, 0, 20), c.row5) << c.name;
  }
}

TEST(Mapping, AnisotropicWindowAndViewport) {
  TSurface s(10, 10);
  struct Case { int mode; TPoint wOrg; TSize wExt; TPoint vOrg; TSize vExt; TPoint in, out; };
  const Case cases[] = {
      {MM_TEXT, {0, 0}, {1, 1}, {0, 0}, {1, 1}, {7, 9}, {7, 9}},
      {MM_TEXT, {5, 5}, {1, 1}, {100, 0}, {1, 1}, {7, 9}, {102, 4}},
      {MM_ANISOTROPIC, {0, 0}, {100, 100}, {0, 0}, {1, 1}, {250, 1000}, {3, 10}},  // 2.5 rounds up
      {MM_ANISOTROPIC, {0, 0}, {100, 100}, {0, 0}, {1, 1}, {-250, 0}, {-2, 0}},
      {MM_ANISOTROPIC, {10, 20}, {2, 4}, {1, 1}, {6, -8}, {12, 24}, {7, -7}},
  };
  for (const Case& c : cases) {
    SetMapMode(s.DC, c.mode);
    SetWindowExtEx(s.DC, c.wExt.cx, c.wExt.cy, nullptr);
    SetViewportExtEx(s.DC, c.vExt.cx, c.vExt.cy, nullptr);
    SetWindowOrgEx(s.DC, c.wOrg.X, c.wOrg.Y, nullptr);
    SetViewportOrgEx(s.DC, c.vOrg.X, c.vOrg.Y, nullptr);
    POINT p = c.in;
    ASSERT_TRUE(LPtoDP(s.DC, &p, 1));
    EXPECT_EQ(p, c.out) << c.mode << " " << c.in.X;
    ASSERT_TRUE(DPtoLP(s.DC, &p, 1));
    if (c.mode == MM_TEXT) {
      EXPECT_EQ(p, c.in);
    }
  }
  // In MM_TEXT the extents stay 1:1; zero extents are refused.
  SetMapMode(s.DC, MM_TEXT);
  SetWindowExtEx(s.DC, 50, 50, nullptr);
  SIZE e;
  GetWindowExtEx(s.DC, &e);
  EXPECT_EQ(e, TSize(1, 1));
  SetMapMode(s.DC, MM_ANISOTROPIC);
  EXPECT_FALSE(SetWindowExtEx(s.DC, 0, 5, nullptr));
}

TEST(Mapping, WorldTransformLeftMultiplies) {
  TSurface s(10, 10);
  XFORM scale{2, 0, 0, 3, 0, 0}, shift{1, 0, 0, 1, 10, 20};
  EXPECT_FALSE(SetWorldTransform(s.DC, &scale));  // not in the compatible mode
  ASSERT_EQ(SetGraphicsMode(s.DC, GM_ADVANCED), GM_COMPATIBLE);
  ASSERT_TRUE(SetWorldTransform(s.DC, &scale));
  ASSERT_TRUE(ModifyWorldTransform(s.DC, &shift, MWT_LEFTMULTIPLY));
  XFORM x;
  GetWorldTransform(s.DC, &x);
  // shift first, then scale: (p + (10, 20)) * (2, 3)
  EXPECT_EQ(x, (XFORM{2, 0, 0, 3, 20, 60}));
  POINT p{1, 1};
  LPtoDP(s.DC, &p, 1);
  EXPECT_EQ(p, TPoint(22, 63));
  ModifyWorldTransform(s.DC, &shift, MWT_RIGHTMULTIPLY);
  GetWorldTransform(s.DC, &x);
  EXPECT_EQ(x, (XFORM{2, 0, 0, 3, 30, 80}));
  XFORM singular{0, 0, 0, 0, 0, 0};
  EXPECT_FALSE(SetWorldTransform(s.DC, &singular));
  // Leaving the advanced mode needs the identity first.
  EXPECT_EQ(SetGraphicsMode(s.DC, GM_COMPATIBLE), 0);
  ModifyWorldTransform(s.DC, nullptr, MWT_IDENTITY);
  EXPECT_EQ(SetGraphicsMode(s.DC, GM_COMPATIBLE), GM_ADVANCED);
}

TEST(State, SaveAndRestoreBringBackEverything) {
  TSurface s(10, 10);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  const int level = SaveDC(s.DC);
  EXPECT_EQ(level, 1);
  HGDIOBJ oldPen = SelectObject(s.DC, pen);
  SetTextColor(s.DC, 0x123456);
  SetBkMode(s.DC, TRANSPARENT);
  SetTextAlign(s.DC, TA_BASELINE | TA_RTLREADING);
  SetTextCharacterExtra(s.DC, 4);
  SetMapMode(s.DC, MM_ANISOTROPIC);
  SetWindowExtEx(s.DC, 3, 3, nullptr);
  SetViewportOrgEx(s.DC, 7, 8, nullptr);
  IntersectClipRect(s.DC, 1, 1, 2, 2);
  EXPECT_EQ(SaveDC(s.DC), 2);
  SetTextColor(s.DC, 0x654321);
  ASSERT_TRUE(RestoreDC(s.DC, -1));
  EXPECT_EQ(GetTextColor(s.DC), 0x123456u);
  ASSERT_TRUE(RestoreDC(s.DC, level));
  EXPECT_EQ(GetCurrentObject(s.DC, OBJ_PEN), oldPen);
  EXPECT_EQ(GetTextColor(s.DC), 0u);
  EXPECT_EQ(GetBkMode(s.DC), OPAQUE);
  EXPECT_EQ(GetTextAlign(s.DC), 0u);
  EXPECT_EQ(GetTextCharacterExtra(s.DC), 0);
  EXPECT_EQ(GetMapMode(s.DC), MM_TEXT);
  POINT org;
  GetViewportOrgEx(s.DC, &org);
  EXPECT_EQ(org, TPoint(0, 0));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(s.DC, rgn), 0);
  DeleteObject(rgn);
  EXPECT_FALSE(RestoreDC(s.DC, 1));  // nothing saved any more
  EXPECT_FALSE(RestoreDC(s.DC, 0));
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(State, HandlesAreCheckedAndSelectedObjectsOutliveDeletion) {
  TSurface s(10, 10);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  SelectObject(s.DC, red);
  EXPECT_TRUE(DeleteObject(red));   // still selected: freed when deselected
  EXPECT_EQ(GetObjectType(red), OBJ_BRUSH);
  Rectangle(s.DC, 0, 0, 5, 5);
  EXPECT_EQ(s.At(2, 2), RGB(255, 0, 0));
  SelectObject(s.DC, GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetObjectType(red), 0u);
  EXPECT_FALSE(DeleteObject(red));
  EXPECT_EQ(SelectObject(s.DC, red), nullptr);
  EXPECT_EQ(SelectObject(nullptr, GetStockObject(BLACK_PEN)), nullptr);
  EXPECT_FALSE(DeleteDC(nullptr));
  EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), 0);
  // A bitmap sits in one memory context at a time.
  HDC other = CreateCompatibleDC(s.DC);
  EXPECT_EQ(SelectObject(other, s.Bmp), nullptr);
  DeleteDC(other);
}

// Handles a thread has checked before are answered again without the registry: a deletion on
// another thread, or of a context, must still be seen at once.
TEST(State, DeletedHandlesAreRefusedOnEveryThread) {
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(dc)), OBJ_MEMDC);
  std::thread([&] {
    EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);  // checked here too
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(brush), 0u);
  }).join();
  EXPECT_EQ(GetObjectType(brush), 0u);
  EXPECT_FALSE(DeleteObject(brush));
  std::thread([&] { EXPECT_TRUE(DeleteDC(dc)); }).join();
  EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(dc)), 0u);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 0);
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(Raster, XorDrawingTwiceErases) {
  struct Case { const char* name; void (*draw)(HDC); };
  const Case cases[] = {
      {"xor pen line", [](HDC dc) { SelectObject(dc, GetStockObject(WHITE_PEN)); SetROP2(dc, R2_XORPEN); MoveToEx(dc, 1, 1, nullptr); LineTo(dc, 15, 9); }},
      {"not pen rectangle", [](HDC dc) { SetROP2(dc, R2_NOT); SelectObject(dc, GetStockObject(NULL_BRUSH)); Rectangle(dc, 2, 2, 12, 12); }},
      {"focus rectangle", [](HDC dc) { RECT r(1, 1, 14, 9); DrawFocusRect(dc, &r); }},
      {"dotted xor line", [](HDC dc) {
         HPEN p = CreatePen(PS_DOT, 1, 0xFFFFFF);
         HGDIOBJ old = SelectObject(dc, p);
         SetROP2(dc, R2_XORPEN);
         SetBkMode(dc, TRANSPARENT);
         MoveToEx(dc, 0, 3, nullptr);
         LineTo(dc, 16, 3);
         SelectObject(dc, old);
         DeleteObject(p); }},
  };
  for (const Case& c : cases) {
    TSurface s(16, 16);
    RECT r(0, 0, 8, 16);
    FillRect(s.DC, &r, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    std::vector<COLORREF> before;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) before.push_back(s.At(x, y));
    c.draw(s.DC);
    bool changed = false;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) changed |= s.At(x, y) != before[static_cast<std::size_t>(y * 16 + x)];
    EXPECT_TRUE(changed) << c.name;
    c.draw(s.DC);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(s.At(x, y), before[static_cast<std::size_t>(y * 16 + x)]) << c.name << " " << x << "," << y;
  }
}

TEST(Raster, PensAndBrushes) {
  struct Case { const char* name; void (*draw)(HDC); int row; std::string expected; };
  const Case cases[] = {
      {"dotted pen: three on, three off", [](HDC dc) {
         HPEN p = CreatePen(PS_DOT, 1, 0);
         SelectObject(dc, p);
         SetBkMode(dc, TRANSPARENT);
         MoveToEx(dc, 0, 1, nullptr);
         LineTo(dc, 16, 1);
         SelectObject(dc, GetStockObject(BLACK_PEN));
         DeleteObject(p); }, 1, "###...###...###."},
      {"null pen draws nothing", [](HDC dc) {
         SelectObject(dc, GetStockObject(NULL_PEN));
         MoveToEx(dc, 0, 1, nullptr);
         LineTo(dc, 16, 1); }, 1, "................"},
      {"wide pen is centred", [](HDC dc) {
         HPEN p = CreatePen(PS_SOLID, 3, 0);
         SelectObject(dc, p);
         MoveToEx(dc, 0, 8, nullptr);
         LineTo(dc, 0, 16);
         SelectObject(dc, GetStockObject(BLACK_PEN));
         DeleteObject(p); }, 12, "##.............."},
      {"inside-frame pen stays inside", [](HDC dc) {
         HPEN p = CreatePen(PS_INSIDEFRAME, 4, 0);
         SelectObject(dc, p);
         SelectObject(dc, GetStockObject(NULL_BRUSH));
         Rectangle(dc, 2, 2, 14, 14);
         SelectObject(dc, GetStockObject(BLACK_PEN));
         DeleteObject(p); }, 8, "..####....####.."},
      {"vertical hatch follows the brush origin", [](HDC dc) {
         HBRUSH b = CreateHatchBrush(HS_VERTICAL, 0);
         SetBkMode(dc, TRANSPARENT);
         SetBrushOrgEx(dc, 2, 0, nullptr);
         RECT r(0, 0, 16, 16);
         FillRect(dc, &r, b);
         DeleteObject(b); }, 5, "......#.......#."},
      {"pattern brush: clear bits in the text colour", [](HDC dc) {
         const BYTE rows[8] = {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F};
         HBRUSH b = CreatePattern8x8Brush(rows);
         SetTextColor(dc, 0);
         SetBkColor(dc, 0xFFFFFF);
         RECT r(0, 0, 16, 16);
         FillRect(dc, &r, b);
         DeleteObject(b); }, 3, "####....####...."},
  };
  for (const Case& c : cases) {
    TSurface s(16, 16);
    c.draw(s.DC);
    EXPECT_EQ(s.Row(c.row, 0, 16), c.expected) << c.name;
  }
}

TEST(Raster, ArcsByRadialPoints) {
  TSurface s(40, 40);
  SelectObject(s.DC, GetStockObject(BLACK_BRUSH));
  // From the radial through (40, 20) (east) counter-clockwise to (20, 0) (north): the upper
  // right quarter.
  Pie(s.DC, 0, 0, 41, 41, 40, 20, 20, 0);
  EXPECT_TRUE(s.Dark(30, 10));
  EXPECT_FALSE(s.Dark(10, 10));
  EXPECT_FALSE(s.Dark(30, 30));
  EXPECT_FALSE(s.Dark(10, 30));
  s.Clear();
  Arc(s.DC, 0, 0, 40, 40, 0, 20, 40, 20);  // west to east counter-clockwise: the lower half
  int lower = 0, upper = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) (y > 22 ? lower : y < 17 ? upper : lower) += s.Dark(x, y) && y != 20 ? (y > 22 || y < 17) : 0;
  EXPECT_GT(lower, 20);
  EXPECT_EQ(upper, 0);
}

TEST(Paths, FillStrokeAndNothing) {
  struct Case { const char* name; BOOL (*use)(HDC); bool inside, edge; };
  const Case cases[] = {
      {"fill", FillPath, true, true},
      {"stroke", StrokePath, false, true},
      {"stroke and fill", StrokeAndFillPath, true, true},
  };
  for (const Case& c : cases) {
    TSurface s(20, 20);
    SelectObject(s.DC, GetStockObject(BLACK_BRUSH));
    BeginPath(s.DC);
    MoveToEx(s.DC, 2, 2, nullptr);
    LineTo(s.DC, 15, 2);
    LineTo(s.DC, 15, 15);
    LineTo(s.DC, 2, 15);
    CloseFigure(s.DC);
    EndPath(s.DC);
    EXPECT_EQ(s.At(8, 8), 0xFFFFFFu) << c.name;  // nothing drawn while the path is built
    ASSERT_TRUE(c.use(s.DC)) << c.name;
    EXPECT_EQ(s.Dark(8, 8), c.inside) << c.name;
    EXPECT_EQ(s.Dark(2, 8), c.edge) << c.name;
    EXPECT_FALSE(c.use(s.DC)) << c.name;  // the path is used up
  }
}

TEST(Bitmaps, RowOrderBlitsAndAlpha) {
  // A bottom-up bitmap keeps row 0 at the end of its memory.
  TSurface up(4, 4, false);
  RECT top(0, 0, 4, 1);
  FillRect(up.DC, &top, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const BYTE* mem = static_cast<const BYTE*>(up.Bits);
  EXPECT_EQ(mem[3 * 16], 0);          // last memory row is the top row
  EXPECT_EQ(mem[0], 255);             // first memory row is the bottom row
  EXPECT_EQ(GetPixel(up.DC, 1, 0), 0u);
  EXPECT_EQ(GetPixel(up.DC, 1, 3), 0xFFFFFFu);
  EXPECT_EQ(GetPixel(up.DC, 9, 9), CLR_INVALID);

  TSurface dst(8, 8);
  ASSERT_TRUE(BitBlt(dst.DC, 2, 2, 4, 4, up.DC, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.Row(2, 0, 8), "..####..");
  EXPECT_EQ(dst.Row(3, 0, 8), "........");
  ASSERT_TRUE(StretchBlt(dst.DC, 0, 4, 8, 4, up.DC, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(dst.Row(5, 0, 8), "########");
  EXPECT_EQ(dst.Row(6, 0, 8), "........");

  // Constant alpha over white.
  TSurface a(4, 4);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 128, 0};
  ASSERT_TRUE(AlphaBlend(a.DC, 0, 0, 4, 1, up.DC, 0, 0, 4, 1, bf));
  EXPECT_NEAR(GetRValue(a.At(1, 0)), 127, 2);
  EXPECT_FALSE(AlphaBlend(a.DC, 0, 0, 4, 4, up.DC, 0, 0, 5, 5, bf));  // source outside its bitmap

  // A packed 24-bit DIB drawn scaled; its source y counts from the bottom.
  struct {
    BITMAPINFOHEADER h;
    BYTE bits[2 * 8];
  } dib{};
  dib.h.biWidth = 2;
  dib.h.biHeight = 2;
  dib.h.biBitCount = 24;
  const BYTE red[3] = {0, 0, 255}, blue[3] = {255, 0, 0};
  std::copy(red, red + 3, dib.bits), std::copy(red, red + 3, dib.bits + 3);        // bottom row red
  std::copy(blue, blue + 3, dib.bits + 8), std::copy(blue, blue + 3, dib.bits + 11);  // top row blue
  TSurface d(4, 4);
  EXPECT_EQ(StretchDIBits(d.DC, 0, 0, 4, 4, 0, 0, 2, 2, dib.bits, reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(d.At(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(d.At(3, 3), RGB(255, 0, 0));
  dib.h.biBitCount = 7;
  EXPECT_EQ(StretchDIBits(d.DC, 0, 0, 4, 4, 0, 0, 2, 2, dib.bits, reinterpret_cast<BITMAPINFO*>(&dib), DIB_RGB_COLORS, SRCCOPY), 0);
}

TEST(Bitmaps, TwentyFourBitRowsArePaddedAndDrawable) {
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 5;  // 15 bytes of pixels, 16 with padding
  bi.bmiHeader.biHeight = -3;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(GetBitmapStride(bmp), 16);
  HGDIOBJ old = SelectObject(dc, bmp);
  HBRUSH b = CreateSolidBrush(RGB(10, 20, 30));
  RECT r(1, 1, 3, 2);
  FillRect(dc, &r, b);
  const BYTE* row1 = static_cast<const BYTE*>(bits) + 16;
  EXPECT_EQ(row1[3], 30);  // blue, green, red of pixel 1
  EXPECT_EQ(row1[4], 20);
  EXPECT_EQ(row1[5], 10);
  EXPECT_EQ(row1[9], 0);   // pixel 3 untouched
  EXPECT_EQ(GetPixel(dc, 2, 1), RGB(10, 20, 30));
  DIBSECTION ds;
  ASSERT_EQ(GetObjectW(bmp, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBmih.biHeight, -3);
  SelectObject(dc, old);
  DeleteObject(b);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST(Devices, CapsAndScreen) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  HDC mem = CreateCompatibleDC(screen);
  EXPECT_EQ(GetDeviceCaps(mem, LOGPIXELSY), 96);
  SetDeviceResolution(mem, 9600, 9600);
  EXPECT_EQ(GetDeviceCaps(mem, LOGPIXELSX), 9600);
  HDC mem2 = CreateCompatibleDC(mem);
  EXPECT_EQ(GetDeviceCaps(mem2, LOGPIXELSY), 9600);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  DeleteDC(mem2);
  DeleteDC(mem);
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
}

TEST(State, BadInputIsRefused) {
  TSurface s(8, 8);
  auto bogus = reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x1234560));
  EXPECT_EQ(SelectObject(s.DC, bogus), nullptr);
  EXPECT_FALSE(DeleteObject(bogus));
  EXPECT_EQ(GetObjectType(bogus), 0u);
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(bogus)));
  struct Dib { const char* name; LONG w, h; WORD bits; DWORD compression; };
  const Dib dibs[] = {{"zero width", 0, 4, 32, BI_RGB}, {"negative width", -4, 4, 32, BI_RGB},
                      {"zero height", 4, 0, 32, BI_RGB}, {"odd depth", 4, 4, 7, BI_RGB},
                      {"compressed", 4, 4, 24, BI_RLE8}, {"huge", 1 << 20, 1 << 20, 32, BI_RGB}};
  for (const Dib& d : dibs) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = d.w;
    bi.bmiHeader.biHeight = d.h;
    bi.bmiHeader.biBitCount = d.bits;
    bi.bmiHeader.biCompression = d.compression;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(s.DC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << d.name;
    EXPECT_EQ(bits, nullptr) << d.name;
  }
  EXPECT_EQ(CreateDIBSection(s.DC, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(StretchDIBits(s.DC, 0, 0, 1, 1, 0, 0, 1, 1, nullptr, nullptr, DIB_RGB_COLORS, SRCCOPY), 0);
  EXPECT_FALSE(Polygon(s.DC, nullptr, 3));
  EXPECT_FALSE(Polyline(s.DC, nullptr, 0));
  EXPECT_FALSE(ExtTextOutW(s.DC, 0, 0, 0, nullptr, nullptr, 3, nullptr));
  EXPECT_FALSE(TextOutW(s.DC, 0, 0, u"a", -1));
  HRGN r = CreateRectRgn(0, 0, 2, 2);
  EXPECT_EQ(CombineRgn(r, r, r, 99), ERROR);
  EXPECT_EQ(CombineRgn(r, bogus, r, RGN_OR), ERROR);
  EXPECT_EQ(GetClipRgn(s.DC, bogus), -1);
  DeleteObject(r);
  EXPECT_EQ(SetMapMode(s.DC, 42), 0);
  EXPECT_EQ(SetROP2(s.DC, 0), 0);
  EXPECT_EQ(SetBkMode(s.DC, 7), 0);
  EXPECT_EQ(CreateHatchBrush(9, 0), nullptr);
  EXPECT_EQ(GetStockObject(99), nullptr);
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN)));  // stock objects stay
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN);
}
