// scripttokens.cpp - the engine's tokenizer applied to single lines for the adapter; see
// scripttokens.h.
#include "scripttokens.h"

#include "tokenizer.h"

namespace dap {

bool hasstatement(std::string const& line) {
  vesk::tokenizer tokens(line.c_str(), vesk::standardoptions);
  return tokens.peektype() != vesk::endtoken;
}

bool readliteral(std::string const& typed, literal& out) {
  vesk::tokenizer tokens(typed.c_str(), vesk::standardoptions);
  vesk::token first, rest;
  vesk::tokentype type = tokens.nexttoken(first);
  bool minus = type == vesk::minustoken;
  if (minus) type = tokens.nexttoken(first);
  if (tokens.nexttoken(rest) != vesk::endtoken) return false;
  if (type == vesk::integertoken || type == vesk::realtoken) {
    out.isnumber = true;
    out.number = type == vesk::integertoken ? first.integer : first.real;
    if (minus) out.number = -out.number;
    return true;
  }
  if (type != vesk::stringtoken || minus) return false;
  out.text = first.text;
  return true;
}

} // namespace dap
