// tokenizer_fuzz.cpp - libFuzzer target: the tokenizer on arbitrary bytes, under the standard,
// the default and no options. Besides the sanitizers it checks what every parser relies on:
// each token is well formed, a pushed-back token comes back unchanged and in order, and the end
// of the text comes within one token per byte and stays.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "fuzzing.h"
#include "tokenizer.h"

namespace {

using fuzzing::check;
using vesk::token;
using vesk::tokentype;

constexpr int optionsets[] = {vesk::standardoptions, -1, 0};

bool namestart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool namechar(char c) {
  return namestart(c) || (c >= '0' && c <= '9');
}

bool isname(char const* text) {
  if (!namestart(text[0])) return false;
  for (char const* p = text + 1; *p; ++p)
    if (!namechar(*p)) return false;
  return true;
}

bool terminatedtext(token const& t) {
  return memchr(t.text, '\0', sizeof t.text) != nullptr;
}

void checkwellformed(token const& t, int options) {
  if (options == -1) options = vesk::defaultoptions;
  switch (t.type) {
  case vesk::nametoken:
    check(terminatedtext(t) && isname(t.text), "a name token holds a name");
    break;
  case vesk::stringtoken:
  case vesk::quotedtoken:
    check(terminatedtext(t), "a string fits its 255 characters");
    break;
  case vesk::chartoken:
    check(t.text[0] != '\0' && t.text[1] == '\0', "a char token holds one character");
    break;
  case vesk::netoken:
    check(strcmp(t.text, "<>") == 0 || strcmp(t.text, "!=") == 0, "'<>' or '!=' as written");
    break;
  case vesk::integertoken:
    check(t.integer >= 0, "integer literals carry no sign");
    break;
  case vesk::realtoken:
    check(!std::isnan(t.real) && t.real >= 0, "real literals are not negative or NaN");
    break;
  default:
    break;
  }
  bool logical = t.type == vesk::andtoken || t.type == vesk::ortoken;
  check(!logical || (options & vesk::opt_logical), "'&&' and '||' only with opt_logical");
  bool operatortoken = t.type >= vesk::assigntoken && t.type <= vesk::letoken;
  bool allowed = (options & (vesk::opt_equality | vesk::opt_relational)) != 0;
  check(!operatortoken || allowed, "'=' and comparisons only with their options");
}

bool sametoken(token const& a, token const& b) {
  if (a.type != b.type) return false;
  switch (a.type) {
  case vesk::integertoken:
    return a.integer == b.integer;
  case vesk::realtoken:
    return memcmp(&a.real, &b.real, sizeof a.real) == 0;
  case vesk::nametoken:
  case vesk::stringtoken:
  case vesk::quotedtoken:
  case vesk::chartoken:
  case vesk::netoken:
    return strcmp(a.text, b.text) == 0;
  default:
    return true;
  }
}

// Reads the whole text as a parser does: looks two tokens ahead, returns both (the later one
// first), reads them again and keeps the second for the next round.
void scan(char const* text, int options) {
  vesk::tokenizer tokens(text, options);
  std::size_t length = strlen(text);
  token current, ahead, again;
  tokentype type = tokens.nexttoken(current);
  std::size_t count = 1;
  while (type != vesk::endtoken) {
    checkwellformed(current, options);
    check(count <= length, "every token but the end takes at least one byte");
    tokentype nexttype = tokens.nexttoken(ahead);
    tokens.pushback(ahead);
    tokens.pushback(current);
    check(tokens.nexttoken(again) == type && sametoken(again, current), "pushback restores");
    check(tokens.nexttoken(again) == nexttype && sametoken(again, ahead), "pushback order");
    current = ahead;
    type = nexttype;
    ++count;
  }
  check(tokens.nexttoken(again) == vesk::endtoken, "the end of the text stays the end");
}

// The look-ahead holds four tokens; a fifth pushed back is ignored.
void pushbacklimit(char const* text) {
  vesk::tokenizer tokens(text, vesk::standardoptions);
  token read[vesk::maxpushback + 1], again;
  for (token& t : read) tokens.nexttoken(t);
  for (int i = vesk::maxpushback; i >= 0; --i) tokens.pushback(read[i]);
  for (int i = 1; i <= vesk::maxpushback; ++i)
    check(tokens.nexttoken(again) == read[i].type && sametoken(again, read[i]),
          "four tokens come back, the fifth push is ignored");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  std::vector<char> text = fuzzing::terminated(data, size);
  for (int options : optionsets) scan(text.data(), options);
  pushbacklimit(text.data());
  return 0;
}
