// scripttexts.cpp - a few kept texts in a table under one lock; the oldest slot makes room.
// A kept text stays valid for the runs using it after it leaves the table: they hold a use.
#include "scripttexts.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

#include "copytext.h"
#include "fastpaths.h"
#include "languagelimits.h"
#include "scriptcache.h"

namespace vesk {

namespace {

constexpr int keptslots = 16;
// Larger texts are read again for each call: holding them costs more than reading them costs
// next to running them.
constexpr long keptbytes = 1l << 20;

struct keptentry {
  char path[maxpathlen + 1];
  scripttext* script;
  unsigned long long generation;
  unsigned long long stamp; // when it was kept, for making room
};

struct keptstore {
  std::mutex lock;
  keptentry entries[keptslots] = {};
  unsigned long long stamps = 0;
};

keptstore& kept() {
  static keptstore instance;
  return instance;
}

void empty(keptentry& entry) {
  if (entry.script != nullptr) releasescripttext(entry.script);
  entry.script = nullptr;
  entry.path[0] = '\0';
}

keptentry* findentry(keptstore& store, char const* path) {
  for (keptentry& entry : store.entries)
    if (entry.script != nullptr && strcmp(entry.path, path) == 0) return &entry;
  return nullptr;
}

} // namespace

scripttext* makescripttext(char* text, char const** lines, int count, long bytes) {
  auto script = new (std::nothrow) scripttext{{1}, text, lines, count, bytes};
  if (script != nullptr) return script;
  free(lines);
  free(text);
  return nullptr;
}

void usescripttext(scripttext* script) {
  script->users.fetch_add(1, std::memory_order_relaxed);
}

void releasescripttext(scripttext* script) {
  if (script->users.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  free(script->lines);
  free(script->text);
  delete script;
}

scripttext* keptscript(char const* path) {
  unsigned long long generation = scriptsgeneration();
  keptstore& store = kept();
  std::lock_guard<std::mutex> hold(store.lock);
  keptentry* entry = findentry(store, path);
  if (entry == nullptr) return nullptr;
  if (entry->generation != generation) {
    empty(*entry);
    return nullptr;
  }
  usescripttext(entry->script);
  return entry->script;
}

bool keepscript(char const* path, scripttext* script, unsigned long long generation) {
  if (script->bytes > keptbytes || strlen(path) > maxpathlen) return false;
  if (scriptstate(path) != scriptpresent) return false;
  keptstore& store = kept();
  std::lock_guard<std::mutex> hold(store.lock);
  keptentry* slot = findentry(store, path);
  for (keptentry& entry : store.entries)
    if (slot == nullptr && entry.script == nullptr) slot = &entry;
  if (slot == nullptr) {
    slot = &store.entries[0];
    for (keptentry& entry : store.entries)
      if (entry.stamp < slot->stamp) slot = &entry;
  }
  empty(*slot);
  strcpy(slot->path, path);
  usescripttext(script);
  slot->script = script;
  slot->generation = generation;
  slot->stamp = ++store.stamps;
  return true;
}

} // namespace vesk
