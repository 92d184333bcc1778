// check.cpp - reading each script file and handing its lines to the engine's check, or to its
// listing of compiled lines (--list). With -W the check's warnings are written as errors and
// count as errors.
#include "check.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scriptfile.h"
#include "scripttext.h"

namespace cli {

namespace {

constexpr int exitsuccess = 0, exitfailure = 1, exitusage = 2;
constexpr char const* warningtag = ": warning: ";
constexpr char const* errortag = ": error: ";

messages* written = nullptr; // where the check's lines go while it runs

void writestrict(int level, char const* text) {
  char const* tag = level == vesk::logwarning ? strstr(text, warningtag) : nullptr;
  if (tag == nullptr) {
    written->write(level, text);
    return;
  }
  std::string line(text, tag);
  written->write(vesk::logerror, (line + errortag + (tag + strlen(warningtag))).c_str());
}

void writeplain(int level, char const* text) {
  written->write(level, text);
}

// Reads the script file found at `path`; false after a message.
bool readscript(char const* path, std::string& text, std::vector<char const*>& lines,
                messages& out) {
  FILE* file = fopen(path, "rb");
  readstatus read = readstatus::failed;
  int error = errno;
  if (file != nullptr) {
    read = readlines(file, text, lines);
    error = errno;
    fclose(file);
  }
  if (read == readstatus::complete) return true;
  out.flush();
  if (read == readstatus::toolarge)
    fprintf(stderr, "vesk: script '%s' is larger than %s\n", path, maxscriptsize);
  else if (read == readstatus::nulbyte)
    fprintf(stderr, "%s(%zu): error: line holds a NUL byte\n", path, lines.size() + 1);
  else
    fprintf(stderr, "vesk: cannot read script '%s': %s\n", path, strerror(error));
  return false;
}

// The status of checking one file.
int checkone(vesk::interpreter& engine, char const* target, options const& opts, char separator,
             messages& lines) {
  std::string path, problem, text;
  if (!findscript(target, opts.directories, separator, path, problem)) {
    lines.flush();
    fprintf(stderr, "vesk: %s\n", problem.c_str());
    return exitusage;
  }
  std::vector<char const*> script;
  if (!readscript(path.c_str(), text, script, lines)) return exitusage;
  if (opts.what == mode::list)
    return engine.list(script.data(), static_cast<int>(script.size()), path.c_str()) < 0
               ? exitusage
               : exitsuccess;
  int warnings = 0;
  int errors =
      engine.check(script.data(), static_cast<int>(script.size()), path.c_str(), &warnings);
  if (errors < 0) return exitusage;
  return errors > 0 || (opts.strict && warnings > 0) ? exitfailure : exitsuccess;
}

} // namespace

int checkscripts(vesk::interpreter& engine, options const& opts, char separator, messages& lines) {
  written = &lines;
  engine.setlogfunc(opts.strict ? writestrict : writeplain);
  int status = exitsuccess;
  for (char const* target : opts.checked) {
    int one = checkone(engine, target, opts, separator, lines);
    if (one > status) status = one;
  }
  written = nullptr;
  return status;
}

} // namespace cli
