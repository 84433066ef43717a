// Draw items and their list: the classes and their accessors, the gap through which a range is
// reformatted, text of a draw item, and the walks and line narrowing around floating boxes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/document/CustomRVData.h"
#include "engine/document/RVTextItems.h"
#include "engine/foundation/RVError.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"

namespace {

// A list that frees its draw items at the end of the test.
struct TOwnedLines : TRVDrawLines {
  ~TOwnedLines() override { FreeAll(); }
};

std::unique_ptr<TRVDrawLineInfo> Item(int Top, bool FromNewLine = false, bool AboveUsed = false) {
  auto d = TRVDrawLineInfo::CreateEx(0, Top, 10, 10, 0, FromNewLine);
  d->FloatingAboveUsed = AboveUsed;
  return d;
}

std::unique_ptr<TRVFloatingDrawLineInfo> Box(TRVDItemFloatingType Type, int Left, int Top, int Width, int Height) {
  auto f = TRVDrawLineInfo::CreateEx<TRVFloatingDrawLineInfo>(0, Top, 0, 0, 0, false);
  f->FloatType = Type;
  f->FloatLeft = Left;
  f->FloatTop = Top;
  f->FloatWidth = Width;
  f->FloatHeight = Height;
  return f;
}

std::vector<int> Tops(const TRVDrawLines& l) {
  std::vector<int> r;
  for (int i = 0; i < l.Count(); ++i) r.push_back(l.Get(i) ? l.Get(i)->Top : -1);
  return r;
}

std::vector<int> Values(const TRVIntegerList& l) {
  std::vector<int> r;
  for (int i = 0; i < l.Count(); ++i) r.push_back(l.Get(i));
  return r;
}

}  // namespace

TEST(DrawLineInfoTest, AccessorsAnswerPerClass) {
  TRVDrawLineInfo plain;
  plain.SetSize(30, 12);
  plain.SetData(5, 7, true, 3);
  plain.SetTextWidth(99);
  plain.SetSpaceCount(4);
  plain.SetExtraSpaceAbove(2);
  plain.SetExtraSpaceBelow(2);
  EXPECT_EQ(plain.GetTextWidth(), 30);
  EXPECT_EQ(plain.GetSpaceCount(), 0);
  EXPECT_EQ(plain.GetExtraSpaceAbove() + plain.GetExtraSpaceBelow(), 0);
  EXPECT_EQ(plain.GetObjectLeft(), 5);
  EXPECT_EQ(plain.GetObjectTop(), 7);
  EXPECT_TRUE(plain.FromNewLine);
  EXPECT_EQ(plain.ItemNo, 3);

  TRVSimpleLineHeightDrawLineInfo simple;
  simple.SetExtraSpaceBelow(6);
  simple.SetExtraSpaceAbove(8);
  EXPECT_EQ(simple.GetExtraSpaceBelow(), 6);
  EXPECT_EQ(simple.GetExtraSpaceAbove(), 0);

  TRVComplexLineHeightDrawLineInfo complex;
  complex.SetExtraSpaceAbove(8);
  complex.SetMarkerOffset(17);
  EXPECT_EQ(complex.GetExtraSpaceAbove(), 8);
  EXPECT_EQ(complex.GetTextWidth(), 17);  // the marker offset is the text width field

  auto f = Box(rvdifRight, 100, 40, 50, 60);
  f->SetData(1, 2, false, 0);
  f->SetSize(3, 4);
  EXPECT_EQ(f->GetObjectLeft(), 100);
  EXPECT_EQ(f->GetObjectTop(), 40);
  EXPECT_EQ(f->GetObjectWidth(), 50);
  EXPECT_EQ(f->GetObjectHeight(), 60);
  EXPECT_EQ(f->GetFloatBottom(), 100);
  EXPECT_EQ(f->GetFloatRight(), 150);

  for (int k = 0; k < 5; ++k) {
    TRVDrawLineInfoClass c = RVDrawLineInfoClassOfKind(k);
    ASSERT_NE(c, nullptr);
    auto d = c->CreateEx(1, 2, 3, 4, 5, true);
    EXPECT_EQ(d->GetKindCode(), k) << c->Name;
    EXPECT_EQ(d->Left + d->Top + d->Width + d->Height + d->ItemNo, 15);
  }
  EXPECT_EQ(RVDrawLineInfoClassOfKind(5), nullptr);
  EXPECT_EQ(RVDrawLineInfoClassOfKind(-1), nullptr);
}

