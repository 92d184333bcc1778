// breakpoints.cpp - placing breakpoints on the lines of a script file and reading hit
// conditions; see breakpoints.h.
#include "breakpoints.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "jsonfields.h"
#include "scripttokens.h"

namespace dap {

namespace {

// Longest first, so that ">=" is not read as ">".
struct hitoperator {
  char const* written;
  hitcondition::test kind;
};
constexpr hitoperator hitoperators[] = {
    {"==", hitcondition::equal},     {">=", hitcondition::greaterequal},
    {"<=", hitcondition::lessequal}, {">", hitcondition::greater},
    {"<", hitcondition::less},       {"%", hitcondition::multiple},
};

// The largest script file whose lines breakpoints are placed on (what vesk reads at most).
constexpr std::uintmax_t maxsourcebytes = std::uintmax_t{64} << 20;

std::string skipblanks(std::string const& text, std::size_t from) {
  std::size_t first = text.find_first_not_of(" \t", from);
  std::size_t last = text.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool readcount(std::string const& digits, long long& out) {
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  out = std::strtoll(digits.c_str(), nullptr, 10);
  return errno == 0;
}

// The lines of a script file, as the engine cuts them; false when it cannot be read. Only a
// regular file of at most maxsourcebytes is read: a client may name a device or a pipe.
bool readsource(std::string const& path, std::vector<std::string>& lines) {
  std::error_code failed;
  if (!std::filesystem::is_regular_file(path, failed) ||
      std::filesystem::file_size(path, failed) > maxsourcebytes || failed)
    return false;
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

// The first line at or after `line` (1-based) that holds a statement, or 0.
int statementline(std::vector<std::string> const& lines, int line) {
  for (std::size_t at = line > 0 ? static_cast<std::size_t>(line - 1) : 0; at < lines.size(); ++at)
    if (hasstatement(lines[at])) return static_cast<int>(at + 1);
  return 0;
}

breakpoint place(json const& wanted, std::vector<std::string> const& lines, bool readable) {
  breakpoint placed;
  int line = integer(wanted, "line", 0);
  placed.line = line;
  placed.logmessage = text(wanted, "logMessage");
  placed.condition = skipblanks(text(wanted, "condition"), 0);
  if (!readable) {
    placed.message = "the script file cannot be read";
  } else if (line < 1) {
    placed.message = "no such line";
  } else if (hastext(wanted, "hitCondition") &&
             !readhitcondition(text(wanted, "hitCondition"), placed.hits)) {
    placed.message = "a hit count is a number, optionally after ==, >, >=, <, <= or %";
  } else if ((placed.line = statementline(lines, line)) == 0) {
    placed.line = line;
    placed.message = "no statement at or after this line";
  } else {
    placed.verified = true;
    if (placed.line != line)
      placed.message = "moved to line " + std::to_string(placed.line) + ", the next statement";
  }
  return placed;
}

} // namespace

bool hitcondition::holds(long long hits) const {
  switch (kind) {
  case equal:
    return hits == count;
  case greater:
    return hits > count;
  case greaterequal:
    return hits >= count;
  case less:
    return hits < count;
  case lessequal:
    return hits <= count;
  case multiple:
    return count > 0 && hits % count == 0;
  case always:
    break;
  }
  return true;
}

bool readhitcondition(std::string const& written, hitcondition& out) {
  std::string condition = skipblanks(written, 0);
  if (condition.empty()) {
    out.kind = hitcondition::always;
    return true;
  }
  out.kind = hitcondition::equal;
  std::size_t digits = 0;
  for (hitoperator const& op : hitoperators) {
    if (condition.compare(0, std::char_traits<char>::length(op.written), op.written) == 0) {
      out.kind = op.kind;
      digits = std::char_traits<char>::length(op.written);
      break;
    }
  }
  return readcount(skipblanks(condition, digits), out.count);
}

std::vector<breakpoint> placebreakpoints(std::string const& path, json const& requested,
                                         int& nextid) {
  std::vector<std::string> lines;
  bool readable = readsource(path, lines);
  std::vector<breakpoint> placed;
  if (!requested.is_array()) return placed;
  for (json const& wanted : requested) {
    placed.push_back(place(wanted, lines, readable));
    placed.back().id = nextid++;
  }
  return placed;
}

json describe(breakpoint const& placed, std::string const& path) {
  json described = {{"id", placed.id}, {"verified", placed.verified}, {"line", placed.line}};
  described["source"] = {{"path", path}};
  if (!placed.message.empty()) described["message"] = placed.message;
  return described;
}

breakpointtable::breakpointtable(breakpointtable const& from, std::string const& key,
                                 std::vector<breakpoint> placed)
    : sources(from.sources) {
  sources.erase(key);
  if (placed.empty()) return;
  source& entry = sources[key];
  for (breakpoint const& b : placed) {
    if (!b.verified) continue;
    std::size_t line = static_cast<std::size_t>(b.line);
    if (entry.lines.size() <= line) entry.lines.resize(line + 1, 0);
    entry.lines[line] = 1;
  }
  entry.breakpoints = std::move(placed);
}

breakpointtable::source const* breakpointtable::find(std::string const& key) const {
  auto found = sources.find(key);
  return found == sources.end() ? nullptr : &found->second;
}

} // namespace dap
