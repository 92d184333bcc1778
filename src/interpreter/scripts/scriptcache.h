// scriptcache.h - which script files exist, folder by folder, without asking the disk for
// every name: a folder's "*.vk" entries are listed once and kept until a change notification,
// a file-system built-in or a change of the working folder says they may be stale.
#pragma once

#include <atomic>

namespace vesk {

// What the listings tell of the file `path` ("folder/name.vk", or "name.vk" in the working
// folder): it is there, it is not, or nothing is known about its folder (not listed yet, not
// watchable, or the shortcuts are off).
enum scriptanswer { scriptabsent, scriptpresent, scriptunknown };
scriptanswer scriptstate(char const* path);
// False only when the file is known not to exist.
bool scriptmayexist(char const* path);

// A number that changes whenever an answer of scriptmayexist may change: a listing dropped
// (a change notification, a file-system built-in, a change of the working folder). Takes in
// the notifications that are due first, as scriptmayexist does.
unsigned long long scriptsgeneration();

// The generation as it stands, without taking in notifications first: cheap enough for every
// statement (the engine's own changes move it at once; other processes' at the next poll).
extern std::atomic<unsigned long long> scriptlistings;
inline unsigned long long scriptsgenerationnow() {
  return scriptlistings.load(std::memory_order_acquire);
}

// Everything listed so far may be stale (the engine changed files or the working folder).
void forgetscripts();

// Takes in the change notifications queued so far; called when a host's call begins, so that
// files a host has just written are seen.
void refreshscripts();

} // namespace vesk
