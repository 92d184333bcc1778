// scriptpaths.h - one name for one script file: the client names sources by absolute paths,
// the engine names scripts as it found them (relative to the working folder, joined with the
// calling script's folder). Both become the same key: the absolute, normalised path, compared
// without regard to case on Windows, whose file names ignore it.
#pragma once

#include <string>

namespace dap {

std::string scriptkey(std::string const& name);

// The path the client is shown for a script name: absolute and normalised; "" when no file of
// that name exists (a host's script held in memory).
std::string clientpath(std::string const& name);

// The last part of a path, for the client's short names.
std::string basename(std::string const& path);

} // namespace dap
