// runcontrol.h - the statement hook of a debugged run and the client's control over it: it
// stops the run at breakpoints, after steps, on a pause request and at the first statement,
// and holds it in the hook while the client looks around. The session's thread asks; the
// run's thread (either thread of a parallel block) stops and answers. While the run is
// paused, everything that touches the engine runs on the run's thread, handed over as a task.
//
// The hook's common path takes no lock: it reads one flag and the published breakpoint table,
// and remembers the script it saw last, so that a run with breakpoints set but none hit pays
// a comparison of the script's name and a look at one byte per statement.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "breakpoints.h"
#include "outlet.h"
#include "vesk.h"

namespace dap {

// The paused run, for a task: the interpreter the hook was set on and the statement it stands
// before. Valid only while the task runs.
struct pausedrun {
  vesk::interpreter& engine;
  vesk::statementinfo const& at;
};

// A script the hook has seen run.
struct seenscript {
  std::string name; // as the engine gives it
  std::string key;  // scriptkey(name)
  std::string path; // clientpath(name): "" when it is no file
};

// The client's description of a script: its short name and, for a file, its path.
json describe(seenscript const& script);

enum class stepping { none, in, over, out };

class runcontrol {
public:
  runcontrol();
  runcontrol(runcontrol const&) = delete;
  runcontrol& operator=(runcontrol const&) = delete;

  // The statement hook; `data` is the runcontrol.
  static bool onstatement(vesk::interpreter& engine, vesk::statementinfo const& at, void* data);

  // The client that stops, output and new scripts are reported to (null: none, when no client
  // is attached); a new client starts with every hit count at 0.
  void connect(outlet* client);
  // Replaces the breakpoints of one source (placed by placebreakpoints).
  void setbreakpoints(std::string const& key, std::vector<breakpoint> placed);
  // The next statement stops with the reason "entry".
  void stoponentry();
  // The next statement stops with the reason "pause".
  void pause();
  // Lets a paused run go on, to the next stop (none) or by a step; false when none is paused.
  bool proceed(stepping how);
  // Every later statement is refused, which ends the run; a paused run is let go to end.
  void terminate();
  // The client has gone: breakpoints, steps and a pending pause are forgotten and a paused run
  // goes on as if no debugger had been there.
  void release();
  // Runs `task` on the paused run's thread and waits for it; false when no run is paused.
  bool inspect(std::function<void(pausedrun const&)> const& task);
  bool paused();
  // The scripts seen so far, in the order they first ran.
  std::vector<seenscript> scripts();

private:
  bool statement(vesk::interpreter& engine, vesk::statementinfo const& at);
  seenscript const& lookup(char const* name);
  bool mightstop(vesk::statementinfo const& at);
  bool decide(vesk::interpreter& engine, vesk::statementinfo const& at);
  bool breakpointsstop(vesk::statementinfo const& at, std::vector<int>& hit);
  void holdpaused(std::unique_lock<std::mutex>& hold, vesk::interpreter& engine,
                  vesk::statementinfo const& at);

  std::atomic<bool> attention{false};                   // a step, pause, entry or end is pending
  std::atomic<breakpointtable const*> table{nullptr};   // the current one, never null
  std::vector<std::unique_ptr<breakpointtable>> tables; // every table made, until the end

  // Only the hook's thread uses these (the engine never runs the hook on two threads at once).
  std::string lastname; // the script of the last statement
  seenscript const* lastscript = nullptr;
  breakpointtable const* lasttable = nullptr; // what `lastlines` was found in
  breakpointtable::source const* lastlines = nullptr;

  std::mutex lock; // guards everything below and the building of tables
  outlet* client = nullptr;
  std::condition_variable wake;
  std::vector<std::unique_ptr<seenscript>> seen;
  std::unordered_map<long long, long long> hitcounts; // by breakpoint id
  bool entrypending = false;
  bool pausepending = false;
  bool ending = false;
  stepping step = stepping::none;
  int stepdepth = 0;
  bool isstopped = false;
  bool goon = false;                                           // the paused run may go on
  std::function<void(pausedrun const&)> const* task = nullptr; // handed to the paused run
  bool taskdone = false;
};

} // namespace dap
