// scriptcache_test.cpp - the listing of script files: a name the listing lacks is known not to
// exist, and files that appear are seen after a poll, after the poll interval, or at once when
// the engine forgets its listings.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>

#include "scriptcache.h"

namespace {

namespace fs = std::filesystem;

class scriptcache : public ::testing::Test {
protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("vesk_cache_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    // The first few hundred lookups of a process go to the disk; listings come after them.
    for (int i = 0; i < 300; ++i) vesk::scriptmayexist(path("warmup.vk").c_str());
  }
  void TearDown() override { fs::remove_all(folder); }
  std::string path(char const* name) { return (folder / name).string(); }
  void create(char const* name) { std::ofstream(folder / name) << "x = 1\n"; }
  fs::path folder;
};

TEST_F(scriptcache, KnowsWhatIsThereAndSeesWhatAppears) {
  create("here.vk");
  vesk::refreshscripts(); // as every call from a host does
  EXPECT_TRUE(vesk::scriptmayexist(path("here.vk").c_str()));
  EXPECT_FALSE(vesk::scriptmayexist(path("later.vk").c_str()));
  create("later.vk");
  vesk::refreshscripts();
  EXPECT_TRUE(vesk::scriptmayexist(path("later.vk").c_str()));
  fs::remove(folder / "here.vk");
  vesk::refreshscripts();
  EXPECT_FALSE(vesk::scriptmayexist(path("here.vk").c_str()));
}

TEST_F(scriptcache, SeesNewFilesAfterThePollIntervalWithoutBeingTold) {
  EXPECT_FALSE(vesk::scriptmayexist(path("soon.vk").c_str()));
  create("soon.vk");
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(vesk::scriptmayexist(path("soon.vk").c_str()));
}

TEST_F(scriptcache, ForgettingMakesEveryChangeVisibleAtOnce) {
  EXPECT_FALSE(vesk::scriptmayexist(path("made.vk").c_str()));
  create("made.vk");
  vesk::forgetscripts();
  EXPECT_TRUE(vesk::scriptmayexist(path("made.vk").c_str()));
}

TEST_F(scriptcache, FoldersAreNoScriptsAndUnknownFoldersAreNotRuledOut) {
  fs::create_directories(folder / "box.vk");
  EXPECT_FALSE(vesk::scriptmayexist(path("box.vk").c_str()));
  EXPECT_TRUE(vesk::scriptmayexist(path("missing/any.vk").c_str()));
}

} // namespace
