// scriptfiles.cpp - finding script files by name (never outside reach of a confined
// interpreter) and reading them whole into a line table, refusing a text with a NUL byte. The
// line table grows as needed; a file with any bytes is cut into lines without overrun.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "caller.h"
#include "callframe.h"
#include "diagnostics.h"
#include "family.h"
#include "fastpaths.h"
#include "platform.h"
#include "scriptcache.h"
#include "scriptmemo.h"
#include "scripttexts.h"
#include "stackaccess.h"
#include "storeaccess.h"

namespace vesk {

namespace {

constexpr char scriptextension[] = ".vk";
constexpr long maxscriptbytes = 0x7fffff00; // the text and its line table are indexed by int

// Appends `text` at `at` if it fits before `end`; the new end of the text, or null.
char* appendpath(char* at, char* end, char const* text) {
  size_t n = strlen(text);
  if (at == nullptr || n > static_cast<size_t>(end - at)) return nullptr;
  memcpy(at, text, n);
  return at + n;
}

// Builds "<directory>/<name>.vk" ('\\' on Windows; no separator for an empty directory) into
// target, at most maxpathlen characters; false when the path would not fit.
bool composepath(char* target, char const* directory, char const* name) {
  constexpr char separator[] = {platform::pathseparator, '\0'};
  char* end = target + maxpathlen;
  char* at = appendpath(target, end, directory);
  if (*directory) at = appendpath(at, end, separator);
  at = appendpath(appendpath(at, end, name), end, scriptextension);
  if (at == nullptr) return false;
  *at = '\0';
  return true;
}

// Opens the script `name` in `directory`; `known` is cleared when a missing file was not
// ruled out by the listings (the disk said so, or the path does not fit), so that only
// answers the listings keep up to date are remembered.
FILE* openpath(char* target, char const* directory, char const* name, bool& known) {
  if (!composepath(target, directory, name)) return nullptr;
  if (!scriptmayexist(target)) return nullptr;
  known = false;
  return platform::openforreading(target);
}

// Reads the rest of the file into a fresh buffer; null when memory cannot be had or when the
// file could not be read to its end (`broken`): a read that fails is no shorter script.
char* readwhole(FILE* file, long* length, bool* broken) {
  long capacity = 10240, used = 0;
  char* text = static_cast<char*>(malloc(static_cast<size_t>(capacity) + 1));
  while (text != nullptr) {
    used += static_cast<long>(fread(text + used, 1, static_cast<size_t>(capacity - used), file));
    if (used < capacity) break;
    if (capacity >= maxscriptbytes) {
      free(text);
      return nullptr;
    }
    capacity = capacity * 2 > maxscriptbytes ? maxscriptbytes : capacity * 2;
    char* grown = static_cast<char*>(realloc(text, static_cast<size_t>(capacity) + 1));
    if (grown == nullptr) free(text);
    text = grown;
  }
  *broken = ferror(file) != 0;
  if (text != nullptr && *broken) {
    free(text);
    text = nullptr;
  }
  if (text != nullptr) text[used] = '\0';
  *length = used;
  return text;
}

// Cuts the text into lines in place: each LF (and a CR before it) becomes the line's end.
// A last line without LF is used whole; an empty text has no lines.
bool cutlines(char* text, long length, char const*** lines, int* count) {
  int capacity = 64, n = 0;
  char const** table = static_cast<char const**>(malloc(sizeof(char*) * capacity));
  char* start = text;
  char* end = text + length;
  while (table != nullptr && start < end) {
    char* newline = static_cast<char*>(memchr(start, '\n', static_cast<size_t>(end - start)));
    char* stop = newline ? newline : end;
    if (stop > start && stop[-1] == '\r') stop[-1] = '\0';
    *stop = '\0';
    if (n == capacity) {
      // Line numbers are ints: a file of more lines than that is refused, not wrapped.
      char const** grown = nullptr;
      if (capacity <= INT_MAX / 2) {
        capacity *= 2;
        size_t bytes = sizeof(char*) * static_cast<size_t>(capacity);
        grown = static_cast<char const**>(realloc(table, bytes));
      }
      if (grown == nullptr) free(table);
      table = grown;
      if (table == nullptr) break;
    }
    table[n++] = start;
    start = stop + 1;
  }
  *lines = table;
  *count = n;
  return table != nullptr;
}

// The folder of the running script: scriptname up to its last separator, or "".
void scriptfolder(char* directory, char const* scriptname) {
  copytext(directory, scriptname, maxpathlen);
  char* cut = nullptr;
  for (char* p = directory; *p; ++p)
    if (*p == '/' || *p == '\\') cut = p;
  if (cut != nullptr)
    *cut = '\0';
  else
    directory[0] = '\0';
}

// The line (from 1) of the first NUL byte of the text, which would end that line early without
// a word; 0 when there is none.
int nulline(char const* text, long length) {
  auto nul = static_cast<char const*>(memchr(text, '\0', static_cast<size_t>(length)));
  if (nul == nullptr) return 0;
  int line = 1;
  for (char const* p = text; p < nul; ++p) line += *p == '\n';
  return line;
}

// Whether a script's name leads out of the folder it is looked for in: an absolute path, or
// ".." among its parts (either separator counts).
bool climbsout(char const* name) {
  if (platform::isabsolutepath(name)) return true;
  for (char const* part = name;; ++part) {
    size_t length = strcspn(part, "/\\");
    if (length == 2 && part[0] == '.' && part[1] == '.') return true;
    part += length;
    if (*part == '\0') return false;
  }
}

} // namespace

// Whether `name` is remembered as no script file (see scriptmemo).
bool caller::noscript(char const* name) {
  return absentscripts != nullptr && absentscripts->absent(name, scriptsgeneration());
}

// A confined family finds no script by a name that leads out of the folders.
bool caller::outofreach(char const* name) {
  return shared != nullptr && shared->confined && climbsout(name);
}

FILE* caller::findscript(char const* name) {
  if (outofreach(name)) return nullptr;
  unsigned long long generation = scriptsgeneration();
  if (absentscripts != nullptr && absentscripts->absent(name, generation)) return nullptr;
  char directory[maxpathlen + 1];
  scriptfolder(directory, scriptname);
  bool known = true;
  FILE* file = openpath(foundpath, directory, name, known);
  if (file == nullptr && scriptpath1[0]) file = openpath(foundpath, scriptpath1, name, known);
  if (file == nullptr && scriptpath2[0]) file = openpath(foundpath, scriptpath2, name, known);
  if (file == nullptr && known && fastpaths()) {
    if (absentscripts == nullptr) absentscripts = new (std::nothrow) scriptmemo;
    if (absentscripts != nullptr) absentscripts->remember(name, generation);
  }
  return file;
}

// The kept text of the script `name` when the listings place it in the first folder that has
// it, as findscript would find it, and it has not changed since it was read; its path is
// left in foundpath. Null when any of that is not known: findscript then opens the file.
scripttext* caller::knownscript(char const* name) {
  if (outofreach(name)) return nullptr;
  char directory[maxpathlen + 1];
  scriptfolder(directory, scriptname);
  char const* const folders[] = {directory, scriptpath1, scriptpath2};
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && folders[i][0] == '\0') continue;
    if (!composepath(foundpath, folders[i], name)) continue;
    scriptanswer answer = scriptstate(foundpath);
    if (answer == scriptpresent) return keptscript(foundpath);
    if (answer == scriptunknown) return nullptr;
  }
  return nullptr;
}

