// main.cpp - vesk, the command-line host of the engine: runs a script file with parameters,
// the script on standard input, one command line, one expression, or a session at the prompt,
// with output on standard output and diagnostics on standard error, or checks script files
// without running them, formats them, or serves an editor as its language server. Exit status
// 0 success, 1 failure of the script (or errors found by the check, or files --format --check
// would change), 2 usage, a library that cannot be loaded, a script that cannot be found or
// read, or a profile or coverage file that cannot be written.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "debugadapter.h"
#include "formatfiles.h"
#include "parameters.h"
#include "tokenizer.h"
#if VESK_LANGUAGE_SERVER
#include "lsp/session.h"
#endif
#include "loader.h"
#include "messages.h"
#include "observer.h"
#include "options.h"
#include "prompt.h"
#include "scriptfile.h"
#include "scripttext.h"
#include "terminal.h"
#include "values.h"
#include "vesk.h"
#include "watchdog.h"

namespace {

constexpr int exitsuccess = 0, exitfailure = 1, exitusage = 2;
#if defined(_WIN32)
constexpr char pathseparator = '\\'; // as the engine joins a folder and a script's name
#else
constexpr char pathseparator = '/';
#endif

cli::messages* lines = nullptr; // where writelog goes; set for the whole of main

void writelog(int level, char const* text) {
  lines->write(level, text);
}

// A message of the command itself, after whatever the engine wrote before it.
void complain(char const* format, char const* first, char const* second = "") {
  lines->flush();
  fprintf(stderr, format, first, second);
}

// The NAME=VALUE arguments as the script's parameters; false when one could not be stored.
bool addparameters(vesk::parameters& params, cli::options const& opts) {
  bool stored = true;
  for (char const* assignment : opts.assignments)
    if (!cli::addparameter(params, assignment)) stored = false;
  return stored;
}

// Runs the lines of a script named `name` in diagnostics, with its parameters laid over the
// global store as the engine lays a called script's. The time limit starts with the run.
int runlines(vesk::interpreter& engine, vesk::variables& globals, cli::options const& opts,
             std::vector<char const*>& script, char const* name) {
  vesk::parameters params;
  int status = addparameters(params, opts) ? exitsuccess : exitfailure;
  // An empty script succeeds; the engine takes a null array of lines for an error.
  if (status == exitsuccess && !script.empty()) {
    globals.setoverlay(&params);
    cli::watchdog timer(engine, opts.timeout);
    if (!engine.execute(script.data(), static_cast<int>(script.size()), name)) status = exitfailure;
    globals.setoverlay(nullptr);
  }
  vesk::releasevalue(&params);
  return status;
}

// A script with a NUL byte in a line does not run: the line would end there without a word.
int refusenul(char const* name, std::size_t line) {
  complain("%s(%s): error: line holds a NUL byte\n", name, std::to_string(line).c_str());
  return exitfailure;
}

// The script file named on the command line runs as the lines of that file, under the path
// it was found at: the file is what runs even when a function has its name, diagnostics name
// the path, and the scripts it calls are looked for beside it.
int runscript(vesk::interpreter& engine, vesk::variables& globals, cli::options const& opts) {
  std::string path, problem;
  if (!cli::findscript(opts.target, opts.directories, pathseparator, path, problem)) {
    complain("vesk: %s\n", problem.c_str());
    return exitusage;
  }
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) {
    complain("vesk: cannot read script '%s': %s\n", path.c_str(), strerror(errno));
    return exitusage;
  }
  std::string text;
  std::vector<char const*> script;
  cli::readstatus read = cli::readlines(file, text, script);
  int error = errno;
  fclose(file);
  if (read == cli::readstatus::toolarge) {
    complain("vesk: script '%s' is larger than %s\n", path.c_str(), cli::maxscriptsize);
    return exitusage;
  }
  if (read == cli::readstatus::failed) {
    complain("vesk: cannot read script '%s': %s\n", path.c_str(), strerror(error));
    return exitusage;
  }
  if (read == cli::readstatus::nulbyte) return refusenul(path.c_str(), script.size() + 1);
  return runlines(engine, globals, opts, script, path.c_str());
}

