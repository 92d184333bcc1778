// builtins_test.cpp - the built-in functions called directly, as a host calling by name would:
// what scripts cannot reach (the well-known folders under a chosen environment, full stacks,
// the line buffers of print, dump of binary values, sleep's clamping, file deletions), and the
// registration through vesk::interpreter. File-system tests work in a scratch folder of their
// own and restore the environment and the current directory.
#include "builtins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform.h"

namespace vb = vesk::builtins;
namespace fs = std::filesystem;

namespace {

// Every line a built-in logs, with its level.
std::vector<std::pair<int, std::string>> logged;
void capture(int level, char const* text) {
  logged.emplace_back(level, text);
}

// A call of one built-in with its own stack, store and parameter list, all given back after.
class builtincall : public ::testing::Test {
protected:
  void SetUp() override { logged.clear(); }
  void TearDown() override {
    for (int i = 0; i < operands.numelements(); ++i)
      if (operands.top(i)->islist()) operands.top(i)->reset();
    params.reset();
    globals.reset();
  }

  bool run(vesk::scriptfunc func) { return func(&operands, &params, &globals, capture); }
  std::string error() const {
    return logged.size() == 1 && logged[0].first == vesk::logerror ? logged[0].second : "?";
  }
  std::string text(int i = 0) const { return operands.string(i) ? operands.string(i) : "?"; }

