// registration.cpp - the table of the 52 built-in functions, in registration order, and
// addinternalfuncs, which enters each into the registry unless the host's filter holds it
// back. A name that is already registered keeps its earlier function.
#include "builtins.h"
#include "engine.h"

namespace vesk {

namespace {

struct builtin {
  char const* name;
  scriptfunc func;
};

namespace b = builtins;

constexpr builtin table[] = {
    {"getlasterror", b::getlasterror},
    {"throw", b::throwerror},
    {"abs", b::abs},
    {"sqrt", b::sqrt},
    {"round", b::round},
    {"min", b::min},
    {"max", b::max},
    {"sin", b::sin},
    {"cos", b::cos},
    {"tan", b::tan},
    {"asin", b::asin},
    {"acos", b::acos},
    {"atan", b::atan},
    {"year", b::year},
    {"month", b::month},
    {"day", b::day},
    {"date", b::date},
    {"hour", b::hour},
    {"minute", b::minute},
    {"second", b::second},
    {"time", b::time},
    {"sleep", b::sleep},
    {"dump", b::dump},
    {"print", b::print},
    {"assert", b::assertion},
    {"delete", b::deletevariable},
    {"count", b::count},
    {"isdefined", b::isdefined},
    {"isnumber", b::isnumber},
    {"isstring", b::isstring},
    {"islist", b::islist},
    {"isnamedlist", b::isnamedlist},
    {"isbinary", b::isbinary},
    {"isinvalid", b::isinvalid},
    {"setinvalid", b::setinvalid},
    {"resetinvalid", b::resetinvalid},
    {"isdisabled", b::isdisabled},
    {"setdisabled", b::setdisabled},
    {"resetdisabled", b::resetdisabled},
    {"ischanged", b::ischanged},
    {"setchanged", b::setchanged},
    {"resetchanged", b::resetchanged},
    {"haserror", b::haserror},
    {"seterror", b::seterror},
    {"reseterror", b::reseterror},
    {"getfolderpath", b::getfolderpath},
    {"enumfiles", b::enumfiles},
    {"enumfolders", b::enumfolders},
    {"deletefile", b::deletefile},
    {"deletefolder", b::deletefolder},
    {"renamefile", b::renamefile},
    {"createfolder", b::createfolder},
};

static_assert(sizeof table / sizeof table[0] == 52, "the built-in table has 52 rows");

} // namespace

// The functions of mathematics also get their numbers-only forms, which calls with numbers
// alone run instead of them. When memory runs out that is reported once, and the rest of the
// table is left unregistered.
void interpreter::addinternalfuncs(bool (*filter)(char const* name)) {
  if (self == nullptr || self->refusedinpause("addinternalfuncs")) return;
  for (builtin const& row : table) {
    if (filter != nullptr && filter(row.name)) continue;
    if (self->enroll(row.func, row.name) == caller::enrolled::nomemory) {
      self->log(logerror, msg_memory);
      return;
    }
  }
  for (int i = 0; i < b::numericformcount; ++i)
    if (self->numericof(b::numericforms[i].function) == nullptr)
      self->addnumeric(b::numericforms[i].function, b::numericforms[i].numeric);
}

} // namespace vesk
