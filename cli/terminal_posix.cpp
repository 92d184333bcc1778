// terminal_posix.cpp - the prompt's side of the terminal: libedit (when VESK_LINE_EDITING is set)
// or plain reads for lines, and a SIGINT handler. The handler does only async-signal-safe
// work: an atomic load and the interpreter's stop request, which is an atomic store.
#include "terminal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <locale.h>
#include <unistd.h>

#if VESK_LINE_EDITING
#include <histedit.h>
#endif

namespace cli {

bool terminalinput() {
  return isatty(STDIN_FILENO) == 1;
}

namespace {

// Plain reading, also the fallback when libedit cannot set the terminal up.
readresult readplain(char const* prompt, std::string& line) {
  fputs(prompt, stdout);
  fflush(stdout);
  line.clear();
  int c = 0;
  while ((c = getc(stdin)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  if (c == '\n') return readresult::line;
  bool interrupted = ferror(stdin) != 0 && errno == EINTR;
  clearerr(stdin);
  // A last line without a newline still counts; the next read reports the end.
  if (!interrupted && !line.empty()) return readresult::line;
  return interrupted ? readresult::interrupted : readresult::end;
}

} // namespace

#if VESK_LINE_EDITING

namespace {

constexpr int historysize = 1000;

} // namespace

// The editor and its history, and the user's character set (from LC_ALL, LC_CTYPE or LANG):
// libedit needs it to take multibyte characters as one, while the engine keeps the "C"
// locale, so it is made the thread's locale only while libedit works.
struct lineinput::editor {
  EditLine* line = nullptr;
  History* history = nullptr;
  HistEvent event{};
  char const* prompt = "";
  locale_t typing = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  ~editor() {
    if (typing != static_cast<locale_t>(0)) freelocale(typing);
  }
};

namespace {

// libedit asks for the prompt each time it draws the line; the client data points at the
// prompt of the read in progress.
char* currentprompt(EditLine* line) {
  char const** prompt = nullptr;
  el_get(line, EL_CLIENTDATA, &prompt);
  return const_cast<char*>(*prompt);
}

// Makes the user's character set the thread's while it lives.
class usercharset {
public:
  explicit usercharset(locale_t typing)
      : previous(typing != static_cast<locale_t>(0) ? uselocale(typing)
                                                    : static_cast<locale_t>(0)) {}
  ~usercharset() {
    if (previous != static_cast<locale_t>(0)) uselocale(previous);
  }
  usercharset(usercharset const&) = delete;
  usercharset& operator=(usercharset const&) = delete;

private:
  locale_t previous;
};

} // namespace

lineinput::lineinput() : state(std::make_unique<editor>()) {
  usercharset charset(state->typing);
  state->line = el_init("vesk", stdin, stdout, stderr);
  state->history = history_init();
  if (state->line == nullptr || state->history == nullptr) return;
  history(state->history, &state->event, H_SETSIZE, historysize);
  history(state->history, &state->event, H_SETUNIQUE, 1);
  el_set(state->line, EL_CLIENTDATA, &state->prompt);
  el_set(state->line, EL_EDITOR, "emacs");
  // libedit puts the terminal back in order before our handler sees Ctrl-C, and follows
  // window size changes.
  el_set(state->line, EL_SIGNAL, 1);
  el_set(state->line, EL_PROMPT, currentprompt);
  el_set(state->line, EL_HIST, history, state->history);
  // Tab inserts itself: blocks are often indented, and there is nothing to complete.
  el_set(state->line, EL_BIND, "^I", "ed-insert", nullptr);
  el_source(state->line, nullptr); // the user's ~/.editrc (or $EDITRC), "vesk:" lines included
}

lineinput::~lineinput() {
  if (state->line != nullptr) el_end(state->line);
  if (state->history != nullptr) history_end(state->history);
}

readresult lineinput::read(char const* prompt, std::string& line) {
  if (state->line == nullptr || state->history == nullptr) return readplain(prompt, line);
  state->prompt = prompt;
  usercharset charset(state->typing);
  int count = 0;
  char const* text = el_gets(state->line, &count);
  if (text == nullptr || count <= 0)
    return count < 0 && errno == EINTR ? readresult::interrupted : readresult::end;
  line.assign(text, static_cast<std::size_t>(count));
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return readresult::line;
}

void lineinput::remember(std::string const& line) {
  if (state->history != nullptr) history(state->history, &state->event, H_ENTER, line.c_str());
}

#else

struct lineinput::editor {};

lineinput::lineinput() = default;
lineinput::~lineinput() = default;

readresult lineinput::read(char const* prompt, std::string& line) {
  return readplain(prompt, line);
}

void lineinput::remember(std::string const&) {}

#endif

namespace {

std::atomic<vesk::interpreter*> runningengine{nullptr};
static_assert(std::atomic<vesk::interpreter*>::is_always_lock_free,
              "the SIGINT handler may only touch lock-free atomics");

struct sigaction previousaction;
bool diagnosticsonterminal = false;

// The terminal has echoed "^C" where the cursor stood; the message that the stopped run
// reports begins on a line of its own. Should that newline not get written, nothing is lost.
void oninterrupt(int) {
  vesk::interpreter* engine = runningengine.load();
  if (engine == nullptr) return;
  engine->stop();
  int interrupted = errno; // the code that the signal interrupted may be about to read errno
  if (diagnosticsonterminal) (void)!write(STDERR_FILENO, "\n", 1);
  errno = interrupted;
}

// Without SA_RESTART a read waiting for the next key returns EINTR, which ends the line;
// during a run reads and writes restart, so that output is not lost to the interruption.
void install(bool restart) {
  struct sigaction action {};
  action.sa_handler = oninterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = restart ? SA_RESTART : 0;
  sigaction(SIGINT, &action, nullptr);
}

} // namespace

interruptions::interruptions() {
  diagnosticsonterminal = isatty(STDERR_FILENO) == 1;
  sigaction(SIGINT, nullptr, &previousaction);
  install(false);
}

interruptions::~interruptions() {
  runningengine.store(nullptr);
  sigaction(SIGINT, &previousaction, nullptr);
}

void interruptions::running(vesk::interpreter* engine) {
  runningengine.store(engine);
  install(engine != nullptr);
}

} // namespace cli
