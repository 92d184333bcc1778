// format.cpp - formatting line by line. Each line is cut into the engine's tokens; the blanks
// between two tokens are chosen by what the tokens are, while anything written between them
// that is no blank (a comment) is kept as written. Before a line is changed, its new text must
// give the same tokens as the old one, so that no script reads differently once formatted.
#include "format.h"

#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "blockmatch.h"
#include "linefacts.h"
#include "linetokens.h"

namespace cli {

namespace {

constexpr std::string_view indentunit = "  ";
constexpr std::string_view blanks = " \t\r";
constexpr std::string_view byteordermark = "\xEF\xBB\xBF";

// What a token is to the spacing around it.
enum class kind { operand, open, close, comma, dot, binary, prefix, other };

struct line {
  std::string_view body;   // without its ending
  std::string_view ending; // "\r\n", "\n" or "" (the last line without one)
};

std::vector<line> cutlines(std::string_view text) {
  std::vector<line> lines;
  while (!text.empty()) {
    std::size_t newline = text.find('\n');
    std::size_t end = newline == std::string_view::npos ? text.size() : newline;
    std::size_t bodyend =
        end > 0 && newline != std::string_view::npos && text[end - 1] == '\r' ? end - 1 : end;
    std::size_t next = newline == std::string_view::npos ? end : end + 1;
    lines.push_back(line{text.substr(0, bodyend), text.substr(bodyend, next - bodyend)});
    text.remove_prefix(next);
  }
  return lines;
}

bool blank(std::string_view text) {
  return text.find_first_not_of(blanks) == std::string_view::npos;
}

// A carriage return is trimmed too: one left at the end of a line's text would join its ending.
std::string_view trimright(std::string_view text) {
  std::size_t last = text.find_last_not_of(blanks);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

std::string_view trimleft(std::string_view text) {
  std::size_t first = text.find_first_not_of(blanks);
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// --- spacing between tokens --------------------------------------------------------------------

bool ischarof(placedtoken const& t, std::string_view chars) {
  return t.type == vesk::chartoken && t.text.size() == 1 &&
         chars.find(t.text[0]) != std::string_view::npos;
}

kind fixedkind(placedtoken const& t) {
  switch (t.type) {
  case vesk::nametoken:
  case vesk::stringtoken:
  case vesk::quotedtoken:
  case vesk::integertoken:
  case vesk::realtoken:
    return kind::operand;
  case vesk::plustoken:
  case vesk::minustoken:
    return kind::prefix; // decided in context
  case vesk::chartoken:
    break;
  case vesk::errortoken:
  case vesk::endtoken:
    return kind::other;
  default:
    return kind::binary;
  }
  if (ischarof(t, "([{")) return kind::open;
  if (ischarof(t, ")]}")) return kind::close;
  if (ischarof(t, ",")) return kind::comma;
  if (ischarof(t, ".")) return kind::dot;
  if (ischarof(t, "!")) return kind::prefix;
  return kind::other;
}

// A word of the line's own statement: the block keyword that begins it, or the "to" of a
// counting loop. What follows it is an expression of its own.
bool structural(std::vector<placedtoken> const& tokens, std::size_t i) {
  if (i == 0) return tokens[0].type == vesk::nametoken && isblockword(tokens[0].text);
  return isword(tokens[0], "for") && isword(tokens[i], "to");
}

// Whether the "+" or "-" at `i` is a prefix: after anything but an operand it is; after an
// operand (where a call without parentheses could take it as an argument's sign) it is one
// when it is written so: a blank before it, none after it.
bool prefixat(std::vector<placedtoken> const& tokens, std::vector<kind> const& kinds,
              std::size_t i) {
  if (i == 0) return true;
  kind before = kinds[i - 1];
  if (before != kind::operand && before != kind::close) return before != kind::other;
  if (structural(tokens, i - 1)) return true;
  bool spacebefore = tokens[i - 1].to < tokens[i].from;
  bool attached = i + 1 < tokens.size() && tokens[i].to == tokens[i + 1].from;
  return spacebefore && attached;
}

std::vector<kind> kindsof(std::vector<placedtoken> const& tokens) {
  std::vector<kind> kinds;
  for (placedtoken const& t : tokens) kinds.push_back(fixedkind(t));
  for (std::size_t i = 0; i < tokens.size(); ++i)
    if (tokens[i].type == vesk::plustoken || tokens[i].type == vesk::minustoken)
      kinds[i] = prefixat(tokens, kinds, i) ? kind::prefix : kind::binary;
  return kinds;
}

// The blanks between tokens i and i + 1 where only blanks were written.
std::string_view spacing(std::vector<placedtoken> const& tokens, std::vector<kind> const& kinds,
                         std::string_view written, std::size_t i) {
  kind a = kinds[i], b = kinds[i + 1];
  placedtoken const& next = tokens[i + 1];
  if (a == kind::other || b == kind::other) return written;
  if (b == kind::comma || b == kind::close) return "";
  if (a == kind::comma) return " ";
  if (a == kind::dot || b == kind::dot || a == kind::open || a == kind::prefix) return "";
  if (a == kind::binary || b == kind::binary) return " ";
  if (ischar(next, '(') && a == kind::operand && !structural(tokens, i))
    return tokens[i].type == vesk::nametoken || tokens[i].type == vesk::quotedtoken ? "" : " ";
  if (ischar(next, '[') && (a == kind::operand || a == kind::close)) return "";
  return " ";
}

// --- one line ----------------------------------------------------------------------------------

// The tokens' types and written texts, which must stay the same.
bool sametokens(std::vector<placedtoken> const& a, std::string_view atext,
                std::vector<placedtoken> const& b, std::string_view btext) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].type != b[i].type || atext.substr(a[i].from, a[i].to - a[i].from) !=
                                      btext.substr(b[i].from, b[i].to - b[i].from))
      return false;
  return true;
}

// The tokens of `body` laid out, without indentation; a gap that holds a comment is kept.
std::string layout(std::vector<placedtoken> const& tokens, std::string_view body) {
  std::vector<kind> kinds = kindsof(tokens);
  std::string out(trimleft(body.substr(0, tokens[0].from)));
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    out += body.substr(tokens[i].from, tokens[i].to - tokens[i].from);
    if (i + 1 == tokens.size()) break;
    std::string_view gap = body.substr(tokens[i].to, tokens[i + 1].from - tokens[i].to);
    out += blank(gap) ? spacing(tokens, kinds, gap, i) : gap;
  }
  std::string_view rest = body.substr(tokens.back().to);
  if (!blank(rest)) out += trimright(rest);
  return out;
}

