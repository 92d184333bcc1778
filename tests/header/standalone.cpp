// Compiled as C++17 and as C++20 with the public header as its only include: proves that the
// header stands on its own and that a host can use every exported type by name.
#include "vesk.h"

namespace {
[[maybe_unused]] bool usesinterface(vesk::interpreter& engine, vesk::variables& store) {
  vesk::variable number(2.5);
  vesk::stack operands;
  operands.push(&number);
  vesk::parameters params;
  params.add(1.0, "n");
  store.setoverlay(&params);
  vesk::logfunc log = nullptr;
  vesk::scriptfunc func = nullptr;
  int major = 0, minor = 0, patch = 0;
  return log == nullptr && func == nullptr && vesk::version(major, minor, patch) != nullptr &&
         engine.store() == &store && number.isof(vesk::numbertype) &&
         vesk::logoutput == 3;
}
} // namespace
