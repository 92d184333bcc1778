// platform_test.cpp - the operating-system layer: libraries, the worker thread, the clock and
// sleeping, files and folders, and the well-known folders. Everything that touches the file
// system works inside a scratch folder made for the test and removed after it.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <pthread.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace vp = vesk::platform;
namespace fs = std::filesystem;

namespace {

// A fresh folder under the system's temporary folder, removed with everything in it.
class scratchfolder {
public:
  scratchfolder() {
    std::string pattern = (fs::temp_directory_path() / "vesk-platform-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) != nullptr) root = name.data();
  }
  ~scratchfolder() {
    std::error_code ignored;
    if (!root.empty()) fs::remove_all(root, ignored);
  }
  scratchfolder(scratchfolder const&) = delete;
  scratchfolder& operator=(scratchfolder const&) = delete;

  bool ready() const { return !root.empty(); }
  std::string path(std::string const& name) const { return root + "/" + name; }
  void writefile(std::string const& name, std::string const& text = "x") const {
    std::ofstream(path(name)) << text;
  }
  bool exists(std::string const& name) const { return fs::exists(fs::symlink_status(path(name))); }
  bool isfolder(std::string const& name) const { return fs::is_directory(path(name)); }

  std::string root;
};

class platformfiles : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(scratch.ready()); }
  scratchfolder scratch;
};

// ---- listing

void collect(void* context, char const* name, bool isfolder) {
  auto& entries = *static_cast<std::map<std::string, bool>*>(context);
  EXPECT_TRUE(entries.emplace(name, isfolder).second) << "delivered twice: " << name;
}

std::map<std::string, bool> listed(std::string const& folder, bool* result = nullptr) {
  std::map<std::string, bool> entries;
  bool ok = vp::listfolder(folder.c_str(), collect, &entries);
  if (result != nullptr) *result = ok;
  return entries;
}

TEST_F(platformfiles, listingtellsfilesfromfolders) {
  scratch.writefile("a");
  scratch.writefile("b");
  scratch.writefile(".hidden");
  ASSERT_TRUE(fs::create_directory(scratch.path("s")));
  bool ok = false;
  std::map<std::string, bool> entries = listed(scratch.root, &ok);
  EXPECT_TRUE(ok);
  std::map<std::string, bool> expected = {
      {"a", false}, {"b", false}, {".hidden", false}, {"s", true}};
  EXPECT_EQ(entries, expected);
  EXPECT_EQ(entries.count("."), 0u);
  EXPECT_EQ(entries.count(".."), 0u);
}

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

TEST_F(platformfiles, listingemptyfolderdeliversnothing) {
  ASSERT_TRUE(fs::create_directory(scratch.path("empty")));
  bool ok = false;
  EXPECT_TRUE(listed(scratch.path("empty"), &ok).empty());
  EXPECT_TRUE(ok);
}

TEST_F(platformfiles, listingmissingfolderfails) {
  bool ok = true;
  EXPECT_TRUE(listed(scratch.path("missing"), &ok).empty());
  EXPECT_FALSE(ok);
  scratch.writefile("plain");
  EXPECT_TRUE(listed(scratch.path("plain"), &ok).empty());
  EXPECT_FALSE(ok);
}

// ---- deleting, moving, creating, removing

TEST_F(platformfiles, deletefile) {
  scratch.writefile("a");
  EXPECT_TRUE(vp::deletefile(scratch.path("a").c_str()));
  EXPECT_FALSE(scratch.exists("a"));
  EXPECT_FALSE(vp::deletefile(scratch.path("a").c_str()));
  EXPECT_FALSE(vp::deletefile(scratch.path("never").c_str()));
}

TEST_F(platformfiles, deletefilerefusesfolder) {
  ASSERT_TRUE(fs::create_directory(scratch.path("s")));
  EXPECT_FALSE(vp::deletefile(scratch.path("s").c_str()));
  EXPECT_TRUE(scratch.isfolder("s"));
}

TEST_F(platformfiles, removefolder) {
  ASSERT_TRUE(fs::create_directory(scratch.path("empty")));
  EXPECT_TRUE(vp::removefolder(scratch.path("empty").c_str()));
  EXPECT_FALSE(scratch.exists("empty"));
  EXPECT_FALSE(vp::removefolder(scratch.path("empty").c_str()));
}

TEST_F(platformfiles, removefolderrefusesnonemptyfolderandfile) {
  ASSERT_TRUE(fs::create_directory(scratch.path("full")));
  scratch.writefile("full/inside");
  EXPECT_FALSE(vp::removefolder(scratch.path("full").c_str()));
  EXPECT_TRUE(scratch.exists("full/inside"));
  scratch.writefile("plain");
  EXPECT_FALSE(vp::removefolder(scratch.path("plain").c_str()));
  EXPECT_TRUE(scratch.exists("plain"));
}

