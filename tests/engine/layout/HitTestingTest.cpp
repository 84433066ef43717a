// Hit-testing and position conversions of the formatted document, on fixed metrics (every code
// unit 10 pixels wide, lines 10 pixels high).
#include "engine/layout/LayoutTestUtil.h"

#include "engine/document/RVGraphicItem.h"
#include "platform/graphics/Pictures.h"

namespace {

std::unique_ptr<TGraphic> Bitmap(int W, int H) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(W, H);
  return bmp;
}

int AddPicture(TCustomRVData& Doc, int W, int H, TRVVAlign VAlign, int ParaNo) {
  auto* pic = new TRVGraphicItemInfo(&Doc, Bitmap(W, H), VAlign);
  pic->ParaNo = ParaNo;
  Doc.AddItem(u"", pic);
  return Doc.ItemCount() - 1;
}

// A sample with a wrapped Latin paragraph, a right-to-left paragraph that mixes Hebrew and Latin
// runs, and a justified paragraph. Paragraph 1 is right to left, paragraph 2 justified.
struct TSample : TLayoutDoc {
  TSample() : TLayoutDoc(120, 2, 3) {
    Para(1)->BiDiMode = rvbdRightToLeft;
    Para(2)->Alignment = rvaJustify;
    Doc.AddNL(u"alpha beta gamma delta", 0, 0);
    Doc.AddNL(u"\u05D0\u05D1\u05D2 \u05D3\u05D4", 0, 1);
    Doc.AddNL(u"xyz", 1, -1);
    Doc.AddNL(u"\u05D5\u05D6", 0, -1);
    Doc.AddNL(u"aa bb c dd eee ff g hh", 0, 2);
    Doc.Format(false);
  }
};

// The item position found for a document point.
std::pair<int, int> Hit(TCustomRVFormattedData& Doc, int X, int Y, bool Strict = false, bool IgnoreFloating = false) {
  int no, offs, item = -1, itemOffs = -1;
  Doc.FindDrawItemForSel(X, Y, no, offs, Strict, IgnoreFloating);
  if (no >= 0) Doc.DrawItem2Item(no, offs, item, itemOffs);
  return {item, itemOffs};
}

}  // namespace

// For every character of the sample, the middle of its box hit-tests back to the position before
// that character, and the caret of that position is the box's left edge as the caret sees it.
TEST(HitTesting, MiddleOfEveryCharacterHitsThatCharacter) {
  TSample t;
  ASSERT_GT(t.D().Count(), 6);
  bool sawJustified = false, sawReordered = false;
  int chars = 0;
  for (int i = 0; i < t.D().Count(); ++i) {
    TRVDrawLineInfo* d = t.D().Get(i);
    std::vector<int> pos;
    ASSERT_TRUE(t.Doc.GetDrawItemCaretPositions(i, pos));
    if (d->GetSpaceCount() > 0) sawJustified = true;
    if (i > 0 && !d->FromNewLine && d->Left < t.D().Get(i - 1)->Left) sawReordered = true;
    for (int k = 0; k < d->TextLength; ++k) {
      const int x = d->Left + (pos[k] + pos[k + 1]) / 2;
      const int y = d->Top + d->Height / 2;
      EXPECT_EQ(Hit(t.Doc, x, y), std::make_pair(d->ItemNo, d->Offs + k)) << "draw item " << i << " char " << k;
      int cx = -1, top = -1, bottom = -1;
      t.Doc.GetCoordsOf(d->ItemNo, d->Offs + k, cx, top, bottom);
      EXPECT_EQ(cx, d->Left + pos[k]);
      EXPECT_EQ(top, d->Top);
      EXPECT_EQ(bottom, d->Top + d->Height);
      ++chars;
    }
  }
  EXPECT_TRUE(sawJustified);
  EXPECT_TRUE(sawReordered);
  EXPECT_GT(chars, 40);
}

