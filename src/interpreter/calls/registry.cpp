// registry.cpp - the function registry: a name index from function names (at most 31
// characters, compared exactly) to scriptfuncs, created by the first registration and shared
// with every nested interpreter. The first registration of a name wins. Beside the index, a
// filter of name hashes answers "no such function" for most other names without a search:
// every name in an expression is looked up here first, and most are variables.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>

#include "avltree.h"
#include "caller.h"
#include "family.h"
#include "fastpaths.h"

namespace vesk {

namespace {
constexpr int funcnamecapacity = maxfuncnamelen + 1;
constexpr unsigned filterbits = 512; // what filterbit's 9 bits address
} // namespace

struct registry {
  std::atomic<int> owners{1}; // the host's interpreters sharing it (copies)
  avltree names{funcnamecapacity, nullptr};
  std::uint64_t filter[filterbits / 64] = {}; // a bit for the hash of every registered name
  // Functions with a numbers-only form (the built-ins of mathematics).
  static constexpr int mostnumeric = 32;
  scriptfunc numericfunctions[mostnumeric] = {};
  numericfunc numericforms[mostnumeric] = {};
  int numericcount = 0;
};

namespace {

// FNV-1a, whose top bits are taken after one more multiplication: its low bits alone vary too
// little between one-letter names, the most common names of variables.
unsigned filterbit(char const* name) {
  std::uint32_t hash = 2166136261u;
  for (; *name; ++name) hash = (hash ^ static_cast<unsigned char>(*name)) * 16777619u;
  return static_cast<std::uint32_t>(hash * 0x9E3779B1u) >> 23; // 9 bits: 0..511
}

bool mayberegistered(registry const* r, char const* name) {
  unsigned bit = filterbit(name);
  return (r->filter[bit / 64] >> (bit % 64) & 1) != 0;
}

bool fitsregistry(char const* name) {
  return name != nullptr && strnlen(name, funcnamecapacity) <= maxfuncnamelen;
}
} // namespace

// Names longer than 31 characters are refused rather than cut, so that no longer name can
// ever reach a function registered under its first 31 characters; an empty name is refused
// too, since it would answer every unnamed parameter of every called script.
caller::enrolled caller::enroll(scriptfunc func, char const* name) {
  if (func == nullptr || !fitsregistry(name) || name[0] == '\0') return enrolled::refused;
  if (funcs == nullptr) {
    funcs = new (std::nothrow) registry;
    if (funcs == nullptr) return enrolled::nomemory;
    ownsfuncs = true;
  }
  registry* r = funcs;
  if (shared != nullptr) ++shared->registrygeneration; // compiled lines resolve their names again
  unsigned bit = filterbit(name);
  r->filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
  if (r->names.insert(name, reinterpret_cast<void*>(func))) return enrolled::added;
  return r->names.lookup(name) != nullptr ? enrolled::refused : enrolled::nomemory;
}

// The host's registration: a name that is taken is refused without a word, as the interface
// says; memory that ran out is reported.
bool caller::add(scriptfunc func, char const* name) {
  enrolled result = enroll(func, name);
  if (result == enrolled::nomemory) log(logerror, msg_memory);
  return result == enrolled::added;
}

scriptfunc caller::findfunc(char const* name) {
  if (funcs == nullptr || !fitsregistry(name)) return nullptr;
  registry const* r = funcs;
  if (fastpaths() && !mayberegistered(r, name)) return nullptr;
  return reinterpret_cast<scriptfunc>(r->names.lookup(name));
}

// Pairs a registered function with its numbers-only form, which calls with numbers alone may
// run instead of it. False when the registry has no room (the function then always runs).
bool caller::addnumeric(scriptfunc func, numericfunc numeric) {
  if (funcs == nullptr || funcs->numericcount == registry::mostnumeric) return false;
  funcs->numericfunctions[funcs->numericcount] = func;
  funcs->numericforms[funcs->numericcount++] = numeric;
  return true;
}

numericfunc caller::numericof(scriptfunc func) {
  if (funcs == nullptr || func == nullptr) return nullptr;
  for (int i = 0; i < funcs->numericcount; ++i)
    if (funcs->numericfunctions[i] == func) return funcs->numericforms[i];
  return nullptr;
}

// Takes a share of the registry of `other` (a copy of the interpreter registers into the same).
void caller::shareregistry(caller const& other) {
  funcs = other.funcs;
  ownsfuncs = funcs != nullptr;
  if (ownsfuncs) funcs->owners.fetch_add(1, std::memory_order_relaxed);
}

// Lets go of this interpreter's share of the registry (the last share releases it); nested
// interpreters hold none.
void caller::releaseregistry() {
  if (!ownsfuncs) return;
  ownsfuncs = false;
  if (funcs->owners.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  funcs->names.destroy();
  delete funcs;
  funcs = nullptr;
}

} // namespace vesk
