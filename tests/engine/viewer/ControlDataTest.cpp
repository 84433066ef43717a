#include <gtest/gtest.h>

#include <stdexcept>

#include "support/RootDataTestUtil.h"
#include "engine/document/RVControlItem.h"
#include "engine/foundation/RVError.h"
#include "platform/ui/StdCtrls.h"

namespace {

bool IsReddish(TColor c) {
  const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return r > 150 && g < 110 && b < 110;
}

int CountReddish(const TBitmap& B, const TRect& R) {
  int n = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x) n += IsReddish(B.GetPixel(x, y));
  return n;
}

// ---- buffered painting ------------------------------------------------------------------------------

struct TPaintFixture : ::testing::Test {
  std::unique_ptr<TTestViewer> V = std::make_unique<TTestViewer>();
  TBitmap B{200, 100};

  void SetUp() override {
    V->SetBounds(0, 0, 200, 100);
    V->SetColor(static_cast<TColor>(0x00FFFFFF));
    V->D().AddNL(u"abc", 0, 0);  // 30 x 10 at (5, 5)
    V->D().AddNL(u"de", 0, 0);   // 20 x 10 at (5, 15)
    V->Format();
    ASSERT_EQ(V->D().DrawItems->Count(), 2);
    Fill(static_cast<TColor>(0x0000FF00));
  }
  void Fill(TColor C) {
    B.GetCanvas()->Brush().SetColor(C);
    B.GetCanvas()->Brush().SetStyle(bsSolid);
    B.GetCanvas()->FillRect(TRect(0, 0, 200, 100));
  }
};

TEST_F(TPaintFixture, PaintsBackgroundAndItemsOfTheClipRectangleOnly) {
  V->PaintOnto(B, TRect(0, 0, 120, 60));
  EXPECT_EQ(V->D().PaintCount, 1);
  EXPECT_EQ(V->D().LastClip, TRect(0, 0, 120, 60));
  EXPECT_EQ(B.GetPixel(10, 10), StubItemColor);                // first draw item
  EXPECT_EQ(B.GetPixel(20, 20), StubItemColor);                // second
  EXPECT_EQ(B.GetPixel(60, 10), static_cast<TColor>(0xFFFFFF));  // the document's colour
  EXPECT_EQ(B.GetPixel(150, 10), static_cast<TColor>(0x00FF00));  // outside the clip: untouched
  EXPECT_EQ(B.GetPixel(10, 80), static_cast<TColor>(0x00FF00));
}

TEST_F(TPaintFixture, ClipRectangleAwayFromTheOriginLandsInPlace) {
  // The off-screen bitmap is the clip's size; client coordinates must still meet.
  V->PaintOnto(B, TRect(12, 8, 40, 30));
  EXPECT_EQ(B.GetPixel(12, 8), StubItemColor);
  EXPECT_EQ(B.GetPixel(34, 14), StubItemColor);   // right end of "abc"
  EXPECT_EQ(B.GetPixel(36, 14), static_cast<TColor>(0xFFFFFF));
  EXPECT_EQ(B.GetPixel(11, 10), static_cast<TColor>(0x00FF00));
  EXPECT_EQ(B.GetPixel(20, 30), static_cast<TColor>(0x00FF00));
}

TEST_F(TPaintFixture, ScrolledDocumentPaintsAtTheScrollPosition) {
  V->HandleNeeded();
  V->D().SetDocumentAreaSize(200, 1000, true, true);
  V->D().ScrollTo(10, false);
  ASSERT_EQ(V->D().GetVOffs(), 10);
  V->PaintOnto(B);
  EXPECT_EQ(B.GetPixel(10, 0), StubItemColor);    // "abc" moved up by 10: rows -5..5
  EXPECT_EQ(B.GetPixel(10, 7), StubItemColor);    // "de" now at rows 5..15
  EXPECT_EQ(B.GetPixel(10, 16), static_cast<TColor>(0xFFFFFF));
}

TEST_F(TPaintFixture, AFailureIsShownAsTextAndTheNextPaintWorks) {
  V->D().Raise = [] { throw EViroZereError(u"Broken picture"); };
  ASSERT_NO_THROW(V->PaintOnto(B));
  // Red text on white at the top-left corner.
  EXPECT_GT(CountReddish(B, TRect(0, 0, 140, 16)), 20);
  EXPECT_EQ(B.GetPixel(150, 60), static_cast<TColor>(0xFFFFFF));
  // The message itself is written: a longer message covers more of the row.
  TBitmap shortMsg(200, 100);
  V->D().Raise = [] { throw EViroZereError(u"x"); };
  V->PaintOnto(shortMsg);
  EXPECT_LT(CountReddish(shortMsg, TRect(0, 0, 200, 16)), CountReddish(B, TRect(0, 0, 200, 16)));

  V->D().Raise = nullptr;
  Fill(static_cast<TColor>(0x00FF00));
  V->PaintOnto(B);
  EXPECT_EQ(CountReddish(B, TRect(0, 0, 200, 100)), 0);
  EXPECT_EQ(B.GetPixel(10, 10), StubItemColor);
}

