// runcontrol.h - the statement and error hooks of a debugged run and the client's control over
// it: it stops the run at breakpoints, after steps, on a pause request, at the first statement
// and where errors are raised, and holds it in the hook while the client looks around. The
// session's thread asks; the run's thread (either thread of a parallel block) stops and
// answers. While the run is paused, everything that touches the engine runs on the run's
// thread, handed over as a task. Each part of a parallel block is a thread to the client:
// the hook sees a part's first statement and the part's thread ending.
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

// The paused run, for a task: the interpreter the hook was set on, the statement it stands
// before (or that failed) and the number of the stop, which values found in an earlier stop
// are checked against. Valid only while the task runs.
struct pausedrun {
  vesk::interpreter& engine;
  vesk::statementinfo const& at;
  long long stop;
};

// The protocol's thread id of a part of a run (part 0: the host's thread), and back.
constexpr int threadofpart(int part) {
  return part + 1;
}
constexpr int partofthread(int thread) {
  return thread - 1;
}

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

  // The statement hook and the error hook; `data` is the runcontrol.
  static bool onstatement(vesk::interpreter& engine, vesk::statementinfo const& at, void* data);
  static void onerror(vesk::interpreter& engine, vesk::errorinfo const& failed, void* data);

  // The client that stops, output and new scripts are reported to (null: none, when no client
  // is attached); a new client starts with every hit count at 0.
  void connect(outlet* client);
  // Replaces the breakpoints of one source (placed by placebreakpoints).
  void setbreakpoints(std::string const& key, std::vector<breakpoint> placed);
  // Which errors stop the run: every one raised, or those that end the run (or its part).
  void seterrorstops(bool raised, bool uncaught);
  // The next statement stops with the reason "entry".
  void stoponentry();
  // The next statement stops with the reason "pause".
  void pause();
  // Lets a paused run go on, to the next stop (none) or by a step of part `part` (-1: the
  // paused one); false when none is paused. A step of a part other than the paused one, which
  // waits before its next statement, stops there.
  bool proceed(stepping how, int part);
  // Every later statement is refused, which ends the run; a paused run is let go to end.
  void terminate();
  // The client has gone: breakpoints, steps and a pending pause are forgotten and a paused run
  // goes on as if no debugger had been there.
  void release();
  // Runs `task` on the paused run's thread and waits for it; false when no run is paused.
  bool inspect(std::function<void(pausedrun const&)> const& task);
  bool paused();
  // The error the paused run stopped at: its message and whether a try block takes the run on;
  // false when the run is not paused at an error.
  bool pausederror(std::string& message, bool& caught);
  // The scripts seen so far, in the order they first ran.
  std::vector<seenscript> scripts();
  // The parts of parallel blocks that are running now (part 0, the host's thread, is not
  // among them), in the order they began.
  std::vector<int> parts();
  // The thread of part `part` has ended (called on that thread as it ends).
  void partended(int part);

private:
  bool statement(vesk::interpreter& engine, vesk::statementinfo const& at);
  void error(vesk::interpreter& engine, vesk::errorinfo const& failed);
  seenscript const& lookup(char const* name);
  void partbegins(int part);
  bool mightstop(vesk::statementinfo const& at);
  bool decide(vesk::interpreter& engine, vesk::statementinfo const& at, bool online);
  void passbreakpoints(vesk::interpreter& engine, vesk::statementinfo const& at,
                       std::vector<int>& hit);
  bool stepended(vesk::statementinfo const& at) const;
  bool stophere(std::unique_lock<std::mutex>& hold, vesk::interpreter& engine,
                vesk::statementinfo const& at, json const& stopped);
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
  bool stopraised = false;   // at every error
  bool stopuncaught = false; // at an error that ends the run or its part
  stepping step = stepping::none;
  int stepdepth = 0;
  int steppart = 0;         // -1: any part (the stepped part ended)
  std::vector<int> running; // the parts of parallel blocks now running
  bool isstopped = false;
  int pausedpart = 0;
  long long stops = 0;
  bool aterror = false; // the run is paused at an error
  std::string errormessage;
  bool errorcaught = false;
  bool goon = false;                                           // the paused run may go on
  std::function<void(pausedrun const&)> const* task = nullptr; // handed to the paused run
  bool taskdone = false;
};

} // namespace dap
