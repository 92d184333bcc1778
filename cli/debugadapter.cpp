// debugadapter.cpp - the launch side of `vesk --dap`: the client's launch request read into
// what the command line would give (program, NAME=VALUE parameters, working folder, script
// folders, libraries, statement limit, timeout), the script run on a thread of its own under
// the adapter's statement hook, and its output, exit status and end sent back as events.
#include "debugadapter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#include "jsonfields.h"
#include "loader.h"
#include "parameters.h"
#include "runcontrol.h"
#include "scriptfile.h"
#include "scripttext.h"
#include "session.h"
#include "stdiochannel.h"
#include "vesk.h"
#include "watchdog.h"

namespace cli {

namespace {

using dap::json;

constexpr int exitsuccess = 0, exitfailure = 1;
constexpr std::size_t maxscriptfolders = 2;
constexpr int mainthread = 1; // the protocol's id of the run's thread
#if defined(_WIN32)
constexpr char pathseparator = '\\';
#else
constexpr char pathseparator = '/';
#endif

dap::outlet* client = nullptr; // where the engine's lines go while the adapter runs

// The engine's lines as output events: print and dump on "stdout", diagnostics on "stderr".
void sendlog(int level, char const* text) {
  if (client != nullptr)
    client->output(level == vesk::logoutput ? "stdout" : "stderr", std::string(text) + "\n");
}

// What a launch request asks for, checked.
struct launchsettings {
  std::string program;
  std::vector<std::string> assignments;
  std::vector<std::string> folders;
  std::vector<std::string> libraries;
  long long maxstatements = 0;
  double timeout = 0;
  bool stoponentry = false;
  bool nodebug = false;
};

bool readsettings(json const& arguments, launchsettings& out, std::string& error) {
  out.program = dap::text(arguments, "program");
  if (out.program.empty()) return error = "'program' names no script", false;
  if (!dap::texts(arguments, "args", out.assignments) ||
      !dap::texts(arguments, "scriptFolders", out.folders) ||
      !dap::texts(arguments, "libraries", out.libraries))
    return error = "'args', 'scriptFolders' and 'libraries' are lists of texts", false;
  for (std::string const& assignment : out.assignments)
    if (assignment.find('=') == std::string::npos || assignment[0] == '=')
      return error = "a parameter is NAME=VALUE, not '" + assignment + "'", false;
  if (out.folders.size() > maxscriptfolders) return error = "at most two script folders", false;
  double statements = dap::number(arguments, "maxStatements", 0);
  if (statements != 0 &&
      (statements < 1 || statements != std::floor(statements) || statements > 1e18))
    return error = "'maxStatements' is a whole number of statements, at least 1", false;
  out.maxstatements = static_cast<long long>(statements);
  out.timeout = dap::number(arguments, "timeout", 0);
  if (!(out.timeout >= 0)) return error = "'timeout' is a number of seconds above 0", false;
  out.stoponentry = dap::boolean(arguments, "stopOnEntry", false);
  out.nodebug = dap::boolean(arguments, "noDebug", false);
  std::string folder = dap::text(arguments, "cwd");
  std::error_code failed;
  if (!folder.empty()) std::filesystem::current_path(folder, failed);
  if (failed) return error = "cannot work in folder '" + folder + "': " + failed.message(), false;
  return true;
}

// One launched script and the thread that runs it.
class launcher : public dap::target {
public:
  launcher() : engine(&globals, sendlog) {}
  ~launcher() override { end(json::object()); }
  launcher(launcher const&) = delete;
  launcher& operator=(launcher const&) = delete;

  char const* startcommand() const override { return "launch"; }
  bool prepare(json const& arguments, dap::runcontrol& control, std::string& error) override;
  void begin() override;
  bool terminate(std::string& error) override;
  void end(json const& disconnect) override;

private:
  bool readscript(std::string& error);
  bool loadlibraries(std::string& error);
  void run();

