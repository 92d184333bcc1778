// options.h - the command line of vesk: what to run (a script, one line or one expression),
// with which script directories and parameters, and what to print afterwards.
#pragma once

#include <vector>

namespace cli {

enum class mode { script, line, expression, version, help };

struct options {
  mode what = mode::help;
  char const* target = nullptr;           // script name, line or expression
  std::vector<char const*> directories;   // -I, at most two
  std::vector<char const*> assignments;   // NAME=VALUE after the script
  bool globals = false;                   // --globals
  bool builtins = true;                   // --no-builtins clears it
  long long maxstatements = 0;            // --max-statements N; 0: no limit
  double timeout = 0;                     // --timeout SECONDS; 0: none
};

// Parses argv; false (after a one-line message on standard error) for a usage error.
bool parse(int argc, char** argv, options& out);

void printhelp();

} // namespace cli
