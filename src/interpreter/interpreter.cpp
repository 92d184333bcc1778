// interpreter.cpp - the interpreter object a host holds, a handle on its engine, and the
// engine's construction. An engine owns its operand stack and the machine's registers; the
// store, the log function, the registry and the lines of a run belong to others and are
// never released here, except the family and registry of an engine the host created.
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine.h"
#include "family.h"
#include "scriptmemo.h"
#include "temporaries.h"
#include "stackaccess.h"

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

// A nested engine's start: it shares the registry and the store and logs where its creator
// does. Without memory for its registers it has no temporaries, which nest() refuses.
engine::engine(registry* registryof, variables* store, vesk::logfunc logto)
    : opstack(defaultarenasize), log(logto ? logto : droplog), globals(store),
      funcs(registryof), temps(new (std::nothrow) temporaries(stackaccess::arena(opstack))),
      operands(static_cast<operand*>(malloc(sizeof(operand) * operandcapacity))),
      slots(stackaccess::capacity(opstack)) {
  if (operands == nullptr) {
    delete temps;
    temps = nullptr;
  }
}

engine::~engine() {
  // Nothing runs any more: what was stored into the last statement's lists goes at once.
  for (int i = 0; temps != nullptr && i < temps->adoptedcount(); ++i) {
    variable adopted = temps->adoptedvalue(i);
    releasevalue(&adopted);
  }
  delete temps;
  delete absentscripts;
  free(operands);
  free(calls);
  free(chains);
  free(lists);
  releasematches();
  if (ownsshared) deletefamily(shared);
  releaseregistry();
}

// Every member is copied: both engines then share the operand stack's memory, the family, the
// registry and the registers' memory, and only one may be destroyed.
void engine::copyfrom(engine const& other) {
  opstack = other.opstack;
  log = other.log;
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
  temps = other.temps;
  absentscripts = other.absentscripts;
  matches = other.matches;
  book = other.book;
  operands = other.operands;
  depth = other.depth;
  slots = other.slots;
  calls = other.calls;
  callcount = other.callcount;
  callcapacity = other.callcapacity;
  chains = other.chains;
  chaincount = other.chaincount;
  chaincapacity = other.chaincapacity;
  lists = other.lists;
  listcount = other.listcount;
  listcapacity = other.listcapacity;
}

void engine::setlogfunc(vesk::logfunc logto) {
  log = logto ? logto : droplog;
  if (shared != nullptr) shared->reportto.store(log, std::memory_order_release);
}

void engine::setscriptpath(char const* path1, char const* path2) {
  copytext(scriptpath1, path1, maxdirlen);
  copytext(scriptpath2, path2, maxdirlen);
  if (absentscripts != nullptr) absentscripts->forget();
  if (shared != nullptr) ++shared->pathsgeneration; // compiled lines resolve their names again
}

int engine::cmdsindex() const {
  if (cmdindex >= 0 && cmdindex < numcmds) return cmdindex;
  return numcmds - 1;
}

// --- the interpreter a host holds -----------------------------------------------------------

interpreter::interpreter(vesk::logfunc log) : interpreter(nullptr, log) {}

// An interpreter created by the host owns the family its nested interpreters will share.
interpreter::interpreter(variables* globals, vesk::logfunc log)
    : self(new (std::nothrow) engine(nullptr, globals, log)) {
  if (self == nullptr) return;
  self->shared = newfamily();
  self->ownsshared = self->shared != nullptr;
  if (self->shared == nullptr) return;
  self->shared->reportto.store(self->log);
  self->thread = &self->shared->host;
}

interpreter::~interpreter() { delete self; }

interpreter& interpreter::operator=(interpreter const& other) {
  if (this != &other && self != nullptr && other.self != nullptr) self->copyfrom(*other.self);
  return *this;
}

void interpreter::setlogfunc(vesk::logfunc log) {
  if (self != nullptr) self->setlogfunc(log);
}

void interpreter::setglobals(variables* globals) {
  if (self != nullptr) self->globals = globals;
}

void interpreter::setscriptpath(char const* path1, char const* path2) {
  if (self != nullptr) self->setscriptpath(path1, path2);
}

variables* interpreter::store() { return self != nullptr ? self->globals : nullptr; }

int interpreter::cmdsindex() { return self != nullptr ? self->cmdsindex() : -1; }

bool interpreter::execute(char const** lines, int count, char const* scriptname) {
  return self != nullptr && self->execute(lines, count, scriptname);
}

bool interpreter::execute(char const* name, parameters* params) {
  return self != nullptr && self->execute(name, params);
}

bool interpreter::execute(char const* line, char const* scriptname) {
  return self != nullptr && self->execute(line, scriptname);
}

variable* interpreter::evaluate(char const* text) {
  return self != nullptr ? self->evaluate(text) : nullptr;
}

bool interpreter::add(scriptfunc func, char const* name) {
  return self != nullptr && self->add(func, name);
}

bool interpreter::add(char const* libraryname) {
  return self != nullptr && self->add(libraryname);
}

void interpreter::setstatementlimit(long long statements) {
  if (self != nullptr) self->setstatementlimit(statements);
}

void interpreter::stop() {
  if (self != nullptr) self->stop();
}

void interpreter::sethook(statementhook hook, void* data) {
  if (self != nullptr) self->sethook(this, hook, data);
}

int interpreter::check(char const** lines, int count, char const* scriptname, int* warnings) {
  if (warnings != nullptr) *warnings = 0;
  return self != nullptr ? self->check(lines, count, scriptname, warnings) : -1;
}

} // namespace vesk
