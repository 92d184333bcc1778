// options.h - the command line of vesk: what to run (a script file, the script on standard
// input, one line, one expression, a session at the prompt, or script files to check without
// running them), with which script directories, extension libraries and parameters, within
// which limits and confined to which folders, what to watch while it runs, and what to print
// afterwards; or one of the editors' tools: script files to format, the language server, or
// the debug adapter.
#pragma once

#include <vector>

namespace cli {

// `input` is the script on standard input ("-"); `session` is no script at all, which is the
// prompt on a terminal and the script on standard input otherwise. `dap` is the debug adapter
// on standard input and output, which takes everything else from its client.
enum class mode {
  script,
  input,
  session,
  line,
  expression,
  check,
  list,
  format,
  lsp,
  dap,
  version,
  help
};

struct options {
  mode what = mode::help;
  char const* target = nullptr;         // script name, "-", line or expression
  std::vector<char const*> directories; // -I, at most two
  std::vector<char const*> libraries;   // -l and --library, loaded in the order given
  std::vector<char const*> assignments; // NAME=VALUE after the script or "-"
  bool globals = false;                 // --globals
  bool builtins = true;                 // --no-builtins clears it
  std::vector<char const*> folders;     // --files: the folders file built-ins are confined to
  bool filebuiltins = true;             // --no-files clears it
  long long maxstatements = 0;          // --max-statements N; 0: no limit
  double timeout = 0;                   // --timeout SECONDS; 0: none
  unsigned long long maxstorebytes = 0; // --max-memory MB in bytes; 0: the library's default
  std::vector<char const*> checked;     // --check, --format: the script files, `target` first
  bool strict = false;                  // -W: warnings of --check count as errors
  bool formatcheck = false;             // --format --check: report, change nothing
  bool trace = false;                   // --trace
  bool profile = false;                 // --profile or --profile=FILE
  char const* profilefile = nullptr;    // FILE of --profile=FILE; null: the top lines
  char const* coveragefile = nullptr;   // --coverage FILE
  bool overwrite = false;               // --overwrite: the two may replace any file
};

// Parses argv; false (after a one-line message on standard error) for a usage error.
bool parse(int argc, char** argv, options& out);

void printhelp();

// The name diagnostics give the lines the command runs itself, which are no script file: "-"
// (standard input), "-c", "-e" and "prompt"; null for the other modes.
char const* runname(mode what);

} // namespace cli