// The line as formatted at `indent`, or the line as it was.
std::string formatline(std::string_view body, std::vector<placedtoken> const& tokens,
                       std::string const& indent) {
  if (tokens.empty()) return indent + std::string(trimright(trimleft(body)));
  std::string text(body);
  shapejudge judge;
  if (readfacts(text.c_str(), tokens, judge).failed) return text;
  std::string formatted = indent + layout(tokens, body);
  if (!sametokens(tokens, body, linetokens(formatted.c_str()), formatted)) return text;
  return formatted;
}

std::string indentation(std::string const& base, int depth) {
  std::string indent = base;
  for (int i = 0; i < depth; ++i) indent += indentunit;
  return indent;
}

// Formats the lines `first` to `last` of `text`.
std::string formatrange(std::string const& text, bool fragment, int first, int last) {
  std::string_view rest(text);
  std::string out;
  if (rest.substr(0, byteordermark.size()) == byteordermark) {
    out += byteordermark;
    rest.remove_prefix(byteordermark.size());
  }
  blockmatcher blocks;
  std::string base;
  bool basefound = !fragment, blankbefore = false;
  int number = 0;
  for (line const& l : cutlines(rest)) {
    // The engine reads a line up to its first NUL; such a line is kept as it is.
    std::string body(l.body);
    std::vector<placedtoken> tokens = linetokens(body.c_str());
    blockstep step = blocks.add(number, tokens);
    bool inside = number >= first && number <= last;
    ++number;
    if (!inside) {
      out += l.body;
      out += l.ending;
      blankbefore = false;
      continue;
    }
    bool empty = blank(l.body);
    if (empty && blankbefore) continue;
    blankbefore = empty;
    if (!basefound && !empty) {
      base = std::string(l.body.substr(0, l.body.size() - trimleft(l.body).size()));
      basefound = true;
    }
    if (std::strlen(body.c_str()) != body.size())
      out += l.body;
    else if (!empty)
      out += formatline(l.body, tokens, indentation(base, step.depth));
    out += l.ending;
  }
  return out;
}

} // namespace

std::string formatscript(std::string const& text, bool fragment) {
  return formatrange(text, fragment, 0, std::numeric_limits<int>::max());
}

std::string formatlines(std::string const& text, int first, int last) {
  return formatrange(text, false, first, last);
}

} // namespace cli
