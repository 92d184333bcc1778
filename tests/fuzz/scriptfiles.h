// scriptfiles.h - an input as several scripts: a line `#file NAME` starts the script file
// NAME.vk, and the lines before the first such line are the main script, run as lines. The
// files go into one scratch folder per process and are removed after the input, so that each
// input finds its own scripts and no others.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzzing.h"
#include "scratchfolder.h"

namespace fuzzing {

constexpr std::size_t maxfiles = 8;       // script files one input may define
constexpr std::size_t maxnamelength = 31; // as long as a function's name may be
constexpr char filemarker[] = "#file ";

// The per-process folder the scripts are written to.
inline vesktest::scratchfolder const& scriptfolder() {
  static vesktest::scratchfolder const folder;
  check(folder.ready(), "a scratch folder for the input's scripts can be made");
  return folder;
}

// Whether `name` (of `length` bytes) can be called from a script: a letter or an underscore,
// then letters, digits and underscores.
inline bool callable(char const* name, std::size_t length) {
  if (length == 0 || length > maxnamelength) return false;
  auto isletter = [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  };
  if (!isletter(name[0])) return false;
  for (std::size_t i = 1; i < length; ++i)
    if (!isletter(name[i]) && !(name[i] >= '0' && name[i] <= '9')) return false;
  return true;
}

class scriptfiles {
public:
  // Splits the input: the main script's lines are kept, every file is written. A marker
  // beyond the count of files, or naming a file again, is an ordinary line of the script
  // before it.
  scriptfiles(std::uint8_t const* data, std::size_t size) {
    char const* text = reinterpret_cast<char const*>(data);
    char const* end = text + size;
    char const* part = text; // where the text of the current part starts
    for (char const* line = text; line < end;) {
      char const* newline = static_cast<char const*>(memchr(line, '\n', std::size_t(end - line)));
      char const* next = newline ? newline + 1 : end;
      std::string marked = markedname(line, newline ? newline : end);
      if (!marked.empty()) {
        finish(part, line);
        if (line == text) first = marked;
        names.push_back(marked);
        part = next;
      }
      line = next;
    }
    finish(part, end);
  }
  ~scriptfiles() {
    std::error_code ignored;
    for (std::string const& file : written) std::filesystem::remove(file, ignored);
  }
  scriptfiles(scriptfiles const&) = delete;
  scriptfiles& operator=(scriptfiles const&) = delete;

  // The main script as lines, cut as the engine cuts a file; empty when the input starts
  // with a marker.
  std::vector<char const*>& mainlines() { return lines; }
  // The main script file: the first file when the input starts with a marker, else "".
  std::string const& mainfile() const { return first; }
  // The name of the main lines in diagnostics: in the scripts' folder, so that the scripts
  // they call are found beside them.
  std::string mainname() const { return scriptfolder().path("fuzz.vk"); }

private:
  // The file a marker line names, or "" when the line is no marker, the files are counted
  // out, or the name was given before.
  std::string markedname(char const* line, char const* stop) const {
    if (stop > line && stop[-1] == '\r') --stop;
    std::size_t const prefix = sizeof filemarker - 1;
    if (std::size_t(stop - line) <= prefix || memcmp(line, filemarker, prefix) != 0) return "";
    std::string name(line + prefix, stop);
    if (!callable(name.data(), name.size()) || names.size() >= maxfiles) return "";
    for (std::string const& known : names)
      if (known == name) return "";
    return name;
  }

  // Ends the part that began at `from`: the main script's lines before the first marker,
  // else the file the last marker named, written byte for byte.
  void finish(char const* from, char const* to) {
    if (names.empty()) {
      maintext.assign(from, to);
      maintext.push_back('\0');
      lines = cutlines(maintext);
      return;
    }
    std::string file = names.back() + ".vk";
    scriptfolder().writefile(file, std::string(from, to));
    written.push_back(scriptfolder().path(file));
  }

  std::vector<char> maintext;
  std::vector<char const*> lines;
  std::vector<std::string> names;
  std::vector<std::string> written;
  std::string first;
};

} // namespace fuzzing
