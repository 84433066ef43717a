#include <gtest/gtest.h>

#include "support/GdiFixture.h"
#include "platform/graphics/Pictures.h"

TEST(Canvas, DrawsWithItsFontPenAndBrush) {
  TSurface s(40, 20);
  TCanvas c(s.DC);
  c.Brush().SetColor(clRed);
  c.FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(s.At(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(s.At(10, 5), 0xFFFFFFu);
  c.Pen().SetColor(clBlue);
  c.MoveTo(0, 15);
  c.LineTo(20, 15);
  EXPECT_EQ(s.At(19, 15), RGB(0, 0, 255));
  EXPECT_EQ(s.At(20, 15), 0xFFFFFFu);
  EXPECT_EQ(c.GetPenPos(), TPoint(20, 15));
  // XOR mode through the pen.
  c.Pen().SetColor(clWhite);
  c.Pen().SetMode(pmXor);
  c.MoveTo(0, 5);
  c.LineTo(10, 5);
  EXPECT_EQ(s.At(3, 5), RGB(0, 255, 255));
}

TEST(Canvas, FontsMeasureLikeTheContext) {
  TSurface s(4, 4);
  TCanvas c(s.DC);
  c.Font().SetName(u"Arial");
  c.Font().SetHeight(-16);
  EXPECT_EQ(c.Font().GetSize(), 12);
  const TSize ext = c.TextExtent(u"Hello");
  SIZE direct;
  GetTextExtentPoint32W(c.GetHandle(), u"Hello", 5, &direct);
  EXPECT_EQ(ext, direct);
  c.Font().SetStyle({fsBold});
  EXPECT_GT(c.TextWidth(u"Hello"), ext.cx);
  // A handle given to the font becomes its properties and is owned by it.
  LOGFONTW lf = MakeLogFont(u"Courier New", -20, FW_BOLD, true);
  c.Font().SetHandle(CreateFontIndirectW(&lf));
  EXPECT_EQ(c.Font().GetName(), u"Courier New");
  EXPECT_EQ(c.Font().GetHeight(), -20);
  EXPECT_TRUE(c.Font().GetStyle().Contains(fsItalic));
  EXPECT_EQ(c.TextHeight(u"x"), 23);
  // The screen-resolution size conversion follows the context's resolution.
  SetDeviceResolution(s.DC, 9600, 9600);
  TCanvas ref(s.DC);
  ref.Font().SetSize(10);
  EXPECT_EQ(ref.Font().GetHeight(), -1333);
}

TEST(Canvas, DrawsGraphicsStretched) {
  TBitmap bmp;
  bmp.SetSize(2, 2);
  bmp.GetCanvas()->Brush().SetColor(clLime);
  bmp.GetCanvas()->FillRect(Rect(0, 0, 2, 2));
  TSurface s(10, 10);
  TCanvas c(s.DC);
  c.Draw(1, 1, &bmp);
  EXPECT_EQ(s.At(2, 2), RGB(0, 255, 0));
  EXPECT_EQ(s.At(3, 3), 0xFFFFFFu);
  c.StretchDraw(Rect(4, 4, 10, 10), &bmp);
  EXPECT_EQ(s.At(9, 9), RGB(0, 255, 0));
  c.Draw(0, 0, nullptr);
}
