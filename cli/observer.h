// observer.h - what vesk watches while a script runs, through the engine's statement hook:
// every statement written to standard error as it begins (--trace), the time of each line
// (--profile) and how often each line ran (--coverage), written when the run is over.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "coverage.h"
#include "messages.h"
#include "options.h"
#include "profile.h"
#include "vesk.h"

namespace cli {

class observer {
public:
  // The files of --coverage and --profile=FILE are named by their absolute paths now.
  observer(options const& opts, messages& lines);
  // Whether the files may be written: false, after a message, when one of them is `script` (the
  // file to run; "" for none), both are one file, or one exists and is no file of its kind
  // (unless --overwrite was given).
  bool ready(std::string const& script);
  // Sets the hook on `engine` when the command line asks for anything to be watched.
  void attach(vesk::interpreter& engine);
  // The run is over: the profile and the coverage are written. False, after a message, when
  // a file could not be written or is a script that ran.
  bool finish();
  // A thread other than the one that made the observer has ended: its last statement ends.
  void threadended();

private:
  static bool onstatement(vesk::interpreter& engine, vesk::statementinfo const& at, void* data);
  void trace(vesk::statementinfo const& at);
  void notescript(char const* script);
  double now() const;
  bool writeprofile();
  bool writecoverage();
  bool writereport(std::string const& path, std::function<bool(FILE*)> const& write,
                   std::string& problem);

  options const& opts;
  messages& lines;
  std::string profilepath, coveragepath; // absolute; "" when not asked for
  std::mutex timing; // the profile, which a worker thread's end reaches outside the hook
  profile times;
  coverage counts;
  scriptfiles files;
  std::thread::id creator = std::this_thread::get_id();
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

} // namespace cli