TEST_F(platformfiles, movefile) {
  scratch.writefile("from", "content");
  EXPECT_TRUE(vp::movefile(scratch.path("from").c_str(), scratch.path("to").c_str()));
  EXPECT_FALSE(scratch.exists("from"));
  std::ifstream moved(scratch.path("to"));
  std::string text;
  moved >> text;
  EXPECT_EQ(text, "content");
}

// As the Windows MoveFile: an existing target is never replaced, and both stay as they were.
TEST_F(platformfiles, movefiledoesnotreplaceexistingfile) {
  scratch.writefile("from", "new");
  scratch.writefile("to", "old");
  EXPECT_FALSE(vp::movefile(scratch.path("from").c_str(), scratch.path("to").c_str()));
  EXPECT_TRUE(scratch.exists("from"));
  std::ifstream kept(scratch.path("to"));
  std::string text;
  kept >> text;
  EXPECT_EQ(text, "old");
}

TEST_F(platformfiles, movefiledoesnotreplaceexistingfolder) {
  ASSERT_TRUE(fs::create_directory(scratch.path("old")));
  ASSERT_TRUE(fs::create_directory(scratch.path("empty")));
  EXPECT_FALSE(vp::movefile(scratch.path("old").c_str(), scratch.path("empty").c_str()));
  EXPECT_TRUE(scratch.isfolder("old"));
  EXPECT_TRUE(scratch.isfolder("empty"));
  scratch.writefile("file");
  EXPECT_FALSE(vp::movefile(scratch.path("file").c_str(), scratch.path("empty").c_str()));
  EXPECT_TRUE(scratch.exists("file"));
}

TEST_F(platformfiles, movefiledoesnotreplacedanglinglink) {
  scratch.writefile("from");
  ASSERT_EQ(symlink(scratch.path("nowhere").c_str(), scratch.path("link").c_str()), 0);
  EXPECT_FALSE(vp::movefile(scratch.path("from").c_str(), scratch.path("link").c_str()));
  EXPECT_TRUE(scratch.exists("from"));
  EXPECT_TRUE(fs::is_symlink(scratch.path("link")));
}

TEST_F(platformfiles, movefolder) {
  ASSERT_TRUE(fs::create_directory(scratch.path("old")));
  scratch.writefile("old/inside");
  EXPECT_TRUE(vp::movefile(scratch.path("old").c_str(), scratch.path("new").c_str()));
  EXPECT_FALSE(scratch.exists("old"));
  EXPECT_TRUE(scratch.exists("new/inside"));
}

TEST_F(platformfiles, movefilefailures) {
  EXPECT_FALSE(vp::movefile(scratch.path("missing").c_str(), scratch.path("to").c_str()));
  EXPECT_FALSE(scratch.exists("to"));
  scratch.writefile("from");
  EXPECT_FALSE(vp::movefile(scratch.path("from").c_str(), scratch.path("nofolder/to").c_str()));
  EXPECT_TRUE(scratch.exists("from"));
}

TEST_F(platformfiles, createfolder) {
  EXPECT_TRUE(vp::createfolder(scratch.path("made").c_str()));
  EXPECT_TRUE(scratch.isfolder("made"));
  EXPECT_FALSE(vp::createfolder(scratch.path("made").c_str()));
  scratch.writefile("plain");
  EXPECT_FALSE(vp::createfolder(scratch.path("plain").c_str()));
}

TEST_F(platformfiles, createfoldermakesonelevelonly) {
  EXPECT_FALSE(vp::createfolder(scratch.path("parent/child").c_str()));
  EXPECT_FALSE(scratch.exists("parent"));
}

TEST_F(platformfiles, relativepathsfollowthecurrentdirectory) {
  std::error_code error;
  fs::path before = fs::current_path(error);
  ASSERT_FALSE(error);
  fs::current_path(scratch.root);
  bool made = vp::createfolder("relative");
  fs::current_path(before);
  EXPECT_TRUE(made);
  EXPECT_TRUE(scratch.isfolder("relative"));
}

TEST(platformdirectory, changetorootfolder) {
  std::error_code error;
  fs::path before = fs::current_path(error);
  ASSERT_FALSE(error);
  bool changed = vp::changetorootfolder();
  fs::path after = fs::current_path(error);
  fs::current_path(before); // restore before any expectation can end the test
  EXPECT_TRUE(changed);
  EXPECT_EQ(after, fs::path("/"));
  EXPECT_EQ(fs::current_path(), before);
}

// ---- the worker thread

int answer(void* arg) {
  return *static_cast<int*>(arg) * 2;
}

TEST(platformthread, returnsitsresult) {
  int half = 21;
  vp::thread* worker = vp::startthread(answer, &half);
  ASSERT_NE(worker, nullptr);
  EXPECT_EQ(vp::jointhread(worker), 42);
}

