// hook_test.cpp - the statement hook while the two parts of a parallel block run: it sees the
// statements of both threads, one at a time (its record is unguarded; ThreadSanitizer in CI
// tells when two calls overlap), and a stop it asks for on the worker thread ends the run.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

#include "vesk.h"

namespace {

struct record {
  std::map<int, int> perline;        // line, statements seen
  std::set<std::thread::id> threads; // where the hook ran
  int stopafter = 0;                 // statements of line 6 before asking to stop; 0: never
};

bool count(vesk::interpreter&, vesk::statementinfo const& at, void* data) {
  auto seen = static_cast<record*>(data);
  seen->threads.insert(std::this_thread::get_id());
  int n = ++seen->perline[at.line];
  return !(seen->stopafter > 0 && at.line == 6 && n >= seen->stopafter);
}

char const* lines[] = {"parallel",           "  for i = 1 to 200", "    a = i", "  next", "thread",
                       "  for j = 1 to 200", "    b = j",          "  next",    "end"};

TEST(hook, BothPartsOfAParallelBlockReportEveryStatement) {
  vesk::variables store;
  vesk::interpreter engine(&store, nullptr);
  record seen;
  engine.sethook(count, &seen);
  ASSERT_TRUE(engine.execute(lines, 9, "parts"));
  EXPECT_EQ(seen.perline[1], 1);
  EXPECT_EQ(seen.perline[2], 1);
  EXPECT_EQ(seen.perline[3], 200);
  EXPECT_EQ(seen.perline[4], 200);
  EXPECT_EQ(seen.perline[5], 0); // "thread" divides; it never runs
  EXPECT_EQ(seen.perline[6], 1);
  EXPECT_EQ(seen.perline[7], 200);
  EXPECT_EQ(seen.perline[8], 200);
  EXPECT_EQ(seen.threads.size(), 2u);
  store.reset();
}

TEST(hook, AStopAskedOnTheWorkerThreadEndsTheRun) {
  vesk::variables store;
  vesk::interpreter engine(&store, nullptr);
  record seen;
  seen.stopafter = 1;
  engine.sethook(count, &seen);
  EXPECT_FALSE(engine.execute(lines, 9, "parts"));
  EXPECT_EQ(seen.perline[7], 0); // the second part stopped at its first statement
  EXPECT_EQ(store.find("b"), nullptr);
  store.reset();
}

bool throwonworker(vesk::interpreter&, vesk::statementinfo const& at, void*) {
  if (at.line == 7) throw std::runtime_error("hook fault");
  return true;
}

// An exception from the hook on the worker thread ends the run there, not the process.
TEST(hook, AnExceptionOnTheWorkerThreadEndsTheRun) {
  vesk::variables store;
  vesk::interpreter engine(&store, nullptr);
  engine.sethook(throwonworker, nullptr);
  EXPECT_FALSE(engine.execute(lines, 9, "parts"));
  EXPECT_EQ(store.find("b"), nullptr);
  engine.sethook(nullptr, nullptr);
  EXPECT_TRUE(engine.execute(lines, 9, "parts"));
  store.reset();
}

// Parts are the threads a debugger shows: the worker's statements say part 1 (a later block's
// worker 2), the calling thread's part 0, and a part's call stack is its caller's. While the
// hook holds one part, the other waits before its next statement.
struct parts {
  std::map<int, std::set<int>> partsofline;
  std::map<int, int> frames; // frames() at each line
  std::atomic<bool> pausing{false};
  bool overlapped = false;
};

bool notepart(vesk::interpreter& engine, vesk::statementinfo const& at, void* data) {
  auto seen = static_cast<parts*>(data);
  if (seen->pausing.exchange(true)) seen->overlapped = true;
  seen->partsofline[at.line].insert(at.part);
  seen->frames[at.line] = engine.frames();
  if (at.line == 7 || at.line == 3)
    std::this_thread::sleep_for(std::chrono::milliseconds(2)); // a pause the other part sees
  seen->pausing = false;
  return true;
}

TEST(hook, PartsAreNumberedAndOnePausedPartHoldsTheOther) {
  vesk::variables store;
  vesk::interpreter engine(&store, nullptr);
  parts seen;
  engine.sethook(notepart, &seen);
  char const* twice[] = {"parallel",  "  for i = 1 to 20",
                         "    a = i", "  next",
                         "thread",    "  for j = 1 to 20",
                         "    b = j", "  next",
                         "end",       "parallel",
                         "  c = 1",   "thread",
                         "  d = 1",   "end"};
  ASSERT_TRUE(engine.execute(twice, 14, "parts"));
  EXPECT_FALSE(seen.overlapped);
  EXPECT_EQ(seen.partsofline[1], std::set<int>{0});
  EXPECT_EQ(seen.partsofline[3], std::set<int>{0});
  EXPECT_EQ(seen.partsofline[7], std::set<int>{1});
  EXPECT_EQ(seen.partsofline[11], std::set<int>{0});
  EXPECT_EQ(seen.partsofline[13], std::set<int>{2});
  EXPECT_EQ(seen.frames[3], 1);
  EXPECT_EQ(seen.frames[7], 1);
  EXPECT_EQ(store.find("b")->number(), 20);
  store.reset();
}

} // namespace
