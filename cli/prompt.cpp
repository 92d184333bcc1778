// prompt.cpp - the interactive session: reads lines at the prompt, collects a line that opens
// a block together with the lines up to the one that closes it, and runs each entry as a run
// of lines of its own, so that keywords and diagnostics behave exactly as in a script.
#include "prompt.h"

#include <cstdio>
#include <string>
#include <vector>

#include "blockdepth.h"
#include "terminal.h"
#include "watchdog.h"

namespace cli {

namespace {

constexpr int exitsuccess = 0;
constexpr char const* entryname = "prompt"; // diagnostics read "prompt(2): error: ..."
constexpr char const* firstprompt = "vesk> ";
constexpr char const* moreprompt = "....> "; // inside a block, until it closes

bool blank(std::string const& line) {
  return line.find_first_not_of(" \t\r") == std::string::npos;
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
  // Runs the entry as one run of lines; the interpreter reports whatever fails.
  void run(vesk::interpreter& engine, double timeout, interruptions& signals) const {
    std::vector<char const*> text;
    for (std::string const& line : lines) text.push_back(line.c_str());
    signals.running(&engine);
    {
      watchdog timer(engine, timeout);
      engine.execute(text.data(), static_cast<int>(text.size()), entryname);
    }
    signals.running(nullptr);
  }

private:
  std::vector<std::string> lines;
  blockdepth depth;
};

} // namespace

int prompt(vesk::interpreter& engine, double timeout) {
  lineinput input;
  interruptions signals;
  printf("vesk %s: blocks are collected until they close; Ctrl-D ends the session\n",
         vesk::version());
  entry current;
  std::string line;
  for (;;) {
    readresult got = input.read(current.empty() ? firstprompt : moreprompt, line);
    if (got != readresult::line) {
      // The cursor still stands after the prompt: the next output begins a line of its own.
      fputc('\n', stdout);
      if (got == readresult::end) break;
      current.clear(); // Ctrl-C drops the entry being typed
      continue;
    }
    if (current.empty() && blank(line)) continue;
    input.remember(line);
    if (!current.add(line)) continue;
    current.run(engine, timeout, signals);
    current.clear();
  }
  if (!current.empty()) fputs("vesk: unfinished block not run\n", stderr);
  return exitsuccess;
}

} // namespace cli
