// library.cpp - extension libraries through the dynamic loader (dlopen/dlsym).
// A library is opened with every symbol bound at once and kept private to itself; it is never
// closed, so functions registered from it stay valid until the process ends.
#include "platform.h"

#include <dlfcn.h>

namespace vesk::platform {

void* openlibrary(char const* path) {
  if (path == nullptr || *path == '\0') return nullptr;
  return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* findsymbol(void* library, char const* name) {
  // dlsym with a null handle would search the whole process (RTLD_DEFAULT): refuse it.
  if (library == nullptr || name == nullptr) return nullptr;
  return dlsym(library, name);
}

} // namespace vesk::platform
