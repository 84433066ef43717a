// The caret movement keys on formatted documents with fixed metrics (every character 10 pixels
// wide): characters, words, lines, paragraphs, pages and the document's ends, with Shift
// extending the selection as the key handling of the control drives it.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ListInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"

namespace {

inline const bool CaretMoveTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

struct CaretMoveEditor : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> E;
  TRVEditRVData* D = nullptr;

  void Make(int Width = 400, int Height = 300) {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 3) Sheet.ParaStyles()->Add();
    E = std::make_unique<TViroZereEdit>(nullptr);
    E->SetBounds(0, 0, Width, Height);
    E->SetStyle(&Sheet);
    D = E->GetEditRVData();
  }
  // One text item per paragraph.
  void Paras(std::initializer_list<const char16_t*> Texts) {
    for (const char16_t* t : Texts) D->AddNL(t, 0, 0);
  }
  void Format() {
    E->HandleNeeded();
    E->Format();
  }
  // The first paragraph becomes a numbered list item (its marker is item 0).
  void MakeFirstParaListItem() {
    TRVListInfo* list = Sheet.ListStyles()->Add();
    TRVListLevel* level = list->Levels()->Add();
    level->ListType = rvlstDecimal;
    level->FormatString = u"%0:s.";
    ASSERT_GE(D->SetListMarkerInfo(0, list->GetIndex(), 0, 1, 0, false), 0);
  }

  // A key as the control's key handling drives it: "Left", "S-Left" (Shift), "C-Left" (Ctrl),
  // "SC-Left". Without Shift a selection is removed first; with Shift the selection follows the
  // caret; keys other than plain vertical ones forget the remembered column.
  bool Press(const std::string& Key) {
    bool shift = false, ctrl = false;
    std::string name = Key;
    if (const auto dash = Key.find('-'); dash != std::string::npos) {
      const std::string mods = Key.substr(0, dash);
      shift = mods.find('S') != std::string::npos;
      ctrl = mods.find('C') != std::string::npos;
      name = Key.substr(dash + 1);
    }
    const bool vertical = name == "Up" || name == "Down" || name == "PgUp" || name == "PgDn";
    if (!vertical || ctrl) D->ResetUpDownMovingX();
    if (shift)
      D->StartShiftMoving();
    else if (D->SelectionExists(false, false))
      D->Deselect(nullptr, true);
    bool r = false;
    if (name == "Left") r = D->OnLeftPress(shift, ctrl);
    else if (name == "Right") r = D->OnRightPress(shift, ctrl);
    else if (name == "Up") r = D->OnUpPress(shift, ctrl);
    else if (name == "Down") r = D->OnDownPress(shift, ctrl);
    else if (name == "Home") r = D->OnHomePress(shift, ctrl);
    else if (name == "End") r = D->OnEndPress(shift, ctrl);
    else if (name == "PgUp") D->OnPgUpPress(shift);
    else if (name == "PgDn") D->OnPgDownPress(shift);
    else ADD_FAILURE() << "unknown key " << Key;
    if (shift) D->EndShiftMoving();
    return r;
  }
  // Presses the keys of a space-separated list; the result of the last.
  bool PressAll(const std::string& Keys) {
    std::istringstream in(Keys);
    std::string k;
    bool r = false;
    while (in >> k) r = Press(k);
    return r;
  }
  std::string Caret() const {
    return std::to_string(D->GetCurItemNo()) + ":" + std::to_string(D->GetOffsetInCurItem());
  }
  std::string SelBounds() const {
    if (!D->SelectionExists(false, false)) return "";
    int s1, o1, s2, o2;
    D->GetSelectionBounds(s1, o1, s2, o2, true);
    return std::to_string(s1) + ":" + std::to_string(o1) + "-" + std::to_string(s2) + ":" + std::to_string(o2);
  }
  std::string SelText() const {
    std::string r;
    for (char16_t c : D->GetSelTextW()) r += c < 128 ? static_cast<char>(c) : '?';
    return r;
  }
};

