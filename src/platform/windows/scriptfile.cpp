// scriptfile.cpp - opening script files as they are, byte for byte: the engine drops the CR of
// a CR LF line end itself, and a Ctrl-Z byte is text like any other rather than the end of the
// file (text mode would end the script there in silence). A failed lookup is one open that
// allocates nothing, and a folder that carries a script's name is refused by the open itself.
#include <cstdio>

#include "platform.h"

namespace vesk::platform {

FILE* openforreading(char const* path) {
  return path == nullptr ? nullptr : std::fopen(path, "rb");
}

} // namespace vesk::platform