  vesk::variables globals;
  vesk::interpreter engine;
  launchsettings settings;
  dap::runcontrol* hook = nullptr;
  std::string path; // the script as found
  std::string text;
  std::vector<char const*> lines;
  std::thread runner;
  bool prepared = false;
  bool ended = false; // terminated before it began
};

bool launcher::readscript(std::string& error) {
  std::vector<char const*> folders;
  for (std::string const& folder : settings.folders) folders.push_back(folder.c_str());
  if (!findscript(settings.program.c_str(), folders, pathseparator, path, error)) return false;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return error = "cannot read script '" + path + "'", false;
  readstatus read = readlines(file, text, lines);
  fclose(file);
  if (read == readstatus::complete) return true;
  if (read == readstatus::toolarge)
    error = "script '" + path + "' is larger than " + maxscriptsize;
  else if (read == readstatus::nulbyte)
    error = path + "(" + std::to_string(lines.size() + 1) + "): line holds a NUL byte";
  else
    error = "cannot read script '" + path + "'";
  return false;
}

bool launcher::loadlibraries(std::string& error) {
  for (std::string const& library : settings.libraries) {
    std::string reason;
    if (!loadlibrary(library.c_str(), reason))
      return error = "cannot load library '" + library + "': " + reason, false;
    if (!engine.add(library.c_str()))
      return error = "library '" + library + "' cannot be used (see the output)", false;
  }
  return true;
}

bool launcher::prepare(json const& arguments, dap::runcontrol& control, std::string& error) {
  if (!readsettings(arguments, settings, error) || !readscript(error)) return false;
  engine.addinternalfuncs(nullptr);
  if (!loadlibraries(error)) return false;
  engine.setstatementlimit(settings.maxstatements);
  engine.setscriptpath(settings.folders.size() > 0 ? settings.folders[0].c_str() : "",
                       settings.folders.size() > 1 ? settings.folders[1].c_str() : "");
  hook = &control;
  // Run without debugging: no hook, so that the run costs what it costs without an adapter.
  if (!settings.nodebug) {
    engine.sethook(dap::runcontrol::onstatement, &control);
    engine.seterrorhook(dap::runcontrol::onerror, &control);
  }
  if (settings.stoponentry && !settings.nodebug) control.stoponentry();
  prepared = true;
  return true;
}

void launcher::begin() {
  if (prepared && !ended && !runner.joinable()) runner = std::thread([this] { run(); });
}

void launcher::run() {
  vesk::parameters params;
  bool stored = true;
  for (std::string const& assignment : settings.assignments)
    if (!addparameter(params, assignment.c_str())) stored = false;
  int status = exitfailure;
  // An empty script succeeds; the engine takes a null array of lines for an error.
  if (stored && lines.empty()) status = exitsuccess;
  if (stored && !lines.empty()) {
    client->event("thread", {{"reason", "started"}, {"threadId", mainthread}});
    globals.setoverlay(&params);
    watchdog timer(engine, settings.timeout);
    if (engine.execute(lines.data(), static_cast<int>(lines.size()), path.c_str()))
      status = exitsuccess;
    globals.setoverlay(nullptr);
    client->event("thread", {{"reason", "exited"}, {"threadId", mainthread}});
  }
  vesk::releasevalue(&params);
  client->event("exited", {{"exitCode", status}});
  client->event("terminated");
}

bool launcher::terminate(std::string&) {
  if (!runner.joinable()) {
    if (!ended) client->event("terminated");
    ended = true;
    return true;
  }
  hook->terminate();
  engine.stop(); // also ends a sleep
  return true;
}

void launcher::end(json const& disconnect) {
  if (runner.joinable()) {
    if (dap::boolean(disconnect, "terminateDebuggee", true)) {
      hook->terminate();
      engine.stop();
    } else {
      hook->release();
    }
    runner.join();
  }
  ended = true;
  vesk::releasevalue(&globals);
}

} // namespace

int debugadapter() {
  dap::stdiochannel stream;
  dap::runcontrol hook;
  launcher script;
  dap::session conversation(stream, script, hook);
  client = &conversation.client();
  conversation.serve();
  client = nullptr;
  return exitsuccess;
}

} // namespace cli
