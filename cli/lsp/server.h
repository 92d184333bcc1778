// server.h - the language server's handling of messages: the lifecycle (initialize, shutdown,
// exit), the documents the editor opens, changes, saves and closes, the requests, and the
// diagnostics published for each document a moment after it last changed. It never blocks:
// the session (session.h) hands it messages and asks it when diagnostics are due.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "context.h"
#include "framing.h"

namespace cli::lsp {

using clock = std::chrono::steady_clock;

// How long after a change the document is checked, so that a burst of changes is checked once.
constexpr auto debounce = std::chrono::milliseconds(40);

struct serversetup {
  std::vector<std::string> includes;            // the -I folders, absolute
  std::set<std::string> functions;              // every registered function
  std::map<std::string, std::string> libraryof; // a library function's library
};

class server {
public:
  // `send` writes one message (JSON text) to the client.
  server(enginelink& engine, serversetup setup, std::function<void(std::string const&)> send);

  // One message's body, received at `now`.
  void receive(std::string const& body, clock::time_point now);
  // A message that could not be read from the stream.
  void unreadable(frame what);
  // When diagnostics are next due (far ahead when none are).
  clock::time_point due() const;
  // Checks the documents whose diagnostics are due by `now` and publishes them.
  void publishdue(clock::time_point now);

  bool exited() const { return state == phase::exited; }
  // The exit status: 0 when shutdown came before exit (or the end of input), else 1.
  int status() const { return shutdownseen ? 0 : 1; }

private:
  enum class phase { waiting, running, shuttingdown, exited };

  reply request(std::string const& method, json const& params);
  void notification(std::string const& method, json const& params, clock::time_point now);
  reply initialize(json const& params);
  void opened(json const& params, clock::time_point now);
  void changed(json const& params, clock::time_point now);
  void saved(json const& params, clock::time_point now);
  void closed(json const& params);
  void publish(std::string const& uri, json diagnostics, json version);
  void respond(json const& id, reply const& r);
  void send(json const& message);

  workspace folders;
  context ctx;
  std::function<void(std::string const&)> sender;
  std::map<std::string, clock::time_point> pending; // URI -> when its diagnostics are due
  phase state = phase::waiting;
  bool shutdownseen = false;
};

} // namespace cli::lsp
