// scriptlookup_test.cpp - script lookup without change watches (Windows keeps none): a script
// file is found the moment it appears and missed the moment it goes, however many lookups came
// before, since nothing that could go stale is remembered.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "scriptcache.h"
#include "scratchfolder.h"
#include "vesk.h"

namespace {

namespace fs = std::filesystem;

class scriptlookup : public ::testing::Test {
protected:
  // A folder of each test's own: tests run in parallel processes.
  void SetUp() override {
    ASSERT_TRUE(scratch.ready());
    folder = scratch.root;
    engine.setscriptpath(folder.string().c_str(), nullptr);
    engine.addinternalfuncs(nullptr);
  }
  void TearDown() override { globals.reset(); }
  // Runs one line in a try block; true when the call in it succeeded.
  bool calls(std::string const& line) {
    char const* lines[] = {"try", line.c_str(), "ok = 1", "catch", "ok = 0", "end"};
    if (!engine.execute(lines, 6, "lookup.vk")) return false;
    vesk::variable* ok = globals.find("ok");
    return ok != nullptr && ok->number() == 1;
  }

  vesktest::scratchfolder scratch;
  fs::path folder;
  vesk::variables globals;
  vesk::interpreter engine{&globals, nullptr};
};

TEST_F(scriptlookup, ScriptsAreFoundAsSoonAsTheyAppearAndMissedWhenTheyGo) {
  // Far more lookups than a process makes before it would keep folder listings.
  char const* warmup[] = {"for i = 1 to 500", "try", "later", "catch", "end", "next"};
  ASSERT_TRUE(engine.execute(warmup, 6, "warmup.vk"));
  EXPECT_FALSE(calls("later"));
  std::ofstream(folder / "later.vk") << "found = 1\n";
  EXPECT_TRUE(calls("later"));
  fs::remove(folder / "later.vk");
  EXPECT_FALSE(calls("later"));
}

TEST_F(scriptlookup, NoPathIsRuledOutWithoutLookingOnTheDisk) {
  std::string path = (folder / "absent.vk").string();
  for (int i = 0; i < 500; ++i) EXPECT_TRUE(vesk::scriptmayexist(path.c_str())) << i;
}

} // namespace
