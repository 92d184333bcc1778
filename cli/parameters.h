// parameters.h - the NAME=VALUE arguments of a script run as its parameters. A value that
// reads as exactly one number is a number; anything else is a text.
#pragma once

#include "vesk.h"

namespace cli {

// Adds one NAME=VALUE (the '=' present, not first) to `params`; false when it cannot be stored.
bool addparameter(vesk::parameters& params, char const* assignment);

} // namespace cli