  vesk::stack operands;
  vesk::parameters params;
  vesk::variables globals;
};

// Sets or unsets environment variables for one test and puts back what was there before.
class environment {
public:
  environment() = default;
  environment(environment const&) = delete;
  environment& operator=(environment const&) = delete;
  ~environment() {
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
      if (it->second)
        setenv(it->first.c_str(), it->second->c_str(), 1);
      else
        unsetenv(it->first.c_str());
    }
  }
  void set(char const* name, char const* value) {
    save(name);
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }

private:
  void save(char const* name) {
    char const* old = std::getenv(name);
    saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

// ---- getfolderpath: the mapping of docs/folders.md under a chosen environment

class builtinfolders : public builtincall {
protected:
  void SetUp() override {
    builtincall::SetUp();
    env.set("HOME", "/home/anna");
    for (char const* name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR",
          "XDG_MUSIC_DIR", "XDG_PICTURES_DIR", "XDG_VIDEOS_DIR"})
      env.set(name, nullptr);
  }
  std::string path(char const* id) {
    params.reset();
    params.add(id, "");
    operands.reset();
    logged.clear();
    if (!run(vb::getfolderpath)) return "failed: " + error();
    EXPECT_TRUE(params.index(0)->isprocessed());
    EXPECT_EQ(operands.numelements(), 1);
    return text();
  }
  environment env;
};

TEST_F(builtinfolders, defaultsbelowhome) {
  EXPECT_EQ(path("APPDATA"), "/home/anna/.config");
  EXPECT_EQ(path("DESKTOP"), "/home/anna/Desktop");
  EXPECT_EQ(path("DESKTOPDIRECTORY"), "/home/anna/Desktop");
  EXPECT_EQ(path("FAVORITES"), "/home/anna/.local/share/favorites");
  EXPECT_EQ(path("MYMUSIC"), "/home/anna/Music");
  EXPECT_EQ(path("MYPICTURES"), "/home/anna/Pictures");
  EXPECT_EQ(path("MYVIDEO"), "/home/anna/Videos");
  EXPECT_EQ(path("PERSONAL"), "/home/anna/Documents");
  EXPECT_EQ(path("PROFILE"), "/home/anna");
  EXPECT_EQ(path("PROGRAMS"), "/home/anna/.local/share/applications");
  EXPECT_EQ(path("RECENT"), "/home/anna/.local/share/recent");
  EXPECT_EQ(path("STARTUP"), "/home/anna/.config/autostart");
}

TEST_F(builtinfolders, fixedsystemfolders) {
  EXPECT_EQ(path("FONTS"), "/usr/share/fonts");
  EXPECT_EQ(path("PROGRAM_FILES"), "/opt");
  EXPECT_EQ(path("WINDOWS"), "/usr");
  EXPECT_EQ(path("COMMON_APPDATA"), "/var/lib");
}

TEST_F(builtinfolders, xdgvariables) {
  env.set("XDG_CONFIG_HOME", "/cfg");
  env.set("XDG_DATA_HOME", "/data");
  env.set("XDG_DESKTOP_DIR", "/desk");
  env.set("XDG_DOCUMENTS_DIR", "$HOME/Dokumente");
  env.set("XDG_MUSIC_DIR", "/music");
  env.set("XDG_PICTURES_DIR", "/pictures");
  env.set("XDG_VIDEOS_DIR", "/videos");
  EXPECT_EQ(path("APPDATA"), "/cfg");
  EXPECT_EQ(path("STARTUP"), "/cfg/autostart");
  EXPECT_EQ(path("FAVORITES"), "/data/favorites");
  EXPECT_EQ(path("PROGRAMS"), "/data/applications");
  EXPECT_EQ(path("RECENT"), "/data/recent");
  EXPECT_EQ(path("DESKTOP"), "/desk");
  EXPECT_EQ(path("DESKTOPDIRECTORY"), "/desk");
  EXPECT_EQ(path("PERSONAL"), "/home/anna/Dokumente");
  EXPECT_EQ(path("MYMUSIC"), "/music");
  EXPECT_EQ(path("MYPICTURES"), "/pictures");
  EXPECT_EQ(path("MYVIDEO"), "/videos");
  EXPECT_EQ(path("PROFILE"), "/home/anna");
}

TEST_F(builtinfolders, unknownidentifiers) {
  EXPECT_EQ(path("fonts"), "failed: invalid folder id expected");
  EXPECT_EQ(path(""), "failed: invalid folder id expected");
  EXPECT_EQ(path("PROFILE "), "failed: invalid folder id expected");
  EXPECT_EQ(operands.numelements(), 0);
}

TEST_F(builtinfolders, noidentifier) {
  params.add(5.0, "");
  EXPECT_FALSE(run(vb::getfolderpath));
  EXPECT_EQ(error(), "folder id expected");
  EXPECT_FALSE(params.index(0)->isprocessed());
  EXPECT_EQ(operands.numelements(), 0);
}

// The result is a text value: a longer path keeps its first 127 characters. A path that does
// not fit the buffer of 512 characters is no path.
TEST_F(builtinfolders, longpaths) {
  std::string home = "/" + std::string(200, 'h');
  env.set("HOME", home.c_str());
  EXPECT_EQ(path("PROFILE"), home.substr(0, 127));
  std::string huge = "/" + std::string(600, 'h');
  env.set("HOME", huge.c_str());
  EXPECT_EQ(path("PROFILE"), "failed: invalid folder id expected");
  EXPECT_EQ(path("WINDOWS"), "/usr");
}

// ---- results and a full stack

void fill(vesk::stack& operands) {
  while (operands.push(0.0) != nullptr) {
  }
}

TEST_F(builtincall, fullstackfailsinsteadofdroppingtheresult) {
  fill(operands);
  params.add(-3.0, "");
  EXPECT_FALSE(run(vb::abs));
  EXPECT_EQ(error(), "function 'abs': no room for the result");
  EXPECT_EQ(operands.number(0), 0.0);
}

TEST_F(builtincall, fullstackkeepsthecollectederror) {
  fill(operands);
  EXPECT_FALSE(run(vb::getlasterror));
  EXPECT_EQ(error(), "function 'getlasterror': no room for the result");
}

TEST_F(builtincall, enumfilesonafullstackpushesnothing) {
  fill(operands);
  params.add(".", "");
  EXPECT_FALSE(run(vb::enumfiles));
  EXPECT_EQ(error(), "function 'enumfiles': no room for the result");
  logged.clear();
  EXPECT_FALSE(run(vb::enumfolders));
  EXPECT_EQ(error(), "function 'enumfolders': no room for the result");
  EXPECT_TRUE(operands.isnumber(0));
}

TEST_F(builtincall, checksbeforeroomforresult) {
  fill(operands);
  EXPECT_FALSE(run(vb::enumfiles));
  EXPECT_EQ(error(), "folder expected");
}

TEST_F(builtincall, builtinsbyfamilypushoneresult) {
  params.add(2.0, "");
  ASSERT_TRUE(run(vb::sqrt));
  EXPECT_EQ(operands.numelements(), 1);
  EXPECT_DOUBLE_EQ(operands.number(0), std::sqrt(2.0));
  params.reset();
  ASSERT_TRUE(run(vb::isnumber));
  EXPECT_EQ(operands.numelements(), 2);
  EXPECT_EQ(operands.number(0), 1.0);
  ASSERT_TRUE(run(vb::isinvalid));
  EXPECT_EQ(operands.number(0), 0.0);
  ASSERT_TRUE(run(vb::count));
  EXPECT_EQ(operands.number(0), 0.0);
  EXPECT_TRUE(logged.empty());
}

// sqrt(4, 5) fails with the count message and leaves nothing; isnumber(1, "a") marks both
TEST_F(builtincall, countmessagebeforeanything) {
  params.add(4.0, "");
  params.add(5.0, "");
  EXPECT_FALSE(run(vb::sqrt));
  EXPECT_EQ(error(), "function 'sqrt' takes one parameter");
  EXPECT_EQ(operands.numelements(), 0);
  EXPECT_FALSE(params.index(0)->isprocessed());
}

TEST_F(builtincall, typetestmarkseveryargument) {
  params.add(1.0, "");
  params.add("a", "");
  ASSERT_TRUE(run(vb::isnumber));
  EXPECT_EQ(operands.number(0), 0.0);
  EXPECT_TRUE(params.index(0)->isprocessed());
  EXPECT_TRUE(params.index(1)->isprocessed());
}

// A host may hand no parameter list and no log function: no arguments, no messages.
TEST(builtinnulls, builtinstakeamissinglistandlog) {
  vesk::stack operands;
  EXPECT_TRUE(vb::print(&operands, nullptr, nullptr, nullptr));
  EXPECT_TRUE(vb::dump(&operands, nullptr, nullptr, nullptr));
  EXPECT_TRUE(vb::isnumber(&operands, nullptr, nullptr, nullptr));
  EXPECT_EQ(operands.number(0), 1.0);
  EXPECT_FALSE(vb::abs(&operands, nullptr, nullptr, nullptr));
  EXPECT_FALSE(vb::throwerror(&operands, nullptr, nullptr, nullptr));
  EXPECT_FALSE(vb::deletevariable(&operands, nullptr, nullptr, nullptr));
  EXPECT_TRUE(vb::year(&operands, nullptr, nullptr, nullptr));
  vesk::parameters params;
  params.add("x", "");
  EXPECT_FALSE(vb::setinvalid(&operands, &params, nullptr, nullptr));
  EXPECT_FALSE(vb::deletevariable(&operands, &params, nullptr, nullptr));
  EXPECT_TRUE(vb::count(&operands, &params, nullptr, nullptr));
  EXPECT_EQ(operands.number(0), 1.0);
  EXPECT_FALSE(vb::abs(nullptr, nullptr, nullptr, nullptr));
  params.reset();
  params.add(-1.0, "");
  EXPECT_FALSE(vb::abs(nullptr, &params, nullptr, nullptr));
  params.reset();
}

// ---- clock and sleep

// year, month, day, hour, minute and second against the C library's local time, read in the
// same second (a reading that straddles a second is repeated).
TEST_F(builtincall, clockfieldsfollowthesystemclock) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    operands.reset();
    std::time_t before = std::time(nullptr);
    for (vesk::scriptfunc f :
         {vb::year, vb::month, vb::day, vb::hour, vb::minute, vb::second, vb::date, vb::time})
      ASSERT_TRUE(run(f));
    std::time_t after = std::time(nullptr);
    if (before != after) continue;
    std::tm now{};
    localtime_r(&before, &now);
    EXPECT_EQ(operands.number(7), now.tm_year + 1900);
    EXPECT_EQ(operands.number(6), now.tm_mon + 1);
    EXPECT_EQ(operands.number(5), now.tm_mday);
    EXPECT_EQ(operands.number(4), now.tm_hour);
    EXPECT_EQ(operands.number(3), now.tm_min);
    EXPECT_EQ(operands.number(2), now.tm_sec);
    char date[32], time[32];
    std::strftime(date, sizeof date, "%Y-%m-%d", &now);
    std::strftime(time, sizeof time, "%H.%M.%S", &now);
    EXPECT_EQ(text(1), date);
    EXPECT_EQ(text(0), time);
    EXPECT_TRUE(logged.empty());
    return;
  }
  FAIL() << "no reading within one second";
}

