// interpreter.cpp - the interpreter object a host holds, a handle on its engine, and the
// engine's life and settings. The store, the log function and the lines of a run belong to the
// host and are never released here; the family and registry are released by the last of the
// host's interpreters that share them (copies).
#include <cstdio>
#include <cstring>
#include <new>

#include "codecache.h"
#include "engine.h"
#include "enginepool.h"
#include "pausedrun.h"
#include "scriptmemo.h"

namespace vesk {

// A host's interpreter: a family of its own (`join` null), or a share of the family `join`
// of the interpreter it is a copy of. Without memory for either it has no family, which every
// call then refuses.
engine::engine(variables* store, vesk::logfunc logto, family* join)
    : runengine(nullptr, store, logto) {
  shared = join != nullptr ? join : newfamily();
  if (shared == nullptr) return;
  if (join != nullptr) sharefamily(join);
  ownsshared = true;
  if (join == nullptr) shared->reportto.store(log);
  thread = &shared->lock.host;
}

// The last of the interpreters sharing the family gives back what the family keeps.
engine::~engine() {
  if (!ownsshared || !letgo(shared)) return;
  releasepool(shared);
  releasecodecache(shared);
  deletefamily(shared);
}

// The engine of a copy of the interpreter: the same log function, store, script folders and
// place in its last run, and a share of the same family and registry, so that either
// interpreter may be destroyed while the other goes on. Null without memory.
engine* engine::twin() const {
  if (shared == nullptr) return nullptr;
  auto* copy = new (std::nothrow) engine(globals, log, shared);
  if (copy == nullptr) return nullptr;
  if (copy->temps == nullptr) {
    delete copy;
    return nullptr;
  }
  copy->shareregistry(*this);
  memcpy(copy->scriptpath1, scriptpath1, sizeof scriptpath1);
  memcpy(copy->scriptpath2, scriptpath2, sizeof scriptpath2);
  memcpy(copy->scriptname, scriptname, sizeof scriptname);
  copy->cmdindex = cmdindex;
  copy->numcmds = numcmds;
  return copy;
}

// The interpreter `owner` is going: a hook set through it must not be called with it again.
void engine::forget(interpreter* owner) {
  if (shared == nullptr) return;
  if (shared->hookowner == owner) sethook(nullptr, nullptr, nullptr);
  if (shared->errorowner == owner) seterrorhook(nullptr, nullptr, nullptr);
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

// Every statement comes to recheck from the next on while a hook is set.
void engine::sethook(interpreter* owner, statementhook hook, void* data) {
  if (shared == nullptr) return;
  shared->hook = hook;
  shared->hookowner = owner;
  shared->hookdata = data;
  shared->executed += shared->granted - shared->budget;
  shared->granted = shared->budget = 0;
}

void engine::seterrorhook(interpreter* owner, errorhook hook, void* data) {
  if (shared == nullptr) return;
  shared->onerror = hook;
  shared->errorowner = owner;
  shared->errordata = data;
}

void engine::setstatementlimit(long long statements) {
  if (shared != nullptr) shared->statementlimit = statements > 0 ? statements : 0;
}

void engine::stop() {
  if (shared != nullptr) shared->stoprequested = true;
}

int engine::cmdsindex() const {
  if (cmdindex >= 0 && cmdindex < numcmds) return cmdindex;
  return numcmds - 1;
}

// --- the interpreter a host holds -----------------------------------------------------------

interpreter::interpreter(vesk::logfunc log) : interpreter(nullptr, log) {}

namespace {

// The engine of a host's new interpreter, with a family of its own; null, after a message,
// without memory for either (what else the engine lacks it takes at its first call).
engine* newengine(variables* globals, vesk::logfunc log) {
  auto* made = new (std::nothrow) engine(globals, log, nullptr);
  if (made != nullptr && made->shared == nullptr) {
    delete made;
    made = nullptr;
  }
  if (made == nullptr && log != nullptr) log(logerror, msg_memory);
  return made;
}

} // namespace

// An interpreter created by the host owns the family its nested interpreters will share.
interpreter::interpreter(variables* globals, vesk::logfunc log) : self(newengine(globals, log)) {}

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
  if (self != nullptr && !self->refusedinpause("setscriptpath")) self->setscriptpath(path1, path2);
}

variables* interpreter::store() {
  return self != nullptr ? self->globals : nullptr;
}

int interpreter::cmdsindex() {
  return self != nullptr ? self->cmdsindex() : -1;
}

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
  return self != nullptr && !self->refusedinpause("add") && self->add(func, name);
}

bool interpreter::add(char const* libraryname) {
  return self != nullptr && !self->refusedinpause("add") && self->add(libraryname);
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

void interpreter::seterrorhook(errorhook hook, void* data) {
  if (self != nullptr) self->seterrorhook(this, hook, data);
}

int interpreter::frames() {
  return self != nullptr ? pausedframes(self->shared) : 0;
}

bool interpreter::frame(int index, frameinfo& info) {
  runner* call = self != nullptr ? pausedframe(self->shared, index) : nullptr;
  if (call != nullptr) describeframe(*call, info);
  return call != nullptr;
}

// Asked when no run is paused here, or for a call it does not have, it says so.
variable* interpreter::evaluate(char const* text, int frame, vesk::logfunc log) {
  if (self == nullptr) return nullptr;
  if (log == nullptr) log = self->log;
  if (pausedframe(self->shared, frame) == nullptr) {
    char message[messagesize];
    snprintf(message, sizeof message, "evaluate in frame %d: %s", frame,
             pausedframes(self->shared) == 0
                 ? "no run is paused in the statement hook on this thread"
                 : "the paused run has no such frame");
    log(logerror, message);
    return nullptr;
  }
  return evaluateinframe(self->shared, frame, text, log);
}

int interpreter::list(char const** lines, int count, char const* scriptname) {
  return self != nullptr ? self->list(lines, count, scriptname) : -1;
}

int interpreter::check(char const** lines, int count, char const* scriptname, int* warnings) {
  if (warnings != nullptr) *warnings = 0;
  return self != nullptr ? self->check(lines, count, scriptname, warnings) : -1;
}

} // namespace vesk
