// The main of every test program: the application object is made here, on the main thread,
// before any test runs, and the libraries the program links are registered in their order, as
// the program's own main does. The build names those libraries (TAVRELO_LINKS_<library>).
#include <gtest/gtest.h>

#include "platform/ui/GuiSession.h"
#ifdef TAVRELO_LINKS_platform_graphics
#include "platform/graphics/Pictures.h"
#endif
#ifdef TAVRELO_LINKS_engine_foundation
#include "engine/foundation/RVStartUp.h"
#endif
#ifdef TAVRELO_LINKS_engine_styles
#include "engine/styles/RVStyleDraw.h"
#endif
#ifdef TAVRELO_LINKS_engine_document
#include "engine/document/RVItem.h"
#endif
#ifdef TAVRELO_LINKS_engine_layout
#include "engine/layout/RVAnimate.h"
#endif
#ifdef TAVRELO_LINKS_engine_tables
#include "engine/tables/RVTableStartUp.h"
#endif
#ifdef TAVRELO_LINKS_spelling
#include "spelling/RVHunSpell.h"
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  TGuiSession session(argc, argv);
#ifdef TAVRELO_LINKS_platform_graphics
  RegisterPictureClasses();
#endif
#ifdef TAVRELO_LINKS_engine_foundation
  RegisterFoundation();
#endif
#ifdef TAVRELO_LINKS_engine_styles
  RegisterStyles();
#endif
#ifdef TAVRELO_LINKS_engine_document
  RegisterBuiltInItemTypes();
#endif
#ifdef TAVRELO_LINKS_engine_layout
  RegisterAnimators();
#endif
#ifdef TAVRELO_LINKS_engine_tables
  RegisterTables();
#endif
#ifdef TAVRELO_LINKS_spelling
  RegisterSpelling();
#endif
  return RUN_ALL_TESTS();
}
