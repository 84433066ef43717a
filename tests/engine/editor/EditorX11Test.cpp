// The editor in a real window under an X server: the window system's own key events (sent by
// xdotool) type, break and join paragraphs, undo and redo; after every step the document read back
// through the engine is the expected one, and the screen shows what an editor holding that
// document paints. CTest runs these through xvfb-run as test_engine_editor_x11; elsewhere they
// are skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "engine/editor/EditorX11Fixture.h"
#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/RVStyle.h"
#include "platform/base/SysUtils.h"
#include "platform/ui/GuiSession.h"
#include "support/GdiFixture.h"
#include "support/X11TestUtil.h"

namespace editor_x11_test {

inline const bool ScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

using x11_test_util::RunCommand;
using x11_test_util::ShowFocused;
using x11_test_util::WaitUntil;

// The document's paragraphs joined by "|".
std::string Text(TCustomViroZereEdit& E) {
  TRVEditRVData* D = E.GetEditRVData();
  std::string s;
  for (int i = 0; i < D->ItemCount(); ++i) {
    if (i && D->IsParaStart(i)) s += '|';
    for (char16_t c : D->GetItemTextW(i)) s += static_cast<char>(c);
  }
  return s;
}

struct EditorX11 : EditorWindowX11 {
  // An editor window with Lines paragraphs (none: an empty document), focused.
  void Open(int Lines) {
    NewEditor(40, 40);
    for (int i = 0; i < Lines; ++i) Editor->GetRVData()->AddNL(u"Line " + IntToStr(i), 0, 0);
    Editor->HandleNeeded();
    Editor->Format();
    ASSERT_TRUE(ShowFocused(*Editor)) << "the window did not get the keyboard";
  }

  // Pixels of the client area that differ between the screen and what an editor holding Expected
  // paints at the same scroll position; the caret, which only the screen shows, is allowed for.
  int WrongPixels(const std::string& Expected) {
    TViroZereEdit Reference(nullptr);
    Reference.SetStyle(&Sheet);
    Reference.SetBounds(0, 0, 400, 300);
    std::string Para;
    auto Flush = [&] {
      UnicodeString u;
      for (char c : Para) u += static_cast<char16_t>(c);
      Reference.GetRVData()->AddNL(u, 0, 0);
      Para.clear();
    };
    for (char c : Expected) {
      if (c == '|')
        Flush();
      else
        Para += c;
    }
    Flush();
    Reference.HandleNeeded();
    Reference.Format();
    Reference.SetVScrollPos(Editor->GetVScrollPos());
    const int w = Editor->GetClientWidth(), h = Editor->GetClientHeight();
    TSurface Painted(w, h), Screen(w, h);
    Reference.PaintTo(Painted.DC, 0, 0);
    TPoint Origin(0, 0);
    ClientToScreen(Editor->GetHandle(), &Origin);
    if (!CopyScreenRect(Origin.X, Origin.Y, w, h, Screen.DC)) return -1;
    int Wrong = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (Painted.At(x, y) != Screen.At(x, y)) ++Wrong;
    return Wrong;
  }

  // Sends the keys and checks the document, then (after a repaint) the screen.
  void Step(const std::string& Keys, const std::string& Expected) {
    SCOPED_TRACE(Keys);
    ASSERT_TRUE(RunCommand("xdotool " + Keys));
    EXPECT_TRUE(WaitUntil([&] { return Text(*Editor) == Expected; })) << Text(*Editor);
    Editor->Invalidate();
    ProcessMessages(50);
    // A caret is at most two pixels wide and a line high.
    const int CaretPixels = 2 * 12;
    int Wrong = -1;
    EXPECT_TRUE(WaitUntil([&] { return (Wrong = WrongPixels(Expected)) >= 0 && Wrong <= CaretPixels; }))
        << Wrong << " pixels differ";
  }
};

// Typing, Enter, Backspace, undo and redo in an empty document: "abc" is typed, a paragraph is
// started and joined again; undo and redo go back and forth by one step each, and undo goes on to
// the empty document (one character at a time for the typing).
TEST_F(EditorX11, TypingEnterBackspaceUndoAndRedo) {
  Open(0);
  struct {
    const char* Keys;
    const char* Expected;
  } const Steps[] = {
      {"type --delay 30 abc", "abc"},
      {"key Return", "abc|"},
      {"key BackSpace", "abc"},
      {"key ctrl+z", "abc|"},
      {"key ctrl+shift+z", "abc"},
      {"key ctrl+z", "abc|"},
      {"key ctrl+z", "abc"},
      {"key ctrl+z", "ab"},
      {"key ctrl+z", "a"},
      {"key ctrl+z", ""},
      {"key ctrl+shift+z", "a"},
  };
  for (const auto& s : Steps) Step(s.Keys, s.Expected);
}

// The same at the end of a long document: the view follows the caret there, and what is typed
// is painted where the document ends.
TEST_F(EditorX11, TypingAtTheEndOfALongDocument) {
  Open(300);
  std::string Doc;
  for (int i = 0; i < 300; ++i) Doc += (i ? "|Line " : "Line ") + std::to_string(i);
  Step("key ctrl+End", Doc);
  EXPECT_GT(Editor->GetVScrollPos(), 0);
  Step("type --delay 30 abc", Doc + "abc");
  Step("key Return", Doc + "abc|");
  Step("key BackSpace", Doc + "abc");
  Step("key ctrl+z", Doc + "abc|");
  Step("key ctrl+shift+z", Doc + "abc");
  EXPECT_EQ(Editor->GetVScrollPos(), Editor->GetVScrollMax());
}

}  // namespace editor_x11_test
