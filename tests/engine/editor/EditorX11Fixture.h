// The editor in a real window under an X server, driven by xdotool: skipped without an X server,
// a sheet of fixed-width characters on white, and an editor window on it hidden again after
// each test. CTest runs the X11 cases through xvfb-run as test_engine_editor_x11.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/editor/RVEdit.h"
#include "engine/foundation/RVFixedGrIn.h"
#include "engine/styles/RVStyle.h"
#include "platform/ui/GuiSession.h"
#include "support/X11TestUtil.h"

struct EditorWindowX11 : ::testing::Test {
  TRVStyle Sheet{nullptr};
  std::unique_ptr<TViroZereEdit> Editor;

  // A fixture deriving from this one goes on with its own set-up only when this one went through:
  // if (IsSkipped() || HasFatalFailure()) return;
  void SetUp() override {
    if (WindowSystemName() != "xcb") GTEST_SKIP() << "needs an X server (CTest entry test_engine_editor_x11)";
    ASSERT_TRUE(x11_test_util::RunCommand("command -v xdotool")) << "xdotool is missing: scripts/setup.sh installs it";
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    Sheet.Color = clWhite;
    Sheet.UseSound = false;
  }
  void TearDown() override {
    if (Editor && Editor->HandleAllocated()) ShowWindow(Editor->GetHandle(), SW_HIDE);
  }

  // A new editor window on Sheet, 400 x 300 at (Left, Top) of the screen, not shown yet.
  void NewEditor(int Left, int Top) {
    Editor = std::make_unique<TViroZereEdit>(nullptr);
    Editor->SetStyle(&Sheet);
    Editor->SetBounds(Left, Top, 400, 300);
  }
};
