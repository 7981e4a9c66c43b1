// The main of the geometry's benchmarks: the geometry's hooks, then the benchmarks
// asked for on the command line. (The benchmarks of the whole program start it
// through its own start-up and bring their own main.)

#include <benchmark/benchmark.h>

#include "files/GeometryHooks.h"

int main(int argc, char** argv) {
  corvia::InstallGeometryHooks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
