// platform_windows_test.cpp - the operating-system layer where Windows differs: the well-known
// folders from the shell (checked against the folders that Windows names in the environment),
// libraries by module name, the root of the current drive, script files read byte for byte, the
// worker thread's stack, and the identity of the working folder.
#include "platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "../unit/platformtest.h"

namespace vp = vesk::platform;
namespace fs = std::filesystem;

namespace {

using platformtest::platformfiles;

// ---- well-known folders

// The path for csidl, or "<none>".
std::string folder(int csidl) {
  char buffer[1024];
  if (!vp::specialfolderpath(csidl, buffer, sizeof buffer)) return "<none>";
  return buffer;
}

std::string environment(char const* name) {
  char const* value = std::getenv(name);
  return value == nullptr ? "<unset>" : value;
}

// Windows compares paths without regard to case ("C:\WINDOWS" is "C:\windows").
std::string folded(std::string path) {
  std::transform(path.begin(), path.end(), path.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return path;
}

constexpr int csidlprofile = 40, csidlappdata = 26, csidlwindows = 36, csidlfonts = 20;
constexpr int csidlprogramfiles = 38, csidlcommonappdata = 35;

TEST(windowsfolders, systemandprofilefoldersarewhattheenvironmentnames) {
  EXPECT_EQ(folded(folder(csidlprofile)), folded(environment("USERPROFILE")));
  EXPECT_EQ(folded(folder(csidlappdata)), folded(environment("APPDATA")));
  EXPECT_EQ(folded(folder(csidlwindows)), folded(environment("SystemRoot")));
  EXPECT_EQ(folded(folder(csidlfonts)), folded(environment("SystemRoot") + "\\Fonts"));
  EXPECT_EQ(folded(folder(csidlprogramfiles)), folded(environment("ProgramFiles")));
  EXPECT_EQ(folded(folder(csidlcommonappdata)), folded(environment("ProgramData")));
}

// The user's own folders lie in the profile, the start menu's in the roaming application data.
TEST(windowsfolders, userfolderslieintheprofile) {
  struct below {
    int csidl;
    char const* base;
    char const* path;
  };
  below const folders[] = {
      {0, "USERPROFILE", "\\Desktop"},
      {16, "USERPROFILE", "\\Desktop"},
      {6, "USERPROFILE", "\\Favorites"},
      {13, "USERPROFILE", "\\Music"},
      {39, "USERPROFILE", "\\Pictures"},
      {14, "USERPROFILE", "\\Videos"},
      {5, "USERPROFILE", "\\Documents"},
      {2, "APPDATA", "\\Microsoft\\Windows\\Start Menu\\Programs"},
      {8, "APPDATA", "\\Microsoft\\Windows\\Recent"},
      {7, "APPDATA", "\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
  };
  for (below const& f : folders)
    EXPECT_EQ(folded(folder(f.csidl)), folded(environment(f.base) + f.path)) << f.csidl;
}

TEST(windowsfolders, numbersthattheshelldoesnotknowfail) {
  char buffer[64] = "#";
  EXPECT_FALSE(vp::specialfolderpath(-1, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(folder(0x7fff), "<none>");
}

TEST(windowsfolders, apaththatdoesnotfitfailswithoutoverrun) {
  std::string expected = folder(csidlwindows);
  ASSERT_NE(expected, "<none>");
  int fits = static_cast<int>(expected.size()) + 1;
  std::vector<char> buffer(static_cast<size_t>(fits) + 8, '#');
  EXPECT_FALSE(vp::specialfolderpath(csidlwindows, buffer.data(), fits - 1));
  EXPECT_EQ(buffer[0], '\0');
  for (size_t i = static_cast<size_t>(fits - 1); i < buffer.size(); ++i)
    EXPECT_EQ(buffer[i], '#') << "written past the buffer at " << i;
  EXPECT_TRUE(vp::specialfolderpath(csidlwindows, buffer.data(), fits));
  EXPECT_EQ(std::string(buffer.data()), expected);
}

// ---- libraries

TEST(windowslibrary, systemlibrarybymodulename) {
  void* library = vp::openlibrary("kernel32"); // the loader adds ".dll"
  ASSERT_NE(library, nullptr);
  auto tickcount = reinterpret_cast<DWORD (*)()>(vp::findsymbol(library, "GetTickCount"));
  ASSERT_NE(tickcount, nullptr);
  EXPECT_GT(tickcount(), 0u);
  EXPECT_EQ(vp::findsymbol(library, "vesk_no_such_symbol"), nullptr);
  EXPECT_EQ(vp::openlibrary("kernel32.dll"), library); // the same module, loaded once
}


TEST_F(platformfiles, workingfolderidfollowsthecurrentdirectory) {
  std::error_code error;
  fs::path before = fs::current_path(error);
  ASSERT_FALSE(error);
  unsigned long long here = vp::workingfolderid();
  fs::current_path(scratch.root);
  unsigned long long there = vp::workingfolderid();
  unsigned long long again = vp::workingfolderid();
  fs::current_path(before);
  EXPECT_NE(here, 0u);
  EXPECT_NE(there, here);
  EXPECT_EQ(again, there);
  EXPECT_EQ(vp::workingfolderid(), here);
}

// ---- script files

std::string readall(FILE* file) {
  std::string text;
  char chunk[256];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
  std::fclose(file);
  return text;
}

// Script files are read byte for byte: CR LF stays for the engine to cut, and a Ctrl-Z byte
// does not end the file early, as text mode would.
TEST_F(platformfiles, scriptfilesarereadbyteforbyte) {
  std::string const bytes = "a = 1\r\nb = \"x\ry\"\r\n\x1a\nc = 2\n";
  std::ofstream(scratch.path("raw.vk"), std::ios::binary) << bytes;
  FILE* file = vp::openforreading(scratch.path("raw.vk").c_str());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(readall(file), bytes);
}

TEST_F(platformfiles, foldersandmissingfilesarenoscripts) {
  ASSERT_TRUE(fs::create_directory(scratch.path("box.vk")));
  EXPECT_EQ(vp::openforreading(scratch.path("box.vk").c_str()), nullptr);
  EXPECT_EQ(vp::openforreading(scratch.path("missing.vk").c_str()), nullptr);
}

// ---- folders listed with backslash-joined patterns

TEST_F(platformfiles, listingtakesafolderwithbackslashes) {
  scratch.writefile("a");
  ASSERT_TRUE(fs::create_directory(scratch.path("s")));
  std::string folder = scratch.root;
  std::replace(folder.begin(), folder.end(), '/', '\\');
  bool ok = false;
  std::map<std::string, bool> entries = platformtest::listed(folder, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(entries, (std::map<std::string, bool>{{"a", false}, {"s", true}}));
}

// ---- the worker thread's stack

unsigned long workerroom = 0;

int measure(void*) {
  workerroom = vp::stackroom();
  return 1;
}

// A parallel part gets as deep a stack as a POSIX thread has by default, and stackroom sees it.
TEST(windowsthread, workerhasthestackofaposixthread) {
  constexpr unsigned long mebibyte = 1024 * 1024;
  vp::thread* worker = vp::startthread(measure, nullptr);
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(vp::jointhread(worker), 1);
  EXPECT_GT(workerroom, 7 * mebibyte);
  EXPECT_LE(workerroom, 8 * mebibyte);
}

// The room shrinks as the stack grows towards its limit.
unsigned long roombelow(int depth) {
  volatile char frame[4096];
  frame[0] = static_cast<char>(depth);
  if (depth == 0) return vp::stackroom();
  return roombelow(depth - 1) + static_cast<unsigned long>(frame[0] - depth);
}

TEST(windowsthread, stackroomshrinkswithdepth) {
  unsigned long shallow = vp::stackroom();
  unsigned long deep = roombelow(16);
  EXPECT_LT(deep, shallow);
  EXPECT_GE(shallow - deep, 16u * 4096u);
}

} // namespace
