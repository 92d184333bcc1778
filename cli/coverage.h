// coverage.h - how often each line of each script ran (vesk --coverage), written as an lcov
// trace file: one record per script file that ran, with every line that holds a statement,
// lines that never ran included with the count 0.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace cli {

// The files of the scripts that ran: the engine's name of each, and the file's absolute path
// when the script was first seen ("" for lines that are no file, such as those of -c).
using scriptfiles = std::map<std::string, std::string, std::less<>>;

class coverage {
public:
  // A script file that has no record, and why.
  struct unrecorded {
    std::string script;
    char const* reason;
  };

  // A statement of line `line` (1-based) of `script` begins.
  void statement(char const* script, int line) { ++scripts[script][line]; }
  // The trace file, each script read again from its file in `files`; false when a write
  // failed. A script without a record is added to `missing`.
  bool write(FILE* out, scriptfiles const& files, std::vector<unrecorded>& missing) const;

private:
  bool writescript(FILE* out, std::string const& path, std::map<int, long long> const& counts,
                   std::string const& script, std::vector<unrecorded>& missing) const;
  std::map<std::string, std::map<int, long long>> scripts; // script, line, times run
};

// Which lines of a script count in its record: those holding a statement that can run (not
// empty, not only a comment, not the "thread" that divides a parallel block), other than else,
// catch and end.
std::vector<bool> statementlines(std::vector<char const*> const& lines);

} // namespace cli
