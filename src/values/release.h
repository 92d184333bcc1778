// release.h - giving back a value whole: a list or named list with every list inside it, to
// at most maxdatadepth levels (no value the engine stores nests deeper), each list's own
// blocks and index given back by reset().
#pragma once

#include "vesk.h"

namespace vesk {

// Gives back the storage of `value` and of every list inside it; a number, text or binary
// stays as it is.
void releasevalue(variable* value);

} // namespace vesk
