// Host tests of functions called from scripts: the registry, results left on the operand
// stack, failures, the report of unread parameters, the prefixes calllog adds, direct calls
// through execute(name, params), the built-in registration and version.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "hostlog.h"
#include "vesk.h"

namespace {

using hosttest::host;
using hosttest::logline;
using hosttest::runlines;
using hosttest::takelog;

// --- functions a host registers -------------------------------------------------------------

bool pushone(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return opstack->push(1.0) != nullptr;
}

bool pushtwo(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return opstack->push(2.0) != nullptr;
}

// Marks every parameter as read.
void readall(vesk::parameters* params) {
  vesk::variable walker = *params;
  for (vesk::variable* p = walker.first(); p != nullptr; p = walker.next()) p->processed(true);
}

// The product of all (number) arguments.
bool product(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  double result = 1;
  vesk::variable walker = *params;
  for (vesk::variable* p = walker.first(); p != nullptr; p = walker.next()) {
    p->processed(true);
    result *= p->number();
  }
  return opstack->push(result) != nullptr;
}

// Reads its arguments and pushes two values, 10 and then 20.
bool pair(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  readall(params);
  return opstack->push(10.0) != nullptr && opstack->push(20.0) != nullptr;
}

// Reads its arguments and pushes nothing.
bool silent(vesk::stack*, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  readall(params);
  return true;
}

// What probe saw on the operand stack when it was called.
struct stackview {
  int count;
  double top0;
  double top1;
};
stackview seen;

bool probe(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  readall(params);
  seen = {opstack->numelements(), opstack->number(0), opstack->number(1)};
  return true;
}

bool failing(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc log) {
  log(vesk::logerror, "failing failed");
  return false;
}

// Reads only its first parameter.
bool firstonly(vesk::stack*, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  if (vesk::variable* first = params->first()) first->processed(true);
  return true;
}

// Reads nothing, and notes the flags its first parameter arrived with.
struct flagview {
  bool processed;
  bool invalid;
  bool changed;
};
flagview arrived;

bool observe(vesk::stack*, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  vesk::variable* first = params->first();
  arrived = {first->isprocessed(), first->isinvalid(), first->ischanged()};
  return true;
}

// Logs one line at each level.
bool levels(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc log) {
  log(vesk::logtrace, "t0");
  log(vesk::logerror, "t1");
  log(vesk::logwarning, "t2");
  log(vesk::logoutput, "t3");
  return true;
}

// Logs one error line of 600 characters.
bool longline(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc log) {
  std::string text(600, 'x');
  log(vesk::logerror, text.c_str());
  return true;
}

// What a function received when the host called it directly.
struct directview {
  vesk::parameters* params;
  vesk::variables* globals;
};
directview direct;

bool recordcall(vesk::stack* opstack, vesk::parameters* params, vesk::variables* globals,
                vesk::logfunc log) {
  direct = {params, globals};
  log(vesk::logerror, "direct");
  return opstack->push(5.0) != nullptr;
}

// --- the registry ---------------------------------------------------------------------------

TEST(registry, TakenNamesAreRefusedAndTheFirstRegistrationWins) {
  host h;
  EXPECT_TRUE(h.engine.add(pushone, "f"));
  EXPECT_FALSE(h.engine.add(pushtwo, "f"));
  EXPECT_TRUE(h.engine.add(pushtwo, "F")); // names are case-sensitive
  ASSERT_TRUE(runlines(h.engine, {"a = f()", "b = F()"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "a"), 1);
  EXPECT_EQ(hosttest::globalnumber(h.globals, "b"), 2);
}

TEST(registry, NamesLongerThan31CharactersAreRefused) {
  host h;
  std::string longest(31, 'n');
  std::string toolong = longest + "x";
  EXPECT_TRUE(h.engine.add(pushone, longest.c_str()));
  EXPECT_FALSE(h.engine.add(pushtwo, toolong.c_str()));
  std::string call = "a = " + longest + "()";
  ASSERT_TRUE(runlines(h.engine, {call.c_str()}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "a"), 1);
  // The longer name must not reach the function registered under its first 31 characters.
  std::string longcall = "b = " + toolong + "()";
  EXPECT_FALSE(runlines(h.engine, {longcall.c_str()}));
  std::vector<logline> log = takelog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], (logline{1, "host.vk(1): error: unknown element '" + toolong + "'"}));
}