TEST(DrawLinesTest, GapTakesNewItemsInPlace) {
  TOwnedLines l;
  for (int i = 0; i < 10; ++i) l.Add(Item(i).release());
  l.MarkForDelete(5, 7);
  EXPECT_EQ(l.StartDeletedIndex(), 5);
  EXPECT_EQ(l.DeletedCount(), 3);
  EXPECT_EQ(l.Get(6), nullptr);
  l.Insert(5, Item(50).release());
  l.Insert(6, Item(60).release());
  EXPECT_THROW(l.Insert(8, Item(80).get()), EViroZereError);  // only at the gap's start
  l.DeleteMarked();
  EXPECT_EQ(Tops(l), (std::vector<int>{0, 1, 2, 3, 4, 50, 60, 8, 9}));
  EXPECT_EQ(l.StartDeletedIndex(), -1);
  EXPECT_EQ(l.DeletedCount(), 0);
}

TEST(DrawLinesTest, GapRunsOutGrowsBackAndStaysEmpty) {
  TOwnedLines l;
  for (int i = 0; i < 6; ++i) l.Add(Item(i).release());
  // More new items than old ones: the surplus is inserted at the same place.
  l.MarkForDelete(2, 3);
  for (int t : {20, 21, 22, 23}) l.Insert(l.StartDeletedIndex(), Item(t).release());
  l.DeleteMarked();
  EXPECT_EQ(Tops(l), (std::vector<int>{0, 1, 20, 21, 22, 23, 4, 5}));

  // Delete just before an open gap joins the entry to the gap; elsewhere it is refused.
  l.MarkForDelete(4, 5);
  EXPECT_THROW(l.Delete(1), EViroZereError);
  l.Delete(3);
  EXPECT_EQ(l.StartDeletedIndex(), 3);
  EXPECT_EQ(l.DeletedCount(), 3);
  EXPECT_THROW(l.MarkForDelete(0, 0), EViroZereError);
  l.Insert(3, Item(30).release());
  l.DeleteMarked();
  EXPECT_EQ(Tops(l), (std::vector<int>{0, 1, 20, 30, 4, 5}));

  // An empty gap (First > Last): insertions are ordinary and land in front of what follows.
  l.MarkForDelete(2, 1);
  EXPECT_EQ(l.DeletedCount(), 0);
  l.Insert(2, Item(15).release());
  l.Insert(3, Item(16).release());
  l.DeleteMarked();
  l.Delete(0);
  EXPECT_EQ(Tops(l), (std::vector<int>{1, 15, 16, 20, 30, 4, 5}));
}

TEST(DrawLinesTest, GetStringCutsToTheItemText) {
  TRVStyle sheet(nullptr);
  TRVPlainRootData doc(&sheet);
  doc.AddNL(u"hello world", 0, 0);
  TOwnedLines l;
  struct Case {
    int Offs, Length;
    const char16_t* Text;
  } cases[] = {{1, 5, u"hello"}, {7, 5, u"world"}, {7, 50, u"world"}, {12, 1, u""},
               {0, 3, u"hel"},   {40, 2, u""},      {3, 0, u""},       {3, -4, u""}};
  for (const Case& c : cases) {
    auto d = Item(0);
    d->Offs = c.Offs;
    d->TextLength = c.Length;
    l.Add(d.release());
    EXPECT_EQ(l.GetString(l.Count() - 1, doc.GetItems()), c.Text) << c.Offs << "," << c.Length;
  }
}

