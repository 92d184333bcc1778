// prompt.cpp - the interactive session: reads lines at the prompt, collects a line that opens
// a block together with the lines up to the one that closes it, and runs each entry as a run
// of lines of its own, so that keywords and diagnostics behave exactly as in a script. An
// entry of one line that leaves a value (an expression) shows it.
#include "prompt.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "blockdepth.h"
#include "options.h"
#include "terminal.h"
#include "values.h"
#include "watchdog.h"

namespace cli {

namespace {

constexpr int exitsuccess = 0;
constexpr char const* firstprompt = "vesk> ";
constexpr char const* moreprompt = "....> "; // inside a block, until it closes
constexpr char const* historyname = "vesk/history";

bool blank(std::string const& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
}

// The history file under the user's state folder ($XDG_STATE_HOME, else ~/.local/state),
// its folder made if need be; "" when there is neither.
std::string historyfile() {
  std::string folder;
  char const* state = getenv("XDG_STATE_HOME");
  char const* home = getenv("HOME");
  if (state != nullptr && *state != '\0')
    folder = state;
  else if (home != nullptr && *home != '\0')
    folder = std::string(home) + "/.local/state";
  else
    return "";
  std::filesystem::path file = std::filesystem::path(folder) / historyname;
  std::error_code ignored; // without the folder the history is only the session's
  std::filesystem::create_directories(file.parent_path(), ignored);
  return file.string();
}

// The names of the global variables, for completion.
std::vector<std::string> globalnames(vesk::variables* store) {
  std::vector<std::string> names;
  if (store == nullptr) return names;
  vesk::variable walker = *store; // a cursor of its own
  char* name = nullptr;
  for (vesk::variable* v = walker.first(&name); v != nullptr; v = walker.next(&name))
    if (name != nullptr && *name != '\0') names.emplace_back(name);
  return names;
}

// The lines of one entry: a single line, or a block from its opening line to its closing one.
class entry {
public:
  bool empty() const { return lines.empty(); }
  // Adds a typed line; true when the entry is complete and can run.
  bool add(std::string const& line) {
    lines.push_back(line);
    depth.add(line.c_str());
    return !depth.open();
  }
  void clear() {
    lines.clear();
    depth.clear();
  }
  // Runs the entry as one run of lines; the interpreter reports whatever fails. An entry of
  // one line that succeeds and leaves a value shows it.
  void run(vesk::interpreter& engine, double timeout, interruptions& signals,
           vesk::logfunc log) const {
    std::vector<char const*> text;
    for (std::string const& line : lines) text.push_back(line.c_str());
    signals.running(&engine);
    bool ok = false;
    {
      watchdog timer(engine, timeout);
      // Diagnostics read "prompt(2): error: ...".
      ok = engine.execute(text.data(), static_cast<int>(text.size()), runname(mode::session));
    }
    signals.running(nullptr);
    if (!ok || lines.size() != 1) return;
    if (vesk::variable* value = lastvalue(engine)) show(value, log);
  }

private:
  std::vector<std::string> lines;
  blockdepth depth;
};

} // namespace

int prompt(vesk::interpreter& engine, double timeout, std::vector<std::string> functions,
           vesk::logfunc log, messages& written) {
  vesk::variables* store = engine.store();
  lineinput input(historyfile(), [functions, store] {
    std::vector<std::string> names = functions, variables = globalnames(store);
    names.insert(names.end(), variables.begin(), variables.end());
    return names;
  });
  interruptions signals;
  printf("vesk %s: %s leaves (inside an unfinished block it drops the block)\n", vesk::version(),
         endofinputkeys());
  entry current;
  std::string line;
  for (;;) {
    readresult got = input.read(current.empty() ? firstprompt : moreprompt, line);
    if (got != readresult::line) {
      // The cursor still stands after the prompt: the next output begins a line of its own.
      fputc('\n', stdout);
      if (got == readresult::end && current.empty()) break;
      if (got == readresult::end) fputs("vesk: unfinished block dropped\n", stderr);
      current.clear(); // Ctrl-C, or the end of input inside a block, drops the entry
      continue;
    }
    if (current.empty() && blank(line)) continue;
    input.remember(line);
    if (!current.add(line)) continue;
    current.run(engine, timeout, signals, log);
    written.flush();
    current.clear();
  }
  return exitsuccess;
}

} // namespace cli
