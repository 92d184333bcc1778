// control_test.cpp - the host's controls over runaway scripts: a statement limit and a stop
// request from another thread, neither of which a try block can intercept.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "scratchfolder.h"
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

// Both parts sleep until the stop ends their sleeps: the run fails as stopped, after the stop
// and long before the sleeps would have ended.
TEST(control, AStopRequestCutsASleepShort) {
  vesk::interpreter engine(keeplog);
  engine.addinternalfuncs(nullptr);
  char const* lines[] = {"parallel", "  sleep(5000)", "thread", "  sleep(5000)", "end"};
  constexpr int stopafter = 100; // milliseconds
  messages.clear();
  auto start = std::chrono::steady_clock::now();
  std::thread host([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(stopafter));
    engine.stop();
  });
  bool ok = engine.execute(lines, 5, "sleepy");
  host.join();
  auto elapsed = std::chrono::steady_clock::now() - start;
  auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  EXPECT_FALSE(ok);
  EXPECT_GE(milliseconds, stopafter);
  EXPECT_LT(milliseconds, 1000);
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.back().find("run stopped by the host"), std::string::npos);
}

TEST(control, TheStatementLimitCountsTheStatementsOfCalledScriptsAndStartsAgainPerCall) {
  vesktest::scratchfolder scripts;
  ASSERT_TRUE(scripts.ready());
  // Ends by itself after 1000 passes, where no limit stops it first.
  scripts.writefile("spin.vk", "repeat\n  n = n + 1\nuntil n >= 1000\n");
  vesk::variables store;
  vesk::interpreter engine(&store, keeplog);
  engine.setscriptpath(scripts.root.c_str(), nullptr);
  engine.setstatementlimit(10);
  char const* loop[] = {"n = 0", "repeat", "  n = n + 1", "until 0"};
  messages.clear();
  EXPECT_FALSE(engine.execute(loop, 4, "limited"));
  // 10 statements ran: n = 0, repeat, then n = n + 1 and until four times each; the next
  // increment is refused.
  EXPECT_EQ(store.find("n")->number(), 4);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "limited(3): error: statement limit of 10 reached");

  // A new call starts counting again; the called script's statements count with the caller's:
  // n = 0, spin, repeat, then n = n + 1 and until three times each, and one more increment.
  char const* calling[] = {"n = 0", "spin", "after = 1"};
  messages.clear();
  EXPECT_FALSE(engine.execute(calling, 3, "calling"));
  EXPECT_EQ(store.find("n")->number(), 4);
  EXPECT_EQ(store.find("after"), nullptr);
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages.front().find("spin.vk(3): error: statement limit of 10 reached"),
            std::string::npos)
      << messages.front();

  char const* shortrun[] = {"m = 1", "m = m + 1"};
  EXPECT_TRUE(engine.execute(shortrun, 2, "again"));
  engine.setstatementlimit(0);
  store.reset();
}

// A stop that lands in the last statement fails the run as one earlier does; so does a limit
// reached inside a final parallel block.
TEST(control, AStopOrLimitInTheLastStatementFailsTheRun) {
  vesk::variables store;
  vesk::interpreter engine(&store, keeplog);
  engine.addinternalfuncs(nullptr);
  char const* lines[] = {"x = 1", "sleep(20000)"};
  messages.clear();
  std::thread host([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    engine.stop();
  });
  EXPECT_FALSE(engine.execute(lines, 2, "last"));
  host.join();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), "last(2): error: run stopped by the host");

  engine.setstatementlimit(20);
  char const* parallel[] = {"parallel", "repeat", "until 0", "thread", "repeat", "until 0", "end"};
  messages.clear();
  EXPECT_FALSE(engine.execute(parallel, 7, "limited"));
  ASSERT_FALSE(messages.empty());
  EXPECT_NE(messages[0].find("statement limit of 20 reached"), std::string::npos);
  engine.setstatementlimit(0);
  store.reset();
}

// Each interpreter family keeps the errors its try bodies collect: two hosts' threads using
// try and getlasterror at once read only their own.
TEST(control, EachFamilyReadsItsOwnCaughtErrors) {
  auto run = [](char const* mine, int* wrong) {
    vesk::variables store;
    vesk::interpreter engine(&store, nullptr);
    engine.addinternalfuncs(nullptr);
    std::string raise = std::string("  throw(\"") + mine + "\")";
    char const* lines[] = {"try", raise.c_str(), "catch", "  e = getlasterror()", "end"};
    for (int i = 0; i < 2000; ++i) {
      ASSERT_TRUE(engine.execute(lines, 5, mine));
      std::string caught = store.find("e")->string();
      if (caught != std::string(mine) + "(2): error: " + mine) ++*wrong;
    }
    store.reset();
  };
  int wrong[2] = {0, 0};
  std::thread first(run, "one", &wrong[0]);
  std::thread second(run, "two", &wrong[1]);
  first.join();
  second.join();
  EXPECT_EQ(wrong[0], 0);
  EXPECT_EQ(wrong[1], 0);
}

} // namespace
