#include <gtest/gtest.h>

#include <string>

#include "engine/foundation/RVEventHandlerList.h"

namespace {

struct EventHandlerListTest : ::testing::Test {
  TComponent A{nullptr}, B{nullptr}, C{nullptr};
  TRVEventHandlerList List;
  std::string Log;
  TObject Sender;

  TNotifyEvent Logger(char tag) {
    return [this, tag](TObject* sender) {
      EXPECT_EQ(sender, &Sender);
      Log += tag;
    };
  }
};

}  // namespace

TEST_F(EventHandlerListTest, CallsLastRegisteredFirstAndReplacingKeepsThePlace) {
  List.RegisterHandler(&A, Logger('a'));
  List.RegisterHandler(&B, Logger('b'));
  List.RegisterHandler(&A, Logger('A'));  // replaces A's method, A stays first
  ASSERT_EQ(List.Count(), 2);
  EXPECT_EQ(List.Find(&A), 0);
  EXPECT_EQ(List.Find(&B), 1);
  EXPECT_EQ(List.Find(&C), -1);
  List.Execute(&Sender);
  EXPECT_EQ(Log, "bA");
}

TEST_F(EventHandlerListTest, UnregisterRemovesOnlyThatComponent) {
  List.Execute(&Sender);  // empty list: nothing
  List.UnregisterHandler(&A);  // not registered: nothing
  for (auto* c : {&A, &B, &C}) List.RegisterHandler(c, Logger(c == &A ? 'a' : c == &B ? 'b' : 'c'));
  List.UnregisterHandler(&B);
  List.UnregisterHandler(&B);
  ASSERT_EQ(List.Count(), 2);
  EXPECT_EQ(List.GetItem(0)->Component, &A);
  EXPECT_EQ(List.GetItem(1)->Component, &C);
  List.Execute(&Sender);
  EXPECT_EQ(Log, "ca");
}

// Handlers that change the list while it runs: each remaining component is called once.
TEST_F(EventHandlerListTest, SurvivesHandlersChangingTheList) {
  struct Case {
    const char* name;
    char actor;       // whose handler changes the list
    char removes;     // the component it unregisters ('-' for none)
    bool addsC;       // it also registers C
    const char* first, *second;  // logs of two executions
  };
  const Case cases[] = {
      {"removes itself", 'b', 'b', false, "ba", "a"},
      {"removes itself, first called", 'a', 'a', false, "ba", "b"},
      {"removes one not yet called", 'b', 'a', false, "b", "b"},
      {"removes one already called", 'a', 'b', false, "ba", "a"},
      {"registers another", 'b', '-', true, "ba", "cba"},
  };
  for (const Case& tc : cases) {
    SCOPED_TRACE(tc.name);
    TRVEventHandlerList list;
    std::string log;
    TComponent* byTag[] = {&A, &B, &C};
    auto handler = [&](char tag) -> TNotifyEvent {
      return [&, tag](TObject*) {
        log += tag;
        if (tag != tc.actor) return;
        if (tc.removes != '-') list.UnregisterHandler(byTag[tc.removes - 'a']);
        if (tc.addsC) list.RegisterHandler(&C, [&](TObject*) { log += 'c'; });
      };
    };
    list.RegisterHandler(&A, handler('a'));
    list.RegisterHandler(&B, handler('b'));
    list.Execute(&Sender);
    EXPECT_EQ(log, tc.first);
    log.clear();
    list.Execute(&Sender);
    EXPECT_EQ(log, tc.second);
  }
}
