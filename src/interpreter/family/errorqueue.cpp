// errorqueue.cpp - the queue of collected error lines of one family, and trylog, which finds
// the family through the statement lock that the reporting thread holds.
#include "errorqueue.h"

#include <cstring>

#include "copytext.h"
#include "family.h"

namespace vesk {

void clearerrors(errorqueue& queue) {
  queue.used = 0;
}

void collecterror(errorqueue& queue, char const* text) {
  if (text == nullptr || text[0] == '\0' || queue.used == errorslots) return;
  copytext(queue.slots[queue.used++], text, errortextlen);
}

bool takeerror(errorqueue& queue, char* text) {
  if (queue.used == 0) return false;
  memcpy(text, queue.slots[0], errortextlen + 1);
  memmove(queue.slots[0], queue.slots[1],
          sizeof queue.slots[0] * static_cast<size_t>(queue.used - 1));
  --queue.used;
  return true;
}

void trylog(int level, char const* text) {
  family* shared = runningfamily();
  if (level == logerror && shared != nullptr) collecterror(shared->errors, text);
}

} // namespace vesk
