// signatures.h - signature help (textDocument/signatureHelp): the parameters of the function
// or script whose arguments the cursor is in, for the built-ins and for scripts (the names a
// script reads, where the script can be found).
#pragma once

#include "context.h"

namespace cli::lsp {

reply signaturehelp(context& ctx, json const& params);

// The parameter labels and description of the function or script `name` called from `doc`;
// false when nothing is known of it.
bool signatureof(context& ctx, opendoc& doc, std::string const& name, std::string& label,
                 std::vector<std::string>& parameters, std::string& description);

} // namespace cli::lsp
