// loops.cpp - for NAME = START to LIMIT ... next and for each NAME in LIST ... next. Loop
// counters live in the control item, loop variables in the global store; a loop without a
// store runs without its variable.
#include <cstdio>
#include <cstring>

#include "fastpaths.h"
#include "findelement.h"
#include "runner.h"
#include "storeaccess.h"

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

// Sets the loop variable `name` to a deep copy of `value` (without flags and user data).
// `slot`, when given, receives where the variable is when it is one of the store (else null).
bool runner::setloopvariable(char const* name, variable* value, variable** slot) {
  if (slot != nullptr) *slot = nullptr;
  if (globals == nullptr) return true;
  target to;
  if (!findtarget(name, to)) return false;
  if (slot != nullptr && to.kind == variableslot) *slot = to.slot;
  return assign(to, value); // flags and user data start cleared
}

// Makes `item` remember where a pass of for each found its list and set its variable, so
// that the next pass can follow from there (eachloop); `element` is element item.value. Only
// a list the engine stored is followed: its stamp tells it from any list that has its storage
// later (the host's lists all have stamp 0).
void runner::followlist(ctrlitem& item, variable* list, variable* element, variable* counter) {
  item.list = nullptr;
  if (counter == nullptr || !fastpaths() || storeaccess::stamp(*list) == 0) return;
  item.list = list;
  item.counter = counter;
  item.countergeneration = storeaccess::generation(*globals);
  item.element = element;
  item.liststorage = storeaccess::elements(*list).storage();
  item.liststamp = storeaccess::stamp(*list);
  item.listgeneration = storeaccess::generation(*list);
}

// Sets the loop variable of a counting loop to its next value: in place while the variable
// found last is still the one the name finds (the store lost no element since; the loop runs
// under the same parameters) and holds a number (flags and user data cleared, as an
// assignment clears them).
bool runner::setcounter(ctrlitem& item) {
  if (globals == nullptr) return true;
  if (item.counter != nullptr && fastpaths() &&
      storeaccess::generation(*globals) == item.countergeneration && item.counter->isnumber()) {
    storeaccess::setnumber(*item.counter, item.value);
    return true;
  }
  target to;
  variable counter(item.value);
  if (!findtarget(item.varname, to) || !assign(to, &counter)) return false;
  item.counter = to.slot;
  item.countergeneration = storeaccess::generation(*globals);
  return true;
}

int runner::startforto(char const* name, double start, double limit) {
  ctrlitem* item = pushblock(fortoblock, cmdindex + 1);
  item->value = start;
  item->limit = limit;
  copytext(item->varname, name, maxloopnamelen);
  if (globals == nullptr) return cmdindex + 1;
  bool failed = false;
  variable* counter = findelement(globals, name, numbertype, true, failed, log, nullptr);
  if (counter != nullptr) {
    variable value(start);
    keepmarks(value, *counter);
    *counter = value;
  } else if (!failed && find(name) == nullptr) {
    counter = globals->add(start, name);
    if (counter == nullptr) {
      error(msg_memory);
      return -1;
    }
  }
  // The variable just set is the one `next` would find by the name: it counts in place from
  // its first pass on (see setcounter).
  if (counter != nullptr && fastpaths()) {
    item->counter = counter;
    item->countergeneration = storeaccess::generation(*globals);
  }
  return cmdindex + 1;
}

// `names` holds the loop variable's name, a blank and the list's name. Names longer than a
// control item holds are refused rather than cut, since a cut name would name another variable.
int runner::startforeach(char const* names) {
  char variablename[maxtokentext + 1];
  copytext(variablename, names, maxtokentext);
  char* blank = strchr(variablename, ' ');
  if (blank != nullptr) *blank = '\0';
  char const* listname = strchr(names, ' ') ? strchr(names, ' ') + 1 : "";
  variable* list = find(listname);
  if (list == nullptr) {
    error("list expected (following 'for each %s in')", variablename);
    return -1;
  }
  if (!list->islist()) {
    error("variable '%s' is not a list", listname);
    return -1;
  }
  if (strlen(variablename) > maxloopnamelen) {
    error(msg_loopname);
    return -1;
  }
  if (strlen(listname) > maxloopnamelen) {
    error(msg_listname);
    return -1;
  }
  if (list->count() == 0) {
    int next = find_next(cmdindex + 1);
    if (next < 0) {
      error("'for each' not terminated with 'next'");
      return -1;
    }
    return next + 1;
  }
  ctrlitem* item = pushblock(foreachblock, cmdindex + 1);
  item->value = 0;
  copytext(item->varname, variablename, maxloopnamelen);
  copytext(item->listname, listname, maxloopnamelen);
  variable* first = list->index(0);
  variable* counter;
  if (!setloopvariable(variablename, first, &counter)) return -1;
  followlist(*item, list, first, counter);
  return cmdindex + 1;
}

int runner::execute_next() {
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
    if (!setcounter(item)) return -1;
    if (!(item.value <= item.limit)) return cmdindex + 1;
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
    if (list->count() <= item.value) return cmdindex + 1;
    variable* element = list->index(static_cast<int>(item.value));
    variable* counter;
    if (!setloopvariable(item.varname, element, &counter)) return -1;
    followlist(item, list, element, counter);
    ctrlstack[ctrltop++] = item;
    return item.target;
  }
  error("'next' without 'for'");
  if (item.kind == ifblock) error("'end' missing?");
  return -1;
}

// "next" of for each whose list and variable are where the pass before found them, the list
// the same storage without an element taken out, the variable and the next element numbers
// (or, with `general`, anything the statement may assign): the element that follows the one
// before is written into the variable. False: the general way runs it, which finds both by
// their names again; nothing has changed then.
bool runner::eachloop(ctrlitem& item, bool general) {
  if (item.list == nullptr || storeaccess::generation(*globals) != item.countergeneration)
    return false;
  variable& list = *item.list;
  if (!list.islist()) return false;
  objlist& elements = storeaccess::elements(list);
  if (elements.storage() != item.liststorage || storeaccess::stamp(list) != item.liststamp ||
      storeaccess::generation(list) != item.listgeneration)
    return false;
  int position = static_cast<int>(item.value);
  auto* element = static_cast<variable*>(elements.after(item.element, position));
  if (element == nullptr) {
    --ctrltop;
    nextline = cmdindex + 1;
  } else {
    variable* counter = item.counter;
    if (storeaccess::isnumber(*counter) && storeaccess::isnumber(*element)) {
      storeaccess::setnumber(*counter, storeaccess::numberof(*element));
    } else {
      if (!general) return false;
      target to;
      to.slot = counter;
      to.container = globals;
      if (!assign(to, element)) {
        --ctrltop; // the loop ends with the message, as the general way ends it
        nextline = -1;
        finished = true;
        return true;
      }
    }
    item.value = position + 1;
    item.element = element;
    nextline = item.target;
  }
  finished = true;
  return true;
}

} // namespace vesk
