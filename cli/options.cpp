// options.cpp - parsing and explaining the command line of vesk. Everything after the script
// (or "-") is a NAME=VALUE parameter; options come before it.
#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

constexpr std::size_t maxdirectories = 2;

bool usage(char const* text, char const* detail = "") {
  fprintf(stderr, "vesk: %s%s (try 'vesk --help')\n", text, detail);
  return false;
}

// The argument after option `name`, or a usage error.
bool value(int argc, char** argv, int& i, char const*& out, char const* name) {
  if (i + 1 >= argc) return usage("missing argument after ", name);
  out = argv[++i];
  return true;
}

// A positive number after option `name`, or a usage error.
bool positive(int argc, char** argv, int& i, double& out, char const* name) {
  char const* text = nullptr;
  if (!value(argc, argv, i, text, name)) return false;
  char* end = nullptr;
  out = strtod(text, &end);
  if (end == text || *end != '\0' || !(out > 0))
    return usage("expected a positive number after ", name);
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
    } else if (strcmp(arg, "--globals") == 0) {
      out.globals = true;
    } else if (strcmp(arg, "--no-builtins") == 0) {
      out.builtins = false;
    } else if (strcmp(arg, "--max-statements") == 0) {
      double count = 0;
      if (!positive(argc, argv, i, count, arg)) return false;
      out.maxstatements = count < 1e18 ? static_cast<long long>(count) : 1000000000000000000LL;
    } else if (strcmp(arg, "--max-memory") == 0) {
      if (!positive(argc, argv, i, out.maxmemory, arg)) return false;
    } else if (strcmp(arg, "--timeout") == 0) {
      if (!positive(argc, argv, i, out.timeout, arg)) return false;
    } else if (strcmp(arg, "-I") == 0) {
      char const* directory = nullptr;
      if (!value(argc, argv, i, directory, "-I")) return false;
      if (out.directories.size() == maxdirectories) return usage("at most two -I directories");
      out.directories.push_back(directory);
    } else if (strcmp(arg, "-e") == 0 || strcmp(arg, "-c") == 0) {
      out.what = arg[1] == 'e' ? mode::expression : mode::line;
      if (!value(argc, argv, i, out.target, arg)) return false;
    } else if (strcmp(arg, "-") == 0) {
      out.what = mode::input;
      out.target = arg;
    } else if (arg[0] == '-') {
      return usage("unknown option ", arg);
    } else {
      out.what = mode::script;
      out.target = arg;
    }
  }
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
      "  --globals       after the run or session, print the global variables\n"
      "  --no-builtins   run without the built-in functions\n"
      "  --max-statements N   stop a run after N statements\n"
      "  --timeout SECONDS    stop a run after that many seconds\n"
      "  --max-memory MB      let the lists a script stores take at most MB megabytes\n"
      "  --version       print the library's version\n"
      "  -h, --help      print this text\n"
      "The script on standard input is named '-' in diagnostics: '-(3): error: ...'.\n"
      "At the prompt every entry is a run of its own, named 'prompt', over one global store\n"
      "kept for the session. A line whose first word opens a block (if, for, repeat, do, try,\n"
      "parallel) is collected, with the prompt '....>', until its blocks are closed; then the\n"
      "lines run together. Expression values are not echoed: use print. Ctrl-C stops a run\n"
      "or drops the entry being typed; Ctrl-D at an empty prompt ends the session.\n"
      "Output of print and dump goes to standard output, diagnostics to standard error.\n"
      "Exit status: 0 success, 1 the script, line or expression failed, 2 usage error or\n"
      "script not found. A session at the prompt ends with 0.\n",
      stdout);
}

} // namespace cli
