// The viewer's input: mouse selection by the window's own messages (words, paragraphs, Shift),
// the auto-scroll deltas and timer, the triple click, Tab between embedded items, hyperlink hover
// and the posted jump, and the animation timer.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/layout/RVAnimate.h"
#include "engine/layout/RVGifAnimate.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/graphics/Gif.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DragDrop.h"

namespace {

inline const bool InputTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// Characters are 10 pixels wide and lines 10 pixels high; the text starts at (5, 5).
constexpr int CharX(int Index) { return 5 + Index * 10; }
constexpr int LineY(int Line) { return 5 + Line * 10 + 5; }

struct ViewerInput : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> V;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 2) Sheet.TextStyles()->Add();
    Sheet.TextStyles()->Items(1)->Jump = true;
    Sheet.TextStyles()->Items(1)->HoverColor = clRed;
    for (int i = 0; i < Sheet.ParaStyles()->Count(); ++i) Sheet.ParaStyles()->Items(i)->Alignment = rvaLeft;
    V = std::make_unique<TViroZere>(nullptr);
    V->SetName(u"rv1");
    V->SetBounds(0, 0, 400, 300);
    V->SetBorderStyle(bsNone);
    V->SetStyle(&Sheet);
  }
  void TearDown() override { V.reset(); }

  TViroZereRVData& D() { return *V->GetRVData(); }
  void Formatted() {
    V->HandleNeeded();
    V->Format();
  }
  // Sends a mouse message as the window does.
  void Send(Cardinal Msg, int X, int Y, WPARAM Keys) { V->Perform(Msg, Keys, MakeLParam(X, Y)); }
  void Press(int X, int Y, WPARAM Keys = 0) { Send(WM_LBUTTONDOWN, X, Y, Keys | MK_LBUTTON); }
  void Move(int X, int Y, WPARAM Keys = MK_LBUTTON) { Send(WM_MOUSEMOVE, X, Y, Keys); }
  void Release(int X, int Y, WPARAM Keys = 0) { Send(WM_LBUTTONUP, X, Y, Keys); }
  void Click(int X, int Y, WPARAM Keys = 0) {
    Press(X, Y, Keys);
    Release(X, Y, Keys);
  }

  // The selected text, paragraphs joined by "|".
  std::string Selected() {
    int si, so, ei, eo;
    D().GetSelectionBoundsEx(si, so, ei, eo, true);
    if (si < 0) return "<none>";
    std::string s;
    for (int i = si; i <= ei; ++i) {
      if (i > si && D().IsParaStart(i)) s += "|";
      const TRVUnicodeString& t = D().GetItemTextW(i);
      const int from = i == si ? so : 1, to = i == ei ? eo : static_cast<int>(t.size()) + 1;
      for (int k = from; k < to && k <= static_cast<int>(t.size()); ++k) s += static_cast<char>(t[k - 1]);
    }
    return s;
  }
};

// ---- selection by the mouse ----------------------------------------------------------------------

TEST_F(ViewerInput, DragSnapsToWholeWordsAndShiftClickExtends) {
  D().AddNL(u"alpha beta gamma delta", 0, 0);
  D().AddNL(u"second line", 0, 0);
  Formatted();
  // From the middle of "alpha" to the middle of "gamma", then back into "beta".
  Press(CharX(2) + 2, LineY(0));
  Move(CharX(13) + 2, LineY(0));
  EXPECT_EQ(Selected(), "alpha beta gamma");
  Release(CharX(13) + 2, LineY(0));
  EXPECT_EQ(Selected(), "alpha beta gamma");
  EXPECT_EQ(D().GetSelTextW(), u"alpha beta gamma");
  EXPECT_FALSE(D().State.Contains(rvstMakingSelection));
  // Backwards from "gamma" into "alpha": the start keeps the end of "gamma".
  Press(CharX(13) + 2, LineY(1) + 10);  // below the text: the end of the last line
  Release(CharX(13) + 2, LineY(1) + 10);
  Press(CharX(13) + 2, LineY(0));
  Move(CharX(2) + 2, LineY(0));
  Release(CharX(2) + 2, LineY(0));
  EXPECT_EQ(Selected(), "alpha beta gamma");

  // Shift+click extends from the anchor: by characters in the character mode, by words otherwise.
  struct {
    TRVSelectionMode Mode;
    const char* Expected;
  } cases[] = {{rvsmChar, "pha beta ga"}, {rvsmWord, "alpha beta gamma"}};
  for (const auto& c : cases) {
    Sheet.SelectionMode = c.Mode;
    Click(CharX(2) + 2, LineY(0));
    EXPECT_EQ(Selected(), "");
    Click(CharX(13) + 2, LineY(0), MK_SHIFT);
    EXPECT_EQ(Selected(), c.Expected) << int(c.Mode);
  }
}

