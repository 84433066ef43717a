#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "ScrollerTestUtil.h"
#include "engine/document/CustomRVData.h"
#include "platform/ui/Input.h"

namespace {

// A window of 400 x 300 pixels without a border; the document is as wide as the client area, so
// only the vertical bar can appear and the client area keeps its height.
struct TScrollerFixture : ::testing::Test {
  std::unique_ptr<TBandScroller> S = std::make_unique<TBandScroller>(nullptr);

  void SetUp() override {
    S->SetBounds(0, 0, 400, 300);
    S->HandleNeeded();
  }
  void Document(int Steps) { S->UpdateScrollBars(S->GetClientWidth(), Steps, true, true); }
  void Message(Cardinal Msg, int Code, int Pos = 0) { S->Perform(Msg, MakeWParam(Code, Pos), 0); }
};

// Wheel lines of the session, put back after a test that changes them.
struct TWheelLines {
  UINT Saved = 3;
  TWheelLines() { SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &Saved, 0); }
  ~TWheelLines() { SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, Saved, nullptr, 0); }
  void Set(UINT Lines) { SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, Lines, nullptr, 0); }
};

TEST_F(TScrollerFixture, NewWindowScrollsInStepsOfTenPixels) {
  EXPECT_EQ(S->GetVSmallStep(), 10);
  EXPECT_EQ(S->GetClientHeight(), 300);
  Document(100);
  EXPECT_EQ(S->GetVScrollMax(), 70);  // a page of 30 steps
  BOOL disabled = TRUE;
  EXPECT_TRUE(IsScrollBarShown(S->GetHandle(), SB_VERT, &disabled));
  EXPECT_FALSE(disabled);
  EXPECT_FALSE(IsScrollBarShown(S->GetHandle(), SB_HORZ, nullptr));
}

