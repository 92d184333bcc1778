// entrypoints.cpp - the host's calls that run something: a run of lines, a single command
// line, an expression, and a function or script by name. Each is a host's call (hostcall.cpp)
// and runs in this engine, its scripts and parallel parts in nested ones.
#include <cstdio>
#include <cstring>

#include "engine.h"
#include "fastpaths.h"
#include "parser.h"
#include "reference.h"
#include "scripttexts.h"
#include "storeaccess.h"

namespace vesk {

namespace {

// While a host's single line or expression runs, it is the run's one line (what a hook is
// told), under a frame that keeps the overlay the store has.
class hostline {
public:
  hostline(engine& e, char const* text)
      : self(e), single{text}, lines(e.cmds), count(e.numcmds),
        host(e.globals ? storeaccess::overlay(*e.globals) : nullptr, false) {
    e.cmds = single;
    e.numcmds = 1;
    e.frame = &host;
  }
  ~hostline() {
    self.cmds = lines;
    self.numcmds = count;
    self.frame = nullptr;
  }
  hostline(hostline const&) = delete;
  hostline& operator=(hostline const&) = delete;

private:
  engine& self;
  char const* single[1];
  char const** lines; // the engine's lines before
  int count;
  callframe host;
};

} // namespace

// A run given by the host: its statements see whatever the host laid over the store.
bool engine::execute(char const** lines, int count, char const* name) {
  if (!begincall()) return false;
  bool ok = false;
  if (!refused(name, lines, count)) {
    callframe host(globals ? storeaccess::overlay(*globals) : nullptr, false);
    frame = &host;
    // The host's lines may change before its next call: their compiled forms last this run.
    codebook* compiled = fastpaths() ? codebook::make(count) : nullptr;
    ok = run(lines, count, name, compiled, 0);
    codebook::release(compiled);
    frame = nullptr;
  }
  endcall();
  return ok;
}

// A single command line: an expression statement or an assignment; no blocks. Its value is
// left on the operand stack, where a function the host calls next may read it.
bool engine::execute(char const* line, char const* name) {
  if (!begincall()) return false;
  bool ok = false;
  cmdindex = 0;
  if (line != nullptr && !refused(name, nullptr, 0)) {
    ctrlstack = nullptr;
    ctrltop = 0;
    ctrlsize = 0;
    copytext(scriptname, name, maxpathlen);
    hostline single(*this, line);
    statementlock hold(&shared->lock);
    if (proceed()) {
      resetoperands();
      beginstatement(shared->lock, thread);
      beginline();
      referencerun general(*this);
      parser reader(line, general, general);
      reader.command();
      ok = finishline() >= 0 && !stopped();
      topvalue();
      endstatement(shared, thread);
    }
  }
  endcall();
  return ok;
}

// The evaluation counts as a statement that goes on until the next call: the storage its
// value may refer to stays until then.
variable* engine::evaluate(char const* text) {
  if (text == nullptr || !begincall()) return nullptr;
  cmdindex = -1; // functions called from here report line 0
  scriptname[0] = '\0';
  ctrlstack = nullptr;
  ctrltop = 0;
  ctrlsize = 0;
  variable* result = nullptr;
  {
    hostline single(*this, text); // reported at line 0
    statementlock hold(&shared->lock);
    if (proceed()) {
      resetoperands();
      beginstatement(shared->lock, thread);
      beginline();
      referencerun general(*this);
      parser reader(text, general, general);
      bool rest = false;
      bool ok = reader.expression(&rest);
      finishline();
      if (ok && !rest && !stopped()) result = topvalue();
    }
  }
  endcall();
  return result;
}

bool engine::execute(char const* name, parameters* params) {
  if (name == nullptr || !begincall()) return false;
  bool ok = false;
  if (scriptfunc func = findfunc(name)) {
    stackaccess::setowner(opstack, this);
    ok = callguarded(func, params, log);
    if (threw) {
      char text[messagesize];
      snprintf(text, sizeof text, "function '%s' failed: it threw an exception", name);
      log(logerror, text);
      threw = false;
    }
  } else if (FILE* file = findscript(name)) {
    char saved[maxpathlen + 1];
    memcpy(saved, scriptname, sizeof saved);
    // The store's overlay is the host's again afterwards; the host's parameters keep what
    // the script stores into them.
    callframe host(globals ? storeaccess::overlay(*globals) : nullptr, false);
    callframe callee(params, false);
    frame = &host;
    scripttext* script = openscript(file, foundpath, nullptr, true);
    ok = runtext(script, callee, foundpath, 0); // the host's own run
    if (script != nullptr) releasescripttext(script);
    frame = nullptr;
    memcpy(scriptname, saved, sizeof saved);
  }
  endcall();
  return ok;
}

} // namespace vesk
