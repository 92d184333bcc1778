// analysis.cpp - reading every line once with the engine's tokenizer and parser, and the
// lookups the requests make in what was read.
#include "analysis.h"

#include <algorithm>

namespace cli::lsp {

namespace {

constexpr std::string_view byteordermark = "\xEF\xBB\xBF";

bool variablerole(namerole role) {
  return role != namerole::called;
}

} // namespace

std::vector<std::string_view> textlines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t newline = text.find('\n', start);
    std::size_t end = newline == std::string_view::npos ? text.size() : newline;
    std::size_t stop =
        newline != std::string_view::npos && end > start && text[end - 1] == '\r' ? end - 1 : end;
    lines.push_back(text.substr(start, stop - start));
    if (newline == std::string_view::npos) break;
    start = newline + 1;
  }
  return lines;
}

lineinfo readline(std::string_view written, bool first, namejudge& judge) {
  lineinfo info;
  if (first && written.substr(0, byteordermark.size()) == byteordermark)
    info.shift = byteordermark.size();
  std::string line(written.substr(info.shift));
  info.tokens = linetokens(line.c_str());
  for (placedtoken& t : info.tokens) {
    t.from += info.shift;
    t.to += info.shift;
  }
  info.facts = readfacts(line.c_str(), info.tokens, judge);
  return info;
}

std::shared_ptr<analysis const> analyse(std::string_view text, namejudge& judge) {
  auto script = std::make_shared<analysis>();
  blockmatcher blocks;
  int number = 0;
  for (std::string_view written : textlines(text)) {
    lineinfo info = readline(written, number == 0, judge);
    info.block = blocks.add(number, info.tokens);
    if (info.block.role == blockrole::closes && info.block.openerline >= 0)
      script->lines[static_cast<std::size_t>(info.block.openerline)].closedby = number;
    script->lines.push_back(std::move(info));
    ++number;
  }
  return script;
}

int tokenat(lineinfo const& line, std::size_t offset) {
  int found = -1;
  for (std::size_t i = 0; i < line.tokens.size(); ++i) {
    placedtoken const& t = line.tokens[i];
    if (t.from <= offset && offset < t.to) return static_cast<int>(i);
    if (t.to == offset) found = static_cast<int>(i);
  }
  return found;
}

nameuse const* useat(lineinfo const& line, int token) {
  for (nameuse const& use : line.facts.names)
    if (use.token == token) return &use;
  return nullptr;
}

std::vector<place> variableuses(analysis const& script, std::string const& name) {
  std::vector<place> places;
  for (std::size_t l = 0; l < script.lines.size(); ++l) {
    std::vector<nameuse> const& names = script.lines[l].facts.names;
    std::vector<int> tokens;
    for (nameuse const& use : names)
      if (variablerole(use.role) && use.name == name) tokens.push_back(use.token);
    std::sort(tokens.begin(), tokens.end());
    for (int token : tokens) places.push_back(place{static_cast<int>(l), token});
  }
  return places;
}

place firstassignment(analysis const& script, std::string const& name) {
  for (std::size_t l = 0; l < script.lines.size(); ++l)
    for (nameuse const& use : script.lines[l].facts.names)
      if ((use.role == namerole::assigned || use.role == namerole::loopvariable) &&
          use.name == name)
        return place{static_cast<int>(l), use.token};
  return place{-1, -1};
}

std::vector<std::string> assignednames(analysis const& script) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (lineinfo const& line : script.lines)
    for (nameuse const& use : line.facts.names)
      if ((use.role == namerole::assigned || use.role == namerole::loopvariable) &&
          seen.insert(use.name).second)
        names.push_back(use.name);
  return names;
}

vesk::namekind reachjudge::kindof(char const* name, int, std::vector<placedtoken> const&) {
  if (functions.count(name) > 0) return vesk::calledfunction;
  if (scripts.count(name) > 0) return vesk::calledscript;
  return vesk::variablename;
}

} // namespace cli::lsp
