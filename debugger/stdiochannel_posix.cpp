// stdiochannel_posix.cpp - standard input and a private copy of standard output as the
// client's stream, on POSIX systems.
#include "stdiochannel.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace dap {

stdiochannel::stdiochannel() : input(STDIN_FILENO), output(dup(STDOUT_FILENO)) {
  // A client that goes away closes the pipe: writing to it then fails instead of ending vesk.
  std::signal(SIGPIPE, SIG_IGN);
  std::fflush(stdout);
  if (output >= 0) dup2(STDERR_FILENO, STDOUT_FILENO);
}

stdiochannel::~stdiochannel() {
  if (output >= 0) ::close(output);
}

std::size_t stdiochannel::read(char* buffer, std::size_t size) {
  for (;;) {
    ssize_t got = ::read(input, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return 0;
  }
}

bool stdiochannel::write(char const* data, std::size_t size) {
  while (size > 0 && output >= 0) {
    ssize_t written = ::write(output, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return output >= 0;
}

// Standard input is left open: the process ends soon after, and a read in progress ends with
// the client's end of the pipe.
void stdiochannel::close() {}

} // namespace dap
