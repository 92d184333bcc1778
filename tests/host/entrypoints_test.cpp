// entrypoints_test.cpp - the interpreter's entry points as a host sees their results, for what
// golden scripts cannot show: the value and type that evaluate hands back and how long it lives,
// null results, cmdsindex, a null log function, runs of lines from null or empty arrays, and the
// single-line entry point with and without a global store. Diagnostics are captured per test.
#include "vesk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "scratchfolder.h"

namespace {

using loglines = std::vector<std::pair<int, std::string>>;

loglines& captured() {
  static loglines lines;
  return lines;
}

void capture(int level, char const* text) {
  captured().emplace_back(level, text);
}

// A host function: pushes twice its first (numeric) parameter.
bool twice(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  vesk::variable* first = params->first();
  if (first == nullptr || !first->isnumber()) return false;
  first->processed(true);
  opstack->push(2 * first->number());
  return true;
}

// A host function that reads its parameters and pushes nothing.
bool noop(vesk::stack*, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  for (vesk::variable* p = params->first(); p != nullptr; p = params->next()) p->processed(true);
  return true;
}

// A host function that records the line its interpreter is running.
vesk::interpreter* running = nullptr;
int seenindex = -2;
bool whereami(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  seenindex = running != nullptr ? running->cmdsindex() : -2;
  return true;
}

// An interpreter over a global store, logging into the capture, with two host functions.
class entrypoints : public ::testing::Test {
protected:
  void SetUp() override {
    captured().clear();
    ASSERT_TRUE(interp.add(twice, "twice"));
    ASSERT_TRUE(interp.add(noop, "noop"));
  }
  void TearDown() override { vesk::releasevalue(&globals); }

  bool run(std::vector<char const*> lines, char const* name = "t.vk") {
    return interp.execute(lines.data(), static_cast<int>(lines.size()), name);
  }
  double number(char const* name) {
    vesk::variable* v = globals.find(name);
    return v != nullptr && v->isnumber() ? v->number() : -999;
  }

  vesk::variables globals;
  vesk::interpreter interp{&globals, capture};
};

// --- evaluate: values and types -----------------------------------------------------------

TEST_F(entrypoints, EvaluateGivesANumber) {
  vesk::variable* v = interp.evaluate("1 + 2 * 3");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type(), vesk::numbertype);
  EXPECT_TRUE(v->isnumber());
  EXPECT_EQ(v->number(), 7.0);
  EXPECT_TRUE(captured().empty());
}

TEST_F(entrypoints, EvaluateGivesAText) {
  vesk::variable* v = interp.evaluate("\"a\" + 1.6");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type(), vesk::stringtype);
  EXPECT_STREQ(v->string(), "a2");
}

TEST_F(entrypoints, EvaluateGivesAList) {
  vesk::variable* v = interp.evaluate("{1, \"x\", {2, 3}}");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type(), vesk::listtype);
  ASSERT_EQ(v->count(), 3);
  EXPECT_EQ(v->index(0)->number(), 1.0);
  EXPECT_STREQ(v->index(1)->string(), "x");
  ASSERT_TRUE(v->index(2)->islist());
  EXPECT_EQ(v->index(2)->index(1)->number(), 3.0);
}

TEST_F(entrypoints, EvaluateGivesANamedList) {
  vesk::variable* v = interp.evaluate("{a = 1, b = \"two\"} + {c = {}}");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type(), vesk::namedlisttype);
  EXPECT_EQ(v->count(), 3);
  ASSERT_NE(v->find("b"), nullptr);
  EXPECT_STREQ(v->find("b")->string(), "two");
  ASSERT_NE(v->find("c"), nullptr);
  EXPECT_TRUE(v->find("c")->islist());
}

TEST_F(entrypoints, EvaluateGivesAnEmptyListForEmptyBraces) {
  vesk::variable* v = interp.evaluate("{}");
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(v->islist());
  EXPECT_EQ(v->count(), 0);
}

