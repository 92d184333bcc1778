// confinement_test.cpp - an interpreter confined to one folder: every way out that a script can
// write (absolute paths, "..", renames across the edge both ways, the folder itself, called
// scripts by names that climb out) is refused and changes nothing outside, while relative
// paths keep working from the folder wherever the process has gone meanwhile.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "../scratchfolder.h"
#include "hostlog.h"
#include "vesk.h"

namespace {

namespace fs = std::filesystem;
using namespace hosttest;

constexpr char outside[] = "path leads outside the allowed folders";
constexpr char itself[] = "an allowed folder itself cannot be changed";

// A scratch tree: box, the allowed folder, with the file a, sub/b and the empty folder empty;
// beside it the file secret and the folder outside with a file a and the script evil.vk. The
// global `root` holds the tree's absolute path.
class confinement : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.ready());
    for (char const* folder : {"box", "box/sub", "box/empty", "outside"})
      ASSERT_TRUE(fs::create_directory(scratch.path(folder)));
    for (char const* file : {"box/a", "box/sub/b", "outside/a", "secret"}) scratch.writefile(file);
    scratch.writefile("outside/evil.vk", "evil = 1\n");
    ASSERT_NE(shared.globals.add(scratch.root.c_str(), "root"), nullptr);
    shared.engine.addinternalfuncs(nullptr);
    ASSERT_TRUE(shared.engine.allowfolder(scratch.path("box").c_str()));
    before = outsidebox();
  }

  // Every entry of the tree but those inside box.
  std::set<std::string> outsidebox() const {
    std::set<std::string> entries;
    for (auto walk = fs::recursive_directory_iterator(scratch.root);
         walk != fs::recursive_directory_iterator(); ++walk) {
      std::string name = fs::relative(walk->path(), scratch.root).generic_string();
      if (name == "box") walk.disable_recursion_pending();
      entries.insert(name + (walk->is_directory() ? "/" : ""));
    }
    return entries;
  }

  // Runs one command line and gives the last message it logged ("" for none).
  std::string refusal(char const* line) {
    clearlog();
    EXPECT_FALSE(shared.engine.execute(line, "confined")) << line;
    std::vector<logline> lines = takelog();
    return lines.empty() ? "" : lines.back().text;
  }

  bool run(char const* line) { return shared.engine.execute(line, "confined"); }

  vesktest::scratchfolder scratch;
  host shared;
  std::set<std::string> before;
};

TEST_F(confinement, everyWayOutIsRefusedAndNothingOutsideChanges) {
  char const* const ways[] = {
      "deletefile \"../secret\"",
      "deletefile root + \"/secret\"",
      "deletefile \"sub/../../outside/a\"",
      "renamefile \"a\", to = \"../a\"",
      "renamefile \"../secret\", to = \"secret\"",
      "renamefile root + \"/outside/a\", to = root + \"/box/fromoutside\"",
      "createfolder \"../made\"",
      "deletefolder \"../outside\"",
      "x = enumfiles(\"..\")",
      "x = enumfolders(root)",
  };
  for (char const* way : ways) EXPECT_TRUE(endswith(refusal(way), outside)) << way;
  EXPECT_TRUE(
      endswith(refusal("x = getfolderpath(\"WINDOWS\")"), "folder outside the allowed folders"));
  EXPECT_EQ(outsidebox(), before);
  EXPECT_TRUE(scratch.exists("box/a"));
  EXPECT_FALSE(scratch.exists("box/secret"));
  EXPECT_FALSE(scratch.exists("box/fromoutside"));
}

TEST_F(confinement, theAllowedFolderItselfIsNeitherDeletedNorRenamed) {
  char const* const ways[] = {
      "deletefolder \"\"",
      "deletefolder \"sub/..\"",
      "deletefolder root + \"/box\"",
      "renamefile \".\", to = \"moved\"",
      "renamefile \"empty\", to = \"sub/..\"",
  };
  for (char const* way : ways) EXPECT_TRUE(endswith(refusal(way), itself)) << way;
  EXPECT_TRUE(scratch.isfolder("box/empty"));
  EXPECT_EQ(outsidebox(), before);
}

TEST_F(confinement, relativePathsStartFromTheFolderWhereverTheProcessIs) {
  fs::path const working = fs::current_path();
  fs::current_path(scratch.path("outside"));
  EXPECT_TRUE(run("deletefile \"a\""));
  EXPECT_TRUE(run("createfolder \"made\""));
  EXPECT_TRUE(run("renamefile \"made\", to = \"sub/made\""));
  EXPECT_TRUE(run("deletefolder root + \"/box/sub/made\""));
  EXPECT_TRUE(run("n = count(enumfiles(\"sub\")) + count(enumfolders(\"\"))"));
  fs::path const afterwards = fs::current_path();
  fs::current_path(working);
  EXPECT_FALSE(scratch.exists("box/a"));
  EXPECT_TRUE(scratch.exists("outside/a"));
  EXPECT_FALSE(scratch.exists("box/sub/made"));
  EXPECT_EQ(globalnumber(shared.globals, "n"), 3); // sub/b; the folders sub and empty
  // deletefolder of a confined interpreter leaves the process's current directory alone.
  EXPECT_EQ(afterwards, fs::path(scratch.path("outside")));
}

TEST_F(confinement, calledScriptsAreNotFoundByNamesThatClimbOut) {
  shared.engine.setscriptpath(scratch.path("box").c_str(), "");
  std::string const absolute = scratch.path("outside/evil");
  vesk::parameters params;
  EXPECT_FALSE(shared.engine.execute("../outside/evil", &params));
  EXPECT_FALSE(shared.engine.execute(absolute.c_str(), &params));
  EXPECT_FALSE(run("'../outside/evil'()"));
  EXPECT_EQ(globalnumber(shared.globals, "evil"), -1);
  // An interpreter that is not confined finds the script by that name.
  vesk::interpreter open(&shared.globals, record);
  open.setscriptpath(scratch.path("box").c_str(), "");
  EXPECT_TRUE(open.execute("../outside/evil", &params));
  EXPECT_EQ(globalnumber(shared.globals, "evil"), 1);
}

TEST_F(confinement, aFolderThatCannotBeAllowedLeavesTheInterpreterConfined) {
  vesk::interpreter engine(&shared.globals, record);
  engine.addinternalfuncs(nullptr);
  clearlog();
  EXPECT_FALSE(engine.allowfolder(scratch.path("nosuchfolder").c_str()));
  std::vector<logline> lines = takelog();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].text.find("cannot be allowed"), std::string::npos);
  EXPECT_FALSE(engine.execute("deletefile root + \"/box/a\"", "confined"));
  EXPECT_TRUE(scratch.exists("box/a"));
  // Confined without any folder: nothing is reachable.
  EXPECT_TRUE(engine.allowfolder(nullptr));
  EXPECT_FALSE(engine.execute("x = enumfiles(root)", "confined"));
}

} // namespace
