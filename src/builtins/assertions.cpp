// assertions.cpp - assert(condition, text): fails when the number condition is 0 (a NaN is not
// 0), naming the optional text. A second argument that is no string is reported and consumed,
// and the call goes on; a third and further arguments stay unprocessed.
#include <cstdio>

#include "arguments.h"
#include "builtins.h"

namespace vesk::builtins {

namespace {
constexpr int assertmessagesize = 160; // "assertion failed: " and a text of 127 characters
} // namespace

bool assertion(stack*, parameters* params, variables*, logfunc log) {
  arguments args(params);
  variable* condition = args.first();
  if (condition == nullptr) return fail(log, "function 'assert' takes at least one parameter");
  if (!validatenumber(condition, log, "first parameter for function 'assert' needs to be numeric"))
    return false;
  condition->processed(true);
  variable* text = args.next();
  if (text != nullptr) {
    if (!text->isstring()) fail(log, "second parameter for function 'assert' needs to be string");
    text->processed(true);
  }
  if (condition->number() != 0.0) return true;
  if (text == nullptr || !text->isstring()) return fail(log, "assertion failed");
  char message[assertmessagesize];
  snprintf(message, sizeof message, "assertion failed: %s", text->string());
  return fail(log, message);
}

} // namespace vesk::builtins
