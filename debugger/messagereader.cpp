// messagereader.cpp - the framing of the debug protocol's messages. A header block ends at
// the first empty line; its Content-Length is looked for anywhere in the block, so that a body
// shorter than announced leaves at most one message garbled before the stream is in step again.
#include "messagereader.h"

#include <cctype>
#include <cstring>

namespace dap {

namespace {

constexpr char const* headerend = "\r\n\r\n";
constexpr std::size_t headerendlength = 4;
constexpr char const* lengthfield = "Content-Length:";
constexpr std::size_t maxlengthdigits = 12;

// The value of the last Content-Length field in `header`; false when there is none or its
// value is no decimal number.
bool contentlength(std::string const& header, std::size_t& length) {
  std::size_t at = header.rfind(lengthfield);
  if (at == std::string::npos) return false;
  at += std::strlen(lengthfield);
  while (at < header.size() && header[at] == ' ') ++at;
  std::size_t digits = 0;
  length = 0;
  while (at < header.size() && std::isdigit(static_cast<unsigned char>(header[at]))) {
    if (++digits > maxlengthdigits) return false;
    length = length * 10 + static_cast<std::size_t>(header[at++] - '0');
  }
  if (digits == 0) return false;
  return at == header.size() || header[at] == '\r' || header[at] == ' ';
}

} // namespace

void messagereader::feed(char const* data, std::size_t size) {
  if (!skipping) {
    pending.append(data, size);
    return;
  }
  // A body too large to keep: its bytes are counted off, what follows it is kept.
  std::size_t dropped = size < bodylength ? size : bodylength;
  bodylength -= dropped;
  if (bodylength == 0) skipping = false;
  pending.append(data + dropped, size - dropped);
}

bool messagereader::next(frame& out) {
  if (skipping) return false;
  return inbody ? readbody(out) : readheader(out);
}

bool messagereader::readheader(frame& out) {
  std::size_t end = pending.find(headerend);
  if (end == std::string::npos) {
    if (pending.size() <= maxheaderbytes) return false;
    // No end of a header in sight: all but the last few bytes, which may begin one, go.
    pending.erase(0, pending.size() - (headerendlength - 1));
    out = {framing::badheader, "a header of more than " + std::to_string(maxheaderbytes) +
                                   " bytes without an empty line after it"};
    return true;
  }
  std::string header = pending.substr(0, end);
  pending.erase(0, end + headerendlength);
  if (!contentlength(header, bodylength)) {
    out = {framing::badheader, "a header without a valid Content-Length"};
    return true;
  }
  if (bodylength > maxbodybytes) {
    std::size_t here = pending.size() < bodylength ? pending.size() : bodylength;
    pending.erase(0, here);
    bodylength -= here;
    skipping = bodylength > 0;
    out = {framing::toolarge,
           "a message of more than " + std::to_string(maxbodybytes) + " bytes, skipped"};
    return true;
  }
  inbody = true;
  return readbody(out);
}

bool messagereader::readbody(frame& out) {
  if (pending.size() < bodylength) return false;
  out.kind = framing::message;
  out.text.assign(pending, 0, bodylength);
  pending.erase(0, bodylength);
  inbody = false;
  return true;
}

} // namespace dap
