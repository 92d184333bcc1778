// interpreter.cpp - the interpreter object a host holds, a handle on its engine, and the
// engine's construction. An engine owns its operand stack and the machine's registers; the
// store, the log function, the registry and the lines of a run belong to others and are
// never released here, except the family and registry of an engine the host created.
#include <cstdio>
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
  if (ownsshared) releasefamily(shared);
  releaseregistry();
}

// The engine of a copy of the interpreter: the same log function, store, script folders and
// place in its last run, and a share of the same family and registry, so that either
// interpreter may be destroyed while the other goes on. Null without memory.
engine* engine::twin() const {
  auto* copy = new (std::nothrow) engine(nullptr, globals, log);
  if (copy == nullptr) return nullptr;
  if (copy->temps == nullptr || shared == nullptr) {
    delete copy;
    return nullptr;
  }
  copy->shareregistry(*this);
  sharefamily(shared);
  copy->shared = shared;
  copy->ownsshared = true;
  copy->thread = &shared->host;
  memcpy(copy->scriptpath1, scriptpath1, sizeof scriptpath1);
  memcpy(copy->scriptpath2, scriptpath2, sizeof scriptpath2);
  memcpy(copy->scriptname, scriptname, sizeof scriptname);
  copy->cmdindex = cmdindex;
  copy->numcmds = numcmds;
  return copy;
}

// The interpreter `owner` is going: a hook set through it must not be called with it again.
void engine::forget(interpreter* owner) {
  if (shared == nullptr || shared->hookowner != owner) return;
  shared->hook = nullptr;
  shared->hookowner = nullptr;
  shared->hookdata = nullptr;
}

void engine::setlogfunc(vesk::logfunc logto) {
  log = logto ? logto : droplog;
  if (shared != nullptr) shared->reportto.store(log, std::memory_order_release);
}

// A folder in which no script path would fit ("folder/x.vk" longer than maxpathlen) is
// refused: lookups there would fail without a word.
void engine::setscriptpath(char const* path1, char const* path2) {
  constexpr size_t longest = maxpathlen - sizeof "/x.vk" + 1;
  char const* paths[] = {path1, path2};
  for (char const*& path : paths) {
    if (path == nullptr || strnlen(path, longest + 1) <= longest) continue;
    char text[messagesize];
    snprintf(text, sizeof text,
             "script folder longer than %d characters refused (a script's path holds at most "
             "%d): %.300s...",
             static_cast<int>(longest), maxpathlen, path);
    log(logerror, text);
    path = nullptr;
  }
  copytext(scriptpath1, paths[0], maxdirlen);
  copytext(scriptpath2, paths[1], maxdirlen);
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

interpreter::~interpreter() {
  if (self != nullptr) self->forget(this);
  delete self;
}

// The copy gets an engine of its own that shares the family and registry; an interpreter that
// is running (a function assigning over the interpreter that calls it) stays as it is.
interpreter& interpreter::operator=(interpreter const& other) {
  if (this == &other || other.self == nullptr) return *this;
  if (self != nullptr && self->shared != nullptr && self->shared->inuse.load()) {
    self->misuse("an interpreter cannot be assigned to while it runs");
    return *this;
  }
  engine* copy = other.self->twin();
  if (copy == nullptr) {
    other.self->log(logerror, msg_memory);
    return *this;
  }
  if (self != nullptr) self->forget(this);
  delete self;
  self = copy;
  return *this;
}

void interpreter::setlogfunc(vesk::logfunc log) {
  if (self != nullptr) self->setlogfunc(log);
}

// A run holds on to its store: a function may not swap it under the statement that called it.
void interpreter::setglobals(variables* globals) {
  if (self == nullptr) return;
  if (self->shared != nullptr && self->shared->inuse.load()) {
    self->misuse("setglobals: the store cannot be replaced while the interpreter runs");
    return;
  }
  self->globals = globals;
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

int interpreter::list(char const** lines, int count, char const* scriptname) {
  return self != nullptr ? self->list(lines, count, scriptname) : -1;
}

int interpreter::check(char const** lines, int count, char const* scriptname, int* warnings) {
  if (warnings != nullptr) *warnings = 0;
  return self != nullptr ? self->check(lines, count, scriptname, warnings) : -1;
}

} // namespace vesk