TEST(builtinsleep, truncatesandclamps) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(vb::sleepduration(250), 250u);
  EXPECT_EQ(vb::sleepduration(0.9), 0u);
  EXPECT_EQ(vb::sleepduration(1.9), 1u);
  EXPECT_EQ(vb::sleepduration(0), 0u);
  EXPECT_EQ(vb::sleepduration(-0.5), 0u);
  EXPECT_EQ(vb::sleepduration(-5), 0u);
  EXPECT_EQ(vb::sleepduration(-1e300), 0u);
  EXPECT_EQ(vb::sleepduration(-infinity), 0u);
  EXPECT_EQ(vb::sleepduration(4294967294.0), 4294967294u);
  EXPECT_EQ(vb::sleepduration(4294967294.9), 4294967294u);
  EXPECT_EQ(vb::sleepduration(4294967295.0), 4294967294u);
  EXPECT_EQ(vb::sleepduration(4294967296.0), 4294967294u);
  EXPECT_EQ(vb::sleepduration(1e300), 4294967294u);
  EXPECT_EQ(vb::sleepduration(infinity), 4294967294u);
  EXPECT_EQ(vb::sleepduration(nan), 4294967294u);
  EXPECT_EQ(vb::sleepduration(-nan), 4294967294u);
}

TEST_F(builtincall, sleeppauses) {
  params.add(250.0, "");
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(run(vb::sleep));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(250));
  EXPECT_TRUE(params.index(0)->isprocessed());
  EXPECT_EQ(operands.numelements(), 0);
  params.reset();
  params.add(-1e300, "");
  start = std::chrono::steady_clock::now();
  ASSERT_TRUE(run(vb::sleep));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

