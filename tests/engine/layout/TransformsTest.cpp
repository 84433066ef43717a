// Turning the canvas for rotated documents, soft page breaks taken from pagination, and scrolling
// a rectangle into view.
#include <vector>

#include "engine/layout/LayoutTestUtil.h"
#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/Graphics.h"

namespace {

constexpr TColor White = 0xFFFFFF;

// A plain document with a rotation of its own and a view that records how it is scrolled.
class TTurnedDoc : public TRVPlainFormattedData {
 public:
  using TRVPlainFormattedData::TRVPlainFormattedData;
  TRVDocRotation Rotation = rvrotNone;
  int VOffs = 0, HOffs = 0;
  std::vector<int> VScrolls, HScrolls;
  TRVDocRotation GetRotation() const override { return Rotation; }
  int GetVOffs() override { return VOffs; }
  int GetHOffs() override { return HOffs; }
  void ScrollTo(int Y, bool) override { VScrolls.push_back(Y); }
  void HScrollTo(int X) override { HScrolls.push_back(X); }
};

struct TTurnedFixture {
  TRVStyle Sheet{nullptr};
  TTurnedDoc Doc{&Sheet};
  TBitmap Bmp{40, 30};
  TTurnedFixture() {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    Doc.SetWidth(40);
    Doc.AreaHeight = 30;
  }
  // Every pixel that is not white, as "x,y" strings.
  std::vector<std::string> Marked() {
    Bmp.Flush();
    std::vector<std::string> r;
    for (int y = 0; y < Bmp.GetHeight(); ++y)
      for (int x = 0; x < Bmp.GetWidth(); ++x)
        if ((Bmp.GetPixel(x, y) & 0xFFFFFF) != White) r.push_back(std::to_string(x) + "," + std::to_string(y));
    return r;
  }
  void Clear() {
    TCanvas* c = Bmp.GetCanvas();
    c->Brush().SetStyle(bsSolid);
    c->Brush().SetColor(White);
    c->FillRect(TRect(0, 0, Bmp.GetWidth(), Bmp.GetHeight()));
  }
  void Dot(int X, int Y) {
    TCanvas* c = Bmp.GetCanvas();
    c->Brush().SetColor(0);
    c->FillRect(TRect(X, Y, X + 1, Y + 1));
  }
};

bool IsIdentity(const XFORM& x) {
  return x.eM11 == 1 && x.eM12 == 0 && x.eM21 == 0 && x.eM22 == 1 && x.eDx == 0 && x.eDy == 0;
}

// The document point (5, 3) in a 40x30 box lands where the rotation puts it, and the canvas comes
// back unturned in compatible mode.
TEST(Transforms, PointLandsByRotationAndRestoreGivesIdentity) {
  struct Case {
    TRVDocRotation Rotation;
    const char* Pixel;
  } cases[] = {{rvrotNone, "5,3"}, {rvrot90, "36,5"}, {rvrot180, "34,26"}, {rvrot270, "3,24"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Pixel);
    TTurnedFixture f;
    f.Doc.Rotation = c.Rotation;
    f.Clear();
    TRVStoreDocTransform old;
    f.Doc.PrepareTransform(f.Bmp.GetCanvas(), old, 0, 0, rvtrbRoot, 30);
    EXPECT_EQ(old.Used, c.Rotation != rvrotNone);
    f.Dot(5, 3);
    f.Doc.RestoreTransform(f.Bmp.GetCanvas(), old);
    EXPECT_EQ(f.Marked(), std::vector<std::string>{c.Pixel});
    HDC dc = f.Bmp.GetCanvas()->GetHandle();
    EXPECT_EQ(GetGraphicsMode(dc), GM_COMPATIBLE);
    XFORM x;
    ASSERT_TRUE(GetWorldTransform(dc, &x));
    EXPECT_TRUE(IsIdentity(x));
    // Drawing afterwards is not turned any more.
    f.Dot(1, 1);
    EXPECT_EQ(f.Marked().size(), 2u);
  }
}

// A canvas already in advanced mode keeps its own transform: the rotation is combined with it, and
// restoring gives the caller's transform back, mode unchanged.
TEST(Transforms, AdvancedCanvasTransformIsCombinedAndGivenBack) {
  TTurnedFixture f;
  f.Doc.Rotation = rvrot180;
  f.Clear();
  HDC dc = f.Bmp.GetCanvas()->GetHandle();
  ASSERT_NE(SetGraphicsMode(dc, GM_ADVANCED), 0);
  XFORM shift;
  shift.eDx = 2;
  ASSERT_TRUE(SetWorldTransform(dc, &shift));
  TRVStoreDocTransform old;
  f.Doc.PrepareTransform(f.Bmp.GetCanvas(), old, 0, 0, rvtrbRoot, 30);
  EXPECT_TRUE(old.Used);
  EXPECT_TRUE(old.AdvancedMode);
  f.Dot(5, 3);
  f.Doc.RestoreTransform(f.Bmp.GetCanvas(), old);
  EXPECT_EQ(f.Marked(), std::vector<std::string>{"36,26"});
  EXPECT_EQ(GetGraphicsMode(dc), GM_ADVANCED);
  XFORM x;
  ASSERT_TRUE(GetWorldTransform(dc, &x));
  EXPECT_EQ(x.eDx, 2);
  EXPECT_EQ(x.eM11, 1);
  ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
  SetGraphicsMode(dc, GM_COMPATIBLE);
}

// What pagination would report: page 2 starts at item 1, offset 3; page 3 inside an item that
// keeps its own breaks.
class TFakePages : public IRVSoftPageBreakSource {
 public:
  std::vector<int> Handed;
  bool IsComplexSoftPageBreak(int PageNo) override { return PageNo == 3; }
  void AssignComplexSoftPageBreakToItem(int PageNo, TCustomRVData*) override { Handed.push_back(PageNo); }
  void GetFirstItemOnPageEx(int PageNo, int& ItemNo, int& OffsetInItem, int& ExtraData) override {
    ItemNo = PageNo - 1;
    OffsetInItem = 3;
    ExtraData = -1;
  }
};

TEST(Transforms, SoftPageBreaksAreRecordedAndKeptWhilePreserved) {
  TLayoutDoc t;
  t.Doc.AddNL(u"first line", 0, 0);
  t.Doc.AddNL(u"second line", 0, 0);
  t.Doc.Format(false);
  EXPECT_EQ(t.Doc.GetSoftPageBreaks(), nullptr);
  TFakePages pages;
  t.Doc.AssignSoftPageBreak(&pages, 2);
  t.Doc.AssignSoftPageBreak(&pages, 3);
  ASSERT_NE(t.Doc.GetSoftPageBreaks(), nullptr);
  ASSERT_EQ(t.Doc.GetSoftPageBreaks()->Count(), 1);
  TRVSoftPageBreakInfo* b = t.Doc.GetSoftPageBreak(0);
  EXPECT_EQ(b->ItemNo, 1);
  EXPECT_EQ(b->Offset, 3);
  EXPECT_EQ(b->ExtraData, -1);
  EXPECT_EQ(pages.Handed, std::vector<int>{3});
  EXPECT_EQ(t.Doc.GetSoftPageBreak(1), nullptr);

  t.Doc.State.Include(rvstPreserveSoftPageBreaks);
  EXPECT_FALSE(t.Doc.ClearSoftPageBreaks());
  EXPECT_EQ(t.Doc.GetSoftPageBreaks()->Count(), 1);
  t.Doc.State.Exclude(rvstPreserveSoftPageBreaks);
  EXPECT_TRUE(t.Doc.ClearSoftPageBreaks());  // the records go with the list (the leak check sees)
  EXPECT_EQ(t.Doc.GetSoftPageBreaks(), nullptr);
}

// View at V = 100, 30 high (small step 10), 40 wide at H = 0.
TEST(Transforms, ShowRectangleScrollsOnlyWhenNeeded) {
  struct Case {
    int Left, Top, Width, Height;
    std::vector<int> V, H;
  } cases[] = {
      {0, 105, 10, 10, {}, {}},        // inside
      {0, 125, 10, 15, {120}, {}},     // below: bottom + step - height
      {0, 80, 10, 10, {80}, {}},       // above: its top
      {0, 105, 10, 100, {}, {}},       // taller than the view, top within a step of the view top
      {0, 115, 10, 100, {195}, {}},    // taller, top further down
      {50, 105, 5, 10, {}, {40}},      // right of the view: a quarter of the width before it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Top);
    TTurnedFixture f;
    f.Doc.VOffs = 100;
    f.Doc.ShowRectangle(c.Left, c.Top, c.Width, c.Height);
    EXPECT_EQ(f.Doc.VScrolls, c.V);
    EXPECT_EQ(f.Doc.HScrolls, c.H);
  }
}

}  // namespace
