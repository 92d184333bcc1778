// confined.cpp - file operations confined to the folders a host allows. A path is walked one
// name at a time from a folder held open (openat, O_NOFOLLOW), links read and followed by the
// walk itself, so that no step leaves the allowed folders however names change meanwhile; the
// operation acts on the last name, never followed, in the folder the walk holds (unlinkat...).
#include "platform.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "posixfiles.h"

namespace vesk::platform {

namespace {

constexpr int maxpath = PATH_MAX; // a path a walk holds, its NUL included
constexpr int maxname = NAME_MAX; // one name of a path
constexpr int maxlinks = 40;      // symbolic links one walk follows (the kernel's own bound)
constexpr int maxwalkdepth = 64;  // folders below an allowed one that a walk holds open
// How a walk opens the folders on its way: as folders only, never through a link.
#if defined(O_PATH)
constexpr int stepflags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
#else
constexpr int stepflags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
#endif

struct allowed {
  int handle;
  char path[maxpath];  // absolute and resolved: no link, ".", ".." or doubled '/' in it
  char named[maxpath]; // as the host named it, made absolute but not resolved ("": as `path`)
};

} // namespace

struct allowedfolders {
  allowed folders[maxallowedfolders];
  int count = 0;
};

namespace {

// `path` is `ancestor` or lies below it (both resolved).
bool within(char const* path, char const* ancestor) {
  if (std::strcmp(ancestor, "/") == 0) return true;
  size_t length = std::strlen(ancestor);
  return std::strncmp(path, ancestor, length) == 0 && (path[length] == '\0' || path[length] == '/');
}

// Either name of an allowed folder is `path` or lies below it.
bool leadsto(allowed const& folder, char const* path) {
  return within(folder.path, path) || (folder.named[0] != '\0' && within(folder.named, path));
}

bool isnamed(allowed const& folder, char const* path) {
  return std::strcmp(folder.path, path) == 0 || std::strcmp(folder.named, path) == 0;
}

// The folder as the host named it, made absolute (from the current directory) without
// resolving anything, so that paths a script was given in the host's terms are taken; ""
// when that holds "." or "..", whose meaning only the resolved path keeps, or does not fit.
void spell(char const* path, char (&named)[maxpath]) {
  char joined[maxpath];
  named[0] = '\0';
  if (path[0] == '/') {
    if (std::strlen(path) >= sizeof joined) return;
    std::memcpy(joined, path, std::strlen(path) + 1);
  } else {
    if (getcwd(joined, sizeof joined) == nullptr) return;
    size_t length = std::strlen(joined);
    if (std::snprintf(joined + length, sizeof joined - length, "/%s", path) >=
        static_cast<int>(sizeof joined - length))
      return;
  }
  size_t out = 0;
  for (char const* part = joined; *part != '\0';) {
    while (*part == '/') ++part;
    size_t length = std::strcspn(part, "/");
    if (length == 0) break;
    if ((length == 1 && part[0] == '.') || (length == 2 && part[0] == '.' && part[1] == '.')) {
      named[0] = '\0';
      return;
    }
    named[out++] = '/';
    std::memcpy(named + out, part, length);
    out += length;
    part += length;
  }
  named[out] = '\0';
}

// The end of a walk.
enum class ended {
  entry,   // at the last name, not followed, in the folder the walk holds
  folder,  // at a folder: the one the walk holds
  outside, // the path leads out of every allowed folder
  failed,  // a name on the way is missing or no folder, or the path is too long
};

// A walk along a path. Inside an allowed folder (`root`) it holds the folders it went through
// below it, each opened from the one before; `..` goes back to the one before, and from the
// allowed folder itself to its resolved parent. Above the allowed folders the walk goes on by
// paths (`above`) that lead towards one of them, by its resolved path or the one the host
// named it by, touching nothing on the way, and enters it only through its own handle.
class walk {
public:
  explicit walk(allowedfolders const* folders) : folders(folders) {}
  ~walk() { release(); }
  walk(walk const&) = delete;
  walk& operator=(walk const&) = delete;

