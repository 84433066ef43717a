#include "engine/styles/RVBorder.h"

#include "StyleTestUtil.h"

namespace {
std::vector<int> Positions(const TRVTabInfos& tabs) {
  std::vector<int> r;
  for (int i = 0; i < tabs.Count(); ++i) r.push_back(tabs.Items(i)->GetPosition());
  return r;
}
void AddTab(TRVTabInfos& tabs, int pos, TRVTabAlign align = rvtaLeft, const char16_t* leader = u"") {
  TRVTabInfo* t = tabs.Add();
  t->Align = align;
  t->Leader = leader;
  t->SetPosition(pos);
}
}  // namespace

TEST(RVBorder, TotalWidth) {
  struct Case { TRVBorderStyle style; int expected; };
  const Case cases[] = {{rvbNone, 0}, {rvbSingle, 2}, {rvbDouble, 7}, {rvbTriple, 12},
                        {rvbThickInside, 9}, {rvbThickOutside, 9}};
  TRVBorder b;
  b.Width = 2;
  b.InternalWidth = 3;
  for (const Case& c : cases) {
    b.Style = c.style;
    EXPECT_EQ(b.GetTotalWidth(), c.expected) << int(c.style);
  }
}

TEST(RVBorder, EqualityWithIgnoreListsAndSelectedCopy) {
  TRVBorder a, b;
  b.VisibleBorders()->Top = false;
  EXPECT_FALSE(a.IsEqual(&b));
  EXPECT_TRUE(a.IsEqual_Para(&b, {rvpiBorder_Vis_Top}));
  EXPECT_FALSE(a.IsEqual_Para(&b, {rvpiBorder_Vis_Left}));
  b.BorderOffsets()->Right = 4;
  b.Color = clRed;
  EXPECT_TRUE(a.IsEqual_Para(&b, BorderParaProperties));
  a.AssignValidProperties(&b, {rvpiBorder_BO_Right, rvpiBorder_Vis_Top});
  EXPECT_EQ(a.BorderOffsets()->Right, 4);
  EXPECT_FALSE(a.VisibleBorders()->Top);
  EXPECT_EQ(a.Color, clWindowText);
  a.Assign(&b);
  EXPECT_TRUE(a.IsEqual(&b));
  a.Reset();
  TRVBorder fresh;
  EXPECT_TRUE(a.IsEqual(&fresh));
  EXPECT_TRUE(a.VisibleBorders()->IsAllEqual(true));
  EXPECT_TRUE(a.BorderOffsets()->IsAllEqual(0));
}

TEST(RVBorder, Similarity) {
  TRVBorder a, b;
  // No border drawn: every side is "drawn by neither".
  EXPECT_EQ(a.SimilarityValue(&b, 1), 4 * 20000);
  a.Style = rvbSingle;
  EXPECT_EQ(a.SimilarityValue(&b, 1), -4 * 20000);
  b.Style = rvbSingle;
  const int perSide = 3000 + 1000 + 1000 + 1000;  // equal colours, widths and styles
  EXPECT_EQ(a.SimilarityValue(&b, 1), 4 * perSide + 4 * 100);
  b.VisibleBorders()->Left = false;
  EXPECT_EQ(a.SimilarityValue(&b, 1), 3 * perSide + 3 * 100 - 20000);
}

TEST(RVBorder, IniKeysAndRoundTrip) {
  TRVBorder a;
  a.Style = rvbDouble;
  a.Width = 3;
  a.BorderOffsets()->Left = 5;
  a.VisibleBorders()->Bottom = false;
  auto ini = NewIni();
  a.SaveToINI(ini.get(), u"S", u"Border%s", BorderParaProperties);
  EXPECT_EQ(ini->ReadInteger(u"S", u"BorderWidth", 0), 3);
  EXPECT_EQ(ini->ReadInteger(u"S", u"BorderOffsetsLeft", 0), 5);
  EXPECT_EQ(ini->ReadString(u"S", u"BorderVisibleBottom", u""), u"No");
  EXPECT_FALSE(ini->ValueExists(u"S", u"BorderColor"));
  TRVBorder b;
  b.LoadFromINI(ini.get(), u"S", u"Border%s");
  EXPECT_TRUE(a.IsEqual(&b));
}

