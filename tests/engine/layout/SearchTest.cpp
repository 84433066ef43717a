// Text search in a formatted document: whole words, case, direction, where a search starts, runs
// across the items of one line, and tabs.
#include "engine/layout/LayoutTestUtil.h"

#include <string>

namespace {

struct TSearchDoc : TLayoutDoc {
  TSearchDoc() : TLayoutDoc(1000) {}
  // The selection as "item:offs-item:offs" in the order it was made (not normalised).
  std::string Sel() {
    int s, so, e, eo;
    Doc.GetSelectionBounds(s, so, e, eo, false);
    return std::to_string(s) + ":" + std::to_string(so) + "-" + std::to_string(e) + ":" + std::to_string(eo);
  }
  bool Find(const TRVUnicodeString& S, bool Down = true, bool MatchCase = false, bool WholeWord = false,
            bool FromStart = false, bool MultiItem = false, bool SmartStart = false) {
    return Doc.SearchText(Down, MatchCase, WholeWord, FromStart, MultiItem, SmartStart, S);
  }
};

}  // namespace

TEST(Search, WholeWordSkipsTheEndOfALongerWord) {
  TSearchDoc t;
  t.Doc.AddNL(u"xcat scatter cat.", 0, 0);
  t.Doc.Format(false);
  ASSERT_TRUE(t.Find(u"cat", true, false, true));
  EXPECT_EQ(t.Sel(), "0:14-0:17");
  EXPECT_EQ(t.Doc.GetSelTextW(), u"cat");
  // Without whole words the first occurrence is the end of "xcat".
  ASSERT_TRUE(t.Find(u"cat", true, false, false, true));
  EXPECT_EQ(t.Sel(), "0:2-0:5");
  // Whole-word search of a string that only occurs inside words finds nothing.
  EXPECT_FALSE(t.Find(u"ca", true, false, true, true));
}

// Upper-casing keeps every code unit in place (one for one), so "ß" stays "ß": "STRASSE" does not
// find "Straße", but any spelling that keeps the "ß" finds it whatever the case of the rest.
TEST(Search, CaseInsensitiveSearchUsesLengthPreservingUpperCase) {
  TSearchDoc t;
  t.Doc.AddNL(u"Die Stra\u00DFe und die STRASSE", 0, 0);
  t.Doc.Format(false);
  struct {
    const char16_t* what;
    bool matchCase;
    const char* found;  // "" when not found
  } cases[] = {
      {u"STRA\u00DFE", false, "0:5-0:11"},
      {u"stra\u00DFe", false, "0:5-0:11"},
      {u"Stra\u00DFe", true, "0:5-0:11"},
      {u"STRASSE", false, "0:20-0:27"},  // only the spelled-out one
      {u"strasse", false, "0:20-0:27"},
      {u"STRA\u00DFE", true, ""},
      {u"strasse", true, ""},
  };
  for (const auto& c : cases) {
    t.Doc.Deselect(nullptr, false);
    const bool found = t.Find(c.what, true, c.matchCase, false, true);
    EXPECT_EQ(found, *c.found != 0) << std::string(c.found);
    if (found) {
      EXPECT_EQ(t.Sel(), c.found);
    }
  }
}

TEST(Search, BackwardsFromTheEndAndFromTheSelection) {
  TSearchDoc t;
  t.Doc.AddNL(u"cat dog cat", 0, 0);
  t.Doc.AddNL(u"bird cat", 0, 0);
  t.Doc.Format(false);
  // From the end: the last occurrence, selected from its end back to its start.
  ASSERT_TRUE(t.Find(u"cat", false, false, false, true));
  EXPECT_EQ(t.Sel(), "1:9-1:6");
  // Again, from the selection: the previous item's last occurrence, then the one before it.
  ASSERT_TRUE(t.Find(u"cat", false));
  EXPECT_EQ(t.Sel(), "0:12-0:9");
  ASSERT_TRUE(t.Find(u"cat", false));
  EXPECT_EQ(t.Sel(), "0:4-0:1");
  EXPECT_FALSE(t.Find(u"cat", false));
  // Searching up from the middle of an item finds the last occurrence before that point first.
  t.Doc.SetSelectionBounds(0, 5, 0, 8);  // "dog"
  ASSERT_TRUE(t.Find(u"cat", false));
  EXPECT_EQ(t.Sel(), "0:4-0:1");
}

