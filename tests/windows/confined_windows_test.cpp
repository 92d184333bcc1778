// confined_windows_test.cpp - confined file operations on the paths only Windows has: both
// separators, drive-relative and device paths, names the system reads as devices or streams,
// dots and blanks that the system drops from the end of a name, and names that differ in case.
#include "platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>

#include "../unit/platformtest.h"

namespace vp = vesk::platform;
namespace fs = std::filesystem;
using vp::reach;

namespace {

using platformtest::platformfiles;

// box (allowed) holds a and sub\b; beside it lies secret.
class confinedwindows : public platformfiles {
protected:
  void SetUp() override {
    platformfiles::SetUp();
    ASSERT_TRUE(fs::create_directory(scratch.path("box")));
    ASSERT_TRUE(fs::create_directory(scratch.path("box/sub")));
    for (char const* file : {"box/a", "box/sub/b", "secret"}) scratch.writefile(file);
    folders = vp::newallowedfolders();
    ASSERT_TRUE(vp::allowfolder(folders, scratch.path("box").c_str()));
  }
  void TearDown() override { vp::deleteallowedfolders(folders); }

  std::string box() const {
    std::string path = fs::path(scratch.path("box")).make_preferred().string();
    return path;
  }

  vp::allowedfolders* folders = nullptr;
};

TEST_F(confinedwindows, pathsThatLeaveOrDependOnTheDriveAreRefused) {
  std::string const drive = box().substr(0, 2); // "C:"
  std::string const escaped = box() + "\\..\\secret";
  for (std::string const& path :
       {std::string("..\\secret"), std::string("sub\\..\\..\\secret"),
        std::string("sub/../../secret"), escaped, drive + "secret",
        std::string("\\\\?\\") + box() + "\\a", std::string("\\\\.\\") + box() + "\\a",
        std::string("con"), std::string("sub\\nul.txt"), std::string("a:stream")})
    EXPECT_EQ(vp::deletefileinside(folders, path.c_str()), reach::outside) << path;
  EXPECT_TRUE(scratch.exists("secret"));
  EXPECT_TRUE(scratch.exists("box/a"));
}

TEST_F(confinedwindows, namesAreReadAsWindowsReadsThem) {
  std::string upper = box();
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  EXPECT_EQ(vp::deletefileinside(folders, (upper + "\\SUB\\B").c_str()), reach::done);
  EXPECT_EQ(vp::deletefileinside(folders, "sub\\..\\a. ."), reach::done);
  EXPECT_FALSE(scratch.exists("box/sub/b"));
  EXPECT_FALSE(scratch.exists("box/a"));
  // The root of the drive is that of the allowed folder, not the current one's.
  std::string const rooted = box().substr(2) + "\\sub";
  EXPECT_EQ(vp::removefolderinside(folders, rooted.c_str()), reach::done);
  EXPECT_EQ(vp::removefolderinside(folders, (upper + "\\.").c_str()), reach::allowedfolder);
}

} // namespace