TEST_F(TPaintFixture, ForeignExceptionsPropagateAndLeakNothing) {
  V->D().Raise = [] { throw std::runtime_error("not ours"); };
  EXPECT_THROW(V->PaintOnto(B), std::runtime_error);
  V->D().Raise = nullptr;
  V->PaintOnto(B);
  EXPECT_EQ(B.GetPixel(10, 10), StubItemColor);
}

TEST_F(TPaintFixture, NothingIsPaintedWhileFormattingIsUnderWay) {
  for (TRVState s : {rvstSkipFormatting, rvstFormattingPart}) {
    V->D().State.Include(s);
    V->PaintOnto(B);
    V->D().State.Exclude(s);
    EXPECT_EQ(V->D().PaintCount, 0) << int(s);
    EXPECT_EQ(B.GetPixel(10, 10), static_cast<TColor>(0x00FF00)) << int(s);
  }
}

// ---- focus and Tab navigation -----------------------------------------------------------------------

// A window holding the viewer and, after it, a button; the document holds text, a button, text,
// a second button and text.
struct TTabFixture : ::testing::Test {
  std::unique_ptr<TWinControl> Form = std::make_unique<TWinControl>(nullptr);
  TTestViewer* V = nullptr;
  TButton* Other = nullptr;
  TButton* Inner[2] = {};

  void SetUp() override {
    Form->SetBounds(0, 0, 400, 300);
    V = new TTestViewer(nullptr);
    V->SetParent(Form.get());
    V->SetBounds(0, 0, 300, 200);
    Other = new TButton(nullptr);
    Other->SetParent(Form.get());
    Other->SetTabStop(true);
    V->D().AddNL(u"one", 0, 0);
    for (int i = 0; i < 2; ++i) {
      Inner[i] = new TButton(nullptr);
      Inner[i]->SetBounds(0, 0, 40, 20);
      auto* item = new TRVControlItemInfo(&V->D(), Inner[i], rvvaBaseline);
      item->ParaNo = 0;
      V->D().AddItem(u"", item);
      Inner[i]->SetParent(V);
      Inner[i]->SetTabStop(true);
      V->D().AddNL(i == 0 ? u"two" : u"three", 0, -1);
    }
    V->Format();
  }
  TStubPaintRootData& D() { return V->D(); }
};

TEST_F(TTabFixture, TabWalksTheItemsThenLeavesForTheNextControl) {
  // A press on the document: the viewer gets the focus, no item does.
  D().State.Include(rvstDoNotTab);
  D().DoTabNavigation(false, Other);
  EXPECT_EQ(D().FocusedItemNo, -1);
  EXPECT_FALSE(D().State.Contains(rvstDoNotTab));
  // Tab: the first button item.
  D().DoTabNavigation(false, V);
  EXPECT_EQ(D().FocusedItemNo, 1);
  EXPECT_EQ(D().TopLevelFocusedItemNo, 1);
  EXPECT_EQ(D().TopLevelFocusedRVData, &D());
  // Tab from the embedded button: the second one.
  D().DoTabNavigation(false, Inner[0]);
  EXPECT_EQ(D().TopLevelFocusedItemNo, 3);
  // Tab from the last one: the button after the viewer; no item keeps the focus.
  D().DoTabNavigation(false, Inner[1]);
  EXPECT_EQ(D().FocusedItemNo, -1);
  EXPECT_EQ(D().TopLevelFocusedItemNo, -1);
  ASSERT_EQ(D().Focused.size(), 1u);
  EXPECT_EQ(D().Focused[0], Other);
}

TEST_F(TTabFixture, ShiftTabWalksBackwards) {
  D().DoTabNavigation(true, V);
  EXPECT_EQ(D().TopLevelFocusedItemNo, 3);
  D().DoTabNavigation(true, Inner[1]);
  EXPECT_EQ(D().TopLevelFocusedItemNo, 1);
  D().DoTabNavigation(true, Inner[0]);
  EXPECT_EQ(D().TopLevelFocusedItemNo, -1);
  ASSERT_EQ(D().Focused.size(), 1u);
  EXPECT_EQ(D().Focused[0], Other);  // backwards wraps round to the control after the viewer
}

TEST_F(TTabFixture, OnlyFocusableControlWrapsToTheFirstItem) {
  Other->SetTabStop(false);
  D().DoTabNavigation(false, V);
  D().DoTabNavigation(false, Inner[0]);
  D().DoTabNavigation(false, Inner[1]);
  EXPECT_EQ(D().TopLevelFocusedItemNo, 1);
  EXPECT_TRUE(D().Focused.empty());
}

