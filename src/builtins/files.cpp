// files.cpp - the file-system built-ins: getfolderpath, enumfiles, enumfolders, deletefile,
// deletefolder, renamefile and createfolder, on top of the platform layer. Paths go to the
// platform as the script gives them, or, when the host has confined the interpreter, to its
// confined operations, which refuse what leads outside the allowed folders; composed paths are
// "%s/%s" in buffers of 512 characters and an entry whose path does not fit there is left out
// rather than cut.
#include <cstdio>
#include <cstring>

#include "arguments.h"
#include "builtins.h"
#include "platform.h"
#include "scriptcache.h"
#include "services.h"
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
constexpr char msg_outside[] = "path leads outside the allowed folders";
constexpr char msg_allowedfolder[] = "an allowed folder itself cannot be changed";
constexpr char msg_folderoutside[] = "folder outside the allowed folders";
constexpr char msg_unfinished[] = "folder could not be read to its end";

using platform::reach;

reach plain(bool succeeded) {
  return succeeded ? reach::done : reach::failed;
}

// Where the file built-ins of a call may act: anywhere the process may, or, in a confined
// interpreter, only inside the folders the host allowed.
class filescope {
public:
  explicit filescope(stack* opstack) : confined(confinedfiles(opstack, &folders)) {}

  reach listfolder(char const* folder, platform::entryvisitor visit, void* context) const {
    if (confined) return platform::listfolderinside(folders, folder, visit, context);
    bool opened = false;
    if (platform::listfolder(folder, visit, context, &opened)) return reach::done;
    return opened ? reach::unfinished : reach::failed;
  }
  reach deletefile(char const* path) const {
    return confined ? platform::deletefileinside(folders, path) : plain(platform::deletefile(path));
  }
  reach removefolder(char const* path) const {
    if (confined) return platform::removefolderinside(folders, path);
    return plain(platform::removefolder(path));
  }
  reach movefile(char const* from, char const* to) const {
    if (confined) return platform::movefileinside(folders, from, to);
    return plain(platform::movefile(from, to));
  }
  reach createfolder(char const* path) const {
    if (confined) return platform::createfolderinside(folders, path);
    return plain(platform::createfolder(path));
  }
  // Whether the folder may be named to the script: always, when the interpreter is not
  // confined.
  bool reveals(char const* folder) const {
    return !confined || platform::folderinside(folders, folder) != reach::outside;
  }
  bool isconfined() const { return confined; }
  // The process's current directory is the whole process's: a confined interpreter leaves it.
  void leavecurrentdirectory() const {
    if (!confined) platform::changetorootfolder();
  }

private:
  platform::allowedfolders const* folders = nullptr;
  bool confined;
};

// True when the operation was carried out; otherwise false after reporting why: the refusal,
// or `failure` when it failed where it was allowed to act.
bool reached(reach where, logfunc log, char const* failure) {
  switch (where) {
  case reach::done:
    return true;
  case reach::outside:
    return fail(log, msg_outside);
  case reach::allowedfolder:
    return fail(log, msg_allowedfolder);
  case reach::failed:
  case reach::unfinished:
    break;
  }
  return fail(log, failure);
}

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
// The entries of the folder "" of a confined interpreter, its first allowed folder, are given
// as bare names, which name them again there.
struct listing {
  char const* folder;
  bool folders; // keep sub-folders (enumfolders) or everything else (enumfiles)
  bool bare;    // names alone, without the folder
  variable* list;
};

void addentry(void* context, char const* name, bool isfolder) {
  auto* collect = static_cast<listing*>(context);
  if (isfolder != collect->folders) return;
  char path[pathbuffersize];
  int length = collect->bare ? snprintf(path, sizeof path, "%s", name)
                             : snprintf(path, sizeof path, "%s%c%s", collect->folder,
                                        platform::pathseparator, name);
  if (length < 0 || length >= pathbuffersize) return; // does not fit: left out, never cut
  collect->list->add(path);
}

