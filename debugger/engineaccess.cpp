// engineaccess.cpp - the engine's answers about a paused run, from what its interface gives
// today: the statement the hook was called for and the store. The call stack, frame
// evaluation, parameters and parallel parts wait for the interpreter's own members for them.
#include "engineaccess.h"

namespace dap {

engineoffers const offers{false};

namespace {
constexpr char const* noevaluation =
    "this build of vesk cannot evaluate expressions in a paused script yet";
} // namespace

std::vector<framedescription> callstack(vesk::interpreter&, vesk::statementinfo const& at) {
  return {{at.script, at.line}};
}

int part(vesk::statementinfo const&) {
  return 0;
}

vesk::variables* globalstore(vesk::interpreter& engine) {
  return engine.store();
}

vesk::variable* frameparameters(vesk::interpreter&, int) {
  return nullptr;
}

vesk::variable* evaluate(vesk::interpreter&, int, std::string const&, std::string& error) {
  error = noevaluation;
  return nullptr;
}

} // namespace dap
