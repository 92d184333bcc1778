// scriptmemo_test.cpp - the shortcuts of script lookup never show: a name remembered as "no
// script file" is called once its file appears, a change of script folders voids what was
// remembered, and a script whose text is kept is read again once its file changes or is gone.
// Lookups repeat past the point where folder listings are kept, so the shortcuts are used.
#include "vesk.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "scriptmemo.h"
#include "scratchfolder.h"

namespace {

std::string probefolder; // where makeprobe writes probe.vk

void writeprobe(std::string const& folder) {
  std::ofstream(folder + "/probe.vk") << "called = called + 1\n";
}

// Writes the script and waits long enough for the change notification to be due.
bool makeprobe(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  writeprobe(probefolder);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return true;
}

// Reads `probe` 600 times as a variable, so that it is remembered as no script.
std::vector<char const*> readmany(std::vector<char const*> tail) {
  std::vector<char const*> lines = {"probe = 7", "called = 0", "for i = 1 to 600", "  x = probe",
                                    "next"};
  lines.insert(lines.end(), tail.begin(), tail.end());
  return lines;
}

// Rewrites step.vk with another body and waits for the change notification to be due.
bool rewritestep(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  std::ofstream(probefolder + "/step.vk") << "total = total + 100\n";
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return true;
}

bool removestep(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  std::filesystem::remove(probefolder + "/step.vk");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return true;
}

class scriptmemotest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(firstfolder.ready());
    ASSERT_TRUE(secondfolder.ready());
    probefolder = first;
  }
  void TearDown() override { store.reset(); } // the host gives back what the runs stored
  double number(char const* name) {
    vesk::variable* v = store.find(name);
    return v != nullptr && v->isnumber() ? v->number() : -1;
  }
  bool run(std::vector<char const*> const& lines) {
    return engine.execute(const_cast<char const**>(lines.data()), static_cast<int>(lines.size()),
                          "memo");
  }
  vesktest::scratchfolder firstfolder, secondfolder;
  std::string const first = firstfolder.root, second = secondfolder.root;
  vesk::variables store;
  vesk::interpreter engine{&store, nullptr};
};

TEST_F(scriptmemotest, AScriptFileThatAppearsDuringARunIsCalled) {
  engine.setscriptpath(first.c_str(), nullptr);
  ASSERT_TRUE(engine.add(makeprobe, "makeprobe"));
  ASSERT_TRUE(run(readmany({"makeprobe()", "probe", "x = called"})));
  EXPECT_EQ(number("x"), 1);
  EXPECT_EQ(number("called"), 1);
}

TEST_F(scriptmemotest, AnotherScriptFolderIsLookedInAfresh) {
  writeprobe(second);
  engine.setscriptpath(first.c_str(), nullptr);
  ASSERT_TRUE(run(readmany({})));
  EXPECT_EQ(number("called"), 0);
  engine.setscriptpath(first.c_str(), second.c_str());
  ASSERT_TRUE(run({"called = 0", "probe", "probe"}));
  EXPECT_EQ(number("called"), 2);
}

TEST_F(scriptmemotest, AKeptScriptIsReadAgainWhenItsFileChanges) {
  std::ofstream(first + "/step.vk") << "total = total + 1\n";
  engine.setscriptpath(first.c_str(), nullptr);
  ASSERT_TRUE(engine.add(rewritestep, "rewritestep"));
  ASSERT_TRUE(run({"total = 0", "for i = 1 to 400", "  step", "next", "rewritestep()",
                   "for i = 1 to 3", "  step", "next"}));
  EXPECT_EQ(number("total"), 400 + 300);
}

TEST_F(scriptmemotest, AKeptScriptIsNotCalledOnceItsFileIsGone) {
  std::ofstream(first + "/step.vk") << "total = total + 1\n";
  engine.setscriptpath(first.c_str(), nullptr);
  ASSERT_TRUE(engine.add(removestep, "removestep"));
  ASSERT_TRUE(run({"total = 0", "step = -1", "for i = 1 to 400", "  step", "next",
                   "removestep()", "last = step"}));
  EXPECT_EQ(number("total"), 400);
  EXPECT_EQ(number("last"), -1); // the name is a variable again
}

// The table itself: answers hold per name, and names that share a place do not push each other
// out ("j" and "total" once did, so that a loop using both looked on the disk on every pass).
TEST(scriptmemotable, NamesOfOneLoopAreRememberedTogether) {
  auto memo = std::make_unique<vesk::scriptmemo>();
  char const* const names[] = {"i", "j", "hits", "total", "n", "x", "p", "k"};
  for (char const* name : names) memo->remember(name, 5);
  for (int pass = 0; pass < 3; ++pass)
    for (char const* name : names) EXPECT_TRUE(memo->absent(name, 5)) << name;
  EXPECT_FALSE(memo->absent("other", 5));
  EXPECT_FALSE(memo->absent("j", 6)) << "the listings changed since";
  memo->forget();
  EXPECT_FALSE(memo->absent("j", 5)) << "forgotten";
}

TEST(scriptmemotable, ManyNamesKeepTheLatestAndLongNamesAreNotKept) {
  auto memo = std::make_unique<vesk::scriptmemo>();
  for (int i = 0; i < 1000; ++i) {
    std::string name = "v" + std::to_string(i);
    memo->remember(name.c_str(), 1);
    ASSERT_TRUE(memo->absent(name.c_str(), 1)) << name;
  }
  std::string longname(40, 'a');
  memo->remember(longname.c_str(), 1);
  EXPECT_FALSE(memo->absent(longname.c_str(), 1));
  memo->remember("again", 1);
  memo->remember("again", 2); // the same name again takes its own entry, now current
  EXPECT_TRUE(memo->absent("again", 2));
  EXPECT_FALSE(memo->absent("again", 1));
}

} // namespace
