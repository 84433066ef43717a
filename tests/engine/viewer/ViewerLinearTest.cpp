// The viewer's linear selection and text, and the edit-control messages answered from them.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/layout/DrawLines.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViewerLinear.h"
#include "engine/viewer/RVViroZere.h"

namespace {

inline const bool LinearViewerTestsScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

std::string Narrow(const TRVUnicodeString& s) {
  std::string r;
  for (char16_t c : s) r += c == u'\r' ? '|' : c == u'\n' ? '/' : static_cast<char>(c);
  return r;
}

// A formatted viewer, 400 x 300, every character 10 pixels wide: "abc" / "defg", or what a test
// adds before Show.
struct ViewerLinearTest : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZere> V;

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    V = std::make_unique<TViroZere>(nullptr);
    V->SetName(u"rv1");
    V->SetBounds(0, 0, 400, 300);
    V->SetStyle(&Sheet);
  }
  void AddTwoParas() {
    V->AddNL(u"abc", 0, 0);
    V->AddNL(u"defg", 0, 0);
  }
  void Show() {
    V->HandleNeeded();
    V->Format();
  }
  LRESULT Send(Cardinal Msg, WPARAM W, LPARAM L) { return V->Perform(Msg, W, L); }
  std::pair<int, int> Sel() {
    int a = -9, b = -9;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {a, b};
  }
};

TEST_F(ViewerLinearTest, SelectionRoundTripsForwardAndBackward) {
  AddTwoParas();
  Show();
  // "abc" | CR LF | "defg": offsets 0..9
  struct Case {
    int Start, Length;
  };
  // (An end between CR and LF would move to the next item's start.)
  for (const Case& c : {Case{1, 2}, Case{0, 9}, Case{6, -4}, Case{5, 0}}) {
    SCOPED_TRACE(testing::Message() << c.Start << "+" << c.Length);
    ASSERT_TRUE(SetLinearSelection(V.get(), c.Start, c.Length, -1));
    int s = -1, l = -1;
    GetLinearSelection(V.get(), s, l, -1);
    EXPECT_EQ(s, c.Start);
    EXPECT_EQ(l, c.Length);
  }
  // Ends outside the text change nothing.
  EXPECT_FALSE(SetLinearSelection(V.get(), 2, 100, 2));
  EXPECT_FALSE(SetLinearSelection(V.get(), -3, 2, 2));
  int s = -1, l = -1;
  GetLinearSelection(V.get(), s, l, 2);
  EXPECT_EQ(s, 5);
  EXPECT_EQ(l, 0);

  // A saved selection comes back after the document is rebuilt from its text.
  SetLinearSelection(V.get(), 2, 5, 2);
  TRVLinearSelection saved;
  StoreLinearSelection(V.get(), saved, 2);
  EXPECT_FALSE(saved.MultiCell);
  V->Clear();
  AddTwoParas();
  V->Format();
  RestoreLinearSelection(V.get(), saved, 2);
  GetLinearSelection(V.get(), s, l, 2);
  EXPECT_EQ(s, 2);
  EXPECT_EQ(l, 5);
  EXPECT_EQ(Narrow(GetLinearText(V.get(), s, l, 2)), "c|/de");
  EXPECT_EQ(GetLinearTextLength(V.get(), 2), 9);
  EXPECT_EQ(GetLinearTextLength(V.get(), 0), 7);
}

TEST_F(ViewerLinearTest, GetTextCopiesWhatFitsWithATerminatingZero) {
  AddTwoParas();
  Show();
  struct Case {
    int TextMax;
    LRESULT Result;
    const char* Text;
  };
  for (const Case& c : {Case{5, 4, "abc|"}, Case{1, 0, ""}, Case{6, 5, "abc|/"}, Case{100, 9, "abc|/defg"}}) {
    SCOPED_TRACE(c.TextMax);
    std::array<WideChar, 120> buf;
    buf.fill(u'#');
    EXPECT_EQ(Send(WM_GETTEXT, c.TextMax, reinterpret_cast<LPARAM>(buf.data())), c.Result);
    EXPECT_EQ(Narrow(TRVUnicodeString(buf.data())), c.Text);
    EXPECT_EQ(buf[c.TextMax], u'#');  // nothing written past TextMax
  }
  std::array<WideChar, 4> buf;
  buf.fill(u'#');
  EXPECT_EQ(Send(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buf.data())), 0);
  EXPECT_EQ(buf[0], u'#');
  EXPECT_EQ(Send(WM_GETTEXTLENGTH, 0, 0), 9);
}

