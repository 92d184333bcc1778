// inspection.cpp - looking at values and variables: the five type tests (a table walked by one
// routine), count, isdefined and delete. Type tests look at the values they receive; isdefined
// and delete take strings as names of variables in the store, count takes them either way.
#include <cstring>

#include "arguments.h"
#include "builtins.h"
#include "services.h"
#include "storeaccess.h"

namespace vesk::builtins {

namespace {

struct typetest {
  char const* name;
  vartype type;
};

enum typerow { numberrow, stringrow, listrow, namedlistrow, binaryrow };

constexpr typetest typetests[] = {
    {"isnumber", numbertype},       {"isstring", stringtype}, {"islist", listtype},
    {"isnamedlist", namedlisttype}, {"isbinary", binarytype},
};

// 1 when every argument has the type (also when there are none); every argument is visited and
// marked, even after a mismatch.
bool testtype(typerow row, stack* opstack, parameters* params, logfunc log) {
  typetest const& test = typetests[row];
  bool all = true;
  arguments args(params);
  for (variable* p = args.first(); p != nullptr; p = args.next()) {
    p->processed(true);
    if (!p->isof(test.type)) all = false;
  }
  return pushresult(opstack, all ? 1.0 : 0.0, test.name, log);
}

// The store's own element `name`, as remove() finds it: the overlay is not consulted (a copy
// of the store's record without it is searched). Null for a name with a '.', which find()
// would take as a path.
variable* ownvariable(variables const& globals, char const* name) {
  if (std::strchr(name, '.') != nullptr) return nullptr;
  variable own = globals;
  storeaccess::setoverlay(own, nullptr);
  return own.find(name);
}

} // namespace

bool isnumber(stack* opstack, parameters* params, variables*, logfunc log) {
  return testtype(numberrow, opstack, params, log);
}
bool isstring(stack* opstack, parameters* params, variables*, logfunc log) {
  return testtype(stringrow, opstack, params, log);
}
bool islist(stack* opstack, parameters* params, variables*, logfunc log) {
  return testtype(listrow, opstack, params, log);
}
bool isnamedlist(stack* opstack, parameters* params, variables*, logfunc log) {
  return testtype(namedlistrow, opstack, params, log);
}
bool isbinary(stack* opstack, parameters* params, variables*, logfunc log) {
  return testtype(binaryrow, opstack, params, log);
}

// count: a string naming a variable counts as that variable; numbers and strings count 1,
// lists and named lists their elements, anything else 0.
bool count(stack* opstack, parameters* params, variables* globals, logfunc log) {
  double total = 0;
  arguments args(params);
  for (variable* p = args.first(); p != nullptr; p = args.next()) {
    p->processed(true);
    variable* named = p->isstring() ? findvariable(globals, p->string()) : nullptr;
    variable* value = named != nullptr ? named : p;
    if (value->isnumber() || value->isstring())
      total += 1;
    else if (value->islist() || value->isnamedlist())
      total += value->count();
  }
  return pushresult(opstack, total, "count", log);
}

// isdefined: 1 when every argument names a variable; a non-string argument fails the call.
bool isdefined(stack* opstack, parameters* params, variables* globals, logfunc log) {
  bool all = true;
  arguments args(params);
  for (variable* p = args.first(); p != nullptr; p = args.next()) {
    p->processed(true);
    if (!p->isstring()) return fail(log, "all arguments need to be of type string");
    if (findvariable(globals, p->string()) == nullptr) all = false;
  }
  return pushresult(opstack, all ? 1.0 : 0.0, "isdefined", log);
}

// delete: removes the variable named by the first argument from the store's own elements.
// Values of the running statement may share a list's storage with it (print x, delete("x")),
// so the storage is given back to be released when no statement can hold it, and remove()
// finds an empty record. A host calling delete directly runs no statement: it goes at once.
bool deletevariable(stack* opstack, parameters* params, variables* globals, logfunc log) {
  variable* name = arguments(params).first();
  if (name == nullptr) return fail(log, "function takes one parameter");
  if (!name->isstring()) return fail(log, "parameter needs to be a string");
  name->processed(true);
  if (globals == nullptr) return fail(log, "unknown element");
  variable* target = ownvariable(*globals, name->string());
  if (target != nullptr && (target->islist() || target->isnamedlist())) {
    variable storage = *target;
    *target = variable();
    giveback(opstack, storage);
  }
  if (!globals->remove(name->string())) return fail(log, "unknown element");
  return true;
}

} // namespace vesk::builtins
