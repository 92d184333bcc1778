// lspmessages_fuzz.cpp - libFuzzer target: arbitrary bytes as what a client sends the language
// server. The message reader cuts them into messages (or reports what it cannot read), and the
// server takes each in, answers it and checks the documents due, with the engine's check and
// the built-ins registered. Every message the server writes must be JSON, and the reader must
// consume the input without ever reading past it.
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include <nlohmann/json.hpp>

#include "enginelink.h"
#include "framing.h"
#include "fuzzing.h"
#include "server.h"
#include "vesk.h"

namespace {

// The input as the server's standard input.
class memorysource final : public cli::lsp::bytesource {
public:
  memorysource(std::uint8_t const* data, std::size_t size) : data(data), size(size) {}
  int get() override { return at < size ? data[at++] : -1; }
  std::size_t read(char* buffer, std::size_t wanted) override {
    std::size_t n = wanted < size - at ? wanted : size - at;
    memcpy(buffer, data + at, n);
    at += n;
    return n;
  }

private:
  std::uint8_t const* data;
  std::size_t size;
  std::size_t at = 0;
};

void written(std::string const& message) {
  fuzzing::check(!nlohmann::json::parse(message, nullptr, false).is_discarded(),
                 "the server writes JSON");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  static vesk::variables globals;
  static vesk::interpreter engine(&globals, fuzzing::sink);
  static std::set<std::string> functions;
  if (functions.empty()) {
    engine.addinternalfuncs(fuzzing::touchesmachine);
    for (std::string const& name : cli::lsp::builtinnames()) functions.insert(name);
  }
  cli::lsp::interpreterlink link(engine, false);
  cli::lsp::serversetup setup;
  setup.functions = functions;
  cli::lsp::server server(link, setup, written);
  memorysource input(data, size);
  cli::lsp::framereader reader(input);
  auto later = cli::lsp::clock::now() + std::chrono::hours(1);
  std::string body;
  for (cli::lsp::frame what = reader.next(body); what != cli::lsp::frame::end;
       what = reader.next(body)) {
    if (what == cli::lsp::frame::message)
      server.receive(body, cli::lsp::clock::now());
    else
      server.unreadable(what);
    server.publishdue(later);
    if (server.exited()) break;
  }
  fuzzing::check(globals.count() == 0, "the check stores nothing");
  return 0;
}
