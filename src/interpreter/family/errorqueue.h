// errorqueue.h - the error lines collected while try bodies run: eight slots of 127
// characters, oldest first. Each interpreter family has its own queue, used under the
// family's statement lock; the parts of a parallel block share their family's.
#pragma once

namespace vesk {

constexpr int errorslots = 8;
constexpr int errortextlen = 127;

struct errorqueue {
  char slots[errorslots][errortextlen + 1];
  int used = 0;
};

void clearerrors(errorqueue& queue);                    // every try does
void collecterror(errorqueue& queue, char const* text); // null, empty and ninth texts dropped
// Takes the oldest text out into `text` (errortextlen + 1 bytes); false when none waits.
bool takeerror(errorqueue& queue, char* text);

// The log function of try bodies: level-1 lines go to the queue of the family whose statement
// this thread is running, everything else is dropped.
void trylog(int level, char const* text);

} // namespace vesk
