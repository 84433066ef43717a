// Line, paragraph and position queries and the protection checks of the formatted document, on
// fixed metrics (every code unit 10 pixels wide, lines 10 pixels high).
#include "engine/layout/LayoutTestUtil.h"

#include "engine/document/RVGraphicItem.h"
#include "platform/graphics/Pictures.h"

namespace {

int AddPicture(TCustomRVData& Doc, int ParaNo) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(8, 8);
  auto* pic = new TRVGraphicItemInfo(&Doc, std::move(bmp), rvvaBaseline);
  pic->ParaNo = ParaNo;
  Doc.AddItem(u"", pic);
  return Doc.ItemCount() - 1;
}

}  // namespace

// Two paragraphs: "aaa bbb ccc" wraps at 70 into two lines, then "dd" "ee" on one line.
// Draw items: 0 'aaa bbb' | 1 'ccc' | 2 'dd' | 3 'ee'.
TEST(PositionQueries, DrawItemPredicatesAndLines) {
  TLayoutDoc t(70);
  t.Doc.AddNL(u"aaa bbb ccc", 0, 0);
  t.Doc.AddNL(u"dd", 0, 0);
  t.Doc.AddNL(u"ee", 1, -1);
  t.Doc.Format(false);
  ASSERT_EQ(t.Lines(), "aaa bbb/ccc/ddee");
  struct TCase {
    int D;
    bool ItemStart, ParaStart, ParaEnd, FromNewLine, LastOnWrapped, SecondLine, LastLine, Skips;
  } cases[] = {
      {0, true, true, false, true, true, false, false, true},
      {1, false, false, true, true, false, true, true, false},
      {2, true, true, false, true, false, false, false, false},
      {3, true, false, true, false, false, false, false, false},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(t.Doc.IsDrawItemItemStart(c.D), c.ItemStart) << c.D;
    EXPECT_EQ(t.Doc.IsDrawItemParaStart(c.D), c.ParaStart) << c.D;
    EXPECT_EQ(t.Doc.IsDrawItemParaSectionStart(c.D), c.ParaStart) << c.D;
    EXPECT_EQ(t.Doc.IsDrawItemParaEnd(c.D), c.ParaEnd) << c.D;
    EXPECT_EQ(t.Doc.IsDrawItemFromNewLine(c.D), c.FromNewLine) << c.D;
    EXPECT_EQ(t.Doc.IsDrawItemLastOnWrappedLine(c.D), c.LastOnWrapped) << c.D;
    EXPECT_EQ(t.Doc.IsDrawItemStartsTheSecondParaLine(c.D), c.SecondLine) << c.D;
    EXPECT_EQ(t.Doc.IsDrawItemStartsTheLastParaLine(c.D), c.LastLine) << c.D;
    EXPECT_EQ(t.Doc.DrawItemSkipsChars(c.D), c.Skips) << c.D;
  }
  EXPECT_TRUE(t.Doc.IsDrawItemParaEnd(-1));
  EXPECT_EQ(t.Doc.GetLineCount(-1, false), 3);
  EXPECT_EQ(t.Doc.GetLineCount(3, false), 3);
  EXPECT_EQ(t.Doc.GetLineCount(2, true), 3);  // before the line's first draw item: that line
  EXPECT_EQ(t.Doc.GetLineCount(3, true), 3);
  // Line numbers of positions; the end of a wrapped piece is on its line unless a line begin is
  // asked and the next piece continues right there.
  struct TLine {
    int Item, Offs;
    bool LineBegin;
    int Line;
  } lines[] = {{0, 1, false, 1}, {0, 8, false, 1}, {0, 9, false, 2}, {0, 12, false, 2}, {1, 1, false, 3},
               {2, 3, false, 3}};
  for (const TLine& l : lines)
    EXPECT_EQ(t.Doc.GetLineNoEx(l.Item, l.Offs, l.LineBegin, &t.Doc), l.Line) << l.Item << ":" << l.Offs;
  // Positions at lines, and a number beyond the last line.
  TCustomRVData* data = nullptr;
  int item = -1, offs = -1;
  int lineNo = 2;
  ASSERT_TRUE(t.Doc.GetPositionAtLine(lineNo, data, item, offs));
  EXPECT_EQ(std::make_tuple(data, item, offs), std::make_tuple(static_cast<TCustomRVData*>(&t.Doc), 0, 9));
  lineNo = 7;
  EXPECT_FALSE(t.Doc.GetPositionAtLine(lineNo, data, item, offs));
  EXPECT_EQ(lineNo, 4);
  // Whole lines of a range.
  int d1, d2;
  t.Doc.ExpandToLines(0, 10, 1, 2, d1, d2);
  EXPECT_EQ(std::make_pair(d1, d2), std::make_pair(1, 3));
  t.Doc.ExpandToLines(0, 8, 0, 8, d1, d2);
  EXPECT_EQ(std::make_pair(d1, d2), std::make_pair(0, 0));
}

