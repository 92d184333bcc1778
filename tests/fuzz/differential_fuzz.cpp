// differential_fuzz.cpp - libFuzzer target: an input of scripts (as in lines_fuzz) run with the
// engine's shortcuts and without them, four times in one interpreter with a change by the host
// before each later run, must give the same result, log, store and host's parameters after
// each run. Not compared: parallel blocks, runs stopped or short of memory.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fastpaths.h"
#include "fuzzing.h"
#include "hostrun.h"
#include "scriptfiles.h"
#include "storechanges.h"
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

// Those that read the clock give different answers to the two ways; the rest as in lines_fuzz.
bool heldback(char const* name) {
  static char const* const clock[] = {"year", "month",  "day",    "date",
                                      "hour", "minute", "second", "time"};
  for (char const* c : clock)
    if (strcmp(c, name) == 0) return true;
  return fuzzing::touchesfiles(name);
}

// The main script's lines as a host holds them: each in a buffer of its own, all of one size,
// so that the host can give any line the text of any other in place between two runs.
class hostlines {
public:
  explicit hostlines(std::vector<char const*> const& lines) {
    std::size_t longest = 0;
    for (char const* line : lines) longest = std::max(longest, strlen(line));
    for (char const* line : lines) {
      buffers.emplace_back(longest + 1, '\0');
      memcpy(buffers.back().data(), line, strlen(line));
    }
    for (std::vector<char>& buffer : buffers) pointers.push_back(buffer.data());
  }
  std::vector<char const*>& lines() { return pointers; }

  // Rewrites the texts in place, at places `choice` picks: two neighbouring lines trade their
  // texts, and one digit of the script counts up (9 becomes 0).
  void rewrite(std::size_t choice) {
    if (buffers.size() >= 2) {
      std::size_t const first = choice % (buffers.size() - 1);
      std::swap_ranges(buffers[first].begin(), buffers[first].end(), buffers[first + 1].begin());
    }
    std::vector<char*> digits;
    for (std::vector<char>& buffer : buffers)
      for (char* c = buffer.data(); *c != '\0'; ++c)
        if (*c >= '0' && *c <= '9') digits.push_back(c);
    if (digits.empty()) return;
    char* digit = digits[choice % digits.size()];
    *digit = *digit == '9' ? '0' : static_cast<char>(*digit + 1);
  }

private:
  std::vector<std::vector<char>> buffers;
  std::vector<char const*> pointers;
};

// The name that becomes a function of the host before the third run: the first name the input
// assigns to (`NAME =` at a line's start), else the first script file it gives after the main
// one; "" when there is neither.
std::string firstname(std::string const& input) {
  std::string script;
  std::size_t at = 0;
  while (at < input.size()) {
    std::size_t end = std::min(input.find('\n', at), input.size());
    std::string const line = input.substr(at, end - at);
    std::size_t from = line.find_first_not_of(" \t");
    std::size_t stop = from == std::string::npos ? from : line.find_first_of(" \t=", from);
    if (line.rfind(fuzzing::filemarker, 0) == 0) {
      if (script.empty() && at > 0) script = line.substr(sizeof fuzzing::filemarker - 1);
    } else if (stop != std::string::npos && fuzzing::callable(&line[from], stop - from)) {
      std::size_t sign = line.find_first_not_of(" \t", stop);
      if (sign != std::string::npos && line[sign] == '=' && line.compare(sign, 2, "==") != 0)
        return line.substr(from, stop - from);
    }
    at = end + 1;
  }
  return fuzzing::callable(script.data(), script.size()) ? script : "";
}

// What the host changes before each run after the first.
enum class change { none, storereset, namedefined, linesrewritten };
constexpr change changes[] = {change::none, change::storereset, change::namedefined,
                              change::linesrewritten};

struct runrecord {
  bool ok = false;
  bool comparable = false; // neither stopped by the time budget nor short of memory
  std::string log;
  std::string store;
};

// One way of running the input: the runs in one interpreter over one store, each recorded,
// until one cannot be compared (what follows starts from a store the other way need not
// share); then the store once more after the interpreter is gone.
struct way {
  std::vector<runrecord> runs;
  std::string finalstore;
};

void makechange(change before, vesk::interpreter& engine, vesk::variables& globals,
                hostlines& lines, std::string const& name, std::size_t choice) {
  switch (before) {
  case change::none:
    break;
  case change::storereset:
    fuzzing::release(globals);
    break;
  case change::namedefined:
    if (!name.empty()) engine.add(fuzzing::countarguments, name.c_str());
    break;
  case change::linesrewritten:
    lines.rewrite(choice);
    break;
  }
}

way runway(fuzzing::scriptfiles& scripts, std::string const& input, int runs, bool fast) {
  way result;
  vesk::setfastpaths(fast);
  std::string const name = firstname(input);
  hostlines lines(scripts.mainlines());
  vesk::variables globals;
  {
    vesk::interpreter engine(&globals, capture);
    fuzzing::prepare(engine, {capture, heldback, statementlimit});
    for (int k = 0; k < runs; ++k) {
      makechange(changes[k], engine, globals, lines, name, input.size());
      runrecord record;
      captured = &record.log;
      unsigned long long const refusals = vesk::storeheaprefusals();
      fuzzing::hostparameters params;
      fuzzing::outcome run = fuzzing::runmain(engine, globals, scripts, lines.lines(), params);
      captured = nullptr;
      record.ok = run.ok;
      record.comparable = !run.stopped && vesk::storeheaprefusals() == refusals;
      record.store = fuzzing::describe(&globals) + fuzzing::describe(&params.list);
      result.runs.push_back(record);
      if (!record.comparable) break;
    }
  }
  // Read after the interpreter is gone: a stored value must not lean on its operand stack.
  result.finalstore = fuzzing::describe(&globals);
  fuzzing::release(globals);
  return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  vesk::setstorelimit(storelimit);
  std::string const input(reinterpret_cast<char const*>(data), size);
  fuzzing::scriptfiles scripts(data, size);
  // The two parts of a parallel block interleave differently from run to run: such inputs run
  // once each way, for the sanitizers, and are not compared.
  bool const parallel = input.find("parallel") != std::string::npos;
  int const runs = parallel ? 1 : static_cast<int>(std::size(changes));
  way const fast = runway(scripts, input, runs, true);
  way const plain = runway(scripts, input, runs, false);
  vesk::setfastpaths(true);
  if (parallel) return 0;
  for (std::size_t k = 0; k < fast.runs.size() && k < plain.runs.size(); ++k) {
    runrecord const& a = fast.runs[k];
    runrecord const& b = plain.runs[k];
    if (!a.comparable || !b.comparable) return 0;
    fuzzing::check(a.ok == b.ok, "the same result with and without shortcuts");
    fuzzing::check(a.log == b.log, "the same log with and without shortcuts");
    fuzzing::check(a.store == b.store, "the same store with and without shortcuts");
  }
  fuzzing::check(fast.finalstore == plain.finalstore,
                 "the same store with and without shortcuts once the interpreter is gone");
  return 0;
}
