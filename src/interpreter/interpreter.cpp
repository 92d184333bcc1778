// interpreter.cpp - construction of the interpreter object and its small public accessors.
// An interpreter owns its operand stack; the store, the log function, the registry and the
// lines of a run belong to others and are never released here.
#include <cstring>
#include <new>

#include "family.h"
#include "scriptmemo.h"
#include "frontend/temporaries.h"
#include "values/stackaccess.h"
#include "internal.h"

namespace vesk {

namespace {
void droplog(int, char const*) {}
} // namespace

void copytext(char* target, char const* text, int limit) {
  if (text == nullptr) text = "";
  int n = static_cast<int>(strnlen(text, static_cast<size_t>(limit)));
  memcpy(target, text, static_cast<size_t>(n));
  target[n] = '\0';
}

// An interpreter created by the host owns the state its nested interpreters will share.
interpreter::interpreter(vesk::logfunc log) : interpreter(nullptr, log) {}

interpreter::interpreter(variables* store, vesk::logfunc log)
    : interpreter(nullptr, store, log) {
  shared = newfamily();
  ownsshared = shared != nullptr;
  if (shared != nullptr) {
    shared->reportto.store(logfunc);
    thread = &shared->host;
  }
}

interpreter::interpreter(void* registry, variables* store, vesk::logfunc log)
    : cursymbolizer(nullptr), opstack(defaultarenasize), logfunc(log ? log : droplog), cmdindex(0),
      globals(store), funcs(registry), cmds(nullptr), numcmds(0), ctrlstack(nullptr),
      ctrltop(0), ctrlsize(0), frame(nullptr), calldepth(0), thread(nullptr), shared(nullptr),
      ownsshared(false), ownsfuncs(false), marked(nullptr), appendtarget(nullptr), exprdepth(0),
      nesting(0), matches(nullptr),
      temps(new(std::nothrow) temporaries(stackaccess::arena(opstack))),
      absentscripts(nullptr), runtokens(nullptr) {
  scriptpath1[0] = '\0';
  scriptpath2[0] = '\0';
  scriptname[0] = '\0';
  foundpath[0] = '\0';
}

interpreter::~interpreter() {
  // Nothing runs any more: what was stored into the last statement's lists goes at once.
  for (int i = 0; temps != nullptr && i < temps->adoptedcount(); ++i) {
    variable adopted = temps->adoptedvalue(i);
    releasevalue(&adopted);
  }
  delete temps;
  delete absentscripts;
  releasematches();
  if (ownsshared) deletefamily(shared);
  releaseregistry();
}

// Every member is copied, the state shared with nested interpreters included: both objects
// then share the operand stack, the family and the registry, and only one may be destroyed.
interpreter& interpreter::operator=(interpreter const& other) {
  if (this == &other) return *this;
  cursymbolizer = other.cursymbolizer;
  opstack = other.opstack;
  logfunc = other.logfunc;
  cmdindex = other.cmdindex;
  globals = other.globals;
  funcs = other.funcs;
  memcpy(scriptpath1, other.scriptpath1, sizeof scriptpath1);
  memcpy(scriptpath2, other.scriptpath2, sizeof scriptpath2);
  cmds = other.cmds;
  numcmds = other.numcmds;
  memcpy(scriptname, other.scriptname, sizeof scriptname);
  memcpy(foundpath, other.foundpath, sizeof foundpath);
  ctrlstack = other.ctrlstack;
  ctrltop = other.ctrltop;
  ctrlsize = other.ctrlsize;
  frame = other.frame;
  calldepth = other.calldepth;
  thread = other.thread;
  shared = other.shared;
  ownsshared = other.ownsshared;
  ownsfuncs = other.ownsfuncs;
  marked = other.marked;
  appendtarget = other.appendtarget;
  exprdepth = other.exprdepth;
  nesting = other.nesting;
  matches = other.matches;
  temps = other.temps;
  absentscripts = other.absentscripts;
  runtokens = other.runtokens;
  return *this;
}

void interpreter::setlogfunc(vesk::logfunc log) {
  logfunc = log ? log : droplog;
  if (shared != nullptr) shared->reportto.store(logfunc, std::memory_order_release);
}

void interpreter::setglobals(variables* store) { globals = store; }

void interpreter::setscriptpath(char const* path1, char const* path2) {
  copytext(scriptpath1, path1, maxdirlen);
  copytext(scriptpath2, path2, maxdirlen);
  if (absentscripts != nullptr) absentscripts->forget();
}

variables* interpreter::store() { return globals; }

int interpreter::cmdsindex() {
  if (cmdindex >= 0 && cmdindex < numcmds) return cmdindex;
  return numcmds - 1;
}

variable* interpreter::find(char const* name) {
  return globals ? globals->find(name) : nullptr;
}

} // namespace vesk
