// files.cpp - the file-system built-ins: getfolderpath, enumfiles, enumfolders, deletefile,
// deletefolder, renamefile and createfolder, on top of the platform layer. Paths go to the
// platform as the script gives them; composed paths are "%s/%s" in buffers of 512 characters
// and an entry whose path does not fit there is left out rather than cut.
#include <cstdio>
#include <cstring>

#include "scriptcache.h"
#include "arguments.h"
#include "builtins.h"
#include "internal.h"
#include "platform.h"
#include "storeaccess.h"

namespace vesk::builtins {

namespace {

constexpr int pathbuffersize = 512; // folder paths and composed entry paths, NUL included
constexpr int removeattempts = 10;
constexpr unsigned removeretrymilliseconds = 100;

// The identifiers of getfolderpath and the shell folder numbers (CSIDL) they stand for; the
// platform maps the numbers to folders (docs/folders.md).
struct folderid {
  char const* name;
  int csidl;
};

constexpr folderid folderids[] = {
    {"APPDATA", 26}, {"DESKTOP", 0},  {"DESKTOPDIRECTORY", 16}, {"FAVORITES", 6},
    {"FONTS", 20},   {"MYMUSIC", 13}, {"MYPICTURES", 39},       {"MYVIDEO", 14},
    {"PERSONAL", 5}, {"PROFILE", 40}, {"PROGRAM_FILES", 38},    {"PROGRAMS", 2},
    {"RECENT", 8},   {"STARTUP", 7},  {"WINDOWS", 36},          {"COMMON_APPDATA", 35},
};

constexpr char msg_cutpath[] = "path longer than 127 characters";

// A path that lost characters on its way (a text keeps 127) names another file or folder: it
// never reaches the file system.
bool whole(variable const* path, logfunc log) {
  return !storeaccess::iscut(*path) || fail(log, msg_cutpath);
}

folderid const* findfolderid(char const* name) {
  for (folderid const& id : folderids)
    if (std::strcmp(id.name, name) == 0) return &id;
  return nullptr;
}

// What enumfiles and enumfolders collect while the platform lists a folder.
struct listing {
  char const* folder;
  bool folders; // keep sub-folders (enumfolders) or everything else (enumfiles)
  variable* list;
};

void addentry(void* context, char const* name, bool isfolder) {
  auto* collect = static_cast<listing*>(context);
  if (isfolder != collect->folders) return;
  char path[pathbuffersize];
  int length =
      snprintf(path, sizeof path, "%s%c%s", collect->folder, platform::pathseparator, name);
  if (length < 0 || length >= pathbuffersize) return; // does not fit: left out, never cut
  collect->list->add(path);
}

// The folder's files or sub-folders as one list of "folder/name" strings, in the order the
// platform gives them. A folder that cannot be listed (or whose path does not fit the
// buffer) gives an empty list.
bool enumerate(char const* function, bool folders, stack* opstack, parameters* params,
               logfunc log) {
  variable* folder = firststring(params, log, "folder expected");
  if (folder == nullptr || !whole(folder, log)) return false;
  variable* list = pushlist(opstack, function, log);
  if (list == nullptr) return false;
  if (std::strlen(folder->string()) + 2 < pathbuffersize) { // room for the pattern "%s/*"
    listing collect{folder->string(), folders, list};
    platform::listfolder(folder->string(), addentry, &collect);
  }
  // The list's storage lives until the statement ends; a host calling directly owns it.
  keepforstatement(opstack, *list);
  return true;
}

// Waits between attempts without holding the statement lock when a script is running.
void waitretry(stack* opstack) {
  if (opstack != nullptr)
    sleepunlocked(opstack, removeretrymilliseconds);
  else
    platform::sleepmilliseconds(removeretrymilliseconds);
}

bool removefolder(char const* path, stack* opstack) {
  for (int attempt = 0; attempt < removeattempts; ++attempt) {
    if (platform::removefolder(path)) return true;
    waitretry(opstack);
  }
  return false;
}

} // namespace

bool getfolderpath(stack* opstack, parameters* params, variables*, logfunc log) {
  constexpr char invalid[] = "invalid folder id expected";
  variable* id = firststring(params, log, "folder id expected");
  if (id == nullptr) return false;
  folderid const* found = findfolderid(id->string());
  if (found == nullptr) return fail(log, invalid);
  char path[pathbuffersize + 1]; // 512 characters and the NUL
  if (!platform::specialfolderpath(found->csidl, path, sizeof path)) return fail(log, invalid);
  return pushresult(opstack, path, "getfolderpath", log);
}

bool enumfiles(stack* opstack, parameters* params, variables*, logfunc log) {
  return enumerate("enumfiles", false, opstack, params, log);
}

bool enumfolders(stack* opstack, parameters* params, variables*, logfunc log) {
  return enumerate("enumfolders", true, opstack, params, log);
}

// deletefile: each string argument a file, in call order; the first failure ends the call.
bool deletefile(stack*, parameters* params, variables*, logfunc log) {
  forgetscripts(); // the script files known so far may be about to go
  arguments args(params);
  for (variable* path = args.firststring(); path != nullptr; path = args.nextstring()) {
    path->processed(true);
    if (!whole(path, log)) return false;
    if (!platform::deletefile(path->string())) return fail(log, "file could not be deleted");
  }
  return true;
}

// deletefolder: first makes "/" the process's current directory (for good, for every thread:
// relative paths are taken from there afterwards), then removes each empty folder named by
// a string argument, trying ten times 100 ms apart.
bool deletefolder(stack* opstack, parameters* params, variables*, logfunc log) {
  platform::changetorootfolder();
  forgetscripts(); // relative script folders now mean other folders
  arguments args(params);
  for (variable* path = args.firststring(); path != nullptr; path = args.nextstring()) {
    path->processed(true);
    if (!whole(path, log)) return false;
    if (!removefolder(path->string(), opstack)) return fail(log, "folder could not be deleted");
  }
  return true;
}

// renamefile(path, to = newpath): never replaces an existing file or folder at newpath.
bool renamefile(stack*, parameters* params, variables*, logfunc log) {
  variable* from = firststring(params, log, "folder expected");
  if (from == nullptr) return false;
  variable* to = namedstring(params, "to", log, "to= missing or not a string value");
  if (to == nullptr || !whole(from, log) || !whole(to, log)) return false;
  forgetscripts(); // a script file may appear or go under either name
  if (!platform::movefile(from->string(), to->string())) return fail(log, "failed to rename");
  return true;
}

bool createfolder(stack*, parameters* params, variables*, logfunc log) {
  variable* folder = firststring(params, log, "folder name expected");
  if (folder == nullptr || !whole(folder, log)) return false;
  if (!platform::createfolder(folder->string())) return fail(log, "failed to create folder");
  return true;
}

} // namespace vesk::builtins