TEST_F(entrypoints, ComparisonsAndLogicGiveTheNumbersOneAndZero) {
  vesk::variable* v = interp.evaluate("\"abc\" < \"abd\"");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type(), vesk::numbertype);
  EXPECT_EQ(v->number(), 1.0);
  v = interp.evaluate("1 || 0 && 0");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 0.0);
  v = interp.evaluate("1 < 2 < 3");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 1.0);
}

TEST_F(entrypoints, EvaluateReadsTheStore) {
  ASSERT_TRUE(run({"x = 5", "n = {y = {5, 6}}"}));
  vesk::variable* v = interp.evaluate("x * 2 + n.y[1]");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 16.0);
}

TEST_F(entrypoints, EvaluateCallsHostFunctions) {
  vesk::variable* v = interp.evaluate("twice(4) + 1");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 9.0);
  // Without parentheses the argument list runs to the end of the text.
  v = interp.evaluate("twice 4 + 1");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 10.0);
}

TEST_F(entrypoints, EvaluateIgnoresATrailingComment) {
  vesk::variable* v = interp.evaluate("1 + 2 ; a comment");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 3.0);
  v = interp.evaluate("1 /* inside */ + 2 // after");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 3.0);
  EXPECT_TRUE(captured().empty());
}

TEST_F(entrypoints, EvaluateKeepsWideIntegers) {
  vesk::variable* v = interp.evaluate("3000000000 + 12345678901");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 15345678901.0);
}

// --- evaluate: null results ------------------------------------------------------------------

TEST_F(entrypoints, ANullTextGivesNullSilently) {
  EXPECT_EQ(interp.evaluate(static_cast<char const*>(nullptr)), nullptr);
  EXPECT_TRUE(captured().empty());
}

TEST_F(entrypoints, LeftoverTokensGiveNullWithoutAMessage) {
  EXPECT_EQ(interp.evaluate("1 2"), nullptr);
  EXPECT_EQ(interp.evaluate("(1) x"), nullptr);
  EXPECT_TRUE(captured().empty());
}

TEST_F(entrypoints, AFailingExpressionGivesNullAfterItsMessage) {
  EXPECT_EQ(interp.evaluate("1 / 0"), nullptr);
  EXPECT_EQ(captured(), (loglines{{vesk::logerror, "(0): error: Division durch 0 aufgetreten"}}));
}

TEST_F(entrypoints, AnEmptyTextIsNoExpression) {
  EXPECT_EQ(interp.evaluate(""), nullptr);
  EXPECT_EQ(captured(), (loglines{{vesk::logerror, "(0): error: Ausdruck nicht korrekt"}}));
}

TEST_F(entrypoints, AMissingClosingParenthesisIsReportedWithoutPrefix) {
  EXPECT_EQ(interp.evaluate("(1 + 2"), nullptr);
  EXPECT_EQ(captured(), (loglines{{vesk::logerror, "closing ')' expected"}}));
}

TEST_F(entrypoints, MessagesOfAnEvaluationCarryNoScriptName) {
  ASSERT_FALSE(run({"x = 1", "y = x / 0"}, "named.vk"));
  captured().clear();
  EXPECT_EQ(interp.evaluate("nothere"), nullptr);
  EXPECT_EQ(captured(), (loglines{{vesk::logerror, "(0): error: unknown element 'nothere'"}}));
}

TEST_F(entrypoints, AnUnknownNameIsNotAddedToTheStore) {
  int before = globals.count();
  EXPECT_EQ(interp.evaluate("nothere + 1"), nullptr);
  EXPECT_EQ(globals.count(), before);
  EXPECT_EQ(globals.find("nothere"), nullptr);
}

TEST_F(entrypoints, AScriptCalledWithoutArgumentsLeavesNoValue) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("setx.vk", "x = 42\n");
  interp.setscriptpath(folder.root.c_str(), nullptr);
  EXPECT_EQ(interp.evaluate("setx"), nullptr);
  EXPECT_TRUE(captured().empty());
  EXPECT_EQ(number("x"), 42.0);
  // With an argument, the argument's value stands in the call's place.
  vesk::variable* v = interp.evaluate("setx 7");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 7.0);
}

