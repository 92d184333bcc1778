// outline.h - the shape of a document: its symbols (the blocks, nested as they are, with the
// first assignment of each variable inside the block it is made in) and the ranges an editor
// may fold (every block from its first line to the line before the one that closes it).
#pragma once

#include "context.h"

namespace cli::lsp {

reply documentsymbols(context& ctx, json const& params);
reply foldingranges(context& ctx, json const& params);

} // namespace cli::lsp
