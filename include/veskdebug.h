// veskdebug.h - the interface of libveskdebug, which lets an editor's debugger attach to the
// scripts a host runs. A host that wants this creates one debugger for its interpreter and
// asks it to listen on a loopback port of its choosing; a client of the Debug Adapter Protocol
// attaches there and stops the host's scripts at breakpoints while the host goes on running.
// Nothing listens unless the host asks. Compiles on its own as C++17 and later.
#ifndef VESKDEBUG_H
#define VESKDEBUG_H

#include "vesk.h"

#if defined(_WIN32)
#if defined(VESK_BUILDING_DEBUGGER)
#define VESK_DEBUG_API __declspec(dllexport)
#else
#define VESK_DEBUG_API __declspec(dllimport)
#endif
#else
#define VESK_DEBUG_API __attribute__((visibility("default")))
#endif

namespace vesk {

// A debugger for the runs of one interpreter and of the interpreters nested in it (called
// scripts, parallel parts). It takes one client at a time; a second one that connects while
// the first is attached is disconnected at once. A paused script waits in its statement hook,
// on the host's thread, until the client lets it go on; when the client leaves, its
// breakpoints go and a paused script goes on.
class VESK_DEBUG_API debugger {
public:
  // Nothing listens and nothing is hooked yet. `engine` must outlive the debugger.
  explicit debugger(interpreter& engine);
  // Stops listening, lets go of a client and removes the statement hook. Destroy the debugger
  // between runs of its interpreter, as the hook may only change then.
  ~debugger();
  debugger(debugger const&) = delete;
  debugger& operator=(debugger const&) = delete;

  // Listens on the loopback address 127.0.0.1 at `port` (0: a free port the system chooses)
  // and sets the interpreter's statement hook, replacing any other; from then on each
  // statement costs a call of the hook. Call it between runs, once. False when the port
  // cannot be had or the debugger listens already; error() says why.
  bool listen(int port);
  // The port listened on; 0 before listen() succeeded.
  int port() const;
  // Why the last listen() failed; "" when it did not.
  char const* error() const;
  // True while a client is attached.
  bool attached() const;
  // Hands one line that the host's log function received to the attached client (if any), as
  // the script's output (level logoutput) or as a diagnostic (any other level). Call it from
  // the log function so that the client's console shows what the scripts print.
  void log(int level, char const* text);

private:
  struct state;
  state* self;
};

} // namespace vesk

#endif
