// differential_fuzz.cpp - libFuzzer target: an input of scripts (as in lines_fuzz) run with the
// engine's shortcuts and without them (the reference), four times in one interpreter with a
// change by the host before each later run, must give the same result, log, store and host's
// parameters after each run. Both ways run under the same statement limit; sleeps are held
// back, and a time limit far beyond any bounded run is only a backstop. Inputs with parallel
// blocks are compared when their parts cannot see each other's writes (parallelparts.h): the
// log's lines and the store's variables then as sets. A run that cannot be compared (a store
// refusal on either side, the backstop, parts that share names, the statement limit reached in
// a parallel block) ends the comparison of its input; the counts are written at exit.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "fastpaths.h"
#include "fuzzing.h"
#include "hostrun.h"
#include "parallelparts.h"
#include "scriptfiles.h"
#include "storechanges.h"
#include "storeheap.h"
#include "vesk.h"

namespace {

// A quarter of the usual bounds: without the shortcuts, `l = l + {x}` copies the list whole on
// every pass, so a run's cost grows with the square of the statements.
constexpr long long statementlimit = fuzzing::statementlimit / 4;
constexpr unsigned long long storelimit = fuzzing::storelimit / 4;
// Far beyond what a run of statementlimit statements takes without sleeps.
constexpr std::chrono::milliseconds backstop{1000};

std::string* captured = nullptr; // the log of the run in progress

void capture(int level, char const* text) {
  fuzzing::sink(level, text);
  (*captured += static_cast<char>('0' + level)) += text ? text : "<null>";
  *captured += '\n';
}

// Those that read the clock give different answers to the two ways, sleep would make a run's
// length a matter of time; the files as in lines_fuzz.
bool heldback(char const* name) {
  static char const* const clock[] = {"year", "month",  "day",    "date",
                                      "hour", "minute", "second", "time"};
  for (char const* c : clock)
    if (strcmp(c, name) == 0) return true;
  return fuzzing::touchesmachine(name);
}

// Why a run is not compared.
enum class drop { none, storelimit, backstop, sharedparts, parallellimit, kinds };
constexpr char const* dropnames[] = {"", "a store refusal", "the time backstop",
                                     "parallel parts that share names",
                                     "the statement limit in a parallel input"};

// What became of the inputs so far; written to standard error when the process ends.
struct tally {
  long long inputs = 0;
  long long whole = 0;  // every run compared
  long long inpart = 0; // the first runs compared, then one dropped
  long long none = 0;   // the first run dropped
  long long dropped[static_cast<int>(drop::kinds)] = {};
  long long parallel = 0; // compared runs of inputs with parallel blocks

  ~tally() {
    fprintf(stderr,
            "differential: %lld inputs, %lld compared in full, %lld in part, %lld not at all;",
            inputs, whole, inpart, none);
    fprintf(stderr, " %lld runs with parallel blocks compared; dropped at", parallel);
    for (int k = 1; k < static_cast<int>(drop::kinds); ++k)
      fprintf(stderr, "%s %lld %s", k > 1 ? "," : "", dropped[k], dropnames[k]);
    fprintf(stderr, "\n");
  }
};
tally counts;

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
  drop dropped = drop::none;
  bool parallel = false; // compared as sets
  std::string log;
  std::string store;
};

// One way of running the input: the runs in one interpreter over one store, each recorded,
// until one cannot be compared (what follows starts from a store the other way need not
// share); then the store once more after the interpreter is gone, compared when every run was.
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

// The lines of a text, sorted: the log of a run whose parallel parts interleave freely.
std::string sortedlines(std::string const& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = std::min(text.find('\n', at), text.size());
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::sort(lines.begin(), lines.end());
  std::string joined;
  for (std::string const& line : lines) (joined += line) += '\n';
  return joined;
}

// The store's variables, each printed whole with its name, in name order: the parts of a
// parallel block may make their variables in either order.
std::string sortedstore(vesk::variables* globals) {
  std::vector<std::string> entries;
  vesk::variable walker = *globals; // a copy of the header: the store's own cursor stays put
  char* name = nullptr;
  for (vesk::variable* e = walker.first(&name); e != nullptr; e = walker.next(&name))
    entries.push_back(std::string(name ? name : "<null name>") + '=' + fuzzing::describe(e));
  std::sort(entries.begin(), entries.end());
  std::string joined;
  for (std::string const& entry : entries) (joined += entry) += ',';
  return joined;
}

// Why the run is not compared, or none: `parallel` tells what its texts allow.
drop whydropped(fuzzing::outcome const& run, bool refused, fuzzing::parallelview const& parallel,
                std::string const& log) {
  if (refused) return drop::storelimit;
  if (run.stopped) return drop::backstop;
  if (!parallel.parallel) return drop::none;
  if (!parallel.independent) return drop::sharedparts;
  if (log.find("statement limit of") != std::string::npos) return drop::parallellimit;
  return drop::none;
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
      fuzzing::parallelview const view = fuzzing::viewparallel(lines.lines(), scripts.files());
      runrecord record;
      captured = &record.log;
      unsigned long long const refusals = vesk::storeheaprefusals();
      fuzzing::hostparameters params;
      fuzzing::outcome run =
          fuzzing::runmain(engine, globals, scripts, lines.lines(), params, backstop);
      captured = nullptr;
      record.ok = run.ok;
      record.dropped = whydropped(run, vesk::storeheaprefusals() != refusals, view, record.log);
      record.parallel = view.parallel;
      if (record.parallel) {
        record.log = sortedlines(record.log);
        record.store = sortedstore(&globals) + fuzzing::describe(&params.list);
      } else {
        record.store = fuzzing::describe(&globals) + fuzzing::describe(&params.list);
      }
      result.runs.push_back(record);
      if (record.dropped != drop::none) break;
    }
  }
  // Read after the interpreter is gone: a stored value must not lean on its operand stack.
  bool const parallel = std::any_of(result.runs.begin(), result.runs.end(),
                                    [](runrecord const& run) { return run.parallel; });
  result.finalstore = parallel ? sortedstore(&globals) : fuzzing::describe(&globals);
  fuzzing::release(globals);
  return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  vesk::setstorelimit(storelimit);
  std::string const input(reinterpret_cast<char const*>(data), size);
  fuzzing::scriptfiles scripts(data, size);
  int const runs = static_cast<int>(std::size(changes));
  way const fast = runway(scripts, input, runs, true);
  way const plain = runway(scripts, input, runs, false);
  vesk::setfastpaths(true);
  ++counts.inputs;
  std::size_t compared = 0;
  drop stop = drop::none;
  for (std::size_t k = 0; k < fast.runs.size() && k < plain.runs.size(); ++k) {
    runrecord const& a = fast.runs[k];
    runrecord const& b = plain.runs[k];
    stop = a.dropped != drop::none ? a.dropped : b.dropped;
    if (stop != drop::none) break;
    fuzzing::check(a.ok == b.ok, "the same result with and without shortcuts");
    fuzzing::check(a.log == b.log, "the same log with and without shortcuts");
    fuzzing::check(a.store == b.store, "the same store with and without shortcuts");
    ++compared;
    if (a.parallel) ++counts.parallel;
  }
  if (stop != drop::none) ++counts.dropped[static_cast<int>(stop)];
  if (compared == 0) {
    ++counts.none;
    return 0;
  }
  if (stop != drop::none) {
    ++counts.inpart;
    return 0;
  }
  ++counts.whole;
  fuzzing::check(fast.finalstore == plain.finalstore,
                 "the same store with and without shortcuts once the interpreter is gone");
  return 0;
}
