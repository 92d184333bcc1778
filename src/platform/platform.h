// platform.h - the operating-system services the engine uses, behind one small interface:
// extension libraries, the worker thread of parallel blocks, the local clock and sleeping,
// folders and files, and the well-known folders. Only src/platform includes system headers;
// platform/posix implements it for Linux and other POSIX systems, platform/windows for Windows.
#pragma once

#include <cstdio>

namespace vesk::platform {

// Separator used when the engine composes a path from a folder and a name.
#if defined(_WIN32)
constexpr char pathseparator = '\\';
#else
constexpr char pathseparator = '/';
#endif

// Whether a path is absolute: it begins with '/' (Windows: with '/' or '\\', or a drive
// letter and ':').
bool isabsolutepath(char const* path);

// Extension libraries: loaded once and kept until the process ends. A name without a folder
// is searched the system loader's way (POSIX: every symbol bound at load time and kept
// private; Windows: LoadLibraryA, which adds ".dll" to a file name without extension).
void* openlibrary(char const* path);               // null when it cannot be loaded
void* findsymbol(void* library, char const* name); // null when not exported, or no library
// Whether an extension library's entry points are also looked for under the C names that
// vesk.h's export macros give them (vesk_run, ...). A Windows DLL exports the decorated names
// themselves, mapped onto those functions by its .def file.
#if defined(_WIN32)
constexpr bool cnamedentries = false;
#else
constexpr bool cnamedentries = true;
#endif

// A worker thread running fn(arg); its result is handed back by jointhread.
struct thread;
typedef int (*threadmain)(void* arg);
thread* startthread(threadmain fn, void* arg); // null when no thread can be started
// Waits without limit and releases worker; call it exactly once per worker, never from the
// worker itself (that returns 0 and leaves the record to the running worker).
int jointhread(thread* worker);

// The local wall-clock time in the time zone of TZ (or the system's), read once per call:
// month 1-12, day 1-31, hour 0-23, minute 0-59, second 0-60. Reading cannot fail.
struct localtime {
  int year, month, day, hour, minute, second;
};
void getlocaltime(localtime& now);
// Blocks the calling thread for at least that long, resuming after interrupting signals.
void sleepmilliseconds(unsigned milliseconds);

// Folders and files; every path is taken as the caller gives it.
typedef void (*entryvisitor)(void* context, char const* name, bool isfolder);
// Calls visit for each entry of the folder except "." and "..", hidden ones included, in the
// order the file system gives them; a symbolic link counts as what it leads to (a dangling one
// as a file). False when the folder cannot be opened or read to its end; `opened` (when not
// null) tells which: true when it was opened but a read failed. Windows searches the pattern
// folder + "\\*", so that "" lists the current drive's root.
bool listfolder(char const* folder, entryvisitor visit, void* context, bool* opened = nullptr);
bool deletefile(char const* path);   // a file (or link); fails on a folder
bool removefolder(char const* path); // an empty folder only
// A file or folder to a new path on the same file system. Like the Windows MoveFile, it fails
// when something (file, folder or link) already exists at `to`, which then stays as it was.
bool movefile(char const* from, char const* to);
bool createfolder(char const* path); // one level, no missing parents
bool changetorootfolder(); // "/" (Windows: "\\", the current drive's root) becomes current

// The same operations confined to folders a host allows. Each allowed folder is resolved (its
// symbolic links followed) and held open when it is added, and stays that folder whatever
// later happens to its path. A path is taken relative to the first allowed folder (never to
// the current directory) or, when absolute, inside the allowed folder its resolved path begins
// with; `..` and symbolic links are followed step by step through handles held on the folders
// on the way, so that no step can lead out however the names on the way change meanwhile. A
// path that would lead out, at any step, is refused (`outside`) before anything is changed.
constexpr int maxallowedfolders = 32;
struct allowedfolders;
allowedfolders* newallowedfolders(); // none allowed yet; null without memory
void deleteallowedfolders(allowedfolders* folders);
// False when the folder cannot be opened as a folder or maxallowedfolders are allowed already.
bool allowfolder(allowedfolders* folders, char const* path);
int allowedcount(allowedfolders const* folders);

enum class reach {
  done,          // the operation was carried out (a listing: the folder could be read)
  failed,        // it stayed inside but failed, as the unconfined operation would fail
  outside,       // refused: the path leads outside every allowed folder
  allowedfolder, // refused: the path names an allowed folder itself, which is not changed
  unfinished,    // a listing: the folder was opened, but a read failed before its end
};
// A listing that cannot be opened is `failed`; one that breaks off is `unfinished` (entries may
// have been visited).
reach listfolderinside(allowedfolders const* folders, char const* folder, entryvisitor visit,
                       void* context);
reach deletefileinside(allowedfolders const* folders, char const* path);
reach removefolderinside(allowedfolders const* folders, char const* path);
reach movefileinside(allowedfolders const* folders, char const* from, char const* to);
reach createfolderinside(allowedfolders const* folders, char const* path);
// Whether the folder lies inside (done) or leads outside; a path that ends inside at a name
// that does not exist, or is no folder, counts as inside.
reach folderinside(allowedfolders const* folders, char const* path);

// Well-known folders by their shell number (CSIDL): the shell's own on Windows, elsewhere
// mapped as docs/folders.md shows. Writes the path, NUL-terminated, into buffer of size bytes
// (NUL included). False, with buffer "" when size > 0, for an unknown number, a path that
// cannot be determined (no home folder, no such folder on Windows) or one that does not fit.
bool specialfolderpath(int csidl, char* buffer, int size);

} // namespace vesk::platform

namespace vesk::platform {

// Bytes of the current thread's stack still free below the caller's frame (a large number when
// the platform cannot tell). Recursive parsing checks it to fail cleanly instead of overflowing.
unsigned long stackroom();

} // namespace vesk::platform

namespace vesk::platform {

// Opens a regular file for reading as a stream, or null. A name that does not exist costs one
// system call and no heap allocation (script lookup tries many names that do not exist).
// The bytes are read as they are on every system (the engine drops the CR of CR LF itself).
FILE* openforreading(char const* path);
// Hands what was written to `file` (flushed already) on to the storage device; false when the
// system reports that it could not, a write error that may show only then.
bool syncfile(FILE* file);

} // namespace vesk::platform

namespace vesk::platform {

// Change notifications for folders. A watch is a small number; polling reads what the system
// has queued since the last poll, without waiting, and hands every watch whose folder may have
// changed to `changed` (all of them when notifications were lost).
// Windows offers no watches (always -1): callers then look on the disk every time.
int watchfolder(char const* folder); // -1 when the folder cannot be watched
void unwatchfolder(int watch);
typedef void (*watchvisitor)(void* context, int watch);
void pollchanges(watchvisitor changed, void* context);

// A cheap clock for deciding when to poll: microseconds from an arbitrary start.
unsigned long long monotonicmicroseconds();
// Identifies the process's current working folder (changes when it changes), 0 if unknown.
unsigned long long workingfolderid();

} // namespace vesk::platform
