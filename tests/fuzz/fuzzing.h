// fuzzing.h - what the fuzz targets share: the bounds of a run, the input as a text and as
// lines, a log sink that reads every line it is given, the built-ins a fuzzed script must not
// reach, a printed form of a whole value tree (to compare stores and to make the sanitizers
// read every value), and the release of a store, which a host owns after each input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "vesk.h"

namespace fuzzing {

// The bounds of a fuzzed run: enough statements for loops to run a while, few enough that one
// input takes milliseconds; stored lists far below the fuzzer's memory limit, and small enough
// that a loop whose every statement copies a list near the limit (and fails) ends in about two
// seconds under the sanitizers (the limit times the statements bounds an input's work).
constexpr long long statementlimit = 10000;
constexpr unsigned long long storelimit = 256ull << 10;

// Stops the run as a finding when a property of the engine does not hold.
inline void check(bool holds, char const* property) {
  if (holds) return;
  fprintf(stderr, "property violated: %s\n", property);
  __builtin_trap();
}

// The input as a text: the engine reads texts up to their NUL, so the copy ends with one.
inline std::vector<char> terminated(std::uint8_t const* data, std::size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  return text;
}

// Cuts the text in place at each LF (a CR before it belongs to the line end), the way the
// engine cuts a script file it has read.
inline std::vector<char const*> cutlines(std::vector<char>& text) {
  std::vector<char const*> lines;
  char* start = text.data();
  char* end = text.data() + strlen(text.data());
  while (start < end) {
    char* newline = static_cast<char*>(memchr(start, '\n', static_cast<std::size_t>(end - start)));
    char* stop = newline ? newline : end;
    if (stop > start && stop[-1] == '\r') stop[-1] = '\0';
    *stop = '\0';
    lines.push_back(start);
    start = stop + 1;
  }
  return lines;
}

// Receives every diagnostic and output line: the level must be one of the four, and the text
// is read to its end so that an unterminated or dangling line is caught.
inline void sink(int level, char const* text) {
  check(level >= vesk::logtrace && level <= vesk::logoutput, "log level is 0..3");
  check(text != nullptr, "log text is not null");
  static volatile std::size_t total = 0;
  total = total + strlen(text);
}

// Built-ins that would let a fuzzed script touch the machine's files.
inline bool touchesfiles(char const* name) {
  static char const* const held[] = {"getfolderpath", "enumfiles",  "enumfolders", "deletefile",
                                     "deletefolder",  "renamefile", "createfolder"};
  for (char const* h : held)
    if (strcmp(h, name) == 0) return true;
  return false;
}

// The same, and sleep: a target without a time budget (hostrun.h) holds it back too.
inline bool touchesmachine(char const* name) {
  return strcmp(name, "sleep") == 0 || touchesfiles(name);
}

constexpr int maxdepth = 256; // beyond the engine's own bound on nested lists

// Appends a printed form of `value`: type, payload, flags and, for lists, every element with
// its name. Every byte of every reachable value is read, so storage that was given back while
// still referenced is reported by the address sanitizer here.
inline void describe(vesk::variable* value, std::string& out, int depth) {
  check(depth <= maxdepth, "stored lists are nested at most as deep as the engine allows");
  char line[64];
  snprintf(line, sizeof line, "<%d f%d>", static_cast<int>(value->type()),
           static_cast<int>(value->isdisabled()) | value->haserror() << 1 |
               value->isinvalid() << 2 | value->ischanged() << 3);
  out += line;
  if (value->isnumber()) {
    double number = value->number();
    std::uint64_t bits = 0;
    memcpy(&bits, &number, sizeof bits);
    snprintf(line, sizeof line, "%llx", static_cast<unsigned long long>(bits));
    out += line;
  } else if (value->isstring()) {
    out += value->string();
  } else if (value->islist() || value->isnamedlist()) {
    vesk::variable walker = *value; // a copy of the header: the list's own cursor stays put
    char* name = nullptr;
    bool named = value->isnamedlist();
    out += '{';
    for (vesk::variable* e = named ? walker.first(&name) : walker.first(); e != nullptr;
         e = named ? walker.next(&name) : walker.next()) {
      if (named) (out += name ? name : "<null name>") += '=';
      describe(e, out, depth + 1);
      out += ',';
    }
    out += '}';
  }
}

inline std::string describe(vesk::variable* value) {
  std::string out;
  describe(value, out, 0);
  return out;
}

// Gives back the storage of a value and of every list inside it, as a host must. The elements
// are walked with a cursor (on a copy of the header): index(i) would walk the block chain from
// the start for every element.
inline void release(vesk::variable& value, int depth = 0) {
  if (!value.islist() && !value.isnamedlist()) return;
  vesk::variable walker = value;
  if (depth < maxdepth)
    for (vesk::variable* e = walker.first(); e != nullptr; e = walker.next())
      release(*e, depth + 1);
  value.reset();
}

} // namespace fuzzing
