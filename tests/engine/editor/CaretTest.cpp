// The caret of the editor: the stops of its line (where the painter puts the glyph edges), its
// placement and the styles it takes, the remembered column, the self-drawn caret and the
// selection queries that answer the caret.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "engine/document/RVItem.h"
#include "engine/document/RVGraphicItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVError.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Controls.h"
#include "platform/ui/GuiSession.h"

namespace {

inline const bool CaretTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

std::unique_ptr<TGraphic> Picture(int W, int H) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(W, H);
  return bmp;
}

// An editor on a style sheet with three text styles, formatted offscreen; fixed metrics (every
// character 10 wide) unless the test asks for real fonts.
struct CaretEditor : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> E;
  TRVEditRVData* D = nullptr;

  void Make(bool RealFonts = false, int Width = 400) {
    if (!RealFonts) Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 3) Sheet.ParaStyles()->Add();
    E = std::make_unique<TViroZereEdit>(nullptr);
    E->SetBounds(0, 0, Width, 300);
    E->SetStyle(&Sheet);
    D = E->GetEditRVData();
  }
  void AddPicture(int W, int H) {
    auto* pic = new TRVGraphicItemInfo(D, Picture(W, H), rvvaBaseline);
    pic->ParaNo = -1;
    D->AddItem(u"", pic);
  }
  void Format() {
    E->HandleNeeded();
    E->Format();
  }
  TRVDrawLineInfo* DI(int No) const { return D->DrawItems->Get(No); }
  // Puts the caret on a draw item at the draw-item offset Offs and rebuilds its line.
  void PlaceCaret(int DrawItemNo, int Offs) {
    D->CaretDrawItemNo = DrawItemNo;
    D->OnChangeCaretLine(Offs - 2);
  }
  // The stops as "draw item:offset" in order.
  std::string Stops() const {
    std::string r;
    for (int i = 0; i < D->CharEnds.Count(); ++i) {
      if (i) r += " ";
      r += std::to_string(D->CharEnds.GetItem(i)->DrawItemNo) + ":" + std::to_string(D->CharEnds.GetItem(i)->Offset);
    }
    return r;
  }
  std::vector<int> StopXs() const {
    std::vector<int> r;
    for (int i = 0; i < D->CharEnds.Count(); ++i) r.push_back(D->CharEnds.GetItem(i)->X);
    return r;
  }
};

// Every character's two stops are the edges of the box the painter draws it in.
void ExpectStopsOnPaintedBoxes(TRVEditRVData* D, int DrawItemNo, const char* Label) {
  std::vector<int> pos, lefts, rights;
  ASSERT_TRUE(D->GetDrawItemCaretPositionsAndBoxes(DrawItemNo, pos, lefts, rights)) << Label;
  TRVDrawLineInfo* d = D->DrawItems->Get(DrawItemNo);
  ASSERT_EQ(static_cast<int>(lefts.size()), d->TextLength) << Label << ": the interface gave no glyph boxes";
  std::vector<int> xs;
  for (int i = 0; i < D->CharEnds.Count(); ++i)
    if (D->CharEnds.GetItem(i)->DrawItemNo == DrawItemNo) xs.push_back(D->CharEnds.GetItem(i)->X);
  ASSERT_EQ(static_cast<int>(xs.size()), d->TextLength + 1) << Label;
  const int left = d->Left + d->GetSpaceAtLeft();
  for (int c = 0; c < d->TextLength; ++c) {
    const int a = std::min(xs[c], xs[c + 1]), b = std::max(xs[c], xs[c + 1]);
    EXPECT_EQ(a, left + std::min(lefts[c], rights[c])) << Label << ", character " << c;
    EXPECT_EQ(b, left + std::max(lefts[c], rights[c])) << Label << ", character " << c;
  }
}

}  // namespace

