// session.cpp - the loop of the language server. A thread of its own reads the next message
// from standard input while the loop waits for it, up to the moment diagnostics are due; the
// loop asks for one message at a time, so that none is read ahead of its turn and the thread
// is idle, and can be stopped, once the client has said exit.
#include "session.h"

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "enginelink.h"
#include "loader.h"
#include "server.h"
#include "terminal.h"

namespace cli::lsp {

namespace {

// The one message the loop asked for, handed over between the two threads.
class inbox {
public:
  // The reading thread: reads a message whenever one is asked for, until the end of input
  // or until stopped.
  void run(framereader& reader) {
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(guard);
        changed.wait(lock, [this] { return wanted || stopping; });
        if (stopping) return;
        wanted = false;
      }
      std::string body;
      frame what = reader.next(body);
      std::lock_guard<std::mutex> lock(guard);
      result = what;
      message = std::move(body);
      ready = true;
      changed.notify_all();
      if (what == frame::end) return;
    }
  }
  void ask() {
    std::lock_guard<std::mutex> lock(guard);
    wanted = true;
    changed.notify_all();
  }
  // The message asked for, if it came by `deadline`.
  bool take(clock::time_point deadline, frame& what, std::string& body) {
    std::unique_lock<std::mutex> lock(guard);
    if (!changed.wait_until(lock, deadline, [this] { return ready; })) return false;
    ready = false;
    what = result;
    body = std::move(message);
    return true;
  }
  void stop() {
    std::lock_guard<std::mutex> lock(guard);
    stopping = true;
    changed.notify_all();
  }

private:
  std::mutex guard;
  std::condition_variable changed;
  bool wanted = false, ready = false, stopping = false;
  frame result = frame::end;
  std::string message;
};

void writeout(std::string const& body) {
  std::string message = framed(body);
  fwrite(message.data(), 1, message.size(), stdout);
  fflush(stdout);
}

serversetup setupof(options const& opts) {
  serversetup setup;
  std::vector<std::string> builtins;
  if (opts.builtins) builtins = builtinnames();
  std::error_code failed;
  for (char const* folder : opts.directories)
    setup.includes.push_back(std::filesystem::absolute(folder, failed).string());
  for (std::string const& name : builtins) setup.functions.insert(name);
  for (char const* library : opts.libraries)
    for (std::string const& name : libraryfunctions(library)) {
      setup.functions.insert(name);
      setup.libraryof.emplace(name, library);
    }
  return setup;
}

} // namespace

int serve(vesk::interpreter& engine, options const& opts) {
  binarystreams();
  serversetup setup = setupof(opts);
  // The check runs in each document's folder: the -I folders are given to it as absolute paths.
  std::size_t folders = setup.includes.size();
  engine.setscriptpath(folders > 0 ? setup.includes[0].c_str() : "",
                       folders > 1 ? setup.includes[1].c_str() : "");
  interpreterlink link(engine);
  server handler(link, std::move(setup), writeout);
  filesource input(stdin);
  framereader reader(input);
  inbox box;
  std::thread reading([&] { box.run(reader); });
  box.ask();
  for (;;) {
    frame what = frame::end;
    std::string body;
    if (!box.take(handler.due(), what, body)) {
      handler.publishdue(clock::now());
      continue;
    }
    if (what == frame::end) break;
    if (what == frame::message)
      handler.receive(body, clock::now());
    else
      handler.unreadable(what);
    if (handler.exited()) break;
    box.ask();
  }
  box.stop();
  reading.join();
  return handler.status();
}

} // namespace cli::lsp
