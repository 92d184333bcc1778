// evaluate.cpp - evaluating a whole expression text for a host: the value stays in the
// operand stack, owned by the interpreter, until its next evaluation or statement.
#include "interpreter/callframe.h"
#include "interpreter/family.h"
#include "frontend/symbolizer.h"
#include "interpreter/internal.h"
#include "values/storeaccess.h"

namespace vesk {

// The evaluation counts as a statement that goes on until the next call: the storage its
// value may refer to stays until then.
variable* interpreter::evaluate(char const* text) {
  if (text == nullptr || !begincall()) return nullptr;
  cmdindex = -1; // functions called from here report line 0
  scriptname[0] = '\0';
  ctrlstack = nullptr;
  ctrltop = 0;
  ctrlsize = 0;
  variable* result = nullptr;
  callframe host(globals ? storeaccess::overlay(*globals) : nullptr, false);
  frame = &host;
  {
    statementlock hold(shared);
    if (proceed()) {
      resetoperands();
      beginstatement(shared, thread);
      symbolizer tokens(text, standardoptions);
      result = evaluate(&tokens);
      if (stopped()) result = nullptr;
      cursymbolizer = nullptr;
    }
  }
  frame = nullptr;
  endcall();
  return result;
}

variable* interpreter::evaluate(symbolizer* tokens) {
  if (tokens == nullptr) return nullptr;
  cursymbolizer = tokens;
  resetoperands();
  if (!boolterm()) return nullptr;
  token rest;
  if (tokens->nexttoken(rest) != endtoken) return nullptr;
  return opstack.top(0);
}

} // namespace vesk