TEST_F(TTabFixture, FocusReturningWithoutAPreviousControlKeepsTheItem) {
  D().DoTabNavigation(false, V);
  ASSERT_EQ(D().FocusedItemNo, 1);
  D().DoTabNavigation(false, nullptr);
  EXPECT_EQ(D().FocusedItemNo, 1);
  // A control of another window changes nothing either.
  TWinControl elsewhere(nullptr);
  TButton stranger(nullptr);
  stranger.SetParent(&elsewhere);
  D().DoTabNavigation(false, &stranger);
  EXPECT_EQ(D().FocusedItemNo, 1);
  stranger.SetParent(nullptr);
}

TEST_F(TTabFixture, EmptyOfFocusableItemsTheViewerTakesTheFocus) {
  TTestViewer plain(nullptr);
  plain.SetParent(Form.get());
  plain.D().AddNL(u"text only", 0, 0);
  plain.Format();
  plain.D().DoTabNavigation(false, Other);
  ASSERT_EQ(plain.D().Focused.size(), 1u);
  EXPECT_EQ(plain.D().Focused[0], &plain);
  plain.SetParent(nullptr);
}

TEST_F(TTabFixture, DeselectingAndReformattingDropTheTopLevelFocus) {
  D().DoTabNavigation(false, V);
  ASSERT_EQ(D().TopLevelFocusedItemNo, 1);
  D().Deselect(nullptr, false);
  EXPECT_EQ(D().TopLevelFocusedItemNo, -1);
  EXPECT_EQ(D().TopLevelFocusedRVData, nullptr);
  EXPECT_EQ(D().FocusedItemNo, -1);

  D().DoTabNavigation(false, V);
  ASSERT_EQ(D().TopLevelFocusedItemNo, 1);
  D().AdjustFocus(3, &D(), 3);
  EXPECT_EQ(D().FocusedItemNo, 3);
  EXPECT_EQ(D().TopLevelFocusedItemNo, 3);
  D().ClearTemporal();
  EXPECT_EQ(D().TopLevelFocusedItemNo, -1);
}

TEST_F(TTabFixture, ControlItemsDrawNoFocusRectangle) {
  D().DoTabNavigation(false, V);
  TBitmap b(300, 200);
  b.GetCanvas()->Brush().SetColor(static_cast<TColor>(0xFFFFFF));
  b.GetCanvas()->FillRect(TRect(0, 0, 300, 200));
  D().DrawFocusedRect(b.GetCanvas());
  int changed = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) changed += b.GetPixel(x, y) != static_cast<TColor>(0xFFFFFF);
  EXPECT_EQ(changed, 0);
}

// A hyperlink draws its focus as an XOR rectangle one pixel around its draw item; drawing twice
// erases it, and painting keeps it (erased before, drawn again after).
TEST(ControlDataFocus, HyperlinkFocusRectangleIsAnXorDrawing) {
  TTestViewer v;
  v.SetBounds(0, 0, 200, 100);
  v.SetColor(static_cast<TColor>(0xFFFFFF));
  v.Sheet.TextStyles()->Items(1)->Jump = true;
  v.D().AddNL(u"ab ", 0, 0);
  v.D().AddNL(u"link", 1, -1);  // 40 x 10 at (35, 5)
  v.Format();
  v.D().DoTabNavigation(false, &v);
  ASSERT_EQ(v.D().TopLevelFocusedItemNo, 1);
  const TRVDrawLineInfo* d = v.D().DrawItems->Get(v.D().GetItem(1)->DrawItemNo);
  const TRect frame(d->Left - 1, d->Top - 1, d->Left + d->Width + 1, d->Top + d->Height + 1);

  TBitmap b(200, 100);
  b.GetCanvas()->Brush().SetColor(static_cast<TColor>(0xFFFFFF));
  b.GetCanvas()->FillRect(TRect(0, 0, 200, 100));
  auto framePixels = [&] {
    int n = 0;
    for (int x = frame.Left; x < frame.Right; ++x)
      n += (b.GetPixel(x, frame.Top) != static_cast<TColor>(0xFFFFFF)) +
           (b.GetPixel(x, frame.Bottom - 1) != static_cast<TColor>(0xFFFFFF));
    return n;
  };
  auto pixelsOutside = [&] {
    int n = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x)
        if (!(x >= frame.Left && x < frame.Right && y >= frame.Top && y < frame.Bottom))
          n += b.GetPixel(x, y) != static_cast<TColor>(0xFFFFFF);
    return n;
  };
  v.D().DrawFocusedRect(b.GetCanvas());
  EXPECT_GT(framePixels(), frame.Width() / 2);  // a dotted frame
  EXPECT_EQ(pixelsOutside(), 0);
  v.D().DrawFocusedRect(b.GetCanvas());
  EXPECT_EQ(framePixels(), 0);

  // A buffered paint of the whole window shows the frame once, over the painted item.
  v.D().DrawFocusedRect(b.GetCanvas());  // on screen before the paint
  v.PaintOnto(b);
  EXPECT_GT(framePixels(), frame.Width() / 2);
  EXPECT_EQ(b.GetPixel(d->Left + 5, d->Top + 5), StubItemColor);
}

}  // namespace
