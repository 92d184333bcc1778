// breakpoints.h - the breakpoints of one source as the client asked for them and as they were
// placed: a line without a statement moves the breakpoint to the next line that has one, a
// condition and a hit count decide which passes stop, a log message is written instead of
// stopping. A table of
// every source's breakpoints is built whole and never changed afterwards, so that the
// statement hook reads it without a lock.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

namespace dap {

using json = nlohmann::json;

// Which hits of a breakpoint count, from the client's hit condition: "N" or "== N" the Nth
// only, "> N", ">= N", "< N", "<= N", and "% N" every Nth.
struct hitcondition {
  enum test { always, equal, greater, greaterequal, less, lessequal, multiple };
  test kind = always;
  long long count = 0;
  bool holds(long long hits) const;
};
// False when `written` is none of those forms.
bool readhitcondition(std::string const& written, hitcondition& out);

struct breakpoint {
  int id = 0;
  int line = 0;           // where it stands: the requested line or the next statement's
  bool verified = false;  // placed; an unverified breakpoint never stops
  std::string message;    // why it moved or could not be placed
  std::string condition;  // an expression that must give a number other than 0, when not empty
  hitcondition hits;      // counts the passes on which the condition holds
  std::string logmessage; // written instead of stopping, when not empty; {expressions} in it are
                          // replaced by their values
};

// Places the breakpoints the client asked for in source `path` (the `breakpoints` array of
// setBreakpoints), numbering them from `nextid` on.
std::vector<breakpoint> placebreakpoints(std::string const& path, json const& requested,
                                         int& nextid);

// What the client is told of a breakpoint.
json describe(breakpoint const& placed, std::string const& path);

class breakpointtable {
public:
  breakpointtable() = default;
  // A copy with the breakpoints of source `key` replaced.
  breakpointtable(breakpointtable const& from, std::string const& key,
                  std::vector<breakpoint> placed);

  bool empty() const { return sources.empty(); }
  // The breakpoints of a source, or null; `lines[n]` is nonzero where a verified one stands.
  struct source {
    std::vector<breakpoint> breakpoints;
    std::vector<unsigned char> lines;
  };
  source const* find(std::string const& key) const;

private:
  std::unordered_map<std::string, source> sources;
};

} // namespace dap
