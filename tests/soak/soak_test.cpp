// soak_test.cpp - long runs keep their memory: a host that runs one mixed script again and again
// in one interpreter, one that makes and drops an interpreter and a store for every run, and
// vesk's prompt fed entries in a terminal. Each must hold its resident memory flat after the
// warm-up; the figures go to the test's output (and its XML properties).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "quietoutput.h"
#include "scratchfolder.h"
#include "vesk.h"

namespace {

constexpr int warmupruns = 1000;
// A million runs took ten minutes in one interpreter and nineteen with an interpreter per run on
// a busy machine of two cores (their memory stayed as flat as in these runs); these counts keep
// the three soaks to a few minutes. The prompt's entries go at a terminal's pace: some 700 a
// second on a quiet machine, a few hundred where other processes keep the cores busy (100,000
// entries once took over ten minutes there, with their memory as flat as these).
constexpr int interpreterruns = 100000;
constexpr int freshinterpreterruns = 50000;
constexpr int promptentries = 20000;
constexpr long allowedgrowth = 1L << 20; // bytes of resident memory after the warm-up

// Resident bytes of a process, from /proc (0 when it cannot be read).
long residentbytes(pid_t pid) {
  std::string path = "/proc/" + std::to_string(pid) + "/statm";
  FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return 0;
  long size = 0, resident = 0;
  int got = std::fscanf(file, "%ld %ld", &size, &resident);
  std::fclose(file);
  return got == 2 ? resident * sysconf(_SC_PAGESIZE) : 0;
}

// Reports the figures of one soak and checks the growth.
void reportgrowth(char const* what, int runs, long afterwarmup, long atend, double seconds) {
  std::fprintf(stderr,
               "%s: %d runs in %.1f s; resident after %d: %ld KiB, after %d: %ld KiB (%+ld KiB)\n",
               what, runs, seconds, warmupruns, afterwarmup >> 10, runs, atend >> 10,
               (atend - afterwarmup) >> 10);
  ::testing::Test::RecordProperty("residentafterwarmup", std::to_string(afterwarmup));
  ::testing::Test::RecordProperty("residentatend", std::to_string(atend));
  ASSERT_GT(afterwarmup, 0);
  EXPECT_LT(atend - afterwarmup, allowedgrowth) << what;
}

double secondssince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

using vesktest::quietoutput;

int errors = 0; // the log function runs under the statement lock
void countlog(int level, char const*) {
  if (level == vesk::logerror) ++errors;
}

// What a host's script does: lists, named lists, texts, a host function, a script call, a
// caught error, a parallel block; the names it assigns are the same on every run.
char const* const mixedlines[] = {
    "names = {\"ann\", \"bob\", \"cy\"}",
    "ages = {ann = 31, bob = 42}",
    "ages = ages + {cy = 27}",
    "greeting = \"hello\"",
    "for each n in names",
    "  greeting = greeting + \" \" + n",
    "next",
    "total = 0",
    "for i = 0 to count(ages) - 1",
    "  total = total + ages[i]",
    "next",
    "scale width = total, by = hostfactor()",
    "caught = \"\"",
    "try",
    "  bad = names[7]",
    "catch",
    "  caught = getlasterror()",
    "end",
    "left = 0",
    "right = 0",
    "parallel",
    "  left = {1, {2, 3}, \"four\"}",
    "thread",
    "  right = {x = {5}, y = \"six\"}",
    "end",
    "nested = {names, ages, {deep = {left, right}}}",
    "result = greeting + \"/\" + scaled[0] + \"/\" + count(nested) + \"/\" + nested[2].deep[1].y",
};
constexpr int mixedcount = sizeof mixedlines / sizeof mixedlines[0];
constexpr char mixedresult[] = "hello ann bob cy/200/3/six";
constexpr char mixedcaught[] =
    "mixed(15): error: numerical expression in [..] is 7; valid range is 0..2";

bool hostfactor(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return opstack->push(2.0) != nullptr;
}

// The script the mixed one calls, in a folder of its own.
class mixedscript : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.ready());
    scratch.writefile("scale.vk", "scaled = {width * by, \"by \" + by}\n");
    errors = 0;
  }
  void prepare(vesk::interpreter& engine) {
    engine.setlogfunc(countlog);
    engine.setscriptpath(scratch.root.c_str(), nullptr);
    engine.addinternalfuncs(nullptr);
    engine.add(hostfactor, "hostfactor");
  }
  // One run; what was wrong with it, or "".
  std::string runonce(vesk::interpreter& engine, vesk::variables& store) {
    bool ran = engine.execute(const_cast<char const**>(mixedlines), mixedcount, "mixed");
    vesk::variable* result = store.find("result");
    vesk::variable* caught = store.find("caught");
    bool right = ran && errors == 0 && result != nullptr &&
                 std::strcmp(result->string(), mixedresult) == 0 && caught != nullptr &&
                 std::strcmp(caught->string(), mixedcaught) == 0;
    if (right) return "";
    return "ran " + std::to_string(ran) + ", errors " + std::to_string(errors) + ", result '" +
           (result ? result->string() : "(none)") + "', caught '" +
           (caught ? caught->string() : "(none)") + "'";
  }
  vesktest::scratchfolder scratch;
};

TEST_F(mixedscript, OneInterpreterKeepsItsMemoryOverManyRuns) {
  vesk::variables store;
  vesk::interpreter engine(&store, nullptr);
  prepare(engine);
  auto start = std::chrono::steady_clock::now();
  long afterwarmup = 0;
  std::string wrong;
  int run = 1;
  {
    quietoutput quiet;
    for (; run <= interpreterruns && wrong.empty(); ++run) {
      wrong = runonce(engine, store);
      if (run == warmupruns) afterwarmup = residentbytes(getpid());
    }
  }
  ASSERT_EQ(wrong, "") << "run " << run - 1;
  reportgrowth("one interpreter", interpreterruns, afterwarmup, residentbytes(getpid()),
               secondssince(start));
  vesk::releasevalue(&store);
}

