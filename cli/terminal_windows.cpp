// terminal_windows.cpp - the prompt's side of the Windows console: plain line reads (no line
// editing library there) and Ctrl-C through a console control handler. The system runs the
// handler on a thread of its own, so it may ask the interpreter to stop directly.
#include "terminal.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>

namespace cli {

bool terminalinput() {
  return _isatty(_fileno(stdin)) != 0;
}

char const* endofinputkeys() {
  return "Ctrl-Z and Enter";
}

void binarystreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

namespace {

std::atomic<vesk::interpreter*> runningengine{nullptr};
std::atomic<bool> interrupted{false};

// Ctrl-C stops the run in progress, or else drops the line being typed; any other event
// (Ctrl-Break, closing the console) is left to the next handler, which ends vesk.
BOOL WINAPI oncontrol(DWORD event) {
  if (event != CTRL_C_EVENT) return FALSE;
  vesk::interpreter* engine = runningengine.load();
  if (engine != nullptr)
    engine->stop();
  else
    interrupted = true;
  return TRUE;
}

// The console ends a read that Ctrl-C interrupts with an error rather than with the end of
// input (Ctrl-Z), so either the handler's flag or a read error counts as the interruption.
readresult readplain(char const* prompt, std::string& line) {
  fputs(prompt, stdout);
  fflush(stdout);
  line.clear();
  int c = 0;
  while ((c = getc(stdin)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  if (c == '\n') return readresult::line;
  bool stopped = interrupted.exchange(false) || ferror(stdin) != 0;
  clearerr(stdin);
  // A last line without a newline still counts; the next read reports the end.
  if (!stopped && !line.empty()) return readresult::line;
  return stopped ? readresult::interrupted : readresult::end;
}

} // namespace

struct lineinput::editor {};

lineinput::lineinput(std::string const&, namesource) {}
lineinput::~lineinput() = default;

readresult lineinput::read(char const* prompt, std::string& line) {
  return readplain(prompt, line);
}

void lineinput::remember(std::string const&) {}

interruptions::interruptions() {
  interrupted = false;
  SetConsoleCtrlHandler(oncontrol, TRUE);
}

interruptions::~interruptions() {
  runningengine.store(nullptr);
  SetConsoleCtrlHandler(oncontrol, FALSE);
}

void interruptions::running(vesk::interpreter* engine) {
  runningengine.store(engine);
}

} // namespace cli
