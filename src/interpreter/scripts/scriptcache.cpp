// scriptcache.cpp - the listings behind scriptmayexist: up to `maxfolders` folders, each with
// the names of its script files in a name index and a change watch. Notifications are read
// when a host's call begins and otherwise at most every `pollinterval` microseconds, so a file
// that another process creates is seen within that time; the engine's own changes at once.
#include "scriptcache.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "avltree.h"
#include "copytext.h"
#include "fastpaths.h"
#include "languagelimits.h"
#include "platform.h"

namespace vesk {

std::atomic<unsigned long long> scriptlistings{0}; // see scriptsgeneration

namespace {

constexpr int maxfolders = 16;
// Lookups made straight on the disk before listings are kept: a short script never pays for
// a change watch, whose set-up and tear-down cost more than a few hundred lookups.
constexpr unsigned long long directlookups = 256;
constexpr int entrynamecapacity = 256;
constexpr unsigned long long pollinterval = 1000;
constexpr char extension[] = ".vk";

struct listing {
  bool used = false;
  char folder[maxpathlen + 1] = "";
  avltree names{entrynamecapacity};
  int watch = -1;
  unsigned long long lastuse = 0;
};

struct cache {
  std::mutex lock;
  listing folders[maxfolders];
  std::atomic<unsigned long long> lastpoll{0};
  unsigned long long workingfolder = 0;
  unsigned long long uses = 0;
  unsigned long long lookups = 0;
};

std::atomic<unsigned long long>& generation() {
  return scriptlistings;
}

cache& scripts() {
  static cache instance;
  return instance;
}

void drop(listing& entry) {
  ++generation();
  entry.names.destroy();
  platform::unwatchfolder(entry.watch);
  entry.watch = -1;
  entry.used = false;
}

void dropall(cache& c, bool relativeonly) {
  for (listing& entry : c.folders)
    if (entry.used && (!relativeonly || entry.folder[0] != '/')) drop(entry);
}

void changed(void* context, int watch) {
  auto& c = *static_cast<cache*>(context);
  for (listing& entry : c.folders)
    if (entry.used && (watch < 0 || entry.watch == watch)) drop(entry);
}

bool polldue(cache const& c) {
  return platform::monotonicmicroseconds() - c.lastpoll.load(std::memory_order_relaxed) >=
         pollinterval;
}

void poll(cache& c) {
  platform::pollchanges(changed, &c);
  unsigned long long folder = platform::workingfolderid();
  if (folder != c.workingfolder) dropall(c, true);
  c.workingfolder = folder;
  c.lastpoll.store(platform::monotonicmicroseconds(), std::memory_order_relaxed);
}

bool isscript(char const* name) {
  size_t n = strlen(name), e = sizeof extension - 1;
  return n > e && strcmp(name + n - e, extension) == 0;
}

// The names of a folder's scripts as they are read; a name the index could not take makes the
// listing incomplete, and an incomplete listing is no answer.
struct reading {
  avltree* names;
  bool complete;
};

void addname(void* context, char const* name, bool isfolder) {
  auto* read = static_cast<reading*>(context);
  if (isfolder || !isscript(name) || read->names->insert(name, read->names)) return;
  if (read->names->lookup(name) == nullptr) read->complete = false; // no memory for it
}

// Lists `folder` into a free (or the least recently used) slot; null when it cannot be
// watched or listed whole, in which case nothing is known about it.
listing* list(cache& c, char const* folder) {
  listing* slot = &c.folders[0];
  for (listing& entry : c.folders) {
    if (!entry.used) {
      slot = &entry;
      break;
    }
    if (entry.lastuse < slot->lastuse) slot = &entry;
  }
  if (slot->used) drop(*slot);
  int watch = platform::watchfolder(folder);
  if (watch < 0) return nullptr;
  slot->names.destroy();
  reading read{&slot->names, true};
  if (!platform::listfolder(*folder ? folder : ".", addname, &read) || !read.complete) {
    slot->names.destroy();
    platform::unwatchfolder(watch);
    return nullptr;
  }
  copytext(slot->folder, folder, maxpathlen);
  slot->watch = watch;
  slot->used = true;
  return slot;
}

} // namespace

bool scriptmayexist(char const* path) {
  return scriptstate(path) != scriptabsent;
}

scriptanswer scriptstate(char const* path) {
  if (!fastpaths()) return scriptunknown;
  char folder[maxpathlen + 1];
  copytext(folder, path, maxpathlen);
  char* slash = strrchr(folder, '/');
  char const* name = slash ? path + (slash - folder) + 1 : path;
  if (slash == folder)
    folder[1] = '\0'; // the root folder keeps its "/"
  else if (slash != nullptr)
    *slash = '\0';
  else
    folder[0] = '\0';
  cache& c = scripts();
  std::lock_guard<std::mutex> hold(c.lock);
  if (++c.lookups <= directlookups) return scriptunknown;
  if (polldue(c)) poll(c);
  listing* entry = nullptr;
  for (listing& candidate : c.folders)
    if (candidate.used && strcmp(candidate.folder, folder) == 0) entry = &candidate;
  if (entry == nullptr) entry = list(c, folder);
  if (entry == nullptr) return scriptunknown;
  entry->lastuse = ++c.uses;
  return entry->names.lookup(name) != nullptr ? scriptpresent : scriptabsent;
}

unsigned long long scriptsgeneration() {
  cache& c = scripts();
  if (polldue(c)) {
    std::lock_guard<std::mutex> hold(c.lock);
    if (c.lookups > directlookups)
      poll(c);
    else // nothing listed yet, nothing to take in: not due again for a while
      c.lastpoll.store(platform::monotonicmicroseconds(), std::memory_order_relaxed);
  }
  return generation().load(std::memory_order_acquire);
}

void forgetscripts() {
  cache& c = scripts();
  std::lock_guard<std::mutex> hold(c.lock);
  ++generation(); // even with nothing listed: a lookup may have been remembered as absent
  dropall(c, false);
}

void refreshscripts() {
  cache& c = scripts();
  std::lock_guard<std::mutex> hold(c.lock);
  if (c.lookups > directlookups) poll(c);
}

} // namespace vesk