TEST(DrawLinesTest, FloatingBoxesAboveALine) {
  // line 0: item(0) box A (bottom 100); line 1 (laid out under floats): item(20) box B (bottom 30);
  // line 2 (under floats): item(40) item(40); line 3 (not under floats): item(60) box C.
  TOwnedLines l;
  l.Add(Item(0, true).release());
  l.Add(Box(rvdifLeft, 0, 0, 50, 100).release());
  l.Add(Item(20, true, true).release());
  l.Add(Box(rvdifRight, 300, 20, 50, 10).release());
  l.Add(Item(40, true, true).release());
  l.Add(Item(40).release());
  l.Add(Item(60, true).release());
  l.Add(Box(rvdifLeft, 0, 60, 20, 20).release());
  l.Add(Item(60).release());

  EXPECT_EQ(l.FindFirstFloatingAboveDrawItem(5, 0, false, 0), 1);
  EXPECT_EQ(l.FindFirstFloatingAboveDrawItem(5, 2, false, 0), -1);  // not below MinIndex
  EXPECT_EQ(l.FindFirstFloatingAboveDrawItem(5, 0, true, 29), 1);   // the earliest wins
  EXPECT_EQ(l.FindFirstFloatingAboveDrawItem(5, 0, true, 101), -1);
  EXPECT_EQ(l.FindFirstFloatingAboveDrawItem(8, 0, false, 0), 7);   // stops at line 3's start
  EXPECT_EQ(l.FindFirstFloatingAboveDrawItem(9, 0, true, 61), 7);   // past the last draw item
  EXPECT_EQ(l.FindFirstFloatingAboveDrawItem(9, 0, false, 0), -1);

  TRVIntegerList r;
  r.Add(99);
  l.AssignFloatingCrossingY(31, 5, r);
  EXPECT_EQ(Values(r), (std::vector<int>{1, 3, 99}));
  r.Clear();
  l.AssignFloatingCrossingY(32, 5, r);
  EXPECT_EQ(Values(r), (std::vector<int>{1}));
  r.Clear();
  l.AssignFloatingAboveDrawItem(8, r);
  EXPECT_EQ(Values(r), (std::vector<int>{7}));

  TRVFloatingDrawItems floats;
  floats.FillFloatingCrossingY(31, 5, l);
  ASSERT_EQ(floats.Count(), 2);
  EXPECT_EQ(floats.Get(0), l.Get(1));
  EXPECT_EQ(floats.Get(1), l.Get(3));
  EXPECT_EQ(floats.GetFloatBottom(), 100);
  TRVIntegerList marks(2, 1);
  floats.MarkNonOverlapping(50, marks);
  EXPECT_EQ(Values(marks), (std::vector<int>{1, 0}));
  EXPECT_TRUE(floats.HasFloatOfType(nullptr, rvdifRight));
  EXPECT_FALSE(floats.HasFloatOfType(&marks, rvdifRight));
  EXPECT_TRUE(floats.HasFloatOfType(&marks, rvdifLeft));
  floats.RemoveNonOverlapping(50);
  ASSERT_EQ(floats.Count(), 1);
  EXPECT_EQ(floats.Get(0), l.Get(1));
  floats.Delete(0);  // refers only: frees nothing (the main list frees the box)
  EXPECT_EQ(floats.GetFloatBottom(), 0);
  EXPECT_EQ(TRVFloatingDrawItems::GetFloatBottom(nullptr), 0);
  TRVFloatingDrawItems::RemoveNonOverlapping(nullptr, 5);
}

namespace {

struct TLineCase {
  const char* Name;
  std::vector<TRVFloatingDrawLineInfo> Boxes;
  int MinLeftIndent, MinWidth, MaxRightSide;
  bool ClearLeft, ClearRight, IgnoreFirst;
  int Y, LeftIndent, LineWidth;                   // in
  int ExpY, ExpLeftIndent, ExpLineWidth, ExpLeft;  // out; ExpLeft: boxes left in the list (AllowDelete)
};

TRVFloatingDrawLineInfo B(TRVDItemFloatingType t, int l, int top, int w, int h) { return *Box(t, l, top, w, h); }

}  // namespace

