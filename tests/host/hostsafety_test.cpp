// hostsafety_test.cpp - what a host does around a run must not corrupt the interpreter or the
// store: copies of an interpreter destroyed in either order, hooks and functions that throw,
// functions that give back or replace what a running statement holds, calls the host may not
// make during a run, and lists a script replaces in the host's parameters. Run under
// AddressSanitizer and LeakSanitizer in CI, where a fault here is a report, not luck.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "../scratchfolder.h"
#include "hostlog.h"
#include "vesk.h"

namespace {

using hosttest::host;
using hosttest::logline;
using hosttest::runlines;
using hosttest::takelog;

// --- copies ---------------------------------------------------------------------------------

bool seven(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  opstack->push(7.0);
  return true;
}

// Either of two copies can be destroyed while the other keeps working, with the functions,
// store and script folders they had in common.
TEST(copies, EitherCopyOutlivesTheOther) {
  for (bool destroyfirst : {true, false}) {
    vesk::variables globals;
    auto first = std::make_unique<vesk::interpreter>(&globals, hosttest::record);
    ASSERT_TRUE(first->add(seven, "seven"));
    auto second = std::make_unique<vesk::interpreter>();
    *second = *first;
    ASSERT_TRUE(second->execute("a = seven() + 1", "copy"));
    ASSERT_TRUE(runlines(*first, {"l = {1, 2, 3}", "b = seven()"}));
    if (destroyfirst)
      first.reset();
    else
      second.reset();
    vesk::interpreter& left = destroyfirst ? *second : *first;
    ASSERT_TRUE(runlines(left, {"for i = 1 to 3", "  c = seven() + i", "next", "l = l + {4}"}));
    EXPECT_EQ(hosttest::globalnumber(globals, "a"), 8);
    EXPECT_EQ(hosttest::globalnumber(globals, "c"), 10);
    EXPECT_EQ(globals.find("l")->count(), 4);
    first.reset();
    second.reset();
    vesk::releasevalue(&globals);
  }
  EXPECT_TRUE(takelog().empty());
}

vesk::interpreter* assigned = nullptr; // what `assign` assigns to
vesk::interpreter* assignedfrom = nullptr;

bool assign(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  *assigned = *assignedfrom;
  return true;
}

TEST(copies, ACopyMadeWhileRunningIsRefused) {
  host h;
  vesk::interpreter other;
  assigned = &h.engine;
  assignedfrom = &other;
  ASSERT_TRUE(h.engine.add(assign, "assign"));
  ASSERT_TRUE(runlines(h.engine, {"assign", "x = 1"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "x"), 1);
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "an interpreter cannot be assigned to while it runs");
}

// --- exceptions -----------------------------------------------------------------------------

bool throwing(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  throw std::runtime_error("host fault");
}

bool throwinghook(vesk::interpreter&, vesk::statementinfo const& at, void*) {
  if (at.line == 2) throw std::runtime_error("hook fault");
  return true;
}

TEST(exceptions, AThrowingFunctionFailsItsStatementOnly) {
  host h;
  ASSERT_TRUE(h.engine.add(throwing, "boom"));
  ASSERT_TRUE(runlines(h.engine, {"try", "  boom(1)", "catch", "  caught = 1", "end"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "caught"), 1);
  EXPECT_FALSE(h.engine.execute("boom", static_cast<vesk::parameters*>(nullptr)));
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "function 'boom' failed: it threw an exception");
  // The interpreter is not left marked as running.
  EXPECT_TRUE(runlines(h.engine, {"x = 2"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "x"), 2);
}

TEST(exceptions, AThrowingHookEndsTheRunAndTheNextRunWorks) {
  host h;
  h.engine.sethook(throwinghook, nullptr);
  EXPECT_FALSE(runlines(h.engine, {"a = 1", "try", "  b = 2", "catch", "end"}));
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text, "host.vk(2): error: the statement hook threw an exception");
  EXPECT_EQ(h.globals.find("b"), nullptr);
  h.engine.sethook(nullptr, nullptr);
  EXPECT_TRUE(runlines(h.engine, {"b = 3"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "b"), 3);
}

// --- storage a function gives back while its statement runs ------------------------------

// What the functions below do to the global `l` before they push 1.
enum class change { remove, reset, overwrite };
change wanted = change::remove;

bool drop(vesk::stack* opstack, vesk::parameters*, vesk::variables* globals, vesk::logfunc) {
  vesk::variable* l = globals->find("l");
  if (wanted == change::remove) {
    globals->remove("l");
  } else {
    l->reset();
    if (wanted == change::overwrite) *l = vesk::variable(9.0);
  }
  opstack->push(1.0);
  return true;
}

// The statement read `l` before the function gave its storage back: it goes on with the value
// it read, and the storage is released once the statement is over.
TEST(givenback, AListTheCallingStatementHoldsOutlivesTheStatement) {
  for (change c : {change::remove, change::reset, change::overwrite}) {
    host h;
    wanted = c;
    ASSERT_TRUE(h.engine.add(drop, "drop"));
    ASSERT_TRUE(runlines(h.engine, {"l = {1, 2, 3}", "x = l + {drop()}"}));
    vesk::variable* x = h.globals.find("x");
    ASSERT_NE(x, nullptr);
    ASSERT_EQ(x->count(), 4);
    EXPECT_EQ(x->index(2)->number(), 3);
    EXPECT_EQ(x->index(3)->number(), 1);
    EXPECT_TRUE(takelog().empty());
  }
}

// --- the host's parameters ------------------------------------------------------------------

// A script that replaces a list the host passed gives the host's list back; the host then
// releases its parameters as always, and nothing is lost (LeakSanitizer) or freed twice.
TEST(parameters, AListTheScriptReplacesIsGivenBack) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("replace.vk", "l = {7, 8}\n");
  host h;
  h.engine.addinternalfuncs(nullptr);
  h.engine.setscriptpath(folder.root.c_str(), nullptr);
  vesk::parameters params;
  params.add(vesk::listtype, "l")->add(1.0);
  ASSERT_TRUE(h.engine.execute("replace", &params));
  ASSERT_TRUE(h.engine.execute("replace", &params)); // the same list of parameters again
  vesk::variable* l = params.find("l");
  ASSERT_EQ(l->count(), 2);
  EXPECT_EQ(l->index(1)->number(), 8);
  vesk::releasevalue(&params);

  // Laid over the store for a run of lines.
  vesk::parameters overlay;
  overlay.add(vesk::listtype, "l")->add(1.0);
  h.globals.setoverlay(&overlay);
  ASSERT_TRUE(runlines(h.engine, {"l = {8, 9}", "x = {0, 0, 0}"}));
  h.globals.setoverlay(nullptr);
  EXPECT_EQ(overlay.find("l")->count(), 2);
  vesk::releasevalue(&overlay);
  EXPECT_TRUE(takelog().empty());
}

// --- calls a host may not make during a run -------------------------------------------------

vesk::interpreter* running = nullptr;

bool swapstore(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  running->setglobals(nullptr);
  opstack->push(1.0);
  return true;
}

TEST(duringarun, ReplacingTheStoreIsRefused) {
  host h;
  running = &h.engine;
  ASSERT_TRUE(h.engine.add(swapstore, "swapstore"));
  ASSERT_TRUE(runlines(h.engine, {"l = {1}", "x = swapstore() + 1", "l = l + {2}"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "x"), 2);
  EXPECT_TRUE(h.engine.execute("y = swapstore()", "line"));
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].text, "setglobals: the store cannot be replaced while the interpreter runs");
  EXPECT_EQ(h.engine.store(), &h.globals);
}

} // namespace
