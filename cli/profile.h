// profile.h - the time each line of a run takes (vesk --profile): statements are reported as
// they begin, with their call depth and thread; a line's statement lasts until the next
// statement of its thread at the same or a lower depth begins, its thread ends, or the run ends.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "vesk.h"

namespace cli {

class profile {
public:
  // The lines the summary shows.
  static constexpr std::size_t toplines = 20;
  // The first line of the file of every line's figures.
  static constexpr char const* header = "script\tline\tcount\tself_ms\tinclusive_ms\tshare_percent";

  // A statement of `thread` begins at `now` (seconds on a steady clock).
  void statement(vesk::statementinfo const& at, std::thread::id thread, double now);
  // `thread` has ended at `now`: its statements still open end.
  void threadend(std::thread::id thread, double now);
  // The run is over at `now`: every statement still open ends.
  void end(double now);
  bool empty() const { return lines.empty(); }
  // The `toplines` lines with the most time of their own, most first, as a table.
  void writetop(FILE* out) const;
  // Every line that ran, by script and line, as tab-separated values with a header line.
  void writeall(FILE* out) const;

private:
  using key = std::pair<std::string, int>; // script, line
  struct figures {
    long long count = 0;
    double self = 0;      // seconds
    double inclusive = 0; // seconds
    int open = 0;         // statements of the line on the stacks (calls into its own script)
  };
  struct running {
    figures* line;
    int depth;
    double start;
    double called = 0; // inclusive time of the statements of the scripts it called
  };
  void close(std::vector<running>& stack, double now);
  double total() const;
  std::vector<std::pair<key const*, figures const*>> sorted() const;

  std::map<key, figures> lines;
  std::map<std::thread::id, std::vector<running>> stacks;
};

} // namespace cli
