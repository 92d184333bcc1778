// target.h - what a debugging session starts, stops and lets go of: a script that `vesk
// --dap` launches, or the runs of a host that a client attaches to. The session calls these
// from its own thread, in this order: prepare, begin (once configuration is done), then end.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace dap {

using json = nlohmann::json;

class runcontrol;

class target {
public:
  virtual ~target() = default;
  // The request that starts debugging ("launch" or "attach").
  virtual char const* startcommand() const = 0;
  // Takes the arguments of that request; false with the reason in `error` when they cannot be
  // followed. Nothing runs yet; `control` is the hook's side that the target installs.
  virtual bool prepare(json const& arguments, runcontrol& control, std::string& error) = 0;
  // The client's configuration is done: the run may start.
  virtual void begin() = 0;
  // Ends what runs because the client asks to ("terminate"); false with the reason in `error`
  // when the target refuses.
  virtual bool terminate(std::string& error) = 0;
  // The session is over (disconnect, or the client is gone): `terminatedebuggee` as the
  // client asked, or the target's own choice when it did not say. Returns once nothing of the
  // session runs any more.
  virtual void end(json const& disconnect) = 0;
};

} // namespace dap
