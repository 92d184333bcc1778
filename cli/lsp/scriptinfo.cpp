// scriptinfo.cpp - parameters, leading comments and literal members read off a script's lines.
#include "scriptinfo.h"

#include <set>

namespace cli::lsp {

namespace {

constexpr std::size_t maxcommentlines = 10;

// The comment text of a line holding only a comment; false for any other line.
bool commentline(std::string_view line, std::string& comment) {
  std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return false;
  line.remove_prefix(start);
  std::size_t mark = line[0] == ';'                                           ? 1
                     : line.substr(0, 2) == "//" || line.substr(0, 2) == "/*" ? 2
                                                                              : 0;
  if (mark == 0) return false;
  line.remove_prefix(mark);
  if (line.size() >= 2 && line.substr(line.size() - 2) == "*/") line.remove_suffix(2);
  std::size_t first = line.find_first_not_of(" \t");
  std::size_t last = line.find_last_not_of(" \t\r");
  comment =
      first == std::string_view::npos ? "" : std::string(line.substr(first, last - first + 1));
  return true;
}

// The keys of a named-list literal that starts at token `open` ("{"): "NAME =" directly inside
// it; for a list of named lists, those directly inside its elements.
void literalkeys(std::vector<placedtoken> const& tokens, std::size_t open,
                 std::set<std::string>& keys) {
  bool named = open + 2 < tokens.size() && tokens[open + 1].type == vesk::nametoken &&
               tokens[open + 2].type == vesk::assigntoken;
  int wanted = named ? 1 : 2;
  int depth = 0;
  for (std::size_t i = open; i < tokens.size(); ++i) {
    if (ischar(tokens[i], '{')) ++depth;
    if (ischar(tokens[i], '}') && --depth == 0) return;
    bool key = depth == wanted && tokens[i].type == vesk::nametoken && i + 1 < tokens.size() &&
               tokens[i + 1].type == vesk::assigntoken &&
               (ischar(tokens[i - 1], '{') || ischar(tokens[i - 1], ','));
    if (key) keys.insert(tokens[i].text);
  }
}

} // namespace

std::vector<std::string> parametersread(analysis const& script) {
  std::vector<std::string> parameters;
  std::set<std::string> assigned, seen;
  for (lineinfo const& line : script.lines) {
    std::vector<nameuse> const& names = line.facts.names;
    for (nameuse const& use : names)
      if ((use.role == namerole::read || use.role == namerole::looplist) && !use.name.empty() &&
          assigned.count(use.name) == 0 && seen.insert(use.name).second)
        parameters.push_back(use.name);
    for (nameuse const& use : names)
      if (use.role == namerole::assigned || use.role == namerole::loopvariable)
        assigned.insert(use.name);
  }
  return parameters;
}

std::string leadingcomment(std::string_view text) {
  std::string result, comment;
  std::size_t lines = 0;
  for (std::string_view line : textlines(text)) {
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
    if (!commentline(line, comment) || lines++ == maxcommentlines) break;
    result += comment + "\n";
  }
  return result;
}

std::vector<std::string> membersof(analysis const& script, std::string const& variable) {
  std::set<std::string> keys;
  std::set<std::string> sources{variable};
  // A loop variable takes the members of the elements of the list it runs through.
  for (lineinfo const& line : script.lines)
    for (nameuse const& use : line.facts.names)
      if (use.role == namerole::loopvariable && use.name == variable)
        for (nameuse const& list : line.facts.names)
          if (list.role == namerole::looplist) sources.insert(list.name);
  for (lineinfo const& line : script.lines) {
    std::vector<placedtoken> const& tokens = line.tokens;
    for (nameuse const& use : line.facts.names)
      if (use.role == namerole::assigned && sources.count(use.name) > 0 && tokens.size() > 2 &&
          ischar(tokens[2], '{'))
        literalkeys(tokens, 2, keys);
  }
  return std::vector<std::string>(keys.begin(), keys.end());
}

} // namespace cli::lsp
