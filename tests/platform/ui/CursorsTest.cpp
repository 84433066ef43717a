// The screen's cursor table and the built-in cursors and bitmap.
#include "platform/ui/Cursors.h"

#include <gtest/gtest.h>

TEST(BuiltInCursors, DrawnOnceWithTheHotSpotOnTheShape) {
  struct Case {
    const char16_t* name;
    int hotX, hotY;
  };
  const Case cases[] = {{u"RV_JUMP_CURSOR", 5, 0},      {u"RV_FLIPARROW_CURSOR", 11, 0}, {u"RV_LAYINGIBEAM_CURSOR", 7, 1},
                        {u"RV_SELECTCOL_CURSOR", 3, 8}, {u"RV_SELECTROW_CURSOR", 8, 4}};
  std::vector<HCURSOR> seen;
  for (const Case& c : cases) {
    HCURSOR cur = LoadCursorResource(c.name);
    ASSERT_NE(cur, nullptr);
    EXPECT_EQ(cur, LoadCursorResource(c.name));  // kept for the process
    EXPECT_EQ(cur->Shape, csCustom);
    EXPECT_EQ(cur->Image.Width, 32);
    EXPECT_EQ(cur->Image.Height, 32);
    EXPECT_TRUE(cur->Image.HasAlpha);
    EXPECT_EQ(cur->HotX, c.hotX);
    EXPECT_EQ(cur->HotY, c.hotY);
    EXPECT_EQ(cur->Image.At(c.hotX, c.hotY), 0xFF000000u);  // black outline under the hot spot
    EXPECT_EQ(cur->Image.At(31, 31) >> 24, 0u);               // transparent around
    for (HCURSOR other : seen) EXPECT_NE(cur->Image.Pixels, other->Image.Pixels);
    seen.push_back(cur);
  }
  EXPECT_EQ(LoadCursorResource(u""), nullptr);
  EXPECT_EQ(LoadCursorResource(u"rv_jump_cursor"), nullptr);
  ASSERT_NE(LoadSystemHandCursor(), nullptr);
  EXPECT_EQ(LoadSystemHandCursor()->Shape, csHand);
}

TEST(ScreenCursors, SetReplaceAndRemove) {
  HCURSOR a = LoadCursorResource(u"RV_FLIPARROW_CURSOR");
  HCURSOR b = LoadCursorResource(u"RV_LAYINGIBEAM_CURSOR");
  EXPECT_EQ(GetScreenCursor(-4321), nullptr);
  SetScreenCursor(-4321, a);
  EXPECT_EQ(GetScreenCursor(-4321), a);
  SetScreenCursor(-4321, b);
  EXPECT_EQ(GetScreenCursor(-4321), b);
  SetScreenCursor(-4321, nullptr);
  EXPECT_EQ(GetScreenCursor(-4321), nullptr);
}

TEST(BuiltInBitmaps, BadPicture) {
  auto bmp = LoadBitmapResource(u"RV_BAD_PICTURE");
  ASSERT_NE(bmp, nullptr);
  TPixelImage p = bmp->ToPixels();
  ASSERT_EQ(p.Width, 20);
  ASSERT_EQ(p.Height, 20);
  EXPECT_EQ(p.At(10, 10) & 0xFFFFFFu, 0xFF0000u);  // the red cross
  EXPECT_EQ(p.At(2, 10) & 0xFFFFFFu, 0xFFFFFFu);
  EXPECT_EQ(p.At(0, 0) & 0xFFFFFFu, 0x808080u);    // the frame
  EXPECT_EQ(LoadBitmapResource(u"RV_NOTHING"), nullptr);
}

TEST(ScreenCursors, HandedToTheWindowSystem) {
  EXPECT_EQ(WindowSystemCursor(nullptr).Shape, csArrow);
  EXPECT_EQ(WindowSystemCursor(LoadSystemHandCursor()).Shape, csHand);
  HCURSOR beam = LoadCursorResource(u"RV_LAYINGIBEAM_CURSOR");
  const TCursorImage q = WindowSystemCursor(beam);
  EXPECT_EQ(q.Shape, csCustom);
  EXPECT_EQ(q.HotX, beam->HotX);
  EXPECT_EQ(q.HotY, beam->HotY);
  ASSERT_EQ(q.Image.Width, 32);
  ASSERT_EQ(q.Image.Height, 32);
  EXPECT_EQ(q.Image.At(beam->HotX, beam->HotY), 0xFF000000u);
  EXPECT_EQ(q.Image.At(31, 31) >> 24, 0u);
  SetScreenCursor(-4322, beam);
  const TCursorImage s = WindowSystemScreenCursor(-4322);
  EXPECT_EQ(s.HotX, q.HotX);
  EXPECT_EQ(s.HotY, q.HotY);
  SetScreenCursor(-4322, nullptr);
  EXPECT_EQ(WindowSystemScreenCursor(-4322).Shape, csArrow);
}

TEST(ScreenCursors, TheTableStartsWithTheStandardShapes) {
  const struct {
    int Id;
    TCursorShape Shape;
  } cases[] = {{-2, csArrow},     {-3, csCross},    {-4, csIBeam},   {-6, csSizeNESW},
               {-7, csSizeNS},    {-8, csSizeNWSE}, {-9, csSizeWE}};
  for (const auto& c : cases) {
    ASSERT_NE(GetScreenCursor(c.Id), nullptr) << c.Id;
    EXPECT_EQ(GetScreenCursor(c.Id)->Shape, c.Shape) << c.Id;
    EXPECT_EQ(WindowSystemScreenCursor(c.Id).Shape, c.Shape) << c.Id;
  }
}