TEST(RVBackgroundRect, EqualitySimilarityAndIni) {
  TRVBackgroundRect a, b;
  EXPECT_FALSE(a.IsSemitransparent());
  a.Color = clRed;
  a.Opacity = 50000;
  EXPECT_TRUE(a.IsSemitransparent());
  EXPECT_FALSE(a.IsEqual(&b));
  EXPECT_TRUE(a.IsEqual_Para(&b, BackgroundParaProperties));
  b.AssignValidProperties(&a, {rvpiBackground_Color});
  EXPECT_EQ(b.Color, clRed);
  EXPECT_EQ(b.Opacity, 100000);
  TRVBackgroundRect c, d;
  EXPECT_EQ(c.SimilarityValue(&d, 1), (3 * 10000 + 50000) + 1000 + 4 * 100);
  a.BorderOffsets()->Top = -2;
  auto ini = NewIni();
  a.SaveToINI(ini.get(), u"S", u"Background%s", BackgroundParaProperties);
  EXPECT_EQ(ini->ReadInteger(u"S", u"BackgroundOffsetsTop", 0), -2);
  TRVBackgroundRect e;
  e.LoadFromINI(ini.get(), u"S", u"Background%s");
  EXPECT_TRUE(a.IsEqual(&e));
  TRect r(10, 10, 20, 20);
  e.PrepareDraw(r, nullptr);
  EXPECT_EQ(r, TRect(10, 12, 20, 20));  // a negative offset moves inside
}

TEST(RVRect, InflateInTwipsAndNegativeOffsets) {
  TEmptyRVStyle sheet;
  sheet.Units = rvstuTwips;
  TRVRect r;
  r.Left = 150;  // 10 pixels
  r.Top = -150;
  TRect rect(100, 100, 200, 200);
  r.InflateRect(rect, &sheet, false);
  EXPECT_EQ(rect, TRect(90, 100, 200, 200));
  rect = TRect(100, 100, 200, 200);
  r.InflateRect(rect, &sheet, true);
  EXPECT_EQ(rect, TRect(90, 110, 200, 200));
}

TEST(RVTabInfos, FindSortAndPositionChange) {
  TRVTabInfos tabs;
  EXPECT_EQ(tabs.Find(100), -1);
  for (int p : {300, 100, 200}) AddTab(tabs, p);
  EXPECT_EQ(Positions(tabs), (std::vector<int>{100, 200, 300}));
  struct Case { int pos, index; };
  for (const Case c : {Case{100, 0}, Case{200, 1}, Case{300, 2}, Case{250, -1}, Case{50, -1}, Case{400, -1}})
    EXPECT_EQ(tabs.Find(c.pos), c.index) << c.pos;
  tabs.Items(2)->SetPosition(50);
  EXPECT_EQ(Positions(tabs), (std::vector<int>{50, 100, 200}));
}

TEST(RVTabInfos, AddFromAtPositionZeroKeepsItsIndex) {
  TRVTabInfos tabs, src;
  AddTab(tabs, 100);
  AddTab(src, 0, rvtaRight);
  tabs.AddFrom(&src);
  EXPECT_EQ(Positions(tabs), (std::vector<int>{100, 0}));
  AddTab(src, 100, rvtaCenter);
  tabs.AddFrom(&src);
  EXPECT_EQ(tabs.Items(0)->Align, rvtaCenter);
}

TEST(RVTabInfos, IntersectDeleteListAndSimilarity) {
  TRVTabInfos a, b, none;
  AddTab(a, 100);
  AddTab(a, 200, rvtaRight);
  AddTab(b, 200, rvtaRight);
  AddTab(b, 300);
  EXPECT_EQ(none.SimilarityValue(&none, 1), 0);
  TRVTabInfos one;
  AddTab(one, 10);
  EXPECT_EQ(one.SimilarityValue(&none, 1), -400);
  a.Intersect(&b);
  EXPECT_EQ(Positions(a), (std::vector<int>{200}));
  EXPECT_EQ(a.Items(0)->Align, rvtaRight);
  b.DeleteList(L({300, 999}));
  EXPECT_EQ(Positions(b), (std::vector<int>{200}));
  EXPECT_TRUE(a.IsEqual(&b));
}

