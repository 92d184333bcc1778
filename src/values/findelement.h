// findelement.h - typed lookup of one named element with diagnostics, shared by the counting
// loop and by functions that read named arguments.
#pragma once

#include "vesk.h"

namespace vesk {

// The element `name` of the named list `container` when it has type `type` (marked processed).
// Otherwise null: nothing is reported for a missing element when `optional` is set; every
// other miss is reported at level 1 through `log` (when not null) and sets `errorflag`, which
// is never cleared. `context` names the container in messages ("calling parameters" if null).
variable* findelement(variable* container, char const* name, vartype type, bool optional,
                      bool& errorflag, vesk::logfunc log, char const* context);

} // namespace vesk