// An empty name would answer every unnamed parameter of every called script ('').
TEST(registry, EmptyAndNullNamesAreRefused) {
  host h;
  EXPECT_FALSE(h.engine.add(pushone, ""));
  EXPECT_FALSE(h.engine.add(pushone, static_cast<char const*>(nullptr)));
  EXPECT_FALSE(h.engine.add(nullptr, "one"));
  EXPECT_TRUE(h.engine.add(pushone, "one"));
}

TEST(registry, NestedScriptsShareTheRegistry) {
  host h;
  ASSERT_TRUE(h.engine.add(pushtwo, "two"));
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "vesk_calls_registry";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "usetwo.vk") << "a = two() * 3\n";
  h.engine.setscriptpath(folder.string().c_str(), nullptr);
  ASSERT_TRUE(runlines(h.engine, {"usetwo"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "a"), 6);
  std::filesystem::remove_all(folder);
}

// --- results --------------------------------------------------------------------------------

TEST(results, ParenthesesEndTheArgumentListOtherwiseTheLineDoes) {
  host h;
  ASSERT_TRUE(h.engine.add(product, "prod"));
  ASSERT_TRUE(runlines(h.engine, {"a = prod(2, 3) + 4", "b = prod 2, 3 + 4", "c = prod 2 3 4"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "a"), 10);
  EXPECT_EQ(hosttest::globalnumber(h.globals, "b"), 14);
  EXPECT_EQ(hosttest::globalnumber(h.globals, "c"), 24);
}

TEST(results, WithArgumentsOnlyTheTopmostPushedValueStays) {
  host h;
  ASSERT_TRUE(h.engine.add(pair, "pair"));
  ASSERT_TRUE(h.engine.add(probe, "probe"));
  ASSERT_TRUE(runlines(h.engine, {"probe(pair(1))"}));
  EXPECT_EQ(seen.count, 1);
  EXPECT_EQ(seen.top0, 20);
  // Values below the call's own arguments stay where they were.
  ASSERT_TRUE(runlines(h.engine, {"probe(7, pair(1, 2))"}));
  EXPECT_EQ(seen.count, 2);
  EXPECT_EQ(seen.top0, 20);
  EXPECT_EQ(seen.top1, 7);
  ASSERT_TRUE(runlines(h.engine, {"a = pair(1)"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "a"), 20);
}

TEST(results, WithoutArgumentsEverythingPushedStays) {
  host h;
  ASSERT_TRUE(h.engine.add(pair, "pair"));
  ASSERT_TRUE(h.engine.add(probe, "probe"));
  ASSERT_TRUE(runlines(h.engine, {"probe(pair())"}));
  EXPECT_EQ(seen.count, 2);
  EXPECT_EQ(seen.top0, 20);
  EXPECT_EQ(seen.top1, 10);
}

// The call leaves nothing at all, and nothing else may stand in for the value it lacks.
TEST(results, ArgumentsOfAFunctionThatPushesNothingAreRemoved) {
  host h;
  ASSERT_TRUE(h.engine.add(silent, "silent"));
  ASSERT_TRUE(h.engine.add(probe, "probe"));
  EXPECT_EQ(h.engine.evaluate("silent(1, 2)"), nullptr);
  seen.count = -1;
  EXPECT_FALSE(runlines(h.engine, {"probe(7, silent(1, 2))"}));
  EXPECT_EQ(seen.count, -1); // probe never ran
  std::vector<logline> log = takelog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0].text, "host.vk(1): error: no value: the call of 'silent' does not produce a "
                         "result");
}