TEST_F(ViewerInput, TripleClickSelectsTheParagraphOnlyWithinTheDoubleClickTime) {
  D().AddNL(u"first paragraph here", 0, 0);
  D().AddNL(u"and more", 0, -1);
  D().AddNL(u"next one", 0, 0);
  Formatted();
  const int x = CharX(7) + 2, y = LineY(0);
  struct {
    const char* Name;
    DWORD Age;  // how long ago the double click was, in milliseconds
    const char* Expected;
  } cases[] = {{"within the double-click time", 0, "first paragraph hereand more"},
               {"after it", GetDoubleClickTime() + 100, ""}};
  for (const auto& c : cases) {
    Click(x, y);
    Send(WM_LBUTTONDBLCLK, x, y, MK_LBUTTON);
    Release(x, y);
    EXPECT_EQ(Selected(), "paragraph") << c.Name;
    ASSERT_NE(V->FDblClickTime, 0u);
    V->FDblClickTime -= c.Age;
    Press(x, y);
    Release(x, y);
    ProcessMessages(0);
    EXPECT_EQ(V->FDblClickTime, 0u);
    EXPECT_EQ(Selected(), c.Expected) << c.Name;
  }
}

// ---- auto-scroll --------------------------------------------------------------------------------

TEST_F(ViewerInput, AutoScrollDeltasAtTheClientEdges) {
  for (int i = 0; i < 100; ++i) D().AddNL(u"line " + IntToStr(i), 0, 0);
  Formatted();
  const int h = V->GetClientHeight(), w = V->GetClientWidth();
  struct {
    int Pos, Delta;
  } cases[] = {{-21, -10}, {-20, -1}, {-1, -1}, {0, 0}, {h, 0}, {h + 1, 1}, {h + 20, 1}, {h + 21, 10}};
  for (const auto& c : cases) {
    EXPECT_EQ(TCustomViroZere::AutoScrollDelta(c.Pos, h), c.Delta) << c.Pos;
    Move(w / 2, c.Pos);
    EXPECT_EQ(V->VScrollDelta, c.Delta) << "vertical " << c.Pos;
    Move(c.Pos < 0 ? c.Pos : c.Pos - h + w, h / 2);
    EXPECT_EQ(V->HScrollDelta, c.Delta) << "horizontal " << c.Pos;
  }
  // The timer scrolls a selection dragged below the window by the delta.
  Press(CharX(1), LineY(0));
  EXPECT_TRUE(V->ScrollTimerActive);
  Move(50, h + 25);
  const int before = V->GetVScrollPos();
  V->Perform(WM_TIMER, 1, 0);
  EXPECT_EQ(V->GetVScrollPos(), before + 10);
  Release(50, h + 25);
  EXPECT_FALSE(V->ScrollTimerActive);
}

TEST_F(ViewerInput, CheckpointEventsAfterVerticalScrolling) {
  for (int i = 0; i < 100; ++i) {
    D().AddNL(u"line " + IntToStr(i), 0, 0);
    if (i == 3 || i == 60) D().SetCheckpointInfo(i, u"", u"cp" + IntToStr(i), true);
  }
  Formatted();
  std::vector<std::string> raised;
  V->OnCheckpointVisible = [&](TObject*, TRVCPInfo* CP) {
    raised.push_back(CP ? "cp" + std::to_string(D().GetItems()->IndexOfObject(CP->ItemInfo)) : "nil");
  };
  struct {
    TCPEventKind Kind;
    std::vector<int> Tops;  // scroll positions in pixels
    std::vector<std::string> Expected;
  } cases[] = {
      // Visible checkpoints are raised; leaving them all raises nil once.
      {cpeWhenVisible, {300, 0, 100, 200, 500}, {"cp3", "nil", "cp60"}},
      // The section the view's top is in.
      {cpeAsSectionStart, {300, 0, 100, 500, 900}, {"cp3", "cp60"}},
  };
  for (const auto& c : cases) {
    raised.clear();
    D().LastRaisedCP = nullptr;
    V->SetCPEventKind(c.Kind);
    for (int top : c.Tops) V->ScrollTo(top);
    EXPECT_EQ(raised, c.Expected) << int(c.Kind);
  }
}

