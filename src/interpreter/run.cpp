// run.cpp - the main loop: runs an array of lines one statement per line, dispatches block
// keywords to their handlers, executes assignments and expression statements, turns a failed
// statement into a jump to the nearest try block, and checks that every block was closed.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "callframe.h"
#include "family.h"
#include "frontend/symbolizer.h"
#include "frontend/tokenlines.h"
#include "internal.h"
#include "scriptmemo.h"
#include "scriptcache.h"
#include "values/fastpaths.h"
#include "values/storeaccess.h"

namespace vesk {

namespace {

constexpr int notakeyword = -3;
constexpr int recoverable = -2; // a failed statement that a try block may intercept

// The message for a block left open at the end of a run, by kind of block.
char const* notterminated(int kind) {
  switch (kind) {
  case ifblock: return "'if' not terminated with 'end'";
  case fortoblock: return "'for .. to' not terminated with 'next'";
  case foreachblock: return "'for each' not terminated with 'next'";
  case tryblock: return "'try' not terminated with 'end'";
  case repeatblock: return "'repeat' not terminated with 'until'";
  case doblock: return "'do' not terminated with 'while'";
  default: return "block not terminated";
  }
}

} // namespace

// Whether the next statement may run: false, after a message that no try block intercepts,
// once the host has asked to stop or the statement limit is used up.
bool interpreter::proceed() {
  if (stopped()) return false;
  if (shared->statementlimit <= 0 || ++shared->executed <= shared->statementlimit) return true;
  char text[messagesize];
  snprintf(text, sizeof text, "%s(%d): error: statement limit of %lld reached", scriptname,
           cmdindex + 1, shared->statementlimit);
  shared->halted = true;
  // The host learns why even when a try body collects the run's messages.
  (shared->hostlog ? shared->hostlog : logfunc)(logerror, text);
  return false;
}

// Whether the run has been stopped: by the host (reported here, once) or by the statement
// limit. A stop that comes during the last statement of a run still fails the run.
bool interpreter::stopped() {
  if (shared->halted) return true;
  if (!shared->stoprequested.load(std::memory_order_relaxed)) return false;
  char text[messagesize];
  snprintf(text, sizeof text, "%s(%d): error: run stopped by the host", scriptname,
           cmdindex + 1);
  shared->halted = true;
  (shared->hostlog ? shared->hostlog : logfunc)(logerror, text);
  return true;
}

void interpreter::setstatementlimit(long long statements) {
  if (shared != nullptr) shared->statementlimit = statements > 0 ? statements : 0;
}

void interpreter::stop() {
  if (shared != nullptr) shared->stoprequested = true;
}

int interpreter::dispatch(char const* keyword, int index) {
  struct handler {
    char const* keyword;
    int (interpreter::*run)(int);
  };
  static constexpr handler handlers[] = {
      {"if", &interpreter::execute_if},         {"else", &interpreter::execute_else},
      {"end", &interpreter::execute_end},       {"for", &interpreter::execute_for},
      {"next", &interpreter::execute_next},     {"try", &interpreter::execute_try},
      {"catch", &interpreter::execute_catch},   {"repeat", &interpreter::execute_repeat},
      {"until", &interpreter::execute_until},   {"do", &interpreter::execute_do},
      {"while", &interpreter::execute_while},   {"parallel", &interpreter::execute_parallel},
  };
  for (handler const& h : handlers)
    if (h.keyword[0] == keyword[0] && strcmp(h.keyword, keyword) == 0) return (this->*h.run)(index);
  return notakeyword;
}

// A run given by the host: its statements see whatever the host laid over the store.
bool interpreter::execute(char const** lines, int count, char const* name) {
  if (!begincall()) return false;
  bool ok = false;
  if (!refused(name, lines, count)) {
    callframe host(globals ? storeaccess::overlay(*globals) : nullptr, false);
    frame = &host;
    ok = run(lines, count, name, nullptr);
    frame = nullptr;
  }
  endcall();
  return ok;
}

// Runs `lines`, replaying their tokens from `recorded` (the lines' own table, shared by the
// runs of one script text) or else from a table of this run.
bool interpreter::run(char const** lines, int count, char const* name, tokenlines* recorded) {
  copytext(scriptname, name, maxpathlen);
  if (absentscripts != nullptr) absentscripts->lookin(scriptname, scriptpath1, scriptpath2);
  ctrltop = 0;
  ctrlsize = ctrlstacksize;
  ctrlstack = nullptr; // taken when the first block opens: most called scripts open none
  bool ok = false;
  tokenlines* own = nullptr;
  if (fastpaths() && lines != nullptr && recorded == nullptr) own = tokenlines::make(count);
  runtokens = fastpaths() ? (recorded != nullptr ? recorded : own) : nullptr;
  if (lines != nullptr && count >= 0) {
    vesk::logfunc hostlog = logfunc;
    cmds = lines;
    numcmds = count;
    cmdindex = 0;
    clearmatches();
    ok = endofrun();
    // Whatever try body the run ended in, the next run starts with the caller's log function.
    logfunc = hostlog;
  }
  free(ctrlstack);
  ctrlstack = nullptr;
  runtokens = nullptr;
  tokenlines::release(own);
  endmatches();
  cursymbolizer = nullptr;
  return ok;
}

// Lays this interpreter's parameters over the store again, after a call or another part of
// a parallel block may have laid others there.
void interpreter::restoreoverlay() {
  if (globals != nullptr) storeaccess::setoverlay(*globals, frame ? frame->params : nullptr);
}

// Runs the lines from cmdindex to the end, then makes the end-of-run checks.
bool interpreter::endofrun() {
  while (cmdindex < numcmds) {
    statementlock hold(shared);
    symbolizer tokens = linetokens(cmdindex, true);
    token first;
    tokentype type = tokens.nexttoken(first);
    if (type != endtoken && !proceed()) return false;
    restoreoverlay();
    cursymbolizer = &tokens;
    resetoperands();
    beginstatement(shared, thread);
    int next = notakeyword;
    if (type == nametoken) next = dispatch(first.text, cmdindex);
    if (next == notakeyword) {
      if (type == endtoken) {
        next = cmdindex + 1;
      } else {
        tokens.pushback(first);
        next = statement(cmdindex);
      }
    }
    endstatement(shared, thread);
    cursymbolizer = nullptr;
    if (next == recoverable) {
      if (!recover()) return false;
      continue;
    }
    cmdindex = next;
    if (cmdindex < 0) return false;
  }
  statementlock hold(shared);
  cmdindex = numcmds - 1; // a stop is reported at the last line
  if (stopped()) return false;
  if (ctrltop == 0) return true;
  cmdindex = numcmds;
  error(notterminated(ctrlstack[ctrltop - 1].kind));
  return false;
}

// The tokens of line `index`, replayed when the line has been recorded, else scanned. `pass`
// tells that this is the line's next pass rather than a second look within one.
symbolizer interpreter::linetokens(int index, bool pass) {
  if (runtokens != nullptr && fastpaths()) {
    unsigned char const* recording =
        pass ? runtokens->recording(index, cmds[index]) : runtokens->recorded(index);
    if (recording != nullptr) return symbolizer(recording);
  }
  return symbolizer(cmds[index], standardoptions);
}

// An assignment or expression statement; returns the next line, recoverable, or -1.
int interpreter::statement(int index) {
  target to;
  variable* slot = deref(true, to);
  token next;
  if (slot != nullptr) {
    if (cursymbolizer->nexttoken(next) == assigntoken) {
      int result = execute_assign(index, to);
      return result < 0 ? recoverable : result;
    }
  } else if (to.failed) {
    return recoverable; // deref has reported why; evaluating the line again would repeat it
  }
  symbolizer fresh = linetokens(index, false);
  cursymbolizer = &fresh;
  resetoperands();
  if (!boolterm()) return recoverable;
  if (fresh.nexttoken(next) != endtoken) {
    error("trailing something after expression");
    return -1;
  }
  return index + 1;
}

// Continues in the nearest try block whose catch part is not already running: at its catch
// line, or after its end when it has none. False when there is no such block.
bool interpreter::recover() {
  if (shared != nullptr && shared->halted) return false;
  for (int i = ctrltop - 1; i >= 0; --i) {
    ctrlitem& item = ctrlstack[i];
    if (item.kind != tryblock || item.catching) continue;
    logfunc = item.savedlog;
    if (item.catchtarget > 0) {
      item.catching = true;
      ctrltop = i + 1;
      cmdindex = item.catchtarget;
    } else {
      ctrltop = i;
      cmdindex = item.target;
    }
    return true;
  }
  return false;
}

int interpreter::execute_assign(int index, target& to) {
  // `l = l + list` may extend the stored list in place (see appendinplace).
  bool islist = to.slot->islist() || to.slot->isnamedlist();
  variable* extensible = to.kind == variableslot && to.plain && islist ? to.slot : nullptr;
  appendtarget = extensible;
  unsigned long long calls = shared->calls, since = shared->clock;
  bool ok = boolterm();
  bool appendfailed = extensible != nullptr && appendtarget == nullptr;
  bool extended = ok && appendtarget != nullptr && opstack.numelements() > 0 &&
                  storeaccess::samelist(*opstack.top(0), *appendtarget);
  appendtarget = nullptr;
  if (!ok) {
    // A failed append in place has reported its failure as the store's copy would have.
    if (!appendfailed) error("invalid expression following '='");
    return -1;
  }
  token next;
  if (cursymbolizer->nexttoken(next) != endtoken) {
    error("trailing something after expression");
    return -1;
  }
  if (opstack.numelements() == 0) {
    error("nothing to store (expression did not produce a result)");
    return -1;
  }
  // A new value starts without flags and user data: assign clears them, and so does an append.
  if (extended) {
    *to.slot = variable(to.slot, nullptr);
  } else {
    // A call on the right side may have deleted or replaced the target.
    if (shared->calls != calls && targetmoved(to, since)) return -1;
    if (!assign(to, opstack.top(0))) return -1;
  }
  opstack.pop(1);
  return index + 1;
}

// Whether the target was lost while the right side of its assignment ran: a variable is found
// again by its name (and made anew when it was deleted); an element of a list that was given
// back meanwhile cannot be written, which is reported.
bool interpreter::targetmoved(target& to, unsigned long long since) {
  if (to.plain) {
    char name[maxtokentext + 1];
    copytext(name, to.name, maxtokentext);
    return !findtarget(name, to);
  }
  if (!givenbacksince(shared, to.slot, since)) return false;
  error("the target of the assignment was replaced while its value was computed");
  return true;
}

bool interpreter::execute(symbolizer* tokens) {
  if (tokens == nullptr) return false;
  cursymbolizer = tokens;
  resetoperands();
  token first, second;
  tokentype type = tokens->nexttoken(first);
  bool assignment = false;
  if (type == nametoken || type == stringtoken || type == quotedtoken) {
    if (tokens->nexttoken(second) == assigntoken) {
      if (globals == nullptr) {
        error("Variablenzuweisung nicht erlaubt (keine globalen Variablen gesetzt)");
        return false;
      }
      assignment = true;
    } else {
      tokens->pushback(second);
      tokens->pushback(first);
    }
  } else {
    tokens->pushback(first);
  }
  if (!boolterm()) return false;
  token rest;
  if (tokens->nexttoken(rest) != endtoken) {
    error("Unbekannte Argumente oder Operatoren nach Kommando");
    return false;
  }
  if (!assignment) return true;
  if (opstack.numelements() == 0) {
    error("nothing to store (expression did not produce a result)");
    return false;
  }
  target to;
  if (!findtarget(first.text, to) || !assign(to, opstack.top(0))) return false;
  opstack.pop(1);
  return true;
}

bool interpreter::execute(char const* line, char const* name) {
  if (!begincall()) return false;
  bool ok = false;
  cmdindex = 0;
  if (line != nullptr && !refused(name, nullptr, 0)) {
    ctrlstack = nullptr;
    ctrltop = 0;
    ctrlsize = 0;
    copytext(scriptname, name, maxpathlen);
    callframe host(globals ? storeaccess::overlay(*globals) : nullptr, false);
    frame = &host;
    statementlock hold(shared);
    if (proceed()) {
      resetoperands();
      beginstatement(shared, thread);
      symbolizer tokens(line, standardoptions);
      ok = execute(&tokens) && !stopped();
      cursymbolizer = nullptr;
      endstatement(shared, thread);
    }
    frame = nullptr;
  }
  endcall();
  return ok;
}

} // namespace vesk
