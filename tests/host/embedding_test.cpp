// embedding_test.cpp - the library as a host embeds it, through the public header and the shared
// library only: a global store handed to the interpreter, lines run from memory, results read
// back from the store, expressions evaluated, and every log level reaching the host's log
// function (0 traces of failed script calls, 1 errors, 2 warnings of functions, 3 output).
#include "vesk.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using loglines = std::vector<std::pair<int, std::string>>;

loglines& received() {
  static loglines lines;
  return lines;
}

void hostlog(int level, char const* text) {
  received().emplace_back(level, text);
}

// A host function that warns (level 2) and reports an error line (level 1) and succeeds.
bool chatty(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc log) {
  log(vesk::logwarning, "careful");
  log(vesk::logerror, "not quite right");
  log(vesk::logoutput, "plain output");
  opstack->push(1.0);
  return true;
}

// A host function that reads a global of the store it is handed and sets another.
bool scale(vesk::stack*, vesk::parameters* params, vesk::variables* globals, vesk::logfunc) {
  vesk::variable* factor = params->first();
  vesk::variable* input = globals->find("input");
  if (factor == nullptr || input == nullptr) return false;
  factor->processed(true);
  globals->add(factor->number() * input->number(), "scaled");
  return true;
}

class embedding : public ::testing::Test {
protected:
  void SetUp() override { received().clear(); }
  void TearDown() override { vesk::releasevalue(&globals); }
  bool run(std::vector<char const*> lines, char const* name = "host.vk") {
    return interp.execute(lines.data(), static_cast<int>(lines.size()), name);
  }
  vesk::variables globals;
  vesk::interpreter interp{&globals, hostlog};
};

TEST_F(embedding, ResultsOfARunAreReadFromTheStore) {
  ASSERT_TRUE(
      run({"n = 6 * 7", "s = \"vesk\" + 1", "l = {1, {2, 3}}",
           "r = {name = \"point\", at = {x = 1, y = 2}}", "for i = 1 to 3", "n = n + 1", "next"}));
  EXPECT_TRUE(received().empty());
  vesk::variable* n = interp.store()->find("n");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->type(), vesk::numbertype);
  EXPECT_EQ(n->number(), 45.0);
  ASSERT_NE(globals.find("s"), nullptr);
  EXPECT_STREQ(globals.find("s")->string(), "vesk1");
  vesk::variable* l = globals.find("l");
  ASSERT_NE(l, nullptr);
  ASSERT_TRUE(l->islist());
  EXPECT_EQ(l->index(1)->index(1)->number(), 3.0);
  // Dotted paths reach into named lists.
  ASSERT_NE(globals.find("r.at.y"), nullptr);
  EXPECT_EQ(globals.find("r.at.y")->number(), 2.0);
  char* name = nullptr;
  std::vector<std::string> names;
  for (vesk::variable* v = globals.first(&name); v != nullptr; v = globals.next(&name))
    names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"n", "s", "l", "r", "i"}));
}

TEST_F(embedding, ScriptsReadWhatTheHostStored) {
  globals.add(2.5, "input");
  globals.add("text", "label");
  ASSERT_TRUE(run({"out = input * 2", "tag = label + \"!\""}));
  EXPECT_EQ(globals.find("out")->number(), 5.0);
  EXPECT_STREQ(globals.find("tag")->string(), "text!");
}

TEST_F(embedding, HostFunctionsWorkOnTheStore) {
  ASSERT_TRUE(interp.add(scale, "scale"));
  globals.add(4.0, "input");
  ASSERT_TRUE(run({"scale 3"}));
  ASSERT_NE(globals.find("scaled"), nullptr);
  EXPECT_EQ(globals.find("scaled")->number(), 12.0);
}

TEST_F(embedding, TheHostEvaluatesExpressions) {
  ASSERT_TRUE(run({"x = 10"}));
  vesk::variable* v = interp.evaluate("x / 4 + 0.5");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->number(), 3.0);
  v = interp.evaluate("{x, x + 1}");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->count(), 2);
  EXPECT_EQ(interp.evaluate("x +"), nullptr);
}

