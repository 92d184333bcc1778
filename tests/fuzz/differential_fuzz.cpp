// differential_fuzz.cpp - libFuzzer target: an input of scripts (as in lines_fuzz) run twice,
// with the engine's shortcuts and without them, must give the same result, the same log lines
// in the same order, the same store and the same parameters of the host. Left out of the
// comparison: inputs with parallel blocks (the two parts interleave differently from run to
// run), runs that ran out of memory (the shortcuts may succeed where the plain way needs more)
// and runs the time budget stopped; the clock built-ins are not offered.
#include <cstdint>
#include <cstring>
#include <string>

#include "fastpaths.h"
#include "fuzzing.h"
#include "hostrun.h"
#include "scriptfiles.h"
#include "storeheap.h"
#include "vesk.h"

namespace {

// A quarter of the usual bounds: without the shortcuts, `l = l + {x}` copies the list whole on
// every pass, so a run's cost grows with the square of the statements.
constexpr long long statementlimit = fuzzing::statementlimit / 4;
constexpr unsigned long long storelimit = fuzzing::storelimit / 4;

std::string* captured = nullptr; // the log of the run in progress

void capture(int level, char const* text) {
  fuzzing::sink(level, text);
  (*captured += static_cast<char>('0' + level)) += text ? text : "<null>";
  *captured += '\n';
}

// Those that read the clock give different answers to the two runs; the rest as in lines_fuzz.
bool heldback(char const* name) {
  static char const* const clock[] = {"year", "month",  "day",    "date",
                                      "hour", "minute", "second", "time"};
  for (char const* c : clock)
    if (strcmp(c, name) == 0) return true;
  return fuzzing::touchesfiles(name);
}

struct comparison {
  fuzzing::outcome run;
  bool refused = false; // ran out of the memory it may have
  std::string log;
};

comparison runonce(fuzzing::scriptfiles& scripts, bool fast) {
  comparison result;
  captured = &result.log;
  vesk::setfastpaths(fast);
  unsigned long long refusals = vesk::storeheaprefusals();
  result.run = fuzzing::run(scripts, {capture, heldback, statementlimit});
  result.refused = vesk::storeheaprefusals() != refusals;
  captured = nullptr;
  return result;
}

bool comparable(std::uint8_t const* data, std::size_t size, comparison const& a,
                comparison const& b) {
  std::string const all(reinterpret_cast<char const*>(data), size);
  if (all.find("parallel") != std::string::npos) return false;
  return !a.refused && !b.refused && !a.run.stopped && !b.run.stopped;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  vesk::setstorelimit(storelimit);
  fuzzing::scriptfiles scripts(data, size);
  comparison fast = runonce(scripts, true);
  comparison plain = runonce(scripts, false);
  vesk::setfastpaths(true);
  if (!comparable(data, size, fast, plain)) return 0;
  fuzzing::check(fast.run.ok == plain.run.ok, "the same result with and without shortcuts");
  fuzzing::check(fast.log == plain.log, "the same log with and without shortcuts");
  fuzzing::check(fast.run.store == plain.run.store, "the same store with and without shortcuts");
  return 0;
}
