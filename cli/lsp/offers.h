// offers.h - completion (textDocument/completion): what may be written where the cursor is.
#pragma once

#include "context.h"

namespace cli::lsp {

reply completion(context& ctx, json const& params);

// The name that ends at byte `cursor` of `line` begins at the result (cursor: no name).
std::size_t wordstart(std::string_view line, std::size_t cursor);

// Whether byte `cursor` of the line stands inside a text, a quoted name or a comment.
bool insidetext(lineinfo const& info, std::string_view line, std::size_t cursor);

} // namespace cli::lsp