// "ab", a picture and "cd" on one line: six stops, the picture's start shared with the end of
// "ab" and the start of "cd" shared with the picture's end.
TEST_F(CaretEditor, LineOfTextPictureTextHasSixStops) {
  Make();
  D->AddNL(u"ab", 0, 0);
  AddPicture(20, 20);
  D->AddNL(u"cd", 0, -1);
  Format();
  ASSERT_EQ(D->DrawItems->Count(), 3);
  PlaceCaret(0, 1);
  EXPECT_EQ(Stops(), "0:1 0:2 0:3 1:1 2:2 2:3");
  const int a = DI(0)->Left, p = DI(1)->Left + DI(1)->Width, c = DI(2)->Left;
  EXPECT_EQ(DI(1)->Left, a + 20);
  EXPECT_EQ(StopXs(), (std::vector<int>{a, a + 10, a + 20, p, c + 10, c + 20}));
  EXPECT_EQ(D->CaretOffs, 0);

  struct {
    int DrawItemNo, Offs, Stop;
  } placements[] = {
      {0, 2, 1},  // between a and b
      {0, 3, 2},  // after b
      {1, 0, 2},  // before the picture: the end of "ab"
      {1, 1, 3},  // after the picture
      {2, 1, 3},  // before c: the picture's end
      {2, 3, 5},  // after d
      {2, 9, 5},  // beyond the text: the last stop
  };
  for (const auto& c : placements) {
    PlaceCaret(c.DrawItemNo, c.Offs);
    EXPECT_EQ(D->CaretOffs, c.Stop) << "draw item " << c.DrawItemNo << " offset " << c.Offs;
    EXPECT_EQ(D->CharEnds.Count(), 6);
  }
  // The caret as an item position, and set back from one.
  PlaceCaret(2, 2);
  int itemNo = -1, itemOffs = -1;
  D->CaretToItem(itemNo, itemOffs);
  EXPECT_EQ(itemNo, 2);
  EXPECT_EQ(itemOffs, 2);
  EXPECT_EQ(D->GetCurItemNo(), 2);
  EXPECT_EQ(D->GetOffsetInCurItem(), 2);
  D->SetCaretAtItem(1, 1);
  EXPECT_EQ(D->CaretOffs, 3);
  EXPECT_TRUE(D->IsCaretOnLastLine());
  EXPECT_FALSE(D->IsCaretAtLineEnd());
}

// A justified line spreads its spaces: the stops follow the glyphs as painted, spacing included.
TEST_F(CaretEditor, StopsOfAJustifiedLineAreThePaintedGlyphEdges) {
  Make(false, 160);
  Sheet.ParaStyles()->Items(1)->Alignment = rvaJustify;
  D->AddNL(u"aaaa bbbb cccc dddd", 0, 1);
  Format();
  ASSERT_GT(D->DrawItems->Count(), 1) << "the paragraph should wrap";
  PlaceCaret(0, 1);
  TRVDrawLineInfo* d = DI(0);
  ASSERT_GT(d->Width, d->GetTextWidth()) << "the first line should be justified";
  ExpectStopsOnPaintedBoxes(D, 0, "justified");
  // The space before "bbbb" is wider than a character: the stops after it moved right.
  const std::vector<int> xs = StopXs();
  ASSERT_GT(xs.size(), 6u);
  EXPECT_GT(xs[5] - xs[4], 10);
  EXPECT_EQ(xs[4] - xs[0], 40);
}

// Where the caret stands on a paragraph wrapped inside one item: line and item, line and
// paragraph.
TEST_F(CaretEditor, LineAndParagraphPredicatesOfAWrappedItem) {
  Make(false, 160);
  D->AddNL(u"aaaa bbbb cccc dddd", 0, 0);
  D->AddNL(u"next", 0, 0);
  Format();
  ASSERT_GE(D->DrawItems->Count(), 3);
  const int lastOfFirst = D->DrawItems->Count() - 2;  // the last line of the wrapped paragraph
  struct {
    int DrawItemNo, Offs;
    bool Last;  // the caret at the line's last stop rather than its first
    bool LineStartItemStart, LineEndItemEnd, ParaStart, ParaEnd;
  } cases[] = {
      {0, 1, false, true, false, true, false},
      {0, 99, true, false, false, false, false},
      {lastOfFirst, 1, false, false, false, false, false},
      {lastOfFirst, 99, true, false, true, false, true},
  };
  for (const auto& c : cases) {
    PlaceCaret(c.DrawItemNo, c.Offs);
    const int last = D->CharEnds.Count() - 1;
    EXPECT_EQ(D->CaretOffs, c.Last ? last : 0);
    EXPECT_EQ(D->IsCharOffsAtTheLineStartAndItemStart(D->CaretOffs), c.LineStartItemStart) << c.DrawItemNo;
    EXPECT_EQ(D->IsCharOffsAtTheLineEndAndItemEnd(D->CaretOffs), c.LineEndItemEnd) << c.DrawItemNo;
    EXPECT_EQ(D->IsCaretAtTheBeginningOfParaSection(true), c.ParaStart) << c.DrawItemNo;
    EXPECT_EQ(D->IsCaretAtTheEndOfParaSection(true), c.ParaEnd) << c.DrawItemNo;
    EXPECT_FALSE(D->IsCaretOnLastLine());
  }
}

