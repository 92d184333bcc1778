// platform_test.cpp - the operating-system layer where every system behaves alike: libraries,
// the worker thread, the clock and sleeping, files and folders. Everything that touches the file
// system works inside a scratch folder made for the test and removed after it. What only POSIX
// systems do is in platform_posix_test.cpp; what only Windows does, in tests/windows.
#include "platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platformtest.h"

namespace vp = vesk::platform;
namespace fs = std::filesystem;

namespace {

using platformtest::elapsedsleep;
using platformtest::listed;
using platformtest::platformfiles;

// ---- listing

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

// ---- the current directory

// "/" on POSIX systems; on Windows the root of the current drive (the drive stays).
TEST(platformdirectory, changetorootfoldermakestherootcurrent) {
  std::error_code error;
  fs::path before = fs::current_path(error);
  ASSERT_FALSE(error);
  bool changed = vp::changetorootfolder();
  fs::path after = fs::current_path(error);
  fs::current_path(before); // restore before any expectation can end the test
  EXPECT_TRUE(changed);
  EXPECT_EQ(after, before.root_path());
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

TEST(platformclock, sleepslongenough) {
  long long slept = elapsedsleep(120);
  EXPECT_GE(slept, 120);
  EXPECT_LT(slept, 3000);
}

TEST(platformclock, sleepzeroreturnsatonce) {
  EXPECT_LT(elapsedsleep(0), 1000);
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

} // namespace
