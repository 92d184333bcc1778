// channel.h - the byte stream a debugging client talks over: standard input and output for
// `vesk --dap`, a loopback socket for a host that lets clients attach. Reads and writes may
// come from different threads; close() may come from any thread and ends a read in progress.
#pragma once

#include <cstddef>

namespace dap {

class channel {
public:
  virtual ~channel() = default;
  // Up to `size` bytes into `buffer`; 0 at the end of the stream or after close(), never
  // negative.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  // All `size` bytes, or false when the stream is gone.
  virtual bool write(char const* data, std::size_t size) = 0;
  // Ends the stream in both directions; a read waiting for bytes returns 0.
  virtual void close() = 0;
};

} // namespace dap
