// Paragraph style application (whole paragraphs of the selection or the caret, conversions through
// the control's callback, sub-documents of items) and the character-code toggle (reading the
// code or character before the caret or selected, refusing what is no character).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/document/RVGraphicItem.h"
#include "engine/document/RVItem.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/Dialogs.h"

namespace {

inline const bool ParaStyleTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

// A picture that stands for an item holding documents (a table): it records the conversions it
// is asked to apply to them.
class TParaStyleProbeItem : public TRVGraphicItemInfo {
 public:
  using TRVGraphicItemInfo::TRVGraphicItemInfo;
  void ApplyStyleConversionToSubRVDatas(int UserData, bool SelectedOnly, int ConvType) override {
    Calls.push_back({UserData, SelectedOnly, ConvType});
  }
  bool PartiallySelected() override { return Partial; }
  struct Call {
    int UserData;
    bool SelectedOnly;
    int ConvType;
  };
  std::vector<Call> Calls;
  bool Partial = false;
};

std::unique_ptr<TGraphic> ProbePicture() {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(20, 10);
  return bmp;
}

struct ParaStyleEditor : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> E;
  TRVEditRVData* D = nullptr;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    while (Sheet.TextStyles()->Count() < 3) Sheet.TextStyles()->Add();
    while (Sheet.ParaStyles()->Count() < 4) Sheet.ParaStyles()->Add();
    Sheet.ParaStyles()->Items(2)->LeftIndent = 40;
    E = std::make_unique<TViroZereEdit>(nullptr);
    E->SetBounds(0, 0, 400, 300);
    E->SetStyle(&Sheet);
    D = E->GetEditRVData();
  }
  void Format() {
    E->HandleNeeded();
    E->Format();
  }
  void Caret(int ItemNo, int Offs) {
    D->SetCaretAtItem(ItemNo, Offs);
    D->ChangeCaret(false, false, false, false);
  }
  std::string Paras() const {
    std::string r;
    for (int i = 0; i < D->ItemCount(); ++i) r += std::to_string(D->GetItem(i)->ParaNo);
    return r;
  }
  std::string SelText() const {
    std::string r;
    for (char16_t c : D->GetSelTextW()) r += c < 128 ? static_cast<char>(c) : '?';
    return r;
  }
};

}  // namespace

