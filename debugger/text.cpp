// text.cpp - UTF-8 for the client and numbers written exactly; see text.h.
#include "text.h"

#include <charconv>

namespace dap {

namespace {

constexpr int maxsequence = 4;
constexpr int numberbuffer = 32;

// The length of the valid UTF-8 sequence at `at`, or 0 when the bytes there are none.
int sequencelength(std::string_view bytes, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  unsigned char first = byte(at);
  int length = first < 0x80                     ? 1
               : first >= 0xC2 && first <= 0xDF ? 2
               : first >= 0xE0 && first <= 0xEF ? 3
               : first >= 0xF0 && first <= 0xF4 ? maxsequence
                                                : 0;
  if (length == 0 || at + static_cast<std::size_t>(length) > bytes.size()) return 0;
  for (int i = 1; i < length; ++i)
    if ((byte(at + static_cast<std::size_t>(i)) & 0xC0) != 0x80) return 0;
  unsigned char second = length > 1 ? byte(at + 1) : 0;
  // Overlong forms, surrogates and code points beyond U+10FFFF are no valid UTF-8.
  if (first == 0xE0 && second < 0xA0) return 0;
  if (first == 0xED && second > 0x9F) return 0;
  if (first == 0xF0 && second < 0x90) return 0;
  if (first == 0xF4 && second > 0x8F) return 0;
  return length;
}

} // namespace

std::string utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    int length = sequencelength(bytes, at);
    if (length > 0) {
      out.append(bytes, at, static_cast<std::size_t>(length));
      at += static_cast<std::size_t>(length);
      continue;
    }
    unsigned char latin1 = static_cast<unsigned char>(bytes[at++]);
    out += static_cast<char>(0xC0 | (latin1 >> 6));
    out += static_cast<char>(0x80 | (latin1 & 0x3F));
  }
  return out;
}

std::string numbertext(double value) {
  char buffer[numberbuffer];
  auto written = std::to_chars(buffer, buffer + numberbuffer, value);
  return std::string(buffer, written.ptr);
}

} // namespace dap
