#include "engine/layout/LayoutTestUtil.h"

TEST(Formatting, TrimmedWrapKeepsTheWrappingSpaceOffBothLines) {
  TLayoutDoc t(70);
  t.Doc.AddNL(u"aaa bbb ccc", 0, 0);
  t.Doc.Format(false);
  EXPECT_EQ(t.Boxes(), "0,0 70x10 'aaa bbb' | 0,10 30x10 'ccc'");
  EXPECT_EQ(t.Doc.DocumentHeight, 20);
  EXPECT_EQ(t.D().Get(1)->Offs, 9);
  EXPECT_EQ(t.D().Get(0)->BaseLine, 8);
}