// The paragraphs the selection touches take the style whole; the others keep theirs; the
// selection, the caret and the layout follow.
TEST_F(ParaStyleEditor, ApplyParaStyleRestylesWholeParagraphsOfTheSelection) {
  struct Case {
    const char* Name;
    int StartItem, StartOffs, EndItem, EndOffs;  // the selection (caret only when equal)
    const char* Paras;                           // the items' paragraph styles after
  } cases[] = {
      {"inside one item of a two-item paragraph", 2, 2, 2, 3, "02200"},
      {"caret only", 3, 2, 3, 2, "00020"},
      {"across three paragraphs", 0, 2, 3, 2, "22220"},
      {"backwards across two paragraphs", 3, 2, 1, 1, "02220"},
      {"ending at the start of a paragraph", 0, 2, 3, 1, "22220"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    // Paragraphs: "aaaa" | "bbbb" "cccc" | "dddd" | "eeee".
    D->AddNL(u"aaaa", 0, 0);
    D->AddNL(u"bbbb", 0, 0);
    D->AddNL(u"cccc", 1, -1);
    D->AddNL(u"dddd", 0, 0);
    D->AddNL(u"eeee", 0, 0);
    Format();
    const int left0 = D->DrawItems->Get(0)->Left;
    D->SetSelectionBounds(c.StartItem, c.StartOffs, c.EndItem, c.EndOffs);
    const std::string selected = SelText();
    int caretItem, caretOffs;
    D->CaretToItem(caretItem, caretOffs);
    D->BeginUndoSequence(rvutPara, false);
    D->ApplyParaStyle(2, rvscParaStyle, false, true);
    EXPECT_EQ(Paras(), c.Paras);
    EXPECT_TRUE(E->GetModified());
    ASSERT_NE(D->UndoList->LastStep(), nullptr);
    EXPECT_GT(D->UndoList->LastStep()->Count(), 0);
    EXPECT_EQ(SelText(), selected);
    int item, offs;
    D->CaretToItem(item, offs);
    EXPECT_EQ(item, caretItem);
    EXPECT_EQ(offs, caretOffs);
    // The restyled paragraphs are laid out again with the style's indent.
    for (int i = 0; i < D->DrawItems->Count(); ++i) {
      TRVDrawLineInfo* d = D->DrawItems->Get(i);
      if (D->GetItem(d->ItemNo)->ParaNo != 2 || !D->IsDrawItemParaStart(i)) continue;
      EXPECT_GT(d->Left, left0) << "draw item " << i;
    }
  }
}

// A conversion asks the control's callback for every item of the paragraphs, with the number
// given to the application; without CallChange the document is not marked modified.
TEST_F(ParaStyleEditor, ApplyParaStyleConversionAsksTheCallbackPerItem) {
  D->AddNL(u"aaaa", 0, 0);
  D->AddNL(u"bbbb", 0, 1);
  D->AddNL(u"cccc", 1, -1);
  D->AddNL(u"dddd", 0, 0);
  Format();
  std::vector<std::string> asked;
  E->FCurStyleConversion = [&](TCustomViroZereEdit* Sender, int StyleNo, int ParaStyleNo, int UserData,
                               bool AppliedToText, int& NewStyleNo) {
    EXPECT_EQ(Sender, E.get());
    EXPECT_FALSE(AppliedToText);
    EXPECT_EQ(NewStyleNo, StyleNo);
    asked.push_back(std::to_string(StyleNo) + "/" + std::to_string(ParaStyleNo) + "/" + std::to_string(UserData));
    NewStyleNo = StyleNo + 2;
  };
  Caret(2, 2);
  D->BeginUndoSequence(rvutPara, false);
  D->ApplyParaStyle(7, rvscParaStyleConversion, false, false);
  EXPECT_EQ(asked, (std::vector<std::string>{"1/1/7", "1/1/7"}));
  EXPECT_EQ(Paras(), "0330");
  EXPECT_FALSE(E->GetModified());
}

// With Recursive the items of the range apply the conversion to their documents, except an item
// the range only touches at its edge; a partially selected item takes the conversion alone.
TEST_F(ParaStyleEditor, ApplyParaStyleReachesDocumentsOfItems) {
  D->AddNL(u"ab", 0, 0);
  auto* probe = new TParaStyleProbeItem(D, ProbePicture(), rvvaBaseline);
  probe->ParaNo = -1;
  D->AddItem(u"", probe);
  D->AddNL(u"cd", 0, -1);
  Format();
  D->SetSelectionBounds(0, 1, 2, 3);
  D->ApplyParaStyle(2, rvscParaStyle, true, true);
  ASSERT_EQ(probe->Calls.size(), 1u);
  EXPECT_EQ(probe->Calls[0].UserData, 2);
  EXPECT_FALSE(probe->Calls[0].SelectedOnly);
  EXPECT_EQ(probe->Calls[0].ConvType, rvscParaStyle);

  probe->Calls.clear();
  D->SetSelectionBounds(0, 1, 1, 0);  // ends before the item
  D->ApplyParaStyle(1, rvscParaStyle, true, true);
  EXPECT_TRUE(probe->Calls.empty());
  D->SetSelectionBounds(1, 1, 2, 2);  // starts after the item
  D->ApplyParaStyle(1, rvscParaStyle, true, true);
  EXPECT_TRUE(probe->Calls.empty());
  D->SetSelectionBounds(0, 1, 2, 3);
  D->ApplyParaStyle(1, rvscParaStyle, false, true);
  EXPECT_TRUE(probe->Calls.empty()) << "not recursive";

  D->Deselect(nullptr, false);
  probe->Partial = true;
  D->FPartialSelectedItem = probe;
  D->ApplyParaStyle(0, rvscParaStyleTemplateReset, false, true);
  D->FPartialSelectedItem = nullptr;
  ASSERT_EQ(probe->Calls.size(), 1u);
  EXPECT_TRUE(probe->Calls[0].SelectedOnly);
  EXPECT_EQ(probe->Calls[0].ConvType, rvscParaStyleTemplateReset);
  EXPECT_EQ(Paras(), "111") << "the document's own paragraphs are left alone";
}

// What the toggle reads before the caret: hexadecimal digits (at most MaxLength), else the
// character (a whole surrogate pair), from the previous item when the caret stands at the start
// of an item that continues a line.
TEST_F(ParaStyleEditor, HexNumberOrCharBeforeTheCaret) {
  struct Case {
    const char* Name;
    std::vector<std::u16string> Items;  // one paragraph; items after the first continue it
    int ItemNo, Offs, MaxLength;
    std::u16string S;
    int ReadItemNo, ReadOffs;
  } cases[] = {
      {"digits after a letter", {u"x263A"}, 0, 6, 6, u"263A", 0, 5},
      {"at most six digits", {u"12345678"}, 0, 9, 6, u"345678", 0, 8},
      {"at most MaxLength digits", {u"12345678"}, 0, 9, 2, u"78", 0, 8},
      {"digits in the middle", {u"zz0041zz"}, 0, 7, 6, u"0041", 0, 6},
      {"lower-case digits", {u"xbeef"}, 0, 6, 6, u"beef", 0, 5},
      {"no digit: the character", {u"xyz"}, 0, 4, 6, u"z", 0, 3},
      {"no digit: a surrogate pair", {u"x\xD83D\xDE00"}, 0, 4, 6, u"\xD83D\xDE00", 0, 3},
      {"a low surrogate alone", {u"x\xDE00"}, 0, 3, 6, u"\xDE00", 0, 2},
      {"at the start of a paragraph", {u"abc"}, 0, 1, 6, u"", 0, 1},
      {"at the start of a continuing item", {u"xy1", u"zz"}, 1, 1, 6, u"1", 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    for (std::size_t i = 0; i < c.Items.size(); ++i) D->AddNL(c.Items[i], static_cast<int>(i), i == 0 ? 0 : -1);
    Format();
    Caret(c.ItemNo, c.Offs);
    TRVUnicodeString S = u"junk";
    int itemNo = -5, offs = -5;
    D->GetCurrentHexNumberOrChar(S, itemNo, offs, c.MaxLength);
    EXPECT_EQ(S, c.S);
    EXPECT_EQ(itemNo, c.ReadItemNo);
    EXPECT_EQ(offs, c.ReadOffs);
  }
}

// The toggle replaces the code or the character before the caret, or the selection when it
// qualifies (what it replaced is gone, the rest of the text kept), and refuses what it cannot
// convert, leaving the selection as it was.
TEST_F(ParaStyleEditor, ReplaceCharCodeSelectsWhatItReplaces) {
  struct Case {
    const char* Name;
    std::u16string Text;
    int SelStart, SelEnd;  // item offsets in item 0; equal: the caret only
    bool Result;
    const char* Selected;  // what the call replaced, or the selection left after a refusal
  } cases[] = {
      {"code before the caret", u"x263A", 6, 6, true, "263A"},
      {"character before the caret", u"xyA", 4, 4, true, "A"},
      {"surrogate pair before the caret", u"x\xD83D\xDE00", 4, 4, true, "??"},
      {"last six of seven digits", u"A010FFF", 8, 8, true, "010FFF"},
      {"selected code", u"x0041y", 2, 6, true, "0041"},
      {"selected character", u"xyz", 2, 3, true, "y"},
      {"two selected digits", u"x41y", 2, 4, false, "41"},
      {"three selected characters not all digits", u"xy4z1", 2, 5, false, "y4z"},
      {"seven selected digits", u"x1234567", 2, 9, false, "1234567"},
      {"nothing before the caret", u"abc", 1, 1, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SetUp();
    D->AddNL(c.Text, 0, 0);
    Format();
    if (c.SelStart == c.SelEnd)
      Caret(0, c.SelStart);
    else
      D->SetSelectionBounds(0, c.SelStart, 0, c.SelEnd);
    const std::u16string before = D->GetItemTextW(0);
    EXPECT_EQ(D->ReplaceCharCode(), c.Result);
    if (!c.Result) {
      EXPECT_EQ(SelText(), c.Selected);
      continue;
    }
    // The replaced run is gone: the text before it and after it are kept.
    const std::u16string after = D->GetItemTextW(0);
    const std::size_t replacedLength = std::char_traits<char>::length(c.Selected);
    const std::size_t head = c.SelStart == c.SelEnd ? before.size() - replacedLength : c.SelStart - 1;
    EXPECT_EQ(after.substr(0, head), before.substr(0, head));
    const std::size_t tail = before.size() - head - replacedLength;
    EXPECT_EQ(after.substr(after.size() - tail), before.substr(before.size() - tail));
    EXPECT_NE(after, before);
  }
}

// A code that is no character (above the last plane, or a surrogate half) is refused with the
// document's beep and nothing is selected or replaced; the last plane's last code is taken.
TEST_F(ParaStyleEditor, ReplaceCharCodeRefusesCodesThatAreNoCharacter) {
  struct Case {
    std::u16string Text;
    bool UseSound, Result;
    int Beeps;
    std::u16string After;
  } cases[] = {
      {u"x110000", true, false, 1, u"x110000"},
      {u"xFFFFFF", true, false, 1, u"xFFFFFF"},
      {u"xD800", true, false, 1, u"xD800"},
      {u"xDFFF", true, false, 1, u"xDFFF"},
      {u"x110000", false, false, 0, u"x110000"},
      {u"x10FFFF", true, true, 0, u"x\U0010FFFF"},
      {u"xE000", true, true, 0, u"x\uE000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.Text.begin(), c.Text.end()));
    SetUp();
    Sheet.UseSound = c.UseSound;
    D->AddNL(c.Text, 0, 0);
    Format();
    Caret(0, static_cast<int>(c.Text.size()) + 1);
    const int beeps = MessageBeepCount();
    EXPECT_EQ(D->ReplaceCharCode(), c.Result);
    EXPECT_EQ(MessageBeepCount() - beeps, c.Beeps);
    EXPECT_EQ(D->GetItemTextW(0), c.After);
    if (!c.Result) {
      EXPECT_EQ(SelText(), "");
    }
  }
}

// Alt+X back and forth through the control's text insertion.
TEST_F(ParaStyleEditor, ReplaceCharCodeTogglesBackAndForth) {
  struct Case {
    std::u16string Text, Toggled;
  } cases[] = {
      {u"x263A", u"x\u263A"},
      {u"A", u"0041"},
      {u"x\xD83D\xDE00", u"x1F600"},
      {u"z1F600", u"z\U0001F600"},
  };
  for (const Case& c : cases) {
    SetUp();
    D->AddNL(c.Text, 0, 0);
    Format();
    Caret(0, static_cast<int>(c.Text.size()) + 1);
    ASSERT_TRUE(D->ReplaceCharCode());
    EXPECT_EQ(D->GetItemTextW(0), c.Toggled);
    EXPECT_EQ(D->UndoList->Count(), 1) << "one undo step";
    ASSERT_TRUE(D->ReplaceCharCode());
    EXPECT_EQ(D->GetItemTextW(0), c.Text);
  }
}
