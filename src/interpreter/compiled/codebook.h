// codebook.h - the compiled lines of a script text (kept by the family, shared by every call of
// that text) or of a host's run of lines (for that run only). A line is compiled on its second
// pass: its instructions, the texts they name, and a site per name with what it resolved to
// and where its variable was last found. Sites are checked before they are used: a line whose
// names may have changed kind is resolved again (and compiled again when one did), and a
// remembered variable is used only while the store, the call and the lists it was found in
// show that it is still the one the name finds.
#pragma once

#include "caller.h"
#include "callframe.h"
#include "code.h"
#include "storeaccess.h"
#include "vesk.h"

namespace vesk {

struct scripttext;

// Where a variable (or a member of a named list) was found last, and what must be unchanged
// for it to be found there again.
struct foundslot {
  variable* slot = nullptr;
  variable* container = nullptr; // the list holding it
  variable* root = nullptr;      // the store or parameter list it was found in
  variable* store = nullptr;     // the store it was looked up in
  unsigned long long storegeneration = 0;
  unsigned long long frame = 0; // the call whose parameters were laid over the store
  bool parameter = false;       // found among those parameters
  int position = -1;            // its place among them (-1: not known)
  // Members: the named list's storage, stamp and generation.
  void const* storage = nullptr;
  unsigned long long stamp = 0;
};

// A name of a compiled line.
struct site {
  namekind kind = variablename;
  bool resolved = false;          // its kind came from the resolver (an operand's name)
  int token = 0;                  // where in the line it was read
  scriptfunc function = nullptr;  // calledfunction
  numericfunc numeric = nullptr;  // its numbers-only form, if it has one
  scripttext* script = nullptr;   // calledscript (a use is held)
  bool kept = false;              // calledscript: its text is kept, so the listings tell when
                                  // the file changes; else the file is read for every call
  char const* name = nullptr;     // in the line's texts
  char path[maxpathlen + 1] = ""; // calledscript
  unsigned long long bit = 0;     // the name's bit in a call's mask of parameter names
  foundslot found;
};

struct compiledline {
  instruction* code = nullptr;
  int count = 0;
  int reread = -1; // the expression reading's first instruction, or -1
  site* sites = nullptr;
  int sitecount = 0;
  char* texts = nullptr;
  bool empty = false;       // no statement: does not count against the statement limit
  bool resolves = false;    // some name's kind depends on the registry and the script files
  bool callsscript = false; // some name calls a script file
  bool unkept = false;      // some script it calls has no kept text: its names are resolved
                            // again for every run of the line, as a line not compiled is
  // Under what the names' kinds were decided.
  unsigned long long registry = 0, scripts = 0, paths = 0;
  instruction* quick = nullptr; // its quick tier, if its statement works on numbers alone
  int quickcount = 0;
  int misses = 0;               // quick runs given to the general instructions in a row
  int running = 0;              // runs of it in progress: it is not released under them
  compiledline* next = nullptr; // replaced while running: waits with the book's others
};

void releaseline(compiledline* line);
// Sets what the line's sites say of the scripts it calls (callsscript, unkept).
void notescripts(compiledline& line);

class codebook {
public:
  static codebook* make(int lines); // null without memory
  static void release(codebook* book);

  compiledline* line(int i) const { return lines[i]; }
  // Counts a pass of line i; true from its second pass on.
  bool again(int i) { return passes[i] == 2 || ++passes[i] == 2; }
  // Installs a compiled line (the one it replaces, if not running, is released).
  void install(int i, compiledline* compiled);
  int size() const { return count; }

private:
  int count = 0;
  compiledline** lines = nullptr;
  unsigned char* passes = nullptr;
  compiledline* replaced = nullptr; // replaced while they ran, released with the book
};

// A remembered slot of a store (or a call's parameters) that the name still finds: the store
// lost no element since, and either the same call runs or the running call has no parameter
// of that name.
inline bool stillfound(foundslot const& f, variables* store, callframe const* frame,
                       unsigned long long bit) {
  if (f.slot == nullptr || f.store != store || storeaccess::generation(*store) != f.storegeneration)
    return false;
  if (frame->serial == f.frame) return true;
  return !f.parameter && (frame->mask & bit) == 0;
}

// A remembered member of a named list that the name still finds: the same storage, stored at
// the same time, and no element taken out since.
inline bool stillmember(foundslot const& f, variable* list) {
  return f.slot != nullptr && storeaccess::storageof(*list) == f.storage &&
         storeaccess::stamp(*list) == f.stamp &&
         storeaccess::generation(*list) == f.storegeneration;
}

} // namespace vesk
