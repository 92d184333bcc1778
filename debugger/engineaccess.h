// engineaccess.h - everything the adapter asks of the engine about a paused run, in one place:
// the frames of its call stack, the global store, a frame's parameters and evaluation in a
// frame. Each call is made on the thread of the paused run while its hook has not returned.
#pragma once

#include <string>
#include <vector>

#include "vesk.h"

namespace dap {

// One script call on the stack: the script's name as the engine gives it (a called script: its
// path), the line it stands at and the part of a parallel block it runs in.
struct framedescription {
  std::string script;
  int line;
  int part;
};

// The frames of the paused run, innermost first (the host's lines last).
std::vector<framedescription> callstack(vesk::interpreter& engine);

// The global store of the run.
vesk::variables* globalstore(vesk::interpreter& engine);

// The parameters of frame `frame` (0 innermost), a named list, or null when it has none.
vesk::variable* frameparameters(vesk::interpreter& engine, int frame);

// What an expression evaluated in a frame gave: its value, which lives until the hook returns
// (null when it failed, with the engine's reason in `error`), and the lines it printed.
struct evaluation {
  vesk::variable* value = nullptr;
  std::string error;
  std::string printed;
};

// Evaluates `expression` in frame `frame` without moving the paused run.
evaluation evaluate(vesk::interpreter& engine, int frame, std::string const& expression);

} // namespace dap
