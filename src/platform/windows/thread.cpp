// thread.cpp - the worker thread of a parallel block, on CreateThread and WaitForSingleObject.
// The record holds the thread's handle and the slot for fn's result; the worker writes the slot
// before it ends, and jointhread reads it only after the wait, which orders the two.
#include <windows.h>

#include <new>

#include "platform.h"

namespace vesk::platform {

// A parallel part parses and runs scripts as deep as the calling thread does: it gets the
// stack a POSIX thread has by default rather than the 1 MiB that Windows threads start with.
constexpr SIZE_T workerstack = 8 * 1024 * 1024;

struct thread {
  HANDLE handle = nullptr;
  DWORD id = 0;
  threadmain fn = nullptr;
  void* arg = nullptr;
  int result = 0;
};

namespace {

DWORD WINAPI begin(LPVOID record) {
  auto started = static_cast<thread*>(record);
  started->result = started->fn(started->arg);
  return 0;
}

} // namespace

thread* startthread(threadmain fn, void* arg) {
  if (fn == nullptr) return nullptr;
  thread* started = new (std::nothrow) thread;
  if (started == nullptr) return nullptr;
  started->fn = fn;
  started->arg = arg;
  started->handle = CreateThread(nullptr, workerstack, begin, started,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, &started->id);
  if (started->handle == nullptr) {
    delete started;
    return nullptr;
  }
  return started;
}

int jointhread(thread* worker) {
  if (worker == nullptr) return 0;
  // A worker waiting for itself would wait for ever; the record stays with the running worker.
  if (worker->id == GetCurrentThreadId()) return 0;
  WaitForSingleObject(worker->handle, INFINITE);
  CloseHandle(worker->handle);
  int result = worker->result;
  delete worker;
  return result;
}

} // namespace vesk::platform
