// calls.cpp - calls of functions and scripts by name: the argument list (parenthesised or to
// the end of the line, optional commas, named arguments), the call itself, the result kept on
// the operand stack, the report of parameters a function did not read, and calllog, the log
// function handed to called functions, which prefixes the calling line of this thread.
#include <cstdio>
#include <cstring>

#include "callframe.h"
#include "family.h"
#include "frontend/symbolizer.h"
#include "internal.h"
#include "scripttexts.h"
#include "values/fastpaths.h"
#include "values/stackaccess.h"

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

bool ischar(token const& t, char c) {
  return t.type == chartoken && t.text[0] == c && t.text[1] == '\0';
}

} // namespace

// Reads the arguments into `params`: each a boolterm, named when written as name "=" value.
// Every argument's value also stays on the operand stack.
bool interpreter::readarguments(parameters* params, bool parenthesised) {
  token t, after;
  for (;;) {
    tokentype type = cursymbolizer->nexttoken(t);
    if (parenthesised ? ischar(t, ')') : type == endtoken) return true;
    char argname[maxargnamelen + 1] = "";
    if (type == nametoken && cursymbolizer->nexttoken(after) == assigntoken) {
      copytext(argname, t.text, maxargnamelen);
    } else {
      if (type == nametoken) cursymbolizer->pushback(after);
      cursymbolizer->pushback(t);
    }
    if (!boolterm()) return false;
    cursymbolizer->nexttoken(after);
    if (!ischar(after, ',')) cursymbolizer->pushback(after);
    variable none;
    variable* value = opstack.numelements() > 0 ? opstack.top(0) : &none;
    if (params->add(value, argname) == nullptr) {
      error(msg_memory);
      return false;
    }
  }
}

// Reports, in list order, every parameter the function did not mark as processed.
void interpreter::reportunused(parameters* params, char const* name) {
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

// Calls `func` with the arguments; keeps one result on the stack above what lay there before
// the argument list (`depth` values), or everything it pushed when it had no arguments.
bool interpreter::callfunction(scriptfunc func, parameters* params, char const* name,
                               int depth) {
  int before = opstack.numelements();
  callrecord saved = callcontext;
  callcontext = {logfunc, cmdindex + 1, scriptname};
  opstack.owner = this;
  bool ok = func(&opstack, params, globals, calllog);
  callcontext = saved;
  if (!ok) return false;
  if (params->count() > 0) {
    int now = opstack.numelements();
    variable kept;
    bool pushed = now > before;
    if (pushed) kept = *opstack.top(0);
    if (now > depth) opstack.pop(now - depth);
    if (pushed && !pushvalue(&kept)) return false;
  }
  reportunused(params, name);
  return true;
}

bool interpreter::external(scriptfunc func, FILE* script, char const* name) {
  return call(func, script, nullptr, name);
}

// A script whose text is kept: called as if its file had been opened.
bool interpreter::external(scripttext* script, char const* name) {
  return call(nullptr, nullptr, script, name);
}

// Exactly one of func, file and script is given; the file is closed and the use of the script
// given back on every path.
bool interpreter::call(scriptfunc func, FILE* file, scripttext* script, char const* name) {
  char callee[maxpathlen + 1]; // the name may be foundpath, which the arguments can change
  copytext(callee, name, maxpathlen);
  // Taken and given back under the family's lock: the family's recycler serves it.
  parameters params(fastpaths() ? &shared->parameterstorage : nullptr);
  ++shared->calls;
  token t;
  cursymbolizer->nexttoken(t);
  bool parenthesised = ischar(t, '(');
  if (!parenthesised) cursymbolizer->pushback(t);
  int depth = opstack.numelements();
  bool ok = readarguments(&params, parenthesised);
  if (ok) {
    variable walker = params;
    for (variable* p = walker.first(); p != nullptr; p = walker.next()) p->processed(false);
  }
  if (ok && func != nullptr) {
    ok = callfunction(func, &params, callee, depth);
  } else if (ok && calldepth >= maxcalldepth) {
    error("script calls nested too deeply");
    ok = false;
  } else if (ok) {
    FILE* opened = file;
    file = nullptr;
    callframe kept(&params, true);
    ok = opened != nullptr ? execute(opened, &params, callee) : runtext(script, kept, callee);
    if (!ok) {
      char trace[messagesize];
      snprintf(trace, sizeof trace, "%s(%d)", scriptname, cmdindex + 1);
      logfunc(logtrace, trace);
    }
  }
  if (file != nullptr) fclose(file);
  if (script != nullptr) releasescripttext(script);
  params.reset();
  return ok;
}

} // namespace vesk
