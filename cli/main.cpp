// main.cpp - vesk, the command-line host of the engine: runs a script file with parameters,
// one command line, or one expression, with output on standard output and diagnostics on
// standard error. Exit status 0 success, 1 failure of the script, 2 usage or missing script.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "frontend/symbolizer.h"
#include "options.h"
#include "vesk.h"

namespace {

constexpr int exitsuccess = 0, exitfailure = 1, exitusage = 2;
constexpr std::size_t maxscriptpath = 127; // longest path the engine opens a script by

// Level 3 (output) to standard output, every other level to standard error.
void writelog(int level, char const* text) {
  FILE* stream = level == vesk::logoutput ? stdout : stderr;
  fputs(text, stream);
  fputc('\n', stream);
}

// Gives back the storage of a value and of every list inside it.
void releasetree(vesk::variable& value) {
  if (!value.islist() && !value.isnamedlist()) return;
  for (int i = 0, n = value.count(); i < n; ++i) releasetree(*value.index(i));
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
  int status = exitsuccess;
  for (char const* assignment : opts.assignments)
    if (!addparameter(params, assignment)) status = exitfailure;
  if (status == exitsuccess && !engine.execute(name.c_str(), &params)) status = exitfailure;
  releasetree(params);
  return status;
}

// Stops the engine's run when the time is up, unless the run ends first.
class watchdog {
public:
  watchdog(vesk::interpreter& engine, double seconds) : engine(engine) {
    if (seconds <= 0) return;
    auto limit = std::chrono::duration<double>(seconds);
    guard = std::thread([this, limit] {
      std::unique_lock<std::mutex> hold(lock);
      if (!finished.wait_for(hold, limit, [this] { return done; })) this->engine.stop();
    });
  }
  ~watchdog() {
    {
      std::lock_guard<std::mutex> hold(lock);
      done = true;
    }
    finished.notify_one();
    if (guard.joinable()) guard.join();
  }

private:
  vesk::interpreter& engine;
  std::thread guard;
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
};

int run(cli::options const& opts) {
  vesk::variables globals;
  vesk::interpreter engine(&globals, writelog);
  if (opts.builtins) engine.addinternalfuncs(nullptr);
  engine.setstatementlimit(opts.maxstatements);
  watchdog timer(engine, opts.timeout);
  char const* first = opts.directories.size() > 0 ? opts.directories[0] : "";
  char const* second = opts.directories.size() > 1 ? opts.directories[1] : "";
  engine.setscriptpath(first, second);
  int status = exitsuccess;
  if (opts.what == cli::mode::script) {
    status = runscript(engine, opts);
  } else if (opts.what == cli::mode::line) {
    status = engine.execute(opts.target, "-c") ? exitsuccess : exitfailure;
  } else if (vesk::variable* value = engine.evaluate(opts.target)) {
    print(value);
  } else {
    status = exitfailure;
  }
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
  return run(opts);
}
