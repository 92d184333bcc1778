// quietoutput.h - standard output sent to the null device for a scope: a parallel block writes
// four trace lines to it, and the soak and load tests run a great many blocks (their figures go
// to standard error).
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace vesktest {

class quietoutput {
public:
  quietoutput() {
    std::fflush(stdout);
    saved = dup(STDOUT_FILENO);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDOUT_FILENO);
      close(null);
    }
  }
  ~quietoutput() {
    std::fflush(stdout);
    if (saved >= 0) {
      dup2(saved, STDOUT_FILENO);
      close(saved);
    }
  }
  quietoutput(quietoutput const&) = delete;
  quietoutput& operator=(quietoutput const&) = delete;

private:
  int saved = -1;
};

} // namespace vesktest
