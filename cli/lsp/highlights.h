// highlights.h - semantic tokens (textDocument/semanticTokens/full): what the grammar of an
// editor cannot tell from a name's spelling, namely whether it calls a function, calls a
// script or is a variable, as the parser read each name with the functions and scripts in
// reach.
#pragma once

#include "context.h"

namespace cli::lsp {

// The legend of the token types, for the server's capabilities.
json highlightlegend();

reply semantictokens(context& ctx, json const& params);

} // namespace cli::lsp
