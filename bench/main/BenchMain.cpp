// The main of every benchmark program: like the program's own main, it makes the application
// object on the main thread before anything runs, so the toolkit peers can use fonts and painters.
#include <benchmark/benchmark.h>

#include "platform/ui/GuiSession.h"

int main(int argc, char** argv) {
  TGuiSession session(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
