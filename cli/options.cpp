// options.cpp - parsing and explaining the command line of vesk. Everything after the script
// (or "-") is a NAME=VALUE parameter, each name a name of the language and given once; options
// come before it. A limit that makes no sense is a usage error, never a limit silently dropped;
// one too large to matter means no limit.
#include "options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tokenizer.h"

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

// The files of --check, --list or --format: the target and every argument after it. Nothing
// runs, so nothing is watched.
bool checkfiles(int argc, char** argv, int i, options& out) {
  char const* tool = out.what == mode::format ? "--format"
                     : out.what == mode::list ? "--list"
                                              : "--check";
  if (out.target == nullptr) return usage(tool, " needs a script file");
  if (out.trace || out.profile || out.coveragefile != nullptr || out.overwrite)
    return usage(tool, " runs nothing to trace, profile or cover");
  if (out.what != mode::check && out.strict) return usage("-W goes with --check alone");
  out.checked.push_back(out.target);
  for (; i < argc; ++i) out.checked.push_back(argv[i]);
  return true;
}

// Whether `text` is exactly one name of the language.
bool isname(std::string const& text) {
  vesk::tokenizer tokens(text.c_str(), vesk::standardoptions);
  vesk::token name, rest;
  return tokens.nexttoken(name) == vesk::nametoken && text == name.text &&
         tokens.nexttoken(rest) == vesk::endtoken;
}

// A NAME=VALUE parameter after the script: NAME is a name, given once. An option written after
// the script arrives here too and is told apart from a parameter.
bool parameter(char const* arg, options& out) {
  if (arg[0] == '-') return usage("options come before the script: ", arg);
  char const* equals = strchr(arg, '=');
  if (equals == nullptr || equals == arg) return usage("expected NAME=VALUE, got ", arg);
  std::string name(arg, equals);
  if (!isname(name)) return usage("parameter name '", name.c_str(), "' is no name");
  for (char const* earlier : out.assignments)
    if (strncmp(earlier, arg, name.size() + 1) == 0)
      return usage("parameter '", name.c_str(), "' given twice");
  out.assignments.push_back(arg);
  return true;
}

// --format and --check together: the files are formatted, and only reported.
void tool(char const* arg, options& out) {
  bool format = strcmp(arg, "--format") == 0;
  if (format ? out.what == mode::check : out.what == mode::format) out.formatcheck = true;
  if (format || out.what != mode::format) out.what = format ? mode::format : mode::check;
}

// The language server reads its documents from its client: no script, no run to watch.
bool server(options const& out) {
  if (out.target != nullptr) return usage("--lsp takes no script");
  if (out.trace || out.profile || out.coveragefile != nullptr || out.globals || out.strict)
    return usage("--lsp takes only -I, -l and --no-builtins");
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
    } else if (strcmp(arg, "--files") == 0) {
      char const* folder = nullptr;
      if (!value(argc, argv, i, folder, "--files")) return false;
      out.folders.push_back(folder);
    } else if (strcmp(arg, "--no-files") == 0) {
      out.filebuiltins = false;
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
    } else if (strcmp(arg, "--check") == 0 || strcmp(arg, "--format") == 0) {
      tool(arg, out);
    } else if (strcmp(arg, "--lsp") == 0) {
      out.what = mode::lsp;
    } else if (strcmp(arg, "--list") == 0) {
      out.what = mode::list;
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
    } else if (strcmp(arg, "--overwrite") == 0) {
      out.overwrite = true;
    } else if (out.what == mode::format && strcmp(arg, "-") == 0) {
      out.target = arg;
    } else if ((out.what == mode::check || out.what == mode::list || out.what == mode::format) &&
               arg[0] == '-') {
      return usage(out.what == mode::check  ? "--check"
                   : out.what == mode::list ? "--list"
                                            : "--format",
                   " takes script files, not ", arg);
    } else if (strcmp(arg, "-e") == 0 || strcmp(arg, "-c") == 0) {
      out.what = arg[1] == 'e' ? mode::expression : mode::line;
      if (!value(argc, argv, i, out.target, arg)) return false;
    } else if (strcmp(arg, "-") == 0) {
      out.what = mode::input;
      out.target = arg;
    } else if (arg[0] == '-') {
      return usage("unknown option ", arg);
    } else {
      if (out.what != mode::check && out.what != mode::list && out.what != mode::format &&
          out.what != mode::lsp)
        out.what = mode::script;
      out.target = arg;
    }
  }
  if (!out.filebuiltins && !out.folders.empty())
    return usage("--files and --no-files exclude each other");
  if (out.what == mode::check || out.what == mode::list || out.what == mode::format)
    return checkfiles(argc, argv, i, out);
  if (out.what == mode::lsp) return server(out);
  if (out.strict) return usage("-W goes with --check");
  if (out.target == nullptr) {
    out.what = mode::session;
    return true;
  }
  for (; i < argc; ++i) {
    if (out.what != mode::script && out.what != mode::input)
      return usage("unexpected argument ", argv[i]);
    if (!parameter(argv[i], out)) return false;
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
      "  --files DIR     let the file functions act only inside DIR (may be repeated); relative\n"
      "                  paths of scripts start from the first DIR\n"
      "  --no-files      run without the file functions\n"
      "                  (with either, called scripts are found only by names without '..'\n"
      "                  that are not absolute paths)\n"
      "  --max-statements N   stop a run after N statements\n"
      "  --timeout SECONDS    stop a run after that many seconds\n"
      "  --max-memory MB      let the lists a script stores take at most MB megabytes\n"
      "  --check FILE...  read the script files without running them: report every syntax\n"
      "                  and block error, and warnings; exit 1 when there are errors\n"
      "  -W              with --check: warnings are errors\n"
      "  --list FILE...  print the instructions each line of the script files compiles to\n"
      "  --format FILE...  lay out the script files in the one layout of vesk scripts and\n"
      "                  write them back; '-' formats standard input to standard output\n"
      "  --format --check FILE...  change nothing: list the files that would change, and\n"
      "                  exit 1 when there are any\n"
      "  --lsp           the language server for editors, on standard input and output\n"
      "  --trace         write every statement to standard error as it runs\n"
      "  --profile[=FILE]  after the run, the twenty lines that took the most time (standard\n"
      "                  error), or every line's figures as tab-separated values in FILE\n"
      "  --coverage FILE  write how often each line ran as an lcov trace file\n"
      "  --overwrite     let --coverage and --profile=FILE replace a file that is not theirs\n"
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

char const* runname(mode what) {
  switch (what) {
  case mode::input:
    return "-";
  case mode::line:
    return "-c";
  case mode::expression:
    return "-e";
  case mode::session:
    return "prompt";
  default:
    return nullptr;
  }
}

} // namespace cli
