// messagereader.h - cuts the byte stream of a debugging client into messages: a header block
// ("Content-Length: N", other fields ignored) ended by an empty line, then N bytes of body.
// Malformed headers are reported as such and skipped, so that the next good header is found
// again; nothing a client sends makes the reader hold more than one bounded message.
#pragma once

#include <cstddef>
#include <string>

namespace dap {

// The most a header block or a body may hold. A client that announces more is told so, and
// the announced bytes are skipped without being kept.
constexpr std::size_t maxheaderbytes = 8 * 1024;
constexpr std::size_t maxbodybytes = 64 * 1024 * 1024;

enum class framing {
  message,   // `text` is a whole body
  badheader, // a header block without a usable Content-Length; `text` says why
  toolarge   // a body longer than maxbodybytes, skipped; `text` says why
};

struct frame {
  framing kind = framing::message;
  std::string text;
};

class messagereader {
public:
  // Adds bytes from the stream.
  void feed(char const* data, std::size_t size);
  // Takes the next complete message or problem out of what was fed; false when more bytes are
  // needed first.
  bool next(frame& out);

private:
  bool readheader(frame& out);
  bool readbody(frame& out);

  std::string pending;        // bytes fed and not yet taken
  bool inbody = false;        // a header was read; `bodylength` bytes follow
  std::size_t bodylength = 0; // of the body being read or skipped
  bool skipping = false;      // the body is too large and is dropped as it comes
};

} // namespace dap
