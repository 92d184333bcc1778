// platform_posix_test.cpp - the operating-system layer where POSIX systems differ from Windows:
// symbolic links, signals during a sleep, the root folder "/", libraries by soname, and the
// well-known folders at their XDG places below the home folder.
#include "platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <pthread.h>
#include <pwd.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platformtest.h"

namespace vp = vesk::platform;
namespace fs = std::filesystem;

namespace {

using platformtest::elapsedsleep;
using platformtest::listed;
using platformtest::platformfiles;

TEST_F(platformfiles, listingfollowssymboliclinks) {
  scratch.writefile("file");
  ASSERT_TRUE(fs::create_directory(scratch.path("folder")));
  fs::create_symlink(scratch.path("file"), scratch.path("tofile"));
  fs::create_directory_symlink(scratch.path("folder"), scratch.path("tofolder"));
  fs::create_symlink(scratch.path("missing"), scratch.path("dangling"));
  std::map<std::string, bool> expected = {{"file", false},
                                          {"folder", true},
                                          {"tofile", false},
                                          {"tofolder", true},
                                          {"dangling", false}};
  EXPECT_EQ(listed(scratch.root), expected);
}

TEST_F(platformfiles, movefiledoesnotreplacedanglinglink) {
  scratch.writefile("from");
  ASSERT_EQ(symlink(scratch.path("nowhere").c_str(), scratch.path("link").c_str()), 0);
  EXPECT_FALSE(vp::movefile(scratch.path("from").c_str(), scratch.path("link").c_str()));
  EXPECT_TRUE(scratch.exists("from"));
  EXPECT_TRUE(fs::is_symlink(scratch.path("link")));
}


volatile std::sig_atomic_t signalled = 0;
void onsignal(int) {
  signalled = signalled + 1;
}

TEST(platformclock, sleepresumesafterasignal) {
  struct sigaction handler {};
  struct sigaction previous {};
  handler.sa_handler = onsignal;
  sigemptyset(&handler.sa_mask);
  handler.sa_flags = 0; // no SA_RESTART: the signal interrupts nanosleep with EINTR
  ASSERT_EQ(sigaction(SIGUSR1, &handler, &previous), 0);
  signalled = 0;
  pthread_t sleeper = pthread_self();
  std::thread interrupter([sleeper] {
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    pthread_kill(sleeper, SIGUSR1);
  });
  long long slept = elapsedsleep(300);
  interrupter.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(signalled, 1);
  EXPECT_GE(slept, 300);
  EXPECT_LT(slept, 3000);
}

TEST(platformlibrary, systemlibrary) {
  void* library = vp::openlibrary("libm.so.6");
  ASSERT_NE(library, nullptr);
  void* symbol = vp::findsymbol(library, "cos");
  ASSERT_NE(symbol, nullptr);
  auto cosine = reinterpret_cast<double (*)(double)>(symbol);
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
  EXPECT_EQ(vp::findsymbol(library, "vesk_no_such_symbol"), nullptr);
  EXPECT_EQ(vp::openlibrary("libm.so.6"), library); // the same library, loaded once
}

// ---- well-known folders

// The variables the folder tests set; each test starts with all of them unset except HOME,
// and the process's own values come back afterwards.
char const* const foldervariables[] = {
    "HOME",          "XDG_CONFIG_HOME",  "XDG_DATA_HOME", "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR",
    "XDG_MUSIC_DIR", "XDG_PICTURES_DIR", "XDG_VIDEOS_DIR"};

class platformfolders : public platformfiles {
protected:
  void SetUp() override {
    platformfiles::SetUp();
    for (char const* name : foldervariables) {
      char const* value = std::getenv(name);
      saved.push_back(value == nullptr ? std::pair(false, std::string())
                                       : std::pair(true, std::string(value)));
      unsetenv(name);
    }
    home = scratch.path("home");
    ASSERT_TRUE(fs::create_directory(home));
    setenv("HOME", home.c_str(), 1);
  }
  void TearDown() override {
    for (size_t i = 0; i < saved.size(); ++i) {
      if (saved[i].first)
        setenv(foldervariables[i], saved[i].second.c_str(), 1);
      else
        unsetenv(foldervariables[i]);
    }
  }

