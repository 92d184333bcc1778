// profile.cpp - the figures of each line: how often it ran, its own time and its time with
// what it called. A line's own time is its statement's time less that of the statements of
// the scripts it called; its time with calls counts a line that calls its own script once,
// for its outermost statement.
#include "profile.h"

#include <algorithm>

namespace cli {

namespace {
constexpr double millisecond = 1e-3;
constexpr int minscriptwidth = 6;
} // namespace

// The statement on top of `stack` ends at `now`; its time goes to its line and, as time of a
// call, to the statement below it.
void profile::close(std::vector<running>& stack, double now) {
  running ended = stack.back();
  stack.pop_back();
  double spent = now - ended.start;
  ended.line->self += spent - ended.called;
  if (--ended.line->open == 0) ended.line->inclusive += spent;
  if (!stack.empty()) stack.back().called += spent;
}

void profile::statement(vesk::statementinfo const& at, std::thread::id thread, double now) {
  std::vector<running>& stack = stacks[thread];
  while (!stack.empty() && stack.back().depth >= at.depth) close(stack, now);
  figures& line = lines[key(at.script, at.line)];
  ++line.count;
  ++line.open;
  stack.push_back(running{&line, at.depth, now});
}

void profile::threadend(std::thread::id thread, double now) {
  auto ended = stacks.find(thread);
  if (ended == stacks.end()) return;
  while (!ended->second.empty()) close(ended->second, now);
  stacks.erase(ended);
}

void profile::end(double now) {
  for (auto& [thread, stack] : stacks)
    while (!stack.empty()) close(stack, now);
}

// The time of the whole run: every moment belongs to the own time of exactly one line.
double profile::total() const {
  double sum = 0;
  for (auto const& [where, line] : lines) sum += line.self;
  return sum;
}

// The lines, most time of their own first; by script and line where that is equal.
std::vector<std::pair<profile::key const*, profile::figures const*>> profile::sorted() const {
  std::vector<std::pair<key const*, figures const*>> order;
  for (auto const& [where, line] : lines) order.emplace_back(&where, &line);
  std::stable_sort(order.begin(), order.end(),
                   [](auto const& a, auto const& b) { return a.second->self > b.second->self; });
  return order;
}

void profile::writetop(FILE* out) const {
  double whole = total();
  auto order = sorted();
  if (order.size() > toplines) order.resize(toplines);
  int width = minscriptwidth;
  for (auto const& [where, line] : order) width = std::max(width, int(where->first.size()));
  fprintf(out, "profile: %zu lines ran, %.3f ms in all\n", lines.size(), whole / millisecond);
  fprintf(out, "%-*s %6s %9s %10s %10s %6s\n", width, "script", "line", "count", "self ms",
          "incl ms", "share");
  for (auto const& [where, line] : order)
    fprintf(out, "%-*s %6d %9lld %10.3f %10.3f %5.1f%%\n", width, where->first.c_str(),
            where->second, line->count, line->self / millisecond, line->inclusive / millisecond,
            whole > 0 ? 100 * line->self / whole : 0.0);
}

void profile::writeall(FILE* out) const {
  double whole = total();
  fprintf(out, "%s\n", header);
  for (auto const& [where, line] : lines)
    fprintf(out, "%s\t%d\t%lld\t%.3f\t%.3f\t%.1f\n", where.first.c_str(), where.second, line.count,
            line.self / millisecond, line.inclusive / millisecond,
            whole > 0 ? 100 * line.self / whole : 0.0);
}

} // namespace cli