TEST_F(ViewerLinearTest, SetTextReplacesTheDocumentAndNilChangesNothing) {
  AddTwoParas();
  Show();
  EXPECT_EQ(Send(WM_SETTEXT, 0, 0), 0);
  EXPECT_EQ(V->GetItemCount(), 2);
  const TRVUnicodeString text = u"one\r\ntwo\r\nthree";
  EXPECT_EQ(Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())), 1);
  ASSERT_EQ(V->GetItemCount(), 3);
  EXPECT_EQ(V->GetItemTextW(2), u"three");
  EXPECT_TRUE(V->IsFromNewLine(2));
  EXPECT_GT(V->GetRVData()->DrawItems->Count(), 2);  // formatted
  EXPECT_EQ(Send(WM_GETTEXTLENGTH, 0, 0), 15);
}

TEST_F(ViewerLinearTest, WithoutTheFlagTheWindowTextIsTheCaption) {
  AddTwoParas();
  Show();
  V->SetText(u"Caption");
  V->Flags.Exclude(rvflCanProcessGetText);
  std::array<WideChar, 20> buf{};
  EXPECT_EQ(Send(WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data())), 7);
  EXPECT_EQ(TRVUnicodeString(buf.data()), u"Caption");
  EXPECT_EQ(Send(WM_GETTEXTLENGTH, 0, 0), 7);
  // The edit messages are still answered from the document.
  EXPECT_EQ(Send(EM_LINEINDEX, 1, 0), 5);
}

TEST_F(ViewerLinearTest, SetSelAndGetSel) {
  AddTwoParas();
  Show();
  Send(EM_SETSEL, 0, -1);  // everything
  EXPECT_EQ(Sel(), std::make_pair(0, 9));
  Send(EM_SETSEL, static_cast<WPARAM>(-1), 4);  // deselects
  EXPECT_EQ(Sel(), std::make_pair(0, 0));
  EXPECT_FALSE(V->GetRVData()->FSelStartNo >= 0 && V->GetRVData()->FSelEndNo >= 0 &&
               (V->GetRVData()->FSelStartNo != V->GetRVData()->FSelEndNo ||
                V->GetRVData()->FSelStartOffs != V->GetRVData()->FSelEndOffs));
  Send(EM_SETSEL, 7, 2);  // backwards: reported start <= end
  EXPECT_EQ(Sel(), std::make_pair(2, 7));
  const LRESULT r = Send(EM_GETSEL, 0, 0);  // nil pointers: only the result
  EXPECT_EQ(LoWord(static_cast<std::uintptr_t>(r)), 2);
  EXPECT_EQ(HiWord(static_cast<std::uintptr_t>(r)), 7);
}

TEST_F(ViewerLinearTest, TextRanges) {
  AddTwoParas();
  Show();
  struct Case {
    int Min, Max;
    const char* Text;
  };
  for (const Case& c : {Case{1, 6, "bc|/d"}, Case{0, -1, "abc|/defg"}, Case{6, -1, "efg"}, Case{3, 4, "|/"},
                        Case{4, 4, ""}, Case{6, 2, ""}, Case{-5, 2, "ab"}}) {
    SCOPED_TRACE(testing::Message() << c.Min << ".." << c.Max);
    std::array<WideChar, 40> buf;
    buf.fill(u'#');
    TTextRange range;
    range.chrg.cpMin = c.Min;
    range.chrg.cpMax = c.Max;
    range.lpstrText = buf.data();
    const LRESULT n = Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(Narrow(TRVUnicodeString(buf.data())), c.Text);
    EXPECT_EQ(n, static_cast<LRESULT>(std::char_traits<WideChar>::length(buf.data())));
  }
  TTextRange noBuffer;
  noBuffer.chrg.cpMax = -1;
  EXPECT_EQ(Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&noBuffer)), 0);
  EXPECT_EQ(Send(EM_GETTEXTRANGE, 0, 0), 0);
}

