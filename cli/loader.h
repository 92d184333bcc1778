// loader.h - the command's side of extension libraries (-l PATH): the system loader's own
// reason when a library cannot be loaded, which the engine does not pass on, and the names
// under which the engine registers a library's functions, for completion at the prompt.
#pragma once

#include <string>
#include <vector>

namespace cli {

// Loads the library as the engine loads it, so that the engine's own load finds it loaded;
// the library stays loaded. False with the loader's reason when it cannot be loaded.
bool loadlibrary(char const* path, std::string& reason);

// The function names a loaded library exports for the engine (nothing where they cannot be
// listed).
std::vector<std::string> libraryfunctions(char const* path);

} // namespace cli
