// scriptfile.cpp - opening script files in text mode: CR LF reads as LF. A failed lookup is one
// open that allocates nothing, and a folder that carries a script's name is refused by the
// C runtime's open itself.
#include <cstdio>

#include "platform/platform.h"

namespace vesk::platform {

FILE* openforreading(char const* path) {
  return path == nullptr ? nullptr : std::fopen(path, "rt");
}

} // namespace vesk::platform