TEST(FloatingDrawItemsTest, AdjustLineSize) {
  const TLineCase cases[] = {
      {"left box narrows the line", {B(rvdifLeft, 0, 0, 100, 50)}, 5, 50, 520, false, false, false, 10, 20, 500,
       10, 100, 420, 1},
      {"too narrow beside it: below the box", {B(rvdifLeft, 0, 0, 100, 50)}, 5, 50, 90, false, false, false, 10, 20,
       70, 51, 5, 85, 0},
      {"no box reaches Y", {B(rvdifLeft, 0, 0, 100, 50)}, 5, 50, 600, false, false, false, 51, 20, 70, 51, 5, 595, 0},
      {"right box ends the line", {B(rvdifRight, 400, 0, 100, 50)}, 5, 50, 600, false, false, false, 10, 20, 580, 10,
       5, 395, 1},
      {"right box left of the indent: below it", {B(rvdifRight, 10, 0, 100, 50)}, 20, 0, 600, false, false, false, 10,
       20, 580, 51, 20, 580, 0},
      {"clear left moves below", {B(rvdifLeft, 0, 0, 100, 50)}, 5, 10, 600, true, false, false, 10, 20, 580, 51, 5,
       595, 0},
      {"clear left ignores a placed box", {B(rvdifLeft, 0, 0, 100, 50)}, 5, 10, 600, true, false, true, 10, 20, 580,
       10, 100, 500, 1},
      {"clear right moves below", {B(rvdifRight, 400, 0, 100, 50)}, 5, 10, 600, false, true, false, 10, 20, 580, 51,
       5, 595, 0},
      {"earlier left box reaching further: below it",
       {B(rvdifLeft, 0, 0, 200, 30), B(rvdifLeft, 0, 0, 100, 80)}, 5, 10, 600, false, false, false, 10, 20, 580, 31,
       100, 500, 1},
      {"earlier right box starting further left: below it",
       {B(rvdifRight, 300, 0, 300, 30), B(rvdifRight, 500, 0, 100, 80)}, 5, 10, 600, false, false, false, 10, 20, 580,
       31, 5, 495, 1},
      {"both sides", {B(rvdifLeft, 0, 0, 100, 50), B(rvdifRight, 400, 0, 100, 50)}, 5, 10, 600, false, false, false,
       10, 20, 580, 10, 100, 300, 2},
      {"empty list", {}, 5, 10, 600, false, false, false, 10, 20, 580, 10, 5, 595, 0},
  };
  for (const TLineCase& c : cases) {
    for (bool allowDelete : {true, false}) {
      SCOPED_TRACE(std::string(c.Name) + (allowDelete ? " (delete)" : " (marks)"));
      std::vector<TRVFloatingDrawLineInfo> boxes = c.Boxes;
      TRVFloatingDrawItems floats;
      for (auto& b : boxes) floats.Add(&b);
      TRVFloatingDrawItems ignore;
      if (c.IgnoreFirst) ignore.Add(&boxes[0]);
      int y = c.Y, left = c.LeftIndent, width = c.LineWidth;
      floats.AdjustLineSize(c.MinLeftIndent, c.MinWidth, &ignore, c.ClearRight, c.ClearLeft, allowDelete, width,
                            left, y, c.MaxRightSide);
      EXPECT_EQ(y, c.ExpY);
      EXPECT_EQ(left, c.ExpLeftIndent);
      EXPECT_EQ(width, c.ExpLineWidth);
      EXPECT_EQ(floats.Count(), allowDelete ? c.ExpLeft : static_cast<int>(boxes.size()));
    }
  }
  int y = 3, left = 4, width = 5;
  TRVFloatingDrawItems::AdjustLineSize(nullptr, 0, 0, nullptr, true, true, true, width, left, y, 100);
  EXPECT_EQ(y + left + width, 12);
}