// ---- round's scale for any decimals

TEST_F(builtincall, roundwithextremedecimals) {
  auto rounded = [&](double value, double decimals) {
    params.reset();
    params.add(value, "");
    params.add(decimals, "");
    operands.reset();
    EXPECT_TRUE(run(vb::round));
    return operands.number(0);
  };
  EXPECT_EQ(rounded(2.5, std::numeric_limits<double>::quiet_NaN()), 3.0);
  EXPECT_EQ(rounded(2.5, -std::numeric_limits<double>::infinity()), 3.0);
  // A scale that overflows leaves the value as it is.
  EXPECT_EQ(rounded(2.5, std::numeric_limits<double>::infinity()), 2.5);
  EXPECT_EQ(rounded(2.5, 1e300), 2.5);
  EXPECT_EQ(rounded(1e300, 10), 1e300);
  EXPECT_EQ(rounded(1.23456, 300), 1.23456);
  EXPECT_EQ(rounded(3.14159, 2.999), 3.14);
}

// ---- output buffers

TEST_F(builtincall, printlinescutat1023characters) {
  std::string text(127, 'x');
  for (int i = 0; i < 10; ++i) params.add(text.c_str(), "");
  ASSERT_TRUE(run(vb::print));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].first, vesk::logoutput);
  std::string expected;
  for (int i = 0; i < 10; ++i) expected += text + " ";
  EXPECT_EQ(logged[0].second, expected.substr(0, 1023));
}

TEST_F(builtincall, printandhugenumbers) {
  params.add(1e308, "");
  params.add(-1e308, "");
  ASSERT_TRUE(run(vb::print));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].second.size(), 310u + 311u); // 309 digits, a blank, and a minus
  EXPECT_EQ(logged[0].second.substr(0, 5), "10000");
}