// Documents of the table below.
enum class MoveDoc { OneTwo, OneCommaTwo, Lines, Wrapped, Surrogate, Combining, ListFirst, ItemsInLine };

void BuildMoveDoc(CaretMoveEditor& T, MoveDoc Doc) {
  switch (Doc) {
    case MoveDoc::OneTwo: T.Paras({u"one two"}); break;
    case MoveDoc::OneCommaTwo: T.Paras({u"one, two"}); break;
    // Three paragraphs, the middle one shorter than the column of the others' ends.
    case MoveDoc::Lines: T.Paras({u"abcdefgh", u"ab", u"abcdefgh"}); break;
    // The middle paragraph wraps to several lines in the narrow editor.
    case MoveDoc::Wrapped: T.Paras({u"alpha", u"aaaa bbbb cccc dddd eeee", u"omega"}); break;
    case MoveDoc::Surrogate: T.Paras({u"a\xD83D\xDE00" u"b"}); break;
    case MoveDoc::Combining: T.Paras({u"e\u0301x"}); break;
    case MoveDoc::ListFirst:
      T.Paras({u"xy", u"zw"});
      T.MakeFirstParaListItem();
      break;
    // Two items on one line: "one " and "two" in another text style.
    case MoveDoc::ItemsInLine:
      T.D->AddNL(u"one ", 0, 0);
      T.D->AddNL(u"two", 1, -1);
      break;
  }
}

}  // namespace

