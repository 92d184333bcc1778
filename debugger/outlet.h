// outlet.h - what the adapter sends to its client: responses to requests and events, each
// framed with its Content-Length and numbered in the order sent. Any thread may send; one
// message is written whole before the next begins.
#pragma once

#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

#include "channel.h"

namespace dap {

using json = nlohmann::json;

class outlet {
public:
  explicit outlet(channel& stream) : stream(stream) {}

  // A successful response to `request` (its seq and command are taken from it).
  void respond(json const& request, json body = json::object());
  // A failed response to `request`, or to no request at all when it is null (a message that
  // could not be read): `message` says why, for the client to show.
  void fail(json const& request, std::string const& message);
  void event(char const* name, json body = json::object());
  // An output event of `category` ("stdout", "stderr", "console", "important").
  void output(char const* category, std::string const& text);
  // False once a write failed: the client is gone.
  bool open() const;

private:
  void send(json& message);

  channel& stream;
  mutable std::mutex lock;
  long long sequence = 0;
  bool broken = false;
};

} // namespace dap
