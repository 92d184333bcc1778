// libraries.cpp - extension libraries: a shared library exporting `run` (one function, named
// after the library's file) or `modules`/`modulename` (up to 1000 functions with their own
// names) is loaded once, kept until the process ends, and its functions are registered.
#include <cstdio>
#include <cstring>

#include "caller.h"
#include "platform.h"

namespace vesk {

namespace {

constexpr int maxmodules = 1000;
constexpr int listedclashes = 3; // names that the message about names already taken lists

typedef scriptfunc (*modulesentry)(int index);
typedef char const* (*modulenameentry)(scriptfunc func);

// Entry points by their decorated names first, then (where the platform has them looked for)
// by the C names of vesk.h's export macros.
constexpr char const* runnames[] = {
    "?run@@YA_NPAVstack@vesk@@PAVparameters@2@PAVvariables@2@P6AXHPBD@Z@Z", "vesk_run"};
constexpr char const* modulesnames[] = {
    "?modules@@YAP6A_NPAVstack@vesk@@PAVparameters@2@PAVvariables@2@P6AXHPBD@Z@ZH@Z",
    "vesk_modules"};
constexpr char const* modulenamenames[] = {
    "?modulename@@YAPBDP6A_NPAVstack@vesk@@PAVparameters@2@PAVvariables@2@P6AXHPBD@Z@Z@Z",
    "vesk_modulename"};

void* entry(void* library, char const* const (&names)[2]) {
  if (void* symbol = platform::findsymbol(library, names[0])) return symbol;
  return platform::cnamedentries ? platform::findsymbol(library, names[1]) : nullptr;
}

// The functions of a library whose names are registered already: reported in one message,
// which gives their number and the first few names, after the library has been read.
struct clashes {
  int count = 0;
  char names[listedclashes * (maxfuncnamelen + 2) + 1] = ""; // with ", " between them

  void note(char const* name) {
    if (count++ >= listedclashes) return;
    size_t used = strlen(names);
    snprintf(names + used, sizeof names - used, "%s%s", used > 0 ? ", " : "", name);
  }
};

char const* basename(char const* path) {
  char const* base = path;
  for (char const* p = path; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

} // namespace

// Registers one function of a library, reporting why it could not be registered.
bool caller::addfromlibrary(scriptfunc func, char const* name, char const* base) {
  if (name == nullptr || name[0] == '\0') {
    error("'%s' offers a function without a name", base);
    return false;
  }
  if (strlen(name) > maxfuncnamelen) {
    error("'%s/%s' name longer than 31 characters", name, base);
    return false;
  }
  enrolled result = enroll(func, name);
  if (result == enrolled::added) return true;
  if (result == enrolled::nomemory)
    error(msg_memory);
  else
    error("'%s/%s' already defined", name, base);
  return false;
}

bool caller::add(char const* libraryname) {
  if (libraryname == nullptr) return false;
  char const* base = basename(libraryname);
  void* library = platform::openlibrary(libraryname);
  if (library == nullptr) {
    error("'%s' not a valid DLL", base);
    return false;
  }
  if (auto run = reinterpret_cast<scriptfunc>(entry(library, runnames))) {
    char name[messagesize];
    copytext(name, base, messagesize - 1);
    if (char* dot = strrchr(name, '.')) *dot = '\0';
    return addfromlibrary(run, name, base);
  }
  auto modules = reinterpret_cast<modulesentry>(entry(library, modulesnames));
  auto modulename = reinterpret_cast<modulenameentry>(entry(library, modulenamenames));
  if (modules == nullptr || modulename == nullptr) {
    error("'%s' contains no functions", base);
    return false;
  }
  bool all = true;
  clashes taken;
  int i = 0;
  for (; i < maxmodules; ++i) {
    scriptfunc func = modules(i);
    // An empty table loads (there is nothing to refuse), but the host is told.
    if (func == nullptr && i == 0) {
      char text[messagesize];
      snprintf(text, sizeof text, "'%s' offers no functions", base);
      warning(text);
    }
    if (func == nullptr) break;
    char const* name = modulename(func);
    enrolled result = enrolled::refused;
    if (name == nullptr || name[0] == '\0' || strlen(name) > maxfuncnamelen)
      addfromlibrary(func, name, base); // refused, with its message
    else if ((result = enroll(func, name)) == enrolled::added)
      continue;
    else if (result == enrolled::refused)
      taken.note(name);
    all = false;
    if (result == enrolled::nomemory) { // the rest would fare no better
      error(msg_memory);
      break;
    }
  }
  if (taken.count == 1) error("'%s/%s' already defined", taken.names, base);
  if (taken.count > 1) {
    char text[messagesize];
    snprintf(text, sizeof text, "'%s': %d names already defined: %s%s", base, taken.count,
             taken.names, taken.count > listedclashes ? ", ..." : "");
    error(text);
  }
  // The first maxmodules functions are registered; the library offers more than that.
  if (i < maxmodules || modules(maxmodules) == nullptr) return all;
  error("'%s' has more than 1000 functions; the rest are not registered", base);
  return false;
}

} // namespace vesk