// A click right of a line's end gives the position after its last character, left of its start
// the position before its first (left-to-right lines, the justified one included).
TEST(HitTesting, ClicksBesideLinesGiveTheLineEnds) {
  TSample t;
  for (int i = 0; i < t.D().Count(); ++i) {
    if (!t.D().Get(i)->FromNewLine) continue;
    int first, last;
    t.Doc.GetLineBounds(i, first, last);
    TRVDrawLineInfo* f = t.D().Get(first);
    TRVDrawLineInfo* l = t.D().Get(last);
    if (t.Doc.GetItem(f->ItemNo)->ParaNo == 1) continue;
    const int y = f->Top + 5;
    EXPECT_EQ(Hit(t.Doc, 1000, y), std::make_pair(l->ItemNo, l->Offs + l->TextLength)) << "line of " << i;
    EXPECT_EQ(Hit(t.Doc, -50, y), std::make_pair(f->ItemNo, f->Offs)) << "line of " << i;
  }
  // Above the first line: the first line; below the last: the last line.
  EXPECT_EQ(Hit(t.Doc, 15, -40), std::make_pair(0, 2));
  TRVDrawLineInfo* l = t.D().Last();
  EXPECT_EQ(Hit(t.Doc, 5000, t.Doc.DocumentHeight + 500), std::make_pair(l->ItemNo, l->Offs + l->TextLength));
}

// Strict hits need a draw item under the point; pictures are split at their middle, mirrored in
// a right-to-left paragraph.
TEST(HitTesting, PicturesStrictHitsAndDirection) {
  struct TCase {
    TRVBiDiMode Mode;
    int X;
    int Offs;
  } cases[] = {
      {rvbdUnspecified, 2, 0}, {rvbdUnspecified, 18, 1}, {rvbdRightToLeft, 2, 1}, {rvbdRightToLeft, 18, 0}};
  for (const TCase& c : cases) {
    TLayoutDoc t(200);
    t.Para(1)->BiDiMode = c.Mode;
    const int pic = AddPicture(t.Doc, 18, 18, rvvaBaseline, 1);
    t.Doc.Format(false);
    TRVDrawLineInfo* d = t.D().Get(0);
    ASSERT_EQ(d->ItemNo, pic);
    EXPECT_EQ(Hit(t.Doc, d->Left + c.X, d->Top + 3), std::make_pair(pic, c.Offs)) << c.Mode << " " << c.X;
  }
  TLayoutDoc t(200);
  t.Doc.AddNL(u"abc", 0, 0);
  t.Doc.Format(false);
  EXPECT_EQ(Hit(t.Doc, 15, 5, true), std::make_pair(0, 2));
  EXPECT_EQ(Hit(t.Doc, 45, 5, true), std::make_pair(-1, -1));  // right of the text
  EXPECT_EQ(t.Doc.GetDrawItemAt(15, 5), 0);
  EXPECT_EQ(t.Doc.GetDrawItemAt(45, 5), -1);
  EXPECT_EQ(t.Doc.GetDrawItemAt(15, 50), -1);
}

// A floating picture wins over the text line under it, unless floats are excluded.
TEST(HitTesting, FloatingPictureWins) {
  TLayoutDoc t(100);
  const int pic = AddPicture(t.Doc, 40, 25, rvvaLeft, 0);
  t.Doc.AddNL(u"aaa bbb ccc ddd", 0, -1);
  t.Doc.Format(false);
  auto* f = AsFloatingDrawItem(t.D().Get(0));
  ASSERT_NE(f, nullptr);
  // Inside the box at the height of the second line.
  EXPECT_EQ(Hit(t.Doc, 10, 15), std::make_pair(pic, 1));
  EXPECT_EQ(t.Doc.GetDrawItemAt(10, 15), 0);
  // Excluded: the line's text (the click lies left of it: the position before its first character).
  EXPECT_EQ(Hit(t.Doc, 10, 15, false, true), std::make_pair(1, 5));
  // Beside the box the text is found.
  EXPECT_EQ(Hit(t.Doc, f->FloatWidth + 15, 15), std::make_pair(1, 6));
  // Below the box (the fourth line, at the left margin).
  EXPECT_EQ(Hit(t.Doc, 15, 35), std::make_pair(1, 14));
}

