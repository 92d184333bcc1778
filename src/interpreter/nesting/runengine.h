// runengine.h - an engine that runs lines and nests further engines in it: what a script call
// and each part of a parallel block run on, with the same store, registry, log function,
// script folders and family as the engine that made it. Invariant: a nested engine lives for
// one call or one part; afterwards it goes back to the family's pool (enginepool.h) renewed, or
// away, and nothing of the run it served stays in it.
#pragma once

#include "runner.h"

namespace vesk {

class runengine : public runner {
public:
  runengine(registry* registryof, variables* store, logfunc logto)
      : runner(registryof, store, logto) {}
  ~runengine() override = default;

  // --- nested engines (enginepool.cpp) ---
  runengine* nest();
  static void retire(runengine* nested);
  void renew(registry* registryof, variables* store, logfunc logto);

  // --- a script call (scriptruns.cpp) and a parallel block (parallel.cpp) ---
  bool runtext(scripttext* script, callframe& callee, char const* scriptpath, int depth) override;
  int execute_parallel() override;
  static int runpart(void* job);

  // --- a paused run (pausedrun.cpp) ---
  void endpause() override;
};

} // namespace vesk