TEST(RVTabInfos, DisplayNameAndIni) {
  TRVTabInfos tabs;
  AddTab(tabs, 720, rvtaRight, u".");
  AddTab(tabs, 360, rvtaCenter, u"\u2014");
  EXPECT_EQ(tabs.Items(1)->GetDisplayName(), u"right at 720 (......)");
  EXPECT_EQ(tabs.Items(0)->GetDisplayName(), u"center at 360 (\u2014\u2014\u2014\u2014\u2014\u2014)");
  auto ini = NewIni();
  tabs.SaveToINI(ini.get(), u"S", u"Tab%s");
  EXPECT_EQ(ini->ReadInteger(u"S", u"TabTabCount", 0), 2);
  EXPECT_EQ(ini->ReadInteger(u"S", u"TabTabPos0", 0), 360);
  TRVTabInfos back;
  AddTab(back, 5);
  back.LoadFromINI(ini.get(), u"S", u"Tab%s");
  EXPECT_TRUE(back.IsEqual(&tabs));
  ini->WriteInteger(u"S", u"TabTabCount", 2000000000);  // damaged: bounded, no endless loop
  back.LoadFromINI(ini.get(), u"S", u"Tab%s");
  EXPECT_LE(back.Count(), 10000);
}

TEST(RVTabInfos, ConvertToTwipsKeepsOrder) {
  TRVTabInfos tabs;
  for (int p : {10, 48, 96}) AddTab(tabs, p);
  tabs.ConvertToDifferentUnits(nullptr, rvstuTwips);
  EXPECT_EQ(Positions(tabs), (std::vector<int>{150, 720, 1440}));
}

// ---- painting ------------------------------------------------------------------------------------

#include "engine/foundation/RVWinGrIn.h"
#include "platform/graphics/Pictures.h"

namespace {
struct Surface {
  TBitmap bmp{40, 40};
  TRVWinGraphicInterface gi;
  Surface() {
    TCanvas* c = bmp.GetCanvas();
    c->Brush().SetColor(clWhite);
    c->Brush().SetStyle(bsSolid);
    c->FillRect(TRect(0, 0, 40, 40));
  }
  TCanvas* Canvas() { return bmp.GetCanvas(); }
  // The rows of column x that are not white.
  std::vector<int> InkRows(int x) {
    std::vector<int> r;
    for (int y = 0; y < 40; ++y)
      if ((bmp.GetPixel(x, y) & 0xFFFFFF) != clWhite) r.push_back(y);
    return r;
  }
  std::vector<int> InkColumns(int y) {
    std::vector<int> r;
    for (int x = 0; x < 40; ++x)
      if ((bmp.GetPixel(x, y) & 0xFFFFFF) != clWhite) r.push_back(x);
    return r;
  }
};
}  // namespace

TEST(RVBorderDraw, LinesOfEachStyle) {
  struct Case { TRVBorderStyle style; std::vector<int> rowsAbove; };
  const Case cases[] = {{rvbSingle, {9}},
                        {rvbDouble, {6, 9}},
                        {rvbTriple, {3, 6, 9}},
                        {rvbThickInside, {5, 8, 9}},
                        {rvbThickOutside, {5, 6, 9}}};
  for (const Case& c : cases) {
    Surface s;
    TRVBorder b;
    b.Style = c.style;
    b.Color = clRed;
    b.InternalWidth = 2;
    b.Draw(TRect(10, 10, 20, 20), s.Canvas(), nullptr, &s.gi, rvcmColor);
    std::vector<int> expected = c.rowsAbove;
    std::sort(expected.begin(), expected.end());
    std::vector<int> above;
    for (int y : s.InkRows(15))
      if (y < 10) above.push_back(y);
    EXPECT_EQ(above, expected) << int(c.style);
    EXPECT_EQ(s.bmp.GetPixel(15, 9) & 0xFFFFFF, clRed);
    EXPECT_EQ(s.bmp.GetPixel(15, 15) & 0xFFFFFF, clWhite);
  }
}

TEST(RVBorderDraw, HiddenSidesOffsetsAndNone) {
  Surface s;
  TRVBorder b;
  b.Style = rvbSingle;
  b.Color = clBlue;
  b.VisibleBorders()->Top = false;
  b.BorderOffsets()->SetAll(2);
  b.Draw(TRect(10, 10, 20, 20), s.Canvas(), nullptr, &s.gi, rvcmColor);
  // The far sides start one pixel beyond the grown rectangle's exclusive edge.
  EXPECT_EQ(s.InkRows(15), (std::vector<int>{23}));
  EXPECT_EQ(s.InkColumns(15), (std::vector<int>{7, 23}));
  Surface t;
  b.Style = rvbNone;
  b.Draw(TRect(10, 10, 20, 20), t.Canvas(), nullptr, &t.gi, rvcmColor);
  EXPECT_TRUE(t.InkRows(15).empty());
  Surface u;  // black and white printing draws black
  b.Style = rvbSingle;
  b.BorderOffsets()->SetAll(0);
  b.Draw(TRect(10, 10, 20, 20), u.Canvas(), nullptr, &u.gi, rvcmBlackAndWhite);
  EXPECT_EQ(u.bmp.GetPixel(15, 21) & 0xFFFFFF, clBlack);
}