TEST_F(builtincall, dumpofbinaryandundefinedvaluesgoestostandardoutput) {
  static char const data[] = "abc";
  vesk::variable binary(data, 3);
  vesk::variable list(vesk::listtype, nullptr);
  list.add(&binary);
  list.add(1.0);
  params.add(&binary, "");
  params.add(&list, "");
  vesk::variable undefined;
  params.add(&undefined, "");
  testing::internal::CaptureStdout();
  ASSERT_TRUE(run(vb::dump));
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "? <5>\n  ? <5>\n? <0>\n");
  std::vector<std::pair<int, std::string>> expected = {
      {vesk::logoutput, "{"}, {vesk::logoutput, "  1"}, {vesk::logoutput, "}"}};
  EXPECT_EQ(logged, expected);
  list.reset();
}

TEST_F(builtincall, dumpofbinaryinnamedlistdropsthename) {
  static char const data[] = "abc";
  vesk::variable named(vesk::namedlisttype, nullptr);
  named.add(const_cast<char*>(data), 3, "blob");
  named.add(2.0, "n");
  params.add(&named, "");
  testing::internal::CaptureStdout();
  ASSERT_TRUE(run(vb::dump));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "? <5>\n");
  std::vector<std::pair<int, std::string>> expected = {
      {vesk::logoutput, "{"}, {vesk::logoutput, "  n=2"}, {vesk::logoutput, "}"}};
  EXPECT_EQ(logged, expected);
  named.reset();
}

// ---- delete, called by a host: the storage goes at once (no statement runs)

TEST_F(builtincall, deletegivesbackthewholevalue) {
  vesk::variable inner(vesk::listtype, nullptr);
  inner.add(1.0);
  vesk::variable outer(vesk::listtype, nullptr);
  outer.add(&inner);
  globals.add(&outer, "x");
  globals.add(2.0, "y");
  params.add("x", "");
  ASSERT_TRUE(run(vb::deletevariable));
  EXPECT_EQ(globals.find("x"), nullptr);
  EXPECT_NE(globals.find("y"), nullptr);
  EXPECT_EQ(operands.numelements(), 0);
  EXPECT_FALSE(run(vb::deletevariable));
  EXPECT_EQ(error(), "unknown element");
}

// remove() looks among the store's own elements only: not through the overlay, not by path.
TEST_F(builtincall, deleteignoresoverlayandpaths) {
  vesk::parameters overlay;
  overlay.add(1.0, "x");
  globals.add(2.0, "x");
  vesk::variable named(vesk::namedlisttype, nullptr);
  named.add(3.0, "b");
  globals.add(&named, "a");
  globals.setoverlay(&overlay);
  params.add("x", "");
  ASSERT_TRUE(run(vb::deletevariable));
  EXPECT_EQ(globals.find("x"), overlay.find("x"));
  globals.setoverlay(nullptr);
  EXPECT_EQ(globals.find("x"), nullptr);
  params.reset();
  params.add("a.b", "");
  logged.clear();
  EXPECT_FALSE(run(vb::deletevariable));
  EXPECT_EQ(error(), "unknown element");
  EXPECT_NE(globals.find("a.b"), nullptr);
  globals.find("a")->reset();
  overlay.reset();
}

// ---- file system, in a scratch folder

