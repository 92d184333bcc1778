// framing.cpp - reading headers byte by byte (the stream buffers them) and the body whole by its
// announced length. Header lines and the number of header lines are bounded, so that no input
// makes the reader hold more than one message.
#include "framing.h"

#include <cctype>
#include <cstring>

namespace cli::lsp {

namespace {

constexpr std::size_t chunkbytes = 65536;
constexpr std::size_t maxheaderline = 1024;
constexpr int maxheaderlines = 32;
constexpr char const* lengthfield = "content-length:";

// A "Content-Length: N" line, found anywhere in the line: bytes before it are what is left of
// a message whose header could not be read, and they are passed over.
bool lengthheader(std::string const& line, std::size_t& length, bool& valid) {
  std::size_t field = strlen(lengthfield);
  std::size_t at = 0;
  while (at + field <= line.size()) {
    std::size_t k = 0;
    while (k < field && std::tolower(static_cast<unsigned char>(line[at + k])) == lengthfield[k])
      ++k;
    if (k == field) break;
    ++at;
  }
  if (at + field > line.size()) return false;
  std::size_t i = at + field;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  std::size_t digits = i;
  length = 0;
  valid = true;
  // Beyond every size the count saturates: skipping that many bytes reads to the end.
  constexpr std::size_t most = static_cast<std::size_t>(-1);
  for (; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
    length =
        length > (most - 9) / 10 ? most : length * 10 + static_cast<std::size_t>(line[i] - '0');
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  if (i == digits || i != line.size()) valid = false;
  return true;
}

} // namespace

// One header line without its CR LF (or LF); a line longer than the bound is read to its end
// and marked. False at the end of the stream.
bool framereader::readline(std::string& line, bool& toolong) {
  line.clear();
  toolong = false;
  for (int c = in.get(); c != '\n'; c = in.get()) {
    if (c < 0) return false;
    if (line.size() < maxheaderline)
      line += static_cast<char>(c);
    else
      toolong = true;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool framereader::skip(std::size_t count) {
  char chunk[chunkbytes];
  while (count > 0) {
    std::size_t step = count < sizeof chunk ? count : sizeof chunk;
    if (in.read(chunk, step) != step) return false;
    count -= step;
  }
  return true;
}

frame framereader::next(std::string& body) {
  body.clear();
  std::string line;
  std::size_t length = 0;
  bool haslength = false, broken = false, toolong = false;
  int lines = 0;
  // Blank lines before a header are passed over (a client may end a body with a line break).
  for (;;) {
    if (!readline(line, toolong)) return frame::end;
    if (line.empty() && !toolong) {
      if (lines == 0) continue;
      break;
    }
    if (++lines > maxheaderlines || toolong) broken = true;
    bool valid = false;
    std::size_t announced = 0;
    if (lengthheader(line, announced, valid)) {
      broken = broken || !valid || haslength;
      haslength = true;
      length = announced;
    }
  }
  if (broken || !haslength) return frame::malformed;
  if (length > maxmessagebytes) return skip(length) ? frame::toolarge : frame::end;
  body.resize(length);
  if (in.read(body.data(), length) != length) return frame::end;
  return frame::message;
}

std::string framed(std::string const& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

} // namespace cli::lsp