// Every key from a caret position: where the caret ends, the result of the last key and the
// selected text ("" when nothing is selected).
TEST_F(CaretMoveEditor, KeysMoveTheCaretAsTheTableSays) {
  struct Case {
    const char* Name;
    MoveDoc Doc;
    int ItemNo, Offs;  // the caret before the keys
    const char* Keys;
    const char* Expected;  // "item:offset"
    bool Result;
    const char* Selected;
  } cases[] = {
      {"Left at the document start", MoveDoc::OneTwo, 0, 1, "Left", "0:1", true, ""},
      {"Right at the document end", MoveDoc::OneTwo, 0, 8, "Right", "0:8", true, ""},
      {"Ctrl+Right at the document end", MoveDoc::OneTwo, 0, 8, "C-Right", "0:8", true, ""},
      {"Left by a character", MoveDoc::OneTwo, 0, 3, "Left", "0:2", false, ""},
      {"Right by a character", MoveDoc::OneTwo, 0, 3, "Right", "0:4", false, ""},
      {"Ctrl+Right to the next word", MoveDoc::OneTwo, 0, 1, "C-Right", "0:5", false, ""},
      {"Ctrl+Right from inside a word", MoveDoc::OneTwo, 0, 2, "C-Right", "0:5", false, ""},
      {"Ctrl+Right from the last word", MoveDoc::OneTwo, 0, 5, "C-Right", "0:8", false, ""},
      {"Ctrl+Left back over the space", MoveDoc::OneTwo, 0, 5, "C-Left", "0:1", false, ""},
      {"Ctrl+Left from inside a word", MoveDoc::OneTwo, 0, 7, "C-Left", "0:5", false, ""},
      {"Ctrl+Right, Ctrl+Left", MoveDoc::OneTwo, 0, 1, "C-Right C-Left", "0:1", false, ""},
      {"Ctrl+Right stops before a comma", MoveDoc::OneCommaTwo, 0, 1, "C-Right", "0:4", false, ""},
      {"Ctrl+Right over a comma and space", MoveDoc::OneCommaTwo, 0, 4, "C-Right", "0:6", false, ""},
      {"Ctrl+Left stops after a word before a comma", MoveDoc::OneCommaTwo, 0, 6, "C-Left", "0:4", false, ""},
      {"Ctrl+Right to the end of the item before the next word", MoveDoc::ItemsInLine, 0, 1, "C-Right", "0:5", false, ""},
      {"Shift+Ctrl+Right selects the word and space", MoveDoc::OneTwo, 0, 1, "SC-Right", "0:5", false, "one "},
      {"Shift+Left extends", MoveDoc::OneTwo, 0, 8, "S-Left S-Left", "0:6", false, "wo"},
      {"Left after Shift+Left moves from the end", MoveDoc::OneTwo, 0, 8, "S-Left Left", "0:6", false, ""},
      {"Right over a surrogate pair", MoveDoc::Surrogate, 0, 2, "Right", "0:4", false, ""},
      {"Left over a surrogate pair", MoveDoc::Surrogate, 0, 4, "Left", "0:2", false, ""},
      {"Right over a combining sequence", MoveDoc::Combining, 0, 1, "Right", "0:3", false, ""},
      {"Left to the previous paragraph's end", MoveDoc::Lines, 1, 1, "Left", "0:9", false, ""},
      {"Right to the next paragraph's start", MoveDoc::Lines, 0, 9, "Right", "1:1", false, ""},
      {"Left at a first list item's start", MoveDoc::ListFirst, 1, 1, "Left", "1:1", true, ""},
      {"Right from a list item's end", MoveDoc::ListFirst, 1, 3, "Right", "2:1", false, ""},
      {"Left into a list item from below", MoveDoc::ListFirst, 2, 1, "Left", "1:3", false, ""},
      {"Up, Up, Down keep the column", MoveDoc::Lines, 2, 7, "Up Up Down", "1:3", false, ""},
      {"Up, Up, Down, Down come back", MoveDoc::Lines, 2, 7, "Up Up Down Down", "2:7", false, ""},
      {"Left forgets the column", MoveDoc::Lines, 2, 7, "Up Left Down", "2:2", false, ""},
      {"Up on the first line", MoveDoc::Lines, 0, 4, "Up", "0:4", true, ""},
      {"Down on the last line", MoveDoc::Lines, 2, 4, "Down", "2:4", true, ""},
      {"Shift+Down on the last line extends to its end", MoveDoc::Lines, 2, 4, "S-Down", "2:9", false, "defgh"},
      {"Shift+Down again at the end", MoveDoc::Lines, 2, 4, "S-Down S-Down", "2:9", true, "defgh"},
      {"Shift+Up on the first line extends to its start", MoveDoc::Lines, 0, 4, "S-Up", "0:1", false, "abc"},
      {"Shift+Up selects up to the same column", MoveDoc::Lines, 2, 3, "S-Up", "1:3", false, "\r\nab"},
      {"Up to a list item left of its text", MoveDoc::ListFirst, 2, 2, "Up", "1:1", false, ""},
      {"Up from a first list item", MoveDoc::ListFirst, 1, 2, "Up", "1:2", true, ""},
      {"Ctrl+Up in the middle of a paragraph", MoveDoc::Wrapped, 1, 13, "C-Up", "1:1", false, ""},
      {"Ctrl+Up twice", MoveDoc::Wrapped, 1, 13, "C-Up C-Up", "0:1", false, ""},
      {"Ctrl+Up on the first line", MoveDoc::Wrapped, 0, 3, "C-Up", "0:1", true, ""},
      {"Ctrl+Down to the next paragraph", MoveDoc::Wrapped, 0, 3, "C-Down", "1:1", false, ""},
      {"Ctrl+Down from a wrapped paragraph", MoveDoc::Wrapped, 1, 3, "C-Down", "2:1", false, ""},
      {"Ctrl+Down in the last paragraph", MoveDoc::Wrapped, 2, 2, "C-Down", "2:6", true, ""},
      {"Shift+Ctrl+Down selects to the next paragraph", MoveDoc::Lines, 0, 9, "SC-Down", "1:1", false, "\r\n"},
      {"Home", MoveDoc::OneTwo, 0, 6, "Home", "0:1", false, ""},
      {"End", MoveDoc::OneTwo, 0, 2, "End", "0:8", false, ""},
      {"Shift+End", MoveDoc::OneTwo, 0, 5, "S-End", "0:8", false, "two"},
      {"Ctrl+Home", MoveDoc::Lines, 2, 5, "C-Home", "0:1", true, ""},
      {"Ctrl+End", MoveDoc::Lines, 0, 5, "C-End", "2:9", true, ""},
      {"Ctrl+Home in a list", MoveDoc::ListFirst, 2, 2, "C-Home", "1:1", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Make(160);
    BuildMoveDoc(*this, c.Doc);
    Format();
    D->SetCaretAtItem(c.ItemNo, c.Offs);
    D->ChangeCaret(false, false, false, false);
    ASSERT_EQ(Caret(), std::to_string(c.ItemNo) + ":" + std::to_string(c.Offs));
    EXPECT_EQ(PressAll(c.Keys), c.Result);
    EXPECT_EQ(Caret(), c.Expected);
    EXPECT_EQ(SelText(), c.Selected);
  }
}

// Home and End stay on the caret's line of a wrapped paragraph; Up and Down walk its lines.
TEST_F(CaretMoveEditor, HomeEndUpDownInAWrappedParagraph) {
  Make(160);
  BuildMoveDoc(*this, MoveDoc::Wrapped);
  Format();
  // The wrapped paragraph's lines: each draw item of item 1 is one line.
  std::vector<int> lines;
  for (int i = 0; i < D->DrawItems->Count(); ++i)
    if (D->DrawItems->Get(i)->ItemNo == 1) lines.push_back(i);
  ASSERT_GE(lines.size(), 2u);
  TRVDrawLineInfo* second = D->DrawItems->Get(lines[1]);
  D->SetCaretAtItem(1, second->Offs + 2);
  D->ChangeCaret(false, false, false, false);
  EXPECT_FALSE(Press("Home"));
  EXPECT_EQ(Caret(), "1:" + std::to_string(second->Offs));
  EXPECT_EQ(D->CaretDrawItemNo, lines[1]);
  EXPECT_FALSE(Press("End"));
  EXPECT_EQ(D->CaretDrawItemNo, lines[1]);
  EXPECT_EQ(D->CaretOffs, D->CharEnds.Count() - 1);
  // Up from the second line's start lands on the first line's start, Down brings it back.
  EXPECT_FALSE(Press("Home"));
  EXPECT_FALSE(Press("Up"));
  EXPECT_EQ(D->CaretDrawItemNo, lines[0]);
  EXPECT_EQ(Caret(), "1:1");
  EXPECT_FALSE(Press("Down"));
  EXPECT_EQ(D->CaretDrawItemNo, lines[1]);
}

// Down on the last line scrolls the view to the document's bottom; Up on the first to its top.
TEST_F(CaretMoveEditor, VerticalKeysAtTheEdgesScrollToTheEnds) {
  Make(400, 200);
  for (int i = 0; i < 60; ++i) D->AddNL(u"line " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)), 0, 0);
  Format();
  ASSERT_GT(D->DocumentHeight, 3 * D->GetHeight());
  D->SetCaretAtItem(59, 3);
  ASSERT_EQ(D->GetVOffs(), 0);
  EXPECT_TRUE(Press("Down"));
  EXPECT_EQ(Caret(), "59:3");
  EXPECT_GT(D->GetVOffs(), D->DocumentHeight - D->GetHeight() - D->GetVSmallStep());
  D->SetCaretAtItem(0, 3);
  EXPECT_TRUE(Press("Up"));
  EXPECT_EQ(Caret(), "0:3");
  EXPECT_EQ(D->GetVOffs(), 0);
}

