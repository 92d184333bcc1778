// loader_windows.cpp - extension libraries through LoadLibraryA, without the system's error
// box, as the engine loads them; the reason for a failure is the system's message text.
#include <windows.h>

#include "loader.h"

namespace cli {

bool loadlibrary(char const* path, std::string& reason) {
  DWORD previous = 0;
  bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous) != 0;
  HMODULE library = LoadLibraryA(path);
  DWORD code = GetLastError();
  if (quiet) SetThreadErrorMode(previous, nullptr);
  if (library != nullptr) return true;
  char text[512] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
    text[--length] = '\0';
  reason = length > 0 ? text : "error " + std::to_string(code);
  return false;
}

// The prompt has no completion on Windows.
std::vector<std::string> libraryfunctions(char const*) { return {}; }

} // namespace cli
