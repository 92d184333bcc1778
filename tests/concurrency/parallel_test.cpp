// parallel_test.cpp - the two parts of parallel blocks hammering the same store, lists,
// host functions, built-ins, script calls with parameters and try blocks; run under
// ThreadSanitizer in CI. Every part must see its own call's parameters.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "vesk.h"

namespace {

namespace fs = std::filesystem;

int errors = 0; // written only under the engine's statement lock
void countlog(int level, char const*) {
  if (level == vesk::logerror) ++errors;
}

bool hostadd(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  double sum = 0;
  for (vesk::variable* p = params->first(); p != nullptr; p = params->next()) {
    sum += p->number();
    p->processed(true);
  }
  return opstack->push(sum) != nullptr;
}

// A scratch folder holding the script that both parts call.
class parallelrun : public ::testing::Test {
protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("vesk_parallel_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "worker.vk") << "if part == 1\n"
                                           "  seen1 = n\n"
                                           "else\n"
                                           "  seen2 = n\n"
                                           "end\n"
                                           "mine = n + part\n";
  }
  void TearDown() override {
    releasetree(store);
    fs::remove_all(folder);
  }

  static void releasetree(vesk::variable& value) {
    if (!value.islist() && !value.isnamedlist()) return;
    for (int i = 0, n = value.count(); i < n; ++i) releasetree(*value.index(i));
    value.reset();
  }

  bool run(char const* const* lines, int count) {
    engine.setglobals(&store);
    engine.setlogfunc(countlog);
    engine.setscriptpath(folder.string().c_str(), nullptr);
    engine.add(hostadd, "hostadd");
    engine.addinternalfuncs(nullptr);
    return engine.execute(const_cast<char const**>(lines), count, "stress");
  }

  double number(char const* name) {
    vesk::variable* v = store.find(name);
    return v ? v->number() : -1;
  }

  fs::path folder;
  vesk::variables store;
  vesk::interpreter engine;
};

char const* const stresslines[] = {
    "total = 0",
    "items = {}",
    "s1 = 0",
    "s2 = 0",
    "parallel",
    "  for i = 1 to 2000",
    "    total = total + 1",
    "    if i < 150",
    "      items = items + {i}",
    "    end",
    "    r1 = hostadd(i, 1) + items[0]",
    "    if i % 50 == 0",
    "      for each item in items",
    "        s1 = s1 + item",
    "      next",
    "    end",
    "    worker n = i, part = 1",
    "    try",
    "      throw \"first\"",
    "    catch",
    "      e1 = getlasterror()",
    "    end",
    "  next",
    "thread",
    "  for j = 1 to 2000",
    "    total = total + 1",
    "    if j < 150",
    "      items = items + {j}",
    "    end",
    "    r2 = hostadd(j, 2)",
    "    if j % 40 == 0",
    "      for each item in items",
    "        s2 = s2 + item",
    "      next",
    "    end",
    "    worker n = j, part = 2",
    "    try",
    "      x = 1 / 0",
    "    catch",
    "      e2 = getlasterror()",
    "    end",
    "  next",
    "end",
    "size = 0",
    "for each item in items",
    "  size = size + 1",
    "next",
};

TEST_F(parallelrun, BothPartsShareTheStoreAndKeepTheirOwnParameters) {
  errors = 0;
  ASSERT_TRUE(run(stresslines, sizeof stresslines / sizeof *stresslines));
  EXPECT_EQ(number("total"), 4000);
  EXPECT_EQ(number("size"), 2 * 149);
  EXPECT_EQ(number("seen1"), 2000);
  EXPECT_EQ(number("seen2"), 2000);
  EXPECT_EQ(number("r1"), 2001 + 1);
  EXPECT_EQ(number("r2"), 2002);
  // Each part walked the list while the other appended to it: every pass saw its elements.
  EXPECT_GT(number("s1"), 0);
  EXPECT_GT(number("s2"), 0);
  EXPECT_EQ(errors, 0);
  vesk::variable* items = store.find("items");
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items->count(), 2 * 149);
}

// Both parts sleep at the same time: the block takes one pause, not two.
TEST_F(parallelrun, PartsSleepTogether) {
  char const* const lines[] = {"parallel", "  sleep(300)", "thread", "  sleep(300)", "end"};
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(run(lines, 5));
  auto elapsed = std::chrono::steady_clock::now() - start;
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  RecordProperty("milliseconds", static_cast<int>(ms));
  EXPECT_GE(ms, 300);
  EXPECT_LT(ms, 500);
}

// A failing statement in one part stops neither the other part nor the enclosing run, which
// continues after end with its own blocks still open.
TEST_F(parallelrun, AFailingPartLeavesTheOtherAndTheCallerRunning) {
  char const* const lines[] = {
      "for k = 1 to 2", "  parallel",    "    y = nosuchthing", "    after1 = k",
      "  thread",       "    z = 1 / 0", "    after2 = k",      "  end",
      "  done = k",     "next"};
  errors = 0;
  ASSERT_TRUE(run(lines, 10));
  EXPECT_EQ(number("done"), 2);
  EXPECT_EQ(store.find("after1"), nullptr); // a part's run ends at its failing statement
  EXPECT_EQ(store.find("after2"), nullptr);
  EXPECT_EQ(errors, 8); // each failure, then "invalid expression following '='"
}

} // namespace
