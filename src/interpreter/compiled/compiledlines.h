// compiledlines.h - lines kept in compiled form (codebook.h) and the names they remember. This
// is the one place that decides whether what a compiled line remembers still holds: a line
// compiled under the registry, script files and folders that are now (stillvalid), a name whose
// kind is still what it was (stillresolves), a variable still where its site found it
// (remembered). Invariant: a remembered slot is used only while those say so; otherwise the
// name is looked up again, or the line compiled again, the way a line not compiled finds it.
#pragma once

#include "caller.h"
#include "codebook.h"
#include "scriptcache.h"

namespace vesk {

class compiledlines : public caller {
public:
  compiledlines(registry* registryof, variables* store, logfunc logto)
      : caller(registryof, store, logto) {}

  // --- compiling (compiler.cpp) ---
  compiledline* compile(char const* text, compiledline const* before, int boundary);

  // --- what the line's names remember (sites.cpp) ---
  bool stillvalid(compiledline const& line);
  bool stillresolves(compiledline& line, int from);
  compiledline* resumeafter(compiledline& line, int pc, char const* text);
  variable* remembered(site& s);
  variable* refindparameter(site& s);
  variable* sitevariable(site& s, located* where);
  emitresult sitevalue(site& s);
  emitresult compiledvariable(site& s);
  emitresult compiledtarget(instruction const& in, site& s);
  emitresult compiledmember(instruction const& in, site& s);
  emitresult compiledcall(site& s);
  variable* quickfindmember(compiledline& line, int base, int member);

  codebook* book = nullptr; // the compiled lines of the running lines, or null
  int bookoffset = 0;       // where the running lines start in the book
};

// The variable a site remembers, when the name still finds it there, or a parameter found at
// the same place in the parameters of another call (else null).
inline variable* compiledlines::remembered(site& s) {
  if (globals == nullptr) return nullptr;
  if (stillfound(s.found, globals, frame, s.bit)) return s.found.slot;
  return s.found.parameter ? refindparameter(s) : nullptr;
}

// Whether the line was compiled under the registry, script files and folders that are now. A
// line that calls a script takes in the change notifications that are due first, so that it
// sees a file changed by the host or another process as a line not compiled does; one whose
// script has no kept text is resolved again every time.
inline bool compiledlines::stillvalid(compiledline const& line) {
  if (!line.resolves) return true;
  if (line.unkept) return false;
  unsigned long long scripts = line.callsscript ? scriptsgeneration() : scriptsgenerationnow();
  return line.registry == shared->registrygeneration && line.scripts == scripts &&
         line.paths == shared->pathsgeneration;
}

} // namespace vesk
