// parameters.cpp - NAME=VALUE parameters; see parameters.h.
// Whether a value is a number is the engine's tokenizer's decision.
#include "parameters.h"

#include <cstring>
#include <string>

#include "tokenizer.h"

namespace cli {

namespace {

// True when `text` reads, after an optional minus, as exactly one number token.
bool readnumber(char const* text, double& number) {
  // Only the characters a number is written with: blanks or a comment around the digits would
  // be skipped by the tokenizer, yet make the value a text.
  if (text[strspn(text, "0123456789.eE+-\"")] != '\0') return false;
  bool minus = text[0] == '-';
  vesk::tokenizer tokens(text + (minus ? 1 : 0), vesk::standardoptions);
  vesk::token first, rest;
  vesk::tokentype type = tokens.nexttoken(first);
  if (type != vesk::integertoken && type != vesk::realtoken) return false;
  if (tokens.nexttoken(rest) != vesk::endtoken) return false;
  number = type == vesk::integertoken ? first.integer : first.real;
  if (minus) number = -number;
  return true;
}

} // namespace

bool addparameter(vesk::parameters& params, char const* assignment) {
  char const* equals = strchr(assignment, '=');
  std::string name(assignment, equals);
  double number = 0;
  if (readnumber(equals + 1, number)) return params.add(number, name.c_str()) != nullptr;
  return params.add(equals + 1, name.c_str()) != nullptr;
}

} // namespace cli
