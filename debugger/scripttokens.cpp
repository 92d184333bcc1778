// scripttokens.cpp - the engine's tokenizer applied to single lines for the adapter; see
// scripttokens.h.
#include "scripttokens.h"

#include "tokenizer.h"

namespace dap {

bool hasstatement(std::string const& line) {
  vesk::tokenizer tokens(line.c_str(), vesk::standardoptions);
  return tokens.peektype() != vesk::endtoken;
}

} // namespace dap
