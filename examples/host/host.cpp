// host.cpp - a small host of the vesk engine: it registers a function of its own, runs a
// script held in memory that calls it, reads the results back from the global store and gives
// back the storage of every list the script left there before it ends.
#include <cstdio>

#include "vesk.h"

namespace {

// The script: squares of 1 to 4 through the host's function, summed and kept in a list.
char const* script[] = {
    "total = 0",
    "squares = {}",
    "for i = 1 to 4",
    "  total = total + square(i)",
    "  squares = squares + {square(i)}",
    "next",
    "print(\"squares summed:\", total)",
};
constexpr int scriptlines = sizeof script / sizeof script[0];

// Output of print goes to standard output, every diagnostic to standard error.
void writelog(int level, char const* text) {
  std::fprintf(level == vesk::logoutput ? stdout : stderr, "%s\n", text);
}

// square(x): the square of one number. Marks its argument as read, leaves its result on the
// operand stack, and reports a wrong call through the log function.
bool square(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc log) {
  vesk::variable* x = params->first();
  if (params->count() != 1 || !x->isnumber()) {
    log(vesk::logerror, "square takes one number");
    return false;
  }
  x->processed(true);
  return opstack->push(x->number() * x->number()) != nullptr;
}

// Prints the results the script left in the store; false when one is missing.
bool report(vesk::variables& globals) {
  vesk::variable* total = globals.find("total");
  vesk::variable* squares = globals.find("squares");
  if (total == nullptr || !total->isnumber() || squares == nullptr || !squares->islist())
    return false;
  std::printf("total = %g\nsquares =", total->number());
  for (vesk::variable* v = squares->first(); v != nullptr; v = squares->next())
    std::printf(" %g", v->number());
  std::printf("\n");
  return true;
}

} // namespace

int main() {
  std::printf("vesk %s\n", vesk::version());
  vesk::variables globals;
  bool ok = false;
  {
    vesk::interpreter engine(&globals, writelog);
    engine.addinternalfuncs(nullptr);
    ok = engine.add(square, "square") && engine.execute(script, scriptlines, "example") &&
         report(globals);
  }
  vesk::releasevalue(&globals); // values never free their storage: the host gives it back
  return ok ? 0 : 1;
}
