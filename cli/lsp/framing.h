// framing.h - the messages of the language server protocol on a byte stream: each is a header
// ("Content-Length: N", lines ended by CR LF, a blank line after them) and N bytes of JSON.
// The reader takes any bytes: a header it cannot read, or one announcing too long a message,
// is reported and passed over, and reading goes on with what follows it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace cli::lsp {

// The longest message read (a 64 MiB script takes up to about twice that in JSON).
constexpr std::size_t maxmessagebytes = std::size_t{128} << 20;

// A stream read no further than a message needs, so that a reader never waits for bytes that
// the client has not sent yet.
class bytesource {
public:
  // The next byte, or -1 at the end of the stream.
  virtual int get() = 0;
  // `size` bytes into `buffer`, fewer only at the end of the stream; how many were read.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;

protected:
  ~bytesource() = default;
};

class filesource final : public bytesource {
public:
  explicit filesource(FILE* file) : file(file) {}
  int get() override { return getc(file); }
  std::size_t read(char* buffer, std::size_t size) override { return fread(buffer, 1, size, file); }

private:
  FILE* file;
};

enum class frame { message, malformed, toolarge, end };

class framereader {
public:
  explicit framereader(bytesource& in) : in(in) {}
  // The next message's body, or what kept it from being read; `end` once the stream has ended.
  frame next(std::string& body);

private:
  bool readline(std::string& line, bool& toolong);
  bool skip(std::size_t count);

  bytesource& in;
};

// `body` with its header, as it is written.
std::string framed(std::string const& body);

} // namespace cli::lsp
