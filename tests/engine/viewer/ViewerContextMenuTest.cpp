// The viewer's context menu: a right click raises OnContextPopup at the (adjusted) point and,
// unless handled, shows the popup menu there; the context-menu key does the same at the client
// corner; a handler that frees the viewer stops the rest.
#include <gtest/gtest.h>

#include <string>

#include "engine/foundation/RVFixedGrIn.h"
#include "engine/styles/RVStyle.h"
#include "engine/viewer/RVViroZere.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Menus.h"

namespace {

struct ShiftedViewer : TViroZere {
  using TViroZere::TViroZere;
  void AdjustPopupMenuPos(TPoint& P) override { P.X += 3; }
};

struct ViewerContextMenu : ::testing::Test {
  TRVStyle Sheet{nullptr};
  ShiftedViewer* V = nullptr;
  TPopupMenu Menu{nullptr};
  std::string Log;
  TPoint ShownAt{-100, -100};

  void SetUp() override {
    Sheet.SetGraphicInterface(std::make_unique<TRVFixedGraphicInterface>(10, 8, 2));
    V = new ShiftedViewer(nullptr);
    V->SetBounds(0, 0, 400, 300);
    V->SetStyle(&Sheet);
    V->HandleNeeded();
    V->SetPopupMenu(&Menu);
    TPopupMenu::ShowHook = [this](TPopupMenu& M, TPoint P) {
      EXPECT_EQ(M.GetPopupComponent(), V);
      Log += "show;";
      ShownAt = P;
      return -1;
    };
  }
  void TearDown() override {
    TPopupMenu::ShowHook = nullptr;
    delete V;
  }
  void RightClick(int X, int Y) {
    V->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MakeLParam(X, Y));
    V->Perform(WM_RBUTTONUP, 0, MakeLParam(X, Y));
  }
  TPoint Screen(TPoint P) {
    ::ClientToScreen(V->GetHandle(), &P);
    return P;
  }
};

TEST_F(ViewerContextMenu, RightClickRaisesTheEventThenShowsTheMenuUnlessHandled) {
  for (bool handle : {false, true}) {
    Log.clear();
    V->OnContextPopup = [&](TObject*, TPoint P, bool& Handled) {
      EXPECT_EQ(P, TPoint(33, 40));
      Log += "event;";
      Handled = handle;
    };
    RightClick(30, 40);
    EXPECT_EQ(Log, handle ? "event;" : "event;show;");
    if (!handle) {
      EXPECT_EQ(ShownAt, Screen(TPoint(33, 40)));
    }
  }
  Log.clear();
  V->OnContextPopup = nullptr;
  Menu.SetAutoPopup(false);
  RightClick(30, 40);
  EXPECT_EQ(Log, "");
}

TEST_F(ViewerContextMenu, ContextMenuKeyOpensAtTheClientCorner) {
  V->OnContextPopup = [&](TObject*, TPoint P, bool&) {
    EXPECT_EQ(P, TPoint(-1, -1));
    Log += "event;";
  };
  V->Perform(WM_CONTEXTMENU, 0, MakeLParam(-1, -1));
  EXPECT_EQ(Log, "event;show;");
  EXPECT_EQ(ShownAt, Screen(TPoint(0, 0)));
}

TEST_F(ViewerContextMenu, AHandlerThatFreesTheViewerStopsTheRest) {
  V->OnContextPopup = [&](TObject*, TPoint, bool&) {
    // The captures live in the viewer: read them before it goes.
    ShiftedViewer* v = V;
    V = nullptr;
    delete v;
  };
  RightClick(30, 40);
  EXPECT_EQ(Log, "");
  V = new ShiftedViewer(nullptr);
  V->SetStyle(&Sheet);
  V->SetPopupMenu(&Menu);
  V->OnContextPopup = [&](TObject*, TPoint, bool&) {
    // The captures live in the viewer: read them before it goes.
    ShiftedViewer* v = V;
    V = nullptr;
    delete v;
  };
  V->Perform(WM_CONTEXTMENU, 0, MakeLParam(-1, -1));
  EXPECT_EQ(Log, "");
}

}  // namespace
