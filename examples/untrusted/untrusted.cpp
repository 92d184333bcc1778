// untrusted.cpp - a host that runs scripts it does not trust with every bound set: the file
// functions confined to "sandbox", called scripts only from there, limits of statements, memory
// and time (a watchdog thread), output cut off, no parallel blocks. It runs scripts that try to
// get out or never end, and tells what became of each.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "vesk.h"

namespace {

constexpr long long maxstatements = 100000;
constexpr unsigned long long maxmemory = 16ull << 20; // bytes of the lists scripts store
constexpr std::chrono::seconds maxtime{1};
constexpr int maxoutputlines = 5;

vesk::interpreter* running = nullptr;
int outputlines = 0;

// Output of print and dump, and the engine's messages. Output beyond maxoutputlines stops the
// run instead of being written.
void writelog(int level, char const* text) {
  if (level == vesk::logoutput && ++outputlines > maxoutputlines) {
    running->stop();
    return;
  }
  std::printf("%s%s\n", level == vesk::logoutput ? "  " : "  [engine] ", text);
}

// A parallel block starts a thread and writes to standard output around the log function: the
// run stops before it.
bool noparallel(vesk::interpreter&, vesk::statementinfo const& at, void*) {
  char const* word = at.text + std::strspn(at.text, " \t");
  return std::strncmp(word, "parallel", 8) != 0;
}

// Stops the run if it is still going after maxtime.
class watchdog {
public:
  explicit watchdog(vesk::interpreter& engine)
      : worker([this, &engine] {
          std::unique_lock<std::mutex> hold(lock);
          if (!woken.wait_for(hold, maxtime, [this] { return finished; })) engine.stop();
        }) {}
  ~watchdog() {
    {
      std::lock_guard<std::mutex> hold(lock);
      finished = true;
    }
    woken.notify_one();
    worker.join();
  }
  watchdog(watchdog const&) = delete;
  watchdog& operator=(watchdog const&) = delete;

private:
  std::mutex lock;
  std::condition_variable woken;
  bool finished = false;
  std::thread worker;
};

// The scripts: each is what a stranger might send.
char const* mischief[] = {
    "try",
    "  deletefile \"../secret.txt\"",
    "catch",
    "  print getlasterror()",
    "end",
    "try",
    "  renamefile \"notes.txt\", to = \"/tmp/notes.txt\"",
    "catch",
    "  print getlasterror()",
    "end",
    "try",
    "  '../secret'()",
    "catch",
    "  print getlasterror()",
    "end",
    "createfolder \"work\"",
    "renamefile \"notes.txt\", to = \"work/notes.txt\"",
    "print count(enumfiles(\"work\")), \"file in work\"",
};
char const* endless[] = {"repeat", "until 0"};
char const* hoarder[] = {"x = {1, 2, 3, 4, 5, 6, 7, 8}", "repeat", "  x = x + x", "until 0"};
char const* sleeper[] = {"sleep 3600000"};
char const* chatty[] = {"for i = 1 to 1000", "  print \"line\", i", "next"};
char const* splitter[] = {"parallel", "  a = 1", "thread", "  b = 2", "end"};

struct untrusted {
  char const* name; // a path in the sandbox: called scripts are looked for beside it
  char const** lines;
  int count;
};

#define SCRIPT(name)                                                                               \
  { "sandbox/" #name, name, sizeof name / sizeof name[0] }
untrusted const scripts[] = {SCRIPT(mischief), SCRIPT(endless), SCRIPT(hoarder),
                             SCRIPT(sleeper),  SCRIPT(chatty),  SCRIPT(splitter)};

} // namespace

int main() {
  namespace fs = std::filesystem;
  fs::create_directory("sandbox");
  std::ofstream("sandbox/notes.txt") << "the script's own\n";
  std::ofstream("secret.txt") << "the host's\n";
  std::ofstream("secret.vk") << "print \"a script outside the sandbox\"\n";

  vesk::variables globals;
  {
    vesk::interpreter engine(&globals, writelog);
    running = &engine;
    engine.addinternalfuncs(nullptr);
    if (!engine.allowfolder("sandbox")) return 1;
    engine.setscriptpath("sandbox", "");
    engine.setstatementlimit(maxstatements);
    vesk::setstorelimit(maxmemory);
    engine.sethook(noparallel, nullptr);
    for (untrusted const& script : scripts) {
      std::printf("%s:\n", script.name);
      outputlines = 0;
      bool ok;
      {
        watchdog timer(engine);
        ok = engine.execute(script.lines, script.count, script.name);
      }
      std::printf("  -> %s\n", ok ? "done" : "stopped");
    }
  }
  vesk::releasevalue(&globals);
  std::printf("secret.txt %s\n", fs::exists("secret.txt") ? "is still there" : "is gone");
  return 0;
}
