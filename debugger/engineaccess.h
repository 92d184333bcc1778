// engineaccess.h - everything the adapter asks of the engine about a paused run, in one place:
// the frames of its call stack, which part of a parallel block a statement belongs to, the
// global store, a frame's parameters and evaluation in a frame. Each call is made on the
// thread of the statement hook while the hook has not returned (the run is paused there).
// What the engine's interface cannot give yet is said in `offers` and answered with nothing.
#pragma once

#include <string>
#include <vector>

#include "vesk.h"

namespace dap {

// What this build can show that the adapter's capabilities depend on.
struct engineoffers {
  bool evaluation; // expressions evaluated in a frame: conditions, log messages, evaluate
};
extern engineoffers const offers;

// One script call on the stack, innermost first: the script's name as the engine gives it
// (a called script: its path) and the line it stands at.
struct framedescription {
  std::string script;
  int line;
};

// The frames of the paused run, innermost first (for now only that one: the statement the hook
// was called for).
std::vector<framedescription> callstack(vesk::interpreter& engine, vesk::statementinfo const& at);

// 0 for the main part of a run, 1 for the worker of a parallel block (for now always 0).
int part(vesk::statementinfo const& at);

// The global store of the run.
vesk::variables* globalstore(vesk::interpreter& engine);

// The parameters of frame `frame` (0 innermost), or null when it has none or the engine
// cannot tell.
vesk::variable* frameparameters(vesk::interpreter& engine, int frame);

// Evaluates `expression` in frame `frame` without moving the paused run; the value lives until
// the hook returns. Null with the reason in `error` when it fails or cannot be evaluated.
vesk::variable* evaluate(vesk::interpreter& engine, int frame, std::string const& expression,
                         std::string& error);

} // namespace dap
