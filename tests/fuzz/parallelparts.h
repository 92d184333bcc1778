// parallelparts.h - whether the parallel blocks of an input's scripts give one outcome however
// their two parts interleave, judged from the texts alone. Blocks are found as the engine
// matches them, by the first token of each line. Two parts are independent when neither
// writes a name that the other names, neither calls a script of the input, and neither reaches
// the store by a name given as a text or uses try's collection, which the parts share; names
// are compared by their first characters in lower case, so that two names the store holds
// apart may count as one but never the other way round.
#pragma once

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tokenizer.h"

namespace fuzzing {

struct parallelview {
  bool parallel = false;   // a script has a line whose first token is `parallel`
  bool independent = true; // and the parts of every such block are independent
};

namespace parallelparts {

constexpr std::size_t keylength = 31; // no longer than any name the store tells apart

// Built-ins and host functions that reach the store or the error collection by a name in a
// text, change the files scripts are found in, or catch and read errors.
constexpr char const* byname[] = {
    "try",          "catch",      "getlasterror", "dump",        "isdefined",     "count",
    "delete",       "setinvalid", "resetinvalid", "setdisabled", "resetdisabled", "setchanged",
    "resetchanged", "seterror",   "reseterror",   "setglobal",   "dropglobal",    "setmember",
    "dropmember",   "reorder",    "define",       "deletefile",  "renamefile"};

constexpr char const* keywords[] = {"if",     "else",  "end", "for",   "next",     "try",   "catch",
                                    "repeat", "until", "do",  "while", "parallel", "thread"};

using names = std::set<std::string>;

inline std::string key(std::string const& text) {
  std::string cut = text.substr(0, keylength);
  for (char& c : cut) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return cut;
}

// Adds `text` and every run of letters, digits and '_' in it.
inline void addwords(names& to, char const* text) {
  to.insert(key(text));
  std::string word;
  for (char const* c = text;; ++c) {
    if (*c != '\0' && (std::isalnum(static_cast<unsigned char>(*c)) || *c == '_')) {
      word += *c;
      continue;
    }
    if (!word.empty()) to.insert(key(word));
    word.clear();
    if (*c == '\0') return;
  }
}

inline bool iskeyword(std::string const& word) {
  for (char const* k : keywords)
    if (word == k) return true;
  return false;
}

// What one line names and may write, and its first token when that is a name.
struct lineview {
  std::string first;
  names named;
  names written;
};

// A line may write the name it starts with when it holds an "=" token (an assignment, with or
// without an element or member path), and a for line its loop variable.
inline lineview readline(char const* text) {
  lineview line;
  vesk::tokenizer tokens(text, vesk::standardoptions);
  vesk::token t;
  std::string target;
  bool assigns = false;
  for (int index = 0;; ++index) {
    vesk::tokentype const type = tokens.nexttoken(t);
    if (type == vesk::endtoken) break;
    bool const name = type == vesk::nametoken || type == vesk::quotedtoken;
    if (name || type == vesk::stringtoken) addwords(line.named, t.text);
    if (index == 0 && type == vesk::nametoken) line.first = t.text;
    if (index == 0 && name) target = t.text;
    if (type == vesk::assigntoken) assigns = true;
    if (line.first == "for" && (index == 1 || index == 2) && name) addwords(line.written, t.text);
  }
  if (assigns && !target.empty() && !iskeyword(target)) addwords(line.written, target.c_str());
  return line;
}

// The line at which the depth of if/try/parallel blocks drops below 0 (`end`), or the first at
// depth 0 or less that starts with `divider`; -1 when there is none.
inline int scan(std::vector<lineview> const& lines, int start, char const* divider) {
  int depth = 0;
  for (int i = start; i < static_cast<int>(lines.size()); ++i) {
    std::string const& word = lines[i].first;
    if (word == "if" || word == "try" || word == "parallel") ++depth;
    if (word == "end") --depth;
    if (divider == nullptr ? depth < 0 : depth <= 0 && word == divider) return i;
  }
  return -1;
}

struct partview {
  names named;
  names written;
};

inline partview readpart(std::vector<lineview> const& lines, int from, int to) {
  partview part;
  for (int i = from; i < to; ++i) {
    part.named.insert(lines[i].named.begin(), lines[i].named.end());
    part.written.insert(lines[i].written.begin(), lines[i].written.end());
  }
  return part;
}

inline bool meet(names const& a, names const& b) {
  for (std::string const& name : a)
    if (b.count(name) != 0) return true;
  return false;
}

} // namespace parallelparts

// The view of the input's scripts: the main lines as the engine runs them now, the files with
// their texts (cut into lines as the engine cuts a file) and the names scripts call them by.
inline parallelview viewparallel(std::vector<char const*> const& mainlines,
                                 std::vector<std::pair<std::string, std::string>> const& files) {
  namespace p = parallelparts;
  std::vector<std::vector<p::lineview>> scripts(1);
  for (char const* line : mainlines) scripts[0].push_back(p::readline(line));
  p::names unsafe;
  for (char const* word : p::byname) unsafe.insert(word);
  for (auto const& [file, text] : files) {
    unsafe.insert(p::key(file.substr(0, file.size() - 3))); // a call of the script
    scripts.emplace_back();
    std::size_t at = 0;
    while (at <= text.size()) {
      std::size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(at, end - at);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (end < text.size() || !line.empty()) scripts.back().push_back(p::readline(line.c_str()));
      at = end + 1;
    }
  }
  parallelview view;
  bool collects = false; // getlasterror reads the errors of both parts in the order they came
  for (auto const& lines : scripts) {
    for (auto const& line : lines)
      if (line.named.count("getlasterror") != 0 || line.named.count("renamefile") != 0)
        collects = true;
    for (int a = 0; a < static_cast<int>(lines.size()); ++a) {
      if (lines[a].first != "parallel") continue;
      view.parallel = true;
      int const e = p::scan(lines, a + 1, nullptr), t = p::scan(lines, a + 1, "thread");
      if (e < 0 || t < 0 || t >= e) continue; // the block fails before either part runs
      p::partview const one = p::readpart(lines, a + 1, t), two = p::readpart(lines, t + 1, e);
      if (p::meet(one.written, two.named) || p::meet(two.written, one.named) ||
          p::meet(one.named, unsafe) || p::meet(two.named, unsafe))
        view.independent = false;
    }
  }
  if (view.parallel && collects) view.independent = false;
  return view;
}

} // namespace fuzzing