TEST(results, AFunctionReturningFalseFailsTheStatement) {
  host h;
  ASSERT_TRUE(h.engine.add(failing, "failing"));
  EXPECT_FALSE(runlines(h.engine, {"failing 1", "a = 1"}));
  EXPECT_EQ(h.globals.find("a"), nullptr);
  // Its message carries the calling line; its unread argument is not reported.
  EXPECT_EQ(takelog(), (std::vector<logline>{{1, "host.vk(1): error: failing failed"}}));
  ASSERT_TRUE(runlines(h.engine, {"try", "b = failing()", "catch", "c = 1", "end"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "c"), 1);
  EXPECT_TRUE(takelog().empty());
}

// --- parameters the function did not read ---------------------------------------------------

TEST(unread, EachUnreadParameterIsReportedAfterAHeader) {
  host h;
  ASSERT_TRUE(h.engine.add(firstonly, "firstonly"));
  ASSERT_TRUE(runlines(h.engine, {"", "firstonly 1, \"s\", 2.5, n = 5, {1}, {a = 1}, l = {2}"}));
  std::vector<logline> expected = {
      {1, "host.vk(2): error: while calling function 'firstonly'"},
      {1, "host.vk(2): error:   parameter \"s\" unused"},
      {1, "host.vk(2): error:   parameter 2.500 unused"},
      {1, "host.vk(2): error:   parameter 'n=' unused\n"},
      {1, "host.vk(2): warning:   list parameter unused"},
      {1, "host.vk(2): warning:   named list parameter unused"},
      {1, "host.vk(2): error:   parameter 'l=' unused\n"},
  };
  EXPECT_EQ(takelog(), expected);
}

TEST(unread, NothingIsReportedWhenEveryParameterWasRead) {
  host h;
  ASSERT_TRUE(h.engine.add(firstonly, "firstonly"));
  ASSERT_TRUE(h.engine.add(silent, "silent"));
  ASSERT_TRUE(runlines(h.engine, {"firstonly 1", "silent 1, n = 2, {3}", "firstonly()"}));
  EXPECT_TRUE(takelog().empty());
}

TEST(unread, ParametersArriveUnreadWithTheirVariablesMarks) {
  host h;
  ASSERT_TRUE(h.engine.add(observe, "observe"));
  vesk::variable* v = h.globals.add(3.0, "v");
  v->processed(true);
  v->setinvalid(true);
  ASSERT_TRUE(runlines(h.engine, {"observe v"}));
  EXPECT_FALSE(arrived.processed);
  EXPECT_TRUE(arrived.invalid);
  EXPECT_FALSE(arrived.changed);
  std::vector<logline> expected = {
      {1, "host.vk(1): error: while calling function 'observe'"},
      {1, "host.vk(1): error:   parameter 3.000 unused"},
  };
  EXPECT_EQ(takelog(), expected);
}

// --- calllog --------------------------------------------------------------------------------

TEST(calllog, ErrorsAndWarningsGetTheCallingLinesPrefix) {
  host h;
  ASSERT_TRUE(h.engine.add(levels, "levels"));
  ASSERT_TRUE(runlines(h.engine, {"a = 1", "levels()"}, "main.vk"));
  std::vector<logline> expected = {
      {0, "t0"}, {1, "main.vk(2): error: t1"}, {2, "main.vk(2): warning: t2"}, {3, "t3"}};
  EXPECT_EQ(takelog(), expected);
}

TEST(calllog, ACalledScriptsNameAndLineArePrefixed) {
  host h;
  ASSERT_TRUE(h.engine.add(levels, "levels"));
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "vesk_calls_calllog";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "inner.vk") << "; calls levels on line 3\n\nlevels\n";
  h.engine.setscriptpath(folder.string().c_str(), nullptr);
  ASSERT_TRUE(runlines(h.engine, {"inner", "levels"}, "outer.vk"));
  std::string inner = (folder / "inner.vk").string();
  std::vector<logline> expected = {
      {0, "t0"}, {1, inner + "(3): error: t1"}, {2, inner + "(3): warning: t2"}, {3, "t3"},
      {0, "t0"}, {1, "outer.vk(2): error: t1"}, {2, "outer.vk(2): warning: t2"}, {3, "t3"}};
  EXPECT_EQ(takelog(), expected);
  std::filesystem::remove_all(folder);
}

