// debughost.cpp - a small host that a debugger can attach to: it runs the script file it is
// given round after round, as a host runs its scripts, with a vesk::debugger listening on a
// loopback port. Attach an editor's debugger (request "attach", host 127.0.0.1 and the port it
// prints) and set breakpoints in the script: the next round stops there.
//   debughost [--port N] [--rounds N] [--pause MS] SCRIPT.vk
// --port 0 (the default) lets the system choose the port; --rounds 0 (the default) runs until
// the host is ended; --pause is the time between rounds (default 500 ms).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "vesk.h"
#include "veskdebug.h"

namespace {

vesk::debugger* attached = nullptr; // where the log function sends each line too

// Output of print goes to standard output, diagnostics to standard error, and both to the
// attached client's console.
void writelog(int level, char const* text) {
  std::fprintf(level == vesk::logoutput ? stdout : stderr, "%s\n", text);
  std::fflush(level == vesk::logoutput ? stdout : stderr);
  if (attached != nullptr) attached->log(level, text);
}

struct settings {
  int port = 0;
  long rounds = 0;
  long pause = 500;
  std::string folder; // of the script
  std::string name;   // the script's name without folder and .vk
};

bool readarguments(int argc, char** argv, settings& out) {
  int i = 1;
  for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
    long value = std::strtol(argv[i + 1], nullptr, 10);
    if (std::strcmp(argv[i], "--port") == 0)
      out.port = static_cast<int>(value);
    else if (std::strcmp(argv[i], "--rounds") == 0)
      out.rounds = value;
    else if (std::strcmp(argv[i], "--pause") == 0)
      out.pause = value;
    else
      return false;
  }
  if (i + 1 != argc) return false;
  std::string script = argv[i];
  std::size_t slash = script.find_last_of("/\\");
  out.folder = slash == std::string::npos ? "." : script.substr(0, slash);
  out.name = slash == std::string::npos ? script : script.substr(slash + 1);
  if (out.name.size() > 3 && out.name.compare(out.name.size() - 3, 3, ".vk") == 0)
    out.name.resize(out.name.size() - 3);
  return true;
}

} // namespace

int main(int argc, char** argv) {
  settings wanted;
  if (!readarguments(argc, argv, wanted)) {
    std::fprintf(stderr, "usage: debughost [--port N] [--rounds N] [--pause MS] SCRIPT.vk\n");
    return 2;
  }
  vesk::variables globals;
  vesk::interpreter engine(&globals, writelog);
  engine.addinternalfuncs(nullptr);
  engine.setscriptpath(wanted.folder.c_str(), nullptr);
  vesk::debugger debugger(engine);
  if (!debugger.listen(wanted.port)) {
    std::fprintf(stderr, "debughost: cannot listen on port %d: %s\n", wanted.port,
                 debugger.error());
    return 1;
  }
  attached = &debugger;
  std::printf("debughost: listening on 127.0.0.1:%d\n", debugger.port());
  std::fflush(stdout);
  for (long round = 1; wanted.rounds == 0 || round <= wanted.rounds; ++round) {
    vesk::parameters params;
    params.add(static_cast<double>(round), "pass");
    engine.execute(wanted.name.c_str(), &params);
    vesk::releasevalue(&params);
    std::this_thread::sleep_for(std::chrono::milliseconds(wanted.pause));
  }
  attached = nullptr;
  vesk::releasevalue(&globals);
  return 0;
}
