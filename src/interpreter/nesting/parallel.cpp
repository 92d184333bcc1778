// parallel.cpp - parallel ... thread ... end: the lines before thread run on the calling
// thread and the lines after it on a worker thread, each part as a run of its own on a nested
// engine; the statement ends when both have finished and continues after end, unless there
// was no thread to be had, a part ran out of memory, or the run was stopped.
#include <cstdio>

#include "family.h"
#include "platform.h"
#include "runengine.h"

namespace vesk {

namespace {
// What the worker thread runs: a part of the caller's lines on its own interpreter.
struct threadjob {
  runengine* part;
  char const** lines;
  int count;
  char const* scriptname;
  codebook* book;
  int offset;
};
} // namespace

int runengine::runpart(void* job) {
  auto work = static_cast<threadjob*>(job);
  family* outer = setrunningfamily(work->part->shared);
  bool ok = work->part->run(work->lines, work->count, work->scriptname, work->book, work->offset);
  setrunningfamily(outer);
  return ok ? 1 : 0;
}

int runengine::execute_parallel() {
  int a = cmdindex;
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
  runengine* first = nest();
  runengine* second = nest();
  if (first == nullptr || second == nullptr) {
    retire(first);
    retire(second);
    error(msg_memory);
    return -1;
  }
  printf("main   '%s' .. '%s'\n", cmds[a + 1], cmds[t - 1]);
  printf("thread '%s' .. '%s'\n", cmds[t + 1], cmds[e - 1]);
  fflush(stdout);
  // The parallel statement itself holds no records: the parts start from what waits around it.
  threadstate worker;
  worker.suspended = thread->suspended;
  second->thread = &worker;
  first->ispart = second->ispart = true;
  second->part = ++shared->parts;
  addthread(shared->lock, &worker);
  unsigned long long running = thread->statement;
  thread->statement = 0;
  threadjob job{second, cmds + t + 1, e - t - 1, scriptname, book, bookoffset + t + 1};
  unsigned long long shortagesbefore = shared->shortages.load(std::memory_order_relaxed);
  // From now on a second thread may be in the family: statements take its lock.
  shared->lock.parallels.fetch_add(1, std::memory_order_relaxed);
  bool held = pause(&shared->lock);
  platform::thread* started = platform::startthread(runpart, &job);
  bool ok = started != nullptr &&
            first->run(cmds + a + 1, t - a - 1, scriptname, book, bookoffset + a + 1);
  if (started != nullptr) ok = platform::jointhread(started) != 0 && ok;
  resume(&shared->lock, held);
  shared->lock.parallels.fetch_sub(1, std::memory_order_relaxed);
  removethread(shared->lock, &worker);
  thread->statement = running;
  restoreoverlay();
  retire(first);
  retire(second);
  // A stop or the statement limit that ended a part ends the run, and so does a part that
  // memory or a thread ran out for (other failures of a part are its own).
  if (stopped()) return -1;
  if (started == nullptr) {
    error(msg_nothread);
    return -1;
  }
  if (!ok && shared->shortages.load(std::memory_order_relaxed) != shortagesbefore) {
    error(shared->lastshortage.load(std::memory_order_relaxed));
    return -1;
  }
  return e + 1;
}

} // namespace vesk
