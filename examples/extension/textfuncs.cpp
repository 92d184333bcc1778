// textfuncs.cpp - an example extension library for vesk: text helpers a script can call as
// upper(s), lower(s) and length(s). Each takes exactly one string, marks it as read and leaves
// one result on the operand stack; anything else is reported once and fails the call.
#include <cctype>
#include <cstring>

#include "vesk.h"

namespace {

// A text value holds at most 127 characters, so a converted copy always fits here.
constexpr int maxtext = 127;

// The single string argument of a call, marked as read; null (after a report) otherwise.
vesk::variable* onestring(vesk::parameters* params, vesk::logfunc log, char const* message) {
  vesk::variable* text = params->first();
  if (params->count() != 1 || !text->isstring()) {
    log(vesk::logerror, message);
    return nullptr;
  }
  text->processed(true);
  return text;
}

// Pushes `text` with every character passed through `convert`.
bool pushconverted(vesk::stack* opstack, char const* text, int (*convert)(int)) {
  char result[maxtext + 1];
  int n = 0;
  for (; text[n] != '\0' && n < maxtext; ++n)
    result[n] = static_cast<char>(convert(static_cast<unsigned char>(text[n])));
  result[n] = '\0';
  return opstack->push(result) != nullptr;
}

bool upper(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc log) {
  vesk::variable* text = onestring(params, log, "function 'upper' takes one string");
  return text != nullptr && pushconverted(opstack, text->string(), toupper);
}

bool lower(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc log) {
  vesk::variable* text = onestring(params, log, "function 'lower' takes one string");
  return text != nullptr && pushconverted(opstack, text->string(), tolower);
}

bool length(vesk::stack* opstack, vesk::parameters* params, vesk::variables*, vesk::logfunc log) {
  vesk::variable* text = onestring(params, log, "function 'length' takes one string");
  return text != nullptr && opstack->push(static_cast<double>(strlen(text->string()))) != nullptr;
}

struct textfunction {
  char const* name;
  vesk::scriptfunc func;
};

constexpr textfunction functions[] = {
    {"upper", upper},
    {"lower", lower},
    {"length", length},
};
constexpr int numfunctions = sizeof functions / sizeof functions[0];

// The loader asks for index 0, 1, 2, ... until it receives null.
vesk::scriptfunc functionat(int index) {
  return index >= 0 && index < numfunctions ? functions[index].func : nullptr;
}

char const* nameof(vesk::scriptfunc func) {
  for (textfunction const& f : functions)
    if (f.func == func) return f.name;
  return nullptr;
}

} // namespace

VESK_EXPORT_MODULES(functionat, nameof)
