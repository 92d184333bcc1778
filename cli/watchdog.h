// watchdog.h - the --timeout of vesk: a thread that asks the interpreter to stop when a run
// takes longer than allowed. One watchdog covers one run; it ends with the run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "vesk.h"

namespace cli {

// Stops the engine's run when the time is up, unless the run ends (the watchdog goes) first.
// A limit of 0 or less starts no thread.
class watchdog {
public:
  watchdog(vesk::interpreter& engine, double seconds) : engine(engine) {
    if (seconds <= 0) return;
    auto limit = std::chrono::duration<double>(seconds);
    guard = std::thread([this, limit] {
      std::unique_lock<std::mutex> hold(lock);
      if (!finished.wait_for(hold, limit, [this] { return done; })) this->engine.stop();
    });
  }
  ~watchdog() {
    {
      std::lock_guard<std::mutex> hold(lock);
      done = true;
    }
    finished.notify_one();
    if (guard.joinable()) guard.join();
  }
  watchdog(watchdog const&) = delete;
  watchdog& operator=(watchdog const&) = delete;

private:
  vesk::interpreter& engine;
  std::thread guard;
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
};

} // namespace cli
