// coverage.h - how often each line of each script ran (vesk --coverage), written as an lcov
// trace file: one record per script file that ran, with every line that holds a statement,
// lines that never ran included with the count 0.
#pragma once

#include <cstdio>
#include <map>
#include <string>

namespace cli {

class coverage {
public:
  // A statement of line `line` (1-based) of `script` begins.
  void statement(char const* script, int line) { ++scripts[script][line]; }
  // The trace file. A script whose file cannot be read any more (the script on standard
  // input, a line of -c) has no record; its name is added to `unread`, one per line.
  void write(FILE* out, std::string& unread) const;

private:
  void writescript(FILE* out, std::string const& path, std::map<int, long long> const& counts,
                   std::string& unread) const;
  std::map<std::string, std::map<int, long long>> scripts; // script, line, times run
};

// Whether a line counts in the record: it holds a statement that can run (not empty, not
// only a comment, not the "thread" that divides a parallel block) other than else, catch or
// end.
bool statementline(char const* line);

} // namespace cli
