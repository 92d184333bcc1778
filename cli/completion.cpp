// completion.cpp - finding the name before the cursor with the engine's own rules for names
// and texts, the longest completion that all candidates agree on, and the candidates' columns.
#include "completion.h"

#include <algorithm>

namespace cli {

namespace {

constexpr std::size_t columngap = 2; // blanks after the longest name of a column

bool namecharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool digit(char c) {
  return c >= '0' && c <= '9';
}

// Whether `cursor` stands inside a text in double quotes or a name in apostrophes; a backslash
// in a text escapes the character after it.
bool quoted(std::string const& line, std::size_t cursor) {
  char open = '\0';
  for (std::size_t i = 0; i < cursor; ++i) {
    char c = line[i];
    if (open == '"' && c == '\\')
      ++i;
    else if (open != '\0' && c == open)
      open = '\0';
    else if (open == '\0' && (c == '"' || c == '\''))
      open = c;
  }
  return open != '\0';
}

} // namespace

std::vector<std::string> const& keywords() {
  static std::vector<std::string> const words = {
      "if",    "else", "end",   "for",      "next",   "try",  "catch", "repeat",
      "until", "do",   "while", "parallel", "thread", "each", "in",    "to"};
  return words;
}

std::size_t namestart(std::string const& line, std::size_t cursor) {
  std::size_t start = cursor;
  while (start > 0 && namecharacter(line[start - 1])) --start;
  if (start == cursor || digit(line[start]) || quoted(line, cursor)) return std::string::npos;
  return start;
}

std::string complete(std::string const& word, std::vector<std::string> const& candidates,
                     std::vector<std::string>& matches) {
  matches.clear();
  for (std::string const& candidate : candidates)
    if (candidate.compare(0, word.size(), word) == 0) matches.push_back(candidate);
  std::sort(matches.begin(), matches.end());
  matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
  if (matches.empty()) return "";
  std::size_t shared = matches.front().size();
  for (std::string const& match : matches) {
    std::size_t n = 0;
    while (n < shared && n < match.size() && match[n] == matches.front()[n]) ++n;
    shared = n;
  }
  return matches.front().substr(word.size(), shared - word.size());
}

std::vector<std::string> columns(std::vector<std::string> const& names, std::size_t width) {
  std::size_t longest = 0;
  for (std::string const& name : names) longest = std::max(longest, name.size());
  std::size_t step = longest + columngap;
  std::size_t across = width > longest ? (width - longest) / step + 1 : 1;
  std::size_t down = (names.size() + across - 1) / across;
  std::vector<std::string> lines(down);
  for (std::size_t i = 0; i < names.size(); ++i) {
    std::string& line = lines[i % down];
    if (!line.empty()) line.resize(i / down * step, ' ');
    line += names[i];
  }
  return lines;
}

} // namespace cli
