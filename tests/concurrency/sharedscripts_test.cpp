// sharedscripts_test.cpp - hosts on two threads, each with its own interpreter and store,
// calling the same script files over and over: they share the kept texts of those files, which
// both threads read, compile and run at the same time (each family its own compiled lines). Run
// under ThreadSanitizer in CI.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

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

constexpr int scripts = 12; // called in turn: each gives the threads a moment to race in

// Runs `passes` passes of a loop that calls step0.vk .. step11.vk in `folder`; the sum the
// calls leave in the store, or -1.
double callsteps(std::string const& folder, int passes, vesk::logfunc log) {
  vesk::variables store;
  vesk::interpreter engine(&store, log);
  engine.addinternalfuncs(nullptr);
  engine.setscriptpath(folder.c_str(), nullptr);
  std::vector<std::string> text = {"acc = 0", "for i = 1 to " + std::to_string(passes)};
  for (int s = 0; s < scripts; ++s) text.push_back("  step" + std::to_string(s) + " m = i");
  text.push_back("next");
  std::vector<char const*> lines;
  for (std::string const& line : text) lines.push_back(line.c_str());
  bool ok = engine.execute(lines.data(), static_cast<int>(lines.size()), "host");
  vesk::variable* acc = store.find("acc");
  double result = ok && acc != nullptr ? acc->number() : -1;
  store.reset();
  return result;
}

TEST(sharedscripts, TwoHostsCallTheSameScriptsAtOnce) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  // A loop inside each called script: its lines pass several times in every call as well.
  for (int s = 0; s < scripts; ++s)
    folder.writefile("step" + std::to_string(s) + ".vk", "for k = 1 to 3\n"
                                                         "  acc = acc + k * m  // comment\n"
                                                         "next\n"
                                                         "if m % 2 == 0\n"
                                                         "  acc = acc + 0.5 * 2 - 1\n"
                                                         "end\n");
  constexpr int passes = 200;
  constexpr double expected = scripts * 6.0 * passes * (passes + 1) / 2;
  double results[2] = {0, 0};
  std::thread second([&] { results[1] = callsteps(folder.root, passes, logsecond); });
  results[0] = callsteps(folder.root, passes, logfirst);
  second.join();
  EXPECT_EQ(results[0], expected) << lastmessage[0];
  EXPECT_EQ(results[1], expected) << lastmessage[1];
}

} // namespace
