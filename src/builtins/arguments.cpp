// arguments.cpp - the argument patterns, failure report and result pushing shared by every
// built-in (see arguments.h). Nothing here keeps state; messages come from the callers' tables.
#include "arguments.h"

#include <cstdio>

namespace vesk::builtins {

namespace {

constexpr int messagesize = 160; // "function '<name>': no room for the result"

bool noroom(char const* function, logfunc log) {
  char message[messagesize];
  snprintf(message, sizeof message, "function '%s': no room for the result", function);
  return fail(log, message);
}

} // namespace

bool fail(logfunc log, char const* message) {
  if (log != nullptr) log(logerror, message);
  return false;
}

int argumentcount(parameters* params) {
  return params != nullptr ? params->count() : 0;
}

bool validatecount(parameters* params, int required, logfunc log, char const* message) {
  return argumentcount(params) == required || fail(log, message);
}

bool validatenumber(variable* argument, logfunc log, char const* message) {
  return (argument != nullptr && argument->isnumber()) || fail(log, message);
}

arguments::arguments(parameters* params) : walker(), any(params != nullptr) {
  if (any) walker = *params;
}

variable* arguments::first() {
  return any ? walker.first() : nullptr;
}

variable* arguments::next() {
  return any ? walker.next() : nullptr;
}

variable* arguments::firststring() {
  return any ? walker.first(stringtype) : nullptr;
}

variable* arguments::nextstring() {
  return any ? walker.next(stringtype) : nullptr;
}

variable* firststring(parameters* params, logfunc log, char const* message) {
  variable* argument = arguments(params).firststring();
  if (argument == nullptr) {
    fail(log, message);
    return nullptr;
  }
  argument->processed(true);
  return argument;
}

variable* namedstring(parameters* params, char const* name, logfunc log, char const* message) {
  variable* argument = params != nullptr ? params->find(name) : nullptr;
  if (argument == nullptr || !argument->isstring()) {
    fail(log, message);
    return nullptr;
  }
  argument->processed(true);
  return argument;
}

variable* findvariable(variables* globals, char const* name) {
  return globals != nullptr ? globals->find(name) : nullptr;
}

bool pushresult(stack* opstack, double number, char const* function, logfunc log) {
  return (opstack != nullptr && opstack->push(number) != nullptr) || noroom(function, log);
}

bool pushresult(stack* opstack, char const* text, char const* function, logfunc log) {
  return (opstack != nullptr && opstack->push(text) != nullptr) || noroom(function, log);
}

variable* pushlist(stack* opstack, char const* function, logfunc log) {
  variable* list = opstack != nullptr ? opstack->push(listtype) : nullptr;
  if (list == nullptr) noroom(function, log);
  return list;
}

} // namespace vesk::builtins
