// shapes.cpp - a test extension exporting several functions through `modules` and
// `modulename`: square and cube of one number, a function named `print` (taken by the
// built-in when the host registered those first), one whose name is too long to register and
// one without a name.
#include "vesk.h"

namespace {

// Reads the one number argument; reports through `log` when there is none.
vesk::variable* onenumber(vesk::parameters* params, vesk::logfunc log, char const* message) {
  vesk::variable* value = params->first();
  if (params->count() != 1 || !value->isnumber()) {
    log(vesk::logerror, message);
    return nullptr;
  }
  value->processed(true);
  return value;
}

bool square(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc log) {
  vesk::variable* value = onenumber(params, log, "square takes one number");
  return value && opstack->push(value->number() * value->number());
}

bool cube(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc log) {
  vesk::variable* value = onenumber(params, log, "cube takes one number");
  return value && opstack->push(value->number() * value->number() * value->number());
}

// Stands for a library function whose name another function already holds.
bool shapesprint(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return opstack->push("print of the shapes library") != nullptr;
}

bool toolong(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return opstack->push(0.0) != nullptr;
}

bool unnamed(vesk::stack* opstack, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return opstack->push(-1.0) != nullptr;
}

struct entry {
  vesk::scriptfunc func;
  char const* name;
};

constexpr entry entries[] = {
    {square, "square"}, {shapesprint, "print"}, {toolong, "thisfunctionnameislongerthan31chars"},
    {unnamed, ""},      {cube, "cube"},
};
constexpr int numentries = sizeof entries / sizeof entries[0];

vesk::scriptfunc functionat(int index) {
  return index >= 0 && index < numentries ? entries[index].func : nullptr;
}

char const* nameof(vesk::scriptfunc func) {
  for (entry const& e : entries)
    if (e.func == func) return e.name;
  return nullptr;
}

} // namespace

VESK_EXPORT_MODULES(functionat, nameof)
