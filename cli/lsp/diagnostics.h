// diagnostics.h - the check's reports on an open document as the protocol's diagnostics: each
// on the token it is about, with its severity and a short code.
#pragma once

#include "context.h"

namespace cli::lsp {

// The diagnostics of the document's current text (the engine's check of it).
json diagnosticsof(context& ctx, opendoc& doc);

} // namespace cli::lsp