// Item positions and draw-item positions convert both ways; a position at a wrap belongs to the
// end of the earlier draw item, and only ShiftPosToTheNewLine moves it to the next line.
TEST(HitTesting, ItemAndDrawItemPositionsRoundTrip) {
  TSample t;
  for (int item = 0; item < t.Doc.ItemCount(); ++item)
    for (int o = t.Doc.GetOffsBeforeItem(item); o <= t.Doc.GetOffsAfterItem(item); ++o) {
      int dNo, dOffs, back, backOffs;
      t.Doc.Item2DrawItem(item, o, dNo, dOffs, 0);
      ASSERT_GE(dNo, 0);
      EXPECT_GE(dOffs, t.Doc.GetOffsBeforeDrawItem(dNo));
      EXPECT_LE(dOffs, t.Doc.GetOffsAfterDrawItem(dNo));
      t.Doc.DrawItem2Item(dNo, dOffs, back, backOffs);
      EXPECT_EQ(std::make_pair(back, backOffs), std::make_pair(item, o));
    }
  for (int i = 0; i < t.D().Count(); ++i)
    for (int o = t.Doc.GetOffsBeforeDrawItem(i); o <= t.Doc.GetOffsAfterDrawItem(i); ++o) {
      int item, io, dNo, dOffs;
      t.Doc.DrawItem2Item(i, o, item, io);
      t.Doc.Item2DrawItem(item, io, dNo, dOffs, 0);
      if (dNo != i) {
        // Only the start of a draw item that continues its item right after the previous one.
        EXPECT_EQ(std::make_pair(dNo, dOffs), std::make_pair(i - 1, t.Doc.GetOffsAfterDrawItem(i - 1)));
        t.Doc.ShiftPosToTheNewLine(dNo, dOffs);
      }
      EXPECT_EQ(std::make_pair(dNo, dOffs), std::make_pair(i, o));
    }
  // The wrap of "alpha beta gamma delta" at 120: "alpha beta" / "gamma delta", the space consumed.
  int dNo, dOffs;
  t.Doc.Item2DrawItem(0, 11, dNo, dOffs, 0);  // before the consumed space
  EXPECT_EQ(std::make_pair(dNo, dOffs), std::make_pair(0, 11));
  t.Doc.ShiftPosToTheNewLine(dNo, dOffs);  // not contiguous: stays
  EXPECT_EQ(std::make_pair(dNo, dOffs), std::make_pair(0, 11));
  t.Doc.Item2DrawItem(0, 12, dNo, dOffs, 0);  // after it
  EXPECT_EQ(std::make_pair(dNo, dOffs), std::make_pair(1, 1));
  t.Doc.DrawItem2Item(-1, 0, dNo, dOffs);
  EXPECT_EQ(dNo, -1);
  t.Doc.DrawItem2Item(t.D().Count(), 0, dNo, dOffs);
  EXPECT_EQ(dNo, -1);
  EXPECT_EQ(t.Doc.FindDrawItemByItem(4), t.Doc.GetItem(4)->DrawItemNo);
  EXPECT_EQ(t.Doc.FindDrawItemByItem(-1), -1);
}

// Hidden items have no draw item: PosIfHidden decides which neighbour stands for them.
TEST(HitTesting, HiddenItemsResolveToNeighbours) {
  TLayoutDoc t(200, 2);
  t.Font(1)->Options.Include(rvteoHidden);
  t.Doc.AddNL(u"ab", 0, 0);
  t.Doc.AddNL(u"hid", 1, -1);
  t.Doc.AddNL(u"cd", 0, -1);
  t.Doc.AddNL(u"end", 1, -1);  // hidden, nothing after it
  t.Doc.Format(false);
  ASSERT_EQ(t.Lines(), "abcd");
  struct TCase {
    int Item, PosIfHidden, DrawItemNo, DrawItemOffs;
  } cases[] = {{1, 0, -1, 0}, {1, 1, 0, 3}, {1, 2, 1, 1}, {3, 1, 1, 3}, {3, 2, 1, 3}};
  for (const TCase& c : cases) {
    int dNo, dOffs;
    t.Doc.Item2DrawItem(c.Item, 2, dNo, dOffs, c.PosIfHidden);
    EXPECT_EQ(dNo, c.DrawItemNo) << c.Item << "/" << c.PosIfHidden;
    if (dNo >= 0) {
      EXPECT_EQ(dOffs, c.DrawItemOffs) << c.Item << "/" << c.PosIfHidden;
    }
  }
  int d;
  t.Doc.Item2FirstDrawItem(1, d);
  EXPECT_EQ(d, 1);
  t.Doc.Item2LastDrawItem(3, d);
  EXPECT_EQ(d, 1);
  EXPECT_EQ(t.Doc.GetPrevVisibleItemNo(3), 2);
  EXPECT_EQ(t.Doc.GetNextVisibleItemNo(2), -1);
  EXPECT_EQ(t.Doc.GetLastVisibleItemNo(), 2);
  EXPECT_EQ(t.Doc.GetFirstVisibleItemNo(), 0);
}

