// Host tests of block statements where the host's view matters: which log function a run
// starts and ends with when it ends inside a try body, what a try body collects from host
// functions, and loops run without a global store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostlog.h"
#include "vesk.h"

namespace {

using hosttest::globalstring;
using hosttest::host;
using hosttest::logline;
using hosttest::runlines;
using hosttest::takelog;

TEST(tryrun, ARunEndingInATryBodyCollectsItsLastMessageAndGivesTheLogBack) {
  host h;
  h.engine.addinternalfuncs(nullptr);
  // A stray token after an expression statement ends the run even inside a try body; its
  // message goes to the error queue, not to the host.
  EXPECT_FALSE(runlines(h.engine, {"try", "1 2", "catch", "end"}));
  EXPECT_TRUE(takelog().empty());
  // The next run reports to the host again, and can read what the last one left.
  ASSERT_TRUE(runlines(h.engine, {"m = getlasterror()", "print \"next run\""}));
  EXPECT_EQ(globalstring(h.globals, "m"), "host.vk(2): error: trailing something after expression");
  EXPECT_EQ(takelog(), (std::vector<logline>{{3, "next run "}}));
}

TEST(tryrun, ABlockErrorInATryBodyEndsTheRunUncaught) {
  host h;
  EXPECT_FALSE(runlines(h.engine, {"try", "repeat", "until \"s\"", "catch", "c = 1", "end"}));
  EXPECT_EQ(h.globals.find("c"), nullptr);
  EXPECT_TRUE(takelog().empty());
  EXPECT_FALSE(runlines(h.engine, {"until 1"}));
  EXPECT_EQ(takelog(), (std::vector<logline>{{1, "host.vk(1): error: no opening 'repeat'"}}));
}

bool failing(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc log) {
  log(vesk::logerror, "host function failed");
  return false;
}

bool chatty(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc log) {
  log(vesk::logoutput, "output line");
  log(vesk::logwarning, "warning line");
  return true;
}

TEST(tryrun, OnlyErrorLinesOfTheBodyAreCollected) {
  host h;
  h.engine.addinternalfuncs(nullptr);
  ASSERT_TRUE(h.engine.add(failing, "failing"));
  ASSERT_TRUE(h.engine.add(chatty, "chatty"));
  ASSERT_TRUE(runlines(h.engine, {"try", "chatty()", "failing()", "catch", "a = getlasterror()",
                                  "b = getlasterror()", "end"}));
  EXPECT_TRUE(takelog().empty());
  EXPECT_EQ(globalstring(h.globals, "a"), "host.vk(3): error: host function failed");
  EXPECT_EQ(globalstring(h.globals, "b"), "");
}

TEST(loops, ACountingLoopWithoutAStoreRunsItsBody) {
  hosttest::clearlog();
  vesk::interpreter engine(hosttest::record);
  engine.addinternalfuncs(nullptr);
  ASSERT_TRUE(runlines(engine, {"for i = 1 to 3", "print \"pass\"", "next"}));
  EXPECT_EQ(takelog(), (std::vector<logline>(3, logline{3, "pass "})));
}

TEST(loops, AListLoopWithoutAStoreFindsNoList) {
  hosttest::clearlog();
  vesk::interpreter engine(hosttest::record);
  EXPECT_FALSE(runlines(engine, {"for each v in xs", "next"}));
  EXPECT_EQ(takelog(), (std::vector<logline>{
                           {1, "host.vk(1): error: list expected (following 'for each v in')"}}));
}

} // namespace
