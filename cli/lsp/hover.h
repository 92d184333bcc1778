// hover.h - hover (textDocument/hover): a built-in's signature and description, a script's
// first comment lines, a variable's first assignment in the document.
#pragma once

#include "context.h"

namespace cli::lsp {

reply hover(context& ctx, json const& params);

} // namespace cli::lsp
