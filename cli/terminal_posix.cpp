// terminal_posix.cpp - the prompt's side of the terminal: libedit (when VESK_LINE_EDITING is set)
// with completion and a history file, or plain reads for lines, and a SIGINT handler. The
// handler does only async-signal-safe work: an atomic load and the interpreter's stop
// request, which is an atomic store.
#include "terminal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <locale.h>
#include <unistd.h>

#if VESK_LINE_EDITING
#include <histedit.h>

#include "completion.h"
#include "historyfile.h"
#include "outputfile.h"
#endif

namespace cli {

bool terminalinput() {
  return isatty(STDIN_FILENO) == 1;
}

char const* endofinputkeys() {
  return "Ctrl-D";
}

void binarystreams() {} // POSIX streams never translate

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

constexpr std::size_t historysize = 1000;
constexpr int defaultcolumns = 80, defaultlines = 24; // where the terminal does not say

} // namespace

// The editor, its history and the file that keeps it (with the entries written there, and
// whether the last write failed), the source of names to complete, and the user's character set
// (from LC_ALL, LC_CTYPE or LANG): libedit needs it to take multibyte characters as one, while the
// engine keeps the "C" locale, so it is made the thread's locale only while libedit works.
struct lineinput::editor {
  EditLine* line = nullptr;
  History* history = nullptr;
  HistEvent event{};
  char const* prompt = "";
  std::string historyfile;
  std::vector<std::string> saved;
  bool savefailed = false;
  namesource names;
  locale_t typing = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  ~editor() {
    if (typing != static_cast<locale_t>(0)) freelocale(typing);
  }
};

namespace {

// libedit hands the editor back through the client data: it asks for the prompt each time
// it draws the line, and calls completion on Tab.
lineinput::editor* editorof(EditLine* line) {
  lineinput::editor* state = nullptr;
  el_get(line, EL_CLIENTDATA, &state);
  return state;
}

char* currentprompt(EditLine* line) {
  return const_cast<char*>(editorof(line)->prompt);
}

// A size of the terminal that libedit follows ("co" columns, "li" lines), else `otherwise`.
std::size_t terminalsize(EditLine* line, char const* capability, int otherwise) {
  int value = 0;
  bool known = el_get(line, EL_GETTC, capability, &value) == 0 && value > 0;
  return static_cast<std::size_t>(known ? value : otherwise);
}

// Lists the candidates below the line in columns; more than the screen holds only when the user
// says so. libedit then draws prompt and line again.
void listmatches(EditLine* line, std::vector<std::string> const& matches) {
  std::vector<std::string> rows = columns(matches, terminalsize(line, "co", defaultcolumns));
  fputc('\n', stdout);
  if (rows.size() >= terminalsize(line, "li", defaultlines)) {
    printf("show all %zu names (%zu lines)? (y or n) ", matches.size(), rows.size());
    fflush(stdout);
    char answer = '\0';
    bool yes = el_getc(line, &answer) == 1 && (answer == 'y' || answer == 'Y');
    fputc('\n', stdout);
    if (!yes) return;
  }
  for (std::string const& row : rows) printf("%s\n", row.c_str());
}

// Tab: completes the name before the cursor as far as its candidates agree, and lists them
// when they agree no further; elsewhere Tab is inserted as itself.
unsigned char completename(EditLine* line, int) {
  LineInfo const* typed = el_line(line);
  std::string text(typed->buffer, static_cast<std::size_t>(typed->lastchar - typed->buffer));
  std::size_t cursor = static_cast<std::size_t>(typed->cursor - typed->buffer);
  std::size_t start = namestart(text, cursor);
  if (start == std::string::npos) return el_insertstr(line, "\t") == 0 ? CC_REFRESH : CC_ERROR;
  std::vector<std::string> candidates = keywords(), matches;
  lineinput::editor* state = editorof(line);
  if (state->names) {
    std::vector<std::string> names = state->names();
    candidates.insert(candidates.end(), names.begin(), names.end());
  }
  std::string rest = complete(text.substr(start, cursor - start), candidates, matches);
  if (matches.empty()) return CC_REFRESH_BEEP;
  if (matches.size() == 1) rest += ' ';
  if (!rest.empty()) return el_insertstr(line, rest.c_str()) == 0 ? CC_REFRESH : CC_ERROR;
  listmatches(line, matches);
  return CC_REDISPLAY;
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

lineinput::lineinput(std::string const& historyfile, namesource names)
    : state(std::make_unique<editor>()) {
  usercharset charset(state->typing);
  state->historyfile = historyfile;
  state->names = std::move(names);
  state->line = el_init("vesk", stdin, stdout, stderr);
  state->history = history_init();
  if (state->line == nullptr || state->history == nullptr) return;
  history(state->history, &state->event, H_SETSIZE, static_cast<int>(historysize));
  history(state->history, &state->event, H_SETUNIQUE, 1);
  // A missing file is a first session. The library's own reader is not trusted with the file.
  if (!historyfile.empty()) state->saved = loadhistory(historyfile);
  if (state->saved.size() > historysize)
    state->saved.erase(state->saved.begin(), state->saved.end() - historysize);
  for (std::string const& entry : state->saved)
    history(state->history, &state->event, H_ENTER, entry.c_str());
  el_set(state->line, EL_CLIENTDATA, state.get());
  el_set(state->line, EL_EDITOR, "emacs");
  // libedit puts the terminal back in order before our handler sees Ctrl-C, and follows
  // window size changes.
  el_set(state->line, EL_SIGNAL, 1);
  el_set(state->line, EL_PROMPT, currentprompt);
  el_set(state->line, EL_HIST, history, state->history);
  // The wide form keeps these texts as given; the narrow one copies them and never frees them.
  el_wset(state->line, EL_ADDFN, L"vesk-complete", L"complete a name", completename);
  el_set(state->line, EL_BIND, "^I", "vesk-complete", nullptr);
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

// The file is written whole after each line (at most historysize lines, kept as the library
// keeps its own: a line equal to the one before it is not added), so that a session that is
// killed keeps what it had. A failed write is reported once until a write succeeds again.
void lineinput::remember(std::string const& line) {
  if (state->history == nullptr) return;
  history(state->history, &state->event, H_ENTER, line.c_str());
  if (state->historyfile.empty()) return;
  std::vector<std::string>& saved = state->saved;
  if (!saved.empty() && saved.back() == line) return;
  saved.push_back(line);
  if (saved.size() > historysize) saved.erase(saved.begin());
  std::string problem, text = writehistory(saved);
  bool written = replacefile(
      state->historyfile,
      [&text](FILE* out) { return fwrite(text.data(), 1, text.size(), out) == text.size(); },
      problem);
  if (!written && !state->savefailed)
    fprintf(stderr, "vesk: cannot write history '%s': %s\n", state->historyfile.c_str(),
            problem.c_str());
  state->savefailed = !written;
}

#else

struct lineinput::editor {};

lineinput::lineinput(std::string const&, namesource) {}
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
