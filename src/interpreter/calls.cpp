// calls.cpp - calls of functions and scripts by name: the parameter list built from the
// arguments as they are read (every argument's value also stays on the operand stack), the
// call itself, the result kept on the operand stack, the report of parameters a function did
// not read, and calllog, the log function handed to called functions, which prefixes the
// calling line of this thread.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "callframe.h"
#include "engine.h"
#include "family.h"
#include "fastpaths.h"
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
};
thread_local callrecord callcontext = {nullptr, 0, ""};

void calllog(int level, char const* text) {
  char buffer[calllogsize];
  char const* script = callcontext.script ? callcontext.script : "";
  int n = 0;
  if (level == logerror)
    n = snprintf(buffer, sizeof buffer, "%s(%d): error: ", script, callcontext.line);
  else if (level == logwarning)
    n = snprintf(buffer, sizeof buffer, "%s(%d): warning: ", script, callcontext.line);
  if (n < 0 || n >= calllogsize) n = 0;
  copytext(buffer + n, text, calllogsize - 1 - n);
  if (callcontext.log != nullptr) callcontext.log(level, buffer);
}

} // namespace

// A call begins: its parameter list, what it calls (taking over the use of a script's text)
// and the depth of the operand stack before its arguments.
bool engine::callopen(resolution& callee, char const* name) {
  scripttext* script = callee.script;
  callee.script = nullptr;
  if (callcount >= maxnesting || !growopen(calls, callcount, callcapacity)) {
    if (script != nullptr) releasescripttext(script);
    error(msg_toodeep);
    return false;
  }
  opencall& call = calls[callcount++];
  new (&call.params) parameters(fastpaths() ? &shared->parameterstorage : nullptr);
  call.function = callee.function;
  call.script = script;
  copytext(call.name, callee.kind == calledscript ? callee.path : name, maxpathlen);
  call.depth = depth;
  ++shared->calls;
  return true;
}

// The value on top is an argument; it stays on the stack too.
bool engine::callargument(char const* name) {
  variable scratch, none;
  variable* value = valueat(0, scratch);
  if (calls[callcount - 1].params.add(value != nullptr ? value : &none, name) != nullptr)
    return true;
  error(msg_memory);
  return false;
}

// Makes the innermost call, its arguments read.
bool engine::callclose() {
  opencall& call = calls[callcount - 1];
  variable walker = call.params;
  for (variable* p = walker.first(); p != nullptr; p = walker.next()) p->processed(false);
  bool ok;
  if (call.function != nullptr) {
    ok = callfunction(call);
  } else if (calldepth >= maxcalldepth) {
    error("script calls nested too deeply");
    ok = false;
  } else {
    callframe callee(&call.params, true);
    ok = runtext(call.script, callee, call.name);
    if (!ok) {
      char trace[messagesize];
      snprintf(trace, sizeof trace, "%s(%d)", scriptname, cmdindex + 1);
      log(logtrace, trace);
    }
  }
  closecall(calls[--callcount]);
  return ok;
}

// Gives back what a call holds: the use of its script's text and its parameter list (its own
// blocks only: the values in it are borrowed, or given back by the call's frame).
void engine::closecall(opencall& call) {
  if (call.script != nullptr) releasescripttext(call.script);
  call.script = nullptr;
  call.params.reset();
}

// Calls a function with the arguments; keeps one result on the stack above what lay there
// before the argument list, or everything it pushed when it had no arguments.
bool engine::callfunction(opencall& call) {
  materialize(); // the function is given the whole operand stack
  int before = depth;
  callrecord saved = callcontext;
  callcontext = {log, cmdindex + 1, scriptname};
  stackaccess::setowner(opstack, this);
  bool ok = call.function(&opstack, &call.params, globals, calllog);
  callcontext = saved;
  if (!ok) return false;
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
void engine::reportunused(parameters* params, char const* name) {
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
