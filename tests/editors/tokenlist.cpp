// tokenlist.cpp - prints the tokens that the engine's tokenizer reads from each line of the
// scripts given, for the test that holds the editor grammar against it. One output line per
// script line, split as editors split lines (LF, CR LF or a lone CR); a token is one word.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tokenizer.h"

namespace {

using vesk::token;

// The word for each kind of token that its kind says all about. "<>" and "!=" are one kind.
struct kindword {
  vesk::tokentype type;
  char const* word;
};
constexpr kindword kindwords[] = {
    {vesk::errortoken, "error"},    {vesk::stringtoken, "string"}, {vesk::quotedtoken, "quoted"},
    {vesk::integertoken, "number"}, {vesk::realtoken, "number"},   {vesk::assigntoken, "="},
    {vesk::eqtoken, "=="},          {vesk::netoken, "!="},         {vesk::gttoken, ">"},
    {vesk::getoken, ">="},          {vesk::lttoken, "<"},          {vesk::letoken, "<="},
    {vesk::andtoken, "&&"},         {vesk::ortoken, "||"},         {vesk::plustoken, "+"},
    {vesk::minustoken, "-"},        {vesk::multoken, "*"},         {vesk::divtoken, "/"},
    {vesk::modtoken, "%"}};

// The word for one token: a name with its text, a character as its code in hex. An errortoken
// ends the line's list: no parser reads past it.
std::string word(token const& t) {
  if (t.type == vesk::nametoken) return std::string("name:") + t.text;
  for (auto const& kind : kindwords)
    if (kind.type == t.type) return kind.word;
  char hex[16];
  std::snprintf(hex, sizeof hex, "char:%02x", static_cast<unsigned char>(t.text[0]));
  return hex;
}

// The tokens of one line as the interpreter reads a statement (the standard options).
void printline(std::string const& line) {
  vesk::tokenizer tokens(line.c_str(), vesk::standardoptions);
  token t;
  std::string out;
  while (tokens.nexttoken(t) != vesk::endtoken) {
    out += (out.empty() ? "" : " ") + word(t);
    if (t.type == vesk::errortoken) break;
  }
  std::printf("%s\n", out.c_str());
}

bool printscript(char const* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "tokenlist: cannot read %s\n", path);
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\n' && c != '\r') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    printline(line);
    line.clear();
  }
  printline(line);
  return true;
}

} // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::printf("@%s\n", argv[i]);
    if (!printscript(argv[i])) return 1;
  }
  return 0;
}
