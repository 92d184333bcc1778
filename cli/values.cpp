// values.cpp - reading the engine's last value: a function the command registers is handed
// the engine's operand stack when the command calls it by name, and notes its top. Showing
// values and the global store through the built-in dump.
#include "values.h"

namespace cli {

namespace {

// Scripts cannot write this name without apostrophes; calling it from a script does no harm.
constexpr char const* readername = "vesk command: value";

vesk::variable* taken = nullptr;

bool takevalue(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  taken = opstack->numelements() > 0 ? opstack->top(0) : nullptr;
  return true;
}

} // namespace

bool watchvalues(vesk::interpreter& engine) {
  return engine.add(takevalue, readername);
}

vesk::variable* lastvalue(vesk::interpreter& engine) {
  taken = nullptr;
  vesk::parameters none;
  return engine.execute(readername, &none) ? taken : nullptr;
}

void show(vesk::variable* value, vesk::logfunc log) {
  vesk::interpreter printer(log);
  printer.addinternalfuncs(nullptr);
  vesk::parameters params;
  params.add(value, "");
  printer.execute("dump", &params);
  params.reset();
}

// A deleted variable leaves an element without a value behind in the store, whose name no
// longer leads to it (a variable whose assignment failed has no value either, but is there).
// The others are shown through a list of copies of their records, which share their lists'
// storage, so only the copies' own list is given back.
void showglobals(vesk::variables& globals, vesk::logfunc log) {
  vesk::variables remaining;
  vesk::variable walker = globals; // a cursor of its own
  char* name = nullptr;
  bool copied = true;
  for (vesk::variable* v = walker.first(&name); v != nullptr && copied; v = walker.next(&name)) {
    bool deleted = v->type() == vesk::undefinedtype && (name == nullptr || globals.find(name) != v);
    if (!deleted) copied = remaining.add(v, name) != nullptr;
  }
  show(copied ? &remaining : &globals, log);
  remaining.reset();
}

} // namespace cli
