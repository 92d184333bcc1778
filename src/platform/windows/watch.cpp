// watch.cpp - folder change notifications are not offered on Windows: every watch fails, so the
// script cache keeps no listings and looks on the disk each time, which is always current.
// Also the cheap clock and the identity of the working folder that the cache asks for.
#include <windows.h>

#include "platform.h"

namespace vesk::platform {

namespace {

constexpr unsigned long long microsecondspertick = 1000; // GetTickCount64 counts milliseconds
constexpr unsigned long long fnvbasis = 14695981039346656037ULL;
constexpr unsigned long long fnvprime = 1099511628211ULL;

} // namespace

int watchfolder(char const*) {
  return -1;
}

void unwatchfolder(int) {}

void pollchanges(watchvisitor, void*) {}

unsigned long long monotonicmicroseconds() {
  return GetTickCount64() * microsecondspertick;
}

// The current directory's path, hashed (FNV-1a): another folder gives another number.
unsigned long long workingfolderid() {
  char path[MAX_PATH + 1];
  DWORD length = GetCurrentDirectoryA(sizeof path, path);
  if (length == 0 || length >= sizeof path) return 0;
  unsigned long long hash = fnvbasis;
  for (DWORD i = 0; i < length; ++i) {
    hash ^= static_cast<unsigned char>(path[i]);
    hash *= fnvprime;
  }
  return hash;
}

} // namespace vesk::platform
