// parallel.cpp - parallel ... thread ... end: the lines before thread run on the calling
// thread and the lines after it on a worker thread, each part as a run of its own on a nested
// interpreter; the statement ends when both have finished and always continues after end.
#include <chrono>
#include <cstdio>

#include "family.h"
#include "internal.h"
#include "platform/platform.h"
#include "values/stackaccess.h"

namespace vesk {

namespace {
// What the worker thread runs: a part of the caller's lines on its own interpreter.
struct threadjob {
  interpreter* part;
  char const** lines;
  int count;
  char const* scriptname;
};
} // namespace

struct interpreteraccess {
  // Sleeps in short slices, so that a stop request from the host ends the pause early; each
  // slice sleeps what is left until the deadline, so that wake-up delays do not add up.
  static void sleep(interpreter* owner, unsigned milliseconds) {
    using clock = std::chrono::steady_clock;
    constexpr long long slice = 10;
    family* shared = owner->shared;
    bool held = pause(shared);
    auto deadline = clock::now() + std::chrono::milliseconds(milliseconds);
    while (shared == nullptr || !shared->stoprequested) {
      // Rounded up: a fraction of a millisecond left is slept too, never cut short.
      auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now());
      if (left.count() <= 0) break;
      platform::sleepmilliseconds(static_cast<unsigned>(left.count() < slice ? left.count() : slice));
    }
    resume(shared, held);
    owner->restoreoverlay();
  }
};

void sleepunlocked(stack* opstack, unsigned milliseconds) {
  interpreter* owner = stackaccess::owner(*opstack);
  if (owner == nullptr)
    platform::sleepmilliseconds(milliseconds);
  else
    interpreteraccess::sleep(owner, milliseconds);
}

int interpreter::runpart(void* job) {
  auto work = static_cast<threadjob*>(job);
  return work->part->run(work->lines, work->count, work->scriptname, nullptr) ? 1 : 0;
}

int interpreter::execute_parallel(int a) {
  if (!opening("parallel")) return -1;
  int e = find_end(a + 1), t = find_thread(a + 1);
  if (t >= e) t = -1;
  if (e < 0) {
    error("'parallel' without matching 'end'");
    return -1;
  }
  if (t < 0) {
    error("'parallel' without matching 'thread'");
    return -1;
  }
  printf("thread 1: %3d .. %3d\n", a + 1, t - 1);
  printf("thread 2: %3d .. %3d\n", t + 1, e - 1);
  interpreter* first = nest(false);
  interpreter* second = nest(false);
  if (first == nullptr || second == nullptr) {
    retire(first);
    retire(second);
    error(msg_memory);
    return -1;
  }
  printf("main   '%s' .. '%s'\n", cmds[a + 1], cmds[t - 1]);
  printf("thread '%s' .. '%s'\n", cmds[t + 1], cmds[e - 1]);
  fflush(stdout);
  threadjob job{second, cmds + t + 1, e - t - 1, scriptname};
  bool held = pause(shared);
  platform::thread* worker = platform::startthread(runpart, &job);
  first->run(cmds + a + 1, t - a - 1, scriptname, nullptr);
  if (worker != nullptr)
    platform::jointhread(worker);
  else
    runpart(&job); // no second thread to be had: the parts run one after the other
  resume(shared, held);
  restoreoverlay();
  retire(first);
  retire(second);
  return e + 1;
}

} // namespace vesk
