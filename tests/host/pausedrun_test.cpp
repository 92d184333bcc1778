// Host tests of a run paused in its statement hook: the call stack it shows, expressions
// evaluated in its calls (without disturbing the statements that wait), what the hook may
// change in the store, and the calls that are refused until the hook returns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../scratchfolder.h"
#include "hostlog.h"
#include "vesk.h"

namespace {

using hosttest::host;
using hosttest::runlines;
using hosttest::takelog;

// What the hook found at the paused statement of script `at` (by the end of its path), line 1.
struct inspection {
  char const* at = "inner.vk";
  std::vector<vesk::frameinfo> frames;
  std::vector<std::string> names, scripts;
  std::vector<double> values; // the expressions' values, read after all were evaluated
  std::vector<bool> evaluated;
  std::vector<std::pair<char const*, int>> expressions;
  bool beyond = true; // frame(frames()) said there is none
};

bool inspect(vesk::interpreter& engine, vesk::statementinfo const& at, void* data) {
  auto seen = static_cast<inspection*>(data);
  if (!hosttest::endswith(at.script, seen->at) || !seen->frames.empty()) return true;
  int count = engine.frames();
  for (int i = 0; i < count; ++i) {
    vesk::frameinfo info{};
    EXPECT_TRUE(engine.frame(i, info));
    seen->frames.push_back(info);
    seen->names.push_back(info.name);
    seen->scripts.push_back(info.script);
  }
  vesk::frameinfo none{};
  seen->beyond = !engine.frame(count, none);
  std::vector<vesk::variable*> results;
  for (auto const& [text, frame] : seen->expressions)
    results.push_back(engine.evaluate(text, frame));
  for (vesk::variable* value : results) {
    seen->evaluated.push_back(value != nullptr);
    seen->values.push_back(value != nullptr ? value->number() : -1);
  }
  return true;
}

// The stack of a script called by a script called by the host's lines: each call with its
// script, line and parameters, and expressions evaluated in each; the statements waiting for
// the calls (with operands on their stacks) end as they would have without the pause.
TEST(pausedrun, EachCallOnTheStackShowsItsLineAndParametersAndEvaluatesInThem) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("outer.vk", "w = 1000\nz = 7 * inner(a = x * 2)\n");
  folder.writefile("inner.vk", "y = a + 1\n");
  std::vector<char const*> lines = {"v = 5", "r = 10 + outer(x = v) * 3"};
  double unpaused = 0;
  {
    host plain;
    plain.engine.setscriptpath(folder.root.c_str(), "");
    ASSERT_TRUE(runlines(plain.engine, lines));
    unpaused = hosttest::globalnumber(plain.globals, "r");
  }
  host h;
  h.engine.setscriptpath(folder.root.c_str(), "");
  inspection seen;
  seen.expressions = {{"a + 0.5", 0}, {"x * 100", 1}, {"v + w", 2}, {"x", 0}, {"1", 3}};
  h.engine.sethook(inspect, &seen);
  ASSERT_TRUE(runlines(h.engine, lines));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "r"), unpaused);
  EXPECT_EQ(hosttest::globalnumber(h.globals, "z"), 70);

  ASSERT_EQ(seen.frames.size(), 3u);
  EXPECT_TRUE(seen.beyond);
  EXPECT_EQ(seen.names, (std::vector<std::string>{"inner", "outer", "host"}));
  EXPECT_TRUE(hosttest::endswith(seen.scripts[0], "inner.vk"));
  EXPECT_TRUE(hosttest::endswith(seen.scripts[1], "outer.vk"));
  EXPECT_EQ(seen.scripts[2], "host.vk");
  EXPECT_EQ(seen.frames[0].line, 1);
  EXPECT_EQ(seen.frames[1].line, 2);
  EXPECT_EQ(seen.frames[2].line, 2);
  for (auto const& frame : seen.frames) EXPECT_EQ(frame.part, 0);
  EXPECT_EQ(seen.frames[2].params, nullptr); // the host laid nothing over the store
  EXPECT_EQ(seen.evaluated, (std::vector<bool>{true, true, true, false, false}));
  EXPECT_EQ(seen.values[0], 10.5); // a = x * 2 in the inner call
  EXPECT_EQ(seen.values[1], 500);  // x = v in the outer call
  EXPECT_EQ(seen.values[2], 1005); // globals in the host's lines
  // "x" is no name in the inner call: the outer call's parameters are not in reach there.
  auto log = takelog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].text.find("inner.vk(1): error:"), std::string::npos) << log[0].text;
  EXPECT_EQ(log[1].text, "evaluate in frame 3: the paused run has no such frame");
}

