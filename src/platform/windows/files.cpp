// files.cpp - listing folders (FindFirstFileA/FindNextFileA/FindClose) and deleting, moving
// and creating files and folders with the Windows calls of the same names, and handing a
// written file on to the disk (_commit). Paths are passed to the system exactly as the caller
// gives them; relative ones follow the current directory.
#include <io.h>
#include <windows.h>

#include <cstring>

#include "platform.h"

namespace vesk::platform {
namespace {

constexpr char searchsuffix[] = "\\*";
constexpr size_t maxpattern = 1024; // the search pattern with its NUL

bool isdot(char const* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// "folder\*" into pattern; false when it does not fit.
bool searchpattern(char const* folder, char (&pattern)[maxpattern]) {
  size_t length = std::strlen(folder);
  if (length + sizeof searchsuffix > maxpattern) return false;
  std::memcpy(pattern, folder, length);
  std::memcpy(pattern + length, searchsuffix, sizeof searchsuffix);
  return true;
}

} // namespace

bool listfolder(char const* folder, entryvisitor visit, void* context, bool* opened) {
  char pattern[maxpattern];
  if (opened != nullptr) *opened = false;
  if (folder == nullptr || visit == nullptr || !searchpattern(folder, pattern)) return false;
  WIN32_FIND_DATAA entry{};
  HANDLE search = FindFirstFileA(pattern, &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  if (opened != nullptr) *opened = true;
  do {
    if (isdot(entry.cFileName)) continue;
    visit(context, entry.cFileName, (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileA(search, &entry));
  bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  return complete;
}

bool isabsolutepath(char const* path) {
  if (path == nullptr) return false;
  bool drive =
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':';
  return drive || path[0] == '/' || path[0] == '\\';
}

bool deletefile(char const* path) {
  return path != nullptr && DeleteFileA(path);
}

bool removefolder(char const* path) {
  return path != nullptr && RemoveDirectoryA(path);
}

// MoveFileA itself refuses a target that exists, file or folder.
bool movefile(char const* from, char const* to) {
  return from != nullptr && to != nullptr && MoveFileA(from, to);
}

bool createfolder(char const* path) {
  return path != nullptr && CreateDirectoryA(path, nullptr);
}

bool changetorootfolder() {
  return SetCurrentDirectoryA("\\");
}

bool syncfile(FILE* file) {
  return file != nullptr && _commit(_fileno(file)) == 0;
}

} // namespace vesk::platform