// Right-to-left text with real fonts: the stops run from right to left in logical order, on the
// glyph edges the painter uses, and the caret bar stands left of its stop.
TEST_F(CaretEditor, StopsOfRightToLeftTextAreThePaintedGlyphEdges) {
  if (!GuiSessionRunning()) GTEST_SKIP() << "no window system for real fonts";
  Make(true);
  Sheet.ParaStyles()->Items(1)->BiDiMode = rvbdRightToLeft;
  D->AddNL(u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD", 0, 1);
  Format();
  ASSERT_EQ(D->DrawItems->Count(), 1);
  PlaceCaret(0, 1);
  ASSERT_EQ(D->CharEnds.Count(), 10);
  const std::vector<int> xs = StopXs();
  for (std::size_t i = 1; i < xs.size(); ++i) EXPECT_LT(xs[i], xs[i - 1]) << "stop " << i;
  ExpectStopsOnPaintedBoxes(D, 0, "right-to-left");
}

// A list marker never holds the caret: placed on the marker, it goes to the text's start.
TEST_F(CaretEditor, ListMarkerNeverHoldsTheCaret) {
  Make();
  TRVListInfo* list = Sheet.ListStyles()->Add();
  TRVListLevel* level = list->Levels()->Add();
  level->ListType = rvlstDecimal;
  level->FormatString = u"%0:s.";
  D->AddNL(u"xy", 0, 0);
  ASSERT_GE(D->SetListMarkerInfo(0, list->GetIndex(), 0, 1, 0, false), 0);
  Format();
  ASSERT_EQ(D->GetItem(0)->StyleNo, ItemKindListMarker);
  ASSERT_EQ(D->DrawItems->Count(), 2);
  PlaceCaret(0, 0);
  EXPECT_EQ(Stops(), "1:1 1:2 1:3");
  EXPECT_EQ(D->CaretDrawItemNo, 1);
  EXPECT_EQ(D->CaretOffs, 0);
  EXPECT_TRUE(D->IsCaretAtTheBeginningOfParaSection(true));
}

// The caret takes the typing style of the text at its left; text that must not become the
// typing style leaves the previous one.
TEST_F(CaretEditor, CaretTakesTheStyleOfTheTextAtItsLeft) {
  Make();
  Sheet.TextStyles()->Items(2)->Protection.Include(rvprDoNotAutoSwitch);
  D->AddNL(u"ab", 0, 0);
  D->AddNL(u"cd", 1, -1);
  D->AddNL(u"ef", 2, -1);
  Format();
  ASSERT_EQ(D->DrawItems->Count(), 3);
  struct {
    int ItemNo, Offs, Style;
    const char* What;
  } cases[] = {
      {1, 2, 1, "inside the second item"},
      {1, 1, 0, "between the first and second items: the left one's"},
      {0, 2, 0, "inside the first item"},
      {2, 2, 0, "inside protected text: the style before stays"},
      {1, 2, 1, "inside the second item again"},
      {2, 2, 1, "protected text after the second item"},
  };
  for (const auto& c : cases) {
    D->SetCaretAtItem(c.ItemNo, c.Offs);
    D->ChangeCaret(false, false, false, false);
    EXPECT_EQ(E->GetCurTextStyleNo(), c.Style) << c.What;
  }
  // Without style changes asked for, the style stays where it was.
  D->SetCaretAtItem(0, 2);
  D->ChangeCaret(false, false, true, false);
  EXPECT_EQ(E->GetCurTextStyleNo(), 1);
}

// A caret position that is not on its line is refused, and the caret goes back to the start.
TEST_F(CaretEditor, InvalidCaretPositionIsRefusedAndReset) {
  Make();
  D->AddNL(u"ab", 0, 0);
  D->AddNL(u"cd", 0, 0);
  Format();
  PlaceCaret(1, 2);
  D->CaretOffs = 7;
  EXPECT_THROW(D->ChangeCaret(false, false, false, false), EViroZereError);
  EXPECT_EQ(D->CaretDrawItemNo, 0);
  EXPECT_EQ(D->CaretOffs, 0);
  EXPECT_NO_THROW(D->ChangeCaret(false, false, false, false));
}

// Without a selection the selection queries answer the caret for both ends.
TEST_F(CaretEditor, SelectionBoundsWithoutSelectionAnswerTheCaret) {
  Make();
  D->AddNL(u"abc", 0, 0);
  D->AddNL(u"def", 0, 0);
  Format();
  ASSERT_FALSE(D->SelectionExists(false, false));
  D->SetCaretAtItem(1, 3);
  D->ChangeCaret(false, false, false, false);
  int s = -9, so = -9, e = -9, eo = -9;
  D->GetSelectionBoundsEx(s, so, e, eo, true);
  EXPECT_EQ(std::vector<int>({s, so, e, eo}), std::vector<int>({1, 3, 1, 3}));
  D->GetSelBounds(s, e, so, eo, false);
  EXPECT_EQ(std::vector<int>({s, so, e, eo}), std::vector<int>({1, 3, 1, 3}));
}

namespace {

// A sub-document of the editor's document placed at (30, 40) in the root's coordinates (a table
// cell's stands-in: only its origin and its root matter here).
class TNestedEditData : public TRVEditRVData {
 public:
  TNestedEditData(TRVRootDataViewer* Viewer, TCustomRVData* Root) : TRVEditRVData(Viewer), FRoot(Root) {}
  TCustomRVData* GetAbsoluteRootData() override { return FRoot; }
  void GetOriginEx(int& ALeft, int& ATop) override {
    ALeft = 30;
    ATop = 40;
  }

 private:
  TCustomRVData* FRoot;
};

}  // namespace

// The column remembered for Up and Down is kept by the root in its own coordinates.
TEST_F(CaretEditor, RememberedColumnIsKeptInRootCoordinates) {
  Make();
  TViroZereEdit host(nullptr);
  TNestedEditData cell(&host, D);
  EXPECT_EQ(D->GetUpDownMovingX(), INT_MAX);
  D->SetUpDownMovingX(100);
  EXPECT_EQ(D->GetUpDownMovingX(), 100);
  EXPECT_EQ(cell.GetUpDownMovingX(), 70);
  cell.SetUpDownMovingX(5);
  EXPECT_EQ(D->GetUpDownMovingX(), 35);
  EXPECT_EQ(cell.FUpDownMovingX, INT_MAX) << "the sub-document keeps none of its own";
  cell.ResetUpDownMovingX();
  EXPECT_EQ(D->GetUpDownMovingX(), INT_MAX);
  EXPECT_EQ(cell.GetUpDownMovingX(), INT_MAX);
  // The root's shared objects are the root's.
  EXPECT_EQ(cell.GetRootEditProperties(), D->GetRootEditProperties());
  EXPECT_EQ(cell.GetRootEditEvents(), D->GetRootEditEvents());
}

TEST_F(CaretEditor, ChangeForgetsTheRememberedColumn) {
  Make();
  D->AddNL(u"ab", 0, 0);
  Format();
  D->SetUpDownMovingX(50);
  D->Change();
  EXPECT_EQ(D->GetUpDownMovingX(), INT_MAX);
}

// The self-drawn caret: no timer without an interval; with one, drawn on every second tick over
// saved pixels that come back exactly.
TEST_F(CaretEditor, SelfDrawnCaretBlinksOverRestoredPixels) {
  Make();
  D->AddNL(u"abc", 0, 0);
  Format();
  HWND wnd = E->GetHandle();
  D->ActivateCustomCaretTimer();
  EXPECT_FALSE(IsTimerSet(wnd, 3)) << "interval 0 means the system caret";
  EXPECT_FALSE(D->FCustomCaretActive);

  E->SetCustomCaretInterval(50);
  D->ActivateCustomCaretTimer();
  EXPECT_TRUE(IsTimerSet(wnd, 3));
  EXPECT_TRUE(D->FCustomCaretActive);
  D->DeactivateCustomCaretTimer();
  EXPECT_FALSE(IsTimerSet(wnd, 3));

  ShowWindow(wnd, SW_SHOW);
  E->SetFocus();
  ProcessMessages(50);
  if (!E->Focused()) GTEST_SKIP() << "the window system gave the window no keyboard focus";
  D->ActivateCustomCaretTimer();
  int draws = 0;
  E->OnDrawCustomCaret = [&](TCustomViroZereEdit*, TCanvas* Canvas, const TRect& R) {
    ++draws;
    Canvas->Brush().SetStyle(bsSolid);
    Canvas->Brush().SetColor(clBlack);
    Canvas->FillRect(R);
  };
  PlaceCaret(0, 2);
  D->ChangeCaret(false, false, false, false);
  const TRect r = D->FCustomCaretRect;
  ASSERT_GT(r.Height(), 0);
  EXPECT_EQ(r.Left, D->CharEnds.GetItem(1)->X - D->GetHOffs());

  // The ticks draw on the control's canvas; here it draws into a bitmap with a pattern.
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(100, 60);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x) target.GetCanvas()->SetPixel(x, y, static_cast<TColor>(RGB(x * 2, y * 4, (x + y) & 0xFF)));
  TCanvas* canvas = E->GetCanvas();
  HDC own = canvas->GetHandle();
  canvas->SetHandle(target.GetCanvas()->GetHandle());
  auto pixels = [&] {
    std::vector<TColor> p;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 100; ++x) p.push_back(canvas->GetPixel(x, y));
    return p;
  };
  const std::vector<TColor> before = pixels();
  D->DrawCustomCaret();
  EXPECT_EQ(draws, 0) << "the first tick is the off phase";
  EXPECT_EQ(pixels(), before);
  D->DrawCustomCaret();
  EXPECT_EQ(draws, 1);
  EXPECT_EQ(canvas->GetPixel(r.Left, r.Top + 1), clBlack);
  EXPECT_NE(pixels(), before);
  D->DrawCustomCaret();
  EXPECT_EQ(draws, 1);
  EXPECT_EQ(pixels(), before) << "erasing puts back exactly what was under the caret";
  D->DrawCustomCaret();
  EXPECT_EQ(draws, 2);
  D->ClearCustomCaret();
  EXPECT_EQ(pixels(), before);
  canvas->SetHandle(own);
  D->DeactivateCustomCaretTimer();
}

