// confined_fuzz.cpp - libFuzzer target: random path texts for the file built-ins of an
// interpreter confined to one folder, box. After each input nothing in the scratch tree outside
// box may have changed, nor the working folder; then box's contents are made again if they
// changed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "fuzzing.h"
#include "platform.h"
#include "scratchfolder.h"
#include "vesk.h"

// Each line of an input is one operation, picked by its first byte ('0' deletefile, '1'
// renamefile, '2' createfolder, '3' enumfiles, '4' enumfolders, '5' getfolderpath, '6'
// deletefolder, and so on round), on the path written after it (a tab divides renamefile's two
// paths). box lies `depth` folders below the scratch tree's top, deeper than ".." can climb in
// the 127 characters a text keeps, and a path that begins with '/' is taken from box's parent:
// even a path that a faulty confinement let through could not leave the scratch tree. box
// holds links that lead out (relative, absolute, from a sub-folder), one that stays inside and
// one to its parent.
namespace {

namespace fs = std::filesystem;

constexpr int depth = 48;            // folders between the scratch tree's top and box's parent
constexpr std::size_t maxlines = 16; // operations of one input
constexpr int operations = 7;        // what a line's first byte picks from

struct tree {
  vesktest::scratchfolder scratch;
  std::string parent; // box's parent, where '/' of an input's path leads
  std::string box;
  std::string working; // the process's working folder
};

void touch(std::string const& path) {
  if (std::FILE* file = std::fopen(path.c_str(), "w")) std::fclose(file);
}

// Every entry below `top` but those inside `box`: its kind, and a link's target.
std::map<std::string, std::string> snapshot(std::string const& top, std::string const& box) {
  std::map<std::string, std::string> entries;
  std::error_code error;
  for (auto walk = fs::recursive_directory_iterator(top, error);
       walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    fs::path const& path = walk->path();
    if (path == box) walk.disable_recursion_pending();
    entries[path.string()] = walk->is_symlink() ? "link " + fs::read_symlink(path, error).string()
                             : walk->is_directory() ? "folder"
                                                    : "file";
  }
  return entries;
}

// The names in a folder, not below it.
std::vector<std::string> names(std::string const& folder) {
  std::vector<std::string> found;
  std::error_code error;
  for (auto const& entry : fs::directory_iterator(folder, error))
    found.push_back(entry.path().filename().string());
  return found;
}

// box and what it holds: a, b, sub/c, sub/deeper, the empty folder empty, and the links.
void fillbox(tree const& scratch) {
  std::error_code error;
  fs::remove_all(scratch.box, error);
  fs::create_directories(scratch.box + "/sub/deeper", error);
  fs::create_directory(scratch.box + "/empty", error);
  for (char const* file : {"/a", "/b", "/sub/c"}) touch(scratch.box + file);
  struct link {
    char const* name;
    std::string target;
  } const links[] = {{"/in", "sub"},
                     {"/out", "../victim"},
                     {"/sub/esc", "../../outside"},
                     {"/abs", scratch.parent + "/outside"},
                     {"/up", ".."}};
  for (link const& made : links) fs::create_symlink(made.target, scratch.box + made.name, error);
}

// The levels down to box's parent, each with a file f; beside box the file victim and the
// folder outside with victim and inner.
void build(tree& made) {
  fuzzing::check(made.scratch.ready(), "a scratch folder can be made");
  std::string level = made.scratch.root;
  for (int i = 0; i < depth; ++i) {
    level += "/d";
    fs::create_directory(level);
    touch(level + "/f");
  }
  made.parent = level;
  made.box = level + "/box";
  fs::create_directories(level + "/outside/inner");
  touch(level + "/victim");
  touch(level + "/outside/victim");
  made.working = fs::current_path().string();
}

tree& scratchtree() {
  static tree made;
  static bool const built = (build(made), true);
  (void)built;
  return made;
}

// The path an input wrote: a leading '/' leads to box's parent.
std::string pathof(std::string const& text, tree const& scratch) {
  return !text.empty() && text[0] == '/' ? scratch.parent + text : text;
}

// Runs one operation on the confined interpreter; the paths reach the script as p and q.
void operate(vesk::interpreter& engine, vesk::variables& globals, int operation,
             std::string const& from, std::string const& to, std::string const& box) {
  static char const* const lines[] = {"deletefile p",       "renamefile p, to = q",
                                      "createfolder p",     "x = enumfiles(p)",
                                      "x = enumfolders(p)", "x = getfolderpath(p)"};
  if (operation == operations - 1) {
    // deletefolder tries ten times 100 ms apart: the platform's confined removal stands in,
    // on the text as a script would hold it (127 characters at most).
    vesk::variable path(from.c_str());
    vesk::platform::allowedfolders* folders = vesk::platform::newallowedfolders();
    if (vesk::platform::allowfolder(folders, box.c_str()))
      vesk::platform::removefolderinside(folders, path.string());
    vesk::platform::deleteallowedfolders(folders);
    return;
  }
  vesk::parameters params;
  params.add(from.c_str(), "p");
  params.add(to.c_str(), "q");
  globals.setoverlay(&params);
  engine.execute(lines[operation], "confined");
  globals.setoverlay(nullptr);
  params.reset();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  tree& scratch = scratchtree();
  static std::map<std::string, std::string> const before = [&] {
    fillbox(scratch);
    return snapshot(scratch.scratch.root, scratch.box);
  }();
  static std::map<std::string, std::string> const filled = snapshot(scratch.box, "");
  static std::vector<std::string> const workingbefore = names(scratch.working);
  std::vector<char> text = fuzzing::terminated(data, size);
  std::vector<char const*> lines = fuzzing::cutlines(text);
  vesk::variables globals;
  {
    vesk::interpreter engine(&globals, fuzzing::sink);
    engine.addinternalfuncs(nullptr);
    fuzzing::check(engine.allowfolder(scratch.box.c_str()), "the scratch box can be allowed");
    if (lines.size() > maxlines) lines.resize(maxlines);
    for (char const* line : lines) {
      if (*line == '\0') continue;
      std::string rest = line + 1;
      size_t tab = rest.find('\t');
      std::string from = pathof(rest.substr(0, tab), scratch);
      std::string to = tab == std::string::npos ? "x" : pathof(rest.substr(tab + 1), scratch);
      operate(engine, globals, static_cast<unsigned char>(*line - '0') % operations, from, to,
              scratch.box);
    }
  }
  fuzzing::check(snapshot(scratch.scratch.root, scratch.box) == before,
                 "nothing outside the allowed folder changed");
  fuzzing::check(fs::current_path().string() == scratch.working, "the working folder stayed");
  fuzzing::check(names(scratch.working) == workingbefore, "nothing in it changed");
  fuzzing::check(fs::is_directory(fs::symlink_status(scratch.box)), "the allowed folder stays");
  fuzzing::release(globals);
  if (snapshot(scratch.box, "") != filled) fillbox(scratch);
  return 0;
}