TEST_F(TScrollerFixture, VerticalPositionsInSmallSteps) {
  Document(100);
  struct Case {
    const char* What;
    int Code, Pos, Start, Expected;
  };
  const Case cases[] = {
      {"line down", SB_LINEDOWN, 0, 0, 1},        {"line up at the top", SB_LINEUP, 0, 0, 0},
      {"page down", SB_PAGEDOWN, 0, 5, 35},       {"page up", SB_PAGEUP, 0, 35, 5},
      {"page down near the end", SB_PAGEDOWN, 0, 60, 70},
      {"bottom", SB_BOTTOM, 0, 0, 70},           {"top", SB_TOP, 0, 50, 0},
      {"thumb position", SB_THUMBPOSITION, 42, 0, 42}, {"thumb beyond the end", SB_THUMBPOSITION, 500, 0, 70},
      {"thumb track", SB_THUMBTRACK, 17, 0, 17},  {"end of scroll", SB_ENDSCROLL, 0, 12, 12},
  };
  for (const Case& c : cases) {
    S->SetVScrollPos(c.Start);
    Message(WM_VSCROLL, c.Code, c.Pos);
    EXPECT_EQ(S->GetVScrollPos(), c.Expected) << c.What;
  }
  // Positions given directly are limited to the range; without tracking the dragged thumb waits.
  S->SetVScrollPos(1000);
  EXPECT_EQ(S->GetVScrollPos(), 70);
  S->SetVScrollPos(-5);
  EXPECT_EQ(S->GetVScrollPos(), 0);
  S->SetTracking(false);
  Message(WM_VSCROLL, SB_THUMBTRACK, 20);
  EXPECT_EQ(S->GetVScrollPos(), 0);
  // The scroll factor multiplies line steps.
  S->SetScrollFactor(3);
  Message(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(S->GetVScrollPos(), 3);
}

TEST_F(TScrollerFixture, HorizontalPositionsInPixels) {
  Document(100);  // the vertical bar first, so the page below is the final client width
  S->UpdateScrollBars(1000, 100, true, true);
  const int page = S->GetClientWidth();
  EXPECT_TRUE(IsScrollBarShown(S->GetHandle(), SB_HORZ, nullptr));
  EXPECT_EQ(S->GetHScrollMax(), 1000 - page);
  Message(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(S->GetHScrollPos(), 10);  // a small step of pixels
  Message(WM_HSCROLL, SB_PAGERIGHT);
  EXPECT_EQ(S->GetHScrollPos(), 10 + page);
  Message(WM_HSCROLL, SB_RIGHT);
  EXPECT_EQ(S->GetHScrollPos(), 1000 - page);
  Message(WM_HSCROLL, SB_LEFT);
  EXPECT_EQ(S->GetHScrollPos(), 0);
  S->SetNoHScroll(true);
  S->SetHScrollPos(50);
  EXPECT_EQ(S->GetHScrollPos(), 0);
}

TEST_F(TScrollerFixture, NoVScrollKeepsTheTop) {
  Document(100);
  S->SetNoVScroll(true);
  for (int pos : {1, 35, 70, 1000}) {
    S->SetVScrollPos(pos);
    EXPECT_EQ(S->GetVScrollPos(), 0) << pos;
  }
}

// The root data's choice of step for very tall documents, and the range the scroller gets then:
// the last position still reaches the end of the document.
TEST_F(TScrollerFixture, StepsAndRangesOfVeryTallDocuments) {
  struct Case {
    int Height, Step, ExpectedStep;
  };
  const Case cases[] = {
      {64000000, 10, 2000}, {64031999, 10, 2001},  // 64,031,999 div 2000 = 32015 > 32000
      {100000, 20, 10},     {100000, 10, 10},       {320000, 10, 10}, {320010, 10, 11}, {64000000, 2000, 2000},
  };
  for (const Case& c : cases) {
    const int step = RVAdjustedVSmallStep(c.Height, c.Step);
    EXPECT_EQ(step, c.ExpectedStep) << c.Height << " from " << c.Step;
    S->SetVSmallStep(step);
    const int units = (c.Height + step - 1) / step;
    EXPECT_LE(units, RVMaxVScrollUnits) << c.Height;
    S->UpdateScrollBars(S->GetClientWidth(), units, true, true);
    Message(WM_VSCROLL, SB_BOTTOM);
    const int last = S->GetVScrollPos();
    // A page shorter than one step counts as one, as the bar's positions end at Max - Page + 1.
    EXPECT_EQ(last, units - std::max(1, S->GetClientHeight() / step)) << c.Height;
    EXPECT_LE(last, S->GetVScrollMax()) << c.Height;
    EXPECT_GE(static_cast<long long>(last) * step + S->GetClientHeight(), c.Height - step) << c.Height;
  }
}

TEST_F(TScrollerFixture, KeysScroll) {
  Document(100);
  S->UpdateScrollBars(1000, 100, true, true);
  struct Case {
    WORD Key;
    int StartV, StartH, V, H;
  };
  const int page = S->GetClientHeight() / 10;
  const Case cases[] = {
      {VK_NEXT, 0, 0, page, 0}, {VK_PRIOR, page + 3, 0, 3, 0}, {VK_END, 0, 0, S->GetVScrollMax(), 0},
      {VK_HOME, 40, 0, 0, 0},   {VK_DOWN, 4, 0, 5, 0},         {VK_UP, 4, 0, 3, 0},
      {VK_RIGHT, 0, 0, 0, 10},  {VK_LEFT, 0, 25, 0, 15},       {VK_SPACE, 4, 0, 4, 0},
  };
  for (const Case& c : cases) {
    S->SetVScrollPos(c.StartV);
    S->SetHScrollPos(c.StartH);
    S->Perform(WM_KEYDOWN, c.Key, 0);
    EXPECT_EQ(S->GetVScrollPos(), c.V) << "key " << c.Key;
    EXPECT_EQ(S->GetHScrollPos(), c.H) << "key " << c.Key;
  }
  // A handler that takes the key, or keyboard scrolling switched off, leaves the view alone.
  S->SetVScrollPos(0);
  S->OnKeyDown = [](TObject*, WORD& Key, TShiftState) { Key = 0; };
  S->Perform(WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(S->GetVScrollPos(), 0);
  S->OnKeyDown = nullptr;
  S->KeyboardScroll = false;
  S->Perform(WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(S->GetVScrollPos(), 0);
  EXPECT_EQ(S->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(TScrollerFixture, WheelScrollsByStepsPerNotch) {
  Document(100);
  TWheelLines lines;
  struct Case {
    UINT Lines;
    int WheelStep;
    int Deltas[2];
    int Start, Expected;
    bool Handled;
  };
  const Case cases[] = {
      {3, 2, {-120, 0}, 10, 12, true},   // one notch down: 2 steps
      {3, 2, {120, 0}, 10, 8, true},     // one notch up
      {3, 2, {-240, 0}, 10, 14, true},   // two notches in one message
      {3, 2, {-60, -60}, 10, 12, true},  // half notches add up to one
      {1, 2, {-120, 0}, 10, 11, true},   // 2 x 1 / 3 = 0.67 rounds to 1
      {2, 2, {-120, 0}, 10, 11, true},   // 1.33 rounds to 1
      {3, 3, {-120, 0}, 10, 13, true},
      {0, 2, {-120, 0}, 10, 10, true},   // no lines: nothing, but handled
      {WHEEL_PAGESCROLL, 2, {-120, 0}, 10, 40, true},  // a page
      {3, 0, {-120, 0}, 10, 10, false},  // wheel step 0 leaves the wheel to others
  };
  for (const Case& c : cases) {
    lines.Set(c.Lines);
    S->SetWheelStep(c.WheelStep);
    S->SetVScrollPos(c.Start);
    LRESULT handled = 0;
    for (int d : c.Deltas)
      if (d) handled = S->Perform(WM_MOUSEWHEEL, MakeWParam(0, d), MakeLParam(5, 5));
    EXPECT_EQ(S->GetVScrollPos(), c.Expected) << c.Lines << " lines, step " << c.WheelStep << ", " << c.Deltas[0];
    EXPECT_EQ(handled != 0, c.Handled) << c.Lines << " lines, step " << c.WheelStep;
  }
}

TEST_F(TScrollerFixture, PanGestureScrollsBothWays) {
  S->UpdateScrollBars(1000, 100, true, true);
  S->SetVScrollPos(20);
  TGestureEventInfo g;
  g.GestureID = igiPan;
  g.Flags = TInteractiveGestureFlags{gfBegin};
  g.Location = TPoint(100, 100);
  EXPECT_EQ(S->Perform(WM_GESTURE, 0, reinterpret_cast<LPARAM>(&g)), 1);
  g.Flags = TInteractiveGestureFlags{};
  g.Location = TPoint(70, 45);  // dragged left by 30 and up by 55
  S->Perform(WM_GESTURE, 0, reinterpret_cast<LPARAM>(&g));
  EXPECT_EQ(S->GetHScrollPos(), 30);
  EXPECT_EQ(S->GetVScrollPos(), 25);  // 20 + 55 div 10
  g.GestureID = igiPan + 1;
  EXPECT_EQ(S->Perform(WM_GESTURE, 0, reinterpret_cast<LPARAM>(&g)), 0);  // only pans are handled
}

TEST_F(TScrollerFixture, EmbeddedControlsKeepTheirTrueTopInTag) {
  Document(3000);
  auto* child = new TCustomControl(nullptr);
  child->SetParent(S.get());
  child->SetBounds(5, 0, 20, 20);
  child->SetTag(25000);
  S->ScrollChildren(0, 0);
  child->SetTop(10000);
  S->SetVScrollPos(1000);  // the content moves up by 10000 pixels
  EXPECT_EQ(child->GetTag(), 15000);
  EXPECT_EQ(child->GetTop(), 10000);
  S->SetVScrollPos(2490);
  EXPECT_EQ(child->GetTag(), 100);
  EXPECT_EQ(child->GetTop(), 100);
  EXPECT_EQ(child->GetLeft(), 5);
  S->SetVScrollPos(0);
  EXPECT_EQ(child->GetTag(), 25000);
  EXPECT_EQ(child->GetTop(), 10000);
  // A new window for the scroller (another border) brings the child's window back too.
  child->HandleNeeded();
  S->SetBorderStyle(bsSingle);
  EXPECT_TRUE(child->HandleAllocated());
}

TEST_F(TScrollerFixture, ScrollingEventsAndTheVerticalBarSettings) {
  Document(100);
  int v = 0, h = 0;
  S->OnVScrolled = [&](TObject*) { ++v; };
  S->OnHScrolled = [&](TObject*) { ++h; };
  S->SetVScrollPos(3);
  S->SetVScrollPos(3);  // no change, no event
  S->ScrollTo(95);      // document y 95 is position 9
  EXPECT_EQ(S->GetVScrollPos(), 9);
  EXPECT_EQ(v, 2);
  S->ScrollToNoRedraw(0);
  EXPECT_EQ(v, 3);
  EXPECT_EQ(h, 0);
  // A short document hides the bar, or keeps it disabled when asked to.
  Document(10);
  EXPECT_FALSE(IsScrollBarShown(S->GetHandle(), SB_VERT, nullptr));
  S->SetVDisableNoScroll(true);
  Document(10);
  BOOL disabled = FALSE;
  EXPECT_TRUE(IsScrollBarShown(S->GetHandle(), SB_VERT, &disabled));
  EXPECT_TRUE(disabled);
  S->SetVScrollVisible(false);
  EXPECT_FALSE(IsScrollBarShown(S->GetHandle(), SB_VERT, nullptr));
  S->SetVScrollVisible(true);
  Document(100);
  EXPECT_TRUE(IsScrollBarShown(S->GetHandle(), SB_VERT, nullptr));
}

TEST(ScrollerWindow, BorderAndDirectionChooseTheWindowFrame) {
  struct Case {
    TBorderStyle Border;
    bool Ctl3D;
    TRVBiDiMode BiDi;
    DWORD ExStyle, Style;
  };
  const Case cases[] = {
      {bsNone, true, rvbdUnspecified, 0, 0},
      {bsSingle, true, rvbdUnspecified, WS_EX_CLIENTEDGE, 0},
      {bsSingle, false, rvbdUnspecified, 0, WS_BORDER},
      {bsNone, true, rvbdRightToLeft, WS_EX_LEFTSCROLLBAR, 0},
  };
  for (const Case& c : cases) {
    TBandScroller s(nullptr);
    s.SetBounds(0, 0, 200, 150);
    s.SetCtl3D(c.Ctl3D);
    s.HandleNeeded();
    s.SetBorderStyle(c.Border);  // makes the window again
    s.SetBiDiMode(c.BiDi);
    EXPECT_EQ(s.GetWindowExStyle() & (WS_EX_CLIENTEDGE | WS_EX_LEFTSCROLLBAR), c.ExStyle) << c.Border << c.Ctl3D;
    EXPECT_EQ(s.GetWindowStyle() & WS_BORDER, c.Style);
    EXPECT_EQ(s.GetWindowStyle() & (WS_VSCROLL | WS_HSCROLL), WS_VSCROLL | WS_HSCROLL);
    // The frame comes off the client area, and so does the vertical bar.
    s.UpdateScrollBars(100, 100, true, true);
    const int frame = (150 - s.GetClientHeight()) / 2;
    if (c.Border == bsNone) EXPECT_EQ(frame, 0);
    else if (!c.Ctl3D) EXPECT_EQ(frame, 1);
    else EXPECT_GT(frame, 0);
    EXPECT_EQ(s.GetClientWidth(), 200 - GetSystemMetrics(SM_CXVSCROLL) - 2 * frame);
  }
}

TEST(ScrollerWindow, RightToLeftPutsTheBarOnTheLeft) {
  TBandScroller ltr(nullptr), rtl(nullptr);
  rtl.SetBiDiMode(rvbdRightToLeft);
  for (TBandScroller* s : {&ltr, &rtl}) {
    s->SetBounds(0, 0, 200, 150);
    s->HandleNeeded();
    s->UpdateScrollBars(s->GetClientWidth(), 100, true, true);
  }
  TPoint a(0, 0), b(0, 0);
  ClientToScreen(ltr.GetHandle(), &a);
  ClientToScreen(rtl.GetHandle(), &b);
  EXPECT_EQ(b.X - a.X, GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(ltr.GetClientWidth(), rtl.GetClientWidth());
}

// A shown window repaints only the strip that scrolling uncovers, and everything with full redraw.
TEST_F(TScrollerFixture, ScrollingRepaintsTheUncoveredStripOrEverything) {
  Document(100);
  ShowWindow(S->GetHandle(), SW_SHOW);
  ProcessMessages(50);
  for (bool full : {false, true}) {
    S->SetFullRedraw(full);
    S->Painted.clear();
    S->SetVScrollPos(S->GetVScrollPos() + 2);  // 20 pixels
    ProcessMessages(30);
    ASSERT_FALSE(S->Painted.empty()) << full;
    int rows = 0;
    for (const TRect& r : S->Painted) rows += r.Height();
    if (full) EXPECT_EQ(rows, S->GetClientHeight());
    else EXPECT_EQ(rows, 20);
  }
  ShowWindow(S->GetHandle(), SW_HIDE);
}

// The drop target's companion pairs the initialisation and reaches the scroller's hooks.
TEST(ScrollerDragDrop, CompanionPairsInitialisationAndForwards) {
  struct TTarget : TRVScroller {
    using TRVScroller::TRVScroller;
    int Entered = 0;
    bool OleDragEnter(int X, int Y) override {
      Entered = X + Y;
      return true;
    }
    bool OleCanAcceptFormat(WORD Format) override { return Format == 13; }
  } target(nullptr);
  const int before = OleInitializationCount();
  {
    TRVScrollerInternalIfcObject a(&target);
    TRVScrollerInternalIfcObject b(&target);
    EXPECT_TRUE(a.InitRes == S_OK || a.InitRes == S_FALSE);
    EXPECT_EQ(b.InitRes, S_FALSE);
    EXPECT_TRUE(a.OleDragEnter(3, 4));
    EXPECT_EQ(target.Entered, 7);
    EXPECT_TRUE(a.OleCanAcceptFormat(13));
    EXPECT_FALSE(a.OleDragOver(1, 1));  // the base hooks
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(a.OleDrop(nullptr, 0, TPoint(), effect), 0u);
  }
  EXPECT_EQ(OleInitializationCount(), before);
}

// The chosen sub-document: its control is the in-place editor, which keeps its true top in Tag.
TEST_F(TScrollerFixture, ChosenSubDocumentAndItsEditor) {
  struct TData : TCustomRVData {
    TObject* Control = nullptr;
    TRVFlags Flags;
    TRVFlags GetFlags() const override { return Flags; }
    void SetFlags(const TRVFlags& v) override { Flags = v; }
    TObject* GetParentControl() override { return Control; }
  };
  auto* editor = new TCustomControl(nullptr);
  editor->SetParent(S.get());
  editor->SetBounds(10, 40, 50, 20);
  TData cell, other;
  cell.Control = editor;
  S->AssignChosenRVData(&cell, nullptr);
  EXPECT_EQ(S->GetChosenRVData(), &cell);
  EXPECT_EQ(S->GetInplaceEditor(), editor);
  EXPECT_EQ(editor->GetTag(), 40);
  S->UnassignChosenRVData(&other);  // not the chosen one
  EXPECT_EQ(S->GetChosenRVData(), &cell);
  EXPECT_FALSE(S->FocusedEx());
  S->UnassignChosenRVData(&cell);
  EXPECT_EQ(S->GetChosenRVData(), nullptr);
  EXPECT_EQ(S->GetInplaceEditor(), nullptr);
  S->SilentReplaceChosenRVData(&cell);
  EXPECT_EQ(S->GetInplaceEditor(), editor);
  S->DestroyInplace();  // frees the editor
  EXPECT_EQ(S->ControlCount(), 0);
  S->SilentReplaceChosenRVData(nullptr);
  EXPECT_TRUE(S->EnabledEx());
}

}  // namespace