// "abc" / a paragraph wrapped over lines / "z": line numbers, line starts and lengths.
TEST_F(ViewerLinearTest, LinesOfAWrappedDocument) {
  V->SetBounds(0, 0, 120, 300);  // ten characters a line
  V->SetVScrollVisible(false);
  V->AddNL(u"abc", 0, 0);
  V->AddNL(u"aaaa bbbb cccc", 0, 0);  // "aaaa bbbb" / "cccc": the space at the wrap is in no line
  V->AddNL(u"z", 0, 0);
  Show();
  ASSERT_EQ(V->GetRVData()->GetLineCount(-1, false), 4);
  // Linear: abc(0..2) CRLF(3,4) "aaaa bbbb "(5..14) "cccc"(15..18) CRLF(19,20) z(21)
  struct Line {
    WPARAM Index;
    LRESULT LineNo, LineStart, LineLength;
  };
  for (const Line& c : {Line{0, 0, 0, 3}, Line{6, 1, 5, 9}, Line{16, 2, 15, 4}, Line{21, 3, 21, 1},
                        Line{200, 3, 21, 1}}) {
    SCOPED_TRACE(c.Index);
    EXPECT_EQ(Send(EM_LINEFROMCHAR, c.Index, 0), c.LineNo);
    EXPECT_EQ(Send(EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(c.Index)), c.LineNo);
    EXPECT_EQ(Send(EM_LINEINDEX, static_cast<WPARAM>(c.LineNo), 0), c.LineStart);
    if (c.Index < 100) {
      EXPECT_EQ(Send(EM_LINELENGTH, c.Index, 0), c.LineLength);
    }
  }
  EXPECT_EQ(Send(EM_LINEINDEX, 4, 0), -1);  // no such line
  // Negative arguments: the selection's lines. "bb" of the wrapped paragraph selected: its line
  // shows 9 characters, 2 of them selected.
  Send(EM_SETSEL, 10, 12);
  EXPECT_EQ(Send(EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), 1);
  EXPECT_EQ(Send(EM_LINEINDEX, static_cast<WPARAM>(-1), 0), 5);
  EXPECT_EQ(Send(EM_LINELENGTH, static_cast<WPARAM>(-1), 0), 7);
  // Across items: "c" of "abc" to "aa": lines 0 and 1 show 12 characters; 1 + 2 selected.
  Send(EM_SETSEL, 2, 7);
  EXPECT_EQ(Send(EM_LINELENGTH, static_cast<WPARAM>(-1), 0), 9);
}

TEST_F(ViewerLinearTest, EveryEditMessageOnAnEmptyDocumentAnswersZero) {
  Show();
  int a = -1, b = -1;
  EXPECT_EQ(Send(EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b)), 0);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(Send(EM_SETSEL, 0, -1), 0);
  EXPECT_EQ(Send(EM_SETSEL, 2, 5), 0);
  std::array<WideChar, 4> buf;
  buf.fill(u'#');
  TTextRange range;
  range.chrg.cpMax = -1;
  range.lpstrText = buf.data();
  EXPECT_EQ(Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)), 0);
  EXPECT_EQ(buf[0], 0);
  for (WPARAM w : {WPARAM{0}, WPARAM{3}, static_cast<WPARAM>(-1)}) {
    EXPECT_EQ(Send(EM_LINEFROMCHAR, w, 0), 0);
    EXPECT_EQ(Send(EM_EXLINEFROMCHAR, 0, static_cast<LPARAM>(w)), 0);
    EXPECT_EQ(Send(EM_LINEINDEX, w, 0), 0);
    EXPECT_EQ(Send(EM_LINELENGTH, w, 0), 0);
  }
  EXPECT_EQ(Send(WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buf.data())), 0);
  EXPECT_EQ(Send(WM_GETTEXTLENGTH, 0, 0), 0);
}

}  // namespace
