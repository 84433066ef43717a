// The main of every test program: the application object is made here, on the main thread,
// before any test runs, as the program's own main does.
#include <gtest/gtest.h>

#include "platform/ui/GuiSession.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  TGuiSession session(argc, argv);
  return RUN_ALL_TESTS();
}
