// Popup menus: OnPopup before the showing, the chosen item's handler after it, and a menu freed
// by its own handlers.
#include <gtest/gtest.h>

#include <string>

#include "platform/base/SysUtils.h"
#include "platform/ui/Menus.h"

namespace {

// Records every showing and answers a fixed choice; restores the real showing afterwards.
struct PopupMenus : ::testing::Test {
  std::string Log;
  int Choice = -1;
  TPoint ShownAt{-100, -100};
  void SetUp() override {
    TPopupMenu::ShowHook = [this](TPopupMenu&, TPoint P) {
      Log += "show;";
      ShownAt = P;
      return Choice;
    };
  }
  void TearDown() override { TPopupMenu::ShowHook = nullptr; }
};

TEST_F(PopupMenus, OnPopupRunsFirstThenTheChosenEnabledItem) {
  struct Case { int Choice; const char* Expected; };
  for (const Case& c : {Case{0, "popup;show;copy;"}, Case{2, "popup;show;"}, Case{1, "popup;show;"},
                        Case{-1, "popup;show;"}, Case{99, "popup;show;"}, Case{3, "popup;show;late;"}}) {
    TPopupMenu m(nullptr);
    m.OnPopup = [&](TObject* s) {
      EXPECT_EQ(s, &m);
      Log += "popup;";
      // Items added by OnPopup are offered in the same showing.
      m.Add(u"Late", [&](TObject*) { Log += "late;"; });
    };
    m.Add(u"Copy", [&](TObject*) { Log += "copy;"; });
    m.Add(u"-");
    m.Add(u"Off", [&](TObject*) { Log += "off;"; }).Enabled = false;
    Log.clear();
    Choice = c.Choice;
    m.Popup(12, 34);
    EXPECT_EQ(Log, c.Expected) << c.Choice;
    EXPECT_EQ(ShownAt, TPoint(12, 34));
    EXPECT_EQ(m.GetPopupPoint(), TPoint(12, 34));
    EXPECT_THROW(m.Items(m.Count()), EListError);
    EXPECT_THROW(m.Items(-1), EListError);
  }
}

TEST_F(PopupMenus, AMenuFreedByItsHandlersStopsQuietly) {
  auto* m = new TPopupMenu(nullptr);
  m->OnPopup = [&](TObject*) { delete m; };
  m->Popup(0, 0);
  EXPECT_EQ(Log, "");  // not shown

  m = new TPopupMenu(nullptr);
  m->Add(u"Close", [&](TObject*) {
    delete m;
    Log += "closed;";
  });
  Choice = 0;
  m->Popup(0, 0);
  EXPECT_EQ(Log, "show;closed;");
}

}  // namespace