// The script on standard input runs as a run of lines named "-". The time limit starts once
// the whole script has been read.
int runinput(vesk::interpreter& engine, vesk::variables& globals, cli::options const& opts) {
  std::string text;
  std::vector<char const*> script;
  cli::readstatus read = cli::readlines(stdin, text, script);
  if (read == cli::readstatus::toolarge) {
    complain("vesk: standard input holds more than %s, the most a script may have\n",
             cli::maxscriptsize);
    return exitusage;
  }
  if (read == cli::readstatus::failed) {
    complain("vesk: cannot read standard input: %s\n", strerror(errno));
    return exitusage;
  }
  if (read == cli::readstatus::nulbyte)
    return refusenul(cli::runname(cli::mode::input), script.size() + 1);
  return runlines(engine, globals, opts, script, cli::runname(cli::mode::input));
}

// The expression of -e runs as a command line named "-e", so that the engine reports text
// after it; the value it leaves is shown.
int runexpression(vesk::interpreter& engine, cli::options const& opts) {
  bool ran = false;
  {
    cli::watchdog timer(engine, opts.timeout);
    ran = engine.execute(opts.target, cli::runname(cli::mode::expression));
  }
  if (!ran) return exitfailure;
  vesk::variable* value = cli::lastvalue(engine);
  if (value == nullptr) {
    complain("vesk: -e: '%s' gives no value (a call of a function without a result, or an "
             "assignment)\n",
             opts.target);
    return exitfailure;
  }
  cli::show(value, writelog);
  return exitsuccess;
}

// Runs what the command line asks for, once.
int runonce(vesk::interpreter& engine, vesk::variables& globals, cli::options const& opts) {
  if (opts.what == cli::mode::script) return runscript(engine, globals, opts);
  if (opts.what == cli::mode::input) return runinput(engine, globals, opts);
  if (opts.what == cli::mode::expression) return runexpression(engine, opts);
  cli::watchdog timer(engine, opts.timeout);
  return engine.execute(opts.target, cli::runname(cli::mode::line)) ? exitsuccess : exitfailure;
}

// Keeps the text of the engine's messages while it lives, instead of writing them.
class heldmessages {
public:
  explicit heldmessages(vesk::interpreter& engine) : engine(engine) {
    held.clear();
    engine.setlogfunc(hold);
  }
  ~heldmessages() { engine.setlogfunc(writelog); }
  heldmessages(heldmessages const&) = delete;
  heldmessages& operator=(heldmessages const&) = delete;
  // The messages so far, without the prefix of script and line, one after the other.
  std::string const& text() const { return held; }

private:
  static void hold(int, char const* text) {
    char const* error = strstr(text, "error: ");
    if (!held.empty()) held += "; ";
    held += error != nullptr ? error + strlen("error: ") : text;
  }
  static inline std::string held;
  vesk::interpreter& engine;
};

// Loads the -l libraries in order; false, after a message, at the first that fails.
bool loadlibraries(vesk::interpreter& engine, cli::options const& opts) {
  for (char const* library : opts.libraries) {
    std::string reason;
    if (!cli::loadlibrary(library, reason)) {
      complain("vesk: cannot load library '%s': %s\n", library, reason.c_str());
      return false;
    }
    heldmessages messages(engine);
    if (!engine.add(library)) {
      complain("vesk: library '%s': %s\n", library, messages.text().c_str());
      return false;
    }
  }
  return true;
}

// The built-ins that reach the machine's files, which --no-files holds back.
bool isfilefunction(char const* name) {
  static char const* const files[] = {"getfolderpath", "enumfiles",  "enumfolders", "deletefile",
                                      "deletefolder",  "renamefile", "createfolder"};
  for (char const* file : files)
    if (strcmp(file, name) == 0) return true;
  return false;
}

