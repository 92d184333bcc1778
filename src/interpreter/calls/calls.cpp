// calls.cpp - calls of functions and scripts by name: the parameter list built from the
// arguments as they are read (every argument's value also stays on the operand stack), the
// call itself, the result kept on the operand stack, the report of parameters a function did
// not read, and calllog, the log function handed to called functions, which prefixes the
// calling line of this thread.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "caller.h"
#include "callframe.h"
#include "diagnostics.h"
#include "family.h"
#include "fastpaths.h"
#include "releasehold.h"
#include "scriptmemo.h"
#include "scripttexts.h"
#include "stackaccess.h"

namespace vesk {

namespace {

constexpr int calllogsize = 512;

// The caller of the function running on this thread: its log function, line and script.
struct callrecord {
  vesk::logfunc log;
  int line;
  char const* script;
  machine* errorsto; // whose error hook is told the function's errors, or null
};
thread_local callrecord callcontext = {nullptr, 0, "", nullptr};

void calllog(int level, char const* text) {
  char buffer[calllogsize];
  char const* script = callcontext.script ? callcontext.script : "";
  if (level == logerror || level == logwarning)
    formatdiagnostic(buffer, sizeof buffer, script, callcontext.line,
                     level == logerror ? "error" : "warning", text ? text : "");
  else
    copytext(buffer, text, calllogsize - 1);
  if (callcontext.log != nullptr) callcontext.log(level, buffer);
  if (level == logerror && callcontext.errorsto != nullptr) callcontext.errorsto->noteerror(buffer);
}

} // namespace

caller::caller(registry* registryof, variables* store, vesk::logfunc logto)
    : machine(store, logto), funcs(registryof) {}

caller::~caller() {
  free(calls);
  delete absentscripts;
  releaseregistry();
}

// A call begins: what it calls (a function, or a script whose text's use it takes over, named
// by its path) and the depth of the operand stack before its arguments. A function with a
// numbers-only form gets its parameter list only when its arguments turn out to need one.
bool caller::callopen(scriptfunc function, scripttext* script, char const* name,
                      numericfunc numeric) {
  if (callcount >= maxnesting || !growopen(calls, callcount, callcapacity)) {
    if (script != nullptr) releasescripttext(script);
    error(callcount >= maxnesting ? msg_toodeep : msg_memory);
    return false;
  }
  opencall& call = calls[callcount++];
  call.built = numeric == nullptr;
  if (call.built) new (&call.params) parameters(fastpaths() ? &shared->parameterstorage : nullptr);
  call.numeric = numeric;
  call.numbers = 0;
  call.function = function;
  call.script = script;
  copytext(call.name, name, maxpathlen);
  call.depth = depth;
  if (numeric == nullptr) ++shared->calls; // a numbers-only form changes nothing
  return true;
}

// A call of what the name the parser read last resolved to (the resolver kept it in
// `pending`; the call takes over its use of a script text).
emitresult caller::namedcall(char const* name) {
  scripttext* script = pending.script;
  pending.script = nullptr;
  bool ok = callopen(pending.function, script, pending.kind == calledscript ? pending.path : name);
  return ok ? emitted : failed;
}

// The parameter list of a call that has had its arguments as operands of their own so far.
bool caller::buildparameters(opencall& call) {
  new (&call.params) parameters(fastpaths() ? &shared->parameterstorage : nullptr);
  call.built = true;
  call.numeric = nullptr;
  variable scratch;
  for (int i = 0; i < call.numbers; ++i) {
    operand const& o = operands[call.depth + i];
    if (o.record == nullptr) scratch = variable(o.number);
    if (call.params.add(o.record != nullptr ? o.record : &scratch, "") == nullptr) {
      error(msg_memory);
      return false;
    }
  }
  return true;
}

// The value on top is an argument; it stays on the stack too. An unnamed argument that is an
// operand of its own keeps a numbers-only call as it is.
bool caller::callargument(char const* name) {
  opencall& call = calls[callcount - 1];
  if (!call.built) {
    if (name[0] == '\0' && depth == call.depth + call.numbers + 1) {
      ++call.numbers;
      return true;
    }
    if (!buildparameters(call)) return false;
  }
  variable scratch; // a number's record, or without an operand none (undefined)
  variable* value = valueat(0, scratch);
  if (call.params.add(value != nullptr ? value : &scratch, name) != nullptr) return true;
  error(msg_memory);
  return false;
}

// A numbers-only call: when every argument is a number, the function's value replaces them
// (`done`); else the call goes the general way.
bool caller::callnumeric(opencall& call, bool* done) {
  *done = false;
  constexpr int most = 8;
  double numbers[most];
  if (call.numbers > most || depth != call.depth + call.numbers) return true;
  for (int i = 0; i < call.numbers; ++i) {
    operand const& o = operands[call.depth + i];
    if (o.record != nullptr) return true;
    numbers[i] = o.number;
  }
  double result;
  if (!call.numeric(numbers, call.numbers, &result)) return true;
  popoperands(call.numbers);
  *done = true;
  return pushnumber(result);
}

// Makes the innermost call, its arguments read.
bool caller::callclose() {
  opencall& call = calls[callcount - 1];
  if (!call.built) {
    bool done = false;
    bool ok = callnumeric(call, &done);
    if (done || !ok) {
      --callcount;
      return ok;
    }
    if (!buildparameters(call)) return false;
  }
  variable walker = call.params;
  for (variable* p = walker.first(); p != nullptr; p = walker.next()) p->processed(false);
  bool ok;
  if (call.function != nullptr) {
    ok = callfunction(call);
  } else if (calldepth >= maxcalldepth) {
    error("script calls nested too deeply");
    ok = false;
  } else {
    if (call.script == nullptr) call.script = readcalled(call.name);
    callframe callee(&call.params, true);
    ok = runtext(call.script, callee, call.name, calldepth + 1);
    if (!ok) {
      scriptfailed = true;
      char trace[messagesize];
      snprintf(trace, sizeof trace, "%s(%d)", scriptname, cmdindex + 1);
      log(logtrace, trace);
    }
  }
  // A script call leaves its arguments (the last is its value); a function its result. With
  // neither there is no value, which only an expression statement may do without.
  if (ok && depth <= call.depth) {
    novalue = true;
    copytext(novaluename, call.name, maxpathlen);
  }
  closecall(calls[--callcount]);
  return ok;
}

// Whether the instruction after a call that left no value would use the value it lacks
// (reported): only the end of an expression statement does without, and a condition and an
// assignment say so in words of their own.
bool caller::lacksvalue(opcode next) {
  if (!novalue) return false;
  novalue = false;
  if (next == op_discard || next == op_numeric || next == op_assign || next == op_fail)
    return false;
  error("no value: the call of '%s' does not produce a result", novaluename);
  inexpression = true;
  return true;
}

// Gives back what a call holds: the use of its script's text and its parameter list (its own
// blocks only: the values in it are borrowed, or given back by the call's frame).
void caller::closecall(opencall& call) {
  if (call.script != nullptr) releasescripttext(call.script);
  call.script = nullptr;
  if (call.built) call.params.reset();
}

// Calls a function; an exception it throws ends at this boundary as a failed call (`threw`).
bool caller::callguarded(scriptfunc function, parameters* params, vesk::logfunc logto) {
  try {
    return function(&opstack, params, globals, logto);
  } catch (...) {
    threw = true;
    return false;
  }
}

// Calls a function with the arguments; keeps one result on the stack above what lay there
// before the argument list, or everything it pushed when it had no arguments.
bool caller::callfunction(opencall& call) {
  materialize(); // the function is given the whole operand stack
  int before = depth;
  callrecord saved = callcontext;
  callcontext = {log, cmdindex + 1, scriptname, shared->onerror ? this : nullptr};
  stackaccess::setowner(opstack, this);
  releasehold outer = setreleasehold({holdforstatement, shared});
  bool ok = callguarded(call.function, &call.params, calllog);
  setreleasehold(outer);
  callcontext = saved;
  if (!ok) {
    if (threw) error("function '%s' failed: it threw an exception", call.name);
    threw = false;
    return false;
  }
  takepushed();
  if (call.params.count() > 0) {
    bool pushed = depth > before;
    variable kept;
    if (pushed) kept = *operands[depth - 1].record;
    popoperands(depth - call.depth);
    if (pushed && !pushvalue(&kept)) return false;
  }
  reportunused(&call.params, call.name);
  return true;
}

// Reports, in list order, every parameter the function did not mark as processed.
void caller::reportunused(parameters* params, char const* name) {
  variable walker = *params;
  char* argname = nullptr;
  bool header = false;
  for (variable* p = walker.first(&argname); p != nullptr; p = walker.next(&argname)) {
    if (p->isprocessed()) continue;
    if (!header) error("while calling function '%s'", name);
    header = true;
    if (argname != nullptr && argname[0] != '\0')
      error("  parameter '%s=' unused\n", argname);
    else if (p->isnumber())
      error("  parameter %.3f unused", p->number());
    else if (p->isstring())
      error("  parameter \"%s\" unused", p->string());
    else if (p->islist())
      warning("  list parameter unused");
    else if (p->isnamedlist())
      warning("  named list parameter unused");
  }
}

} // namespace vesk
