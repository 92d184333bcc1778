// errorqueue.h - the error lines collected while a try body runs: eight slots of 127
// characters, oldest first, shared by the whole process and guarded by a lock of its own.
#pragma once

namespace vesk {

constexpr int errorslots = 8;
constexpr int errortextlen = 127;

void clearerrors();                  // empties the queue (every try does)
void collecterror(char const* text); // appends; null, empty and ninth texts are dropped
// Takes the oldest text out into `text` (errortextlen + 1 bytes); false when none waits.
bool takeerror(char* text);

// The log function of try bodies: level-1 lines go to the queue, everything else is dropped.
void trylog(int level, char const* text);

} // namespace vesk