TEST(RVBackgroundDraw, FillsUnlessTransparentOrBlackAndWhite) {
  TRVBackgroundRect bg;
  bg.Color = clLime;
  Surface s;
  bg.Draw(TRect(10, 10, 20, 20), s.Canvas(), false, rvcmColor, &s.gi, true);
  EXPECT_EQ(s.bmp.GetPixel(20, 20) & 0xFFFFFF, clLime);  // one pixel more to the right and bottom
  EXPECT_EQ(s.bmp.GetPixel(21, 21) & 0xFFFFFF, clWhite);
  for (int variant = 0; variant < 3; ++variant) {
    Surface t;
    TRVBackgroundRect b2;
    b2.Color = variant == 0 ? clNone : clLime;
    b2.Opacity = variant == 1 ? 0 : 100000;
    b2.Draw(TRect(10, 10, 20, 20), t.Canvas(), true, variant == 2 ? rvcmBlackAndWhite : rvcmColor, &t.gi, true);
    EXPECT_TRUE(t.InkRows(15).empty()) << variant;
  }
}

TEST(RVRect, InflateInDevicePixels) {
  TEmptyRVStyle sheet;
  TRVScreenAndDevice sad;
  sad.ppixScreen = sad.ppiyScreen = 96;
  sad.ppixDevice = 600;
  sad.ppiyDevice = 300;
  TRVRect r;
  r.SetAll(96);
  TRect rect(1000, 1000, 2000, 2000);
  r.InflateRectSaD(rect, &sheet, sad, true);
  EXPECT_EQ(rect, TRect(400, 700, 2600, 2300));
}

// Each side flag of the side-wise operations reaches its own side and no other.
TEST(RVRectSides, EachFlagSelectsItsOwnSide) {
  struct Case { bool l, t, r, b; const char16_t* key; };
  const Case cases[] = {{true, false, false, false, u"XLeft"}, {false, true, false, false, u"XTop"},
                        {false, false, true, false, u"XRight"}, {false, false, false, true, u"XBottom"}};
  TRVRect src;
  src.Left = 1, src.Top = 2, src.Right = 3, src.Bottom = 4;
  TRVBooleanRect off(false);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key, c.key + std::char_traits<char16_t>::length(c.key)));
    TRVRect d;
    d.AssignValidProperties(&src, c.l, c.t, c.r, c.b);
    EXPECT_EQ(d.Left + d.Top + d.Right + d.Bottom, c.l * 1 + c.t * 2 + c.r * 3 + c.b * 4);
    EXPECT_TRUE(d.IsEqualExcept(&src, !c.l, !c.t, !c.r, !c.b));
    EXPECT_FALSE(d.IsEqualExcept(&src, c.l, c.t, c.r, c.b));
    TRVBooleanRect bd(true);
    bd.AssignValidProperties(&off, c.l, c.t, c.r, c.b);
    EXPECT_TRUE(bd.IsEqual2(!c.l, !c.t, !c.r, !c.b));
    EXPECT_TRUE(bd.IsEqualExcept(&off, !c.l, !c.t, !c.r, !c.b));

    auto ini = NewIni();
    src.SaveToINI(ini.get(), u"S", u"X%s", c.l, c.t, c.r, c.b);
    off.SaveToINI(ini.get(), u"B", u"X%s", c.l, c.t, c.r, c.b);
    TRVRect back;
    back.LoadFromINI(ini.get(), u"S", u"X%s");
    EXPECT_TRUE(back.IsEqualExcept(&src, !c.l, !c.t, !c.r, !c.b));
    EXPECT_EQ(back.Left + back.Top + back.Right + back.Bottom, c.l * 1 + c.t * 2 + c.r * 3 + c.b * 4);
    EXPECT_TRUE(ini->ValueExists(u"B", c.key));
    TRVBooleanRect bback(true);
    bback.LoadFromINI(ini.get(), u"B", u"X%s");
    EXPECT_TRUE(bback.IsEqual2(!c.l, !c.t, !c.r, !c.b));
  }
}
