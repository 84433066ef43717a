// Drag and drop and input methods of the editor in a real window under an X server: the pointer
// (moved by xdotool) drags the selection inside the editor, a drag of plain MIME data (as another
// program offers it) is dropped on it, and the window's input-method events commit text. CTest runs
// these through xvfb-run as test_engine_editor_x11; elsewhere they are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "engine/editor/EditorX11Fixture.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/Controls.h"
#include "platform/ui/DragDrop.h"
#include "platform/ui/GuiSession.h"
#include "platform/ui/Imm.h"
#include "support/X11TestUtil.h"

namespace dragdrop_x11_test {

inline const bool ScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

using x11_test_util::RunCommand;
using x11_test_util::ShowFocused;
using x11_test_util::WaitUntil;

struct DragDropX11 : EditorWindowX11 {
  void SetUp() override {
    EditorWindowX11::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    NewEditor(60, 60);
    Editor->GetRVData()->AddNL(u"hello world", 0, 0);
    Editor->GetRVData()->AddNL(u"second", 0, 0);
    Editor->HandleNeeded();
    Editor->Format();
    ASSERT_TRUE(ShowFocused(*Editor, 5)) << "the window did not get the keyboard";
  }
  void TearDown() override {
    RunCommand("xdotool mouseup 1 keyup ctrl");
    EditorWindowX11::TearDown();
  }

  std::string Text() const {
    TRVEditRVData* D = Editor->GetEditRVData();
    std::string s;
    for (int i = 0; i < D->ItemCount(); ++i) {
      if (i && D->IsParaStart(i)) s += '|';
      for (char16_t c : D->GetItemTextW(i)) s += static_cast<char>(c);
    }
    return s;
  }
  // The screen point before the character at Offs of the item, in the middle of its line.
  TPoint ScreenAt(int ItemNo, int Offs) const {
    TRVEditRVData* D = Editor->GetEditRVData();
    int x, top, bottom;
    D->GetCoordsOf(ItemNo, Offs, x, top, bottom);
    TPoint p(x - D->GetHOffs() + 2, (top + bottom) / 2 - D->GetVOffs());
    ClientToScreen(Editor->GetHandle(), &p);
    return p;
  }
  static std::string At(TPoint P) { return std::to_string(P.X) + " " + std::to_string(P.Y); }
};

// The pointer presses inside the selection, moves past the drag threshold and releases over the
// second paragraph: the selection moves there, and one undo restores both places. With Ctrl held
// the selection is copied.
TEST_F(DragDropX11, DraggingTheSelectionMovesItAndWithCtrlCopiesIt) {
  TRVEditRVData* D = Editor->GetEditRVData();
  D->SetSelectionBounds(0, 1, 0, 7);  // "hello "
  const TPoint from = ScreenAt(0, 3), to = ScreenAt(1, 4);
  // The drag loop runs inside the editor's message handling; the pointer moves meanwhile.
  ASSERT_TRUE(RunCommand("xdotool mousemove " + At(from) + " sleep 0.2 mousedown 1 sleep 0.2 mousemove " +
                         At(TPoint(from.X + 8, from.Y + 2)) + " sleep 0.3 mousemove " + At(to) +
                         " sleep 0.3 mousemove " + At(TPoint(to.X + 1, to.Y)) + " sleep 0.3 mouseup 1 &"));
  EXPECT_TRUE(WaitUntil([&] { return Text() == "world|sechello ond"; }, 5)) << Text();
  ProcessMessages(100);
  Editor->Undo();
  EXPECT_EQ(Text(), "hello world|second");

  D->SetSelectionBounds(0, 7, 0, 12);  // "world"
  const TPoint from2 = ScreenAt(0, 9), to2 = ScreenAt(1, 1);
  ASSERT_TRUE(RunCommand("xdotool mousemove " + At(from2) + " sleep 0.2 mousedown 1 sleep 0.2 mousemove " +
                         At(TPoint(from2.X + 8, from2.Y + 2)) + " sleep 0.3 keydown ctrl mousemove " + At(to2) +
                         " sleep 0.3 mousemove " + At(TPoint(to2.X + 1, to2.Y)) +
                         " sleep 0.3 mouseup 1 sleep 0.1 keyup ctrl &"));
  EXPECT_TRUE(WaitUntil([&] { return Text() == "hello world|worldsecond"; }, 5)) << Text();
}

// A drag of plain MIME data, the form every other program's drag takes, dropped on the editor:
// text/plain and a text/uri-list of a file insert at the drop point.
TEST_F(DragDropX11, DropsOfAnotherProgramsDataInsertAtTheDropPoint) {
  TWinControl Source(nullptr);
  Source.SetBounds(520, 60, 80, 80);
  Source.HandleNeeded();
  ShowWindow(Source.GetHandle(), SW_SHOW);
  ProcessMessages(100);
  TPoint src(40, 40);
  ClientToScreen(Source.GetHandle(), &src);
  const std::string file = std::string(TAVRELO_TEST_OUTPUT) + "/x11_drop.txt";
  std::ofstream(file, std::ios::binary) << "from file ";
  struct Case {
    std::vector<std::pair<std::string, std::string>> Mime;
    int ItemNo, Offs;
    const char* Expected;
  } const cases[] = {
      {{{"text/plain", "plain "}}, 1, 1, "hello world|plain second"},
      {{{"text/uri-list", "file://" + file + "\r\n"}}, 0, 1, "from file hello world|plain second"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Expected);
    const TPoint to = ScreenAt(c.ItemNo, c.Offs);
    ASSERT_TRUE(RunCommand("xdotool mousemove " + At(src) + " mousedown 1"));
    ProcessMessages(100);
    ASSERT_TRUE(RunCommand("xdotool sleep 0.3 mousemove " + At(TPoint(src.X - 20, src.Y - 20)) + " sleep 0.2 mousemove " +
                           At(to) + " sleep 0.3 mousemove " + At(TPoint(to.X + 1, to.Y)) +
                           " sleep 0.3 mouseup 1 &"));
    // The effect the toolkit's drag reports back is not checked: between windows it comes from the
    // window system's drop protocol after the drop was handled.
    DoMimeDragDrop(Source.GetHandle(), c.Mime, DROPEFFECT_COPY);
    EXPECT_TRUE(WaitUntil([&] { return Text() == c.Expected; }, 5)) << Text();
  }
  std::remove(file.c_str());
}

// An input-method commit sent to the window is one undo step.
TEST_F(DragDropX11, AnInputMethodCommitIsOneUndoStep) {
  Editor->GetEditRVData()->SetSelectionBounds(1, 7, 1, 7);
  SendInputMethodEvent(Editor->GetHandle(), u"にほんご", u"");
  EXPECT_EQ(ShownComposition(Editor->GetHandle(), nullptr), u"にほんご");
  SendInputMethodEvent(Editor->GetHandle(), u"", u"日本語");
  EXPECT_EQ(Editor->GetEditRVData()->GetItemTextW(1), u"second日本語");
  Editor->Undo();
  EXPECT_EQ(Text(), "hello world|second");
  EXPECT_EQ(Editor->UndoAction(), rvutNone);
}

}  // namespace dragdrop_x11_test
