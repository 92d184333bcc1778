// tokenizer.h - the tokenizer every parser reads through: one token per nexttoken() call
// from a caller's text read in place, with up to four tokens of look-ahead pushed back. It
// allocates nothing and reports nothing; malformed input becomes an errortoken.
#pragma once

#include <cstddef>

namespace vesk {

// Token types; the six comparisons occupy 9..14 contiguously (the evaluator tests that range).
enum tokentype {
  endtoken = 0,
  errortoken = 1,
  nametoken = 2,
  stringtoken = 3,
  quotedtoken = 4,
  integertoken = 5,
  realtoken = 6,
  assigntoken = 8,
  eqtoken = 9,
  netoken = 10,
  gttoken = 11,
  getoken = 12,
  lttoken = 13,
  letoken = 14,
  andtoken = 15,
  ortoken = 16,
  chartoken = 17,
  plustoken = 18,
  minustoken = 19,
  multoken = 20,
  divtoken = 21,
  modtoken = 22
};

constexpr int opt_logical = 0x0004;          // "&&" and "||"
constexpr int opt_equality = 0x0008;         // "==" and "!="
constexpr int opt_relational = 0x0010;       // "<", "<=", "<>", ">", ">="
constexpr int opt_reals = 0x0200;            // fractions and exponents
constexpr int opt_semicoloncomment = 0x1000; // ";" to the end of the line
constexpr int opt_blockcomment = 0x4000;     // "/*" .. "*/"
constexpr int opt_linecomment = 0x8000;      // "//" to the end of the line
constexpr int standardoptions = 0xD21C;      // all seven: what the interpreter uses
constexpr int defaultoptions = 0x4200;       // selected by the option value -1

constexpr int maxtokentext = 255;
constexpr int maxpushback = 4;

// One token, copied whole by value. Names, string contents, the character of a chartoken and
// the written form of a netoken are in `text`; an integertoken's value in `integer`, a
// realtoken's in `real`. Integer literals beyond the 32-bit range arrive as realtokens.
struct token {
  tokentype type;
  union {
    char text[maxtokentext + 1];
    int integer;
    double real;
  };
};

class tokenizer {
public:
  // `text` is read in place and must outlive the tokenizer; options -1 means defaultoptions.
  tokenizer(char const* text, int options);
  // Delivers the most recently pushed-back token, or scans the next one from the text.
  tokentype nexttoken(token& t);
  // Returns a token to the tokenizer; a fifth one while four are held is ignored.
  void pushback(token const& t);
  // The token nexttoken would deliver, held for it without a copy: the same as nexttoken
  // followed by pushback. The reference is valid until the tokenizer is used again.
  token const& peektoken();
  // The type of that token: peektoken().type.
  tokentype peektype() { return pushedcount > 0 ? pushed[pushedcount - 1].type : peektoken().type; }
  // Where the token scanned last lies in the text, as offsets of its first byte and of the byte
  // after it (an endtoken: both at the end): for tools that show tokens where they were written.
  std::size_t scannedfrom() const { return static_cast<std::size_t>(tokenbegin - begin); }
  std::size_t scannedto() const;

private:
  int readchar();
  void unreadchar();
  int skipspace();
  void skipline();
  void skipcomment();
  tokentype scantoken(token& t);
  tokentype scanname(token& t);
  tokentype scannumber(token& t);
  bool scanexponent(int& exponent);
  tokentype scanstring(token& t, int terminator);
  tokentype readtoken(token& t);

  int pushedcount;
  token pushed[maxpushback];
  char const* begin;
  char const* tokenbegin;
  char const* position;
  char const* endposition;
  char doublequote;
  char singlequote;
  int options;
};

} // namespace vesk
