// copytext.h - copying a text into a buffer of fixed size, cut to the buffer, never overrun:
// how every layer above keeps names and paths within their limits.
#pragma once

#include <cstring>

namespace vesk {

// Copies at most `limit` characters of `text` (null taken as "") and terminates the copy.
inline void copytext(char* target, char const* text, int limit) {
  if (text == nullptr) text = "";
  size_t n = strnlen(text, static_cast<size_t>(limit));
  memcpy(target, text, n);
  target[n] = '\0';
}

} // namespace vesk