// Placing the caret in a focused editor shows the system caret at the stop, one line high; a
// read-only editor that hides its caret shows none but still follows the caret.
TEST_F(CaretEditor, SystemCaretStandsAtTheStop) {
  Make();
  D->AddNL(u"abc", 0, 0);
  D->AddNL(u"de", 1, 0);
  Format();
  HWND wnd = E->GetHandle();
  ShowWindow(wnd, SW_SHOW);
  E->SetFocus();
  ProcessMessages(50);
  if (!E->Focused()) GTEST_SKIP() << "the window system gave the window no keyboard focus";
  PlaceCaret(0, 3);
  D->ChangeCaret(false, false, false, false);
  TRect r;
  bool shown = false;
  ASSERT_EQ(GetCaretWindow(&r, &shown), wnd);
  EXPECT_TRUE(shown);
  EXPECT_EQ(r.Left, D->CharEnds.GetItem(2)->X - D->GetHOffs());
  EXPECT_EQ(r.Height(), DI(0)->Height + 2);
  EXPECT_EQ(D->CaretHeight, DI(0)->Height + 2);

  E->SetReadOnly(true);
  E->SetEditorOptions(E->GetEditorOptions() + TRVEditorOptions{rvoHideReadOnlyCaret});
  PlaceCaret(1, 2);
  D->ChangeCaret(false, false, false, false);
  EXPECT_EQ(GetCaretWindow(nullptr, nullptr), nullptr);
  EXPECT_EQ(D->GetCurItemNo(), 1);
  EXPECT_EQ(E->GetCurTextStyleNo(), 1);
}

// An editor whose document is empty gets one empty paragraph in the first visible text style.
TEST_F(CaretEditor, EmptyDocumentGetsAnEmptyParagraph) {
  Make();
  Sheet.TextStyles()->Items(0)->Options.Include(rvteoHidden);
  Format();
  // Preparing for editing adds an item of the current text style (hidden here); the paragraph
  // the caret can stand in is the one in the first visible style.
  ASSERT_GE(D->ItemCount(), 1);
  const int Last = D->ItemCount() - 1;
  EXPECT_EQ(D->GetItem(Last)->StyleNo, 1);
  for (int i = 0; i <= Last; ++i) EXPECT_TRUE(D->GetItemTextW(i).empty());
  EXPECT_FALSE(D->NotFormatted());
}