// Reads the rest of the file and cuts it into lines; null when the file cannot be read to its
// end, when a line holds a NUL byte or without memory, which is reported when `report` says so.
scripttext* caller::readscript(FILE* file, char const* path, bool report) {
  long length = 0;
  bool broken = false;
  char* text = readwhole(file, &length, &broken);
  if (broken) {
    if (report) error("script '%s' could not be read to its end", path);
    return nullptr;
  }
  if (int line = text != nullptr ? nulline(text, length) : 0) {
    free(text);
    if (report) {
      char message[messagesize];
      formatdiagnostic(message, sizeof message, path, line, "error", "line holds a NUL byte");
      log(logerror, message);
    }
    return nullptr;
  }
  char const** lines = nullptr;
  int count = 0;
  // A UTF-8 byte-order mark that an editor wrote before the first line is no part of it.
  long skipped = text != nullptr && length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
  if (text == nullptr || !cutlines(text + skipped, length - skipped, &lines, &count)) {
    free(text);
    if (report) error(msg_memory);
    return nullptr;
  }
  scripttext* script = makescripttext(text, lines, count, length);
  if (script == nullptr && report) error(msg_memory);
  return script;
}

// Reads the script whose file is open and closes it; its text is kept for later calls when the
// listings can tell whether the file changes (`kept`).
scripttext* caller::openscript(FILE* file, char const* path, bool* kept, bool report) {
  unsigned long long generation = scriptsgeneration(); // from before the read
  scripttext* script = readscript(file, path, report);
  fclose(file);
  bool keeping = script != nullptr && fastpaths() && keepscript(path, script, generation);
  if (kept != nullptr) *kept = keeping;
  return script;
}

// The text of the script at `path` for a call whose name resolved to it when its text could
// not be had: read again, and why it cannot be is reported now, when the call is made.
scripttext* caller::readcalled(char const* path) {
  FILE* file = platform::openforreading(path);
  if (file != nullptr) return openscript(file, path, nullptr, true);
  error("script '%s' could not be read", path);
  return nullptr;
}

} // namespace vesk
