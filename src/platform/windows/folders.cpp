// folders.cpp - the well-known folders from the shell (SHGetSpecialFolderPathA, no owner window,
// nothing created), by their CSIDL. The shell writes at most MAX_PATH characters; the path is
// handed on only when it fits the caller's buffer whole.
#include <windows.h>

#include <shlobj.h>

#include <cstring>

#include "platform.h"

namespace vesk::platform {

bool specialfolderpath(int csidl, char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return false;
  buffer[0] = '\0';
  char path[MAX_PATH + 1] = "";
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return false;
  size_t length = std::strlen(path);
  if (length >= static_cast<size_t>(size)) return false;
  std::memcpy(buffer, path, length + 1);
  return true;
}

} // namespace vesk::platform
