// scriptfiles.h - an input as several scripts: a line `#file NAME` starts the script file
// NAME.vk, and the lines before the first such line are the main script, run as lines. The
// files go into one scratch folder per process and are removed after the input, so that each
// input finds its own scripts and no others; deletefile and renamefile reach that folder only.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "builtins.h"
#include "fuzzing.h"
#include "scratchfolder.h"
#include "vesk.h"

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

// Whether a script deleted or renamed a file in the scratch folder since its files were last
// written.
inline bool& filesmoved() {
  static bool moved = false;
  return moved;
}

// A name the confined file functions take: letters, digits, '_' and '.', not beginning with
// '.' (so neither "." nor ".." nor a hidden file), no longer than a script's name with ".vk".
inline bool plainfilename(char const* name) {
  std::size_t const length = strlen(name);
  if (length == 0 || length > maxnamelength + 3 || name[0] == '.') return false;
  for (std::size_t i = 0; i < length; ++i)
    if (!callable(name + i, 1) && !(name[i] >= '0' && name[i] <= '9') && name[i] != '.')
      return false;
  return true;
}

// Runs the file built-in `builtin` confined to the scratch folder: on a copy of the call's
// parameters in which each text, which must be a plain file name, is the path of that name in
// the folder. The marks the built-in leaves on the copies are carried over to the call's own
// parameters, so that the engine reports the same unused ones. Any other text fails the call
// before the built-in runs.
inline bool inscratchfolder(vesk::scriptfunc builtin, vesk::stack* opstack,
                            vesk::parameters* params, vesk::variables* globals, vesk::logfunc log) {
  vesk::parameters confined;
  vesk::variable walker = *params; // a copy of the header: the list's own cursor stays put
  char* name = nullptr;
  for (vesk::variable* p = walker.first(&name); p != nullptr; p = walker.next(&name)) {
    if (p->isstring() && !plainfilename(p->string())) {
      confined.reset();
      log(vesk::logerror, "only plain file names of the scratch folder");
      return false;
    }
    std::string const path = p->isstring() ? scriptfolder().path(p->string()) : "";
    vesk::variable copy = p->isstring() ? vesk::variable(path.c_str()) : *p;
    check(confined.add(&copy, name) != nullptr, "a parameter list can be copied");
  } // a list in `confined` is the call's: reset() below gives back only confined's own blocks
  filesmoved() = true;
  bool const ok = builtin(opstack, &confined, globals, log);
  vesk::variable mark = confined;
  for (vesk::variable *p = walker.first(), *c = mark.first(); p != nullptr && c != nullptr;
       p = walker.next(), c = mark.next())
    p->processed(c->isprocessed());
  confined.reset();
  return ok;
}

inline bool deletefile(vesk::stack* opstack, vesk::parameters* params, vesk::variables* globals,
                       vesk::logfunc log) {
  return inscratchfolder(vesk::builtins::deletefile, opstack, params, globals, log);
}

inline bool renamefile(vesk::stack* opstack, vesk::parameters* params, vesk::variables* globals,
                       vesk::logfunc log) {
  return inscratchfolder(vesk::builtins::renamefile, opstack, params, globals, log);
}

// Registers the confined deletefile and renamefile; registered before the built-ins, they are
// the ones scripts call (the first registration of a name wins).
inline void addconfinedfilefuncs(vesk::interpreter& engine) {
  check(engine.add(deletefile, "deletefile") && engine.add(renamefile, "renamefile"),
        "the confined file functions can be registered");
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
  ~scriptfiles() { clearfolder(); }
  scriptfiles(scriptfiles const&) = delete;
  scriptfiles& operator=(scriptfiles const&) = delete;

  // The main script as lines, cut as the engine cuts a file; empty when the input starts
  // with a marker.
  std::vector<char const*>& mainlines() { return lines; }
  // The main script file: the first file when the input starts with a marker, else "".
  std::string const& mainfile() const { return first; }
  // The script files as the input gave them: name with ".vk", text.
  std::vector<std::pair<std::string, std::string>> const& files() const { return written; }
  // The name of the main lines in diagnostics: in the scripts' folder, so that the scripts
  // they call are found beside them.
  std::string mainname() const { return scriptfolder().path("fuzz.vk"); }
  // Writes the files again as the input gave them when a script deleted or renamed a file
  // since they were written, so that every run starts from the same files.
  void restore() {
    if (!filesmoved()) return;
    clearfolder();
    for (auto const& [file, text] : written) scriptfolder().writefile(file, text);
  }

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
    written.emplace_back(file, std::string(from, to));
  }

  // Removes everything in the scratch folder: the files written and what renames made of
  // them.
  static void clearfolder() {
    std::error_code ignored;
    for (auto const& entry : std::filesystem::directory_iterator(scriptfolder().root, ignored))
      std::filesystem::remove_all(entry.path(), ignored);
    filesmoved() = false;
  }

  std::vector<char> maintext;
  std::vector<char const*> lines;
  std::vector<std::string> names;
  std::vector<std::pair<std::string, std::string>> written; // file name, text
  std::string first;
};

} // namespace fuzzing
