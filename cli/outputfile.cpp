// outputfile.cpp - report files through the standard file-system library: a path is classified
// before it is opened (opening a FIFO to read its first line would wait for a writer), and a
// regular file is replaced by renaming a complete temporary file over it. A link is followed, so
// that the file it points to is replaced, not the link.
#include "outputfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "platform.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// The longest first line compared with the starts a report's file begins with.
constexpr std::size_t firstlinebytes = 256;

// A name beside `path` that no other writer is likely to choose at the same time.
std::string temporaryname(std::string const& path) {
  static std::mt19937 numbers{std::random_device{}()};
  return path + "." + std::to_string(numbers()) + ".tmp";
}

// The file a link points to, as the path to replace; the path itself otherwise.
std::string followlinks(std::string const& path) {
  std::error_code failed;
  if (!fs::is_symlink(fs::symlink_status(path, failed))) return path;
  fs::path target = fs::weakly_canonical(path, failed);
  return failed ? path : target.string();
}

// Writes everything to `out` and closes it; the reason of the first failure in `problem`. A
// file that is to replace another (`todisk`) is on the disk before it does: renamed over the
// earlier file before then, a crash could leave the report empty.
bool writeclose(FILE* out, std::function<bool(FILE*)> const& write, bool todisk,
                std::string& problem) {
  errno = 0;
  bool written = write(out);
  if (fflush(out) != 0 || ferror(out) != 0) written = false;
  if (written && todisk && !vesk::platform::syncfile(out)) written = false;
  int error = errno;
  if (fclose(out) != 0) {
    if (written) error = errno;
    written = false;
  }
  if (!written) problem = error != 0 ? strerror(error) : "the write failed";
  return written;
}

} // namespace

std::string absolutepath(char const* path) {
  std::error_code failed;
  fs::path absolute = fs::absolute(path, failed);
  return failed ? std::string(path) : absolute.lexically_normal().string();
}

bool samefile(std::string const& one, std::string const& other) {
  std::error_code failed;
  return fs::equivalent(one, other, failed) && !failed;
}

bool replaceable(std::string const& path, std::vector<char const*> const& starts) {
  std::error_code failed;
  fs::file_status status = fs::status(path, failed);
  if (!fs::exists(status) || !fs::is_regular_file(status)) return true;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char first[firstlinebytes] = "";
  bool empty = fgets(first, sizeof first, file) == nullptr && feof(file) != 0;
  fclose(file);
  if (empty) return true;
  for (char const* start : starts)
    if (strncmp(first, start, strlen(start)) == 0) return true;
  return false;
}

bool replacefile(std::string const& path, std::function<bool(FILE*)> const& write,
                 std::string& problem) {
  std::string target = followlinks(path);
  std::error_code failed;
  fs::file_status status = fs::status(target, failed);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    FILE* out = fopen(target.c_str(), "w");
    if (out == nullptr) {
      problem = strerror(errno);
      return false;
    }
    return writeclose(out, write, false, problem);
  }
  std::string temporary = temporaryname(target);
  FILE* out = fopen(temporary.c_str(), "w");
  if (out == nullptr) {
    problem = strerror(errno);
    return false;
  }
  if (writeclose(out, write, true, problem)) {
    fs::rename(temporary, target, failed);
    if (!failed) return true;
    problem = failed.message();
  }
  fs::remove(temporary, failed);
  return false;
}

} // namespace cli
