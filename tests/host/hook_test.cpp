// Host tests of the statement hook: what it is told about each statement (compiled and quick
// lines, called scripts, single lines and evaluations), stopping a run from it, and how it
// goes with the statement limit.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../scratchfolder.h"
#include "hostlog.h"
#include "vesk.h"

namespace {

using hosttest::host;
using hosttest::runlines;
using hosttest::takelog;

#ifdef _WIN32
constexpr char pathseparator = '\\';
#else
constexpr char pathseparator = '/';
#endif

// What a hook saw: every statement in order, and the interpreter and data it was given.
struct seen {
  std::vector<std::string> statements; // "script(line) depth: text"
  vesk::interpreter* engine = nullptr;
  int stopat = 0; // the line (from 1) the hook refuses; 0: none
};

bool note(vesk::interpreter& engine, vesk::statementinfo const& at, void* data) {
  auto record = static_cast<seen*>(data);
  record->engine = &engine;
  record->statements.push_back(std::string(at.script) + "(" + std::to_string(at.line) + ") " +
                               std::to_string(at.depth) + ": " + at.text);
  return record->stopat == 0 || at.line != record->stopat;
}

TEST(hook, EveryPassOfEveryStatementIsSeenAndCalledScriptsOneDeeper) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("twice.vk", "; doubles n\nresult = n * 2\n");
  host h;
  h.engine.setscriptpath(folder.root.c_str(), "");
  seen record;
  h.engine.sethook(note, &record);
  // The loop's lines run the general way, then compiled, then as quick forms.
  ASSERT_TRUE(runlines(h.engine, {"total = 0", "; a comment", "for i = 1 to 4",
                                  "  total = total + i", "next", "twice n=total"}));
  std::string twice = folder.root + pathseparator + "twice.vk"; // as the engine joins them
  std::vector<std::string> expected = {"host.vk(1) 0: total = 0", "host.vk(3) 0: for i = 1 to 4"};
  for (int i = 0; i < 4; ++i) {
    expected.push_back("host.vk(4) 0:   total = total + i");
    expected.push_back("host.vk(5) 0: next");
  }
  expected.push_back("host.vk(6) 0: twice n=total");
  expected.push_back(twice + "(2) 1: result = n * 2");
  EXPECT_EQ(record.statements, expected);
  EXPECT_EQ(record.engine, &h.engine);
  EXPECT_EQ(hosttest::globalnumber(h.globals, "result"), 20);

  h.engine.sethook(nullptr, nullptr); // none any more
  record.statements.clear();
  ASSERT_TRUE(runlines(h.engine, {"x = 1"}));
  EXPECT_TRUE(record.statements.empty());
}

TEST(hook, FalseStopsTheRunBeforeItsStatementAndNoTryInterceptsIt) {
  host h;
  seen record;
  record.stopat = 3;
  h.engine.sethook(note, &record);
  EXPECT_FALSE(runlines(h.engine, {"try", "  a = 1", "  b = 2", "catch", "  c = 3", "end"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "a"), 1);
  EXPECT_EQ(h.globals.find("b"), nullptr);
  EXPECT_EQ(h.globals.find("c"), nullptr);
  auto lines = takelog();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "host.vk(3): error: run stopped by the host");
  // The next call starts afresh, with the hook still set.
  record.stopat = 0;
  record.statements.clear();
  EXPECT_TRUE(runlines(h.engine, {"b = 2"}));
  EXPECT_EQ(record.statements, std::vector<std::string>{"host.vk(1) 0: b = 2"});
}

TEST(hook, TheStatementLimitCountsTheSameWithAHook) {
  host h;
  seen record;
  h.engine.sethook(note, &record);
  h.engine.setstatementlimit(10);
  EXPECT_FALSE(runlines(h.engine, {"repeat", "  x = 1", "until 0"}));
  EXPECT_EQ(record.statements.size(), 10u); // the eleventh is refused before the hook
  auto lines = takelog();
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().text.find("statement limit of 10 reached"), std::string::npos);
}

TEST(hook, SingleLinesAndEvaluationsAreSeenWithTheirText) {
  host h;
  seen record;
  h.engine.sethook(note, &record);
  ASSERT_TRUE(runlines(h.engine, {"a = 1", "b = 2"}));
  EXPECT_TRUE(h.engine.execute("y = 6 * 7", "-c"));
  ASSERT_NE(h.engine.evaluate("y + 1"), nullptr);
  std::vector<std::string> expected = {"host.vk(1) 0: a = 1", "host.vk(2) 0: b = 2",
                                       "-c(1) 0: y = 6 * 7", "(0) 0: y + 1"};
  EXPECT_EQ(record.statements, expected);
  EXPECT_EQ(h.engine.cmdsindex(), 1); // the last run's last line, as without a hook
}

// A script the host runs by name is the host's own run: its statements are at depth 0, and
// the scripts it calls one deeper.
TEST(hook, AScriptTheHostRunsByNameIsAtDepthZero) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("outer.vk", "inner\n");
  folder.writefile("inner.vk", "x = 1\n");
  host h;
  h.engine.setscriptpath(folder.root.c_str(), "");
  seen record;
  h.engine.sethook(note, &record);
  ASSERT_TRUE(h.engine.execute("outer", static_cast<vesk::parameters*>(nullptr)));
  std::string base = folder.root + pathseparator;
  std::vector<std::string> expected = {base + "outer.vk(1) 0: inner",
                                       base + "inner.vk(1) 1: x = 1"};
  EXPECT_EQ(record.statements, expected);
}

} // namespace
