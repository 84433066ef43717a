// The main of every benchmark program: like the program's own main, it makes the application
// object on the main thread before anything runs, so the toolkit peers can use fonts and painters,
// and registers what the libraries register.
#include <benchmark/benchmark.h>

#include "engine/document/RVItem.h"
#include "engine/foundation/RVStartUp.h"
#include "engine/layout/RVAnimate.h"
#include "engine/styles/RVStyleDraw.h"
#include "engine/tables/RVTableStartUp.h"
#include "platform/graphics/Pictures.h"
#include "platform/ui/GuiSession.h"

int main(int argc, char** argv) {
  TGuiSession session(argc, argv);
  // Each library's start-up, from the bottom up, as the program's main does.
  RegisterPictureClasses();
  RegisterFoundation();
  RegisterStyles();
  RegisterBuiltInItemTypes();
  RegisterAnimators();
  RegisterTables();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