TEST(calllog, ALongLineIsCutToTheBuffer) {
  host h;
  ASSERT_TRUE(h.engine.add(longline, "longline"));
  ASSERT_TRUE(runlines(h.engine, {"longline()"}));
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 1u);
  std::string prefix = "host.vk(1): error: ";
  EXPECT_EQ(log[0].text, prefix + std::string(511 - prefix.size(), 'x'));
}

// Each thread's functions report with their own caller's line, even while another thread's
// function is running at the same moment.
std::atomic<int> entered{0};

bool rendezvous(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc log) {
  ++entered;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (entered < 2 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
  log(vesk::logerror, "met");
  return true;
}

TEST(calllog, TwoThreadsKeepTheirOwnCallers) {
  hosttest::clearlog();
  entered = 0;
  auto run = [](char const* name, int blanklines) {
    vesk::variables globals;
    vesk::interpreter engine(&globals, hosttest::record);
    engine.add(rendezvous, "rendezvous");
    std::vector<char const*> lines(static_cast<size_t>(blanklines), "");
    lines.push_back("rendezvous()");
    runlines(engine, lines, name);
    vesk::releasevalue(&globals);
  };
  std::thread first(run, "first.vk", 0);
  std::thread second(run, "second.vk", 4);
  first.join();
  second.join();
  ASSERT_EQ(entered, 2);
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 2u);
  std::vector<std::string> texts = {log[0].text, log[1].text};
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts,
            (std::vector<std::string>{"first.vk(1): error: met", "second.vk(5): error: met"}));
}

// --- script calls ---------------------------------------------------------------------------

// The number of open file descriptors of this process, or -1 where they cannot be counted.
int openfiles() {
  std::error_code failed;
  std::filesystem::directory_iterator entries("/proc/self/fd", failed);
  if (failed) return -1;
  return static_cast<int>(std::distance(entries, std::filesystem::directory_iterator()));
}

TEST(scriptcalls, AScriptFileOpenedForACallIsClosedOnEveryPath) {
  if (openfiles() < 0) GTEST_SKIP() << "open files cannot be counted here";
  host h;
  h.engine.addinternalfuncs(nullptr);
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "vesk_calls_files";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "callee.vk") << "x = p\n";
  std::ofstream(folder / "failing.vk") << "throw \"failing\"\n";
  std::ofstream(folder / "itself.vk") << "itself\n";
  h.engine.setscriptpath(folder.string().c_str(), nullptr);
  std::vector<char const*> paths{
      "try",          "callee(p = 1 +", "catch", "end",  // arguments fail
      "try",          "failing",        "catch", "end",  // the script fails
      "callee p = 2",                                    // it succeeds
      "try",          "itself",         "catch", "end"}; // too deep
  // A first round opens what the engine keeps for the whole process (script listings and
  // their change watch are set up after some hundred lookups).
  ASSERT_TRUE(runlines(h.engine, {"for i = 1 to 1000", "callee p = i", "next"}));
  ASSERT_TRUE(runlines(h.engine, paths));
  int before = openfiles();
  ASSERT_TRUE(runlines(h.engine, paths));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "x"), 2);
  EXPECT_EQ(openfiles(), before);
  std::filesystem::remove_all(folder);
}

// rewrite: writes sub.vk anew in place, "v = 1" to "v = 5" (all of one size, within one
// second), and deletes it on later calls; then waits past the engine's look at change
// notifications, as a host would between two calls.
std::filesystem::path rewritten;
int rewrites = 0;

bool rewrite(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  if (++rewrites <= 5)
    std::ofstream(rewritten, std::ios::binary) << "v = " << rewrites << "\n";
  else
    std::filesystem::remove(rewritten);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return true;
}

