// loops.cpp - for NAME = START to LIMIT ... next, for each NAME in LIST ... next,
// repeat ... until CONDITION and do ... while CONDITION. Loop counters live in the control
// item, loop variables in the global store; a loop without a store runs without its variable.
#include <cstdio>
#include <cstring>

#include "builtins/findelement.h"
#include "frontend/symbolizer.h"
#include "internal.h"

namespace vesk {

namespace {
// Gives `to` the flags and user data of `from`, so that a value changes but its marks stay.
void keepmarks(variable& to, variable const& from) {
  to.processed(from.isprocessed());
  to.setdisabled(from.isdisabled());
  to.seterror(from.haserror());
  to.setinvalid(from.isinvalid());
  to.setchanged(from.ischanged());
  to.setuserdata(from.getuserdata());
}
} // namespace

// Reads the name of a loop variable or list; names longer than a control item holds are
// refused rather than cut, since a cut name would name another variable.
bool interpreter::loopname(token& t, char const* what) {
  if (strlen(t.text) <= maxloopnamelen) return true;
  error("%s longer than 31 characters", what);
  return false;
}

// Sets the loop variable `name` to a deep copy of `value` (without flags and user data).
bool interpreter::setloopvariable(char const* name, variable* value) {
  if (globals == nullptr) return true;
  target to;
  if (!findtarget(name, to)) return false;
  return assign(to, value); // flags and user data start cleared
}

int interpreter::startforto(int a, char const* name) {
  token t;
  if (cursymbolizer->nexttoken(t) != assigntoken) {
    error("'=' expected (following 'for %s')", name);
    return -1;
  }
  double start = 0, limit = 0;
  if (!numeric("invalid expression (following 'for %s=')",
               "expression following 'for %s=' is not numeric", name, &start))
    return -1;
  if (cursymbolizer->nexttoken(t) != nametoken || strcmp(t.text, "to") != 0) {
    error("'to' expected (following 'for %s=..')", name);
    return -1;
  }
  if (!numeric("invalid expression following 'for %s=... to'",
               "expression following 'for %s=... to' is not numeric", name, &limit))
    return -1;
  ctrlitem* item = pushblock(fortoblock, a + 1);
  item->value = start;
  item->limit = limit;
  copytext(item->varname, name, maxloopnamelen);
  if (globals != nullptr) {
    bool failed = false;
    variable* counter = findelement(globals, name, numbertype, true, failed, logfunc, nullptr);
    if (counter != nullptr) {
      variable value(start);
      keepmarks(value, *counter);
      *counter = value;
    } else if (!failed && find(name) == nullptr) {
      if (globals->add(start, name) == nullptr) {
        error(msg_memory);
        return -1;
      }
    }
  }
  return a + 1;
}

int interpreter::startforeach(int a) {
  token var, t;
  if (cursymbolizer->nexttoken(var) != nametoken) {
    error("variable name expected (following 'for each')");
    return -1;
  }
  if (cursymbolizer->nexttoken(t) != nametoken || strcmp(t.text, "in") != 0) {
    error("'in' expected (following 'for each %s')", var.text);
    return -1;
  }
  variable* list = nullptr;
  if (cursymbolizer->nexttoken(t) != nametoken || (list = find(t.text)) == nullptr) {
    error("list expected (following 'for each %s in')", var.text);
    return -1;
  }
  if (!list->islist()) {
    error("variable '%s' is not a list", t.text);
    return -1;
  }
  if (!loopname(var, "loop variable name") || !loopname(t, "list name")) return -1;
  if (list->count() == 0) {
    int next = find_next(a + 1);
    if (next < 0) {
      error("'for each' not terminated with 'next'");
      return -1;
    }
    return next + 1;
  }
  ctrlitem* item = pushblock(foreachblock, a + 1);
  item->value = 0;
  copytext(item->varname, var.text, maxloopnamelen);
  copytext(item->listname, t.text, maxloopnamelen);
  return setloopvariable(var.text, list->index(0)) ? a + 1 : -1;
}

int interpreter::execute_for(int a) {
  if (!opening("for")) return -1;
  token name;
  if (cursymbolizer->nexttoken(name) != nametoken) {
    error("variable name or keyword 'each' expected (following 'for')");
    return -1;
  }
  if (strcmp(name.text, "each") == 0) return startforeach(a);
  if (!loopname(name, "loop variable name")) return -1;
  return startforto(a, name.text);
}

int interpreter::execute_next(int a) {
  if (!closing("next", "no opening 'for'")) return -1;
  ctrlitem item = ctrlstack[--ctrltop];
  if (item.kind == fortoblock) {
    double previous = item.value;
    item.value += 1;
    if (item.value == previous && item.value <= item.limit) {
      // A counter this large no longer changes when 1 is added: the loop would never end.
      char text[messagesize];
      snprintf(text, sizeof text, "'for %s' cannot count beyond %g", item.varname, previous);
      error(text);
      return -1;
    }
    variable counter(item.value);
    if (!setloopvariable(item.varname, &counter)) return -1;
    if (!(item.value <= item.limit)) return a + 1;
    ctrlstack[ctrltop++] = item;
    return item.target;
  }
  if (item.kind == foreachblock) {
    item.value += 1;
    variable* list = find(item.listname);
    if (list == nullptr || !list->islist()) {
      error("'%s' no longer a list (in 'for each .. next')", item.listname);
      return -1;
    }
    if (list->count() <= item.value) return a + 1;
    if (!setloopvariable(item.varname, list->index(static_cast<int>(item.value)))) return -1;
    ctrlstack[ctrltop++] = item;
    return item.target;
  }
  error("'next' without 'for'");
  if (item.kind == ifblock) error("'end' missing?");
  return -1;
}

int interpreter::execute_repeat(int a) {
  if (!opening("repeat")) return -1;
  pushblock(repeatblock, a + 1);
  return a + 1;
}

int interpreter::execute_do(int a) {
  if (!opening("do")) return -1;
  pushblock(doblock, a + 1);
  return a + 1;
}

int interpreter::execute_until(int a) {
  if (!closing("until", "no opening 'repeat'")) return -1;
  ctrlitem item = ctrlstack[--ctrltop];
  if (item.kind != repeatblock) {
    error("'until' without 'repeat'");
    return -1;
  }
  bool done = false;
  if (!condition("invalid expression (following 'until')",
                 "expression following 'until' is not numeric", &done))
    return -1;
  if (done) return a + 1;
  ctrlstack[ctrltop++] = item;
  return item.target;
}

int interpreter::execute_while(int a) {
  if (!closing("while", "no opening 'do'")) return -1;
  ctrlitem item = ctrlstack[--ctrltop];
  if (item.kind != doblock) {
    error("'while' without 'do'");
    return -1;
  }
  bool again = false;
  if (!condition("invalid expression (following 'while')",
                 "expression following 'while' is not numeric", &again))
    return -1;
  if (!again) return a + 1;
  ctrlstack[ctrltop++] = item;
  return item.target;
}

} // namespace vesk
