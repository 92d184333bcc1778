// formatting.h - formatting a document or a range of its lines in the one layout of vesk
// scripts (format.h), as the edits that turn the editor's text into the formatted one.
#pragma once

#include "context.h"

namespace cli::lsp {

reply formatdocument(context& ctx, json const& params);
reply formatrange(context& ctx, json const& params);

} // namespace cli::lsp
