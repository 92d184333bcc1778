// library.cpp - extension libraries through the Windows loader (LoadLibraryA/GetProcAddress).
// A library is never freed, so functions registered from it stay valid until the process ends;
// a library that cannot be loaded fails quietly instead of putting up the system's error box.
#include <windows.h>

#include "platform.h"

namespace vesk::platform {

void* openlibrary(char const* path) {
  if (path == nullptr || *path == '\0') return nullptr;
  DWORD previous = 0;
  bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous) != 0;
  HMODULE library = LoadLibraryA(path);
  if (quiet) SetThreadErrorMode(previous, nullptr);
  return reinterpret_cast<void*>(library);
}

void* findsymbol(void* library, char const* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

} // namespace vesk::platform