TEST_F(mixedscript, AnInterpreterAndStorePerRunKeepTheMemoryFlat) {
  auto start = std::chrono::steady_clock::now();
  long afterwarmup = 0;
  std::string wrong;
  int run = 1;
  {
    quietoutput quiet;
    for (; run <= freshinterpreterruns && wrong.empty(); ++run) {
      vesk::variables store;
      {
        vesk::interpreter engine(&store, nullptr);
        prepare(engine);
        wrong = runonce(engine, store);
      }
      vesk::releasevalue(&store);
      if (run == warmupruns) afterwarmup = residentbytes(getpid());
    }
  }
  ASSERT_EQ(wrong, "") << "run " << run - 1;
  reportgrowth("an interpreter per run", freshinterpreterruns, afterwarmup, residentbytes(getpid()),
               secondssince(start));
}

// vesk at its prompt in a terminal of its own (a pseudo-terminal), with its history file in a
// scratch folder: each line is typed once vesk shows its prompt again.
class promptsession {
public:
  explicit promptsession(std::string const& statefolder) {
    winsize size{rows, columns, 0, 0};
    pid = forkpty(&terminal, nullptr, nullptr, &size);
    if (pid == 0) {
      setenv("XDG_STATE_HOME", statefolder.c_str(), 1);
      setenv("TERM", "xterm", 1);
      execl(VESK_COMMAND, VESK_COMMAND, static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~promptsession() {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    if (terminal >= 0) close(terminal);
  }
  promptsession(promptsession const&) = delete;
  promptsession& operator=(promptsession const&) = delete;

  pid_t process() const { return pid; }
  // Types `line` and Enter; true once a prompt follows, with what vesk wrote before it in
  // `shown`.
  bool type(std::string const& line, std::string& shown) {
    std::string keys = line + "\r";
    if (write(terminal, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
      return false;
    return awaitprompt(shown);
  }
  bool awaitprompt(std::string& shown) {
    for (;;) {
      std::size_t at = std::string::npos;
      for (char const* prompt : {"vesk> ", "....> "}) at = std::min(at, pending.find(prompt));
      if (at != std::string::npos) {
        shown = pending.substr(0, at);
        pending.erase(0, at + promptlength);
        return true;
      }
      pollfd ready{terminal, POLLIN, 0};
      if (poll(&ready, 1, waitms) <= 0) return false;
      char chunk[4096];
      ssize_t got = read(terminal, chunk, sizeof chunk);
      if (got <= 0) return false;
      pending.append(chunk, static_cast<std::size_t>(got));
    }
  }
  // Ends the session with the end-of-input key; vesk's exit status (-1: it did not end).
  int finish() {
    if (write(terminal, "\x04", 1) != 1) return -1;
    char chunk[4096];
    pollfd ready{terminal, POLLIN, 0};
    while (poll(&ready, 1, waitms) > 0 && read(terminal, chunk, sizeof chunk) > 0) {
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

private:
  static constexpr unsigned short rows = 24, columns = 80;
  static constexpr int waitms = 10000;
  static constexpr std::size_t promptlength = 6;
  int terminal = -1;
  pid_t pid = -1;
  std::string pending;
};

// The entries typed in turn: assignments of numbers, lists, named lists and texts, blocks of
// several lines (an if, a try that catches), and an expression whose value is shown.
char const* const cycle[][5] = {
    {"n = n + 1"},
    {"l = {n, {n, \"x\"}, \"text\" + n}"},
    {"m = {a = n, b = {c = l}}"},
    {"if n % 2 == 0", "  e = m.b.c[1][0]", "end"},
    {"try", "  z = l[9]", "catch", "  w = getlasterror()", "end"},
    {"count(l) + n"},
};
constexpr int cyclelength = sizeof cycle / sizeof cycle[0];
constexpr int firstn = 1000000;

TEST(prompt, TwentyThousandEntriesKeepTheMemoryFlat) {
  // The history file's text is made and written after every line, to the null device: the
  // disk would take most of the time.
  vesktest::scratchfolder state;
  ASSERT_TRUE(state.ready());
  std::filesystem::create_directory(state.path("vesk"));
  std::filesystem::create_symlink("/dev/null", state.path("vesk/history"));
  promptsession session(state.root);
  ASSERT_GT(session.process(), 0);
  std::string shown;
  ASSERT_TRUE(session.awaitprompt(shown)) << "no first prompt";
  ASSERT_TRUE(session.type("n = " + std::to_string(firstn), shown));
  auto start = std::chrono::steady_clock::now();
  long afterwarmup = 0;
  int increments = 0;
  for (int entry = 0; entry < promptentries; ++entry) {
    auto const& lines = cycle[entry % cyclelength];
    if (entry % cyclelength == 0) ++increments;
    for (char const* line : lines) {
      if (line == nullptr) break;
      ASSERT_TRUE(session.type(line, shown)) << "no prompt after entry " << entry << ": " << line;
      ASSERT_EQ(shown.find("): error"), std::string::npos) << "entry " << entry << ": " << shown;
    }
    if (entry + 1 == warmupruns) afterwarmup = residentbytes(session.process());
  }
  long atend = residentbytes(session.process());
  ASSERT_TRUE(session.type("print(n)", shown));
  EXPECT_NE(shown.find(std::to_string(firstn + increments)), std::string::npos) << shown;
  EXPECT_EQ(session.finish(), 0);
  reportgrowth("the prompt", promptentries, afterwarmup, atend, secondssince(start));
}

} // namespace
