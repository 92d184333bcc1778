// breakpointpass.cpp - conditions and log messages evaluated as a run passes a breakpoint; see
// breakpointpass.h.
#include "breakpointpass.h"

#include "engineaccess.h"
#include "scriptpaths.h"
#include "text.h"
#include "valuesview.h"

namespace dap {

namespace {

constexpr int innermost = 0;

std::string valueinmessage(vesk::variable& value) {
  return value.isstring() ? utf8(value.string())
                          : valuesview::summary(value)["value"].get<std::string>();
}

} // namespace

bool conditionholds(vesk::interpreter& engine, vesk::statementinfo const& at,
                    breakpoint const& placed, passnotes& notes) {
  if (placed.condition.empty()) return true;
  evaluation verdict = evaluate(engine, innermost, placed.condition);
  notes.printed += verdict.printed;
  if (verdict.value != nullptr && verdict.value->isnumber()) return verdict.value->number() != 0;
  std::string why = verdict.value != nullptr ? "it gives no number" : verdict.error;
  notes.console += utf8(basename(at.script)) + ":" + std::to_string(at.line) +
                   ": the breakpoint's condition '" + utf8(placed.condition) +
                   "' cannot be tested (" + utf8(why) + "); stopped there\n";
  return true;
}

std::string logline(vesk::interpreter& engine, breakpoint const& placed, passnotes& notes) {
  std::string const& message = placed.logmessage;
  std::string line;
  std::size_t at = 0;
  while (at < message.size()) {
    std::size_t open = message.find('{', at);
    std::size_t close = open == std::string::npos ? open : message.find('}', open + 1);
    if (close == std::string::npos || close == open + 1) {
      std::size_t upto = close == std::string::npos ? message.size() : close + 1;
      line += message.substr(at, upto - at);
      at = upto;
      continue;
    }
    line += message.substr(at, open - at);
    evaluation found = evaluate(engine, innermost, message.substr(open + 1, close - open - 1));
    notes.printed += found.printed;
    line += found.value != nullptr ? valueinmessage(*found.value)
                                   : "<error: " + utf8(found.error) + ">";
    at = close + 1;
  }
  return line;
}

} // namespace dap
