// blocks.cpp - the rules that all block handlers share: the checks before a block opens or
// closes, pushing an item on the control stack, and reading a numeric condition.
#include <cstdlib>

#include "frontend/symbolizer.h"
#include "internal.h"

namespace vesk {

// A block may open only during a run of lines and while the control stack has room.
bool interpreter::opening(char const* keyword) {
  if (ctrlsize <= 0) {
    error("keyword '%s' not allowed", keyword);
    return false;
  }
  if (ctrltop >= ctrlsize) {
    error("too many nested operands");
    return false;
  }
  if (ctrlstack == nullptr)
    ctrlstack = static_cast<ctrlitem*>(malloc(sizeof(ctrlitem) * static_cast<size_t>(ctrlsize)));
  if (ctrlstack != nullptr) return true;
  error(msg_memory);
  return false;
}

ctrlitem* interpreter::pushblock(int kind, int target) {
  ctrlitem& item = ctrlstack[ctrltop++];
  item = ctrlitem{};
  item.kind = kind;
  item.target = target;
  item.savedlog = logfunc;
  return &item;
}

// A block may close or divide only during a run of lines and when a block is open.
bool interpreter::closing(char const* keyword, char const* unopened) {
  if (ctrlsize <= 0) {
    error("keyword '%s' not allowed", keyword);
    return false;
  }
  if (ctrltop <= 0) {
    error(unopened);
    return false;
  }
  return true;
}

// Evaluates an expression from the line that must yield a number. `name` fills a "%s" in
// the messages when not null.
bool interpreter::numeric(char const* invalid, char const* notnumeric, char const* name,
                          double* result) {
  if (!boolterm()) {
    name ? error(invalid, name) : error(invalid);
    return false;
  }
  if (!opstack.isnumber(0)) {
    name ? error(notnumeric, name) : error(notnumeric);
    return false;
  }
  *result = opstack.number(0);
  opstack.pop(1);
  return true;
}

// A condition: a number, true when not 0 (a NaN is true).
bool interpreter::condition(char const* invalid, char const* notnumeric, bool* result) {
  double value = 0;
  if (!numeric(invalid, notnumeric, nullptr, &value)) return false;
  *result = value != 0;
  return true;
}

} // namespace vesk
