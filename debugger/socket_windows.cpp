// socket_windows.cpp - the loopback listener and its connections on Windows (Winsock 2).
// closesocket() is what ends an accept() waiting on another thread there; a connection is
// ended with shutdown(), and its socket closed by the object's destructor.
#include "socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace dap {

namespace {

constexpr int backlog = 4;
constexpr int maxchunk = 1 << 30; // what one send or recv takes at most

SOCKET handleof(sockethandle h) {
  return static_cast<SOCKET>(h);
}

// Winsock is started once per process, before the first socket, and left running.
bool startwinsock() {
  static bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

std::string lasterror() {
  return "Winsock error " + std::to_string(WSAGetLastError());
}

} // namespace

socketchannel::~socketchannel() {
  closesocket(handleof(connection));
}

std::size_t socketchannel::read(char* buffer, std::size_t size) {
  int got = recv(handleof(connection), buffer, size < maxchunk ? int(size) : maxchunk, 0);
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool socketchannel::write(char const* data, std::size_t size) {
  while (size > 0) {
    int sent = send(handleof(connection), data, size < maxchunk ? int(size) : maxchunk, 0);
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

void socketchannel::close() {
  shutdown(handleof(connection), SD_BOTH);
}

listener::~listener() {
  close();
}

bool listener::open(int port, std::string& error) {
  if (!startwinsock()) return error = "Winsock cannot be started", false;
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return error = lasterror(), false;
  BOOL exclusive = TRUE; // no other program may take over the port while it is ours
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<char const*>(&exclusive),
             sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(s, backlog) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = lasterror();
    closesocket(s);
    return false;
  }
  socket = static_cast<sockethandle>(s);
  bound = ntohs(address.sin_port);
  return true;
}

std::unique_ptr<socketchannel> listener::accept() {
  SOCKET connection = ::accept(handleof(socket), nullptr, nullptr);
  if (connection == INVALID_SOCKET) return nullptr;
  return std::make_unique<socketchannel>(static_cast<sockethandle>(connection));
}

void listener::close() {
  SOCKET s = handleof(socket);
  socket = -1;
  if (s != INVALID_SOCKET && static_cast<sockethandle>(s) != -1) closesocket(s);
}

} // namespace dap