TEST_F(entrypoints, TheInterpreterIsUsableAfterAFailure) {
  EXPECT_EQ(interp.evaluate("{1, b = 2}"), nullptr);
  vesk::variable* v = interp.evaluate("{1, 2}");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->count(), 2);
}

// --- evaluate: lifetime of the result --------------------------------------------------------

TEST_F(entrypoints, AResultLivesUntilTheNextEvaluation) {
  vesk::variable* v = interp.evaluate("{1, {2, 3}}");
  ASSERT_NE(v, nullptr);
  // Calls that evaluate nothing leave it alone, and so does another interpreter's evaluation.
  interp.store();
  interp.cmdsindex();
  interp.setlogfunc(capture);
  vesk::interpreter other(&globals, capture);
  vesk::variable* w = other.evaluate("{9, 9, 9, {9}}");
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(v->islist());
  ASSERT_EQ(v->count(), 2);
  EXPECT_EQ(v->index(0)->number(), 1.0);
  EXPECT_EQ(v->index(1)->index(1)->number(), 3.0);
  // The next evaluation on the same interpreter takes the stack over: the result is its top.
  vesk::variable* next = interp.evaluate("5");
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next, v);
  EXPECT_EQ(v->number(), 5.0);
}

TEST_F(entrypoints, AStoredValueDoesNotShareTheResultsStorage) {
  ASSERT_TRUE(run({"keep = {1, {2}}"}));
  vesk::variable* v = interp.evaluate("keep + {3}");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->count(), 3);
  ASSERT_NE(interp.evaluate("{7, 7, 7, 7, 7, 7, 7, 7, 7}"), nullptr);
  vesk::variable* keep = globals.find("keep");
  ASSERT_NE(keep, nullptr);
  ASSERT_EQ(keep->count(), 2);
  EXPECT_EQ(keep->index(1)->index(0)->number(), 2.0);
}

// --- execute(lines, count, name) -------------------------------------------------------------

TEST_F(entrypoints, ANullArrayOfLinesFails) {
  EXPECT_FALSE(interp.execute(static_cast<char const**>(nullptr), 3, "t.vk"));
  EXPECT_FALSE(interp.execute(static_cast<char const**>(nullptr), 0, "t.vk"));
  EXPECT_TRUE(captured().empty());
}

TEST_F(entrypoints, AnEmptyArrayOfLinesSucceeds) {
  char const* none[] = {"x = 1"};
  EXPECT_TRUE(interp.execute(none, 0, "t.vk"));
  EXPECT_EQ(globals.find("x"), nullptr);
  EXPECT_TRUE(run({"", "   ", "; a comment", "/* another */"}));
  EXPECT_TRUE(captured().empty());
}

TEST_F(entrypoints, ANullScriptNameIsEmptyInMessages) {
  char const* lines[] = {"x = 1", "x = 1 / 0"};
  EXPECT_FALSE(interp.execute(lines, 2, nullptr));
  ASSERT_FALSE(captured().empty());
  EXPECT_EQ(captured()[0], std::make_pair(vesk::logerror,
                                          std::string("(2): error: Division durch 0 aufgetreten")));
}

// A cut name would make called scripts be looked for beside another path: the run is refused.
TEST_F(entrypoints, AScriptNameLongerThan127CharactersIsRefused) {
  std::string name(300, 'n');
  char const* lines[] = {"x = 1"};
  EXPECT_FALSE(interp.execute(lines, 1, name.c_str()));
  ASSERT_EQ(captured().size(), 1u);
  EXPECT_EQ(captured()[0].second,
            std::string(127, 'n') + "(0): error: script name longer than 127 characters");
  EXPECT_EQ(globals.find("x"), nullptr);
}

// Growing a named list one new member per statement appends to the stored list: 20000 such
// statements took minutes when each copied the whole list twice.
// Runs `n = {m0 = 0}` and then members-1 lines `n = n + {mI = I}`; how long the run took.
std::chrono::steady_clock::duration growmembers(vesk::interpreter& interp, int members) {
  std::vector<std::string> texts{"n = {m0 = 0}"};
  for (int i = 1; i < members; ++i)
    texts.push_back("n = n + {m" + std::to_string(i) + " = " + std::to_string(i) + "}");
  std::vector<char const*> lines;
  for (std::string const& t : texts) lines.push_back(t.c_str());
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(interp.execute(lines.data(), static_cast<int>(lines.size()), "t.vk"));
  return std::chrono::steady_clock::now() - start;
}

