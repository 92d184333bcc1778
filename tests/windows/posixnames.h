// posixnames.h - the POSIX calls that the portable tests use (environment variables, scratch
// folders, localtime_r), under their POSIX names on Windows, where the C runtime has them
// under others. A Windows build force-includes it into the test programs.
#pragma once

#define _POSIX_THREAD_SAFE_FUNCTIONS 200112L // MinGW's <time.h> then offers localtime_r

#include <cstdlib>
#include <cstring>
#include <ctime>

#include <direct.h>

// The C runtime cannot hold an empty variable: setting "" removes it, as unsetenv does.
inline int setenv(char const* name, char const* value, int overwrite) {
  if (overwrite == 0 && std::getenv(name) != nullptr) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(char const* name) {
  return _putenv_s(name, "") == 0 ? 0 : -1;
}

// Replaces the pattern's trailing XXXXXX and creates that folder; null when it cannot.
inline char* mkdtemp(char* pattern) {
  if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0) return nullptr;
  return _mkdir(pattern) == 0 ? pattern : nullptr;
}
