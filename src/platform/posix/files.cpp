// files.cpp - listing folders, deleting, moving and creating files and folders, and handing a
// written file on to the disk.
// Paths are passed to the system exactly as the caller gives them; relative ones are taken
// relative to the process's current directory.
#include "posixfiles.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace vesk::platform {
namespace {

bool isdot(char const* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The directory entry's type when the file system reports it; otherwise (DT_UNKNOWN) and for a
// symbolic link, what the entry leads to. A link to a folder is a folder; a dangling one is not.
bool isfolderentry(DIR* folder, dirent const* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
  struct stat status {};
  return fstatat(dirfd(folder), entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

bool visitentries(DIR* opened, entryvisitor visit, void* context) {
  bool complete = true;
  for (;;) {
    errno = 0;
    dirent* entry = readdir(opened);
    if (entry == nullptr) {
      complete = errno == 0; // null with errno set: the folder could not be read to its end
      break;
    }
    if (isdot(entry->d_name)) continue;
    visit(context, entry->d_name, isfolderentry(opened, entry));
  }
  closedir(opened);
  return complete;
}

bool listfolder(char const* folder, entryvisitor visit, void* context, bool* opened) {
  if (folder == nullptr || visit == nullptr) return false;
  DIR* listing = opendir(folder);
  if (opened != nullptr) *opened = listing != nullptr;
  return listing != nullptr && visitentries(listing, visit, context);
}

bool isabsolutepath(char const* path) {
  return path != nullptr && path[0] == '/';
}

bool deletefile(char const* path) {
  return path != nullptr && unlink(path) == 0;
}

bool removefolder(char const* path) {
  return path != nullptr && rmdir(path) == 0;
}

// Never replaces an existing `to`, as the Windows MoveFile does not: renameat2 with
// RENAME_NOREPLACE checks and renames in one step. Where the C library or the file system does
// not offer it, an existence check before renameat stands in (not atomic against other
// processes).
bool moveat(int fromfolder, char const* from, int tofolder, char const* to) {
#if defined(RENAME_NOREPLACE)
  if (renameat2(fromfolder, from, tofolder, to, RENAME_NOREPLACE) == 0) return true;
  if (errno != ENOSYS && errno != EINVAL && errno != ENOTSUP) return false;
#endif
  struct stat existing {};
  if (fstatat(tofolder, to, &existing, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT) return false;
  return renameat(fromfolder, from, tofolder, to) == 0;
}

bool movefile(char const* from, char const* to) {
  return from != nullptr && to != nullptr && moveat(AT_FDCWD, from, AT_FDCWD, to);
}

bool createfolder(char const* path) {
  return path != nullptr && mkdir(path, 0777) == 0;
}

bool changetorootfolder() {
  return chdir("/") == 0;
}

bool syncfile(FILE* file) {
  return file != nullptr && fsync(fileno(file)) == 0;
}

} // namespace vesk::platform
