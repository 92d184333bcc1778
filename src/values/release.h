// release.h - giving back a value whole: a list or named list with every list inside it, however
// deeply nested, each list's own blocks and index given back by reset(). The function is part of
// the interface (vesk.h), where hosts find it; the engine gives back its own copies with it.
#pragma once

#include "vesk.h"
