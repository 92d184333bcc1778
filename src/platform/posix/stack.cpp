// stack.cpp - how much of the current thread's stack is left: the lowest address of the stack
// is looked up once per thread, and the room is the distance from the caller's frame to it.
#include <pthread.h>

#include <climits>
#include <cstdint>

#include "platform/platform.h"

namespace vesk::platform {

namespace {

// The lowest usable address of this thread's stack, or 0 when it cannot be told.
std::uintptr_t stacklimit() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
  void* lowest = nullptr;
  size_t size = 0;
  int status = pthread_attr_getstack(&attributes, &lowest, &size);
  pthread_attr_destroy(&attributes);
  return status == 0 ? reinterpret_cast<std::uintptr_t>(lowest) : 0;
}

constexpr std::uintptr_t notlookedup = 1;
// Constant-initialised, so that reading it costs no per-access initialisation check.
thread_local std::uintptr_t lowest = notlookedup;

} // namespace

unsigned long stackroom() {
  auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  if (lowest == notlookedup) lowest = stacklimit();
  if (lowest == 0 || here <= lowest) return lowest == 0 ? ULONG_MAX : 0;
  return static_cast<unsigned long>(here - lowest);
}

} // namespace vesk::platform