// Page Down puts the caret on the line three quarters of the view below the view's top and
// scrolls that line to the top; Page Up comes back the same way; near the end Page Down goes to
// the document's end, near the start Page Up to its start.
TEST_F(CaretMoveEditor, PageKeysMoveByThreeQuartersOfTheView) {
  Make(400, 200);
  for (int i = 0; i < 120; ++i) D->AddNL(u"row", 0, 0);
  Format();
  const int H = D->GetHeight();
  ASSERT_GT(D->DocumentHeight, 4 * H);
  D->SetCaretAtItem(0, 2);
  D->ChangeCaret(false, false, false, false);
  // The line hit at a document height.
  auto lineAt = [this](int Y) {
    for (int i = 0; i < D->DrawItems->Count(); ++i) {
      TRVDrawLineInfo* d = D->DrawItems->Get(i);
      if (Y < d->Top + d->Height) return i;
    }
    return D->DrawItems->Count() - 1;
  };
  int expected = lineAt(H * 3 / 4);
  ASSERT_GT(expected, 0);
  Press("PgDn");
  EXPECT_EQ(D->CaretDrawItemNo, expected);
  EXPECT_EQ(D->GetOffsetInCurItem(), 2) << "the column is kept";
  const int top = D->DrawItems->Get(expected)->Top;
  EXPECT_LE(D->GetVOffs(), top);
  EXPECT_GT(D->GetVOffs() + D->GetVSmallStep(), top) << "the caret's line is scrolled to the view's top";

  expected = lineAt(D->GetVOffs() + H * 3 / 4);
  Press("PgDn");
  EXPECT_EQ(D->CaretDrawItemNo, expected);

  // Page Up from the view's top: three quarters of the view above it.
  const int before = D->CaretDrawItemNo;
  expected = lineAt(D->GetVOffs() - H * 3 / 4);
  Press("PgUp");
  EXPECT_LT(D->CaretDrawItemNo, before);
  EXPECT_EQ(D->CaretDrawItemNo, expected);

  Press("C-Home");
  Press("PgUp");
  EXPECT_EQ(Caret(), "0:1") << "Page Up at the start goes to the document's start";

  D->SetCaretAtItem(118, 2);
  D->ChangeCaret(false, true, false, false);
  D->ScrollTo(D->DocumentHeight, true);
  Press("PgDn");
  EXPECT_EQ(Caret(), "119:4") << "Page Down near the end goes to the document's end";
}