// A loop's call line, compiled from its second pass, runs the text the file has at each call,
// before and after the engine has listed the folder (its first few hundred lookups go to the
// disk, later ones to listings that change notifications keep up to date).
TEST(scriptcalls, ACompiledCallRunsTheTextTheFileHasNow) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "vesk_calls_rewrite";
  std::filesystem::create_directories(folder);
  rewritten = folder / "sub.vk";
  host h;
  ASSERT_TRUE(h.engine.add(rewrite, "rewrite"));
  h.engine.setscriptpath(folder.string().c_str(), nullptr);
  for (bool listed : {false, true}) {
    SCOPED_TRACE(listed ? "listed" : "looked up on the disk");
    if (listed)
      for (int i = 0; i < 300; ++i) h.engine.evaluate("nosuchname");
    rewrites = 0;
    ASSERT_TRUE(runlines(h.engine, {"seen = {}", "for i = 1 to 8", "  rewrite", "  try", "    sub",
                                    "    seen = seen + {v}", "  catch", "    seen = seen + {0}",
                                    "  end", "next"}));
    vesk::variable* seen = h.globals.find("seen");
    ASSERT_NE(seen, nullptr);
    std::vector<double> values;
    for (int i = 0; i < seen->count(); ++i) values.push_back(seen->index(i)->number());
    EXPECT_EQ(values, (std::vector<double>{1, 2, 3, 4, 5, 0, 0, 0}));
  }
  takelog();
  std::filesystem::remove_all(folder);
}

// --- execute(name, params) ------------------------------------------------------------------

TEST(direct, AFunctionIsCalledWithTheHostsParametersAndLog) {
  host h;
  ASSERT_TRUE(h.engine.add(recordcall, "recordcall"));
  vesk::parameters params;
  params.add(1.0, "");
  params.add(2.0, "unread");
  EXPECT_TRUE(h.engine.execute("recordcall", &params));
  EXPECT_EQ(direct.params, &params);
  EXPECT_EQ(direct.globals, &h.globals);
  // No prefix and no report of the two unread parameters.
  EXPECT_EQ(takelog(), (std::vector<logline>{{1, "direct"}}));
  params.reset();
}

TEST(direct, TheFunctionsResultIsPassedOn) {
  host h;
  ASSERT_TRUE(h.engine.add(failing, "failing"));
  vesk::parameters params;
  EXPECT_FALSE(h.engine.execute("failing", &params));
  EXPECT_EQ(takelog(), (std::vector<logline>{{1, "failing failed"}}));
}

TEST(direct, AnUnknownNameFailsSilently) {
  host h;
  vesk::parameters params;
  EXPECT_FALSE(h.engine.execute("nosuchfunctionorscript", &params));
  EXPECT_TRUE(takelog().empty());
}

// Without a store a called script still sees its parameters (they are all it can read).
TEST(direct, WithoutAStoreAScriptSeesItsParameters) {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "vesk_calls_nostore";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "show.vk") << "print n * 2\n";
  hosttest::clearlog();
  vesk::interpreter engine(hosttest::record);
  engine.addinternalfuncs(nullptr);
  engine.setscriptpath(folder.string().c_str(), nullptr);
  vesk::parameters params;
  params.add(7.0, "n");
  ASSERT_TRUE(engine.execute("show", &params));
  ASSERT_TRUE(runlines(engine, {"for i = 1 to 2", "  show(n = 9)", "next"}));
  EXPECT_EQ(takelog(), (std::vector<logline>{{3, "14 "}, {3, "18 "}, {3, "18 "}}));
  params.reset();
  std::filesystem::remove_all(folder);
}

// A folder in which no script path fits is refused when it is set, with the reason.
TEST(direct, AScriptFolderTooLongForAnyScriptIsRefused) {
  host h;
  std::string longest(122, 'd'), toolong(123, 'd');
  h.engine.setscriptpath(longest.c_str(), toolong.c_str());
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].text.rfind("script folder longer than 122 characters refused", 0), 0u)
      << log[0].text;
}

