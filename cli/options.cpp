// options.cpp - parsing and explaining the command line of vesk. Everything after the script
// (or "-") is a NAME=VALUE parameter; options come before it. A limit that makes no sense is a
// usage error, never a limit silently dropped; one too large to matter means no limit.
#include "options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

constexpr std::size_t maxdirectories = 2;
// Beyond these a limit can never be reached in practice: about four months of running time
// (the watchdog's clock could not count much further), 10^18 statements and 10^18 bytes.
constexpr double longesttimeout = 1e7;
constexpr double moststatements = 1e18;
constexpr double mostbytes = 1e18;
constexpr double megabyte = 1024.0 * 1024.0;

bool usage(char const* text, char const* detail = "", char const* after = "") {
  fprintf(stderr, "vesk: %s%s%s (try 'vesk --help')\n", text, detail, after);
  return false;
}

// The argument after option `name`, or a usage error.
bool value(int argc, char** argv, int& i, char const*& out, char const* name) {
  if (i + 1 >= argc) return usage("missing argument after ", name);
  out = argv[++i];
  return true;
}

// A number above 0 after option `name` (infinity included), or a usage error saying what
// `name` needs.
bool positive(int argc, char** argv, int& i, double& out, char const* name, char const* needs) {
  char const* text = nullptr;
  if (!value(argc, argv, i, text, name)) return false;
  char* end = nullptr;
  out = strtod(text, &end);
  if (end == text || *end != '\0' || !(out > 0)) {
    fprintf(stderr, "vesk: %s needs %s, not '%s' (try 'vesk --help')\n", name, needs, text);
    return false;
  }
  return true;
}

bool timeout(int argc, char** argv, int& i, options& out) {
  double seconds = 0;
  if (!positive(argc, argv, i, seconds, argv[i], "a number of seconds above 0")) return false;
  out.timeout = seconds < longesttimeout ? seconds : 0;
  return true;
}

bool maxstatements(int argc, char** argv, int& i, options& out) {
  char const* name = argv[i];
  double count = 0;
  char const* needs = "a whole number of statements, at least 1";
  if (!positive(argc, argv, i, count, name, needs)) return false;
  if (count < moststatements && (count < 1 || count != std::floor(count))) {
    fprintf(stderr, "vesk: %s needs %s, not '%s' (try 'vesk --help')\n", name, needs, argv[i]);
    return false;
  }
  out.maxstatements = static_cast<long long>(count < moststatements ? count : moststatements);
  return true;
}

bool maxmemory(int argc, char** argv, int& i, options& out) {
  char const* name = argv[i];
  double megabytes = 0;
  if (!positive(argc, argv, i, megabytes, name, "a number of megabytes above 0")) return false;
  double bytes = megabytes * megabyte;
  if (bytes < 1) return usage(name, " of less than one byte: ", argv[i]);
  out.maxstorebytes = static_cast<unsigned long long>(bytes < mostbytes ? bytes : mostbytes);
  return true;
}

// The files of --check: the target and every argument after it. Nothing runs, so nothing is
// watched.
bool checkfiles(int argc, char** argv, int i, options& out) {
  if (out.target == nullptr) return usage("--check needs a script file");
  if (out.trace || out.profile || out.coveragefile != nullptr)
    return usage("--check runs nothing to trace, profile or cover");
  out.checked.push_back(out.target);
  for (; i < argc; ++i) out.checked.push_back(argv[i]);
  return true;
}

} // namespace