// Four times the members take about four times as long (sixteen if each line copied the list);
// a ratio of the best of three runs each rather than a time, so that a slow or busy machine
// does not matter.
TEST_F(entrypoints, GrowingANamedListMemberByMemberTakesLinearTime) {
  auto few = std::chrono::steady_clock::duration::max(), many = few;
  for (int run = 0; run < 3; ++run) {
    vesk::releasevalue(&globals);
    few = std::min(few, growmembers(interp, 5000));
    vesk::releasevalue(&globals);
    many = std::min(many, growmembers(interp, 20000));
  }
  EXPECT_LT(many.count(), 10 * few.count());
  vesk::variable* n = globals.find("n");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->count(), 20000);
  ASSERT_NE(n->find("m12345"), nullptr);
  EXPECT_EQ(n->find("m12345")->number(), 12345);
  // A member that is there already is merged as "+" says, not appended a second time.
  ASSERT_TRUE(run({"n = n + {m7 = -7}"}));
  EXPECT_EQ(n->count(), 20000);
  EXPECT_EQ(n->find("m7")->number(), -7);
}

TEST_F(entrypoints, AssignedListsOutliveTheStatementThatBuiltThem) {
  ASSERT_TRUE(run({"x = {1, {2, 3}, {a = \"t\"}}", "y = {4, 5, 6, 7, 8, 9, 10}", "z = y + y"}));
  vesk::variable* x = globals.find("x");
  ASSERT_NE(x, nullptr);
  ASSERT_EQ(x->count(), 3);
  EXPECT_EQ(x->index(1)->index(1)->number(), 3.0);
  ASSERT_NE(x->index(2)->find("a"), nullptr);
  EXPECT_STREQ(x->index(2)->find("a")->string(), "t");
  EXPECT_EQ(globals.find("z")->count(), 14);
}

TEST_F(entrypoints, StatementsThatAreNoAssignmentsLeaveTheStoreAlone) {
  int before = globals.count();
  EXPECT_TRUE(run({"noop 1, 2", "noop", "twice(2)"}));
  EXPECT_EQ(globals.count(), before);
  EXPECT_FALSE(run({"nothere"}));
  EXPECT_FALSE(run({"missing.x = 1"}));
  EXPECT_FALSE(run({"unknown == 1"}));
  EXPECT_EQ(globals.count(), before);
  EXPECT_EQ(globals.find("noop"), nullptr);
  EXPECT_EQ(globals.find("missing"), nullptr);
}

TEST_F(entrypoints, AFailingTargetChainIsReportedOnce) {
  EXPECT_FALSE(run({"n = {x = 1}", "n.z = 1"}));
  EXPECT_EQ(captured(),
            (loglines{{vesk::logerror, "t.vk(2): error: unbekanntes element (nach '.')"}}));
  captured().clear();
  EXPECT_TRUE(run({"n = {x = 1}", "try", "n.z = 1", "catch", "ok = 1", "end"}));
  EXPECT_TRUE(captured().empty());
  EXPECT_EQ(number("ok"), 1.0);
}

TEST_F(entrypoints, ATargetChainChangesTheStoredElement) {
  ASSERT_TRUE(run({"n = {x = 1, y = {5, 6}}", "n.y[0] = 7", "s = \"n\"", "s.x = 2"}));
  vesk::variable* n = globals.find("n");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->find("y")->index(0)->number(), 7.0);
  EXPECT_EQ(n->find("x")->number(), 2.0);
}

