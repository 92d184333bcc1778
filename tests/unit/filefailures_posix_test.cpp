// filefailures_posix_test.cpp - the file built-ins where the file system fails them: a listing
// that breaks off with a read error (the test program takes readdir's place, the engine's
// objects being linked into it, and fails it on command), a full file system and a folder where
// nothing may change. Each call fails with a message a try catches, never a shorter list.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fstream>
#include <memory>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "scratchfolder.h"
#include "vesk.h"

namespace {

std::string brokenfolder; // the folder whose listing fails, "" for none
int readsbeforefailing = 0;

// The folder an open listing reads, through its descriptor.
std::string listedfolder(DIR* folder) {
  char link[PATH_MAX];
  std::string fd = "/proc/self/fd/" + std::to_string(dirfd(folder));
  ssize_t length = readlink(fd.c_str(), link, sizeof link - 1);
  return length > 0 ? std::string(link, static_cast<std::size_t>(length)) : "";
}

} // namespace

extern "C" dirent* readdir(DIR* folder) {
  using readfunction = dirent* (*)(DIR*);
  static auto real = reinterpret_cast<readfunction>(dlsym(RTLD_NEXT, "readdir"));
  if (!brokenfolder.empty() && listedfolder(folder) == brokenfolder && readsbeforefailing-- <= 0) {
    errno = EIO;
    return nullptr;
  }
  return real(folder);
}

namespace {

class filefailures : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(scratch.ready());
    for (char const* name : {"a", "b", "c"}) scratch.writefile(name);
    for (char const* name : {"d", "e"}) std::filesystem::create_directory(scratch.path(name));
    engine.addinternalfuncs(nullptr);
  }
  void TearDown() override {
    brokenfolder.clear();
    vesk::releasevalue(&store);
  }
  // Runs `call` on the folder inside a try; true when the call failed with the message.
  void expectcaught(char const* function, std::string const& folder) {
    brokenfolder = std::filesystem::canonical(scratch.root).string();
    readsbeforefailing = 1;
    std::string call = std::string("  l = ") + function + "(\"" + folder + "\")";
    char const* lines[] = {"try", call.c_str(), "catch", "  seen = getlasterror()", "end"};
    ASSERT_TRUE(engine.execute(lines, 5, "listing")) << function;
    vesk::variable* partial = store.find("l");
    EXPECT_TRUE(partial == nullptr || !partial->islist()) << function;
    vesk::variable* seen = store.find("seen");
    ASSERT_NE(seen, nullptr) << function;
    EXPECT_EQ(std::string(seen->string()),
              "listing(2): error: folder could not be read to its end");
    brokenfolder.clear();
    ASSERT_TRUE(engine.execute(lines, 5, "listing"));
    vesk::variable* listed = store.find("l");
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->count(), std::string(function) == "enumfiles" ? 3 : 2);
    store.remove("l");
    store.remove("seen");
  }
  vesktest::scratchfolder scratch;
  vesk::variables store;
  vesk::interpreter engine{&store, nullptr};
};

TEST_F(filefailures, aListingThatBreaksOffFailsTheCall) {
  expectcaught("enumfiles", scratch.root);
  expectcaught("enumfolders", scratch.root);
}

TEST_F(filefailures, aConfinedListingThatBreaksOffFailsTheCall) {
  ASSERT_TRUE(engine.allowfolder(scratch.root.c_str()));
  expectcaught("enumfiles", "");
  expectcaught("enumfolders", scratch.root);
}

// A file system of its own in the scratch folder (tmpfs), as small as asked; mounting needs
// privileges a developer's account may lack (the test then says so and is skipped).
class smallmount {
public:
  smallmount(std::string const& folder, char const* options) : folder(folder) {
    mounted = mount("none", folder.c_str(), "tmpfs", 0, options) == 0;
    problem = mounted ? "" : std::strerror(errno);
  }
  ~smallmount() {
    if (mounted) umount2(folder.c_str(), MNT_DETACH);
  }
  smallmount(smallmount const&) = delete;
  smallmount& operator=(smallmount const&) = delete;
  bool mounted = false;
  std::string problem;

private:
  std::string folder;
};

// Runs one call inside a try; the message it failed with, "" when it succeeded.
std::string caughtby(vesk::interpreter& engine, vesk::variables& store, std::string const& call) {
  std::string line = "  " + call;
  char const* lines[] = {"seen = \"\"", "try", line.c_str(), "catch", "  seen = getlasterror()",
                         "end"};
  if (!engine.execute(lines, 6, "call")) return "the run failed";
  vesk::variable* seen = store.find("seen");
  return seen != nullptr ? seen->string() : "";
}

// tmpfs with room for its root folder and two entries: they are made, then nothing more fits.
TEST_F(filefailures, aFullFileSystemFailsTheCallThatNeedsRoom) {
  std::string full = scratch.path("full");
  std::filesystem::create_directory(full);
  smallmount room(full, "size=64k,nr_inodes=3");
  if (!room.mounted) GTEST_SKIP() << "cannot mount a small tmpfs here: " << room.problem;
  std::ofstream(full + "/one") << "1";
  std::filesystem::create_directory(full + "/two");
  EXPECT_EQ(caughtby(engine, store, "createfolder(\"" + full + "/three\")"),
            "call(3): error: failed to create folder");
  EXPECT_FALSE(std::filesystem::exists(full + "/three"));
  EXPECT_EQ(caughtby(engine, store, "l = enumfiles(\"" + full + "\")"), "");
  EXPECT_EQ(store.find("l")->count(), 1);
}

// A folder where nothing may change: without write permission, or for root (whom permissions
// do not stop) a read-only tmpfs.
TEST_F(filefailures, aFolderWhereNothingMayChangeFailsEachChange) {
  std::string fixed = scratch.path("fixed");
  std::filesystem::create_directory(fixed);
  std::unique_ptr<smallmount> readonly;
  if (geteuid() == 0) {
    readonly = std::make_unique<smallmount>(fixed, "size=64k");
    if (!readonly->mounted) GTEST_SKIP() << "cannot mount a tmpfs here: " << readonly->problem;
    std::ofstream(fixed + "/file") << "1";
    std::filesystem::create_directory(fixed + "/folder");
    ASSERT_EQ(mount("none", fixed.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  } else {
    std::ofstream(fixed + "/file") << "1";
    std::filesystem::create_directory(fixed + "/folder");
    ASSERT_EQ(chmod(fixed.c_str(), 0555), 0);
  }
  std::string at = "\"" + fixed + "/";
  EXPECT_EQ(caughtby(engine, store, "createfolder(" + at + "new\")"),
            "call(3): error: failed to create folder");
  EXPECT_EQ(caughtby(engine, store, "deletefile(" + at + "file\")"),
            "call(3): error: file could not be deleted");
  EXPECT_EQ(caughtby(engine, store, "renamefile(" + at + "file\", to = " + at + "moved\")"),
            "call(3): error: failed to rename");
  EXPECT_EQ(caughtby(engine, store, "deletefolder(" + at + "folder\")"),
            "call(3): error: folder could not be deleted");
  EXPECT_TRUE(std::filesystem::exists(fixed + "/file"));
  EXPECT_TRUE(std::filesystem::exists(fixed + "/folder"));
  chmod(fixed.c_str(), 0755); // the scratch folder is removed with everything in it
}

} // namespace