struct meeting {
  std::atomic<bool> started{false};
  std::atomic<bool> go{false};
  std::thread::id id;
};

bool waitfor(std::atomic<bool> const& flag) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!flag.load()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// Each side waits for the other, so the test only passes when both run at the same time.
int meet(void* arg) {
  auto& place = *static_cast<meeting*>(arg);
  place.id = std::this_thread::get_id();
  place.started = true;
  return waitfor(place.go) ? 7 : -1;
}

TEST(platformthread, runsconcurrently) {
  meeting place;
  vp::thread* worker = vp::startthread(meet, &place);
  ASSERT_NE(worker, nullptr);
  bool started = waitfor(place.started);
  place.go = true;
  EXPECT_TRUE(started);
  EXPECT_EQ(vp::jointhread(worker), 7);
  EXPECT_NE(place.id, std::this_thread::get_id());
}

int identity(void* arg) {
  return static_cast<int>(reinterpret_cast<intptr_t>(arg));
}

TEST(platformthread, severalworkers) {
  std::vector<vp::thread*> workers;
  for (intptr_t i = 0; i < 8; ++i) {
    workers.push_back(vp::startthread(identity, reinterpret_cast<void*>(i)));
    ASSERT_NE(workers.back(), nullptr);
  }
  for (int i = 0; i < 8; ++i) EXPECT_EQ(vp::jointhread(workers[static_cast<size_t>(i)]), i);
}

TEST(platformthread, refusesnullfunction) {
  EXPECT_EQ(vp::startthread(nullptr, nullptr), nullptr);
}

// ---- clock and sleeping

using milliseconds = std::chrono::milliseconds;

long long elapsedsleep(unsigned duration) {
  auto start = std::chrono::steady_clock::now();
  vp::sleepmilliseconds(duration);
  return std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start).count();
}

TEST(platformclock, sleepslongenough) {
  long long slept = elapsedsleep(120);
  EXPECT_GE(slept, 120);
  EXPECT_LT(slept, 3000);
}

TEST(platformclock, sleepzeroreturnsatonce) {
  EXPECT_LT(elapsedsleep(0), 1000);
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
    std::this_thread::sleep_for(milliseconds(60));
    pthread_kill(sleeper, SIGUSR1);
  });
  long long slept = elapsedsleep(300);
  interrupter.join();
  sigaction(SIGUSR1, &previous, nullptr);
  EXPECT_EQ(signalled, 1);
  EXPECT_GE(slept, 300);
  EXPECT_LT(slept, 3000);
}

// The clock against the system clock read by the test: a reading taken within one second of
// the system's must give that second's fields.
TEST(platformclock, localtimematchesthesystemclock) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::time_t before = std::time(nullptr);
    vp::localtime now{};
    vp::getlocaltime(now);
    std::time_t after = std::time(nullptr);
    if (before != after) continue; // a second boundary passed: read again
    std::tm expected{};
    ASSERT_NE(localtime_r(&before, &expected), nullptr);
    EXPECT_EQ(now.year, expected.tm_year + 1900);
    EXPECT_EQ(now.month, expected.tm_mon + 1);
    EXPECT_EQ(now.day, expected.tm_mday);
    EXPECT_EQ(now.hour, expected.tm_hour);
    EXPECT_EQ(now.minute, expected.tm_min);
    EXPECT_EQ(now.second, expected.tm_sec);
    return;
  }
  FAIL() << "the second changed during every reading";
}

TEST(platformclock, localtimefieldsareinrange) {
  vp::localtime now{};
  vp::getlocaltime(now);
  EXPECT_GE(now.year, 2000);
  EXPECT_GE(now.month, 1);
  EXPECT_LE(now.month, 12);
  EXPECT_GE(now.day, 1);
  EXPECT_LE(now.day, 31);
  EXPECT_GE(now.hour, 0);
  EXPECT_LE(now.hour, 23);
  EXPECT_GE(now.minute, 0);
  EXPECT_LE(now.minute, 59);
  EXPECT_GE(now.second, 0);
  EXPECT_LE(now.second, 60); // a leap second
}

// ---- extension libraries

TEST(platformlibrary, missinglibrary) {
  EXPECT_EQ(vp::openlibrary("/nonexistent/libvesknothing.so"), nullptr);
  EXPECT_EQ(vp::openlibrary("libvesknothing.so"), nullptr);
  EXPECT_EQ(vp::openlibrary(""), nullptr);
  EXPECT_EQ(vp::findsymbol(nullptr, "cos"), nullptr);
}

TEST_F(platformfiles, filethatisnolibrary) {
  scratch.writefile("fake.so", "not a shared object");
  EXPECT_EQ(vp::openlibrary(scratch.path("fake.so").c_str()), nullptr);
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
