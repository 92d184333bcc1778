// navigation.h - going from a name to where it is made and used: definition (a script call to
// the script's file, a variable to its first assignment), references of a variable in the
// document and the other scripts of its folder, and renaming it there (refused where the new
// name would be read as a function, a script or a keyword).
#pragma once

#include "context.h"

namespace cli::lsp {

reply definition(context& ctx, json const& params);
reply references(context& ctx, json const& params);
reply preparerename(context& ctx, json const& params);
reply rename(context& ctx, json const& params);

} // namespace cli::lsp