// ---- keyboard -----------------------------------------------------------------------------------

TEST_F(ViewerInput, TabMovesBetweenEmbeddedItemsAsTheNavigationModeSays) {
  D().AddNL(u"text ", 0, 0);
  D().AddNL(u"first", 1, -1);
  D().AddNL(u" and ", 0, -1);
  D().AddNL(u"second", 1, -1);
  Formatted();
  struct {
    TRVTabNavigationType Nav;
    TShiftState Shift;
    bool Moves;
  } cases[] = {
      {rvtnTab, {}, true},           {rvtnTab, {ssCtrl}, false},        {rvtnTab, {ssAlt}, false},
      {rvtnCtrlTab, {}, false},      {rvtnCtrlTab, {ssCtrl}, true},     {rvtnCtrlTab, {ssCtrl, ssAlt}, false},
      {rvtnNone, {}, false},         {rvtnNone, {ssCtrl}, false},
  };
  for (const auto& c : cases) {
    D().ClearFocus();
    D().AdjustFocus(-1, nullptr, -1);
    D().TopLevelFocusedItemNo = -1;
    D().TopLevelFocusedRVData = nullptr;
    V->SetTabNavigation(c.Nav);
    WORD key = VK_TAB;
    V->InputKeyDown(key, c.Shift);
    EXPECT_EQ(D().TopLevelFocusedItemNo, c.Moves ? 1 : -1) << int(c.Nav) << " " << c.Shift.Contains(ssCtrl) << c.Shift.Contains(ssAlt);
  }
  const LRESULT code = V->Perform(WM_GETDLGCODE, 0, 0);
  EXPECT_EQ(code, DLGC_WANTARROWS);
  V->SetTabNavigation(rvtnTab);
  EXPECT_EQ(V->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB);
}

// ---- hyperlinks ---------------------------------------------------------------------------------

TEST_F(ViewerInput, HyperlinkHoverAndThePostedJump) {
  D().AddNL(u"see ", 0, 0);
  D().AddNL(u"here", 1, -1);
  D().AddNL(u" or ", 0, -1);
  D().AddNL(u"there", 1, -1);
  Formatted();
  V->SetFirstJumpNo(10);
  std::vector<int> jumps, moves;
  V->OnJump = [&](TObject* Sender, int id) {
    EXPECT_EQ(Sender, V.get());
    jumps.push_back(id);
  };
  V->OnRVMouseMove = [&](TObject*, int id) { moves.push_back(id); };
  auto linkPixels = [&](int FirstChar, int Chars) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf32bit);
    bmp->SetSize(400, 300);
    V->PaintTo(bmp->GetCanvas()->GetHandle(), 0, 0);
    const TPixelImage px = bmp->ToPixels();
    std::vector<std::uint32_t> v;
    for (int y = 5; y < 15; ++y)
      for (int x = CharX(FirstChar); x < CharX(FirstChar + Chars); ++x) v.push_back(px.At(x, y) & 0xFFFFFF);
    return v;
  };
  const auto plainLink = linkPixels(4, 4), plainText = linkPixels(0, 4);
  TControl* control = V.get();

  Move(CharX(1), LineY(0), 0);
  EXPECT_NE(control->GetCursor(), crJump);
  Move(CharX(5), LineY(0), 0);
  EXPECT_EQ(control->GetCursor(), crJump);
  EXPECT_TRUE(D().State.Contains(rvstDrawHover));
  EXPECT_NE(linkPixels(4, 4), plainLink) << "the hovered link is drawn in its hover colours";
  EXPECT_EQ(linkPixels(0, 4), plainText);
  Move(CharX(1), LineY(0), 0);
  EXPECT_NE(control->GetCursor(), crJump);
  EXPECT_FALSE(D().State.Contains(rvstDrawHover));
  EXPECT_EQ(linkPixels(4, 4), plainLink);
  EXPECT_EQ(moves, (std::vector<int>{10, -1}));

  // A click on the second link: the event arrives from the message loop.
  Click(CharX(13), LineY(0));
  EXPECT_TRUE(jumps.empty());
  ProcessMessages(0);
  EXPECT_EQ(jumps, (std::vector<int>{11}));
  // A press on a link and a drag that selects text do not follow it.
  Press(CharX(13), LineY(0));
  Move(CharX(1), LineY(0));
  Move(CharX(15), LineY(0));
  Release(CharX(15), LineY(0));
  ProcessMessages(0);
  EXPECT_EQ(jumps, (std::vector<int>{11}));
}

