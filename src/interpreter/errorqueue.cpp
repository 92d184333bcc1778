// errorqueue.cpp - the process-wide queue of collected error lines. A lock of its own keeps it
// sound when the two parts of a parallel block, or two hosts' threads, use try at once.
#include "errorqueue.h"

#include <cstring>
#include <mutex>

#include "internal.h"

namespace vesk {

namespace {

struct queue {
  std::mutex lock;
  char slots[errorslots][errortextlen + 1];
  int used = 0;
};

queue& errorqueue() {
  static queue instance;
  return instance;
}

} // namespace

void clearerrors() {
  queue& q = errorqueue();
  std::lock_guard<std::mutex> hold(q.lock);
  q.used = 0;
}

void collecterror(char const* text) {
  if (text == nullptr || text[0] == '\0') return;
  queue& q = errorqueue();
  std::lock_guard<std::mutex> hold(q.lock);
  if (q.used == errorslots) return;
  copytext(q.slots[q.used++], text, errortextlen);
}

bool takeerror(char* text) {
  queue& q = errorqueue();
  std::lock_guard<std::mutex> hold(q.lock);
  if (q.used == 0) return false;
  memcpy(text, q.slots[0], errortextlen + 1);
  memmove(q.slots[0], q.slots[1], sizeof q.slots[0] * static_cast<size_t>(q.used - 1));
  --q.used;
  return true;
}

void trylog(int level, char const* text) {
  if (level == logerror) collecterror(text);
}

} // namespace vesk