  // Walks `path`; with `keeplast` the last name is not walked but left in `last`.
  ended along(char const* path, bool keeplast);
  int current() const { return depth > 0 ? held[depth - 1] : folders->folders[root].handle; }
  bool atallowedfolder() const { return root >= 0 && depth == 0; }
  char last[maxname + 1] = "";

private:
  void release() {
    while (depth > 0) close(held[--depth]);
  }
  void goabove(char const* path);
  bool nextname(char* name, bool& islast);
  ended step(char const* name);
  bool stepabove(char const* name);
  bool splice(char const* target);
  void up();

  allowedfolders const* folders;
  int root = -1; // the allowed folder the walk is in; -1 above them
  int held[maxwalkdepth];
  int depth = 0;
  char above[maxpath] = "";
  char pending[maxpath] = ""; // what is left of the path, from `at` on
  int at = 0;
  int links = 0;
};

// Goes to the path `path` above the allowed folders, or into the allowed folder it names.
void walk::goabove(char const* path) {
  release();
  root = -1;
  std::memmove(above, path, std::strlen(path) + 1);
  for (int i = 0; i < folders->count; ++i)
    if (isnamed(folders->folders[i], above)) root = i;
}

// One step up from the allowed folder or from a path above it: the resolved parent.
void walk::up() {
  if (root >= 0) std::memcpy(above, folders->folders[root].path, sizeof above);
  char* slash = std::strrchr(above, '/');
  if (slash == above)
    above[1] = '\0';
  else if (slash != nullptr)
    *slash = '\0';
  goabove(above);
}

// The next name of the pending path; false at its end. `islast` tells whether another follows.
bool walk::nextname(char* name, bool& islast) {
  while (pending[at] == '/') ++at;
  if (pending[at] == '\0') return false;
  int length = 0;
  while (pending[at] != '\0' && pending[at] != '/') {
    if (length < maxname) name[length] = pending[at];
    ++length;
    ++at;
  }
  name[length < maxname ? length : maxname] = '\0';
  if (length > maxname) name[0] = '\0'; // too long to exist: never walked, never matched
  int rest = at;
  while (pending[rest] == '/') ++rest;
  islast = pending[rest] == '\0';
  return true;
}

// Replaces the link just read by its target: the rest of the path now follows the target.
bool walk::splice(char const* target) {
  char joined[maxpath];
  size_t length = std::strlen(target);
  size_t rest = std::strlen(pending + at);
  if (++links > maxlinks || length + 1 + rest + 1 > sizeof joined) return false;
  std::memcpy(joined, target, length);
  joined[length] = '/';
  std::memcpy(joined + length + 1, pending + at, rest + 1);
  std::memcpy(pending, joined, length + 1 + rest + 1);
  at = 0;
  if (target[0] == '/') goabove("/");
  return true;
}

// A name inside an allowed folder: a folder is opened and held, a link is followed.
ended walk::step(char const* name) {
  if (name[0] == '\0') return ended::failed;
  int opened = openat(current(), name, stepflags);
  if (opened >= 0) {
    if (depth == maxwalkdepth) {
      close(opened);
      return ended::failed;
    }
    held[depth++] = opened;
    return ended::folder;
  }
  if (errno != ENOTDIR && errno != ELOOP) return ended::failed;
  char target[maxpath];
  ssize_t length = readlinkat(current(), name, target, sizeof target - 1);
  if (length <= 0) return ended::failed; // no link (a file), or it changed meanwhile
  target[length] = '\0';
  return splice(target) ? ended::folder : ended::failed;
}

// A name above the allowed folders: true when it is an allowed folder or leads towards one.
bool walk::stepabove(char const* name) {
  char next[maxpath];
  int length =
      std::snprintf(next, sizeof next, "%s/%s", std::strcmp(above, "/") == 0 ? "" : above, name);
  if (name[0] == '\0' || length < 0 || length >= maxpath) return false;
  for (int i = 0; i < folders->count; ++i) {
    if (leadsto(folders->folders[i], next)) {
      goabove(next);
      return true;
    }
  }
  return false;
}

ended walk::along(char const* path, bool keeplast) {
  if (folders == nullptr || folders->count == 0) return ended::outside;
  size_t length = std::strlen(path);
  if (length >= sizeof pending) return ended::failed;
  std::memcpy(pending, path, length + 1);
  at = 0;
  if (path[0] == '/')
    goabove("/");
  else
    root = 0;
  char name[maxname + 1];
  bool islast = false;
  while (nextname(name, islast)) {
    if (std::strcmp(name, ".") == 0) continue;
    if (std::strcmp(name, "..") == 0) {
      if (root >= 0 && depth > 0)
        close(held[--depth]);
      else
        up();
      continue;
    }
    if (root < 0) {
      if (!stepabove(name)) return ended::outside;
      continue;
    }
    if (islast && keeplast) {
      std::memcpy(last, name, sizeof last);
      return ended::entry;
    }
    ended where = step(name);
    if (where != ended::folder) return where;
  }
  return root < 0 ? ended::outside : ended::folder;
}

// Walks to the entry a changing operation acts on: the last name of the path in a folder
// inside. A path that ends at a folder ("x/..", an allowed folder) has no such name.
reach toentry(walk& route, char const* path) {
  if (path == nullptr) return reach::failed;
  switch (route.along(path, true)) {
  case ended::entry:
    return reach::done;
  case ended::folder:
    return route.atallowedfolder() ? reach::allowedfolder : reach::failed;
  case ended::outside:
    return reach::outside;
  case ended::failed:
    break;
  }
  return reach::failed;
}

reach result(bool succeeded) {
  return succeeded ? reach::done : reach::failed;
}

} // namespace

allowedfolders* newallowedfolders() {
  return new (std::nothrow) allowedfolders;
}

void deleteallowedfolders(allowedfolders* folders) {
  if (folders == nullptr) return;
  for (int i = 0; i < folders->count; ++i) close(folders->folders[i].handle);
  delete folders;
}

bool allowfolder(allowedfolders* folders, char const* path) {
  if (folders == nullptr || path == nullptr || folders->count == maxallowedfolders) return false;
  allowed& added = folders->folders[folders->count];
  if (realpath(path, added.path) == nullptr) return false;
  added.handle = open(added.path, stepflags);
  if (added.handle < 0) return false;
  spell(path, added.named);
  if (std::strcmp(added.named, added.path) == 0) added.named[0] = '\0';
  ++folders->count;
  return true;
}

int allowedcount(allowedfolders const* folders) {
  return folders != nullptr ? folders->count : 0;
}

reach listfolderinside(allowedfolders const* folders, char const* folder, entryvisitor visit,
                       void* context) {
  if (folder == nullptr || visit == nullptr) return reach::failed;
  walk route(folders);
  ended where = route.along(folder, false);
  if (where != ended::folder) return where == ended::outside ? reach::outside : reach::failed;
  int opened = openat(route.current(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* listing = opened >= 0 ? fdopendir(opened) : nullptr;
  if (listing == nullptr) {
    if (opened >= 0) close(opened);
    return reach::failed;
  }
  return visitentries(listing, visit, context) ? reach::done : reach::unfinished;
}

reach deletefileinside(allowedfolders const* folders, char const* path) {
  walk route(folders);
  reach where = toentry(route, path);
  if (where != reach::done) return where;
  return result(unlinkat(route.current(), route.last, 0) == 0);
}

reach removefolderinside(allowedfolders const* folders, char const* path) {
  walk route(folders);
  reach where = toentry(route, path);
  if (where != reach::done) return where;
  return result(unlinkat(route.current(), route.last, AT_REMOVEDIR) == 0);
}

reach movefileinside(allowedfolders const* folders, char const* from, char const* to) {
  walk source(folders), target(folders);
  reach wherefrom = toentry(source, from);
  reach whereto = toentry(target, to);
  if (wherefrom == reach::outside || whereto == reach::outside) return reach::outside;
  if (wherefrom == reach::allowedfolder || whereto == reach::allowedfolder)
    return reach::allowedfolder;
  if (wherefrom != reach::done || whereto != reach::done) return reach::failed;
  return result(moveat(source.current(), source.last, target.current(), target.last));
}

reach createfolderinside(allowedfolders const* folders, char const* path) {
  walk route(folders);
  reach where = toentry(route, path);
  if (where != reach::done) return where;
  return result(mkdirat(route.current(), route.last, 0777) == 0);
}

reach folderinside(allowedfolders const* folders, char const* path) {
  if (path == nullptr) return reach::failed;
  walk route(folders);
  return route.along(path, false) == ended::outside ? reach::outside : reach::done;
}

} // namespace vesk::platform
