// misuse_test.cpp - a host that uses the library against its rules gets a failed call with a
// message, not a crash: a function calling back into the interpreter that runs it, a second
// thread driving a running interpreter, a second family on a store in use, a null line.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vesk.h"

namespace {

std::mutex loglock;
std::vector<std::string> messages;
void keeplog(int level, char const* text) {
  std::lock_guard<std::mutex> hold(loglock);
  if (level == vesk::logerror) messages.emplace_back(text);
}
std::vector<std::string> takemessages() {
  std::lock_guard<std::mutex> hold(loglock);
  return std::move(messages);
}

vesk::interpreter* reentered = nullptr;
bool reenteredok = true;
bool reenter(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  reenteredok = reentered->execute("y = 2", "inner");
  return true;
}

TEST(misuse, AFunctionCallingBackIntoItsInterpreterIsRefused) {
  vesk::variables store;
  vesk::interpreter engine(&store, keeplog);
  ASSERT_TRUE(engine.add(reenter, "reenter"));
  reentered = &engine;
  takemessages();
  char const* lines[] = {"x = 1", "reenter", "z = 3"};
  EXPECT_TRUE(engine.execute(lines, 3, "outer"));
  EXPECT_FALSE(reenteredok);
  EXPECT_EQ(store.find("y"), nullptr);
  EXPECT_NE(store.find("z"), nullptr);
  std::vector<std::string> log = takemessages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find("interpreter already in use"), std::string::npos);
  store.reset();
}

// While one thread runs a script that sleeps, a second call on another thread fails at once.
void whilesleeping(vesk::interpreter& sleeper, std::function<bool()> second) {
  char const* lines[] = {"sleep(400)"};
  std::thread first([&] { EXPECT_TRUE(sleeper.execute(lines, 1, "sleeper")); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(second());
  first.join();
}

TEST(misuse, ASecondThreadOnARunningInterpreterIsRefused) {
  vesk::variables store;
  vesk::interpreter engine(&store, keeplog);
  engine.addinternalfuncs(nullptr);
  takemessages();
  whilesleeping(engine, [&] { return engine.execute("x = 1", "second"); });
  EXPECT_EQ(store.find("x"), nullptr);
  std::vector<std::string> log = takemessages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find("interpreter already in use"), std::string::npos);
  EXPECT_TRUE(engine.execute("x = 1", "afterwards")); // usable again once the first is done
  store.reset();
}

TEST(misuse, TwoFamiliesOnOneStoreAtOnceAreRefused) {
  vesk::variables store;
  vesk::interpreter first(&store, keeplog), second(&store, keeplog);
  first.addinternalfuncs(nullptr);
  takemessages();
  whilesleeping(first, [&] { return second.evaluate("1 + 1") != nullptr; });
  std::vector<std::string> log = takemessages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "global store in use by another interpreter");
  EXPECT_TRUE(second.execute("x = 1", "afterwards"));
  store.reset();
}

TEST(misuse, ANullLineIsRefusedBeforeAnythingRuns) {
  vesk::variables store;
  vesk::interpreter engine(&store, keeplog);
  takemessages();
  char const* lines[] = {"x = 1", nullptr, "y = 2"};
  EXPECT_FALSE(engine.execute(lines, 3, "holes"));
  EXPECT_EQ(store.find("x"), nullptr);
  std::vector<std::string> log = takemessages();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "holes(2): error: line has no text (null)");
}

} // namespace
