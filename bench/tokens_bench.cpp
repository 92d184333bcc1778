// tokens_bench.cpp - the cost of reading a line's tokens: scanning its text, as on a line's
// first pass, against replaying its recording, as on every pass after the second.
#include <benchmark/benchmark.h>

#include <vector>

#include "frontend/symbolizer.h"

namespace {

constexpr char line[] = "p.x = p.x + p.y % 5 * 2.5 - \"text\" // a comment after the statement";

// Takes every token up to the end, as the statement loop and the evaluator together do.
int drain(vesk::symbolizer& tokens) {
  vesk::token t;
  int count = 0;
  while (tokens.nexttoken(t) != vesk::endtoken) ++count;
  return count;
}

void scanline(benchmark::State& state) {
  for (auto _ : state) {
    vesk::symbolizer tokens(line, vesk::standardoptions);
    benchmark::DoNotOptimize(drain(tokens));
  }
}
BENCHMARK(scanline);

void replayline(benchmark::State& state) {
  std::vector<unsigned char> recording(vesk::symbolizer::recordsize(line, vesk::standardoptions));
  vesk::symbolizer::record(line, vesk::standardoptions, recording.data());
  for (auto _ : state) {
    vesk::symbolizer tokens(recording.data());
    benchmark::DoNotOptimize(drain(tokens));
  }
}
BENCHMARK(replayline);

} // namespace
