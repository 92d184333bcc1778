// registry.cpp - the function registry: a name index from function names (at most 31
// characters, compared exactly) to scriptfuncs, created by the first registration and shared
// with every nested interpreter. The first registration of a name wins.
#include <cstring>
#include <new>

#include "internal.h"
#include "values/avltree.h"

namespace vesk {

namespace {
constexpr int funcnamecapacity = maxfuncnamelen + 1;

bool fitsregistry(char const* name) {
  return name != nullptr && strnlen(name, funcnamecapacity) <= maxfuncnamelen;
}
} // namespace

// Names longer than 31 characters are refused rather than cut, so that no longer name can
// ever reach a function registered under its first 31 characters.
bool interpreter::add(scriptfunc func, char const* name) {
  if (func == nullptr || !fitsregistry(name)) return false;
  if (funcs == nullptr) {
    funcs = new (std::nothrow) avltree(funcnamecapacity, nullptr);
    if (funcs == nullptr) return false;
    ownsfuncs = true;
  }
  return static_cast<avltree*>(funcs)->insert(name, reinterpret_cast<void*>(func));
}

scriptfunc interpreter::findfunc(char const* name) {
  if (funcs == nullptr || !fitsregistry(name)) return nullptr;
  return reinterpret_cast<scriptfunc>(static_cast<avltree*>(funcs)->lookup(name));
}

// Releases the registry when this interpreter created it; nested ones never do.
void interpreter::releaseregistry() {
  if (!ownsfuncs) return;
  auto registry = static_cast<avltree*>(funcs);
  registry->destroy();
  delete registry;
  funcs = nullptr;
  ownsfuncs = false;
}

} // namespace vesk
