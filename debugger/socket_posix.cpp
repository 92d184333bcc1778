// socket_posix.cpp - the loopback listener and its connections on POSIX systems. shutdown()
// is what ends an accept() or recv() waiting on another thread; the descriptor is closed only
// by the object's destructor, so that no other thread uses a number the system gave anew.
#include "socket.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace dap {

namespace {
constexpr int backlog = 4;
} // namespace

socketchannel::~socketchannel() {
  if (connection >= 0) ::close(static_cast<int>(connection));
}

std::size_t socketchannel::read(char* buffer, std::size_t size) {
  for (;;) {
    ssize_t got = recv(static_cast<int>(connection), buffer, size, 0);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) return 0;
  }
}

bool socketchannel::write(char const* data, std::size_t size) {
  while (size > 0) {
    ssize_t sent = send(static_cast<int>(connection), data, size, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

void socketchannel::close() {
  shutdown(static_cast<int>(connection), SHUT_RDWR);
}

listener::~listener() {
  if (socket >= 0) ::close(static_cast<int>(socket));
}

bool listener::open(int port, std::string& error) {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return error = std::strerror(errno), false;
  int on = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<unsigned short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(s, backlog) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = std::strerror(errno);
    ::close(s);
    return false;
  }
  socket = s;
  bound = ntohs(address.sin_port);
  return true;
}

std::unique_ptr<socketchannel> listener::accept() {
  for (;;) {
    int connection = ::accept(static_cast<int>(socket), nullptr, nullptr);
    if (connection >= 0) return std::make_unique<socketchannel>(connection);
    if (errno != EINTR && errno != ECONNABORTED) return nullptr;
  }
}

void listener::close() {
  if (socket >= 0) shutdown(static_cast<int>(socket), SHUT_RDWR);
}

} // namespace dap