// The selection survives reformatting at another width through item terms.
TEST(HitTesting, SelectionKeptAcrossReformatting) {
  TSample t;
  t.Doc.SetSelectionBounds(0, 3, 4, 9);
  int s, e, so, eo;
  t.Doc.StoreSelBounds(s, e, so, eo, true);
  EXPECT_EQ(std::make_tuple(s, so, e, eo), std::make_tuple(0, 3, 4, 9));
  t.Doc.SetWidth(70);
  t.Doc.Format(false);
  t.Doc.RestoreSelBounds(s, e, so, eo, false);
  int item, io;
  t.Doc.DrawItem2Item(t.Doc.FSelStartNo, t.Doc.FSelStartOffs, item, io);
  EXPECT_EQ(std::make_pair(item, io), std::make_pair(0, 3));
  t.Doc.DrawItem2Item(t.Doc.FSelEndNo, t.Doc.FSelEndOffs, item, io);
  EXPECT_EQ(std::make_pair(item, io), std::make_pair(4, 9));
  // A backward selection is normalised only when asked.
  std::swap(t.Doc.FSelStartNo, t.Doc.FSelEndNo);
  std::swap(t.Doc.FSelStartOffs, t.Doc.FSelEndOffs);
  t.Doc.StoreSelBounds(s, e, so, eo, false);
  EXPECT_EQ(std::make_pair(s, so), std::make_pair(4, 9));
  t.Doc.StoreSelBounds(s, e, so, eo, true);
  EXPECT_EQ(std::make_pair(s, so), std::make_pair(0, 3));
}

// The draw item at a vertical position, on a document of ten one-line paragraphs (tops 0..90).
TEST(HitTesting, DrawItemAtVerticalPosition) {
  TLayoutDoc t(200);
  for (int i = 0; i < 10; ++i) t.Doc.AddNL(u"line", 0, 0);
  t.Doc.Format(false);
  ASSERT_EQ(t.D().Count(), 10);
  struct TCase {
    int Y, Option, Result;
  } cases[] = {{-5, 0, 0}, {0, 0, 0}, {1, 0, 1}, {40, 0, 4}, {45, 0, 5}, {95, 0, 9}, {500, 0, 9},
               {95, 3, 9}, {500, 3, 9}, {45, 3, 5}, {45, 1, 3}, {40, 1, 2}, {15, 1, 0}, {0, 1, 0}};
  for (const TCase& c : cases) EXPECT_EQ(t.Doc.GetDrawItemNo(c.Y, c.Option), c.Result) << c.Y << "/" << c.Option;
  // The first visible draw item lies at least one full line above the position.
  for (int y = 0; y < 100; y += 3) {
    const int d = t.Doc.GetFirstVisible(y);
    EXPECT_TRUE(d == 0 || t.D().Get(d)->Top + 10 <= y / 10 * 10) << y;  // ends above the line of y
  }
  TLayoutDoc empty(200);
  empty.Doc.Format(false);
  EXPECT_EQ(empty.Doc.GetDrawItemNo(10, 0), -1);
  EXPECT_EQ(empty.Doc.GetFirstItemVisible(), -1);
  int no, offs;
  empty.Doc.FindDrawItemForSel(5, 5, no, offs, false);
  EXPECT_EQ(no, -1);
  EXPECT_EQ(empty.Doc.GetDrawItemAt(5, 5), -1);
}