// --- built-in registration and version ------------------------------------------------------

// The built-ins in their registration order.
constexpr char const* builtinnames[] = {
    "getlasterror", "throw",        "abs",           "sqrt",          "round",      "min",
    "max",          "sin",          "cos",           "tan",           "asin",       "acos",
    "atan",         "year",         "month",         "day",           "date",       "hour",
    "minute",       "second",       "time",          "sleep",         "dump",       "print",
    "assert",       "delete",       "count",         "isdefined",     "isnumber",   "isstring",
    "islist",       "isnamedlist",  "isbinary",      "isinvalid",     "setinvalid", "resetinvalid",
    "isdisabled",   "setdisabled",  "resetdisabled", "ischanged",     "setchanged", "resetchanged",
    "haserror",     "seterror",     "reseterror",    "getfolderpath", "enumfiles",  "enumfolders",
    "deletefile",   "deletefolder", "renamefile",    "createfolder"};

bool holdnone(char const*) {
  return false;
}
bool holdall(char const*) {
  return true;
}
bool holdprint(char const* name) {
  return std::string(name) == "print";
}

std::vector<std::string> asked;
bool noteandhold(char const* name) {
  asked.push_back(name);
  return true;
}

TEST(builtins, ANullFilterOrOneThatHoldsNothingRegistersThem) {
  for (auto filter : {static_cast<bool (*)(char const*)>(nullptr), holdnone}) {
    host h;
    h.engine.addinternalfuncs(filter);
    for (char const* name : builtinnames) EXPECT_FALSE(h.engine.add(pushone, name)) << name;
    ASSERT_TRUE(runlines(h.engine, {"print 1, \"a\""}));
    EXPECT_EQ(takelog(), (std::vector<logline>{{3, "1 a "}}));
  }
}

TEST(builtins, AFilterHoldsBackWhatItReturnsTrueFor) {
  host h;
  h.engine.addinternalfuncs(holdall);
  EXPECT_TRUE(h.engine.add(pushone, "getlasterror"));

  host held;
  held.engine.addinternalfuncs(holdprint);
  EXPECT_FALSE(runlines(held.engine, {"print 1"}));
  EXPECT_EQ(takelog(), (std::vector<logline>{{1, "host.vk(1): error: unknown element 'print'"}}));
  EXPECT_FALSE(held.engine.add(pushone, "throw"));
  // A second registration adds only what is still missing.
  held.engine.addinternalfuncs(nullptr);
  ASSERT_TRUE(runlines(held.engine, {"print 2"}));
  EXPECT_EQ(takelog(), (std::vector<logline>{{3, "2 "}}));
}

TEST(builtins, AHostsOwnFunctionKeepsItsName) {
  host h;
  ASSERT_TRUE(h.engine.add(pushtwo, "print"));
  h.engine.addinternalfuncs(nullptr);
  ASSERT_TRUE(runlines(h.engine, {"a = print()"}));
  EXPECT_EQ(hosttest::globalnumber(h.globals, "a"), 2);
  EXPECT_TRUE(takelog().empty());
}

TEST(builtins, TheFilterIsAskedOnceForEachNameInTableOrder) {
  host h;
  asked.clear();
  h.engine.addinternalfuncs(noteandhold);
  EXPECT_EQ(asked, std::vector<std::string>(std::begin(builtinnames), std::end(builtinnames)));
  for (char const* name : builtinnames) EXPECT_TRUE(h.engine.add(pushone, name)) << name;
}

TEST(version, BothFormsGiveOnePointTwoPointEight) {
  EXPECT_STREQ(vesk::version(), "1.2.8");
  int major = 0, minor = 0, patch = 0;
  char const* text = vesk::version(major, minor, patch);
  EXPECT_STREQ(text, "1.2.8");
  EXPECT_EQ(major, 1);
  EXPECT_EQ(minor, 2);
  EXPECT_EQ(patch, 8);
  EXPECT_EQ(text, vesk::version()); // one buffer for both
}

} // namespace