// With Shift, Page Down selects from the caret to the line it reaches.
TEST_F(CaretMoveEditor, ShiftPageDownExtendsTheSelection) {
  Make(400, 200);
  for (int i = 0; i < 40; ++i) D->AddNL(u"row", 0, 0);
  Format();
  D->SetCaretAtItem(0, 1);
  D->ChangeCaret(false, false, false, false);
  Press("S-PgDn");
  const int item = D->GetCurItemNo();
  ASSERT_GT(item, 0);
  int s1, o1, s2, o2;
  D->GetSelectionBounds(s1, o1, s2, o2, true);
  EXPECT_EQ(s1, 0);
  EXPECT_EQ(o1, 1);
  EXPECT_EQ(s2, item);
  EXPECT_EQ(o2, 1);
}

// In the paragraph selection mode, Shift+Down and Shift+Up over a selection of several
// paragraphs take whole paragraphs, the last paragraph included.
TEST_F(CaretMoveEditor, ParagraphSelectionModeMovesByParagraphs) {
  Make(160);
  Sheet.SelectionMode = rvsmParagraph;
  Paras({u"p zero", u"p one", u"p two"});
  Format();
  D->SetCaretAtItem(0, 1);
  D->ChangeCaret(false, false, false, false);
  Press("S-Down");
  ASSERT_TRUE(D->IsMultiParagraphSelection());
  Press("S-Down");
  EXPECT_EQ(Caret(), "2:6");
  EXPECT_EQ(SelText(), "p zero\r\np one\r\np two");
  Press("S-Down");
  EXPECT_EQ(Caret(), "2:6") << "the last paragraph stays selected";
  // Up goes to the previous paragraph's start, and the mode takes that paragraph whole.
  Press("S-Up");
  EXPECT_EQ(Caret(), "1:6");
  EXPECT_EQ(SelText(), "p zero\r\np one");
}

