// loader_posix.cpp - extension libraries through dlopen, with the flags the engine uses
// (every symbol bound at once, kept private), so that both loads share one handle.
#include <dlfcn.h>

#include <cstring>

#include "loader.h"
#include "vesk.h"

namespace cli {

namespace {

constexpr int mostfunctions = 1000; // the engine registers no more of one library

typedef vesk::scriptfunc (*functionat)(int index);
typedef char const* (*nameof)(vesk::scriptfunc func);

void* open(char const* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

// The file name without folders and without its last extension.
std::string runname(char const* path) {
  char const* slash = strrchr(path, '/');
  std::string name = slash != nullptr ? slash + 1 : path;
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

bool loadlibrary(char const* path, std::string& reason) {
  if (open(path) != nullptr) return true;
  char const* why = dlerror();
  reason = why != nullptr ? why : "unknown reason";
  return false;
}

std::vector<std::string> libraryfunctions(char const* path) {
  std::vector<std::string> names;
  void* library = open(path);
  if (library == nullptr) return names;
  if (dlsym(library, "vesk_run") != nullptr) {
    names.push_back(runname(path));
    return names;
  }
  auto functions = reinterpret_cast<functionat>(dlsym(library, "vesk_modules"));
  auto name = reinterpret_cast<nameof>(dlsym(library, "vesk_modulename"));
  if (functions == nullptr || name == nullptr) return names;
  for (int i = 0; i < mostfunctions; ++i) {
    vesk::scriptfunc func = functions(i);
    if (func == nullptr) break;
    if (char const* text = name(func)) names.emplace_back(text);
  }
  return names;
}

} // namespace cli