// A paragraph whose first item is hidden: its first visible item starts the displayed paragraph
// and the paragraph style comes from the hidden item.
TEST(PositionQueries, DisplayedParagraphsOverHiddenItems) {
  TLayoutDoc t(200, 2, 3);
  t.Font(1)->Options.Include(rvteoHidden);
  t.Doc.AddNL(u"one", 0, 0);
  t.Doc.AddNL(u"hidden", 1, 2);  // starts paragraph 2, hidden
  t.Doc.AddNL(u"two", 0, -1);
  t.Doc.AddNL(u"more", 0, -1);
  t.Doc.Format(false);
  EXPECT_TRUE(t.Doc.IsDisplayedParaStart(2));
  EXPECT_FALSE(t.Doc.IsDisplayedParaStart(3));
  EXPECT_EQ(t.Doc.GetDisplayedParaNo(2), 2);
  EXPECT_EQ(t.Doc.GetDisplayedParaNoEx(3, 77), 77);
  EXPECT_EQ(t.Doc.GetDisplayedParaNoEx(2, 77), 2);
  EXPECT_EQ(t.Doc.GetParaFirstItemNo(3), 2);
  EXPECT_EQ(t.Doc.GetParaSectionFirstItemNo(3), 2);
  int first, last;
  t.Doc.GetDisplayedParaBounds(3, 3, first, last);
  EXPECT_EQ(std::make_pair(first, last), std::make_pair(2, 3));
  t.Doc.GetDisplayedParaBounds(0, 0, first, last);
  EXPECT_EQ(std::make_pair(first, last), std::make_pair(0, 1));
  EXPECT_TRUE(t.Doc.IsNextVisibleParaStart(3));
  EXPECT_FALSE(t.Doc.IsNextVisibleParaStart(2));
  EXPECT_TRUE(t.Doc.IsDrawItemParaStart(1));
  // Selections: inside one paragraph, across two, and a whole paragraph.
  t.Doc.SetSelectionBounds(2, 2, 3, 3);
  EXPECT_FALSE(t.Doc.IsMultiParagraphSelection());
  EXPECT_FALSE(t.Doc.IsWholeParagraphSelection());
  t.Doc.SetSelectionBounds(0, 2, 2, 2);
  EXPECT_TRUE(t.Doc.IsMultiParagraphSelection());
  t.Doc.SetSelectionBounds(2, 1, 3, 5);
  EXPECT_TRUE(t.Doc.IsWholeParagraphSelection());
  t.Doc.Deselect(nullptr, false);
  EXPECT_FALSE(t.Doc.IsMultiParagraphSelection());
}

// The caret of a position inside a justified line sits at the expanded position.
TEST(PositionQueries, CaretInJustifiedLineIsExpanded) {
  TLayoutDoc t(70);
  t.Para(1)->Alignment = rvaJustify;
  t.Doc.AddNL(u"a b c de", 0, 1);  // "a b c" (50) is justified to 70: each space 10 wider
  t.Doc.Format(false);
  ASSERT_EQ(t.Lines(), "a b c/de");
  struct TCase {
    int Offs, X;
  } cases[] = {{1, 0}, {2, 10}, {3, 30}, {4, 40}, {5, 60}, {6, 70}};
  for (const TCase& c : cases) {
    int x = -1, top = -1, bottom = -1;
    t.Doc.GetCoordsOf(0, c.Offs, x, top, bottom);
    EXPECT_EQ(x, c.X) << c.Offs;
    EXPECT_EQ(std::make_pair(top, bottom), std::make_pair(0, 10));
  }
  int x = -1, top = -1, bottom = -1;
  t.Doc.GetCoordsOf(0, 7, x, top, bottom);  // the second line
  EXPECT_EQ(std::make_tuple(x, top, bottom), std::make_tuple(0, 10, 20));
}