TEST(Search, DownFromTheSelection) {
  TSearchDoc t;
  t.Doc.AddNL(u"cat dog cat", 0, 0);
  t.Doc.AddNL(u"bird cat", 0, 0);
  t.Doc.Format(false);
  // Without a selection the search starts at the first item on screen.
  ASSERT_TRUE(t.Find(u"cat"));
  EXPECT_EQ(t.Sel(), "0:1-0:4");
  ASSERT_TRUE(t.Find(u"cat"));
  EXPECT_EQ(t.Sel(), "0:9-0:12");
  ASSERT_TRUE(t.Find(u"cat"));
  EXPECT_EQ(t.Sel(), "1:6-1:9");
  EXPECT_FALSE(t.Find(u"cat"));
  // From a selection in the middle: what follows its end.
  t.Doc.SetSelectionBounds(0, 5, 0, 8);
  ASSERT_TRUE(t.Find(u"cat"));
  EXPECT_EQ(t.Sel(), "0:9-0:12");
  // A selection made backwards continues from the end the user moved to (its start here).
  t.Doc.SetSelectionBounds(1, 5, 0, 2);
  ASSERT_TRUE(t.Find(u"cat"));
  EXPECT_EQ(t.Sel(), "0:9-0:12");
  // An empty selection is no selection: the search starts on screen again.
  t.Doc.SetSelectionBounds(0, 10, 0, 10);
  ASSERT_TRUE(t.Find(u"cat"));
  EXPECT_EQ(t.Sel(), "0:1-0:4");
}

TEST(Search, SmartStartFindsOverlappingOccurrences) {
  TSearchDoc t;
  t.Doc.AddNL(u"aaaa", 0, 0);
  t.Doc.Format(false);
  std::string down;
  while (t.Find(u"aa", true, false, false, false, false, true)) down += t.Sel() + " ";
  EXPECT_EQ(down, "0:1-0:3 0:2-0:4 0:3-0:5 ");
  std::string up;
  while (t.Find(u"aa", false, false, false, false, false, true)) up += t.Sel() + " ";
  EXPECT_EQ(up, "0:4-0:2 0:3-0:1 ");
}

TEST(Search, AcrossItemsOfOneLineOnly) {
  TSearchDoc t;
  t.Doc.AddNL(u"ab", 0, 0);
  t.Doc.AddNL(u"cd", 1, -1);
  t.Doc.AddNL(u"ef", 0, 0);
  t.Doc.Format(false);
  ASSERT_TRUE(t.Find(u"bc", true, false, false, true, true));
  EXPECT_EQ(t.Sel(), "0:2-1:2");
  ASSERT_TRUE(t.Find(u"bc", false, false, false, true, true));
  EXPECT_EQ(t.Sel(), "1:2-0:2");
  ASSERT_TRUE(t.Find(u"abcd", true, false, true, true, true));
  EXPECT_EQ(t.Sel(), "0:1-1:3");
  // "de" would span a line start.
  EXPECT_FALSE(t.Find(u"de", true, false, false, true, true));
  EXPECT_FALSE(t.Find(u"de", false, false, false, true, true));
  // One item at a time, nothing spans items.
  EXPECT_FALSE(t.Find(u"bc", true, false, false, true, false));
}

TEST(Search, Tabs) {
  TSearchDoc t;
  t.Doc.AddNL(u"a", 0, 0);
  t.AddTab();
  t.Doc.AddNL(u"b", 0, -1);
  t.Doc.Format(false);
  ASSERT_TRUE(t.Find(u"\t", true, false, false, true));
  EXPECT_EQ(t.Sel(), "1:0-1:1");
  ASSERT_TRUE(t.Find(u"a\tb", true, false, false, true, true));
  EXPECT_EQ(t.Sel(), "0:1-2:2");
  // A tab separates words.
  ASSERT_TRUE(t.Find(u"b", true, false, true, true, true));
  EXPECT_EQ(t.Sel(), "2:1-2:2");
}

TEST(Search, NothingToFind) {
  TSearchDoc t;
  EXPECT_FALSE(t.Find(u"a", true, false, false, true));
  t.Doc.AddNL(u"abc", 0, 0);
  t.Doc.Format(false);
  EXPECT_FALSE(t.Find(u"", true, false, false, true));
  EXPECT_FALSE(t.Find(u"abcd", true, false, false, true));
  EXPECT_FALSE(t.Doc.SelectionExists(false, false));
}
