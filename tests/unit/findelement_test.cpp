// Tests of findelement, the typed lookup of a named element: what it returns, every message it
// composes, the optional flag, and the error flag, which it may set but never clears.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "findelement.h"
#include "vesk.h"

namespace {

std::vector<std::string> messages;
std::vector<int> levels;

void record(int level, char const* text) {
  levels.push_back(level);
  messages.push_back(text);
}

// A named list {n = 1, s = "text", l = {}, nl = {}, u = <no value>} and a clean record.
struct findelementtest : ::testing::Test {
  vesk::parameters container;
  void SetUp() override {
    messages.clear();
    levels.clear();
    container.add(1.0, "n");
    container.add("text", "s");
    container.add(vesk::listtype, "l");
    container.add(vesk::namedlisttype, "nl");
    container.add(vesk::undefinedtype, "u");
  }
  void TearDown() override {
    container.find("l")->reset();
    container.find("nl")->reset();
    container.reset();
  }
  vesk::variable* lookup(char const* name, vesk::vartype type, bool optional, bool& flag,
                         char const* context = nullptr) {
    return vesk::findelement(&container, name, type, optional, flag, record, context);
  }
};

TEST_F(findelementtest, AnElementOfTheExpectedTypeIsReturnedAndMarkedRead) {
  bool flag = false;
  vesk::variable* n = lookup("n", vesk::numbertype, false, flag);
  ASSERT_EQ(n, container.find("n"));
  EXPECT_TRUE(n->isprocessed());
  EXPECT_FALSE(flag);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(lookup("nl", vesk::namedlisttype, false, flag), container.find("nl"));
  EXPECT_FALSE(flag);
}

TEST_F(findelementtest, AMissingOptionalElementIsNullWithoutAMessage) {
  for (bool before : {false, true}) {
    bool flag = before;
    EXPECT_EQ(lookup("x", vesk::numbertype, true, flag), nullptr);
    EXPECT_EQ(flag, before);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(findelementtest, AMissingElementIsReportedWithItsContext) {
  bool flag = false;
  EXPECT_EQ(lookup("x", vesk::numbertype, false, flag), nullptr);
  EXPECT_TRUE(flag);
  EXPECT_EQ(lookup("y", vesk::stringtype, false, flag, "settings"), nullptr);
  EXPECT_EQ(messages, (std::vector<std::string>{"element 'x' missing in 'calling parameters'",
                                                "element 'y' missing in 'settings'"}));
  EXPECT_EQ(levels, (std::vector<int>{vesk::logerror, vesk::logerror}));
}

TEST_F(findelementtest, AContainerThatIsNoNamedListIsReportedEvenForOptionalElements) {
  vesk::variable number(2.0);
  vesk::variable list(vesk::listtype, nullptr);
  bool flag = false;
  EXPECT_EQ(vesk::findelement(&number, "x", vesk::numbertype, true, flag, record, nullptr),
            nullptr);
  EXPECT_TRUE(flag);
  EXPECT_EQ(vesk::findelement(&list, "x", vesk::numbertype, false, flag, record, "point"), nullptr);
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "'calling parameters' does not conatin named objects; 'x' can not be "
                          "found",
                          "'point' does not conatin named objects; 'x' can not be found"}));
  list.reset();
}

TEST_F(findelementtest, AnElementOfAnotherTypeIsReportedAndLeftUnread) {
  bool flag = false;
  EXPECT_EQ(lookup("s", vesk::numbertype, false, flag), nullptr);
  EXPECT_TRUE(flag);
  EXPECT_FALSE(container.find("s")->isprocessed());
  EXPECT_EQ(lookup("n", vesk::stringtype, true, flag, "config"), nullptr);
  EXPECT_EQ(lookup("l", vesk::namedlisttype, false, flag), nullptr);
  EXPECT_EQ(lookup("nl", vesk::listtype, false, flag), nullptr);
  std::vector<std::string> expected = {
      "element 's' in 'calling parameters' is a string, should be a number",
      "element 'n' in 'config' is a number, should be a string",
      "element 'l' in 'calling parameters' is a list, should be a named list",
      "element 'nl' in 'calling parameters' is a named list, should be a list"};
  EXPECT_EQ(messages, expected);
}

TEST_F(findelementtest, TypesWithoutAPhraseAreNamedGenerally) {
  bool flag = false;
  EXPECT_EQ(lookup("u", vesk::numbertype, false, flag), nullptr);
  EXPECT_EQ(lookup("n", vesk::binarytype, false, flag), nullptr);
  EXPECT_EQ(lookup("n", vesk::undefinedtype, false, flag), nullptr);
  std::vector<std::string> expected = {
      "element 'u' in 'calling parameters' is of unknown type, should be a number",
      "element 'n' in 'calling parameters' is a number, should be something else",
      "element 'n' in 'calling parameters' is a number, should be something else"};
  EXPECT_EQ(messages, expected);
}

TEST_F(findelementtest, TheErrorFlagIsNeverCleared) {
  bool flag = true;
  EXPECT_NE(lookup("n", vesk::numbertype, false, flag), nullptr);
  EXPECT_TRUE(flag);
  // Several lookups, one test of the flag: a later success does not hide an earlier miss.
  flag = false;
  lookup("x", vesk::numbertype, false, flag);
  lookup("s", vesk::stringtype, false, flag);
  EXPECT_TRUE(flag);
}

TEST_F(findelementtest, WithoutALogFunctionNothingIsReportedButTheFlagIsSet) {
  bool flag = false;
  EXPECT_EQ(vesk::findelement(&container, "x", vesk::numbertype, false, flag, nullptr, nullptr),
            nullptr);
  EXPECT_TRUE(flag);
  flag = false;
  EXPECT_EQ(vesk::findelement(&container, "s", vesk::numbertype, false, flag, nullptr, nullptr),
            nullptr);
  EXPECT_TRUE(flag);
  EXPECT_TRUE(messages.empty());
}

TEST_F(findelementtest, AComposedMessageIsCutToItsBuffer) {
  std::string context(400, 'c');
  bool flag = false;
  EXPECT_EQ(lookup("x", vesk::numbertype, false, flag, context.c_str()), nullptr);
  ASSERT_EQ(messages.size(), 1u);
  std::string expected = "element 'x' missing in '" + context;
  EXPECT_EQ(messages[0], expected.substr(0, 255));
}

} // namespace