TEST_F(entrypoints, ABlockLeftOpenInATryBodyIsCollectedNotLogged) {
  interp.addinternalfuncs(nullptr);
  // The for each over an empty list jumps past the end of the try, so the run ends in its body.
  EXPECT_FALSE(run({"try", "l = {}", "for each e in l", "end", "next", "x = 1"}));
  EXPECT_TRUE(captured().empty());
  EXPECT_EQ(number("x"), 1.0);
  ASSERT_TRUE(run({"m = getlasterror()", "foo"}) == false);
  vesk::variable* m = globals.find("m");
  ASSERT_NE(m, nullptr);
  EXPECT_STREQ(m->string(), "t.vk(7): error: 'try' not terminated with 'end'");
  // The next run logs to the host again.
  EXPECT_EQ(captured(), (loglines{{vesk::logerror, "t.vk(2): error: unknown element 'foo'"}}));
}

// --- cmdsindex -------------------------------------------------------------------------------

TEST_F(entrypoints, CmdsindexBeforeAnyRunIsMinusOne) {
  EXPECT_EQ(interp.cmdsindex(), -1);
}

TEST_F(entrypoints, CmdsindexAfterACompleteRunIsTheLastLine) {
  ASSERT_TRUE(run({"x = 1", "y = 2", "z = 3"}));
  EXPECT_EQ(interp.cmdsindex(), 2);
}

TEST_F(entrypoints, CmdsindexAfterAFailedStatementIsItsLine) {
  EXPECT_FALSE(run({"x = 1", "x = 1 / 0", "y = 2", "z = 3"}));
  EXPECT_EQ(interp.cmdsindex(), 1);
}

TEST_F(entrypoints, CmdsindexAfterAFailedBlockStatementIsTheLastLine) {
  EXPECT_FALSE(run({"x = 1", "else", "y = 2", "z = 3"}));
  EXPECT_EQ(interp.cmdsindex(), 3);
}

TEST_F(entrypoints, CmdsindexAfterABlockLeftOpenIsTheLastLine) {
  EXPECT_FALSE(run({"repeat", "x = 1"}));
  EXPECT_EQ(interp.cmdsindex(), 1);
}

TEST_F(entrypoints, CmdsindexDuringARunIsTheCurrentLine) {
  ASSERT_TRUE(interp.add(whereami, "whereami"));
  running = &interp;
  seenindex = -2;
  EXPECT_TRUE(run({"x = 1", "", "whereami", "y = 2"}));
  running = nullptr;
  EXPECT_EQ(seenindex, 2);
}

// --- the single-line entry point -------------------------------------------------------------

TEST_F(entrypoints, ALineWithAStoreAssigns) {
  EXPECT_TRUE(interp.execute("x = 5", "line"));
  EXPECT_EQ(number("x"), 5.0);
  EXPECT_TRUE(interp.execute("x = x + 1", "line"));
  EXPECT_EQ(number("x"), 6.0);
  EXPECT_TRUE(interp.execute("l = {1, {2}}", "line"));
  EXPECT_TRUE(interp.execute("m = {3, 3, 3, 3, 3, 3, 3, 3, 3}", "line"));
  vesk::variable* l = globals.find("l");
  ASSERT_NE(l, nullptr);
  EXPECT_EQ(l->index(1)->index(0)->number(), 2.0);
  EXPECT_TRUE(interp.execute("\"a b\" = 1", "line"));
  EXPECT_TRUE(interp.execute("'c d' = 2", "line"));
  EXPECT_EQ(number("a b"), 1.0);
  EXPECT_EQ(number("c d"), 2.0);
  EXPECT_TRUE(captured().empty());
}

TEST_F(entrypoints, ALineWithoutAStoreCannotAssign) {
  vesk::interpreter bare(capture);
  EXPECT_FALSE(bare.execute("x = 5", "line"));
  EXPECT_EQ(captured(),
            (loglines{{vesk::logerror,
                       "line(1): error: Variablenzuweisung nicht erlaubt (keine globalen Variablen "
                       "gesetzt)"}}));
}

TEST_F(entrypoints, ALineWithoutAStoreEvaluates) {
  vesk::interpreter bare(capture);
  ASSERT_TRUE(bare.add(twice, "twice"));
  EXPECT_TRUE(bare.execute("twice(1 + 2)", "line"));
  EXPECT_EQ(bare.store(), nullptr);
  EXPECT_FALSE(bare.execute("x", "line"));
  EXPECT_EQ(captured(), (loglines{{vesk::logerror, "line(1): error: unknown element 'x'"}}));
}

