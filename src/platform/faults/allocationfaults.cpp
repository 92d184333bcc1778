// allocationfaults.cpp - the wrappers that the linker puts in place of the allocation functions
// the library's code calls (-Wl,--wrap=NAME: calls of NAME reach __wrap_NAME, which reaches the
// real one as __real_NAME). Only the library's own calls are wrapped: the C++ runtime's calls
// inside itself and the host's are not counted. Built only with VESK_ALLOCFAULTS.
#include "allocationfaults.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

// The sanitizers' runtime prints where an injected failure happened, when there is one.
extern "C" void __sanitizer_print_stack_trace() __attribute__((weak));

// The real functions, by their symbols' names (operator new's are the mangled ones).
extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* pointer, std::size_t size);
void* __real__Znwm(std::size_t size);
void* __real__Znam(std::size_t size);
void* __real__ZnwmRKSt9nothrow_t(std::size_t size, std::nothrow_t const&);
void* __real__ZnamRKSt9nothrow_t(std::size_t size, std::nothrow_t const&);
}

namespace vesk::faults {

namespace {

std::atomic<bool> armed{false};
std::atomic<bool> failonward{false};
std::atomic<long long> failat{0};
std::atomic<long long> allocations{0};
std::atomic<long long> failures{0};

} // namespace

void arm(long long nth, bool onward) {
  armed.store(false);
  allocations.store(0);
  failures.store(0);
  failat.store(nth);
  failonward.store(onward);
  armed.store(true);
}

void disarm() {
  armed.store(false);
}

long long counted() {
  return allocations.load();
}

long long injected() {
  return failures.load();
}

bool failnext() {
  if (!armed.load(std::memory_order_relaxed)) return false;
  long long n = allocations.fetch_add(1) + 1;
  long long at = failat.load();
  if (n != at && !(failonward.load() && n > at)) return false;
  failures.fetch_add(1);
  // VESK_FAULT_TRACE in the environment: each failure's call stack, to find where it happened.
  static bool const trace = std::getenv("VESK_FAULT_TRACE") != nullptr;
  if (trace && __sanitizer_print_stack_trace != nullptr) __sanitizer_print_stack_trace();
  return true;
}

} // namespace vesk::faults

using vesk::faults::failnext;

// The names below are the ones the linker gives the wrappers: they are not the library's own.
extern "C" {

void* __wrap_malloc(std::size_t size) {
  return failnext() ? nullptr : __real_malloc(size);
}

void* __wrap_calloc(std::size_t count, std::size_t size) {
  return failnext() ? nullptr : __real_calloc(count, size);
}

// A failed realloc leaves the block as it was, as the real one does.
void* __wrap_realloc(void* pointer, std::size_t size) {
  return failnext() ? nullptr : __real_realloc(pointer, size);
}

void* __wrap__Znwm(std::size_t size) {
  if (failnext()) throw std::bad_alloc();
  return __real__Znwm(size);
}

void* __wrap__Znam(std::size_t size) {
  if (failnext()) throw std::bad_alloc();
  return __real__Znam(size);
}

void* __wrap__ZnwmRKSt9nothrow_t(std::size_t size, std::nothrow_t const& tag) {
  return failnext() ? nullptr : __real__ZnwmRKSt9nothrow_t(size, tag);
}

void* __wrap__ZnamRKSt9nothrow_t(std::size_t size, std::nothrow_t const& tag) {
  return failnext() ? nullptr : __real__ZnamRKSt9nothrow_t(size, tag);
}

} // extern "C"
