// control_test.cpp - the host's controls over runaway scripts: a statement limit and a stop
// request from another thread, neither of which a try block can intercept.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "vesk.h"

namespace {

std::vector<std::string> messages;
void keeplog(int level, char const* text) {
  if (level == vesk::logerror) messages.emplace_back(text);
}

TEST(control, AStopRequestEndsAnEndlessLoopWithinMilliseconds) {
  vesk::variables store;
  vesk::interpreter engine(&store, keeplog);
  char const* lines[] = {"try", "  repeat", "    x = 1", "  until 0", "catch", "  y = 1", "end"};
  messages.clear();
  std::chrono::steady_clock::time_point asked;
  std::thread host([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    asked = std::chrono::steady_clock::now();
    engine.stop();
  });
  bool ok = engine.execute(lines, 7, "endless");
  auto stopped = std::chrono::steady_clock::now();
  host.join();
  EXPECT_FALSE(ok);
  // Typically well under a millisecond; the bound leaves room for a loaded machine.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(stopped - asked).count(), 250);
  EXPECT_EQ(store.find("y"), nullptr); // the catch part never ran
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.back().find("run stopped by the host"), std::string::npos);
  store.reset();
}

TEST(control, AStopRequestCutsASleepShort) {
  vesk::interpreter engine(keeplog);
  engine.addinternalfuncs(nullptr);
  char const* lines[] = {"parallel", "  sleep(5000)", "thread", "  sleep(5000)", "end"};
  auto start = std::chrono::steady_clock::now();
  std::thread host([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    engine.stop();
  });
  engine.execute(lines, 5, "sleepy");
  host.join();
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 1000);
}

TEST(control, TheStatementLimitCountsNestedRunsAndStartsAgainPerCall) {
  vesk::variables store;
  vesk::interpreter engine(&store, keeplog);
  engine.setstatementlimit(10);
  char const* loop[] = {"n = 0", "repeat", "  n = n + 1", "until 0"};
  messages.clear();
  EXPECT_FALSE(engine.execute(loop, 4, "limited"));
  // 10 statements ran: n = 0, repeat, then n = n + 1 and until four times each; the next
  // increment is refused.
  EXPECT_EQ(store.find("n")->number(), 4);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "limited(3): error: statement limit of 10 reached");
  char const* shortrun[] = {"m = 1", "m = m + 1"};
  EXPECT_TRUE(engine.execute(shortrun, 2, "again")); // a new call starts counting again
  engine.setstatementlimit(0);
  store.reset();
}

} // namespace
