// Host tests of extension libraries, loaded by path as a host would load them: a library
// exporting `run`, libraries exporting `modules` and `modulename`, libraries that cannot be
// used, and the example extension of the examples folder. The paths, and the file suffix of
// the libraries (.so, or .dll on Windows), come from the build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostlog.h"
#include "vesk.h"

namespace {

using hosttest::endswith;
using hosttest::globalnumber;
using hosttest::globalstring;
using hosttest::host;
using hosttest::logline;
using hosttest::runlines;
using hosttest::takelog;

// The texts of the logged lines, for messages whose prefix the tests do not fix.
std::vector<std::string> texts(std::vector<logline> const& lines) {
  std::vector<std::string> result;
  for (logline const& line : lines) result.push_back(line.text);
  return result;
}

bool allerrors(std::vector<logline> const& lines) {
  for (logline const& line : lines)
    if (line.level != vesk::logerror) return false;
  return true;
}

TEST(libraries, ARunLibraryIsNamedAfterItsFileWithoutExtension) {
  host h;
  ASSERT_TRUE(h.engine.add(VESK_TEST_GEO));
  ASSERT_TRUE(runlines(h.engine, {"d = geo(3, 4)"}));
  EXPECT_EQ(globalnumber(h.globals, "d"), 5);
  EXPECT_TRUE(takelog().empty());
}

TEST(libraries, AFileNameWithoutExtensionIsTheNameItself) {
  host h;
  ASSERT_TRUE(h.engine.add(VESK_TEST_GEO_NOEXTENSION));
  ASSERT_TRUE(runlines(h.engine, {"d = geo 6 8"}));
  EXPECT_EQ(globalnumber(h.globals, "d"), 10);
}

TEST(libraries, ARunFunctionWhoseNameIsTakenIsRefused) {
  host h;
  ASSERT_TRUE(h.engine.add(VESK_TEST_GEO));
  EXPECT_FALSE(h.engine.add(VESK_TEST_GEO));
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].level, vesk::logerror);
  EXPECT_TRUE(endswith(log[0].text, ": error: 'geo/geo.ext' already defined")) << log[0].text;
}

TEST(libraries, ALibraryFunctionReportsThroughTheCallingLine) {
  host h;
  ASSERT_TRUE(h.engine.add(VESK_TEST_GEO));
  EXPECT_FALSE(runlines(h.engine, {"", "d = geo(1)"}));
  EXPECT_EQ(takelog(), (std::vector<logline>{{1, "host.vk(2): error: geo takes two numbers"},
                                             {1, "host.vk(2): error: invalid expression "
                                                 "following '='"}}));
}

TEST(libraries, ModulesAreRegisteredUnderTheirOwnNamesExceptThoseRefused) {
  host h;
  h.engine.addinternalfuncs(nullptr);
  EXPECT_FALSE(h.engine.add(VESK_TEST_SHAPES));
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_TRUE(allerrors(log));
  EXPECT_TRUE(endswith(log[0].text,
                       ": error: 'thisfunctionnameislongerthan31chars/shapes" VESK_TEST_SUFFIX "' "
                       "name longer than 31 characters"))
      << log[0].text;
  EXPECT_TRUE(endswith(log[1].text, ": error: 'shapes" VESK_TEST_SUFFIX "' offers a function "
                                    "without a name"))
      << log[1].text;
  EXPECT_TRUE(endswith(log[2].text, ": error: 'print/shapes" VESK_TEST_SUFFIX "' already defined"))
      << log[2].text;
  // The functions after the refused ones are registered too; print stays the built-in.
  ASSERT_TRUE(runlines(h.engine, {"s = square(3)", "c = cube 2", "print s, c"}));
  EXPECT_EQ(globalnumber(h.globals, "s"), 9);
  EXPECT_EQ(globalnumber(h.globals, "c"), 8);
  EXPECT_EQ(takelog(), (std::vector<logline>{{3, "9 8 "}}));
}

TEST(libraries, AModuleNameIsFreeInAnotherRegistry) {
  host h;
  EXPECT_FALSE(h.engine.add(VESK_TEST_SHAPES)); // the long and the empty name are still refused
  EXPECT_EQ(takelog().size(), 2u);
  ASSERT_TRUE(runlines(h.engine, {"p = print()"}));
  EXPECT_EQ(globalstring(h.globals, "p"), "print of the shapes library");
}

