// differential_fuzz.cpp - libFuzzer target: a run of lines (as in lines_fuzz) made twice, with
// the engine's shortcuts and without them, must give the same result, the same log lines in
// the same order and the same store. Left out of the comparison: inputs with parallel blocks
// (the two parts interleave differently from run to run) and runs that ran out of memory (the
// shortcuts may succeed where the plain way needs more); the clock built-ins are not offered.
// Three small scripts (callee1..callee3) in a script directory give calls something to call.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzzing.h"
#include "scratchfolder.h"
#include "fastpaths.h"
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
  static char const* const clock[] = {"year", "month", "day", "date", "hour", "minute", "second",
                                      "time"};
  for (char const* c : clock)
    if (strcmp(c, name) == 0) return true;
  return fuzzing::touchesmachine(name);
}

// Scripts that reach what calls take shortcuts through: parameters, blocks, nested calls.
char const* const callees[][2] = {
    {"callee1", "calls = calls + 1\n"},
    {"callee2", "if k > 1\n  r = k * 2\nelse\n  r = 0 - k\nend\nfor j = 1 to 2\n  calls = calls + j\nnext\n"},
    {"callee3", "callee1\ncallee2 k = 3\nrepeat\n  k = k - 1\nuntil k < 1\n"}};

// The callees in a fresh folder, removed when the process ends.
struct calleefiles : vesktest::scratchfolder {
  calleefiles() {
    for (auto const& callee : callees) writefile(std::string(callee[0]) + ".vk", callee[1]);
  }
};

// The callees' folder, "" when none could be made.
std::string const& calleefolder() {
  static calleefiles const files;
  return files.root;
}

struct outcome {
  bool ok = false;
  bool refused = false; // ran out of the memory it may have
  std::string log;
  std::string store;
};

outcome runonce(std::vector<char const*>& lines, bool fast) {
  outcome result;
  captured = &result.log;
  vesk::setfastpaths(fast);
  unsigned long long refusals = vesk::storeheaprefusals();
  vesk::variables globals;
  {
    vesk::interpreter engine(&globals, capture);
    engine.addinternalfuncs(heldback);
    engine.setscriptpath(calleefolder().c_str(), nullptr);
    engine.setstatementlimit(statementlimit);
    result.ok = engine.execute(lines.data(), static_cast<int>(lines.size()), "fuzz.vk");
  }
  result.refused = vesk::storeheaprefusals() != refusals;
  result.store = fuzzing::describe(&globals);
  fuzzing::release(globals);
  captured = nullptr;
  return result;
}

bool comparable(std::vector<char> const& text, outcome const& a, outcome const& b) {
  std::string const all(text.data());
  if (all.find("parallel") != std::string::npos) return false;
  return !a.refused && !b.refused;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  vesk::setstorelimit(storelimit);
  std::vector<char> text = fuzzing::terminated(data, size);
  std::vector<char> copy = text; // cutlines writes into the text
  std::vector<char const*> lines = fuzzing::cutlines(copy);
  outcome fast = runonce(lines, true);
  outcome plain = runonce(lines, false);
  vesk::setfastpaths(true);
  if (!comparable(text, fast, plain)) return 0;
  fuzzing::check(fast.ok == plain.ok, "the same result with and without shortcuts");
  fuzzing::check(fast.log == plain.log, "the same log with and without shortcuts");
  fuzzing::check(fast.store == plain.store, "the same store with and without shortcuts");
  return 0;
}