// The names completion at the prompt offers besides keywords and variables.
std::vector<std::string> functionnames(cli::options const& opts) {
  static std::vector<std::string>* names = nullptr;
  static bool filefunctions = true;
  std::vector<std::string> collected;
  names = &collected;
  filefunctions = opts.filebuiltins;
  if (opts.builtins) {
    vesk::interpreter lister(nullptr);
    lister.addinternalfuncs([](char const* name) {
      if (filefunctions || !isfilefunction(name)) names->emplace_back(name);
      return true; // registers nothing
    });
  }
  for (char const* library : opts.libraries)
    for (std::string& name : cli::libraryfunctions(library)) collected.push_back(name);
  names = nullptr;
  return collected;
}

// The file of the script named on the command line; "" for none, or one not found (which the
// run then reports).
std::string scriptfile(cli::options const& opts) {
  std::string path, problem;
  if (opts.what != cli::mode::script) return "";
  return cli::findscript(opts.target, opts.directories, pathseparator, path, problem) ? path : "";
}

// A run or a session, with what the command line asks to watch while it goes.
int runwatched(vesk::interpreter& engine, vesk::variables& globals, cli::options const& opts) {
  cli::observer watching(opts, *lines);
  if (!watching.ready(scriptfile(opts))) return exitusage;
  watching.attach(engine);
  int status = opts.what == cli::mode::session
                   ? cli::prompt(engine, opts.timeout, functionnames(opts), writelog, *lines)
                   : runonce(engine, globals, opts);
  return watching.finish() ? status : exitusage;
}

// --files and --no-files: the interpreter is confined to the folders (to none without file
// functions); false, after a message, for a folder that cannot be allowed.
bool confine(vesk::interpreter& engine, cli::options const& opts) {
  if (opts.filebuiltins && opts.folders.empty()) return true;
  heldmessages messages(engine);
  if (!opts.filebuiltins) return engine.allowfolder(nullptr);
  for (char const* folder : opts.folders) {
    if (!engine.allowfolder(folder)) {
      complain("vesk: --files: %s\n", messages.text().c_str());
      return false;
    }
  }
  return true;
}

// The language server, when vesk is built with it (it needs a JSON library).
int serve(vesk::interpreter& engine, cli::options const& opts) {
#if VESK_LANGUAGE_SERVER
  return cli::lsp::serve(engine, opts);
#else
  (void)engine;
  (void)opts;
  complain("vesk: %s%s\n", "--lsp: this vesk was built without the language server (it needs ",
           "nlohmann-json; Debian/Ubuntu: apt-get install nlohmann-json3-dev)");
  return exitusage;
#endif
}

int run(cli::options const& opts) {
  vesk::variables globals;
  vesk::interpreter engine(&globals, writelog);
  if (opts.builtins) engine.addinternalfuncs(opts.filebuiltins ? nullptr : isfilefunction);
  if (!confine(engine, opts) || !loadlibraries(engine, opts)) return exitusage;
  cli::watchvalues(engine);
  engine.setstatementlimit(opts.maxstatements);
  vesk::setstorelimit(opts.maxstorebytes);
  char const* first = opts.directories.size() > 0 ? opts.directories[0] : "";
  char const* second = opts.directories.size() > 1 ? opts.directories[1] : "";
  engine.setscriptpath(first, second);
  bool reads = opts.what == cli::mode::check || opts.what == cli::mode::list;
  int status = reads ? cli::checkscripts(engine, opts, pathseparator, *lines)
               : opts.what == cli::mode::lsp ? serve(engine, opts)
                                             : runwatched(engine, globals, opts);
  if (opts.globals) cli::showglobals(globals, writelog);
  lines->flush();
  vesk::releasevalue(&globals);
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
  if (opts.what == cli::mode::format) {
    cli::binarystreams();
    return cli::formatfiles(opts);
  }
  if (opts.what == cli::mode::dap) return cli::debugadapter();
  // Without a script only a person at a terminal gets the prompt; a pipe or file is a script.
  if (opts.what == cli::mode::session && !cli::terminalinput()) opts.what = cli::mode::input;
  cli::messages written(stdout, stderr, cli::utf8locale());
  lines = &written;
  int status = run(opts);
  lines = nullptr;
  return status;
}
