// confined.cpp - file operations confined to the folders a host allows, on Windows. A path is
// made whole as Windows reads it and must lie in an allowed folder by its text; the folder it
// acts in is then held without FILE_SHARE_DELETE (it and those above it stay where they are)
// and must lie in an allowed folder by its final path too, by which the operation acts.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform.h"

namespace vesk::platform {

namespace {

constexpr int maxpath = MAX_PATH + 8; // a path with its "\\?\" prefix and NUL
constexpr char longprefix[] = "\\\\?\\";
constexpr char uncprefix[] = "\\\\?\\UNC\\";

struct allowed {
  HANDLE handle;       // held without FILE_SHARE_DELETE: the folder stays where it is
  char path[maxpath];  // final path without prefix: C:\dir or \\server\share\dir
  char named[maxpath]; // as the host named it, made whole (see wholepath); "" if it cannot be
};

} // namespace

struct allowedfolders {
  allowed folders[maxallowedfolders];
  int count = 0;
};

namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares the first `length` characters, ASCII letters in either case alike (as the file
// system compares names); other characters must be equal.
bool sametext(char const* a, char const* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

// `path` is `ancestor` or lies below it.
bool within(char const* path, char const* ancestor) {
  size_t length = std::strlen(ancestor);
  if (length > 0 && ancestor[length - 1] == '\\') --length; // a drive's root: "C:\"
  return std::strlen(path) >= length && sametext(path, ancestor, length) &&
         (path[length] == '\0' || path[length] == '\\');
}

bool isseparator(char c) {
  return c == '\\' || c == '/';
}

// A name the system would take for a device (CON, NUL, COM1 and so on, with any extension).
bool isdevice(char const* name, size_t length) {
  static char const* const devices[] = {"con", "prn", "aux", "nul"};
  static char const* const numbered[] = {"com", "lpt"};
  size_t stem = 0;
  while (stem < length && name[stem] != '.') ++stem;
  for (char const* device : devices)
    if (stem == 3 && sametext(name, device, 3)) return true;
  for (char const* device : numbered)
    if (stem == 4 && sametext(name, device, 3) && name[3] >= '0' && name[3] <= '9') return true;
  return false;
}

bool isletter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of the part of an absolute path that ".." never climbs above, "C:" or
// "\\server\share"; 0 when the path has none (a device path "\\?\..." or "\\.\..." has
// none either).
size_t rootlength(char const* path) {
  if (isletter(path[0]) && path[1] == ':') return 2;
  if (!isseparator(path[0]) || !isseparator(path[1])) return 0;
  size_t at = 2;
  for (int part = 0; part < 2; ++part) {
    size_t start = at;
    while (path[at] != '\0' && !isseparator(path[at])) ++at;
    if (at == start || (part == 0 && at == start + 1 && (path[start] == '?' || path[start] == '.')))
      return 0;
    if (part == 0 && path[at++] == '\0') return 0;
  }
  return at;
}

// The path as Windows reads it, whole and absolute, relative ones from `base`: separators made
// '\\', "." and empty names dropped, ".." taken away with the name before it (never above the
// drive or share), dots and blanks at the end of a name dropped; a root keeps its separator
// ("C:\\"). False for a path that depends on the current directory of a drive ("C:x"), a
// device, a name no file can have, or one too long.
bool wholepath(char const* path, char const* base, char (&whole)[maxpath]) {
  bool drive = isletter(path[0]) && path[1] == ':';
  if (drive && !isseparator(path[2])) return false;
  bool absolute = drive || (isseparator(path[0]) && isseparator(path[1]));
  // "\\x" is on the drive (or share) of `base`, which stands for the current directory.
  int baselength = absolute               ? 0
                   : isseparator(path[0]) ? static_cast<int>(rootlength(base))
                                          : static_cast<int>(std::strlen(base));
  char joined[2 * maxpath];
  int length = std::snprintf(joined, sizeof joined, "%.*s%s%s", baselength, base,
                             absolute || isseparator(path[0]) ? "" : "\\", path);
  size_t fixed = rootlength(joined);
  if (length < 0 || length >= static_cast<int>(sizeof joined) || fixed == 0 || fixed >= maxpath)
    return false;
  for (size_t i = 0; i < fixed; ++i) whole[i] = isseparator(joined[i]) ? '\\' : joined[i];
  size_t out = fixed;
  for (size_t at = fixed; joined[at] != '\0';) {
    while (isseparator(joined[at])) ++at;
    size_t start = at;
    while (joined[at] != '\0' && !isseparator(joined[at])) ++at;
    size_t count = at - start;
    if (count == 0 || (count == 1 && joined[start] == '.')) continue;
    if (count == 2 && joined[start] == '.' && joined[start + 1] == '.') {
      while (out > fixed && whole[out - 1] != '\\') --out;
      if (out > fixed) --out;
      continue;
    }
    while (count > 0 && (joined[start + count - 1] == '.' || joined[start + count - 1] == ' '))
      --count;
    if (count == 0 || isdevice(joined + start, count)) return false;
    if (std::strcspn(joined + start, ":*?\"<>|") < count) return false;
    if (out + 1 + count + 1 > maxpath) return false;
    whole[out++] = '\\';
    std::memcpy(whole + out, joined + start, count);
    out += count;
  }
  if (out == fixed) whole[out++] = '\\';
  whole[out] = '\0';
  return true;
}

// The final path of an open handle without the long prefix ("C:\\dir", "\\\\server\\share");
// `raw` receives it with the prefix, for acting by it.
bool finalpath(HANDLE handle, char (&raw)[maxpath], char (&plain)[maxpath]) {
  DWORD length = GetFinalPathNameByHandleA(handle, raw, maxpath, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= maxpath) return false;
  if (std::strncmp(raw, uncprefix, sizeof uncprefix - 1) == 0)
    std::snprintf(plain, sizeof plain, "\\\\%s", raw + sizeof uncprefix - 1);
  else if (std::strncmp(raw, longprefix, sizeof longprefix - 1) == 0)
    std::snprintf(plain, sizeof plain, "%s", raw + sizeof longprefix - 1);
  else
    std::snprintf(plain, sizeof plain, "%s", raw);
  return true;
}

// Opens a folder for as long as it is held, so that it cannot be renamed or removed meanwhile.
HANDLE holdfolder(char const* path) {
  HANDLE handle =
      CreateFileA(path, FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return handle;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(handle, &information) ||
      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

// Whether a path lies in an allowed folder: by its final path (`final`), or by either name
// of the folder for a path as the script wrote it, made whole.
bool inside(allowedfolders const* folders, char const* path, bool final) {
  for (int i = 0; i < folders->count; ++i) {
    allowed const& folder = folders->folders[i];
    if (within(path, folder.path) || (!final && folder.named[0] && within(path, folder.named)))
      return true;
  }
  return false;
}

bool isallowedfolder(allowedfolders const* folders, char const* path) {
  for (int i = 0; i < folders->count; ++i) {
    allowed const& folder = folders->folders[i];
    if ((within(path, folder.path) && within(folder.path, path)) ||
        (folder.named[0] && within(path, folder.named) && within(folder.named, path)))
      return true;
  }
  return false;
}

// The path a script gave, made whole from the first allowed folder; false when it cannot be
// made whole or lies outside by its text.
bool wholeinside(allowedfolders const* folders, char const* path, char (&whole)[maxpath]) {
  return folders != nullptr && folders->count > 0 &&
         wholepath(path, folders->folders[0].path, whole) && inside(folders, whole, false);
}

// A folder inside, held open while this lives: `raw` is its final path to act by.
class heldfolder {
public:
  ~heldfolder() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  // Holds the folder `whole` names; outside when its final path leads out.
  reach hold(allowedfolders const* folders, char const* whole) {
    handle = holdfolder(whole);
    char plain[maxpath];
    if (handle == INVALID_HANDLE_VALUE || !finalpath(handle, raw, plain)) return reach::failed;
    return inside(folders, plain, true) ? reach::done : reach::outside;
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  char raw[maxpath] = "";
};

// An entry a changing operation acts on: its folder, held, and its name.
struct entry {
  heldfolder folder;
  char name[maxpath] = "";
  char path[maxpath] = ""; // the folder's final path and the name, to act by
};

reach toentry(allowedfolders const* folders, char const* path, entry& target) {
  char whole[maxpath];
  if (path == nullptr) return reach::failed;
  if (!wholeinside(folders, path, whole)) return reach::outside;
  if (isallowedfolder(folders, whole)) return reach::allowedfolder;
  char* last = std::strrchr(whole, '\\');
  if (last == nullptr || last[1] == '\0') return reach::failed; // a root: no name in it
  std::snprintf(target.name, sizeof target.name, "%s", last + 1);
  // The folder keeps its separator when it is a root: "C:\\", not "C:".
  last[static_cast<size_t>(last - whole) < rootlength(whole) + 1 ? 1 : 0] = '\0';
  reach where = target.folder.hold(folders, whole);
  if (where != reach::done) return where;
  int length =
      std::snprintf(target.path, sizeof target.path, "%s\\%s", target.folder.raw, target.name);
  return length > 0 && length < maxpath ? reach::done : reach::failed;
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
  for (int i = 0; i < folders->count; ++i) CloseHandle(folders->folders[i].handle);
  delete folders;
}

bool allowfolder(allowedfolders* folders, char const* path) {
  if (folders == nullptr || path == nullptr || folders->count == maxallowedfolders) return false;
  allowed& added = folders->folders[folders->count];
  added.handle = holdfolder(path);
  char raw[maxpath];
  if (added.handle == INVALID_HANDLE_VALUE) return false;
  char full[maxpath];
  DWORD length = GetFullPathNameA(path, maxpath, full, nullptr);
  if (!finalpath(added.handle, raw, added.path) || length == 0 || length >= maxpath) {
    CloseHandle(added.handle);
    return false;
  }
  if (!wholepath(full, "", added.named)) added.named[0] = '\0';
  ++folders->count;
  return true;
}

int allowedcount(allowedfolders const* folders) {
  return folders != nullptr ? folders->count : 0;
}

reach listfolderinside(allowedfolders const* folders, char const* folder, entryvisitor visit,
                       void* context) {
  if (folder == nullptr || visit == nullptr) return reach::failed;
  char whole[maxpath];
  if (!wholeinside(folders, folder, whole)) return reach::outside;
  heldfolder held;
  reach where = held.hold(folders, whole);
  if (where != reach::done) return where;
  bool opened = false;
  if (listfolder(held.raw, visit, context, &opened)) return reach::done;
  return opened ? reach::unfinished : reach::failed;
}

reach deletefileinside(allowedfolders const* folders, char const* path) {
  entry target;
  reach where = toentry(folders, path, target);
  return where == reach::done ? result(DeleteFileA(target.path)) : where;
}

reach removefolderinside(allowedfolders const* folders, char const* path) {
  entry target;
  reach where = toentry(folders, path, target);
  return where == reach::done ? result(RemoveDirectoryA(target.path)) : where;
}

reach movefileinside(allowedfolders const* folders, char const* from, char const* to) {
  entry source, target;
  reach wherefrom = toentry(folders, from, source);
  reach whereto = toentry(folders, to, target);
  if (wherefrom == reach::outside || whereto == reach::outside) return reach::outside;
  if (wherefrom == reach::allowedfolder || whereto == reach::allowedfolder)
    return reach::allowedfolder;
  if (wherefrom != reach::done || whereto != reach::done) return reach::failed;
  return result(MoveFileA(source.path, target.path));
}

reach createfolderinside(allowedfolders const* folders, char const* path) {
  entry target;
  reach where = toentry(folders, path, target);
  return where == reach::done ? result(CreateDirectoryA(target.path, nullptr)) : where;
}

reach folderinside(allowedfolders const* folders, char const* path) {
  if (path == nullptr) return reach::failed;
  char whole[maxpath];
  if (!wholeinside(folders, path, whole)) return reach::outside;
  heldfolder held;
  return held.hold(folders, whole) == reach::outside ? reach::outside : reach::done;
}

} // namespace vesk::platform
