// builtindocs.h - what an editor shows of each built-in function: how it is called and what
// it does, in one line each.
#pragma once

#include <string>
#include <vector>

namespace cli::lsp {

struct builtindoc {
  char const* name;
  char const* signature; // "round(x, d)"
  char const* summary;
};

// The description of the built-in `name`; null for any other name.
builtindoc const* findbuiltin(std::string const& name);

// Every described built-in, in the order of the reference.
std::vector<builtindoc> const& builtins();

// The parameters of a signature: the words between its parentheses.
std::vector<std::string> parametersof(char const* signature);

} // namespace cli::lsp
