// stacklimit.cpp - where the current thread's stack ends, from the thread's attributes.
#include <pthread.h>

#include <cstdint>

#include "stacklimit.h"

namespace vesk::platform {

std::uintptr_t lowestusablestackaddress() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
  void* lowest = nullptr;
  size_t size = 0;
  int status = pthread_attr_getstack(&attributes, &lowest, &size);
  pthread_attr_destroy(&attributes);
  return status == 0 ? reinterpret_cast<std::uintptr_t>(lowest) : 0;
}

} // namespace vesk::platform