// The item under a client point and the item of a hyperlink id, as the events report them.
TEST_F(ViewerInput, ItemAtAClientPointAndTheItemOfAHyperlinkId) {
  D().AddNL(u"see ", 0, 0);
  D().AddNL(u"here", 1, -1);
  D().AddNL(u" or ", 0, -1);
  D().AddNL(u"there", 1, -1);
  Formatted();
  V->SetFirstJumpNo(10);
  const struct {
    int X, Y;
    bool Strict, Found;
    int ItemNo, Offs;
  } points[] = {
      {CharX(1), LineY(0), true, true, 0, 2},     {CharX(6), LineY(0), true, true, 1, 3},
      {CharX(13), LineY(0), false, true, 3, 2},   {CharX(1), LineY(8), true, false, -1, -1},
      {CharX(40), LineY(0), false, true, 3, 6},
  };
  for (const auto& p : points) {
    TCustomRVFormattedData* data = nullptr;
    int itemNo = -2, offs = -2;
    EXPECT_EQ(V->GetItemAt(p.X, p.Y, data, itemNo, offs, p.Strict), p.Found) << p.X << "," << p.Y;
    EXPECT_EQ(itemNo, p.ItemNo) << p.X << "," << p.Y;
    if (p.Found) {
      EXPECT_EQ(offs, p.Offs) << p.X << "," << p.Y;
      EXPECT_EQ(data, &D());
    }
  }
  const struct {
    int Id, ItemNo;
  } jumps[] = {{10, 1}, {11, 3}, {12, -1}, {9, -1}, {-1, -1}};
  for (const auto& j : jumps) {
    TCustomRVFormattedData* data = &D();
    int itemNo = -2;
    V->GetJumpPointLocation(j.Id, data, itemNo);
    EXPECT_EQ(itemNo, j.ItemNo) << j.Id;
    EXPECT_EQ(data, j.ItemNo < 0 ? nullptr : &D()) << j.Id;
  }
}

TEST_F(ViewerInput, PostedEventDataIsFreedWithAWindowThatDies) {
  D().AddNL(u"link", 1, 0);
  Formatted();
  V->OnJump = [](TObject*, int) { FAIL() << "the viewer is gone"; };
  const int before = PostedMessageDataCount();
  Click(CharX(1), LineY(0));
  EXPECT_EQ(PostedMessageDataCount(), before + 1);
  V.reset();
  EXPECT_EQ(PostedMessageDataCount(), before);
  ProcessMessages(0);
}

// ---- dragging ----------------------------------------------------------------------------------

