// session.h - vesk --lsp: the language server on standard input and output, until the client
// says exit or the input ends. Diagnostics use the interpreter's own check, with the functions
// and script folders it was set up with.
#pragma once

#include "options.h"
#include "vesk.h"

namespace cli::lsp {

// Serves one client with `engine`, set up as for a run by `opts`; the exit status.
int serve(vesk::interpreter& engine, options const& opts);

} // namespace cli::lsp
