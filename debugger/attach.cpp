// attach.cpp - vesk::debugger (veskdebug.h): a listener on a loopback port, a thread that
// accepts one client at a time, and for each client a session whose target is the host's own
// runs. The run control outlives the clients, so that the statement hook, set once by
// listen(), never points at anything a leaving client takes with it.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "runcontrol.h"
#include "session.h"
#include "socket.h"
#include "veskdebug.h"

namespace {

// The runs of a host, which a client attaches to: they start and end as the host wants. Once
// the session ends (before the client is answered), `leaving` says so.
class hostruns : public dap::target {
public:
  hostruns(dap::runcontrol& control, std::atomic<bool>& leaving)
      : control(control), leaving(leaving) {}
  char const* startcommand() const override { return "attach"; }
  bool prepare(dap::json const&, dap::runcontrol&, std::string&) override { return true; }
  void begin() override {}
  bool terminate(std::string& error) override {
    error = "the host's runs are the host's to end; disconnect to detach";
    return false;
  }
  void end(dap::json const&) override {
    control.release();
    leaving.store(true);
  }

private:
  dap::runcontrol& control;
  std::atomic<bool>& leaving;
};

} // namespace

namespace vesk {

struct debugger::state {
  explicit state(interpreter& engine) : engine(engine) {}
  void acceptclients();
  void converse(std::unique_ptr<dap::socketchannel> stream);

  interpreter& engine;
  dap::runcontrol control;
  dap::listener ears;
  std::thread acceptor;
  std::thread conversation;
  std::atomic<bool> busy{false};
  std::atomic<bool> leaving{false}; // the client's session is over: what is left of it ends soon
  std::string problem;
  std::mutex lock;               // guards the three below
  dap::outlet* client = nullptr; // of the attached client
  dap::socketchannel* stream = nullptr;
  bool closing = false; // the debugger is being destroyed: a client is let go at once
};

void debugger::state::acceptclients() {
  while (std::unique_ptr<dap::socketchannel> next = ears.accept()) {
    // One client at a time: a newcomer is closed at once, unless the client before it has
    // left and only its conversation's end is still to come (a client that reconnects at once
    // after its disconnect is answered).
    if (busy.load() && !leaving.load()) continue;
    if (conversation.joinable()) conversation.join();
    leaving.store(false);
    busy.store(true);
    conversation = std::thread(&state::converse, this, std::move(next));
  }
}

void debugger::state::converse(std::unique_ptr<dap::socketchannel> channel) {
  hostruns runs(control, leaving);
  {
    dap::session talk(*channel, runs, control);
    {
      std::lock_guard<std::mutex> hold(lock);
      if (closing) channel->close();
      client = &talk.client();
      stream = channel.get();
    }
    talk.serve();
    std::lock_guard<std::mutex> hold(lock);
    client = nullptr;
    stream = nullptr;
  }
  channel->close();
  busy.store(false);
}

debugger::debugger(interpreter& engine) : self(new state(engine)) {}

debugger::~debugger() {
  self->ears.close();
  if (self->acceptor.joinable()) self->acceptor.join();
  {
    std::lock_guard<std::mutex> hold(self->lock);
    self->closing = true;
    if (self->stream != nullptr) self->stream->close();
  }
  if (self->conversation.joinable()) self->conversation.join();
  if (self->ears.port() != 0) {
    self->engine.sethook(nullptr, nullptr);
    self->engine.seterrorhook(nullptr, nullptr);
  }
  delete self;
}

bool debugger::listen(int port) {
  self->problem.clear();
  if (self->ears.port() != 0) {
    self->problem = "the debugger listens already";
    return false;
  }
  if (port < 0 || port > 65535) {
    self->problem = "no such port";
    return false;
  }
  if (!self->ears.open(port, self->problem)) return false;
  self->engine.sethook(dap::runcontrol::onstatement, &self->control);
  self->engine.seterrorhook(dap::runcontrol::onerror, &self->control);
  self->acceptor = std::thread(&state::acceptclients, self);
  return true;
}

int debugger::port() const {
  return self->ears.port();
}

char const* debugger::error() const {
  return self->problem.c_str();
}

bool debugger::attached() const {
  return self->busy.load();
}

void debugger::log(int level, char const* text) {
  std::lock_guard<std::mutex> hold(self->lock);
  if (self->client != nullptr && text != nullptr)
    self->client->output(level == logoutput ? "stdout" : "stderr", std::string(text) + "\n");
}

} // namespace vesk
