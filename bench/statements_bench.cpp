// statements_bench.cpp - the cost of executing statements: a long run of `x = x + 1` lines in
// memory, a counting loop (also with a statement hook set), and evaluating an expression from
// the host.
#include <benchmark/benchmark.h>

#include <vector>

#include "vesk.h"

namespace {

void straightlines(benchmark::State& state) {
  std::vector<char const*> lines(static_cast<size_t>(state.range(0)), "x = x + 1");
  vesk::variables store;
  store.add(0.0, "x");
  vesk::interpreter engine(&store, nullptr);
  for (auto _ : state) engine.execute(lines.data(), static_cast<int>(lines.size()), "bench");
  state.SetItemsProcessed(state.iterations() * state.range(0));
  store.reset();
}
BENCHMARK(straightlines)->Arg(100000)->Unit(benchmark::kMillisecond);

void countingloop(benchmark::State& state) {
  char const* lines[] = {"for i = 1 to 100000", "x = x + i", "next"};
  vesk::variables store;
  store.add(0.0, "x");
  vesk::interpreter engine(&store, nullptr);
  for (auto _ : state) engine.execute(lines, 3, "bench");
  state.SetItemsProcessed(state.iterations() * 200000);
  store.reset();
}
BENCHMARK(countingloop)->Unit(benchmark::kMillisecond);

// The same loop with a statement hook that only counts: what a hook costs per statement.
bool countstatement(vesk::interpreter&, vesk::statementinfo const&, void* data) {
  ++*static_cast<long long*>(data);
  return true;
}

void countingloophooked(benchmark::State& state) {
  char const* lines[] = {"for i = 1 to 100000", "x = x + i", "next"};
  vesk::variables store;
  store.add(0.0, "x");
  vesk::interpreter engine(&store, nullptr);
  long long statements = 0;
  engine.sethook(countstatement, &statements);
  for (auto _ : state) engine.execute(lines, 3, "bench");
  state.SetItemsProcessed(statements);
  store.reset();
}
BENCHMARK(countingloophooked)->Unit(benchmark::kMillisecond);

void hostevaluate(benchmark::State& state) {
  vesk::variables store;
  store.add(2.0, "y");
  vesk::interpreter engine(&store, nullptr);
  for (auto _ : state) benchmark::DoNotOptimize(engine.evaluate("y * 3 + 1 < 10 && 1"));
  store.reset();
}
BENCHMARK(hostevaluate);

} // namespace
