// sharedscripts_test.cpp - hosts on two threads, each with its own interpreter and store,
// calling the same script file over and over: they share the kept text of that file and the
// recordings of its lines' tokens, which both threads make and replay at the same time. Run
// under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "scratchfolder.h"
#include "vesk.h"

namespace {

std::string lastmessage[2]; // each thread's interpreter logs into its own slot
void logfirst(int level, char const* text) {
  if (level == vesk::logerror) lastmessage[0] = text;
}
void logsecond(int level, char const* text) {
  if (level == vesk::logerror) lastmessage[1] = text;
}

// Runs `calls` calls of step.vk in `folder`; the sum the calls leave in the store, or -1.
double callsteps(std::string const& folder, int calls, vesk::logfunc log) {
  vesk::variables store;
  vesk::interpreter engine(&store, log);
  engine.addinternalfuncs(nullptr);
  engine.setscriptpath(folder.c_str(), nullptr);
  std::string loop = "for i = 1 to " + std::to_string(calls);
  char const* lines[] = {"acc = 0", loop.c_str(), "  step m = i", "next"};
  bool ok = engine.execute(lines, 4, "host");
  vesk::variable* acc = store.find("acc");
  double result = ok && acc != nullptr ? acc->number() : -1;
  store.reset();
  return result;
}

TEST(sharedscripts, TwoHostsCallTheSameScriptAtOnce) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  // A loop inside the called script: its lines pass several times in every call as well.
  folder.writefile("step.vk", "for k = 1 to 3\n"
                              "  acc = acc + k * m  // comment\n"
                              "next\n"
                              "if m % 2 == 0\n"
                              "  acc = acc + 0.5 * 2 - 1\n"
                              "end\n");
  constexpr int calls = 1500;
  constexpr double expected = 6.0 * calls * (calls + 1) / 2;
  double results[2] = {0, 0};
  std::thread second([&] { results[1] = callsteps(folder.root, calls, logsecond); });
  results[0] = callsteps(folder.root, calls, logfirst);
  second.join();
  EXPECT_EQ(results[0], expected) << lastmessage[0];
  EXPECT_EQ(results[1], expected) << lastmessage[1];
}

} // namespace
