// session.h - one client's conversation with the adapter: its messages read off the channel,
// each request answered (an error response for anything the adapter cannot or will not do,
// so that no input ends the conversation but the end of the stream or a disconnect), and the
// target started, stepped and inspected on its behalf.
#pragma once

#include <string>

#include "channel.h"
#include "outlet.h"
#include "runcontrol.h"
#include "target.h"
#include "valuesview.h"

namespace dap {

class session {
public:
  // `control` is the hook of the target's runs; the session reports through it while it lasts.
  session(channel& stream, target& debuggee, runcontrol& control);
  ~session();
  session(session const&) = delete;
  session& operator=(session const&) = delete;

  // Answers the client until it disconnects or its stream ends; the target has ended then.
  void serve();
  // Handles one message body as read off the stream (tests and the fuzz target call it too);
  // false once the client has disconnected.
  bool handle(std::string const& body);

  outlet& client() { return out; }
  runcontrol& control() { return hook; }

private:
  struct handler;
  static handler const handlers[];

  void dispatch(json const& request);
  void initialize(json const& request);
  void start(json const& request);
  void setbreakpoints(json const& request);
  void setexceptionbreakpoints(json const& request);
  void configurationdone(json const& request);
  void threads(json const& request);
  void stacktrace(json const& request);
  void scopes(json const& request);
  void variables(json const& request);
  void setvariable(json const& request);
  void evaluate(json const& request);
  void exceptioninfo(json const& request);
  void resume(json const& request);
  void pause(json const& request);
  void terminate(json const& request);
  void disconnect(json const& request);
  void loadedsources(json const& request);
  // Runs `work` on the paused run and answers with its result, or fails the request.
  template <typename work> void whilepaused(json const& request, work inspect);

  channel& stream;
  outlet out;
  runcontrol& hook;
  valuesview values;
  target& debuggee;
  bool initialized = false;
  bool started = false;
  bool configured = false;
  bool disconnected = false;
  int nextbreakpoint = 1;
};

} // namespace dap
