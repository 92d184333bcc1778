// breakpointpass.h - a paused run passing a breakpoint: whether the breakpoint's condition holds
// there, and its log message with each {expression} replaced by the expression's value. Both
// evaluate in the innermost frame, on the run's thread, from its statement hook.
#pragma once

#include <string>

#include "breakpoints.h"
#include "vesk.h"

namespace dap {

// What passing breakpoints wrote on the way: lines for the debug console (log messages, a
// condition that failed) and the lines that evaluated expressions printed.
struct passnotes {
  std::string console;
  std::string printed;
};

// Whether the condition of `placed` holds at statement `at` (true when it has none). A
// condition that fails or gives no number holds as well, so that the run stops where the user
// sees why; a console line says so.
bool conditionholds(vesk::interpreter& engine, vesk::statementinfo const& at,
                    breakpoint const& placed, passnotes& notes);

// The log message of `placed` with every {expression} replaced by its value (a text without
// quotes); an expression that fails shows as <error: why>.
std::string logline(vesk::interpreter& engine, breakpoint const& placed, passnotes& notes);

} // namespace dap