TEST_F(embedding, SingleLinesRunAgainstTheStore) {
  EXPECT_TRUE(interp.execute("total = 1 + 2", "line"));
  EXPECT_TRUE(interp.execute("total = total * 10", "line"));
  EXPECT_EQ(globals.find("total")->number(), 30.0);
  EXPECT_FALSE(interp.execute("total = ", "line"));
  EXPECT_EQ(globals.find("total")->number(), 30.0);
}

TEST_F(embedding, ErrorsReachTheHostAtLevelOne) {
  EXPECT_FALSE(run({"x = 1", "y = x / 0"}));
  EXPECT_EQ(received(),
            (loglines{{vesk::logerror, "host.vk(2): error: Division durch 0 aufgetreten"},
                      {vesk::logerror, "host.vk(2): error: invalid expression following '='"}}));
  EXPECT_EQ(interp.cmdsindex(), 1);
}

TEST_F(embedding, OutputReachesTheHostAtLevelThree) {
  interp.addinternalfuncs(nullptr);
  ASSERT_TRUE(run({"print \"a\", 1.5", "dump {k = 1}"}));
  EXPECT_EQ(received(), (loglines{{vesk::logoutput, "a 1.5 "},
                                  {vesk::logoutput, "{"},
                                  {vesk::logoutput, "  k=1"},
                                  {vesk::logoutput, "}"}}));
}

TEST_F(embedding, WarningsOfFunctionsReachTheHostAtLevelTwo) {
  ASSERT_TRUE(interp.add(chatty, "chatty"));
  ASSERT_TRUE(run({"x = 1", "chatty"}));
  EXPECT_EQ(received(), (loglines{{vesk::logwarning, "host.vk(2): warning: careful"},
                                  {vesk::logerror, "host.vk(2): error: not quite right"},
                                  {vesk::logoutput, "plain output"}}));
}

TEST_F(embedding, AFailedScriptCallLeavesATraceAtLevelZero) {
  std::string pattern = (std::filesystem::temp_directory_path() / "vesk-hostXXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  ASSERT_NE(mkdtemp(buffer.data()), nullptr);
  std::string folder = buffer.data();
  std::ofstream(folder + "/failing.vk") << "x = 1\ny = nothere\n";
  interp.setscriptpath(folder.c_str(), nullptr);
  EXPECT_FALSE(run({"a = 1", "failing", "b = 2"}, "caller.vk"));
  // Joined as the engine joins a script folder and a name ('\\' on Windows).
  std::string called = (std::filesystem::path(folder) / "failing.vk").string();
  EXPECT_EQ(received(),
            (loglines{{vesk::logerror, called + "(2): error: unknown element 'nothere'"},
                      {vesk::logerror, called + "(2): error: invalid expression following '='"},
                      {vesk::logtrace, "caller.vk(2)"}}));
  EXPECT_EQ(globals.find("b"), nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

TEST_F(embedding, TryBodiesKeepTheirMessagesFromTheHost) {
  interp.addinternalfuncs(nullptr);
  ASSERT_TRUE(run({"try", "print \"hidden\"", "x = 1 / 0", "catch", "m = getlasterror()", "end"}));
  EXPECT_TRUE(received().empty());
  ASSERT_NE(globals.find("m"), nullptr);
  EXPECT_STREQ(globals.find("m")->string(), "host.vk(3): error: Division durch 0 aufgetreten");
}

TEST_F(embedding, TwoInterpretersShareOneStore) {
  vesk::interpreter second(&globals, hostlog);
  ASSERT_TRUE(run({"shared = {1}"}));
  char const* lines[] = {"shared = shared + {2}"};
  ASSERT_TRUE(second.execute(lines, 1, "second.vk"));
  ASSERT_TRUE(run({"shared = shared + {3}"}));
  EXPECT_EQ(globals.find("shared")->count(), 3);
}

TEST_F(embedding, AnInterpreterWithoutLogFunctionStaysSilent) {
  vesk::interpreter quiet(&globals, nullptr);
  char const* lines[] = {"x = nothere", "else"};
  EXPECT_FALSE(quiet.execute(lines, 2, "quiet.vk"));
  EXPECT_TRUE(received().empty());
}

} // namespace
