// hostrun.h - an input run as a host runs scripts: a store, the host's parameters (number,
// text, list, named list, unnamed list) laid over it or given to the main file, the host's
// functions and the built-ins, a statement limit, a time budget that cuts sleeps short; then
// the store and the parameters are read whole and given back as a host must.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fuzzing.h"
#include "scriptfiles.h"
#include "storechanges.h"
#include "vesk.h"

namespace fuzzing {

// The wall time one run may take. Scripts sleep for real, so that one part of a parallel block
// holds its values while the other runs; sleeps beyond the budget end with the run. A target
// that bounds its runs otherwise may give a longer budget, as a backstop.
constexpr std::chrono::milliseconds runbudget{25};

// Stops the run it watches once the budget is spent (stop() ends a sleep in progress, too).
// One thread per process; arm and disarm bracket each run.
class watchdog {
public:
  watchdog() : watcher([this] { watch(); }) {}
  ~watchdog() {
    {
      std::lock_guard<std::mutex> hold(mutex);
      quitting = true;
    }
    wake.notify_all();
    watcher.join();
  }
  watchdog(watchdog const&) = delete;
  watchdog& operator=(watchdog const&) = delete;

  void arm(vesk::interpreter* engine, std::chrono::milliseconds budget) {
    {
      std::lock_guard<std::mutex> hold(mutex);
      watched = engine;
      fired = false;
      deadline = std::chrono::steady_clock::now() + budget;
    }
    wake.notify_all();
  }
  // Ends the watch; true when the run was stopped. The interpreter may go after this.
  bool disarm() {
    std::lock_guard<std::mutex> hold(mutex);
    watched = nullptr;
    return fired;
  }

private:
  void watch() {
    std::unique_lock<std::mutex> hold(mutex);
    while (!quitting) {
      if (watched == nullptr) {
        wake.wait(hold);
      } else if (std::chrono::steady_clock::now() >= deadline) {
        watched->stop(); // under the mutex: disarm() waits, so the interpreter is still there
        watched = nullptr;
        fired = true;
      } else {
        wake.wait_until(hold, deadline);
      }
    }
  }

  std::mutex mutex;
  std::condition_variable wake;
  vesk::interpreter* watched = nullptr;
  std::chrono::steady_clock::time_point deadline;
  bool fired = false;
  bool quitting = false;
  std::thread watcher; // last: starts once the members it reads are made
};

inline watchdog& timer() {
  static watchdog dog;
  return dog;
}

// The parameters a host gives the main script. The lists are built in the parameter list, which
// owns them as any list owns its elements: a script that assigns to such a parameter gives the
// list it replaces back to the engine, and leaves its own for the host to release with the rest.
class hostparameters {
public:
  hostparameters() {
    bool built = list.add(5.0, "x") && list.add("text", "t");
    vesk::variable* l = list.add(vesk::listtype, "l");
    built = built && l && l->add(1.0) && l->add("two") && additem(l->add(vesk::listtype), 3.0);
    vesk::variable* m = list.add(vesk::namedlisttype, "m");
    built = built && m && m->add(1.0, "a") && additem(m->add(vesk::listtype, "b"), 2.0) &&
            m->add("e", "e");
    vesk::variable* unnamed = list.add(vesk::listtype, "");
    built = built && unnamed && unnamed->add(4.0) && additem(unnamed->add(vesk::listtype), 5.0);
    check(built, "the host's parameters can be built");
  }
  ~hostparameters() { fuzzing::release(list); }
  hostparameters(hostparameters const&) = delete;
  hostparameters& operator=(hostparameters const&) = delete;

  vesk::parameters list;

private:
  static bool additem(vesk::variable* inner, double number) {
    return inner != nullptr && inner->add(number) != nullptr;
  }
};

// How a target runs an input.
struct runsettings {
  vesk::logfunc log;
  bool (*heldback)(char const* name); // the filter of addinternalfuncs
  long long statements;
  vesk::statementhook hook = nullptr; // set on the interpreter with hookdata, when not null
  vesk::errorhook onerror = nullptr;  // likewise
  void* hookdata = nullptr;
};

struct outcome {
  bool ok = false;
  bool stopped = false; // the time budget ran out
  std::string store;    // the store after the run, then the host's parameters, printed
};

// Sets up an interpreter as the targets' host does: its own functions first (those that change
// the store and the file functions confined to the scripts' folder, which replace the
// built-ins of the same names), then the built-ins, the scripts' folder, the statement limit.
inline void prepare(vesk::interpreter& engine, runsettings const& settings) {
  addstorechanges(engine);
  addconfinedfilefuncs(engine);
  engine.addinternalfuncs(settings.heldback);
  engine.setscriptpath(scriptfolder().root.c_str(), nullptr);
  engine.setstatementlimit(settings.statements);
  if (settings.hook != nullptr) engine.sethook(settings.hook, settings.hookdata);
  if (settings.onerror != nullptr) engine.seterrorhook(settings.onerror, settings.hookdata);
}

// Runs the main script once on `engine`, from the files as the input gave them: `lines` with
// `params` laid over the store, or, when the input starts with a file, that file by name with
// `params` given to it, stopped after `budget`. What the host's functions took out of the store
// is given back after.
inline outcome runmain(vesk::interpreter& engine, vesk::variables& globals, scriptfiles& scripts,
                       std::vector<char const*>& lines, hostparameters& params,
                       std::chrono::milliseconds budget = runbudget) {
  outcome result;
  scripts.restore();
  defining() = &engine;
  timer().arm(&engine, budget);
  if (!scripts.mainfile().empty()) {
    result.ok = engine.execute(scripts.mainfile().c_str(), &params.list);
  } else {
    globals.setoverlay(&params.list);
    result.ok =
        engine.execute(lines.data(), static_cast<int>(lines.size()), scripts.mainname().c_str());
    globals.setoverlay(nullptr);
  }
  result.stopped = timer().disarm();
  defining() = nullptr;
  releaseburied();
  return result;
}

// Runs the main script once in a fresh interpreter over a fresh store.
inline outcome run(scriptfiles& scripts, runsettings const& settings) {
  outcome result;
  vesk::variables globals;
  {
    hostparameters params;
    {
      vesk::interpreter engine(&globals, settings.log);
      prepare(engine, settings);
      result = runmain(engine, globals, scripts, scripts.mainlines(), params);
    }
    // Read after the interpreter is gone: a stored value must not lean on its operand stack.
    result.store = describe(&globals) + describe(&params.list);
  }
  release(globals);
  return result;
}

} // namespace fuzzing