struct TTestDragSource : TObject, IRVDragSource {
  DWORD Result = DROPEFFECT_MOVE;
  int Runs = 0;
  DWORD ExecuteDrag(HWND Window, DWORD OkEffects) override {
    EXPECT_NE(Window, nullptr);
    EXPECT_EQ(OkEffects, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    ++Runs;
    return Result;
  }
};

TEST_F(ViewerInput, PressInsideTheSelectionCollapsesOrStartsADragPastTheThreshold) {
  D().AddNL(u"alpha beta gamma", 0, 0);
  Formatted();
  TTestDragSource source;
  std::vector<bool> released;
  D().OnCreateDropSource = [&](DWORD& OkEffects) -> TObject* {
    OkEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    return &source;
  };
  D().OnReleaseDropSource = [&](TObject* Source, bool Moved) {
    EXPECT_EQ(Source, &source);
    released.push_back(Moved);
  };
  auto selectAlphaBeta = [&] {
    Press(CharX(1) + 2, LineY(0));
    Move(CharX(8) + 2, LineY(0));
    Release(CharX(8) + 2, LineY(0));
    ASSERT_EQ(Selected(), "alpha beta");
  };
  selectAlphaBeta();
  // A press and a release inside: the selection collapses at the release point.
  Press(CharX(3) + 2, LineY(0));
  EXPECT_TRUE(D().State.Contains(rvstStartingDragDrop));
  EXPECT_EQ(Selected(), "alpha beta");
  Release(CharX(3) + 2, LineY(0));
  EXPECT_FALSE(D().State.Contains(rvstStartingDragDrop));
  EXPECT_EQ(Selected(), "");
  // A move shorter than half the drag distance does nothing; a longer one starts the drag.
  selectAlphaBeta();
  const int half = (GetSystemMetrics(SM_CXDRAG) + 1) / 2;
  Press(CharX(3), LineY(0));
  if (half > 1) Move(CharX(3) + half - 1, LineY(0));
  ProcessMessages(0);
  EXPECT_EQ(source.Runs, 0);
  Move(CharX(3) + half, LineY(0));
  EXPECT_EQ(source.Runs, 0) << "the drag starts from the message loop";
  ProcessMessages(0);
  EXPECT_EQ(source.Runs, 1);
  EXPECT_EQ(released, (std::vector<bool>{true}));
  EXPECT_FALSE(D().IsDragging());
  // A copy does not delete the selection.
  source.Result = DROPEFFECT_COPY;
  D().DoDrag();
  EXPECT_EQ(released, (std::vector<bool>{true, false}));
}

TEST_F(ViewerInput, DropCaretIsAnOverlayThatMovingTwiceKeepsOnce) {
  D().AddNL(u"alpha beta gamma", 0, 0);
  Formatted();
  auto shot = [&] {
    TBitmap bmp;
    bmp.SetPixelFormat(pf32bit);
    bmp.SetSize(400, 300);
    V->PaintTo(bmp.GetCanvas()->GetHandle(), 0, 0);
    return bmp.ToPixels();
  };
  const TPixelImage plain = shot();
  D().SetDragDropCaretTo(CharX(6), LineY(0));
  ASSERT_NE(D().GetDragDropCaretInfo()->RVData, nullptr);
  EXPECT_EQ(D().GetDragDropCaretInfo()->ItemOffs, 7);
  const TPixelImage once = shot();
  D().SetDragDropCaretTo(CharX(6), LineY(0));
  const TPixelImage twice = shot();
  EXPECT_EQ(once.Pixels, twice.Pixels);
  EXPECT_NE(once.Pixels, plain.Pixels);
  D().RemoveDragDropCaret();
  EXPECT_EQ(shot().Pixels, plain.Pixels);
}

// ---- animation ----------------------------------------------------------------------------------

std::unique_ptr<TGIFImage> LoadGif(const std::string& Name) {
  std::ifstream f(std::string(TAVRELO_TEST_DATA) + "/animation/" + Name, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  auto gif = std::make_unique<TGIFImage>();
  TMemoryStream m;
  m.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  m.SetPosition(0);
  gif->LoadFromStream(m);
  return gif;
}

TEST_F(ViewerInput, TimerTwoAdvancesGifFramesAtTheirDelays) {
  // Delays of 0, 1 and 5000 hundredths: 100 ms, 30 ms and the 10 s cap.
  auto* item = new TRVGraphicItemInfo(&D(), LoadGif("anim3.gif"), rvvaBaseline);
  D().AddItem(u"", item);
  Formatted();
  V->StartAnimation();
  auto* a = dynamic_cast<TRVGifImageAnimator*>(item->GetAnimator());
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(V->AnimationTimerInterval(), 100);
  using Clock = std::chrono::steady_clock;
  auto waitFrame = [&](int Frame) {
    const auto start = Clock::now();
    while (a->FrameIndex != Frame && Clock::now() - start < std::chrono::seconds(3)) ProcessMessages(2);
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  };
  const auto first = waitFrame(1);
  EXPECT_EQ(a->FrameIndex, 1);
  EXPECT_GE(first, 90);
  EXPECT_EQ(V->AnimationTimerInterval(), 30);
  const auto second = waitFrame(2);
  EXPECT_EQ(a->FrameIndex, 2);
  // The 30 ms wait began when frame 1 came, which the loop above notices up to a few
  // milliseconds late on a busy machine: not at once, and well before a 100 ms delay.
  EXPECT_GE(second, 10);
  EXPECT_LT(second, 2000);
  EXPECT_EQ(V->AnimationTimerInterval(), 10000);
  // The long wait is not sat out: the timer's own message steps the frame.
  V->Perform(WM_TIMER, 2, 0);
  EXPECT_EQ(a->FrameIndex, 0);
  EXPECT_EQ(V->AnimationTimerInterval(), 100);
  // Animation off frees the animators and stops the timer.
  V->SetAnimationMode(rvaniDisabled);
  EXPECT_EQ(V->AnimationTimerInterval(), 0);
  EXPECT_EQ(item->GetAnimator(), nullptr);
}

// The timer repaints just the picture on the shown window, and what the window then shows is the
// next frame as an independent reader composes it (transparent pixels over the document colour).
TEST_F(ViewerInput, TimerRepaintsThePictureWithTheNextFrame) {
  auto* item = new TRVGraphicItemInfo(&D(), LoadGif("anim3.gif"), rvvaBaseline);
  D().AddNL(u"gif ", 0, 0);
  D().AddItem(u"", item);
  Formatted();
  std::vector<TRect> painted;
  V->OnPaint = [&](TObject*, TCanvas* Canvas, bool) {
    RECT r;
    GetClipBox(Canvas->GetHandle(), &r);
    painted.push_back(r);
  };
  ShowWindow(V->GetHandle(), SW_SHOW);
  struct THide {
    HWND Wnd;
    ~THide() { ShowWindow(Wnd, SW_HIDE); }
  } hide{V->GetHandle()};
  ProcessMessages(50);
  auto* a = dynamic_cast<TRVGifImageAnimator*>(item->GetAnimator());
  TRVAnimatorList* list = D().GetAnimatorList();
  ASSERT_NE(list, nullptr);
  ASSERT_NE(a, nullptr);
  std::ifstream f(std::string(TAVRELO_TEST_DATA) + "/animation/anim3.coalesced.rgba", std::ios::binary);
  const std::string ref{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  ASSERT_EQ(ref.size(), 8u * 6 * 4 * 3);
  auto shot = [&] {
    TBitmap bmp;
    bmp.SetPixelFormat(pf32bit);
    bmp.SetSize(400, 300);
    V->PaintTo(bmp.GetCanvas()->GetHandle(), 0, 0);
    return bmp.ToPixels();
  };
  // Compares the picture on the window with a frame of the reference; the number of pixels off.
  auto wrongPixels = [&](const TPixelImage& Px, const TRect& Box, int Frame) {
    const std::uint32_t back = Px.At(390, 290) & 0xFFFFFF;
    const int bx = Sheet.GetAsPixels(item->GetBorderWidth()), by = Sheet.GetAsPixels(item->GetBorderHeight());
    int wrong = 0;
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 8; ++x) {
        const std::size_t p = (static_cast<std::size_t>(Frame) * 48 + y * 8 + x) * 4;
        const auto b = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(ref[p + i])); };
        const std::uint32_t want = b(3) == 0 ? back : b(0) << 16 | b(1) << 8 | b(2);
        if ((Px.At(Box.Left + bx + x, Box.Top + by + y) & 0xFFFFFF) != want) ++wrong;
      }
    return wrong;
  };
  // The body of the timer's tick, run here without the window's timer so that no tick comes
  // between the checks.
  for (int frame : {1, 2, 0}) {
    painted.clear();
    list->TimerEvent();
    ASSERT_EQ(a->FrameIndex, frame);
    const TRect box = a->FRVClientRect;
    EXPECT_GT(box.Top, 5) << "the picture stands on the second line";
    EXPECT_EQ(box.Width(), 8 + 2 * Sheet.GetAsPixels(item->GetBorderWidth())) << frame;
    EXPECT_TRUE(a->DrawPending);
    ProcessMessages(30);
    ASSERT_FALSE(painted.empty()) << "frame " << frame << " is not repainted";
    for (const TRect& r : painted) EXPECT_EQ(r, box) << "only the picture is repainted";
    EXPECT_FALSE(a->DrawPending) << "the repaint continued the composition";
    EXPECT_EQ(wrongPixels(shot(), box, frame), 0) << "frame " << frame;
    EXPECT_GT(wrongPixels(shot(), box, (frame + 2) % 3), 0) << "frame " << frame << " differs from the one before";
  }
  V->OnPaint = nullptr;
}

}  // namespace