  // The path for csidl, or "<none>".
  static std::string folder(int csidl) {
    char buffer[4096];
    std::memset(buffer, '#', sizeof buffer);
    if (!vp::specialfolderpath(csidl, buffer, sizeof buffer)) return "<none>";
    return buffer;
  }
  void writeuserdirs(std::string const& folder, std::string const& text) {
    fs::create_directories(folder);
    std::ofstream(folder + "/user-dirs.dirs") << text;
  }

  std::vector<std::pair<bool, std::string>> saved;
  std::string home;
};

TEST_F(platformfolders, defaultsbelowhome) {
  EXPECT_EQ(folder(40), home);                               // PROFILE
  EXPECT_EQ(folder(26), home + "/.config");                  // APPDATA
  EXPECT_EQ(folder(7), home + "/.config/autostart");         // STARTUP
  EXPECT_EQ(folder(2), home + "/.local/share/applications"); // PROGRAMS
  EXPECT_EQ(folder(8), home + "/.local/share/recent");       // RECENT
  EXPECT_EQ(folder(6), home + "/.local/share/favorites");    // FAVORITES
  EXPECT_EQ(folder(0), home + "/Desktop");                   // DESKTOP
  EXPECT_EQ(folder(16), home + "/Desktop");                  // DESKTOPDIRECTORY
  EXPECT_EQ(folder(5), home + "/Documents");                 // PERSONAL
  EXPECT_EQ(folder(13), home + "/Music");                    // MYMUSIC
  EXPECT_EQ(folder(39), home + "/Pictures");                 // MYPICTURES
  EXPECT_EQ(folder(14), home + "/Videos");                   // MYVIDEO
}

TEST_F(platformfolders, systemfolders) {
  EXPECT_EQ(folder(20), "/usr/share/fonts"); // FONTS
  EXPECT_EQ(folder(38), "/opt");             // PROGRAM_FILES
  EXPECT_EQ(folder(36), "/usr");             // WINDOWS
  EXPECT_EQ(folder(35), "/var/lib");         // COMMON_APPDATA
}

TEST_F(platformfolders, pathsneednotexist) {
  EXPECT_FALSE(fs::exists(home + "/Desktop"));
  EXPECT_EQ(folder(0), home + "/Desktop");
}

TEST_F(platformfolders, unknownnumbers) {
  EXPECT_EQ(folder(1), "<none>");
  EXPECT_EQ(folder(-1), "<none>");
  EXPECT_EQ(folder(41), "<none>");
  EXPECT_EQ(folder(999), "<none>");
}

TEST_F(platformfolders, xdgbasedirectories) {
  setenv("XDG_CONFIG_HOME", scratch.path("config").c_str(), 1);
  setenv("XDG_DATA_HOME", scratch.path("data/").c_str(), 1);
  EXPECT_EQ(folder(26), scratch.path("config"));
  EXPECT_EQ(folder(7), scratch.path("config/autostart"));
  EXPECT_EQ(folder(2), scratch.path("data/applications"));
  EXPECT_EQ(folder(8), scratch.path("data/recent"));
}

TEST_F(platformfolders, relativeoremptyxdgbaseisignored) {
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  setenv("XDG_DATA_HOME", "", 1);
  EXPECT_EQ(folder(26), home + "/.config");
  EXPECT_EQ(folder(2), home + "/.local/share/applications");
}

TEST_F(platformfolders, trailingslashofhomeisnotdoubled) {
  setenv("HOME", (home + "/").c_str(), 1);
  EXPECT_EQ(folder(40), home);
  EXPECT_EQ(folder(0), home + "/Desktop");
}

TEST_F(platformfolders, userdirsfile) {
  setenv("XDG_CONFIG_HOME", scratch.path("config").c_str(), 1);
  writeuserdirs(scratch.path("config"), "# written by xdg-user-dirs-update\n"
                                        "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                                        "  XDG_MUSIC_DIR = \"/srv/music\"\n"
                                        "XDG_PICTURES_DIR=\"$HOME/My \\\"Pictures\\\"\"\n"
                                        "XDG_VIDEOS_DIR=\"$HOME/\"\n"
                                        "XDG_DOCUMENTS_DIR=relative/unquoted\n"
                                        "XDG_DOCUMENTS_DIR=\"relative/quoted\"\n"
                                        "XDG_DOCUMENTS_DIR=\"/unterminated\n");
  EXPECT_EQ(folder(0), home + "/Schreibtisch");
  EXPECT_EQ(folder(16), home + "/Schreibtisch");
  EXPECT_EQ(folder(13), "/srv/music");
  EXPECT_EQ(folder(39), home + "/My \"Pictures\"");
  EXPECT_EQ(folder(14), home);               // "$HOME/" is the home folder itself
  EXPECT_EQ(folder(5), home + "/Documents"); // no usable line: the default
}

TEST_F(platformfolders, userdirsfilelastlinewins) {
  // Found in the default configuration folder, ~/.config, when XDG_CONFIG_HOME is unset.
  writeuserdirs(home + "/.config", "XDG_MUSIC_DIR=\"$HOME/old\"\nXDG_MUSIC_DIR=\"$HOME/new\"\n");
  EXPECT_EQ(folder(13), home + "/new");
}

TEST_F(platformfolders, userdirsfileskipsoverlonglines) {
  std::string longline = "# " + std::string(10000, 'x') + "XDG_MUSIC_DIR=\"/wrong\"\n";
  writeuserdirs(home + "/.config", longline + "XDG_VIDEOS_DIR=\"/right\"\n");
  EXPECT_EQ(folder(13), home + "/Music");
  EXPECT_EQ(folder(14), "/right");
}

TEST_F(platformfolders, environmentoverridesuserdirsfile) {
  writeuserdirs(home + "/.config", "XDG_DESKTOP_DIR=\"$HOME/FromFile\"\n"
                                   "XDG_MUSIC_DIR=\"$HOME/FromFile\"\n");
  setenv("XDG_DESKTOP_DIR", scratch.path("fromenvironment").c_str(), 1);
  setenv("XDG_MUSIC_DIR", "not/absolute", 1);
  EXPECT_EQ(folder(0), scratch.path("fromenvironment"));
  EXPECT_EQ(folder(13), home + "/FromFile"); // an unusable variable is passed over
}

TEST_F(platformfolders, homefromaccountwhenunset) {
  unsetenv("HOME");
  char storage[16384];
  passwd account{};
  passwd* found = nullptr;
  ASSERT_EQ(getpwuid_r(getuid(), &account, storage, sizeof storage, &found), 0);
  ASSERT_NE(found, nullptr);
  std::string accounthome = found->pw_dir;
  while (accounthome.size() > 1 && accounthome.back() == '/') accounthome.pop_back();
  EXPECT_EQ(folder(40), accounthome);
}

TEST_F(platformfolders, buffertoosmall) {
  std::string expected = home + "/Desktop";
  int fits = static_cast<int>(expected.size()) + 1;
  std::vector<char> buffer(static_cast<size_t>(fits) + 8, '#');
  EXPECT_FALSE(vp::specialfolderpath(0, buffer.data(), fits - 1));
  EXPECT_EQ(buffer[0], '\0');
  for (size_t i = static_cast<size_t>(fits - 1); i < buffer.size(); ++i)
    EXPECT_EQ(buffer[i], '#') << "written past the buffer at " << i;
  EXPECT_TRUE(vp::specialfolderpath(0, buffer.data(), fits));
  EXPECT_EQ(std::string(buffer.data()), expected);
  EXPECT_EQ(buffer[static_cast<size_t>(fits)], '#');
  EXPECT_FALSE(vp::specialfolderpath(0, buffer.data(), 0));
  EXPECT_FALSE(vp::specialfolderpath(0, nullptr, 100));
}

TEST_F(platformfolders, overlongpathfails) {
  setenv("HOME", ("/" + std::string(5000, 'h')).c_str(), 1);
  char buffer[8192];
  EXPECT_FALSE(vp::specialfolderpath(40, buffer, sizeof buffer));
  EXPECT_EQ(buffer[0], '\0');
}

} // namespace