// The document data without draw items ignores the keys.
TEST_F(CaretMoveEditor, KeysOnAnUnformattedDocumentDoNothing) {
  Make();
  Paras({u"text"});
  for (const char* k : {"Left", "Right", "Up", "Down", "Home", "End", "PgUp", "PgDn", "S-Right", "C-Left"})
    EXPECT_NO_THROW(Press(k)) << k;
  EXPECT_EQ(D->DrawItems->Count(), 0);
}

namespace {

// A picture that stands for an item holding documents (a table): it takes the caret when asked
// and records from where.
class TCaretMoveEnterProbe : public TRVGraphicItemInfo {
 public:
  using TRVGraphicItemInfo::TRVGraphicItemInfo;
  bool EnterItem(TRVEnterDirection From, int Coord) override {
    Entered.push_back({From, Coord});
    return Accepts;
  }
  struct Entry {
    TRVEnterDirection From;
    int Coord;
  };
  std::vector<Entry> Entered;
  bool Accepts = true;
};

std::unique_ptr<TGraphic> EnterProbePicture() {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(40, 10);
  return bmp;
}

}  // namespace

// Left from just after an item that holds documents, Right from just before it, Up and Down onto
// it enter it and leave this document's caret where it was; with Shift the keys only extend the
// selection over it; an item that refuses is passed like a picture.
TEST_F(CaretMoveEditor, KeysEnterItemsThatTakeTheCaret) {
  Make(400);
  D->AddNL(u"abcdefgh", 0, 0);
  D->AddNL(u"ab", 0, 0);
  auto* probe = new TCaretMoveEnterProbe(D, EnterProbePicture(), rvvaBaseline);
  probe->ParaNo = -1;
  D->AddItem(u"", probe);
  D->AddNL(u"cd", 0, -1);
  D->AddNL(u"abcdefgh", 0, 0);
  Format();
  const int probeDI = probe->DrawItemNo;
  TRVDrawLineInfo* pd = D->DrawItems->Get(probeDI);
  struct Case {
    const char* Name;
    int ItemNo, Offs;
    const char* Key;
    bool Accepts;
    int Entries;
    TRVEnterDirection From;
    const char* Expected;
    const char* Selected;  // the normalised selection in items, "" for none
  } cases[] = {
      {"Left from after it", 2, 1, "Left", true, 1, rvedRight, "2:1", ""},
      {"Right from before it", 1, 3, "Right", true, 1, rvedLeft, "1:3", ""},
      {"Shift+Left over it", 2, 1, "S-Left", true, 0, rvedRight, "1:3", "1:3-2:1"},
      {"Left from after it when it refuses", 2, 1, "Left", false, 1, rvedRight, "1:3", ""},
      {"Down onto it", 0, 4, "Down", true, 1, rvedTop, "0:4", ""},
      {"Up onto it", 4, 4, "Up", true, 1, rvedBottom, "4:4", ""},
      {"Shift+Down onto it", 0, 4, "S-Down", true, 0, rvedTop, "1:3", "0:4-1:3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    D->Deselect(nullptr, false);
    D->ResetUpDownMovingX();
    D->SetCaretAtItem(c.ItemNo, c.Offs);
    D->ChangeCaret(false, false, false, false);
    probe->Entered.clear();
    probe->Accepts = c.Accepts;
    EXPECT_FALSE(Press(c.Key));
    ASSERT_EQ(static_cast<int>(probe->Entered.size()), c.Entries);
    if (c.Entries) {
      EXPECT_EQ(probe->Entered[0].From, c.From);
      if (c.From == rvedTop || c.From == rvedBottom) {
        // The column relative to the item's left.
        EXPECT_EQ(probe->Entered[0].Coord, D->CharEnds.GetItem(D->CaretOffs)->X - pd->Left);
      }
    }
    EXPECT_EQ(Caret(), c.Expected);
    EXPECT_EQ(SelBounds(), c.Selected);
  }
}