bool parse(int argc, char** argv, options& out) {
  int i = 1;
  for (; i < argc && out.target == nullptr; ++i) {
    char const* arg = argv[i];
    if (strcmp(arg, "-h") == 0 || strcmp(arg, "--help") == 0) {
      out.what = mode::help;
      return true;
    } else if (strcmp(arg, "--version") == 0) {
      out.what = mode::version;
      return true;
    } else if (strcmp(arg, "--dap") == 0) {
      out.what = mode::dap;
      return argc == 2 || usage("--dap takes its script and settings from the client alone");
    } else if (strcmp(arg, "--globals") == 0) {
      out.globals = true;
    } else if (strcmp(arg, "--no-builtins") == 0) {
      out.builtins = false;
    } else if (strcmp(arg, "--max-statements") == 0) {
      if (!maxstatements(argc, argv, i, out)) return false;
    } else if (strcmp(arg, "--max-memory") == 0) {
      if (!maxmemory(argc, argv, i, out)) return false;
    } else if (strcmp(arg, "--timeout") == 0) {
      if (!timeout(argc, argv, i, out)) return false;
    } else if (strcmp(arg, "-I") == 0) {
      char const* directory = nullptr;
      if (!value(argc, argv, i, directory, "-I")) return false;
      if (out.directories.size() == maxdirectories) return usage("at most two -I directories");
      out.directories.push_back(directory);
    } else if (strcmp(arg, "-l") == 0 || strcmp(arg, "--library") == 0) {
      char const* library = nullptr;
      if (!value(argc, argv, i, library, arg)) return false;
      out.libraries.push_back(library);
    } else if (strcmp(arg, "--check") == 0) {
      out.what = mode::check;
    } else if (strcmp(arg, "-W") == 0) {
      out.strict = true;
    } else if (strcmp(arg, "--trace") == 0) {
      out.trace = true;
    } else if (strcmp(arg, "--profile") == 0 || strncmp(arg, "--profile=", 10) == 0) {
      out.profile = true;
      if (arg[9] == '=' && arg[10] == '\0') return usage("--profile= needs a file name");
      out.profilefile = arg[9] == '=' ? arg + 10 : nullptr;
    } else if (strcmp(arg, "--coverage") == 0) {
      if (!value(argc, argv, i, out.coveragefile, arg)) return false;
    } else if (out.what == mode::check && arg[0] == '-') {
      return usage("--check takes script files, not ", arg);
    } else if (strcmp(arg, "-e") == 0 || strcmp(arg, "-c") == 0) {
      out.what = arg[1] == 'e' ? mode::expression : mode::line;
      if (!value(argc, argv, i, out.target, arg)) return false;
    } else if (strcmp(arg, "-") == 0) {
      out.what = mode::input;
      out.target = arg;
    } else if (arg[0] == '-') {
      return usage("unknown option ", arg);
    } else {
      if (out.what != mode::check) out.what = mode::script;
      out.target = arg;
    }
  }
  if (out.what == mode::check) return checkfiles(argc, argv, i, out);
  if (out.strict) return usage("-W goes with --check");
  if (out.target == nullptr) {
    out.what = mode::session;
    return true;
  }
  for (; i < argc; ++i) {
    if (out.what != mode::script && out.what != mode::input)
      return usage("unexpected argument ", argv[i]);
    char const* equals = strchr(argv[i], '=');
    if (equals == nullptr || equals == argv[i]) return usage("expected NAME=VALUE, got ", argv[i]);
    out.assignments.push_back(argv[i]);
  }
  return true;
}

void printhelp() {
  fputs(
      "usage: vesk [options] SCRIPT [NAME=VALUE ...]   run a script file (with or without .vk);\n"
      "                                                NAME=VALUE pairs are its parameters\n"
      "       vesk [options] - [NAME=VALUE ...]        run the script read from standard input\n"
      "       vesk [options] -e EXPRESSION             evaluate an expression and print its value\n"
      "       vesk [options] -c LINE                   run one command line\n"
      "       vesk [options]                           the prompt on a terminal, else as 'vesk -'\n"
      "options:\n"
      "  -I DIR          a script directory (at most two)\n"
      "  -l, --library PATH   load an extension library first (may be repeated)\n"
      "  --globals       after the run or session, print the global variables\n"
      "  --no-builtins   run without the built-in functions\n"
      "  --max-statements N   stop a run after N statements\n"
      "  --timeout SECONDS    stop a run after that many seconds\n"
      "  --max-memory MB      let the lists a script stores take at most MB megabytes\n"
      "  --check FILE...  read the script files without running them: report every syntax\n"
      "                  and block error, and warnings; exit 1 when there are errors\n"
      "  -W              with --check: warnings are errors\n"
      "  --trace         write every statement to standard error as it runs\n"
      "  --profile[=FILE]  after the run, the twenty lines that took the most time (standard\n"
      "                  error), or every line's figures as tab-separated values in FILE\n"
      "  --coverage FILE  write how often each line ran as an lcov trace file\n"
      "  --dap           speak the Debug Adapter Protocol on standard input and output (the\n"
      "                  debugger an editor starts; see docs/debugging.md)\n"
      "  --version       print the library's version\n"
      "  -h, --help      print this text\n"
      "The script file named on the command line is the one that runs, also when a function\n"
      "has its name. The script on standard input (at most 64 MiB) is named '-' in\n"
      "diagnostics: '-(3): error: ...'; a line or expression is named '-c' or '-e'.\n"
      "At the prompt every entry is a run of its own, named 'prompt', over one global store\n"
      "kept for the session. A line whose first word opens a block (if, for, repeat, do, try,\n"
      "parallel) is collected, with the prompt '....>', until its blocks are closed; then the\n"
      "lines run together. An entry that is an expression shows its value as -e does. Tab\n"
      "completes keywords, functions and global variables, and the history is kept in\n"
      "$XDG_STATE_HOME/vesk/history (with line editing). Ctrl-C stops a run or drops the\n"
      "entry being typed; Ctrl-D drops an unfinished block, and at an empty prompt ends the\n"
      "session.\n"
      "Output of print and dump goes to standard output, diagnostics to standard error.\n"
      "Exit status: 0 success, 1 the script, line or expression failed, 2 usage error, a\n"
      "library that cannot be loaded, a script that is not found or cannot be read. A session\n"
      "at the prompt ends with 0.\n",
      stdout);
}

} // namespace cli