// Non-text caret positions, repaint rectangles and the hovered hyperlink range.
TEST(PositionQueries, PictureCaretAndInvalidation) {
  TLayoutDoc t(200);
  t.Doc.AddNL(u"ab", 0, 0);
  const int pic = AddPicture(t.Doc, -1);
  t.Doc.Format(false);
  const int d = t.Doc.GetItem(pic)->DrawItemNo;
  TRVDrawLineInfo* di = t.D().Get(d);
  int x, top, bottom;
  t.Doc.GetCoordsOf(pic, 0, x, top, bottom);
  EXPECT_EQ(x, di->Left);
  t.Doc.GetCoordsOf(pic, 1, x, top, bottom);
  EXPECT_EQ(x, di->Left + di->Width);
  EXPECT_EQ(bottom - top, di->Height);
  t.Doc.InvalidateDrawItem(d, 3);
  EXPECT_EQ(t.Doc.LastInvalidRect,
            TRect(di->Left - 3, di->Top - 3, di->Left + di->Width + 3, di->Top + di->Height + 3));
  t.Doc.LastJumpDIMovedAboveFirst = 0;
  t.Doc.LastJumpDIMovedAboveLast = 0;
  t.Doc.InvalidateHighlightedJump();
  TRVDrawLineInfo* d0 = t.D().Get(0);
  EXPECT_EQ(t.Doc.LastInvalidRect, TRect(-5, d0->Top - 5, d0->Width + 5, d0->Top + d0->Height + 5));
}

// What the text and paragraph styles forbid.
TEST(Protection, ProtectedTextParagraphsAndStickingItems) {
  TLayoutDoc t(300, 5, 2);
  t.Font(1)->Protection.Include(rvprSticking);
  t.Font(2)->Protection.Include(rvprSticking2);
  t.Font(3)->Protection = TRVProtectOptions{rvprModifyProtect, rvprStickToTop, rvprStickToBottom, rvprSticking};
  t.Para(1)->Options.Include(rvpaoReadOnly);
  t.Doc.AddNL(u"top", 3, 0);   // 0
  t.Doc.AddNL(u"s1", 1, -1);   // 1: sticks to 0 (both rvprSticking)
  t.Doc.AddNL(u"s2", 2, -1);   // 2: rvprSticking2 only: no stick with 1
  t.Doc.AddNL(u"free", 0, -1); // 3
  const int pic = AddPicture(t.Doc, -1);  // 4
  t.Doc.AddNL(u"ro", 0, 1);    // 5: read-only paragraph
  t.Doc.AddNL(u"end", 3, 0);   // 6
  t.Doc.Format(false);
  EXPECT_TRUE(t.Doc.IsProtected(0, rvprModifyProtect));
  EXPECT_FALSE(t.Doc.IsProtected(3, rvprModifyProtect));
  EXPECT_FALSE(t.Doc.IsProtected(-1, rvprModifyProtect));
  // A picture without an associated text style: only its own delete protection counts.
  EXPECT_FALSE(t.Doc.IsProtected(pic, rvprDeleteProtect));
  static_cast<TRVNonTextItemInfo*>(t.Doc.GetItem(pic))->DeleteProtect = true;
  EXPECT_TRUE(t.Doc.IsProtected(pic, rvprDeleteProtect));
  EXPECT_FALSE(t.Doc.IsProtected(pic, rvprModifyProtect));
  struct TStick {
    int First;
    bool Sticks;
  } sticks[] = {{-1, true}, {0, true}, {1, false}, {2, false}, {3, false}, {6, true}, {7, false}, {-2, false}};
  for (const TStick& s : sticks) EXPECT_EQ(t.Doc.IsSticking(s.First, true), s.Sticks) << s.First;
  EXPECT_TRUE(t.Doc.IsParaProtected(1, rvpaoReadOnly));
  EXPECT_FALSE(t.Doc.IsParaProtected(0, rvpaoReadOnly));
  EXPECT_FALSE(t.Doc.IsParaProtected(1, static_cast<TRVParaOption>(7)));  // beyond the defined options
  EXPECT_FALSE(t.Doc.IsParaProtected(99, rvpaoReadOnly));
  EXPECT_TRUE(t.Doc.IsItemParaProtected(5));
  EXPECT_FALSE(t.Doc.IsItemParaProtected(3));
  struct TInsert {
    int Item, Offs;
    bool Can;
  } inserts[] = {{0, 1, false}, {0, 2, false}, {0, 4, false}, {1, 1, false}, {1, 2, true}, {1, 3, true},
                 {2, 1, true},  {3, 3, true},  {5, 1, false}, {6, 4, false}, {6, 2, false}, {pic, 0, true}};
  for (const TInsert& c : inserts) EXPECT_EQ(t.Doc.CanInsertHere(c.Item, c.Offs), c.Can) << c.Item << ":" << c.Offs;
}