// Lines of a draw item and their vertical bounds.
TEST(HitTesting, LineBounds) {
  TSample t;
  int first, last, top, bottom;
  t.Doc.GetLineBounds(1, first, last);
  EXPECT_EQ(std::make_pair(first, last), std::make_pair(1, 1));
  t.Doc.GetLineVerticalBoundsOrigEx(1, top, bottom, first, last);
  EXPECT_EQ(std::make_tuple(top, bottom, first, last), std::make_tuple(10, 20, 1, 1));
  EXPECT_EQ(t.Doc.BuildTransformedYCoords(), nullptr);
}

// Without rotation nothing moves; with one the point turns into the document's frame and back.
TEST(HitTesting, RotationRoundTrip) {
  TLayoutDoc t(200);
  t.Doc.AddNL(u"abc", 0, 0);
  t.Doc.Format(false);
  int x = 13, y = 7;
  t.Doc.RotateCoordsFromScreenToDoc(x, y, false, false);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(13, 7));
  TRect r(1, 2, 3, 4);
  t.Doc.RotateRectFromDocToScreen(r, rvtrbLocal);
  EXPECT_EQ(r, TRect(1, 2, 3, 4));
}

// The same agreement with the real shaping back-end, where a right-to-left paragraph holds a
// Latin run and the caret boundary between the runs has two places on the line: a point on the
// painted box of every character gives a position beside that character (before it on the half
// of its start, after it on the other half).
TEST(HitTesting, PaintedCharacterBoxesHitTheirCharactersWithRealShaping) {
  TRVStyle sheet(nullptr);
  while (sheet.TextStyles()->Count() < 2) sheet.TextStyles()->Add();
  while (sheet.ParaStyles()->Count() < 3) sheet.ParaStyles()->Add();
  for (int i = 0; i < 2; ++i) sheet.TextStyles()->Items(i)->FontName = u"DejaVu Sans";
  sheet.ParaStyles()->Items(1)->BiDiMode = rvbdRightToLeft;
  sheet.ParaStyles()->Items(2)->Alignment = rvaJustify;
  TRVPlainFormattedData doc(&sheet);
  doc.SetWidth(260);
  doc.SetFlags(doc.GetFlags() + rvflTrim);
  doc.AddNL(u"Hit-testing agrees with the caret", 0, 0);
  doc.AddNL(u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD", 0, 1);
  doc.AddNL(u" and Latin", 1, -1);
  doc.AddNL(u"Justified lines spread their spaces over the whole width of the line", 0, 2);
  doc.Format(false);
  bool sawRtl = false, sawJustified = false;
  int checked = 0;
  for (int i = 0; i < doc.DrawItems->Count(); ++i) {
    TRVDrawLineInfo* d = doc.DrawItems->Get(i);
    std::vector<int> pos, lefts, rights;
    ASSERT_TRUE(doc.GetDrawItemCaretPositionsAndBoxes(i, pos, lefts, rights));
    ASSERT_EQ(static_cast<int>(lefts.size()), d->TextLength);
    if (d->GetSpaceCount() > 0) sawJustified = true;
    const int y = d->Top + d->Height / 2;
    for (int k = 0; k < d->TextLength; ++k) {
      const int l = d->Left + lefts[k], r = d->Left + rights[k];
      if (r - l < 5) continue;
      const auto before = std::make_pair(d->ItemNo, d->Offs + k), after = std::make_pair(d->ItemNo, d->Offs + k + 1);
      const auto atLeft = Hit(doc, l + 1, y), atRight = Hit(doc, r - 1, y), atMiddle = Hit(doc, (l + r) / 2, y);
      EXPECT_TRUE((atLeft == before && atRight == after) || (atLeft == after && atRight == before))
          << "draw item " << i << " char " << k;
      EXPECT_TRUE(atMiddle == before || atMiddle == after) << "draw item " << i << " char " << k;
      if (atLeft == after) sawRtl = true;
      ++checked;
    }
  }
  EXPECT_TRUE(sawRtl);
  EXPECT_TRUE(sawJustified);
  EXPECT_GT(checked, 60);
}