// The parameters a frame shows are the call's: readable while the run is paused.
bool readparameter(vesk::interpreter& engine, vesk::statementinfo const& at, void* data) {
  if (at.depth != 1) return true;
  vesk::frameinfo info{};
  if (engine.frame(0, info) && info.params != nullptr)
    if (vesk::variable* a = info.params->find("a")) *static_cast<double*>(data) = a->number();
  return true;
}

TEST(pausedrun, AFrameShowsTheParametersOfItsCall) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("inner.vk", "y = a\n");
  host h;
  h.engine.setscriptpath(folder.root.c_str(), "");
  double a = 0;
  h.engine.sethook(readparameter, &a);
  ASSERT_TRUE(runlines(h.engine, {"inner a = 42"}));
  EXPECT_EQ(a, 42);
}

// The hook gives back a list that the statement waiting for the called script holds on its
// operand stack: the storage stays until that statement is over.
bool resetlist(vesk::interpreter& engine, vesk::statementinfo const& at, void*) {
  if (at.depth == 1)
    if (vesk::variable* big = engine.store()->find("big")) big->reset();
  return true;
}

TEST(pausedrun, AListTheHookGivesBackOutlivesTheStatementsThatHoldIt) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("helper.vk", "z = 1\n");
  host h;
  h.engine.setscriptpath(folder.root.c_str(), "");
  h.engine.sethook(resetlist, nullptr);
  ASSERT_TRUE(runlines(h.engine, {"big = {1, 2, 3, \"a long text that fills its record\"}",
                                  "r = big + {helper(1)}"}));
  vesk::variable* r = h.globals.find("r");
  ASSERT_NE(r, nullptr);
  ASSERT_TRUE(r->islist());
  EXPECT_EQ(r->count(), 5);
  EXPECT_STREQ(r->index(3)->string(), "a long text that fills its record");
  EXPECT_EQ(h.globals.find("big")->count(), 0);
}

// A value evaluated in the pause stays whole until the hook returns, even when a later
// evaluation gives back the storage it refers to.
bool evaluatetwice(vesk::interpreter& engine, vesk::statementinfo const& at, void* data) {
  if (at.line != 3 || engine.store()->find("i")->number() != 3) return true;
  vesk::variable* kept = engine.evaluate("big", 0);
  if (kept == nullptr) return true;
  engine.evaluate("delete(\"big\")", 0); // leaves no value
  engine.evaluate("drop(1)", 0);
  vesk::variable* first = kept->index(0) ? kept->index(0)->index(0) : nullptr;
  *static_cast<std::string*>(data) = first != nullptr ? first->string() : "";
  return true;
}

TEST(pausedrun, AnEvaluatedValueLastsUntilTheHookReturns) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("drop.vk", "big = 0\n");
  host h;
  h.engine.addinternalfuncs(nullptr);
  h.engine.setscriptpath(folder.root.c_str(), "");
  std::string seen;
  h.engine.sethook(evaluatetwice, &seen);
  // The loop's third pass runs compiled: the hook sees it between two statements.
  ASSERT_TRUE(runlines(
      h.engine, {"big = {{\"a text the list holds\", 2}}", "for i = 1 to 3", "  n = i", "next"}));
  EXPECT_EQ(seen, "a text the list holds");
  EXPECT_EQ(hosttest::globalnumber(h.globals, "big"), 0);
}

// The error hook: where each error is raised, once, with its message, whether a try block
// takes the run on (its own script's or a caller's), and the paused run's frames.
struct raised {
  std::vector<std::string> errors; // "script(line) depth caught: message | frames, value"
  bool stopnext = false;
};

void noteerror(vesk::interpreter& engine, vesk::errorinfo const& at, void* data) {
  auto seen = static_cast<raised*>(data);
  auto base = [](std::string text) { return text.substr(text.find_last_of("/\\") + 1); };
  vesk::variable* depth = engine.evaluate("depthmark", 0);
  seen->errors.push_back(base(at.script) + "(" + std::to_string(at.line) + ") " +
                         std::to_string(at.depth) + (at.caught ? " caught: " : " uncaught: ") +
                         base(at.message) + " | " + std::to_string(engine.frames()) + ", " +
                         (depth != nullptr ? depth->string() : "?"));
  if (seen->stopnext) engine.stop();
}

