// Selecting with the window system's own mouse events under an X server (xdotool through the X
// test extension): a drag between two words with word snapping, a triple click and Shift+click.
// CTest runs it through xvfb-run as part of test_engine_viewer_x11; elsewhere it is skipped.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/foundation/RVFuncs.h"
#include "engine/styles/FontInfo.h"
#include "engine/styles/ParaInfo.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/ui/Controls.h"
#include "platform/ui/GuiSession.h"
#include "support/X11TestUtil.h"

namespace {

inline const bool X11InputScreenResolutionFixed = (ScreenPixelsPerInchOverride = 96, true);

using x11_test_util::RunCommand;
using x11_test_util::WaitUntil;

std::string SelectedText(TViroZereRVData& D) {
  int si, so, ei, eo;
  D.GetSelectionBoundsEx(si, so, ei, eo, true);
  if (si < 0) return "<none>";
  std::string s;
  for (int i = si; i <= ei; ++i) {
    if (i > si && D.IsParaStart(i)) s += "|";
    const TRVUnicodeString& t = D.GetItemTextW(i);
    const int from = i == si ? so : 1, to = i == ei ? eo : static_cast<int>(t.size()) + 1;
    for (int k = from; k < to && k <= static_cast<int>(t.size()); ++k) s += static_cast<char>(t[k - 1]);
  }
  return s;
}

TEST(ViewerInputX11, RealMouseSelectsWordsParagraphsAndExtends) {
  if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_engine_viewer_x11)";
  ASSERT_TRUE(RunCommand("command -v xdotool")) << "xdotool is missing: scripts/setup.sh installs it";
  TRVStyle sheet{nullptr};
  sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
  for (int i = 0; i < sheet.ParaStyles()->Count(); ++i) sheet.ParaStyles()->Items(i)->Alignment = rvaLeft;
  TViroZere v(nullptr);
  v.SetName(u"rvx");
  v.SetBorderStyle(bsNone);
  v.SetBounds(60, 60, 400, 200);
  v.SetStyle(&sheet);
  v.GetRVData()->AddNL(u"alpha beta gamma delta", 0, 0);
  v.GetRVData()->AddNL(u"another paragraph", 0, 0);
  v.HandleNeeded();
  v.Format();
  ShowWindow(v.GetHandle(), SW_SHOW);
  SetForegroundWindow(v.GetHandle());
  ProcessMessages(100);
  // Characters are 10 pixels wide from x = 5; the first line's middle is at y = 10.
  auto at = [&](int Char, int Line) {
    TPoint p(5 + Char * 10 + 3, 10 + Line * 10);
    ClientToScreen(v.GetHandle(), &p);
    return std::to_string(p.X) + " " + std::to_string(p.Y);
  };
  // A drag from inside "alpha" to inside "gamma".
  ASSERT_TRUE(RunCommand("xdotool mousemove " + at(2, 0) + " mousedown 1 mousemove " + at(6, 0) + " mousemove " +
                  at(13, 0) + " mouseup 1"));
  EXPECT_TRUE(WaitUntil([&] { return SelectedText(*v.GetRVData()) == "alpha beta gamma"; }))
      << SelectedText(*v.GetRVData());
  EXPECT_EQ(v.GetRVData()->GetSelTextW(), u"alpha beta gamma");
  // Shift+click at "delta" extends from the anchor in "alpha" (to whole words).
  ASSERT_TRUE(RunCommand("xdotool mousemove " + at(1, 1) + " click 1"));
  ProcessMessages(GetDoubleClickTime() + 50);
  ASSERT_TRUE(RunCommand("xdotool mousemove " + at(2, 0) + " click 1"));
  ProcessMessages(GetDoubleClickTime() + 50);
  ASSERT_TRUE(RunCommand("xdotool mousemove " + at(19, 0) + " keydown shift click 1 keyup shift"));
  EXPECT_TRUE(WaitUntil([&] { return SelectedText(*v.GetRVData()) == "alpha beta gamma delta"; }))
      << SelectedText(*v.GetRVData());
  ProcessMessages(GetDoubleClickTime() + 50);
  // A triple click selects the paragraph.
  ASSERT_TRUE(RunCommand("xdotool mousemove " + at(3, 1) + " click --repeat 3 --delay 60 1"));
  EXPECT_TRUE(WaitUntil([&] { return SelectedText(*v.GetRVData()) == "another paragraph"; }))
      << SelectedText(*v.GetRVData());
  ShowWindow(v.GetHandle(), SW_HIDE);
}

}  // namespace