class builtinscratch : public builtincall {
protected:
  void SetUp() override {
    builtincall::SetUp();
    std::string pattern = (fs::temp_directory_path() / "vesk-builtins-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    root = name.data();
    ASSERT_LT(root.size() + 20, 127u) << "paths must fit script texts";
    before = fs::current_path();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::current_path(before, ignored);
    fs::remove_all(root, ignored);
    builtincall::TearDown();
  }
  // Joined as the engine joins the paths it lists.
  std::string path(std::string const& name) const {
    return root + vesk::platform::pathseparator + name;
  }
  void writefile(std::string const& name) const { std::ofstream(path(name)) << "x"; }
  void argument(std::string const& text) { params.add(text.c_str(), ""); }

  std::string root;
  fs::path before;
};

TEST_F(builtinscratch, deletefilestopsatthefirstfailure) {
  writefile("a");
  writefile("b");
  argument(path("a"));
  argument(path("missing"));
  argument(path("b"));
  EXPECT_FALSE(run(vb::deletefile));
  EXPECT_EQ(error(), "file could not be deleted");
  EXPECT_FALSE(fs::exists(path("a")));
  EXPECT_TRUE(fs::exists(path("b")));
  EXPECT_FALSE(params.index(2)->isprocessed());
}

TEST_F(builtinscratch, deletefiledeleteseachstring) {
  writefile("a");
  writefile("b");
  argument(path("a"));
  params.add(5.0, "");
  params.add(path("b").c_str(), "second");
  ASSERT_TRUE(run(vb::deletefile));
  EXPECT_FALSE(fs::exists(path("a")));
  EXPECT_FALSE(fs::exists(path("b")));
  EXPECT_FALSE(params.index(1)->isprocessed());
  EXPECT_TRUE(params.index(2)->isprocessed());
  EXPECT_TRUE(logged.empty());
}

TEST_F(builtinscratch, deletefolderchangesdirectoryandremovesemptyfolders) {
  fs::create_directory(path("empty"));
  fs::create_directory(path("full"));
  writefile("full/file");
  argument(path("empty"));
  ASSERT_TRUE(run(vb::deletefolder));
  EXPECT_EQ(fs::current_path(), fs::current_path().root_path()); // "/", or a drive's root
  EXPECT_FALSE(fs::exists(path("empty")));
  params.reset();
  argument(path("full"));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(run(vb::deletefolder));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(error(), "folder could not be deleted");
  EXPECT_TRUE(fs::exists(path("full/file")));
}

TEST_F(builtinscratch, deletefolderwithoutstringsonlychangesdirectory) {
  fs::current_path(root);
  params.add(1.0, "");
  ASSERT_TRUE(run(vb::deletefolder));
  EXPECT_EQ(fs::current_path(), fs::current_path().root_path()); // "/", or a drive's root
  EXPECT_FALSE(params.index(0)->isprocessed());
}

TEST_F(builtinscratch, renamefilenevereplaces) {
  writefile("a");
  writefile("b");
  argument(path("a"));
  params.add(path("b").c_str(), "to");
  EXPECT_FALSE(run(vb::renamefile));
  EXPECT_EQ(error(), "failed to rename");
  EXPECT_TRUE(fs::exists(path("a")));
  params.reset();
  logged.clear();
  argument(path("a"));
  params.add(path("c").c_str(), "to");
  ASSERT_TRUE(run(vb::renamefile));
  EXPECT_FALSE(fs::exists(path("a")));
  EXPECT_TRUE(fs::exists(path("c")));
  EXPECT_TRUE(params.index(0)->isprocessed());
  EXPECT_TRUE(params.index(1)->isprocessed());
}

// A host calling enumfiles directly owns the pushed list (TearDown gives it back).
TEST_F(builtinscratch, enumfilesandfolders) {
  writefile("a");
  writefile(".hidden");
  fs::create_directory(path("s"));
  argument(root);
  ASSERT_TRUE(run(vb::enumfiles));
  ASSERT_TRUE(operands.islist(0));
  std::vector<std::string> files;
  for (int i = 0; i < operands.top(0)->count(); ++i)
    files.push_back(operands.top(0)->index(i)->string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{path(".hidden"), path("a")}));
  ASSERT_TRUE(run(vb::enumfolders));
  ASSERT_EQ(operands.top(0)->count(), 1);
  EXPECT_STREQ(operands.top(0)->index(0)->string(), path("s").c_str());
}

// Entries are text values: a path longer than 127 characters keeps its first 127.
TEST_F(builtinscratch, longentrypathsarecut) {
  std::string name(200, 'n');
  writefile(name);
  argument(root);
  ASSERT_TRUE(run(vb::enumfiles));
  ASSERT_EQ(operands.top(0)->count(), 1);
  EXPECT_EQ(std::string(operands.top(0)->index(0)->string()), path(name).substr(0, 127));
}

// ---- registration