TEST(pausedrun, TheErrorHookSeesEachErrorOnceWhereItIsRaised) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("fails.vk", "depthmark = \"in fails\"\nx = 1 / nothing\n");
  folder.writefile("guarded.vk", "try\n  fails\nend\n");
  host h;
  h.engine.addinternalfuncs(nullptr);
  h.engine.setscriptpath(folder.root.c_str(), "");
  raised seen;
  h.engine.seterrorhook(noteerror, &seen);
  ASSERT_TRUE(runlines(h.engine, {"depthmark = \"host\"", "try", "  y = abs(\"a\")", "end",
                                  "guarded", "try", "  fails", "end"}));
  EXPECT_FALSE(runlines(h.engine, {"depthmark = \"host\"", "fails"}));
  // Stopped from the hook, a run ends where a try would have taken it on.
  seen.stopnext = true;
  EXPECT_FALSE(runlines(h.engine, {"try", "  z = 1 / nothing", "end", "after = 1"}));
  EXPECT_EQ(h.globals.find("after"), nullptr);
  std::string unknown = "fails.vk(2): error: unknown element 'nothing' | ";
  std::vector<std::string> expected = {
      "host.vk(3) 0 caught: host.vk(3): error: parameter for function 'abs' needs to be numeric | "
      "1, host",
      "fails.vk(2) 2 caught: " + unknown + "3, in fails",
      "fails.vk(2) 1 caught: " + unknown + "2, in fails",
      "fails.vk(2) 1 uncaught: " + unknown + "2, in fails",
      "host.vk(2) 0 caught: host.vk(2): error: unknown element 'nothing' | 1, in fails"};
  EXPECT_EQ(seen.errors, expected);
}

// Every call that would run something or change what the run sees is refused with a message
// while the hook holds the run; reading the store and stopping are not.
struct refusals {
  std::vector<bool> results;
  bool done = false;
};

bool tryforbidden(vesk::interpreter& engine, vesk::statementinfo const& at, void* data) {
  auto seen = static_cast<refusals*>(data);
  if (at.line != 2 || seen->done) return true;
  seen->done = true;
  char const* lines[] = {"q = 1"};
  int warnings = 0;
  seen->results = {engine.execute(lines, 1, "again"),
                   engine.execute("q = 1", "-c"),
                   engine.evaluate("1") != nullptr,
                   engine.execute("outer", static_cast<vesk::parameters*>(nullptr)),
                   engine.check(lines, 1, "again", &warnings) == 0,
                   engine.list(lines, 1, "again") == 1,
                   engine.add(static_cast<vesk::scriptfunc>(nullptr), "f"),
                   engine.allowfolder("."),
                   engine.store()->find("a") != nullptr,
                   engine.cmdsindex() == 1};
  engine.setscriptpath("/nowhere", "");
  engine.addinternalfuncs(nullptr);
  return true;
}

TEST(pausedrun, CallsThatWouldRunOrChangeWhatTheRunSeesAreRefusedWithAMessage) {
  host h;
  refusals seen;
  h.engine.sethook(tryforbidden, &seen);
  ASSERT_TRUE(runlines(h.engine, {"a = 1", "b = a + 1"}));
  EXPECT_EQ(seen.results, (std::vector<bool>{false, false, false, false, false, false, false, false,
                                             true, true}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "b"), 2);
  EXPECT_EQ(h.globals.find("q"), nullptr);
  auto log = takelog();
  ASSERT_EQ(log.size(), 10u);
  char const* calls[] = {"running anything",
                         "running anything",
                         "running anything",
                         "running anything",
                         "running anything",
                         "running anything",
                         "add",
                         "allowfolder",
                         "setscriptpath",
                         "addinternalfuncs"};
  for (size_t i = 0; i < log.size(); ++i)
    EXPECT_EQ(log[i].text.rfind(std::string(calls[i]) +
                                    " is not allowed while the run is paused in the statement hook",
                                0),
              0u)
        << log[i].text;

  // With no run paused the frames are none, and the interpreter is free again.
  EXPECT_EQ(h.engine.frames(), 0);
  EXPECT_EQ(h.engine.evaluate("a", 0), nullptr);
  log = takelog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text,
            "evaluate in frame 0: no run is paused in the statement hook on this thread");
  EXPECT_TRUE(h.engine.execute("q = 1", "-c"));
}

} // namespace
