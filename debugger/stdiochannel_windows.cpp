// stdiochannel_windows.cpp - standard input and a private copy of standard output as the
// client's stream, on Windows: both in binary mode, so that the C runtime neither adds a
// carriage return before each line feed nor ends the input at a Ctrl-Z byte.
#include "stdiochannel.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

namespace dap {

namespace {
constexpr unsigned maxchunk = 1u << 30; // what one _read or _write takes at most
} // namespace

stdiochannel::stdiochannel() : input(_fileno(stdin)), output(_dup(_fileno(stdout))) {
  std::fflush(stdout);
  _setmode(input, _O_BINARY);
  if (output >= 0) {
    _setmode(output, _O_BINARY);
    _dup2(_fileno(stderr), _fileno(stdout));
  }
}

stdiochannel::~stdiochannel() {
  if (output >= 0) _close(output);
}

std::size_t stdiochannel::read(char* buffer, std::size_t size) {
  int got = _read(input, buffer, static_cast<unsigned>(size < maxchunk ? size : maxchunk));
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool stdiochannel::write(char const* data, std::size_t size) {
  while (size > 0 && output >= 0) {
    int written = _write(output, data, static_cast<unsigned>(size < maxchunk ? size : maxchunk));
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return output >= 0;
}

void stdiochannel::close() {}

} // namespace dap
