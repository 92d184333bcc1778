// values.cpp - reading the engine's last value: a function the command registers is handed
// the engine's operand stack when the command calls it by name, and notes its top.
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

bool watchvalues(vesk::interpreter& engine) { return engine.add(takevalue, readername); }

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

} // namespace cli
