// observer.h - what vesk watches while a script runs, through the engine's statement hook:
// every statement written to standard error as it begins (--trace), the time of each line
// (--profile) and how often each line ran (--coverage), written when the run is over.
#pragma once

#include <chrono>

#include "coverage.h"
#include "messages.h"
#include "options.h"
#include "profile.h"
#include "vesk.h"

namespace cli {

class observer {
public:
  observer(options const& opts, messages& lines);
  // Sets the hook on `engine` when the command line asks for anything to be watched.
  void attach(vesk::interpreter& engine);
  // The run is over: the profile and the coverage are written. False, after a message, when
  // a file could not be written.
  bool finish();

private:
  static bool onstatement(vesk::interpreter& engine, vesk::statementinfo const& at, void* data);
  void trace(vesk::statementinfo const& at);
  double now() const;
  bool writeprofile();
  bool writecoverage();

  options const& opts;
  messages& lines;
  profile times;
  coverage counts;
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

} // namespace cli
