// blockmatch.cpp - a stack of the blocks open so far, each with the word that opened it.
#include "blockmatch.h"

#include <cstring>

namespace cli {

namespace {

struct closing {
  char const* closer;
  char const* openers[3];
};
constexpr closing closers[] = {{"end", {"if", "try", "parallel"}},
                               {"next", {"for"}},
                               {"until", {"repeat"}},
                               {"while", {"do"}}};

struct dividing {
  char const* divider;
  char const* opener;
};
constexpr dividing dividers[] = {{"else", "if"}, {"catch", "try"}, {"thread", "parallel"}};

constexpr char const* openers[] = {"if", "for", "try", "repeat", "do", "parallel"};

bool among(char const* const* words, std::size_t count, std::string const& word) {
  for (std::size_t i = 0; i < count; ++i)
    if (words[i] != nullptr && word == words[i]) return true;
  return false;
}

closing const* closerof(std::string const& word) {
  for (closing const& c : closers)
    if (word == c.closer) return &c;
  return nullptr;
}

dividing const* dividerof(std::string const& word) {
  for (dividing const& d : dividers)
    if (word == d.divider) return &d;
  return nullptr;
}

} // namespace

bool isblockword(std::string const& word) {
  return among(openers, std::size(openers), word) || closerof(word) != nullptr ||
         dividerof(word) != nullptr;
}

blockstep blockmatcher::add(int line, std::vector<placedtoken> const& tokens) {
  blockstep step;
  step.depth = static_cast<int>(open.size());
  if (tokens.empty() || tokens[0].type != vesk::nametoken) return step;
  std::string const& word = tokens[0].text;
  if (among(openers, std::size(openers), word)) {
    step.role = blockrole::opens;
    open.push_back(openblock{line, word});
    return step;
  }
  if (closing const* c = closerof(word)) {
    int match = static_cast<int>(open.size()) - 1;
    while (match >= 0 && !among(c->openers, std::size(c->openers), open[match].word)) --match;
    step.role = blockrole::closes;
    if (match < 0) return step;
    step.openerline = open[match].line;
    step.depth = match;
    open.resize(static_cast<std::size_t>(match));
    return step;
  }
  dividing const* d = dividerof(word);
  // "thread" divides only when it stands alone on its line.
  if (d == nullptr || (word == "thread" && tokens.size() != 1)) return step;
  step.role = blockrole::divides;
  if (!open.empty() && open.back().word == d->opener) {
    step.openerline = open.back().line;
    step.depth = static_cast<int>(open.size()) - 1;
  }
  return step;
}

std::vector<int> blockmatcher::openlines() const {
  std::vector<int> lines;
  for (openblock const& b : open) lines.push_back(b.line);
  return lines;
}

} // namespace cli
