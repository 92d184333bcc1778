// evaluate.cpp - evaluating a whole expression text for a host: the value stays in the
// operand stack, owned by the interpreter, until its next evaluation or statement.
#include "interpreter/family.h"
#include "frontend/symbolizer.h"
#include "interpreter/internal.h"
#include "values/storeaccess.h"

namespace vesk {

variable* interpreter::evaluate(char const* text) {
  if (text == nullptr) return nullptr;
  cmdindex = -1; // functions called from here report line 0
  scriptname[0] = '\0';
  ctrlstack = nullptr;
  ctrltop = 0;
  ctrlsize = 0;
  beginrun();
  statementlock hold(shared);
  if (!proceed()) return nullptr;
  if (outermost) releaseburied(shared);
  callparams = globals ? storeaccess::overlay(*globals) : nullptr;
  symbolizer tokens(text, standardoptions);
  variable* result = evaluate(&tokens);
  cursymbolizer = nullptr;
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
