// Selecting with the mouse in a formatted document: word snapping of both ends, lines and
// paragraphs, the drag candidate inside the selection; hyperlink numbering and the word under a
// point.
#include <gtest/gtest.h>

#include "LayoutTestUtil.h"

namespace {

struct MouseDoc : TLayoutDoc {
  MouseDoc() : TLayoutDoc(300) {
    Doc.SetOptions(Doc.GetOptions() + rvoAllowSelection);
    Sheet.LineSelectCursor = 0xFFFF;
  }
  // A point on the first half of character Index of draw item DI (the position before it).
  TPoint At(int DI, int Index) {
    TRVDrawLineInfo* d = D().Get(DI);
    return TPoint(d->Left + Index * 10 + 3, d->Top + 5);
  }
  void Press(TPoint P, TShiftState Shift = {}) { Doc.MouseDown(mbLeft, Shift + ssLeft, P.X, P.Y); }
  void Move(TPoint P) { Doc.MouseMove(TShiftState{ssLeft}, P.X, P.Y); }
  void Release(TPoint P) { Doc.MouseUp(mbLeft, {}, P.X, P.Y); }
  // The selection as text, "|" between paragraphs; "<" in front when it runs backwards.
  std::string Selected() {
    int sn, en, so, eo;
    Doc.StoreSelBounds(sn, en, so, eo, true);
    if (sn < 0) return "<none>";
    std::string s = Doc.IsSelectionForward() ? "" : "<";
    for (int i = sn; i <= en; ++i) {
      if (i > sn && Doc.IsParaStart(i)) s += "|";
      const TRVUnicodeString& t = Doc.GetItemTextW(i);
      const int from = i == sn ? so : 1, to = i == en ? eo : static_cast<int>(t.size()) + 1;
      for (int k = from; k < to; ++k) s += static_cast<char>(t[k - 1]);
    }
    return s;
  }
};

TEST(MouseSelection, WordSnappingOfBothEnds) {
  struct Step {
    int DI, Index;
    const char* Expected;
  };
  struct {
    const char* Name;
    std::vector<Step> Moves;
  } cases[] = {
      {"forward into another word", {{1, 13, "alpha beta gamma"}}},
      {"backward: the start at the end of its word", {{0, 1, "<zeta eta|alpha"}}},
      {"back into the start word stops its snapping", {{1, 13, "alpha beta gamma"}, {1, 4, "ph"}}},
      {"back toward the start inside the end word", {{1, 13, "alpha beta gamma"}, {1, 12, "alpha beta g"}}},
      {"between words: the end is not snapped", {{1, 13, "alpha beta gamma"}, {1, 10, "alpha beta"}}},
  };
  for (const auto& c : cases) {
    MouseDoc t;
    t.Doc.AddNL(u"zeta eta", 0, 0);
    t.Doc.AddNL(u"alpha beta gamma", 0, 0);
    t.Doc.Format(false);
    ASSERT_EQ(t.D().Count(), 2);
    t.Press(t.At(1, 2));
    ASSERT_NE(t.Doc.FSelectingInfo, nullptr);
    EXPECT_EQ(t.Doc.FSelectingInfo->SWordState, rvsesInWord);
    for (const Step& s : c.Moves) {
      t.Move(t.At(s.DI, s.Index));
      EXPECT_EQ(t.Selected(), s.Expected) << c.Name;
    }
    t.Release(t.At(c.Moves.back().DI, c.Moves.back().Index));
    EXPECT_EQ(t.Selected(), c.Moves.back().Expected) << c.Name;
    EXPECT_EQ(t.Doc.FSelectingInfo, nullptr);
  }
  // A press between words starts the free mode.
  MouseDoc t;
  t.Doc.AddNL(u"alpha beta", 0, 0);
  t.Doc.Format(false);
  t.Doc.MouseDown(mbLeft, TShiftState{ssLeft}, t.D().Get(0)->Left + 50, 5);
  ASSERT_NE(t.Doc.FSelectingInfo, nullptr);
  EXPECT_EQ(t.Doc.FSelectingInfo->SWordState, rvsesFreeMode);
}

TEST(MouseSelection, LinesAndParagraphs) {
  MouseDoc t;
  t.Doc.AddNL(u"one two three four five six seven eight nine ten eleven twelve", 0, 0);
  t.Doc.AddNL(u"next", 0, 0);
  t.Doc.Format(false);
  ASSERT_GT(t.D().Count(), 2);
  // A selection inside one paragraph is not widened when only several count.
  t.Press(t.At(0, 1));
  t.Move(t.At(0, 6));
  EXPECT_FALSE(t.Doc.ExpandSelectionToParagraph(true));
  EXPECT_TRUE(t.Doc.ExpandSelectionToParagraph(false));
  EXPECT_EQ(t.Selected(), "one two three four five six seven eight nine ten eleven twelve");
  t.Release(t.At(0, 6));
  // Lines: a backward extension starts at the end of its line and ends at the start of the
  // pointer's line.
  const int last = t.D().Count() - 1;
  t.Doc.FSelStartNo = t.Doc.FSelEndNo = last;
  t.Doc.FSelStartOffs = t.Doc.FSelEndOffs = 2;
  t.Doc.ExpandSelectionToLines(false);
  EXPECT_EQ(t.Selected(), "next");
  const TPoint p = t.At(1, 2);
  EXPECT_TRUE(t.Doc.ExtendSelectionTo(p.X, p.Y));
  EXPECT_FALSE(t.Doc.IsSelectionForward());
  EXPECT_EQ(t.Doc.FSelStartNo, last);
  EXPECT_EQ(t.Doc.FSelStartOffs, 5);
  int first, lastOnLine;
  t.Doc.GetLineBounds(1, first, lastOnLine);
  EXPECT_EQ(t.Doc.FSelEndNo, first);
  EXPECT_EQ(t.Doc.FSelEndOffs, 1);
  // The paragraph mode widens a drag over two paragraphs to both.
  t.Sheet.SelectionMode = rvsmParagraph;
  t.Press(t.At(1, 1));
  t.Move(t.At(last, 1));
  EXPECT_EQ(t.Selected(), "one two three four five six seven eight nine ten eleven twelve|next");
}

TEST(MouseSelection, PressInsideTheSelectionIsADragCandidateThatCollapsesOnRelease) {
  MouseDoc t;
  t.Doc.AddNL(u"alpha beta gamma", 0, 0);
  t.Doc.Format(false);
  t.Press(t.At(0, 1));
  t.Move(t.At(0, 8));
  t.Release(t.At(0, 8));
  ASSERT_EQ(t.Selected(), "alpha beta");
  // The plain document has no root with drag support: a press inside just selects anew.
  t.Press(t.At(0, 3));
  t.Release(t.At(0, 3));
  EXPECT_EQ(t.Selected(), "");
}

TEST(Hyperlinks, NumberingFindingAndTheWordUnderAPoint) {
  MouseDoc t;
  t.Font(1)->Jump = true;
  t.Doc.SetWidth(60);
  t.Doc.AddNL(u"a ", 0, 0);
  t.Doc.AddNL(u"link wrapped over lines", 1, -1);
  t.Doc.AddNL(u" b ", 0, -1);
  t.Doc.AddNL(u"next", 1, -1);
  t.Doc.Format(false);
  int start = 5;
  t.Doc.BuildJumps(start);
  EXPECT_EQ(start, 7);
  EXPECT_EQ(t.Doc.nJmps, 2);
  EXPECT_EQ(t.Doc.GetItem(1)->JumpID, 5);
  EXPECT_EQ(t.Doc.GetItem(3)->JumpID, 6);
  EXPECT_GT(t.Doc.Item2LastDrawItem(1) - t.Doc.Item2FirstDrawItem(1), 1) << "the link spans three lines";
  TCustomRVFormattedData* data = nullptr;
  int itemNo = -2;
  t.Doc.FFirstJumpNo = 100;
  t.Doc.GetJumpPointLocation(106, data, itemNo);
  EXPECT_EQ(data, &t.Doc);
  EXPECT_EQ(itemNo, 3);
  t.Doc.GetJumpPointLocation(7, data, itemNo);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(itemNo, -1);

  // The word under a point; a delimiter gives an empty word but still a hit.
  TRVUnicodeString word;
  int styleNo = -1, offs = 0;
  const int di = t.Doc.Item2FirstDrawItem(1);
  const TRVDrawLineInfo* d = t.D().Get(di);
  EXPECT_TRUE(t.Doc.FindWordAt(word, d->Left + 15, d->Top + 5, styleNo, itemNo, offs, data));
  EXPECT_EQ(word, u"link");
  EXPECT_EQ(styleNo, 1);
  EXPECT_EQ(offs, 1);
  EXPECT_TRUE(t.Doc.FindWordAt(word, t.D().Get(0)->Left + 15, t.D().Get(0)->Top + 5, styleNo, itemNo, offs, data));
  EXPECT_EQ(word, u"");
  EXPECT_FALSE(t.Doc.FindWordAt(word, 5, 1000, styleNo, itemNo, offs, data));
}

}  // namespace