TEST_F(entrypoints, ANullLineFailsSilently) {
  EXPECT_FALSE(interp.execute(static_cast<char const*>(nullptr), "line"));
  EXPECT_TRUE(captured().empty());
}

TEST_F(entrypoints, ALineWithTokensLeftOverFails) {
  EXPECT_FALSE(interp.execute("1 2", "line"));
  EXPECT_FALSE(interp.execute("x = 1 2", "line"));
  EXPECT_EQ(
      captured(),
      (loglines{
          {vesk::logerror, "line(1): error: Unbekannte Argumente oder Operatoren nach Kommando"},
          {vesk::logerror, "line(1): error: Unbekannte Argumente oder Operatoren nach Kommando"}}));
  EXPECT_EQ(globals.find("x"), nullptr);
}

TEST_F(entrypoints, ALineKnowsNoBlockKeywords) {
  EXPECT_FALSE(interp.execute("if 1", "line"));
  EXPECT_EQ(captured(), (loglines{{vesk::logerror, "line(1): error: unknown element 'if'"}}));
}

TEST_F(entrypoints, ALineThatStoresNothingFails) {
  EXPECT_FALSE(interp.execute("x = noop(1)", "line"));
  EXPECT_EQ(captured(),
            (loglines{{vesk::logerror,
                       "line(1): error: nothing to store (expression did not produce a result)"}}));
  EXPECT_EQ(globals.find("x"), nullptr);
}

TEST_F(entrypoints, ALineWithANullNameHasAnEmptyScriptName) {
  EXPECT_FALSE(interp.execute("1 / 0", static_cast<char const*>(nullptr)));
  EXPECT_EQ(captured(), (loglines{{vesk::logerror, "(1): error: Division durch 0 aufgetreten"}}));
}

TEST_F(entrypoints, ALineAfterARunStillWorks) {
  ASSERT_TRUE(run({"x = 1", "repeat", "x = x + 1", "until x == 3"}));
  EXPECT_TRUE(interp.execute("y = x * 2", "line"));
  EXPECT_EQ(number("y"), 6.0);
  EXPECT_TRUE(run({"z = y"}));
  EXPECT_EQ(number("z"), 6.0);
}

// --- a null log function ---------------------------------------------------------------------

TEST(nulllog, DiagnosticsVanishWithoutFailure) {
  vesk::variables globals;
  vesk::interpreter interp(&globals, nullptr);
  EXPECT_EQ(interp.evaluate("1 / 0"), nullptr);
  EXPECT_EQ(interp.evaluate("(1"), nullptr);
  char const* lines[] = {"x = 1", "y = nothere", "z = 3"};
  EXPECT_FALSE(interp.execute(lines, 3, "t.vk"));
  char const* open[] = {"repeat"};
  EXPECT_FALSE(interp.execute(open, 1, "t.vk"));
  EXPECT_FALSE(interp.execute("1 2", "line"));
  vesk::variable* x = globals.find("x");
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->number(), 1.0);
  vesk::releasevalue(&globals);
}

TEST(nulllog, TheDefaultConstructorHasNoLogAndNoStore) {
  vesk::interpreter interp;
  EXPECT_EQ(interp.store(), nullptr);
  EXPECT_FALSE(interp.execute("x = 1", "line"));
  vesk::variable* v = interp.evaluate("2 * 21");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 42.0);
}

TEST(nulllog, SetlogfuncWithNullSilencesAnInterpreter) {
  captured().clear();
  vesk::variables globals;
  vesk::interpreter interp(&globals, capture);
  EXPECT_EQ(interp.evaluate("nothere"), nullptr);
  EXPECT_EQ(captured().size(), 1u);
  interp.setlogfunc(nullptr);
  EXPECT_EQ(interp.evaluate("nothere"), nullptr);
  char const* lines[] = {"try", "x = 1 / 0", "end", "else"};
  EXPECT_FALSE(interp.execute(lines, 4, "t.vk"));
  EXPECT_EQ(captured().size(), 1u);
  interp.setlogfunc(capture);
  EXPECT_EQ(interp.evaluate("nothere"), nullptr);
  EXPECT_EQ(captured().size(), 2u);
  vesk::releasevalue(&globals);
}

