// folders.cpp - the well-known folders, by their shell number (CSIDL), at their usual Linux homes.
// The mapping is the table `places`; each row names where its path comes from: the home
// folder, an XDG base directory, an XDG user directory, or a fixed system path. A path is
// returned whether or not the folder exists; nothing is created.
#include "platform.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vesk::platform {
namespace {

constexpr int maxpath = 4096; // longest path composed here, its terminating NUL included

// A path composed in place: a part that does not fit makes it invalid instead of overflowing.
struct pathtext {
  char text[maxpath] = {};
  int length = 0;
  bool valid = true;

  bool append(char const* part, size_t count) {
    if (!valid || count >= static_cast<size_t>(maxpath - length)) return valid = false;
    std::memcpy(text + length, part, count);
    length += static_cast<int>(count);
    text[length] = '\0';
    return true;
  }
  bool assign(char const* path) {
    length = 0;
    valid = true;
    return append(path, std::strlen(path));
  }
  // Appends "/" and part, unless part is empty; no second '/' after one already there.
  bool join(char const* part) {
    if (*part == '\0') return valid;
    if (length > 0 && text[length - 1] != pathseparator && !append(&pathseparator, 1)) return false;
    return append(part, std::strlen(part));
  }
};

enum class origin {
  home,       // the home folder, then `path` below it
  confighome, // XDG_CONFIG_HOME (default ~/.config), then `path` below it
  datahome,   // XDG_DATA_HOME (default ~/.local/share), then `path` below it
  userdir,    // the XDG user directory `key`; `path` below home when it is not configured
  system,     // `path`, absolute
};

struct folderplace {
  int csidl;
  origin from;
  char const* key; // userdir only: its variable, as in the environment and user-dirs.dirs
  char const* path;
};

// The sixteen folders the engine names; docs/folders.md shows the same mapping to script writers.
constexpr folderplace places[] = {
    {26, origin::confighome, nullptr, ""},                  // APPDATA
    {0, origin::userdir, "XDG_DESKTOP_DIR", "Desktop"},     // DESKTOP
    {16, origin::userdir, "XDG_DESKTOP_DIR", "Desktop"},    // DESKTOPDIRECTORY
    {6, origin::datahome, nullptr, "favorites"},            // FAVORITES
    {20, origin::system, nullptr, "/usr/share/fonts"},      // FONTS
    {13, origin::userdir, "XDG_MUSIC_DIR", "Music"},        // MYMUSIC
    {39, origin::userdir, "XDG_PICTURES_DIR", "Pictures"},  // MYPICTURES
    {14, origin::userdir, "XDG_VIDEOS_DIR", "Videos"},      // MYVIDEO
    {5, origin::userdir, "XDG_DOCUMENTS_DIR", "Documents"}, // PERSONAL
    {40, origin::home, nullptr, ""},                        // PROFILE
    {38, origin::system, nullptr, "/opt"},                  // PROGRAM_FILES
    {2, origin::datahome, nullptr, "applications"},         // PROGRAMS
    {8, origin::datahome, nullptr, "recent"},               // RECENT
    {7, origin::confighome, nullptr, "autostart"},          // STARTUP
    {36, origin::system, nullptr, "/usr"},                  // WINDOWS
    {35, origin::system, nullptr, "/var/lib"},              // COMMON_APPDATA
};

// $HOME when set, else the home folder of the user's account.
bool findhome(pathtext& path) {
  char const* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return path.assign(home);
  passwd account{};
  passwd* found = nullptr;
  char storage[16384];
  if (getpwuid_r(getuid(), &account, storage, sizeof storage, &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || *found->pw_dir == '\0')
    return false;
  return path.assign(found->pw_dir);
}

// An XDG base directory: the variable when it holds an absolute path (relative ones are
// invalid and ignored), else its default below home.
bool findxdgbase(char const* variable, char const* fallback, pathtext& path) {
  char const* value = std::getenv(variable);
  if (value != nullptr && *value == '/') return path.assign(value);
  return findhome(path) && path.join(fallback);
}

// A user directory's value: "$HOME/..." (or "$HOME") below home, or an absolute path.
bool userdirvalue(char const* value, pathtext& path) {
  if (std::strncmp(value, "$HOME", 5) == 0 && (value[5] == '/' || value[5] == '\0')) {
    value += value[5] == '/' ? 6 : 5;
    return findhome(path) && path.join(value);
  }
  return *value == '/' && path.assign(value);
}

char const* skipblanks(char const* text) {
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

// One line of user-dirs.dirs: KEY="value", the value with backslash escapes; true and the path
// when the line sets key to a usable value.
bool parseuserdirline(char const* line, char const* key, pathtext& path) {
  char const* at = skipblanks(line);
  size_t keylength = std::strlen(key);
  if (std::strncmp(at, key, keylength) != 0) return false;
  at = skipblanks(at + keylength);
  if (*at != '=') return false;
  at = skipblanks(at + 1);
  if (*at++ != '"') return false;
  char value[maxpath];
  size_t length = 0;
  for (; *at != '\0' && *at != '"'; ++at) {
    if (*at == '\\' && at[1] != '\0') ++at;
    if (length + 1 >= sizeof value) return false;
    value[length++] = *at;
  }
  if (*at != '"') return false;
  value[length] = '\0';
  return userdirvalue(value, path);
}

// The last line of $XDG_CONFIG_HOME/user-dirs.dirs that sets key, as xdg-user-dirs reads it.
bool readuserdirs(char const* key, pathtext& path) {
  pathtext file;
  if (!findxdgbase("XDG_CONFIG_HOME", ".config", file) || !file.join("user-dirs.dirs"))
    return false;
  std::FILE* dirs = std::fopen(file.text, "r");
  if (dirs == nullptr) return false;
  bool found = false;
  char line[maxpath + 64];
  pathtext candidate;
  while (std::fgets(line, sizeof line, dirs) != nullptr) {
    if (std::strchr(line, '\n') == nullptr && !std::feof(dirs)) {
      // A line longer than any path: skip the rest of it, so its tail is not read as a line.
      for (int c = std::fgetc(dirs); c != EOF && c != '\n'; c = std::fgetc(dirs)) {
      }
      continue;
    }
    if (parseuserdirline(line, key, candidate)) {
      path = candidate;
      found = true;
    }
  }
  std::fclose(dirs);
  return found;
}

// An XDG user directory: the variable from the environment, else from user-dirs.dirs, else
// the default folder below home.
bool finduserdir(char const* key, char const* fallback, pathtext& path) {
  char const* value = std::getenv(key);
  if (value != nullptr && userdirvalue(value, path)) return true;
  if (readuserdirs(key, path)) return true;
  return findhome(path) && path.join(fallback);
}

bool findplace(folderplace const& place, pathtext& path) {
  switch (place.from) {
  case origin::home:
    return findhome(path) && path.join(place.path);
  case origin::confighome:
    return findxdgbase("XDG_CONFIG_HOME", ".config", path) && path.join(place.path);
  case origin::datahome:
    return findxdgbase("XDG_DATA_HOME", ".local/share", path) && path.join(place.path);
  case origin::userdir:
    return finduserdir(place.key, place.path, path);
  case origin::system:
    return path.assign(place.path);
  }
  return false;
}

} // namespace

bool specialfolderpath(int csidl, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return false;
  buffer[0] = '\0';
  for (folderplace const& place : places) {
    if (place.csidl != csidl) continue;
    pathtext path;
    if (!findplace(place, path)) return false;
    while (path.length > 1 && path.text[path.length - 1] == pathseparator) --path.length;
    if (path.length >= size) return false;
    std::memcpy(buffer, path.text, static_cast<size_t>(path.length));
    buffer[path.length] = '\0';
    return true;
  }
  return false;
}

} // namespace vesk::platform
