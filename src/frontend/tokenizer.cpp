// tokenizer.cpp - the tokenizer: reads a caller's NUL-terminated text in place, one byte at a
// time through readchar, and never looks at memory past the terminating NUL once it has seen it.
// Every byte 1..255 is a character (0x80..0xFF included); -1 stands only for the end of the text.
#include "tokenizer.h"

#include <bit>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vesk {

namespace {

constexpr int endoftext = -1;     // what readchar delivers at and after the terminating NUL
constexpr int maxexponent = 9999; // exponents saturate here; past ±700 every double is 0 or inf
constexpr int bignumlimbs = 33;   // 32-bit limbs: a value below 2^1024 times ten plus a digit

// Character classes: only the 7-bit letters, digits and the underscore count.
bool isdigitchar(int c) {
  return c >= '0' && c <= '9';
}
bool isnamestart(int c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isnamechar(int c) {
  return isnamestart(c) || isdigitchar(c);
}

// x times 10^n, one rounding step per factor of ten (the language's results depend on this
// order). Once x is zero or infinite no further step can change it, so the loop stops there:
// that keeps huge exponents fast without changing any result.
double scalepow10(double x, int n) {
  for (; n > 0 && x != 0 && std::isfinite(x); --n) x *= 10;
  for (; n < 0 && x != 0 && std::isfinite(x); ++n) x /= 10;
  return x;
}

// The correctly rounded double of a string of `count` decimal digits whose value does not fit
// 64 bits. Digits are accumulated exactly in a fixed big number (no allocation); a value of
// 2^1024 or more is beyond every double and gives infinity.
double decimalinteger(char const* digits, std::size_t count) {
  std::uint32_t limb[bignumlimbs] = {};
  int used = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t carry = static_cast<std::uint64_t>(digits[i] - '0');
    for (int k = 0; k < used; ++k) {
      std::uint64_t v = std::uint64_t{limb[k]} * 10 + carry;
      limb[k] = static_cast<std::uint32_t>(v);
      carry = v >> 32;
    }
    if (carry != 0) limb[used++] = static_cast<std::uint32_t>(carry);
    if (used > 32) return HUGE_VAL;
  }
  auto bit = [&limb](int b) -> std::uint64_t { return (limb[b / 32] >> (b % 32)) & 1u; };
  int bits = used == 0 ? 0 : (used - 1) * 32 + std::bit_width(limb[used - 1]);
  int shift = bits > 64 ? bits - 64 : 0;
  // The top 64 bits, with every lower bit folded into the last one as a sticky bit: the
  // conversion to double then rounds exactly as the whole number would round.
  std::uint64_t top = 0;
  for (int b = bits - 1; b >= shift; --b) top = top << 1 | bit(b);
  for (int b = 0; b < shift; ++b) top |= bit(b);
  return std::ldexp(static_cast<double>(top), shift);
}

// The escapes of strings: the character after the backslash and what is stored for it.
constexpr char escapetable[][2] = {{'"', '"'}, {'\\', '\\'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'}};

// What an escape stores for the character c after its backslash, or -1 for an unknown escape.
int escaped(int c) {
  for (auto const& entry : escapetable)
    if (c == entry[0]) return entry[1];
  return -1;
}

void settext(token& t, char const* text) {
  std::strcpy(t.text, text);
}

void setchar(token& t, int c) {
  t.text[0] = static_cast<char>(c);
  t.text[1] = '\0';
}

} // namespace

tokenizer::tokenizer(char const* text, int optionbits)
    : pushedcount(0), begin(text), tokenbegin(text), position(text), endposition(nullptr),
      doublequote('"'), singlequote('\''), options(optionbits == -1 ? defaultoptions : optionbits) {
}

tokentype tokenizer::readtoken(token& t) {
  std::memset(&t, 0, sizeof t); // every byte of the caller's record is defined
  t.type = scantoken(t);
  return t.type;
}

tokentype tokenizer::nexttoken(token& t) {
  if (pushedcount > 0) {
    t = pushed[--pushedcount];
    return t.type;
  }
  return readtoken(t);
}

void tokenizer::pushback(token const& t) {
  if (pushedcount < maxpushback) pushed[pushedcount++] = t;
}

// Reading past the end moves the position beyond the NUL; the token ends at the NUL then.
std::size_t tokenizer::scannedto() const {
  char const* end = endposition != nullptr && position > endposition ? endposition : position;
  return static_cast<std::size_t>(end - begin);
}

token const& tokenizer::peektoken() {
  if (pushedcount == 0) readtoken(pushed[pushedcount++]);
  return pushed[pushedcount - 1];
}

// The next byte as 0..255, or -1 at the terminating NUL. The NUL's position is recorded the
// first time it is read; from then on memory is no longer touched and every read gives -1,
// while the position still moves so that unreadchar stays symmetric.
int tokenizer::readchar() {
  if (endposition != nullptr) {
    ++position;
    return endoftext;
  }
  unsigned char c = static_cast<unsigned char>(*position++);
  if (c == 0) {
    endposition = position - 1;
    return endoftext;
  }
  return c;
}

void tokenizer::unreadchar() {
  --position;
}

int tokenizer::skipspace() {
  int c = readchar();
  while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = readchar();
  return c;
}

// Through the next CR or LF, or to the end of the text: what reading character by character
// would leave, found in one pass over the bytes (comments are often the longest part of a line).
void tokenizer::skipline() {
  if (endposition != nullptr) {
    ++position;
    return;
  }
  std::size_t length = std::strcspn(position, "\r\n");
  if (position[length] != '\0') {
    position += length + 1;
    return;
  }
  endposition = position + length;
  position = endposition + 1;
}

// Through the next "*/"; after a lone "*" the following character is examined again, so that
// "**/" ends the comment too.
void tokenizer::skipcomment() {
  int c = readchar();
  while (c >= 0) {
    if (c == '*') {
      c = readchar();
      if (c == '/') return;
    } else {
      c = readchar();
    }
  }
}

tokentype tokenizer::scantoken(token& t) {
  int c;
  for (;;) {
    c = skipspace();
    if (c < 0) {
      tokenbegin = endposition;
      return endtoken;
    }
    if (c == '/') {
      int next = readchar();
      if (next == '/' && (options & opt_linecomment)) {
        skipline();
        continue;
      }
      if (next == '*' && (options & opt_blockcomment)) {
        skipcomment();
        continue;
      }
      unreadchar();
      break;
    }
    if (c == ';' && (options & opt_semicoloncomment)) {
      skipline();
      continue;
    }
    break;
  }
  tokenbegin = position - 1;

  if (isnamestart(c)) {
    unreadchar();
    return scanname(t);
  }
  if (isdigitchar(c)) {
    unreadchar();
    return scannumber(t);
  }
  if (c == static_cast<unsigned char>(singlequote)) {
    tokentype type = scanstring(t, c);
    return type == stringtoken ? quotedtoken : type;
  }
  if (c == static_cast<unsigned char>(doublequote)) return scanstring(t, c);

  switch (c) {
  case '<':
    if (!(options & opt_relational)) break;
    c = readchar();
    if (c == '=') return letoken;
    if (c == '>') {
      settext(t, "<>");
      return netoken;
    }
    unreadchar();
    return lttoken;
  case '>':
    if (!(options & opt_relational)) break;
    if (readchar() == '=') return getoken;
    unreadchar();
    return gttoken;
  case '=':
    if (!(options & (opt_equality | opt_relational))) break;
    if (readchar() == '=' && (options & opt_equality)) return eqtoken;
    unreadchar();
    return assigntoken;
  case '!':
    if (!(options & opt_equality)) break;
    if (readchar() == '=') {
      settext(t, "!=");
      return netoken;
    }
    unreadchar();
    break;
  case '&':
  case '|':
    if (!(options & opt_logical)) break;
    if (readchar() == c) return c == '&' ? andtoken : ortoken;
    unreadchar();
    break;
  case '+':
    return plustoken;
  case '-':
    return minustoken;
  case '*':
    return multoken;
  case '/':
    return divtoken;
  case '%':
    return modtoken;
  default:
    break;
  }
  setchar(t, c);
  return chartoken;
}

// name -> namestart {namechar}; the first maxtokentext characters are kept.
tokentype tokenizer::scanname(token& t) {
  int length = 0;
  int c = readchar();
  while (isnamechar(c)) {
    if (length < maxtokentext) t.text[length++] = static_cast<char>(c);
    c = readchar();
  }
  unreadchar();
  t.text[length] = '\0';
  return nametoken;
}

// number -> digits ["." [digits]] [("e"|"E") ["+"|"-"] [digits]] ['"']
// The integer part is exact (a 64-bit accumulator, a big number beyond); it is an
// integertoken only when it fits 32 bits and nothing real follows. Fraction digits are added
// one at a time with a running factor, exponents applied by scalepow10: results depend on
// that order. A trailing double quote marks inches, delivered in millimetres.
tokentype tokenizer::scannumber(token& t) {
  char const* digits = position; // the digits are read below, so they lie before the NUL
  std::uint64_t whole = 0;
  bool beyond64 = false;
  int c = readchar();
  while (isdigitchar(c)) {
    if (whole > (UINT64_MAX - 9) / 10) beyond64 = true;
    if (!beyond64) whole = whole * 10 + static_cast<unsigned>(c - '0');
    c = readchar();
  }
  std::size_t count = static_cast<std::size_t>(position - 1 - digits);
  double result = beyond64 ? decimalinteger(digits, count) : static_cast<double>(whole);
  bool isreal = beyond64 || whole > static_cast<std::uint64_t>(INT_MAX);
  bool malformed = false;

  if (options & opt_reals) {
    if (c == '.') {
      isreal = true;
      c = readchar();
    }
    if (c != 'e' && c != 'E') {
      double factor = 0.1;
      while (isdigitchar(c)) {
        isreal = true;
        result = result + (c - '0') * factor;
        factor /= 10;
        c = readchar();
      }
    }
    if (c == 'e' || c == 'E') {
      isreal = true;
      int exponent = 0;
      if (scanexponent(exponent)) {
        result = scalepow10(result, exponent);
        c = readchar();
      } else {
        malformed = true; // c stays "e": the loop below consumes the rest of the name
      }
    }
  }

  while (isnamechar(c)) {
    malformed = true;
    c = readchar();
  }
  unreadchar();
  if (malformed) return errortoken;

  if (readchar() == static_cast<unsigned char>(doublequote)) {
    t.real = result * 25.4;
    return realtoken;
  }
  unreadchar();
  if (isreal) {
    t.real = result;
    return realtoken;
  }
  t.integer = static_cast<int>(whole);
  return integertoken;
}

// exponent -> ("+"|"-"|digit) {digit}, not followed by a name start. Digits saturate at
// maxexponent. On failure the offending sign-position character stays consumed.
bool tokenizer::scanexponent(int& exponent) {
  int sign = 1;
  int c = readchar();
  if (c == '-') {
    sign = -1;
  } else if (isdigitchar(c)) {
    unreadchar();
  } else if (c != '+') {
    return false;
  }
  int value = 0;
  c = readchar();
  while (isdigitchar(c)) {
    value = value * 10 + (c - '0');
    if (value > maxexponent) value = maxexponent;
    c = readchar();
  }
  unreadchar();
  if (isnamestart(c)) return false;
  exponent = sign * value;
  return true;
}

// The contents up to `terminator`, after escapes, cut to maxtokentext characters.
// A CR or LF (other than an LF after a stored backslash) and the end of the text both leave
// the string unfinished: errortoken.
tokentype tokenizer::scanstring(token& t, int terminator) {
  int length = 0;
  tokentype type = errortoken;
  for (;;) {
    int c = readchar();
    if (c == terminator) {
      type = stringtoken;
      break;
    }
    if (c < 0 || c == '\r') break;
    if (c == '\n') {
      if (length > 0 && t.text[length - 1] == '\\') {
        --length; // line continuation: the backslash goes, the LF is not stored
        continue;
      }
      break;
    }
    if (length >= maxtokentext) continue; // dropped, no escape handling
    if (c == '\\') {
      c = readchar();
      if (c < 0) break;
      int replacement = escaped(c);
      if (replacement < 0) {
        t.text[length++] = '\\'; // unknown escape: both characters are kept
        if (length >= maxtokentext) continue;
      } else {
        c = replacement;
      }
    }
    t.text[length++] = static_cast<char>(c);
  }
  t.text[length] = '\0';
  return type;
}

} // namespace vesk
