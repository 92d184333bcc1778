// sites.cpp - what the names of a compiled line remember: a variable is taken from where its
// site found it last while the store, the call and the named list it was found in say that
// the name still finds it there, and a call goes to the function or script the site resolved.
// Before a line runs, and after each call in it, the line checks that its names still are what
// they were (functions registered, script files come or gone, script folders changed); a line
// whose names changed kind is compiled again, from the point reached when that happens.
#include <cstring>

#include "callframe.h"
#include "codebook.h"
#include "compiledlines.h"
#include "family.h"
#include "scriptcache.h"
#include "scripttexts.h"
#include "storeaccess.h"

namespace vesk {

namespace {

void remembermember(foundslot& f, variable* list, located const& at) {
  f.slot = at.value;
  f.container = at.container;
  f.storage = storeaccess::storageof(*list);
  f.stamp = storeaccess::stamp(*list);
  f.storegeneration = storeaccess::generation(*list);
}

// The place of `value` among the elements of the named list `list`, or -1.
int positionof(variable* list, variable const* value) {
  char const* name = nullptr;
  for (int i = 0;; ++i) {
    variable const* element = storeaccess::namedelement(*list, i, &name);
    if (element == nullptr) return -1;
    if (element == value) return i;
  }
}

} // namespace

// Where a variable of the store (or of the call's parameters) is, remembered in `s`.
variable* compiledlines::sitevariable(site& s, located* where) {
  foundslot& f = s.found;
  if (globals == nullptr) { // only parameters: nothing to remember
    located at = vesk::locate(namesroot(), s.name);
    if (where != nullptr) *where = at;
    return at.value;
  }
  if (stillfound(f, globals, frame, s.bit)) {
    if (where != nullptr) *where = {f.slot, f.root, f.container};
    return f.slot;
  }
  located at = vesk::locate(globals, s.name);
  if (where != nullptr) *where = at;
  if (at.value == nullptr || strchr(s.name, '.') != nullptr) return at.value;
  f.slot = at.value;
  f.container = at.container;
  f.root = at.root;
  f.store = globals;
  f.storegeneration = storeaccess::generation(*globals);
  f.frame = frame->serial;
  f.parameter = at.root != globals;
  f.position = f.parameter ? positionof(at.root, at.value) : -1;
  return at.value;
}

// A parameter site in another call (the call of the same script again, as a rule): when this
// call's parameters hold an element of the site's name at the same place and none of that name
// before it, that element is what the name finds now. Null: the site looks the name up again.
variable* compiledlines::refindparameter(site& s) {
  foundslot& f = s.found;
  variable* params = frame->params;
  if (f.position < 0 || params == nullptr || f.store != globals ||
      storeaccess::generation(*globals) != f.storegeneration ||
      storeaccess::overlay(*globals) != params || storeaccess::overlay(*params) != nullptr)
    return nullptr;
  char const* name = nullptr;
  variable* value = storeaccess::namedelement(*params, f.position, &name);
  if (value == nullptr || strcmp(name, s.name) != 0) return nullptr;
  for (int i = 0; i < f.position; ++i) {
    char const* before = nullptr;
    storeaccess::namedelement(*params, i, &before);
    if (strcmp(before, s.name) == 0) return nullptr;
  }
  f.slot = value;
  f.container = params;
  f.root = params;
  f.frame = frame->serial;
  return value;
}

// An assignment target: where its site remembers it while the name still finds it there, else
// where its site finds it now; a missing one is read as the reference way reads it (it is
// made, or the line is read as an expression).
emitresult compiledlines::compiledtarget(instruction const& in, site& s) {
  if (variable* slot = remembered(s)) {
    aim.slot = slot;
    aim.container = s.found.container;
    aim.kind = s.found.parameter ? parameterslot : variableslot;
    aim.plain = (in.flag & targetselectors) == 0;
    aim.failed = false;
    aim.name = in.text;
    return emitted;
  }
  located at{};
  if (sitevariable(s, &at) == nullptr) return readtarget(in);
  aim = target{};
  aim.name = in.text;
  aim.slot = at.value;
  aim.container = at.container;
  if (at.container == at.root)
    aim.kind = at.root == globals ? variableslot : parameterslot;
  else
    aim.kind = elementkind(*at.container);
  aim.plain = (in.flag & targetselectors) == 0;
  return emitted;
}

// "." member, its value before the "." checked already: the member remembered for that named
// list, or looked up and remembered.
emitresult compiledlines::compiledmember(instruction const& in, site& s) {
  bool ontarget = (in.flag & selecttarget) != 0;
  variable* list = ontarget ? aim.slot : chains[chaincount - 1].current;
  if (!stillmember(s.found, list)) {
    located at = vesk::locate(list, s.name);
    if (at.value == nullptr || storeaccess::overlay(*list) != nullptr ||
        strchr(s.name, '.') != nullptr)
      return selector(in) ? emitted : failed;
    remembermember(s.found, list, at);
  }
  target chain;
  target& current = ontarget ? aim : chain;
  select(current, s.found.container, s.found.slot, ontarget);
  if (ontarget) return emitted;
  if (!chainstep(current)) {
    inexpression = true;
    return failed;
  }
  chains[chaincount - 1].current = current.slot;
  return emitted;
}

emitresult compiledlines::compiledcall(site& s) {
  if (s.script != nullptr) usescripttext(s.script);
  if (callopen(s.function, s.script, s.kind == calledscript ? s.path : s.name, s.numeric))
    return emitted;
  inexpression = true;
  return failed;
}

// Resolves the line's names again from site `from` on; true when each is what it was (the
// sites then take what they are now, the line the generations it was checked under).
bool compiledlines::stillresolves(compiledline& line, int from) {
  unsigned long long registrygen = shared->registrygeneration;
  unsigned long long scriptsgen = scriptsgenerationnow();
  unsigned long long pathsgen = shared->pathsgeneration;
  for (int i = from; i < line.sitecount; ++i) {
    site& s = line.sites[i];
    if (!s.resolved) continue;
    resolution now{};
    namekind kind = resolve(s.name, &now);
    bool same = kind == s.kind && now.function == s.function &&
                (kind != calledscript || strcmp(now.path, s.path) == 0);
    if (same && kind == calledscript && now.script != s.script) {
      // The same file, read again: the site calls its present text.
      if (s.script != nullptr) releasescripttext(s.script);
      s.script = now.script;
      now.script = nullptr;
    }
    if (same && kind == calledscript) s.kept = now.kept;
    if (now.script != nullptr) releasescripttext(now.script);
    if (!same) return false;
  }
  notescripts(line);
  line.registry = registrygen;
  line.scripts = scriptsgen;
  line.paths = pathsgen;
  return true;
}

// After a call changed what names are: the line as it goes on from instruction `pc`. The
// same line while the names still to come are what they were; else the line compiled again
// with the kinds of the names before that point kept, whose instructions up to `pc` are
// those that ran.
compiledline* compiledlines::resumeafter(compiledline& line, int pc, char const* text) {
  int boundary = line.code[pc].token;
  int from = 0;
  while (from < line.sitecount && line.sites[from].token < boundary) ++from;
  if (stillresolves(line, from)) return &line;
  compiledline* again = compile(text, &line, boundary);
  if (again == nullptr || again->count <= pc) {
    releaseline(again);
    return &line; // without memory: the names keep the kinds they had
  }
  for (int i = 0; i <= pc; ++i)
    if (again->code[i].code != line.code[i].code) {
      releaseline(again);
      return &line;
    }
  return again;
}

// A variable's value onto the operands, found the way its site finds it.
emitresult compiledlines::compiledvariable(site& s) {
  variable* value = sitevariable(s, nullptr);
  if (value == nullptr) {
    error("unknown element '%s'", s.name);
    inexpression = true;
    return failed;
  }
  if (pushvalue(value)) return emitted;
  inexpression = true;
  return failed;
}

} // namespace vesk
