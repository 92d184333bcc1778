// thread.cpp - the worker thread of a parallel block, on std::thread.
// The record owns the std::thread and the slot for fn's result; the worker writes the slot
// before it ends, and jointhread reads it only after join, which orders the two.
#include "platform.h"

#include <exception>
#include <new>
#include <thread>

namespace vesk::platform {

struct thread {
  std::thread worker;
  int result = 0;
};

thread* startthread(threadmain fn, void* arg) {
  if (fn == nullptr) return nullptr;
  thread* started = new (std::nothrow) thread;
  if (started == nullptr) return nullptr;
  try {
    started->worker = std::thread([started, fn, arg] { started->result = fn(arg); });
  } catch (std::exception const&) { // std::system_error: no thread; std::bad_alloc: no state
    delete started;
    return nullptr;
  }
  return started;
}

int jointhread(thread* worker) {
  if (worker == nullptr) return 0;
  try {
    worker->worker.join();
  } catch (std::exception const&) {
    // Only a worker joining itself gets here. It is still running and will write its result
    // into the record, so the record is left to it rather than released.
    worker->worker.detach();
    return 0;
  }
  int result = worker->result;
  delete worker;
  return result;
}

} // namespace vesk::platform
