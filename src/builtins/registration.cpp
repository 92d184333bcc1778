// registration.cpp - the table of built-in functions, in registration order, and
// addinternalfuncs, which enters each into the registry unless the host's filter holds it
// back. A name that is already registered keeps its earlier function.
#include "builtins.h"

namespace vesk {

namespace {

struct builtin {
  char const* name;
  scriptfunc func;
};

constexpr builtin table[] = {
    {"getlasterror", builtins::getlasterror},
    {"throw", builtins::throwerror},
    {"dump", builtins::dump},
    {"print", builtins::print},
};

} // namespace

void interpreter::addinternalfuncs(bool (*filter)(char const* name)) {
  for (builtin const& row : table)
    if (filter == nullptr || !filter(row.name)) add(row.func, row.name);
}

} // namespace vesk
