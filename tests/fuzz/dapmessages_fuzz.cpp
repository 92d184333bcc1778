// dapmessages_fuzz.cpp - arbitrary bytes as the stream a debugging client sends: cut into
// pieces at places the input chooses, fed to the adapter's message reader, and every message it
// frames handed to a session, whose target runs nothing. Nothing may crash, leak, hang or read
// beyond a message, whatever the headers announce and the bodies hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "channel.h"
#include "messagereader.h"
#include "runcontrol.h"
#include "session.h"
#include "target.h"

namespace {

// Where the session's answers go: nowhere.
class discard : public dap::channel {
public:
  std::size_t read(char*, std::size_t) override { return 0; }
  bool write(char const*, std::size_t) override { return true; }
  void close() override {}
};

// A target that takes every launch and runs nothing.
class idle : public dap::target {
public:
  char const* startcommand() const override { return "launch"; }
  bool prepare(dap::json const&, dap::runcontrol&, std::string&) override { return true; }
  void begin() override {}
  bool terminate(std::string&) override { return true; }
  void end(dap::json const&) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  discard stream;
  idle nothing;
  dap::runcontrol control;
  dap::session talk(stream, nothing, control);
  dap::messagereader reader;
  dap::frame next;
  // The first byte chooses the size of the pieces the rest arrives in.
  std::size_t piece = size > 0 ? 1 + data[0] % 64 : 1;
  bool open = true;
  for (std::size_t at = size > 0 ? 1 : 0; at < size && open; at += piece) {
    std::size_t length = size - at < piece ? size - at : piece;
    reader.feed(reinterpret_cast<char const*>(data + at), length);
    while (open && reader.next(next))
      if (next.kind == dap::framing::message) open = talk.handle(next.text);
  }
  return 0;
}
