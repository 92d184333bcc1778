// formatfiles.cpp - reading each file whole, formatting it, and writing it back through a
// file beside it that then takes its place, so that a failure never leaves half a script.
#include "formatfiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "format.h"
#include "scripttext.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

constexpr int exitsuccess = 0, exitchanged = 1, exitfailure = 2;
constexpr char const* standardinput = "-";
constexpr char const* scratchsuffix = ".vesk-format";

bool readfile(char const* path, std::string& text) {
  FILE* file = fopen(path, "rb");
  if (file == nullptr) {
    fprintf(stderr, "vesk: cannot read '%s': %s\n", path, strerror(errno));
    return false;
  }
  readstatus read = readtext(file, text);
  int error = errno;
  fclose(file);
  if (read == readstatus::toolarge)
    fprintf(stderr, "vesk: '%s' is larger than %s\n", path, maxscriptsize);
  else if (read == readstatus::failed)
    fprintf(stderr, "vesk: cannot read '%s': %s\n", path, strerror(error));
  return read == readstatus::complete;
}

bool writeall(FILE* file, std::string const& text) {
  return fwrite(text.data(), 1, text.size(), file) == text.size() && fflush(file) == 0;
}

// Writes `text` to a scratch file beside `path` with the same permissions, then renames it
// over `path`.
bool replacefile(char const* path, std::string const& text) {
  std::string scratch = std::string(path) + scratchsuffix;
  FILE* file = fopen(scratch.c_str(), "wb");
  bool written = file != nullptr && writeall(file, text);
  int error = errno;
  if (file != nullptr && fclose(file) != 0 && written) {
    written = false;
    error = errno;
  }
  std::error_code failed;
  if (written) fs::permissions(scratch, fs::status(path, failed).permissions(), failed);
  if (written) fs::rename(scratch, path, failed);
  if (written && !failed) return true;
  std::error_code ignored;
  fs::remove(scratch, ignored);
  fprintf(stderr, "vesk: cannot write '%s': %s\n", path,
          failed ? failed.message().c_str() : strerror(error));
  return false;
}

int formatinput(bool check) {
  std::string text;
  readstatus read = readtext(stdin, text);
  if (read != readstatus::complete) {
    fprintf(stderr, "vesk: cannot read standard input%s\n",
            read == readstatus::toolarge ? ": it holds more than 64 MiB" : "");
    return exitfailure;
  }
  std::string formatted = formatscript(text, true);
  if (check) {
    if (formatted == text) return exitsuccess;
    printf("%s\n", standardinput);
    return exitchanged;
  }
  return writeall(stdout, formatted) ? exitsuccess : exitfailure;
}

int formatfile(char const* path, bool check) {
  std::string text;
  if (!readfile(path, text)) return exitfailure;
  std::string formatted = formatscript(text);
  if (formatted == text) return exitsuccess;
  if (check) {
    printf("%s\n", path);
    return exitchanged;
  }
  return replacefile(path, formatted) ? exitsuccess : exitfailure;
}

} // namespace

int formatfiles(options const& opts) {
  int status = exitsuccess;
  for (char const* target : opts.checked) {
    bool input = strcmp(target, standardinput) == 0;
    int one = input ? formatinput(opts.formatcheck) : formatfile(target, opts.formatcheck);
    if (one > status) status = one;
  }
  return status;
}

} // namespace cli
