// calls_bench.cpp - the cost of calls and of name lookups: a script calling another script
// with a parameter, a built-in function call, reading variables and named-list members. The
// argument 1 runs with the engine's shortcuts, 0 without them, so their gain can be read off.
#include <benchmark/benchmark.h>

#include <vector>

#include "scratchfolder.h"
#include "fastpaths.h"
#include "vesk.h"

namespace {

constexpr int passes = 10000;

// Runs `lines` once per iteration with the shortcuts as the argument says; passes per item.
void runlines(benchmark::State& state, std::vector<char const*> lines, char const* folder) {
  vesk::setfastpaths(state.range(0) != 0);
  vesk::variables store;
  vesk::interpreter engine(&store, nullptr);
  engine.addinternalfuncs(nullptr);
  if (folder != nullptr) engine.setscriptpath(folder, nullptr);
  for (auto _ : state) engine.execute(lines.data(), static_cast<int>(lines.size()), "bench");
  state.SetItemsProcessed(state.iterations() * passes);
  vesk::setfastpaths(true);
  store.reset();
}

void scriptcall(benchmark::State& state) {
  vesktest::scratchfolder folder;
  folder.writefile("step.vk", "; adds its parameter to the total\ntotal = total + k\n");
  runlines(state, {"total = 0", "for i = 1 to 10000", "  step k = i", "next"},
           folder.root.c_str());
}
BENCHMARK(scriptcall)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void builtincall(benchmark::State& state) {
  runlines(state, {"total = 0", "for i = 1 to 10000", "  total = total + abs(i)", "next"},
           nullptr);
}
BENCHMARK(builtincall)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void variablereads(benchmark::State& state) {
  runlines(state, {"a = 1", "b = 2", "c = 0", "for i = 1 to 10000", "  c = a + b + c", "next"},
           nullptr);
}
BENCHMARK(variablereads)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void memberaccess(benchmark::State& state) {
  runlines(state, {"p = {x = 0, y = 1}", "for i = 1 to 10000", "  p.x = p.x + p.y", "next"},
           nullptr);
}
BENCHMARK(memberaccess)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
