// Unit tests of the profile's arithmetic on made-up clocks: own time and time with calls of
// nested and recursive calls, and the statements of two threads kept apart.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "profile.h"

namespace {

// The tab-separated figures of every line, times in whole milliseconds.
std::string figures(cli::profile const& p) {
  FILE* out = tmpfile();
  p.writeall(out);
  rewind(out);
  std::string text;
  char line[256];
  bool header = fgets(line, sizeof line, out) != nullptr;
  while (header && fgets(line, sizeof line, out) != nullptr) {
    char script[64];
    int number = 0;
    long long count = 0;
    double self = 0, inclusive = 0;
    sscanf(line, "%63s %d %lld %lf %lf", script, &number, &count, &self, &inclusive);
    text += std::string(script) + ":" + std::to_string(number) + " " + std::to_string(count) + " " +
            std::to_string(int(self + 0.5)) + " " + std::to_string(int(inclusive + 0.5)) + "\n";
  }
  fclose(out);
  return text;
}

void at(cli::profile& p, char const* script, int line, int depth, double ms,
        std::thread::id thread = std::this_thread::get_id()) {
  p.statement(vesk::statementinfo{script, line, "", depth, 0}, thread, ms / 1000);
}

TEST(profile, ACallsTimeIsInTheCallersTimeWithCallsOnly) {
  cli::profile p;
  at(p, "main", 1, 0, 0);  // calls sub: 10 ms of its own, then sub runs
  at(p, "sub", 1, 1, 10);  // 5 ms
  at(p, "sub", 2, 1, 15);  // 20 ms, with the rest of main's line after the return
  at(p, "main", 2, 0, 35); // 5 ms
  p.end(40 / 1000.0);
  EXPECT_EQ(figures(p), "main:1 1 10 35\nmain:2 1 5 5\nsub:1 1 5 5\nsub:2 1 20 20\n");
}

TEST(profile, ALineThatCallsItsOwnScriptCountsItsTimeWithCallsOnce) {
  cli::profile p;
  at(p, "rec", 1, 0, 0); // rec calls rec calls rec
  at(p, "rec", 1, 1, 1);
  at(p, "rec", 1, 2, 2);
  at(p, "rec", 2, 2, 3); // the innermost ends
  at(p, "end", 1, 0, 10);
  p.end(12 / 1000.0);
  // rec:1's span is 10 ms from its outermost statement, not 10 + 9 + 1.
  EXPECT_EQ(figures(p), "end:1 1 2 2\nrec:1 3 3 10\nrec:2 1 7 7\n");
}

TEST(profile, TheStatementsOfEachThreadLastUntilTheThreadsNextStatement) {
  cli::profile p;
  std::thread worker([] {});
  std::thread::id other = worker.get_id();
  worker.join();
  at(p, "part", 1, 0, 0);
  at(p, "part", 5, 0, 1, other); // does not end line 1
  at(p, "part", 2, 0, 4);
  at(p, "part", 6, 0, 6, other);
  p.end(8 / 1000.0);
  EXPECT_EQ(figures(p), "part:1 1 4 4\npart:2 1 4 4\npart:5 1 5 5\npart:6 1 2 2\n");
}

} // namespace