// --- compiled lines across runs and changes by the host ------------------------------------

// A host function that pushes 3.
bool three(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  opstack->push(3.0);
  return true;
}

// A host function that registers `three` as `later` with the interpreter `running`.
bool registerlater(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return running != nullptr && running->add(three, "later");
}

// A host function that deletes the global `y` and adds it again (as the number 100).
bool renewy(vesk::stack*, vesk::parameters*, vesk::variables* store, vesk::logfunc) {
  store->remove("y");
  store->add(100.0, "y");
  return true;
}

TEST_F(entrypoints, RewrittenLinesRunTheirNewTextInTheNextRun) {
  char loop[] = "for i = 1 to 3";
  char body[] = "x = x + i   ";
  char last[] = "next";
  char const* lines[] = {loop, body, last};
  globals.add(0.0, "x");
  ASSERT_TRUE(interp.execute(lines, 3, "t.vk"));
  EXPECT_EQ(number("x"), 6);
  std::snprintf(body, sizeof body, "x = x * 10");
  ASSERT_TRUE(interp.execute(lines, 3, "t.vk"));
  EXPECT_EQ(number("x"), 6000);
}

// A script file's compiled lines are kept from call to call: a name registered as a function
// between two calls is called in the second, not read as the variable it was.
TEST_F(entrypoints, ANameRegisteredBetweenCallsOfAScriptIsCalledNotRead) {
  vesktest::scratchfolder folder;
  ASSERT_TRUE(folder.ready());
  folder.writefile("sum.vk", "r = 0\nfor i = 1 to 3\nr = r + later\nnext\n");
  interp.setscriptpath(folder.root.c_str(), nullptr);
  globals.add(1.0, "later");
  ASSERT_TRUE(interp.execute("sum", static_cast<vesk::parameters*>(nullptr)));
  EXPECT_EQ(number("r"), 3);
  ASSERT_TRUE(interp.add(three, "later"));
  ASSERT_TRUE(interp.execute("sum", static_cast<vesk::parameters*>(nullptr)));
  EXPECT_EQ(number("r"), 9);
}

// The same during a run: the line that read the variable calls the function from then on.
TEST_F(entrypoints, ANameRegisteredDuringARunIsCalledFromThenOn) {
  std::vector<char const*> lines = {
      "r = 0", "for i = 1 to 4", "r = r + later", "if i == 2", "registerlater()", "end", "next"};
  globals.add(1.0, "later");
  ASSERT_TRUE(interp.add(registerlater, "registerlater"));
  running = &interp;
  EXPECT_TRUE(run(lines));
  running = nullptr;
  EXPECT_EQ(number("r"), 8);
}

TEST_F(entrypoints, RemembersNoVariableAcrossAStoreResetOrAHostThatReplacesIt) {
  std::vector<char const*> lines = {
      "y = 1", "s = 0", "for i = 1 to 4", "s = s + y", "if i == 2", "renewy()", "end", "next"};
  ASSERT_TRUE(interp.add(renewy, "renewy"));
  ASSERT_TRUE(run(lines));
  EXPECT_EQ(number("s"), 202);
  vesk::releasevalue(&globals);
  ASSERT_TRUE(run(lines));
  EXPECT_EQ(number("s"), 202);
}

TEST(nulllog, SetglobalsReplacesTheStore) {
  vesk::variables first, second;
  vesk::interpreter interp(&first, nullptr);
  EXPECT_TRUE(interp.execute("x = 1", "line"));
  interp.setglobals(&second);
  EXPECT_EQ(interp.store(), &second);
  EXPECT_TRUE(interp.execute("x = 2", "line"));
  EXPECT_EQ(first.find("x")->number(), 1.0);
  EXPECT_EQ(second.find("x")->number(), 2.0);
  interp.setglobals(nullptr);
  EXPECT_FALSE(interp.execute("x = 3", "line"));
  vesk::releasevalue(&first);
  vesk::releasevalue(&second);
}

} // namespace
