// main.cpp - vesk, the command-line host of the engine: runs a script file with parameters,
// the script on standard input, one command line, one expression, or a session at the prompt,
// with output on standard output and diagnostics on standard error. Exit status 0 success,
// 1 failure of the script, 2 usage, missing script or unreadable standard input.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frontend/symbolizer.h"
#include "options.h"
#include "prompt.h"
#include "standardinput.h"
#include "terminal.h"
#include "vesk.h"
#include "watchdog.h"

namespace {

constexpr int exitsuccess = 0, exitfailure = 1, exitusage = 2;
constexpr std::size_t maxscriptpath = 127; // longest path the engine opens a script by
constexpr char const* inputname = "-";     // the script on standard input in diagnostics

// Level 3 (output) to standard output, every other level to standard error.
void writelog(int level, char const* text) {
  FILE* stream = level == vesk::logoutput ? stdout : stderr;
  fputs(text, stream);
  fputc('\n', stream);
}

// Gives back the storage of a value and of every list inside it.
void releasetree(vesk::variable& value) {
  if (!value.islist() && !value.isnamedlist()) return;
  vesk::variable walker = value; // by cursor: index(i) would walk the blocks from the start
  for (vesk::variable* e = walker.first(); e != nullptr; e = walker.next()) releasetree(*e);
  value.reset();
}

// Prints a value the way the engine's dump prints it.
void print(vesk::variable* value) {
  vesk::interpreter printer(writelog);
  printer.addinternalfuncs(nullptr);
  vesk::parameters params;
  params.add(value, "");
  printer.execute("dump", &params);
  params.reset();
}

// True when `text` reads, after an optional minus, as exactly one number token.
bool readnumber(char const* text, double& number) {
  // Only the characters a number is written with: blanks or a comment around the digits would
  // be skipped by the tokenizer, yet make the value a text.
  if (text[strspn(text, "0123456789.eE+-\"")] != '\0') return false;
  bool minus = text[0] == '-';
  vesk::symbolizer tokens(text + (minus ? 1 : 0), vesk::standardoptions);
  vesk::token first, rest;
  vesk::tokentype type = tokens.nexttoken(first);
  if (type != vesk::integertoken && type != vesk::realtoken) return false;
  if (tokens.nexttoken(rest) != vesk::endtoken) return false;
  number = type == vesk::integertoken ? first.integer : first.real;
  if (minus) number = -number;
  return true;
}

bool addparameter(vesk::parameters& params, char const* assignment) {
  char const* equals = strchr(assignment, '=');
  std::string name(assignment, equals);
  double number = 0;
  if (readnumber(equals + 1, number)) return params.add(number, name.c_str()) != nullptr;
  return params.add(equals + 1, name.c_str()) != nullptr;
}

// The NAME=VALUE arguments as the script's parameters; false when one could not be stored.
bool addparameters(vesk::parameters& params, cli::options const& opts) {
  bool stored = true;
  for (char const* assignment : opts.assignments)
    if (!addparameter(params, assignment)) stored = false;
  return stored;
}

bool exists(std::string const& path) {
  FILE* file = fopen(path.c_str(), "r");
  if (file != nullptr) fclose(file);
  return file != nullptr;
}

// Where the engine will look for the script: the working directory, then the -I directories.
bool findable(std::string const& name, cli::options const& opts) {
  if (exists(name + ".vk")) return true;
  for (char const* directory : opts.directories)
    if (exists(std::string(directory) + "/" + name + ".vk")) return true;
  return false;
}

int runscript(vesk::interpreter& engine, cli::options const& opts) {
  std::string name = opts.target;
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".vk") == 0) name.resize(name.size() - 3);
  if (name.size() + 3 > maxscriptpath) {
    fprintf(stderr, "vesk: script path '%s' longer than %zu characters\n", opts.target,
            maxscriptpath);
    return exitusage;
  }
  if (!findable(name, opts)) {
    fprintf(stderr, "vesk: script '%s' not found\n", opts.target);
    return exitusage;
  }
  vesk::parameters params;
  int status = addparameters(params, opts) ? exitsuccess : exitfailure;
  if (status == exitsuccess) {
    cli::watchdog timer(engine, opts.timeout);
    if (!engine.execute(name.c_str(), &params)) status = exitfailure;
  }
  releasetree(params);
  return status;
}

// The script on standard input runs as a run of lines named "-", with its parameters laid
// over the global store as a script file called by name has them. The time limit starts once
// the whole script has been read.
int runinput(vesk::interpreter& engine, vesk::variables& globals, cli::options const& opts) {
  std::string text;
  std::vector<char const*> lines;
  if (!cli::readlines(stdin, text, lines)) {
    fprintf(stderr, "vesk: cannot read standard input: %s\n", strerror(errno));
    return exitusage;
  }
  vesk::parameters params;
  int status = addparameters(params, opts) ? exitsuccess : exitfailure;
  // An empty script succeeds; the engine takes a null array of lines for an error.
  if (status == exitsuccess && !lines.empty()) {
    globals.setoverlay(&params);
    cli::watchdog timer(engine, opts.timeout);
    if (!engine.execute(lines.data(), static_cast<int>(lines.size()), inputname))
      status = exitfailure;
    globals.setoverlay(nullptr);
  }
  releasetree(params);
  return status;
}

// Runs what the command line asks for, once.
int runonce(vesk::interpreter& engine, vesk::variables& globals, cli::options const& opts) {
  if (opts.what == cli::mode::script) return runscript(engine, opts);
  if (opts.what == cli::mode::input) return runinput(engine, globals, opts);
  cli::watchdog timer(engine, opts.timeout);
  if (opts.what == cli::mode::line)
    return engine.execute(opts.target, "-c") ? exitsuccess : exitfailure;
  vesk::variable* value = engine.evaluate(opts.target);
  if (value == nullptr) return exitfailure;
  print(value);
  return exitsuccess;
}

int run(cli::options const& opts) {
  vesk::variables globals;
  vesk::interpreter engine(&globals, writelog);
  if (opts.builtins) engine.addinternalfuncs(nullptr);
  engine.setstatementlimit(opts.maxstatements);
  constexpr double megabyte = 1024.0 * 1024.0, mostbytes = 1e18;
  double bytes = opts.maxmemory * megabyte;
  vesk::setstorelimit(bytes < mostbytes ? static_cast<unsigned long long>(bytes) : 0);
  char const* first = opts.directories.size() > 0 ? opts.directories[0] : "";
  char const* second = opts.directories.size() > 1 ? opts.directories[1] : "";
  engine.setscriptpath(first, second);
  int status = opts.what == cli::mode::session ? cli::prompt(engine, opts.timeout)
                                               : runonce(engine, globals, opts);
  if (opts.globals) print(&globals);
  releasetree(globals);
  return status;
}

} // namespace

int main(int argc, char** argv) {
  cli::options opts;
  if (!cli::parse(argc, argv, opts)) return exitusage;
  if (opts.what == cli::mode::help) {
    cli::printhelp();
    return exitsuccess;
  }
  if (opts.what == cli::mode::version) {
    printf("vesk %s\n", vesk::version());
    return exitsuccess;
  }
  // Without a script only a person at a terminal gets the prompt; a pipe or file is a script.
  if (opts.what == cli::mode::session && !cli::terminalinput()) opts.what = cli::mode::input;
  return run(opts);
}