// The first thousand are registered; the call says that the rest were not.
TEST(libraries, AtMostAThousandFunctionsAreTakenFromOneLibrary) {
  host h;
  EXPECT_FALSE(h.engine.add(VESK_TEST_ENDLESS));
  std::vector<logline> refused = takelog();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_NE(refused[0].text.find("has more than 1000 functions"), std::string::npos);
  ASSERT_TRUE(runlines(h.engine, {"a = m0()", "b = m999()"}));
  EXPECT_EQ(globalnumber(h.globals, "a"), 1);
  EXPECT_EQ(globalnumber(h.globals, "b"), 1);
  EXPECT_FALSE(runlines(h.engine, {"c = m1000()"}));
  std::vector<logline> log = takelog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0].text, "host.vk(1): error: unknown element 'm1000'");
}

// A module table without functions loads and registers nothing: true, with a warning.
TEST(libraries, AnEmptyModuleTableLoadsWithAWarning) {
  host h;
  EXPECT_TRUE(h.engine.add(VESK_TEST_EMPTYTABLE));
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_TRUE(
      endswith(log[0].text, ": warning: 'emptytable" VESK_TEST_SUFFIX "' offers no functions"))
      << log[0].text;
}

// A library loaded twice: one message with the number of names taken and the first few.
TEST(libraries, NamesTakenAlreadyAreReportedTogether) {
  host h;
  EXPECT_FALSE(h.engine.add(VESK_TEST_ENDLESS));
  takelog();
  EXPECT_FALSE(h.engine.add(VESK_TEST_ENDLESS));
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(endswith(log[0].text, ": error: 'endless" VESK_TEST_SUFFIX
                                    "': 1000 names already defined: m0, m1, m2, ..."))
      << log[0].text;
  EXPECT_NE(log[1].text.find("has more than 1000 functions"), std::string::npos);
}

TEST(libraries, UnusableLibrariesAreReportedByTheirBaseName) {
  host h;
  EXPECT_FALSE(h.engine.add(VESK_TEST_NOTHING));
  EXPECT_FALSE(h.engine.add(VESK_TEST_NOFUNCTIONS)); // modules without modulename
  EXPECT_FALSE(h.engine.add(VESK_TEST_MISSING));
  EXPECT_FALSE(h.engine.add(__FILE__)); // a file that is no library at all
  std::vector<logline> log = takelog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_TRUE(allerrors(log));
  std::vector<std::string> lines = texts(log);
  EXPECT_TRUE(endswith(lines[0], ": error: 'nothing" VESK_TEST_SUFFIX "' contains no functions"))
      << lines[0];
  EXPECT_TRUE(
      endswith(lines[1], ": error: 'nofunctions" VESK_TEST_SUFFIX "' contains no functions"))
      << lines[1];
  EXPECT_TRUE(endswith(lines[2], ": error: 'missing" VESK_TEST_SUFFIX "' not a valid DLL"))
      << lines[2];
  EXPECT_TRUE(endswith(lines[3], ": error: 'libraries_test.cpp' not a valid DLL")) << lines[3];
}

TEST(example, TextFunctionsConvertAndMeasure) {
  host h;
  ASSERT_TRUE(h.engine.add(VESK_EXAMPLE_TEXTFUNCS));
  ASSERT_TRUE(runlines(h.engine, {"u = upper(\"Mixed Case 1\")", "l = lower \"Mixed Case 1\"",
                                  "n = length(\"four\") + length(\"\")"}));
  EXPECT_EQ(globalstring(h.globals, "u"), "MIXED CASE 1");
  EXPECT_EQ(globalstring(h.globals, "l"), "mixed case 1");
  EXPECT_EQ(globalnumber(h.globals, "n"), 4);
  EXPECT_TRUE(takelog().empty());
}

TEST(example, TextFunctionsTakeExactlyOneString) {
  host h;
  ASSERT_TRUE(h.engine.add(VESK_EXAMPLE_TEXTFUNCS));
  EXPECT_FALSE(
      runlines(h.engine, {"try", "u = upper(1)", "catch", "end", "n = length(\"a\", \"b\")"}));
  std::vector<logline> log = takelog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], (logline{1, "host.vk(5): error: function 'length' takes one string"}));
}

} // namespace
