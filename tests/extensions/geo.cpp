// geo.cpp - a test extension exporting a single function through `run`: the distance of a
// point (x, y) from the origin. Loaded from a file named geo.ext, it is registered as `geo`.
// It takes exactly two positional numbers and fails with one message otherwise.
#include <cmath>

#include "vesk.h"

namespace {

bool distance(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc log) {
  vesk::variable* x = params->first();
  vesk::variable* y = params->next();
  if (params->count() != 2 || !x->isnumber() || !y->isnumber()) {
    log(vesk::logerror, "geo takes two numbers");
    return false;
  }
  x->processed(true);
  y->processed(true);
  return opstack->push(std::hypot(x->number(), y->number())) != nullptr;
}

} // namespace

VESK_EXPORT_RUN(distance)
