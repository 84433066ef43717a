// Linear character positions over documents: the flat text, its length and the conversions
// between linear offsets and item positions, with every line-break length.
#include <gtest/gtest.h>

#include <string>

#include "LayoutTestUtil.h"
#include "engine/document/RVBreakItem.h"
#include "engine/layout/RVLinear.h"

namespace {

std::string Narrow(const TRVUnicodeString& s) {
  std::string r;
  for (char16_t c : s) r += c == u'\r' ? '|' : c == u'\n' ? '/' : c == u'\t' ? '>' : static_cast<char>(c);
  return r;
}

// "ab" / "e": two paragraphs.
struct TTwoParas : TLayoutDoc {
  TTwoParas() {
    Doc.AddNL(u"ab", 0, 0);
    Doc.AddNL(u"e", 0, 0);
  }
};

// "x", a tab, "y", a horizontal line (an object on a line of its own), "z" in a new paragraph.
struct TMixed : TLayoutDoc {
  TMixed() {
    Doc.AddNL(u"x", 0, 0);
    AddTab();
    Doc.AddNL(u"y", 0, -1);
    Doc.AddBreak(1, 0, clNone);
    Doc.AddNL(u"z", 0, 0);
  }
};

TEST(Linear, TextLengthAndLineBreaksForEveryBreakLength) {
  TTwoParas d;
  struct Case {
    int LB;
    const char* Text;  // '|' CR, '/' LF
    int Length;
  };
  // LB 0 runs the paragraphs together; 1 is CR alone; 2 and more are CR LF (a break still counts
  // LB characters); negative is the default.
  for (const Case& c : {Case{0, "abe", 3}, Case{1, "ab|e", 4}, Case{2, "ab|/e", 5}, Case{5, "ab|/e", 8},
                        Case{-1, "ab|/e", 5}}) {
    SCOPED_TRACE(c.LB);
    EXPECT_EQ(Narrow(GetLinearTextOfData(&d.Doc, 0, -1, c.LB)), c.Text);
    EXPECT_EQ(GetLinearTextLengthOfData(&d.Doc, c.LB), c.Length);
    int len = 0, lbs = 0;
    GetLinearLength(&d.Doc, len, lbs, c.LB);
    EXPECT_EQ(lbs, 2);  // the first item's break is counted here
    EXPECT_EQ(len, c.Length + RVLinearLB(c.LB));
  }
}

TEST(Linear, ObjectsReadAsTabOrSpace) {
  TMixed d;
  EXPECT_EQ(Narrow(GetLinearTextOfData(&d.Doc, 0, -1, 2)), "x>y|/ |/z");
  EXPECT_EQ(GetLinearTextLengthOfData(&d.Doc, 2), 9);
  int len = 0, lbs = 0;
  GetItemLinearLength(&d.Doc, 1, len, lbs, 2);  // the tab continues the line
  EXPECT_EQ(len, 1);
  EXPECT_EQ(lbs, 0);
  GetItemLinearLength(&d.Doc, 3, len, lbs, 2);  // the line starts a line
  EXPECT_EQ(len, 3);
  EXPECT_EQ(lbs, 1);
}

TEST(Linear, ItemPositionsToLinearAndBack) {
  TTwoParas d;
  struct Case {
    int ItemNo, Offset, Linear;
  };
  // Linear offsets are counted with the first break: callers subtract one LB.
  for (const Case& c : {Case{0, 1, 0}, Case{0, 2, 1}, Case{0, 3, 2}, Case{1, 1, 4}, Case{1, 2, 5}}) {
    SCOPED_TRACE(testing::Message() << c.ItemNo << ":" << c.Offset);
    int pos = -7;
    ASSERT_TRUE(ItemPosToLinear(&d.Doc, &d.Doc, 2, pos, c.Offset, c.ItemNo));
    EXPECT_EQ(pos - 2, c.Linear);
    int back = c.Linear, offs = -1, item = -1;
    TCustomRVData* target = nullptr;
    ASSERT_TRUE(LinearToItemPos(&d.Doc, back, 2, offs, item, target));
    EXPECT_EQ(target, &d.Doc);
    EXPECT_EQ(item, c.ItemNo);
    EXPECT_EQ(offs, c.Offset);
  }
}

TEST(Linear, LinearOffsetsToPositions) {
  TMixed d;  // x > y | / ' ' | / z
  struct Case {
    int LB, Pos;
    bool Found;
    int ItemNo, Offset;
  };
  for (const Case& c : {
           Case{2, 0, true, 0, 1},   // before "x"
           Case{2, 1, true, 0, 2},   // after "x" (the end of an item wins over the next one's start)
           Case{2, 2, true, 1, 1},   // after the tab
           Case{2, 4, true, 3, 0},   // between CR and LF: the start of the next item
           Case{2, 5, true, 3, 0},   // before the line
           Case{2, 6, true, 3, 1},   // after the line
           Case{2, 9, true, 4, 2},   // the very end
           Case{2, 10, false, 0, 0},  // past the end
           Case{2, -1, false, 0, 0},  // before the start
           Case{0, 4, true, 3, 1},    // no breaks: after the line
           Case{1, 4, true, 3, 0},    // CR alone
       }) {
    SCOPED_TRACE(testing::Message() << "LB " << c.LB << " pos " << c.Pos);
    int pos = c.Pos, offs = -1, item = -1;
    TCustomRVData* target = nullptr;
    EXPECT_EQ(LinearToItemPos(&d.Doc, pos, c.LB, offs, item, target), c.Found);
    if (!c.Found) continue;
    EXPECT_EQ(item, c.ItemNo);
    EXPECT_EQ(offs, c.Offset);
  }
}

TEST(Linear, TextRanges) {
  TTwoParas d;  // a b CR LF e
  struct Case {
    int Start, Length;
    const char* Text;
  };
  for (const Case& c : {
           Case{0, 0, ""},       // nothing asked
           Case{0, -1, "ab|/e"},  // negative: to the end
           Case{1, -5, "b|/e"},
           Case{1, 1, "b"},
           Case{1, 2, "b|/"},  // ending inside the break takes it whole
           Case{2, 1, "|/"},
           Case{3, -1, "e"},  // starting inside the break skips it
           Case{4, 1, "e"},
           Case{5, 3, ""},  // at the end
           Case{9, 3, ""},
       }) {
    SCOPED_TRACE(testing::Message() << c.Start << "+" << c.Length);
    EXPECT_EQ(Narrow(GetLinearTextOfData(&d.Doc, c.Start, c.Length, 2)), c.Text);
  }
}

TEST(Linear, EmptyDocumentHasNoText) {
  TLayoutDoc d;
  EXPECT_EQ(GetLinearTextLengthOfData(&d.Doc, 2), 0);
  EXPECT_EQ(GetLinearTextOfData(&d.Doc, 0, -1, 2), u"");
  int pos = 0, offs = 0, item = 0;
  TCustomRVData* target = nullptr;
  EXPECT_FALSE(LinearToItemPos(&d.Doc, pos, 2, offs, item, target));
}

TEST(Linear, DocumentNotUnderTheRootIsNotFound) {
  TTwoParas a;
  TTwoParas b;
  int pos = 0;
  EXPECT_FALSE(ItemPosToLinear(&a.Doc, &b.Doc, 2, pos, 1, 0));
}

}  // namespace