std::vector<std::string> hostprinted;
bool hostprint(vesk::stack*, vesk::parameters* params, vesk::variables*, vesk::logfunc) {
  for (vesk::variable* p = params->first(); p != nullptr; p = params->next()) {
    p->processed(true);
    hostprinted.push_back(p->isstring() ? p->string() : "?");
  }
  return true;
}

bool holdbackprint(char const* name) {
  return std::strcmp(name, "print") == 0;
}

TEST(builtinregistration, hostfunctionregisteredfirststaysinforce) {
  vesk::variables globals;
  vesk::interpreter engine(&globals, capture);
  logged.clear();
  hostprinted.clear();
  ASSERT_TRUE(engine.add(hostprint, "print"));
  engine.addinternalfuncs(nullptr);
  ASSERT_TRUE(engine.execute("print \"mine\"", "host"));
  EXPECT_EQ(hostprinted, std::vector<std::string>{"mine"});
  EXPECT_TRUE(logged.empty());
  vesk::variable* result = engine.evaluate("abs(-2)");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->number(), 2.0);
}

TEST(builtinregistration, filterholdsnamesback) {
  vesk::variables globals;
  vesk::interpreter engine(&globals, capture);
  logged.clear();
  engine.addinternalfuncs(holdbackprint);
  EXPECT_FALSE(engine.execute("print 1", "host"));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].second, "host(1): error: unknown element 'print'");
  vesk::variable* result = engine.evaluate("max(1, 3)");
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->number(), 3.0);
  // A second call registers what is still missing.
  logged.clear();
  engine.addinternalfuncs(nullptr);
  EXPECT_TRUE(engine.execute("print 1", "host"));
  EXPECT_EQ(logged, (std::vector<std::pair<int, std::string>>{{vesk::logoutput, "1 "}}));
}

TEST(builtinregistration, filterthatholdseverythingback) {
  vesk::variables globals;
  vesk::interpreter engine(&globals, capture);
  std::vector<std::string> asked;
  static std::vector<std::string>* names = nullptr;
  names = &asked;
  engine.addinternalfuncs([](char const* name) {
    names->push_back(name);
    return true;
  });
  ASSERT_EQ(asked.size(), 52u);
  EXPECT_EQ(asked.front(), "getlasterror");
  EXPECT_EQ(asked[1], "throw");
  EXPECT_EQ(asked[23], "print");
  EXPECT_EQ(asked.back(), "createfolder");
  logged.clear();
  EXPECT_EQ(engine.evaluate("abs(-2)"), nullptr);
  // Nothing was registered, so every name is free for the host.
  for (std::string const& name : asked) EXPECT_TRUE(engine.add(hostprint, name.c_str())) << name;
}

TEST(builtinregistration, allfiftytwonames) {
  vesk::variables globals;
  vesk::interpreter engine(&globals, capture);
  std::vector<std::string> asked;
  static std::vector<std::string>* names = nullptr;
  names = &asked;
  engine.addinternalfuncs([](char const* name) {
    names->push_back(name);
    return false;
  });
  std::vector<std::string> expected = {
      "getlasterror",  "throw",        "abs",         "sqrt",          "round",
      "min",           "max",          "sin",         "cos",           "tan",
      "asin",          "acos",         "atan",        "year",          "month",
      "day",           "date",         "hour",        "minute",        "second",
      "time",          "sleep",        "dump",        "print",         "assert",
      "delete",        "count",        "isdefined",   "isnumber",      "isstring",
      "islist",        "isnamedlist",  "isbinary",    "isinvalid",     "setinvalid",
      "resetinvalid",  "isdisabled",   "setdisabled", "resetdisabled", "ischanged",
      "setchanged",    "resetchanged", "haserror",    "seterror",      "reseterror",
      "getfolderpath", "enumfiles",    "enumfolders", "deletefile",    "deletefolder",
      "renamefile",    "createfolder"};
  EXPECT_EQ(asked, expected);
  // Every one is registered now: a second registration of the name is refused.
  for (std::string const& name : expected)
    EXPECT_FALSE(engine.add(hostprint, name.c_str())) << name;
}

} // namespace
