// resources_test.cpp - what a host can rely on when a run uses much: a stop asked for during one
// long statement (copying or appending a large list) ends that statement without storing
// anything, a variable deleted and made again does not grow the store, and releasevalue gives
// back values nested deeper than scripts ever nest them (LeakSanitizer, in CI, sees the rest).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostlog.h"
#include "vesk.h"

namespace {

using hosttest::host;
using hosttest::logline;
using hosttest::runlines;
using hosttest::takelog;

// A host function that asks its interpreter to stop, as a watchdog on another thread would
// while the statement runs on; it pushes 0.
vesk::interpreter* stopping = nullptr;
bool stopnow(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  stopping->stop();
  opstack->push(0.0);
  return true;
}

// Each statement asks for the stop before it copies a list of 20,000 elements: in a
// concatenation, in the copy into the store and in an append to a stored list. The statement
// ends there (nothing is stored; the list appended to is as it was), and the stop is the run's
// one message, at that line, even inside a try body.
TEST(longstatements, AStopEndsTheStatementThatCopiesALargeList) {
  host h;
  h.engine.addinternalfuncs(nullptr);
  ASSERT_TRUE(h.engine.add(stopnow, "stopnow"));
  stopping = &h.engine;
  ASSERT_TRUE(runlines(h.engine, {"l = {1}", "for i = 1 to 20000", "l = l + {i}", "next"}));
  ASSERT_EQ(h.globals.find("l")->count(), 20001);
  takelog();
  std::vector<std::vector<char const*>> statements = {
      {"m = {stopnow()} + l"}, {"m = {stopnow(), l}"}, {"try", "l = l + {stopnow(), l}", "end"}};
  for (auto const& lines : statements) {
    std::string at = "host.vk(" + std::to_string(lines.size() == 1 ? 1 : 2) + ")";
    EXPECT_FALSE(runlines(h.engine, lines)) << lines.back();
    EXPECT_EQ(takelog(), (std::vector<logline>{{1, at + ": error: run stopped by the host"}}))
        << lines.back();
    vesk::variable* m = h.globals.find("m"); // made undefined before the right side ran
    EXPECT_TRUE(m == nullptr || m->type() == vesk::undefinedtype) << lines.back();
    EXPECT_EQ(h.globals.find("l")->count(), 20001) << lines.back();
  }
}

// A script that deletes a variable and makes it again, in one run or over many, leaves one
// element for it in the store: the one its first deletion left, where it is found again (so
// iterating the store shows it at the place it was first made).
TEST(deletedvariables, AVariableMadeAgainTakesThePlaceItsDeletionLeft) {
  host h;
  h.engine.addinternalfuncs(nullptr);
  ASSERT_TRUE(runlines(h.engine, {"p1 = {1, 2, 3}", "q = 1"}));
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(runlines(h.engine, {"delete(\"p1\")", "p1 = {7}"}));
  ASSERT_TRUE(runlines(h.engine, {"for i = 1 to 1000", "delete(\"p1\")", "p1 = {i}", "next"}));
  std::vector<std::string> names;
  vesk::variable walker = h.globals;
  char* name = nullptr;
  for (vesk::variable* e = walker.first(&name); e != nullptr; e = walker.next(&name))
    names.emplace_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"p1", "q", "i"}));
  vesk::variable* p1 = h.globals.find("p1");
  ASSERT_TRUE(p1 != nullptr && p1->islist() && p1->count() == 1);
  EXPECT_EQ(p1->index(0)->number(), 1000);
  // Another name made after a deletion is added at the end as always.
  ASSERT_TRUE(runlines(h.engine, {"delete(\"q\")", "r = 2", "q = 3"}));
  EXPECT_EQ(h.globals.count(), 4);
  EXPECT_EQ(hosttest::globalnumber(h.globals, "q"), 3);
}

// A list nested 5,000 levels deep, each level with a text, a named list and the next level,
// given back whole by one call.
TEST(releasevalue, GivesBackAValueNestedBeyondWhatScriptsNest) {
  constexpr int levels = 5000;
  vesk::variables store;
  vesk::variable* level = store.add(vesk::listtype, "deep");
  for (int i = 0; i < levels && level != nullptr; ++i) {
    ASSERT_NE(level->add("text"), nullptr);
    vesk::variable* named = level->add(vesk::namedlisttype);
    ASSERT_TRUE(named != nullptr && named->add(1.0, "one") != nullptr &&
                named->add(vesk::listtype, "empty") != nullptr);
    level = level->add(vesk::listtype);
  }
  ASSERT_NE(level, nullptr);
  vesk::releasevalue(&store);
  EXPECT_EQ(store.count(), 0);
  vesk::releasevalue(nullptr); // nothing to give back
}

} // namespace
