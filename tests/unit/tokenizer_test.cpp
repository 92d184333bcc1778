// tokenizer_test.cpp - the tokenizer as its parsers see it: token types, values and texts for
// numbers, names, strings, operators under each option, comments and pushed-back look-ahead,
// plus the mended faults (high bytes, open strings, wide literals, huge exponents, no reads
// past the NUL). Every text is copied into a heap block of exactly its size, so that the
// sanitizer build catches any read past the terminating NUL.
#include "tokenizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vesk {
namespace {

// A text in a heap block of exactly its length plus the NUL, with its tokenizer.
class scanner {
public:
  explicit scanner(std::string const& text, int options = standardoptions)
      : buffer(new char[text.size() + 1]) {
    std::memcpy(buffer.get(), text.data(), text.size());
    buffer[text.size()] = '\0';
    tokens = std::make_unique<tokenizer>(buffer.get(), options);
  }
  token next() {
    token t;
    std::memset(&t, 0xAA, sizeof t); // stale bytes must not show through
    tokentype type = tokens->nexttoken(t);
    EXPECT_EQ(type, t.type);
    return t;
  }
  tokenizer& get() { return *tokens; }

private:
  std::unique_ptr<char[]> buffer;
  std::unique_ptr<tokenizer> tokens;
};

std::vector<tokentype> types(std::string const& text, int options = standardoptions) {
  scanner s(text, options);
  std::vector<tokentype> result;
  for (int guard = 0; guard < 10000; ++guard) {
    token t = s.next();
    result.push_back(t.type);
    if (t.type == endtoken) break;
  }
  return result;
}

token only(std::string const& text, int options = standardoptions) {
  scanner s(text, options);
  token t = s.next();
  EXPECT_EQ(s.next().type, endtoken) << "more than one token in \"" << text << "\"";
  return t;
}

double realof(std::string const& text) {
  token t = only(text);
  EXPECT_EQ(t.type, realtoken) << text;
  return t.type == realtoken ? t.real : std::nan("");
}

int integerof(std::string const& text) {
  token t = only(text);
  EXPECT_EQ(t.type, integertoken) << text;
  return t.type == integertoken ? t.integer : -1;
}

std::string textof(std::string const& text, tokentype expected) {
  token t = only(text);
  EXPECT_EQ(t.type, expected) << text;
  return t.text;
}

using tt = std::vector<tokentype>;

// ---------------------------------------------------------------------------------------------
// Numbers

TEST(TokenizerNumbers, IntegersAndReals) {
  EXPECT_EQ(integerof("0"), 0);
  EXPECT_EQ(integerof("42"), 42);
  EXPECT_EQ(integerof("2147483647"), 2147483647);
  EXPECT_EQ(integerof("000000000000000000000000007"), 7); // leading zeros do not widen
  EXPECT_EQ(realof("1.5"), 1.5);
  EXPECT_EQ(realof("5."), 5.0); // empty fraction
  EXPECT_EQ(realof("2.5e-1"), 0.25);
  EXPECT_EQ(realof("3E2"), 300.0);
  EXPECT_EQ(realof("3e+2"), 300.0);
  EXPECT_EQ(realof("5.e1"), 50.0);
  EXPECT_EQ(realof("1e+ "), 1.0); // a sign without digits is the exponent 0
}

TEST(TokenizerNumbers, PointsAroundNumbers) {
  scanner s("1.5.3");
  token t = s.next();
  ASSERT_EQ(t.type, realtoken);
  EXPECT_EQ(t.real, 1.5);
  t = s.next();
  ASSERT_EQ(t.type, chartoken);
  EXPECT_STREQ(t.text, ".");
  t = s.next();
  ASSERT_EQ(t.type, integertoken);
  EXPECT_EQ(t.integer, 3);

  scanner leading(".5");
  t = leading.next();
  ASSERT_EQ(t.type, chartoken);
  EXPECT_STREQ(t.text, ".");
  t = leading.next();
  ASSERT_EQ(t.type, integertoken);
  EXPECT_EQ(t.integer, 5);
  EXPECT_EQ(leading.next().type, endtoken);
}

TEST(TokenizerNumbers, InchesBecomeMillimetres) {
  EXPECT_EQ(realof("10\""), 254.0);
  EXPECT_EQ(realof("0.5\""), 0.5 * 25.4);
  EXPECT_EQ(realof("1e1\""), 254.0);
  // Only a double quote directly after the number; the quote is consumed.
  EXPECT_EQ(types("10 \"x\""), (tt{integertoken, stringtoken, endtoken}));
  EXPECT_EQ(types("10\"x\""), (tt{realtoken, nametoken, errortoken, endtoken}));
}

TEST(TokenizerNumbers, FractionDigitsAreAddedOneAtATime) {
  // result + digit * f with f = 0.1, 0.01, ... : not the correctly rounded decimal.
  EXPECT_EQ(realof("0.3"), 0.0 + 3 * 0.1);
  EXPECT_NE(realof("0.3"), 0.3);
  double f = 0.1, expected = 3.0;
  for (char digit : std::string("14159")) {
    expected = expected + (digit - '0') * f;
    f /= 10;
  }
  EXPECT_EQ(realof("3.14159"), expected);
  EXPECT_NE(realof("3.14159"), 3.14159);
}

TEST(TokenizerNumbers, ExponentsScaleOneFactorOfTenAtATime) {
  EXPECT_EQ(realof("1e-7"), 1.0 / 10 / 10 / 10 / 10 / 10 / 10 / 10);
  EXPECT_NE(realof("1e-7"), 1e-7);
  double up = 1.0;
  for (int i = 0; i < 30; ++i) up *= 10;
  EXPECT_EQ(realof("1e30"), up);
  EXPECT_NE(realof("1e30"), 1e30);
  double scaled = 0.0 + 2 * 0.1 + 5 * 0.01;
  for (int i = 0; i < 300; ++i) scaled /= 10;
  EXPECT_EQ(realof("0.25e-300"), scaled);
}

TEST(TokenizerNumbers, MalformedNumbersConsumeTheNameCharacters) {
  EXPECT_EQ(types("12abc"), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("12abc+1"), (tt{errortoken, plustoken, integertoken, endtoken}));
  EXPECT_EQ(types("1_000"), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("1e"), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("1e "), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("1e5x"), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("1e+x"), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("1.5e-q"), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("1.x"), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("1e5.3"), (tt{realtoken, chartoken, integertoken, endtoken}));
}

TEST(TokenizerNumbers, WithoutRealsAPointEndsTheNumber) {
  int options = standardoptions & ~opt_reals;
  scanner s("1.5", options);
  token t = s.next();
  ASSERT_EQ(t.type, integertoken);
  EXPECT_EQ(t.integer, 1);
  EXPECT_EQ(s.next().type, chartoken);
  EXPECT_EQ(s.next().integer, 5);
  EXPECT_EQ(types("12e5", options), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("3\"", options), (tt{realtoken, endtoken})); // inches need no option
}

// ---------------------------------------------------------------------------------------------
// Names and strings

TEST(TokenizerNames, NamesAreLettersDigitsUnderscores) {
  EXPECT_EQ(textof("abc", nametoken), "abc");
  EXPECT_EQ(textof("_x9_Y", nametoken), "_x9_Y");
  scanner s("a.b[1]");
  EXPECT_STREQ(s.next().text, "a");
  EXPECT_STREQ(s.next().text, ".");
  EXPECT_STREQ(s.next().text, "b");
  EXPECT_STREQ(s.next().text, "[");
  EXPECT_EQ(s.next().integer, 1);
  EXPECT_STREQ(s.next().text, "]");
  EXPECT_EQ(s.next().type, endtoken);
}

TEST(TokenizerNames, LongNamesAreCutAndConsumedWhole) {
  std::string name(300, 'n');
  name[0] = 'a';
  scanner s(name + "+z");
  token t = s.next();
  ASSERT_EQ(t.type, nametoken);
  EXPECT_EQ(std::string(t.text), name.substr(0, maxtokentext));
  EXPECT_EQ(s.next().type, plustoken);
  EXPECT_STREQ(s.next().text, "z");
  EXPECT_EQ(s.next().type, endtoken);
}

TEST(TokenizerStrings, DoubleAndSingleQuotes) {
  EXPECT_EQ(textof("\"hello world\"", stringtoken), "hello world");
  EXPECT_EQ(textof("'any chars: + ;'", quotedtoken), "any chars: + ;");
  EXPECT_EQ(textof("\"\"", stringtoken), "");
  EXPECT_EQ(textof("\"it's\"", stringtoken), "it's");
  EXPECT_EQ(textof("'say \"hi\"'", quotedtoken), "say \"hi\"");
}

TEST(TokenizerStrings, Escapes) {
  EXPECT_EQ(textof(R"("a\nb")", stringtoken), "a\nb");
  EXPECT_EQ(textof(R"("\r\t\\\"")", stringtoken), "\r\t\\\"");
  EXPECT_EQ(textof(R"("\x")", stringtoken), "\\x");       // unknown: both characters
  EXPECT_EQ(textof(R"('it\'s')", quotedtoken), "it\\'s"); // does not end the quoted name
  EXPECT_EQ(textof(R"('\"')", quotedtoken), "\"");
  EXPECT_EQ(textof(R"("\'")", stringtoken), "\\'");
}

TEST(TokenizerStrings, LineEndsInsideAString) {
  EXPECT_EQ(types("\"abc\rdef\""), (tt{errortoken, nametoken, errortoken, endtoken}));
  EXPECT_EQ(types("\"abc\ndef\""), (tt{errortoken, nametoken, errortoken, endtoken}));
  EXPECT_EQ(types("'abc\n'"), (tt{errortoken, errortoken, endtoken}));
  // An LF right after a stored backslash continues the string; both disappear. A raw
  // backslash before the LF is an escape of its own (both kept), so the stored backslash
  // comes from an escaped one.
  EXPECT_EQ(textof("\"abc\\\\\ndef\"", stringtoken), "abcdef");
  EXPECT_EQ(textof("\"abc\\\ndef\"", stringtoken), "abc\\\ndef");
}

TEST(TokenizerStrings, LongStringsAreCutAndConsumedWhole) {
  std::string body(300, 's');
  scanner s("\"" + body + "\" 7");
  token t = s.next();
  ASSERT_EQ(t.type, stringtoken);
  EXPECT_EQ(std::string(t.text), body.substr(0, maxtokentext));
  EXPECT_EQ(s.next().integer, 7);

  // Past the limit a backslash is an ordinary character, so the quote after it ends the string.
  std::string tail = std::string(maxtokentext, 'q') + "\\\"";
  scanner cut("\"" + tail + " 8");
  t = cut.next();
  ASSERT_EQ(t.type, stringtoken);
  EXPECT_EQ(std::strlen(t.text), static_cast<size_t>(maxtokentext));
  EXPECT_EQ(cut.next().integer, 8);

  // An escape that starts as the 255th character keeps the backslash only.
  std::string edge = std::string(maxtokentext - 1, 'q') + "\\x";
  EXPECT_EQ(textof("\"" + edge + "\"", stringtoken), std::string(maxtokentext - 1, 'q') + "\\");
}

// ---------------------------------------------------------------------------------------------
// Operators and options

TEST(TokenizerOperators, StandardOptions) {
  EXPECT_EQ(types("= == <> != > >= < <= && || + - * / %"),
            (tt{assigntoken, eqtoken, netoken, netoken, gttoken, getoken, lttoken, letoken,
                andtoken, ortoken, plustoken, minustoken, multoken, divtoken, modtoken, endtoken}));
  EXPECT_EQ(textof("<>", netoken), "<>");
  EXPECT_EQ(textof("!=", netoken), "!=");
  EXPECT_EQ(types("=<"), (tt{assigntoken, lttoken, endtoken}));
  EXPECT_EQ(types("=>"), (tt{assigntoken, gttoken, endtoken}));
  EXPECT_EQ(types("5/2"), (tt{integertoken, divtoken, integertoken, endtoken}));
  EXPECT_EQ(textof("!", chartoken), "!");
  EXPECT_EQ(textof("&", chartoken), "&");
  EXPECT_EQ(textof("|", chartoken), "|");
  EXPECT_EQ(textof("{", chartoken), "{");
  EXPECT_EQ(textof(",", chartoken), ",");
}

TEST(TokenizerOperators, ComparisonsAreContiguous) {
  EXPECT_EQ(eqtoken, 9);
  EXPECT_EQ(netoken, 10);
  EXPECT_EQ(gttoken, 11);
  EXPECT_EQ(getoken, 12);
  EXPECT_EQ(lttoken, 13);
  EXPECT_EQ(letoken, 14);
}

TEST(TokenizerOperators, EachOptionEnablesItsOperators) {
  // No options: every one of these is a chartoken; the arithmetic operators stay.
  EXPECT_EQ(types("< > = ! & | ;", 0), (tt{chartoken, chartoken, chartoken, chartoken, chartoken,
                                           chartoken, chartoken, endtoken}));
  EXPECT_EQ(types("+-*/%", 0), (tt{plustoken, minustoken, multoken, divtoken, modtoken, endtoken}));

  // Relational alone: "=" assigns, "==" is two assignments, "!" stays a character.
  EXPECT_EQ(types("< <= <> > >= = == !=", opt_relational),
            (tt{lttoken, letoken, netoken, gttoken, getoken, assigntoken, assigntoken, assigntoken,
                chartoken, assigntoken, endtoken}));
  // Equality alone: "<" and ">" are characters.
  EXPECT_EQ(types("== != = < >", opt_equality),
            (tt{eqtoken, netoken, assigntoken, chartoken, chartoken, endtoken}));
  // Logical alone.
  EXPECT_EQ(types("&& || & | &|", opt_logical),
            (tt{andtoken, ortoken, chartoken, chartoken, chartoken, chartoken, endtoken}));
}

TEST(TokenizerOperators, MinusOneSelectsTheDefaultOptions) {
  // 0x4200: block comments and reals only.
  EXPECT_EQ(types("/* c */ 1.5 // x ; y < =", -1),
            (tt{realtoken, divtoken, divtoken, nametoken, chartoken, nametoken, chartoken,
                chartoken, endtoken}));
  EXPECT_EQ(types("1.5", -1), types("1.5", defaultoptions));
}

// ---------------------------------------------------------------------------------------------
// Comments

TEST(TokenizerComments, LineAndSemicolonComments) {
  EXPECT_EQ(types("a//b"), (tt{nametoken, endtoken}));
  EXPECT_EQ(types("x ; note"), (tt{nametoken, endtoken}));
  EXPECT_EQ(types("a // c\nb"), (tt{nametoken, nametoken, endtoken}));
  EXPECT_EQ(types("a ; c\rb"), (tt{nametoken, nametoken, endtoken}));
  EXPECT_EQ(types("a / b"), (tt{nametoken, divtoken, nametoken, endtoken}));
  EXPECT_EQ(types("a//b", standardoptions & ~opt_linecomment),
            (tt{nametoken, divtoken, divtoken, nametoken, endtoken}));
  EXPECT_EQ(types("x ; y", standardoptions & ~opt_semicoloncomment),
            (tt{nametoken, chartoken, nametoken, endtoken}));
}

TEST(TokenizerComments, BlockComments) {
  EXPECT_EQ(textof("/* note */ b", nametoken), "b");
  EXPECT_EQ(types("a /* never closed"), (tt{nametoken, endtoken}));
  EXPECT_EQ(types("/* ends with a star *"), (tt{endtoken}));
  EXPECT_EQ(types("/* x **/ b"), (tt{nametoken, endtoken}));
  EXPECT_EQ(types("/* a * / b */ c"), (tt{nametoken, endtoken}));
  EXPECT_EQ(types("/* one\n two */ c"), (tt{nametoken, endtoken}));
  EXPECT_EQ(types("/**/ /**/ //\n ; x\n 1"), (tt{integertoken, endtoken}));
  EXPECT_EQ(types("/* c */", standardoptions & ~opt_blockcomment),
            (tt{divtoken, multoken, nametoken, multoken, divtoken, endtoken}));
}

// ---------------------------------------------------------------------------------------------
// Where tokens were written

// Each token's text as the offsets give it, up to the endtoken; "|" marks the end.
std::vector<std::string> spans(std::string const& text) {
  scanner s(text);
  std::vector<std::string> result;
  for (int guard = 0; guard < 100; ++guard) {
    token t = s.next();
    std::size_t from = s.get().scannedfrom(), to = s.get().scannedto();
    EXPECT_LE(from, to);
    EXPECT_LE(to, text.size());
    if (t.type == endtoken) {
      EXPECT_EQ(from, text.size());
      result.push_back("|");
      break;
    }
    result.push_back(text.substr(from, to - from));
  }
  return result;
}

TEST(TokenizerOffsets, EachTokenSpansWhatWasWrittenForIt) {
  using texts = std::vector<std::string>;
  EXPECT_EQ(spans("  x1 = 10\" + 2.5e3 ; note"), (texts{"x1", "=", "10\"", "+", "2.5e3", "|"}));
  EXPECT_EQ(spans("a/*c*/<= 'b c' // d"), (texts{"a", "<=", "'b c'", "|"}));
  EXPECT_EQ(spans("print \"say \\\"hi\\\"\", !x<>y"),
            (texts{"print", "\"say \\\"hi\\\"\"", ",", "!", "x", "<>", "y", "|"}));
  // A text left open and a malformed number end where the scanner stopped reading.
  EXPECT_EQ(spans("f(12ab) \"open"), (texts{"f", "(", "12ab", ")", "\"open", "|"}));
  EXPECT_EQ(spans(""), (texts{"|"}));
  EXPECT_EQ(spans("  ; only a comment"), (texts{"|"}));
}

// ---------------------------------------------------------------------------------------------
// Pushback

TEST(TokenizerPushback, LastInFirstOut) {
  scanner s("a b c");
  token a = s.next(), b = s.next();
  s.get().pushback(b);
  s.get().pushback(a);
  EXPECT_STREQ(s.next().text, "a");
  EXPECT_STREQ(s.next().text, "b");
  EXPECT_STREQ(s.next().text, "c");
  EXPECT_EQ(s.next().type, endtoken);
}

TEST(TokenizerPushback, AFifthTokenIsIgnored) {
  scanner s("1 2 3 4 5 6");
  token held[5];
  for (token& t : held) t = s.next();
  for (token const& t : held) s.get().pushback(t);
  for (int expected : {4, 3, 2, 1}) EXPECT_EQ(s.next().integer, expected);
  EXPECT_EQ(s.next().integer, 6); // the fifth (5) was dropped; scanning resumes
  EXPECT_EQ(s.next().type, endtoken);
}

TEST(TokenizerPushback, RecordsAreCopiedWhole) {
  scanner s("<> 2.5");
  token ne = s.next(), real = s.next();
  token saved[2] = {ne, real};
  s.get().pushback(real);
  s.get().pushback(ne);
  ne.type = errortoken; // changing the caller's copies changes nothing held
  std::memset(real.text, 0, sizeof real.text);
  token back = s.next();
  EXPECT_EQ(std::memcmp(&back, &saved[0], sizeof back), 0);
  EXPECT_STREQ(back.text, "<>");
  back = s.next();
  EXPECT_EQ(std::memcmp(&back, &saved[1], sizeof back), 0);
  EXPECT_EQ(back.real, 2.5);
  EXPECT_EQ(s.next().type, endtoken);
}

TEST(TokenizerPushback, TokensCarryNoStaleText) {
  scanner s("abcdef x 12345 \"\" +");
  EXPECT_STREQ(s.next().text, "abcdef");
  EXPECT_STREQ(s.next().text, "x");
  s.next();
  EXPECT_STREQ(s.next().text, "");
  token op = s.next();
  EXPECT_EQ(op.type, plustoken);
  EXPECT_STREQ(op.text, ""); // operator tokens carry no text; the record is still defined
}

// Peeking is nexttoken followed by pushback, without the copies: the same records, the same
// order, and the same limit of four held tokens.
TEST(TokenizerPushback, PeekingMatchesTakingAndGivingBack) {
  std::string const text = "x.y[2] >= 3.5 && \"s\" <> 'q' ; rest";
  scanner taken(text), peeked(text);
  for (int guard = 0; guard < 100; ++guard) {
    token a = taken.next();
    taken.get().pushback(a);
    token const& b = peeked.get().peektoken();
    ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "token " << guard;
    ASSERT_EQ(std::memcmp(&peeked.get().peektoken(), &b, sizeof a), 0); // peeking twice: same
    token c = taken.next();
    if (guard % 2 == 0) {
      peeked.next();
    } else {
      token d = peeked.next();
      ASSERT_EQ(std::memcmp(&c, &d, sizeof c), 0);
    }
    if (c.type == endtoken) break;
  }
  scanner full("1 2 3 4 5 6");
  token held[4];
  for (token& t : held) t = full.next();
  for (token const& t : held) full.get().pushback(t);
  EXPECT_EQ(full.get().peektoken().integer, 4); // the last one pushed, not a fresh scan
  full.next();
  full.next();
  EXPECT_EQ(full.next().integer, 2);
  EXPECT_EQ(full.next().integer, 1);
  full.next(); // nothing held: scans 5 and drops it
  EXPECT_EQ(full.next().integer, 6);
}

// ---------------------------------------------------------------------------------------------
// Mended faults

TEST(TokenizerMended, HighBytesAreCharacters) {
  // Kept unchanged in strings of both kinds.
  EXPECT_EQ(textof("\"caf\xE9 \x80\xFF\"", stringtoken), "caf\xE9 \x80\xFF");
  EXPECT_EQ(textof("'\xC3\xA9t\xC3\xA9'", quotedtoken), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(textof("\"\\\xE9\"", stringtoken), "\\\xE9");
  // Skipped in comments.
  EXPECT_EQ(textof("// \xFF\xFE\nx", nametoken), "x");
  EXPECT_EQ(textof("; \x80\ny", nametoken), "y");
  EXPECT_EQ(textof("/* \xE9\xFF* */ z", nametoken), "z");
  // Between tokens: a chartoken holding the byte; names and numbers end before it.
  EXPECT_EQ(textof("\xFF", chartoken), "\xFF");
  scanner s("ab\xC3\xA9"
            "cd 12\xB0");
  EXPECT_STREQ(s.next().text, "ab");
  EXPECT_STREQ(s.next().text, "\xC3");
  EXPECT_STREQ(s.next().text, "\xA9");
  EXPECT_STREQ(s.next().text, "cd");
  EXPECT_EQ(s.next().integer, 12);
  EXPECT_STREQ(s.next().text, "\xB0");
  EXPECT_EQ(s.next().type, endtoken);
}

TEST(TokenizerMended, StringsOpenAtTheEndAreErrors) {
  EXPECT_EQ(types("print \"abc"), (tt{nametoken, errortoken, endtoken}));
  EXPECT_EQ(types("'abc"), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("\""), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("\"abc\\"), (tt{errortoken, endtoken}));   // ends inside an escape
  EXPECT_EQ(types("\"abc\\\\"), (tt{errortoken, endtoken})); // an escaped backslash, then end
  EXPECT_EQ(types("\"" + std::string(400, 'x')), (tt{errortoken, endtoken}));
  EXPECT_EQ(types("x /* open"), (tt{nametoken, endtoken})); // block comments still just end
}

TEST(TokenizerMended, WideIntegersAreRealsWithTheRightValue) {
  EXPECT_EQ(integerof("2147483647"), 2147483647);
  EXPECT_EQ(realof("2147483648"), 2147483648.0);
  EXPECT_EQ(realof("4294967296"), 4294967296.0);
  EXPECT_EQ(realof("12345678901"), 12345678901.0);
  EXPECT_EQ(realof("12345678901.5"), 12345678901.5);
  EXPECT_EQ(realof("12345678901\""), 12345678901.0 * 25.4);
  EXPECT_EQ(realof("12345678901e2"), 1234567890100.0);
  EXPECT_EQ(realof("18446744073709551615"), 18446744073709551615.0);
  EXPECT_EQ(realof("18446744073709551616"), 18446744073709551616.0);
  // Ties round to even; a single digit beyond the tie rounds up.
  EXPECT_EQ(realof("9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(realof("18446744073709553664"), 18446744073709551616.0);
  EXPECT_EQ(realof("18446744073709553665"), 18446744073709555712.0);
  EXPECT_EQ(realof("123456789012345678901234567890.25"), 123456789012345678901234567890.0);
  EXPECT_EQ(realof("1" + std::string(400, '0')), std::numeric_limits<double>::infinity());
  EXPECT_EQ(realof("1" + std::string(400, '0') + "e-400"), std::numeric_limits<double>::infinity());
}

TEST(TokenizerMended, WideIntegersMatchTheCorrectlyRoundedDecimal) {
  std::mt19937 random(20240607);
  for (int round = 0; round < 3000; ++round) {
    int length = 17 + static_cast<int>(random() % 320);
    std::string digits(1, static_cast<char>('1' + random() % 9));
    for (int i = 1; i < length; ++i) {
      // Long runs of 0 and 9 put many values right at or beside rounding ties.
      unsigned pick = random() % 4;
      digits += pick == 0 ? '0' : pick == 1 ? '9' : static_cast<char>('0' + random() % 10);
    }
    double expected = std::strtod(digits.c_str(), nullptr);
    token t = only(digits);
    ASSERT_EQ(t.type, realtoken) << digits;
    ASSERT_EQ(t.real, expected) << digits;
  }
  // The largest double, written out exactly.
  std::string max = "1797693134862315708145274237317043567980705675258449965989174768031572"
                    "6078002853876058955863276687817154045895351438246423432132688946418276"
                    "8467546703537516986049910576551282076245490090389328944075868508455133"
                    "9423045832369032229481658085593321233482747978262041447231687381771809"
                    "19299881250404026184124858368";
  EXPECT_EQ(realof(max), std::numeric_limits<double>::max());
  // Halfway between the largest double and 2^1024 rounds to even: infinity; just below, max.
  std::string halfway = "1797693134862315807937289714053034150799341327100378269361737789804449"
                        "6829276475094664901797758720709633028641669288791094655554785194040263"
                        "0657488671505820681908902000708383676273854845817711531764475730270069"
                        "8555713669596228429148198608349364752927190741684443655107043427115596"
                        "99508093042880177904174497792";
  std::string below = "1797693134862315807937289714053034150799341327100378269361737789804449"
                      "6829276475094664901797758720709633028641669288791094655554785194040263"
                      "0657488671505820681908902000708383676273854845817711531764475730270069"
                      "8555713669596228429148198608349364752927190741684443655107043427115596"
                      "99508093042880177904174497791";
  EXPECT_EQ(realof(halfway), std::numeric_limits<double>::infinity());
  EXPECT_EQ(realof(below), std::numeric_limits<double>::max());
}

TEST(TokenizerMended, HugeExponentsEndQuickly) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(realof("1e999999999999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(realof("1e-999999999999"), 0.0);
    EXPECT_EQ(realof("0e999999999999"), 0.0);
    EXPECT_EQ(realof("7.5E+99999999999999999999"), std::numeric_limits<double>::infinity());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(realof("1e309"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(realof("1e-400"), 0.0);
  EXPECT_EQ(realof("1e-0000000000000000000001"), 0.1); // leading zeros never saturate
  double big = 1.0;
  for (int i = 0; i < 308; ++i) big *= 10;
  EXPECT_EQ(realof("1e308"), big);
  EXPECT_TRUE(std::isfinite(big));
}

TEST(TokenizerMended, NothingIsReadPastTheEnd) {
  // Each text ends inside a construct that reads ahead; the exact-size heap copy makes any
  // read past the NUL a sanitizer error. After the end every request gives endtoken.
  for (char const* text :
       {"",     "a",      "a/", "1",  "1.", "1e",   "1e+",     "1e5", "12345678901234567890123",
        "0.5",  "<",      ">",  "=",  "!",  "&",    "|",       "/",   "/*",
        "/* *", "//",     ";",  "\"", "'",  "\"\\", "\"a\\\\", "'\\", "5\"",
        "\xFF", " \t\r\n"}) {
    scanner s(text);
    int count = 0;
    while (s.next().type != endtoken) ASSERT_LT(++count, 10) << text;
    for (int i = 0; i < 100; ++i) ASSERT_EQ(s.next().type, endtoken) << text;
  }
}

// ---------------------------------------------------------------------------------------------
// Random bytes never crash

tokentype const kinds[] = {endtoken,     errortoken, nametoken,   stringtoken, quotedtoken,
                           integertoken, realtoken,  assigntoken, eqtoken,     netoken,
                           gttoken,      getoken,    lttoken,     letoken,     andtoken,
                           ortoken,      chartoken,  plustoken,   minustoken,  multoken,
                           divtoken,     modtoken};

void scanwhole(std::string const& text, std::mt19937& random) {
  scanner s(text);
  size_t count = 0;
  for (;;) {
    token t = s.next();
    ASSERT_NE(std::find(std::begin(kinds), std::end(kinds), t.type), std::end(kinds))
        << "a token of a kind the tokenizer declares, not " << static_cast<int>(t.type);
    if (t.type == nametoken || t.type == stringtoken || t.type == quotedtoken ||
        t.type == chartoken || t.type == netoken) {
      ASSERT_LE(strnlen(t.text, sizeof t.text), static_cast<size_t>(maxtokentext));
    }
    if (t.type == endtoken) break;
    ASSERT_LE(++count, text.size()) << "every token but the end consumes a character";
    if (random() % 8 == 0) { // a look-ahead returns the very same record
      s.get().pushback(t);
      token again = s.next();
      ASSERT_EQ(std::memcmp(&again, &t, sizeof t), 0);
    }
  }
  ASSERT_EQ(s.next().type, endtoken);
}

TEST(TokenizerRandom, RandomBytesNeverCrash) {
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string text(random() % 400, ' ');
    for (char& c : text) c = static_cast<char>(1 + random() % 255); // any byte but NUL
    scanwhole(text, random);
    if (HasFatalFailure()) return;
  }
}

TEST(TokenizerRandom, RandomTokenSoupNeverCrashes) {
  // Bytes drawn from the characters that steer the scanner, so every branch is reached often.
  static char const soup[] = "0123456789eE.+-_aZ\"'\\/*;<>=!&|% \t\r\n\x80\xFF";
  std::mt19937 random(54321);
  for (int round = 0; round < 5000; ++round) {
    std::string text(random() % 300, ' ');
    for (char& c : text) c = soup[random() % (sizeof soup - 1)];
    scanwhole(text, random);
    if (HasFatalFailure()) return;
  }
}
} // namespace
} // namespace vesk
