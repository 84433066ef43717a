#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/Controls.h"

namespace {

// A control whose window has both scroll bars and which records timer messages.
class TBarsControl : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<WPARAM> Timers;
  int Sizes = 0;
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_TIMER) Timers.push_back(m.WParam);
    if (m.Msg == WM_SIZE) ++Sizes;
    TCustomControl::Dispatch(m);
  }

 protected:
  void CreateParams(TCreateParams& p) override { p.Style |= WS_VSCROLL | WS_HSCROLL; }
};

TEST(WindowScrollBars, ShownWhenTheRangeScrolls) {
  TBarsControl c(nullptr);
  c.SetBounds(0, 0, 200, 100);
  HWND h = c.GetHandle();
  struct Case {
    int Min, Max;
    UINT Page;
    int Pos;
    UINT ExtraMask;
    bool Shown, Disabled;
    int ExpectedPos;
  };
  const Case cases[] = {
      {0, 99, 30, 10, 0, true, false, 10},
      {0, 99, 30, 90, 0, true, false, 70},   // positions end at Max - Page + 1
      {0, 99, 30, -4, 0, true, false, 0},
      {0, 99, 100, 5, 0, false, false, 0},   // the page holds the range: hidden
      {0, 1, 2, 0, 0, false, false, 0},      // the hiding values
      {0, 9, 10, 0, SIF_DISABLENOSCROLL, true, true, 0},
      {5, 50, 0, 60, 0, true, false, 50},    // no page: the last position is Max
  };
  for (const Case& k : cases) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | k.ExtraMask;
    si.nMin = k.Min;
    si.nMax = k.Max;
    si.nPage = k.Page;
    si.nPos = k.Pos;
    EXPECT_EQ(SetScrollInfo(h, SB_VERT, &si, TRUE), k.ExpectedPos) << k.Max << "/" << k.Page << "/" << k.Pos;
    BOOL disabled = FALSE;
    EXPECT_EQ(IsScrollBarShown(h, SB_VERT, &disabled) != 0, k.Shown) << k.Max << "/" << k.Page;
    EXPECT_EQ(disabled != 0, k.Disabled) << k.Max << "/" << k.Page;
    SCROLLINFO back;
    back.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &back));
    EXPECT_EQ(back.nPos, k.ExpectedPos);
    EXPECT_EQ(back.nTrackPos, k.ExpectedPos);
  }
  // A bar that comes or goes changes the client area, which the control hears of.
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMax = 1000;
  si.nPage = 10;
  SetScrollInfo(h, SB_HORZ, &si, TRUE);
  const int before = c.Sizes;
  const int height = c.GetClientHeight();
  EXPECT_TRUE(ShowScrollBar(h, SB_HORZ, FALSE));
  EXPECT_EQ(c.GetClientHeight(), height + GetSystemMetrics(SM_CYHSCROLL));
  EXPECT_GT(c.Sizes, before);
  EXPECT_EQ(SetScrollInfo(nullptr, SB_VERT, &si, TRUE), 0);
}

TEST(WindowTimers, FireUntilKilled) {
  TBarsControl c(nullptr);
  HWND h = c.GetHandle();
  EXPECT_EQ(SetTimer(h, 7, 5), 7u);
  for (int i = 0; i < 100 && c.Timers.size() < 2; ++i) ProcessMessages(5);
  ASSERT_GE(c.Timers.size(), 2u);
  EXPECT_EQ(c.Timers[0], 7u);
  EXPECT_TRUE(KillTimer(h, 7));
  EXPECT_FALSE(KillTimer(h, 7));
  const std::size_t n = c.Timers.size();
  ProcessMessages(30);
  EXPECT_EQ(c.Timers.size(), n);
  EXPECT_EQ(SetTimer(nullptr, 1, 10), 0u);
}

TEST(WindowTimers, IsTimerSetFollowsSetAndKill) {
  TBarsControl c(nullptr);
  HWND h = c.GetHandle();
  EXPECT_FALSE(IsTimerSet(h, 3));
  SetTimer(h, 3, 1000);
  EXPECT_TRUE(IsTimerSet(h, 3));
  EXPECT_FALSE(IsTimerSet(h, 4));
  KillTimer(h, 3);
  EXPECT_FALSE(IsTimerSet(h, 3));
  EXPECT_FALSE(IsTimerSet(nullptr, 3));
}

// The system caret belongs to one window at a time and goes with it.
TEST(SystemCaret, CreatePlaceShowHideDestroy) {
  TBarsControl a(nullptr), b(nullptr);
  HWND ha = a.GetHandle(), hb = b.GetHandle();
  EXPECT_FALSE(CreateCaret(nullptr, 1, 10));
  EXPECT_FALSE(SetCaretPos(1, 1));
  ASSERT_TRUE(CreateCaret(ha, 2, 12));
  TRect r;
  bool shown = true;
  EXPECT_EQ(GetCaretWindow(&r, &shown), ha);
  EXPECT_FALSE(shown) << "a new caret is hidden";
  EXPECT_TRUE(SetCaretPos(5, 7));
  EXPECT_EQ(GetCaretWindow(&r, &shown), ha);
  EXPECT_EQ(r, TRect(5, 7, 7, 19));
  TPoint p;
  EXPECT_TRUE(GetCaretPos(&p));
  EXPECT_EQ(p, TPoint(5, 7));
  EXPECT_FALSE(ShowCaret(hb)) << "another window's caret";
  EXPECT_TRUE(ShowCaret(ha));
  GetCaretWindow(nullptr, &shown);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(HideCaret(ha));
  GetCaretWindow(nullptr, &shown);
  EXPECT_FALSE(shown);
  // Made for another window, the caret leaves the first.
  ASSERT_TRUE(CreateCaret(hb, 1, 10));
  EXPECT_EQ(GetCaretWindow(nullptr, nullptr), hb);
  EXPECT_FALSE(ShowCaret(ha));
  EXPECT_TRUE(DestroyCaret());
  EXPECT_EQ(GetCaretWindow(nullptr, nullptr), nullptr);
  EXPECT_FALSE(DestroyCaret());
  // A window that goes takes its caret with it.
  {
    TBarsControl c(nullptr);
    ASSERT_TRUE(CreateCaret(c.GetHandle(), 1, 10));
    ShowCaret(c.GetHandle());
  }
  EXPECT_EQ(GetCaretWindow(nullptr, nullptr), nullptr);
  EXPECT_FALSE(SetCaretPos(0, 0));
}

}  // namespace
