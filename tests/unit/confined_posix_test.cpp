// confined_posix_test.cpp - confined file operations and symbolic links: links pointing out
// (relative, absolute, from a folder inside), links inside, link loops, a link up and back in;
// a link swapped between inside and outside while a script deletes through it in a loop; and
// getfolderpath, which names a folder only when it lies inside.
#include "platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

#include "scratchfolder.h"
#include "vesk.h"

namespace vp = vesk::platform;
namespace fs = std::filesystem;
using vp::reach;

namespace {

// box, the allowed folder: the file a, sub/b, and links in -> sub, out -> ../outside,
// abs -> <root>/outside, sub/esc -> ../../outside, tofile -> ../outside/a, up -> .., and the
// loop loop1 -> loop2 -> loop1. Beside it: outside/a and secret.
class confinedlinks : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.ready());
    for (char const* folder : {"box", "box/sub", "outside"})
      ASSERT_TRUE(fs::create_directory(scratch.path(folder)));
    for (char const* file : {"box/a", "box/sub/b", "outside/a", "secret"}) scratch.writefile(file);
    std::pair<char const*, std::string> const links[] = {{"box/in", "sub"},
                                                         {"box/out", "../outside"},
                                                         {"box/abs", scratch.path("outside")},
                                                         {"box/sub/esc", "../../outside"},
                                                         {"box/tofile", "../outside/a"},
                                                         {"box/up", ".."},
                                                         {"box/loop1", "loop2"},
                                                         {"box/loop2", "loop1"}};
    for (auto const& [link, target] : links)
      ASSERT_EQ(symlink(target.c_str(), scratch.path(link).c_str()), 0) << link;
    folders = vp::newallowedfolders();
    ASSERT_TRUE(vp::allowfolder(folders, scratch.path("box").c_str()));
  }
  void TearDown() override { vp::deleteallowedfolders(folders); }

  vesktest::scratchfolder scratch;
  vp::allowedfolders* folders = nullptr;
};

void nothing(void*, char const*, bool) {}

TEST_F(confinedlinks, linksThatLeadOutAreRefusedWhereverTheyAre) {
  for (char const* path : {"out/a", "abs/a", "sub/esc/a", "in/../out/a", "in/esc/a", "up/secret"})
    EXPECT_EQ(vp::deletefileinside(folders, path), reach::outside) << path;
  EXPECT_EQ(vp::movefileinside(folders, "a", "out/a2"), reach::outside);
  EXPECT_EQ(vp::movefileinside(folders, "abs/a", "stolen"), reach::outside);
  EXPECT_EQ(vp::createfolderinside(folders, "sub/esc/made"), reach::outside);
  EXPECT_EQ(vp::removefolderinside(folders, "up/outside"), reach::outside);
  EXPECT_EQ(vp::listfolderinside(folders, "out", nothing, nullptr), reach::outside);
  EXPECT_EQ(vp::folderinside(folders, "abs"), reach::outside);
  EXPECT_TRUE(scratch.exists("outside/a"));
  EXPECT_TRUE(scratch.exists("secret"));
  EXPECT_FALSE(scratch.exists("outside/a2"));
  EXPECT_FALSE(scratch.exists("outside/made"));
}

TEST_F(confinedlinks, linksInsideAreFollowedAndTheLastNameIsNeverFollowed) {
  EXPECT_EQ(vp::deletefileinside(folders, "in/b"), reach::done);
  EXPECT_FALSE(scratch.exists("box/sub/b"));
  EXPECT_EQ(vp::deletefileinside(folders, "up/box/a"), reach::done); // up and back in
  EXPECT_FALSE(scratch.exists("box/a"));
  // A link that leads out is itself inside: deleting it leaves what it leads to.
  EXPECT_EQ(vp::deletefileinside(folders, "tofile"), reach::done);
  EXPECT_EQ(vp::removefolderinside(folders, "out"), reach::failed); // a link is no folder
  EXPECT_EQ(vp::deletefileinside(folders, "out"), reach::done);
  EXPECT_FALSE(scratch.exists("box/tofile"));
  EXPECT_FALSE(scratch.exists("box/out"));
  EXPECT_TRUE(scratch.exists("outside/a"));
  EXPECT_EQ(vp::deletefileinside(folders, "loop1/x"), reach::failed);
}

// A thread swaps the link box/l between box/in and ../outside, each holding a file victim,
// while a script deletes l/victim in a loop: only the victim inside is ever deleted.
TEST(confinedrace, aLinkSwappedWhileAScriptDeletesNeverReachesOutside) {
  vesktest::scratchfolder scratch;
  ASSERT_TRUE(scratch.ready());
  for (char const* folder : {"box", "box/in", "outside"})
    ASSERT_TRUE(fs::create_directory(scratch.path(folder)));
  scratch.writefile("outside/victim");
  std::string const link = scratch.path("box/l"), next = scratch.path("box/l.next");
  ASSERT_EQ(symlink("in", link.c_str()), 0);
  std::atomic<bool> done{false};
  std::atomic<long> swaps{0};
  std::thread swapper([&] {
    for (bool out = true; !done; out = !out) {
      if (out) scratch.writefile("box/in/victim");
      if (symlink(out ? "../outside" : "in", next.c_str()) == 0 &&
          rename(next.c_str(), link.c_str()) == 0)
        ++swaps;
    }
  });
  while (swaps < 2) std::this_thread::yield();
  char const* script[] = {"n = 0",         "for i = 1 to 20000",
                          "  try",         "    deletefile \"l/victim\"",
                          "    n = n + 1", "  catch",
                          "  end",         "next"};
  vesk::variables globals;
  {
    vesk::interpreter engine(&globals, nullptr);
    engine.addinternalfuncs(nullptr);
    ASSERT_TRUE(engine.allowfolder(scratch.path("box").c_str()));
    EXPECT_TRUE(engine.execute(script, sizeof script / sizeof script[0], "race"));
  }
  done = true;
  swapper.join();
  EXPECT_TRUE(scratch.exists("outside/victim"));
  EXPECT_GT(globals.find("n")->number(), 0); // deletions inside did happen meanwhile
  globals.reset();
}

TEST(confinedfolders, getfolderpathNamesOnlyFoldersInside) {
  vesktest::scratchfolder scratch;
  ASSERT_TRUE(scratch.ready());
  ASSERT_TRUE(fs::create_directory(scratch.path("home")));
  ASSERT_TRUE(fs::create_directory(scratch.path("home/work")));
  char const* home = std::getenv("HOME");
  std::string const saved = home != nullptr ? home : "";
  setenv("HOME", scratch.path("home").c_str(), 1);
  vesk::variables globals;
  {
    vesk::interpreter wide(&globals, nullptr), narrow(&globals, nullptr);
    for (vesk::interpreter* engine : {&wide, &narrow}) engine->addinternalfuncs(nullptr);
    ASSERT_TRUE(wide.allowfolder(scratch.path("home").c_str()));
    ASSERT_TRUE(narrow.allowfolder(scratch.path("home/work").c_str()));
    EXPECT_TRUE(wide.execute("p = getfolderpath(\"PROFILE\")", "folders"));
    EXPECT_STREQ(globals.find("p")->string(), scratch.path("home").c_str());
    EXPECT_FALSE(narrow.execute("q = getfolderpath(\"PROFILE\")", "folders"));
  }
  if (home != nullptr)
    setenv("HOME", saved.c_str(), 1);
  else
    unsetenv("HOME");
  globals.reset();
}

} // namespace
