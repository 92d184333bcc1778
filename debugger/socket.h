// socket.h - the loopback socket through which a client attaches to a host: a listener bound
// to 127.0.0.1 only, and the channel of one accepted connection. The operating system's side
// is in socket_posix.cpp and socket_windows.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "channel.h"

namespace dap {

using sockethandle = std::intptr_t;

class socketchannel : public channel {
public:
  explicit socketchannel(sockethandle connection) : connection(connection) {}
  ~socketchannel() override;
  socketchannel(socketchannel const&) = delete;
  socketchannel& operator=(socketchannel const&) = delete;

  std::size_t read(char* buffer, std::size_t size) override;
  bool write(char const* data, std::size_t size) override;
  void close() override;

private:
  sockethandle connection;
};

class listener {
public:
  listener() = default;
  ~listener();
  listener(listener const&) = delete;
  listener& operator=(listener const&) = delete;

  // Listens on 127.0.0.1 at `port` (0: any free port); false with the reason in `error`.
  bool open(int port, std::string& error);
  // The port listened on, 0 when not listening.
  int port() const { return bound; }
  // Waits for the next client; null once close() was called or the listener failed.
  std::unique_ptr<socketchannel> accept();
  // Stops listening; an accept() in progress returns null. Any thread may call it.
  void close();

private:
  std::atomic<sockethandle> socket{-1};
  int bound = 0;
};

} // namespace dap