// The folder's files or sub-folders as one list of "folder/name" strings, in the order the
// platform gives them. A folder that cannot be listed (or whose path does not fit the
// buffer) gives an empty list; in a confined interpreter one outside the allowed folders is
// refused before the list is made (and gives an empty list should it lead out by the time it
// is listed). A listing that breaks off is no shorter list: the call fails and takes its list
// back off the stack.
bool enumerate(char const* function, bool folders, stack* opstack, parameters* params,
               logfunc log) {
  variable* folder = firststring(params, log, "folder expected");
  if (folder == nullptr || !whole(folder, log)) return false;
  filescope scope(opstack);
  if (!scope.reveals(folder->string())) return fail(log, msg_outside);
  variable* list = pushlist(opstack, function, log);
  if (list == nullptr) return false;
  if (std::strlen(folder->string()) + 2 < pathbuffersize) { // room for the pattern "%s/*"
    bool bare = scope.isconfined() && folder->string()[0] == '\0';
    listing collect{folder->string(), folders, bare, list};
    if (scope.listfolder(folder->string(), addentry, &collect) == reach::unfinished) {
      list->reset();
      opstack->pop(1);
      return fail(log, msg_unfinished);
    }
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

// Tries ten times 100 ms apart while the folder is there but cannot be removed; a refusal is
// final at once.
reach removefolder(filescope const& scope, char const* path, stack* opstack) {
  for (int attempt = 0; attempt < removeattempts; ++attempt) {
    reach where = scope.removefolder(path);
    if (where != reach::failed) return where;
    waitretry(opstack);
  }
  return reach::failed;
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
  if (!filescope(opstack).reveals(path)) return fail(log, msg_folderoutside);
  return pushresult(opstack, path, "getfolderpath", log);
}

bool enumfiles(stack* opstack, parameters* params, variables*, logfunc log) {
  return enumerate("enumfiles", false, opstack, params, log);
}

bool enumfolders(stack* opstack, parameters* params, variables*, logfunc log) {
  return enumerate("enumfolders", true, opstack, params, log);
}

// deletefile: each string argument a file, in call order; the first failure ends the call.
bool deletefile(stack* opstack, parameters* params, variables*, logfunc log) {
  forgetscripts(); // the script files known so far may be about to go
  filescope scope(opstack);
  arguments args(params);
  for (variable* path = args.firststring(); path != nullptr; path = args.nextstring()) {
    path->processed(true);
    if (!whole(path, log)) return false;
    if (!reached(scope.deletefile(path->string()), log, "file could not be deleted")) return false;
  }
  return true;
}

// deletefolder: first makes "/" the process's current directory (for good, for every thread:
// relative paths are taken from there afterwards; a confined interpreter leaves it alone), then
// removes each empty folder named by a string argument, trying ten times 100 ms apart.
bool deletefolder(stack* opstack, parameters* params, variables*, logfunc log) {
  filescope scope(opstack);
  scope.leavecurrentdirectory();
  forgetscripts(); // relative script folders now mean other folders
  arguments args(params);
  for (variable* path = args.firststring(); path != nullptr; path = args.nextstring()) {
    path->processed(true);
    if (!whole(path, log)) return false;
    reach where = removefolder(scope, path->string(), opstack);
    if (!reached(where, log, "folder could not be deleted")) return false;
  }
  return true;
}

// renamefile(path, to = newpath): never replaces an existing file or folder at newpath.
bool renamefile(stack* opstack, parameters* params, variables*, logfunc log) {
  variable* from = firststring(params, log, "folder expected");
  if (from == nullptr) return false;
  variable* to = namedstring(params, "to", log, "to= missing or not a string value");
  if (to == nullptr || !whole(from, log) || !whole(to, log)) return false;
  forgetscripts(); // a script file may appear or go under either name
  reach where = filescope(opstack).movefile(from->string(), to->string());
  return reached(where, log, "failed to rename");
}

bool createfolder(stack* opstack, parameters* params, variables*, logfunc log) {
  variable* folder = firststring(params, log, "folder name expected");
  if (folder == nullptr || !whole(folder, log)) return false;
  reach where = filescope(opstack).createfolder(folder->string());
  return reached(where, log, "failed to create folder");
}

} // namespace vesk::builtins
