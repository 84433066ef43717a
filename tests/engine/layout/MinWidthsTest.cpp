// Minimal widths with fixed metrics (every character 10 pixels wide): a table of small documents
// and the narrowest width each can be formatted at, and the operations around the document's.
#include "engine/layout/LayoutTestUtil.h"

#include <functional>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVMarkerItem.h"
#include "engine/styles/ListInfo.h"
#include "support/GeneratedDocument.h"

namespace {

// Style 1 is hidden text; paragraph style 1 takes the tab stops.
struct TDoc : TLayoutDoc {
  TDoc() : TLayoutDoc(650) { Font(1)->Options.Include(rvteoHidden); }
  void AddTab(TRVTabAlign Align, int Position) {
    TRVTabInfo* t = Para(1)->Tabs()->Add();
    t->SetPosition(Position);
    t->Align = Align;
    TLayoutDoc::AddTab();
  }
};

struct TCase {
  const char* Name;
  std::function<void(TDoc&)> Build;
  int Expected;
};

// Indents used below: left 15, right 7 (22 together).
void Indents(TDoc& d, int Para = 0) {
  d.Para(Para)->LeftIndent = 15;
  d.Para(Para)->RightIndent = 7;
}

TEST(MinWidths, DocumentTable) {
  const TCase cases[] = {
      {"longest word plus indents",
       [](TDoc& d) {
         Indents(d);
         d.Doc.AddNL(u"Localization and internationalization matter", 0, 0);
       },
       200 + 22},
      {"the longest word of any item and paragraph",
       [](TDoc& d) {
         Indents(d);
         d.Doc.AddNL(u"short words here", 0, 0);
         d.Doc.AddNL(u"then ", 0, 0);
         d.Doc.AddNL(u"internationalization", 0, -1);
         d.Doc.AddNL(u"last", 0, 0);
       },
       222},
      {"a positive first-line indent counts", [](TDoc& d) {
         Indents(d);
         d.Para(0)->FirstIndent = 30;
         d.Doc.AddNL(u"internationalization", 0, 0);
       }, 252},
      {"a hanging first-line indent does not", [](TDoc& d) {
         Indents(d);
         d.Para(0)->FirstIndent = -10;
         d.Doc.AddNL(u"internationalization", 0, 0);
       }, 222},
      {"a paragraph that does not wrap needs its whole line", [](TDoc& d) {
         Indents(d);
         d.Para(0)->Options.Include(rvpaoNoWrap);
         d.Doc.AddNL(u"aaa bbb", 0, 0);
         d.Doc.AddNL(u"cc", 0, -1);
       }, 90 + 22},
      {"without wrapping a hanging indent is taken off", [](TDoc& d) {
         Indents(d);
         d.Para(0)->FirstIndent = -10;
         d.Para(0)->Options.Include(rvpaoNoWrap);
         d.Doc.AddNL(u"aaa bbb", 0, 0);
       }, 70 + 22 - 10},
      {"the widest of several paragraphs, each with its own indents", [](TDoc& d) {
         d.Doc.AddNL(u"aaaaaaaaaa", 0, 0);
         d.Para(1)->LeftIndent = 50;
         d.Doc.AddNL(u"bbbbbbbb", 0, 1);
       }, 130},
      {"hidden text takes no width", [](TDoc& d) {
         d.Doc.AddNL(u"short", 0, 0);
         d.Doc.AddNL(u"internationalization", 1, -1);
       }, 50},
      {"a line break starts a section of its own", [](TDoc& d) {
         d.Doc.AddNL(u"aaa", 0, 0);
         d.Doc.AddNL(u"bbbbbb", 0, 0);
         d.Doc.GetItem(1)->SetBR(true);
       }, 60},
      {"a picture counts whole", [](TDoc& d) {
         Indents(d);
         d.Doc.AddNL(u"a ", 0, 0);
         auto bmp = std::make_unique<TBitmap>();
         bmp->SetSize(300, 20);
         auto* pic = new TRVGraphicItemInfo(&d.Doc, std::move(bmp), rvvaBaseline);
         pic->ParaNo = -1;
         d.Doc.AddItem(u"", pic);
       }, 302 + 22},
      {"wrapping anywhere: the widest character", [](TDoc& d) {
         Indents(d);
         d.Sheet.LineWrapMode = rvWrapAnywhere;
         d.Doc.AddNL(u"internationalization", 0, 0);
       }, 10 + 22},
      {"no break inside a word with punctuation", [](TDoc& d) {
         d.Doc.AddNL(u"see (internationalization).", 0, 0);
       }, 230},
      {"a soft hyphen ends a piece with the hyphen drawn", [](TDoc& d) {
         d.Doc.AddNL(u"internationali\u00ADzation", 0, 0);
       }, 150},
      {"a left tab: text before, the stop, text after", [](TDoc& d) {
         d.Para(1)->Options.Include(rvpaoNoWrap);
         d.Doc.AddNL(u"ab", 0, 1);
         d.AddTab(rvtaLeft, 200);
         d.Doc.AddNL(u"cd", 0, -1);
       }, 220},
      {"a right tab with shorter text after it ends at the stop", [](TDoc& d) {
         d.Para(1)->Options.Include(rvpaoNoWrap);
         d.Doc.AddNL(u"ab", 0, 1);
         d.AddTab(rvtaRight, 200);
         d.Doc.AddNL(u"cd", 0, -1);
       }, 200},
      {"a right tab whose text is wider than the tab", [](TDoc& d) {
         d.Para(1)->Options.Include(rvpaoNoWrap);
         d.Doc.AddNL(u"abcdefghijklmnopqr", 0, 1);
         d.AddTab(rvtaRight, 200);
         d.Doc.AddNL(u"cdefgh", 0, -1);
       }, 180 + 60},
      {"a centre tab: half the text after it overlaps", [](TDoc& d) {
         d.Para(1)->Options.Include(rvpaoNoWrap);
         d.Doc.AddNL(u"ab", 0, 1);
         d.AddTab(rvtaCenter, 200);
         d.Doc.AddNL(u"cdef", 0, -1);
       }, 220},
      {"an empty document", [](TDoc&) {}, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TDoc d;
    c.Build(d);
    EXPECT_EQ(d.Doc.CalculateMinDocWidthPlus(0, nullptr, nullptr), c.Expected);
  }
}

TEST(MinWidths, ListParagraphTakesTheLevelIndentsAndTheMarker) {
  TDoc d;
  TRVListLevel* level = d.Sheet.ListStyles()->Add()->Levels()->Add();
  level->LeftIndent = 24;
  level->FirstIndent = 0;
  level->MarkerIndent = 6;
  d.Para(0)->RightIndent = 7;
  d.Doc.SetListMarkerInfo(-1, 0, 0, 1, 0, false);
  d.Doc.AddNL(u"internationalization", 0, -1);
  TCustomRVItemInfo* marker = d.Doc.GetItem(0);
  ASSERT_EQ(marker->StyleNo, ItemKindListMarker);
  const int m = marker->GetMinWidth(nullptr, d.Doc.GetCanvas(), &d.Doc);
  EXPECT_EQ(d.Doc.CalculateMinDocWidthPlus(0, nullptr, nullptr), 200 + std::max(24, 6 + m) + 7);
  // Centred markers count half, right-aligned ones not at all.
  level->MarkerAlignment = rvmaRight;
  EXPECT_EQ(d.Doc.CalculateMinDocWidthPlus(0, nullptr, nullptr), 200 + 24 + 7);
  // Beside a float the marker's line needs its first item, no indents.
  EXPECT_EQ(d.Doc.CalculateMinLineWidth(0, nullptr, nullptr), 200);
}

TEST(MinWidths, RangesSectionsAndLines) {
  TDoc d;
  Indents(d);
  d.Para(0)->FirstIndent = 30;
  d.Doc.AddNL(u"aaaa internationalization", 0, 0);  // 0
  d.Doc.AddNL(u"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", 0, 1);  // 1: 300
  d.Doc.AddNL(u"cc", 0, 0);                        // 2
  d.Doc.AddNL(u"dddddd", 0, -1);                   // 3

  EXPECT_EQ(d.Doc.CalculateMinItemsWidthPlusEx(3, 2), 0);  // empty range
  EXPECT_EQ(d.Doc.CalculateParaSectionMinWidthDef(0), 200 + 52);
  EXPECT_EQ(d.Doc.CalculateParaSectionMinWidthDef(3), 60 + 52);  // the section of an item
  EXPECT_EQ(d.Doc.CalculateParaSectionsMinWidthDef(2, 3), 112);
  EXPECT_EQ(d.Doc.CalculateParaSectionsMinWidthDef(0, 3), 300);
  EXPECT_EQ(d.Doc.CalculateMinItemsWidthPlusEx(2, 3), 112);
  EXPECT_EQ(d.Doc.CalculateMinDocWidthPlus(2, nullptr, nullptr), 112);  // from an item to the end
  // Indent widths: a hanging indent only when asked for.
  int first = -1;
  EXPECT_EQ(d.Doc.CalculateEmptyParaSectionWidth(3, first, nullptr, nullptr, false), 52);
  EXPECT_EQ(first, 2);
  d.Para(0)->FirstIndent = -10;
  first = -1;
  EXPECT_EQ(d.Doc.CalculateEmptyParaSectionWidth(3, first, nullptr, nullptr, false), 22);
  first = -1;
  EXPECT_EQ(d.Doc.CalculateEmptyParaSectionWidth(3, first, nullptr, nullptr, true), 12);
  // One item's own width, and a line beside floats: its first item plus the first-line indent.
  EXPECT_EQ(d.Doc.CalculateMinItemWidthWrap(0, nullptr, nullptr, false, false), 200);
  d.Para(0)->FirstIndent = 30;
  EXPECT_EQ(d.Doc.CalculateMinLineWidth(0, nullptr, nullptr), 230);
  EXPECT_EQ(d.Doc.CalculateMinLineWidth(3, nullptr, nullptr), 60);
  // Without wrapping: the whole line, markers and floats as asked.
  EXPECT_EQ(d.Doc.CalculateMinItemsWidthNoWrap(2, 3, nullptr, nullptr, false, false), 80);
}

TEST(MinWidths, DeviceResolution) {
  TDoc d;
  Indents(d);
  d.Doc.AddNL(u"internationalization", 0, 0);
  // Equal resolutions measure as the screen does.
  TRVScreenAndDevice same{96, 96, 96, 96};
  EXPECT_EQ(d.Doc.CalculateMinDocWidthPlus(0, &same, nullptr), 222);
  // At twice the resolution the indents double (fixed metrics keep the text at 10 a character).
  TRVScreenAndDevice twice{96, 96, 192, 192};
  EXPECT_EQ(d.Doc.CalculateMinDocWidthPlus(0, &twice, nullptr), 200 + 44);
}

// With real fonts on the reference canvas: pieces that cannot beat the width already reached are
// not measured, and the document's answer is still the widest item's own (exact) minimal width
// plus its section's indents.
TEST(MinWidths, GeneratedDocumentWithRealFonts) {
  for (bool reference : {false, true}) {
    SCOPED_TRACE(reference ? "reference canvas" : "screen canvas");
    TRVStyle sheet(nullptr);
    SetGeneratedDocumentStyles(sheet);
    TRVPlainFormattedData doc(&sheet);
    doc.SetUseReferenceCanvas(reference);
    GenerateDocument(doc, {.Seed = 4, .Pages = 6, .Pictures = false});
    int expected = 0, widestWord = 0;
    for (int i = 0; i < doc.ItemCount(); ++i) {
      if (doc.GetItem(i)->StyleNo == ItemKindListMarker) continue;
      int first = -1;
      const int item = doc.CalculateMinItemWidthWrap(i, nullptr, nullptr, false, true);
      widestWord = std::max(widestWord, item);
      expected = std::max(expected, item + std::max(0, doc.CalculateEmptyParaSectionWidth(i, first, nullptr, nullptr,
                                                                                             false)));
    }
    EXPECT_GT(widestWord, 60);  // "notwithstanding" and the like, in 10 to 14 points
    EXPECT_EQ(doc.CalculateMinDocWidthPlus(0, nullptr, nullptr), expected);
  }
}

}  // namespace
