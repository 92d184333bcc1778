// linetokens.cpp - reading a line token by token with the engine's tokenizer and keeping the
// offsets it reports for each token.
#include "linetokens.h"

#include <cstring>

namespace cli {

namespace {

bool hastext(vesk::tokentype type) {
  return type == vesk::nametoken || type == vesk::stringtoken || type == vesk::quotedtoken ||
         type == vesk::chartoken || type == vesk::netoken;
}

} // namespace

std::vector<placedtoken> linetokens(char const* line) {
  std::vector<placedtoken> tokens;
  vesk::tokenizer reader(line, vesk::standardoptions);
  vesk::token t;
  for (vesk::tokentype type = reader.nexttoken(t); type != vesk::endtoken;
       type = reader.nexttoken(t)) {
    placedtoken placed{type, reader.scannedfrom(), reader.scannedto(), ""};
    if (hastext(type)) placed.text = t.text;
    tokens.push_back(std::move(placed));
  }
  return tokens;
}

bool ischar(placedtoken const& t, char c) {
  return t.type == vesk::chartoken && t.text.size() == 1 && t.text[0] == c;
}

bool isword(placedtoken const& t, char const* word) {
  return t.type == vesk::nametoken && t.text == word;
}

} // namespace cli
