// documents.cpp - line offsets and the conversion between UTF-16 positions and bytes.
#include "documents.h"

#include <algorithm>

namespace cli::lsp {

namespace {

// The bytes of the UTF-8 sequence starting at text[i] when it is valid, else 1; `units` the
// UTF-16 code units it stands for.
std::size_t sequence(std::string_view text, std::size_t i, int& units) {
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  units = 1;
  std::size_t length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 1;
  if (length == 1 || i + length > text.size()) return 1;
  for (std::size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 1;
  // Overlong forms and surrogates are no valid UTF-8.
  if ((lead == 0xE0 && byte(i + 1) < 0xA0) || (lead == 0xED && byte(i + 1) >= 0xA0) ||
      (lead == 0xF0 && byte(i + 1) < 0x90) || (lead == 0xF4 && byte(i + 1) >= 0x90))
    return 1;
  if (length == 4) units = 2;
  return length;
}

} // namespace

long long utf16units(std::string_view text) {
  long long units = 0;
  for (std::size_t i = 0; i < text.size();) {
    int n = 0;
    i += sequence(text, i, n);
    units += n;
  }
  return units;
}

std::size_t utf16offset(std::string_view text, long long units) {
  std::size_t i = 0;
  while (i < text.size() && units > 0) {
    int n = 0;
    std::size_t length = sequence(text, i, n);
    i += length;
    units -= n;
  }
  return i;
}

document::document(std::string text, long long version)
    : content(std::move(text)), number(version) {
  index();
}

void document::index() {
  starts.assign(1, 0);
  for (std::size_t at = content.find('\n'); at != std::string::npos;
       at = content.find('\n', at + 1))
    starts.push_back(at + 1);
}

std::string_view document::line(std::size_t line) const {
  if (line >= starts.size()) return {};
  std::size_t from = starts[line];
  std::size_t to = line + 1 < starts.size() ? starts[line + 1] - 1 : content.size();
  if (to > from && line + 1 < starts.size() && content[to - 1] == '\r') --to;
  return std::string_view(content).substr(from, to - from);
}

std::size_t document::offset(position at) const {
  if (at.line < 0) return 0;
  if (static_cast<std::size_t>(at.line) >= starts.size()) return content.size();
  std::size_t line = static_cast<std::size_t>(at.line);
  return starts[line] + utf16offset(this->line(line), at.character);
}

position document::positionof(std::size_t offset) const {
  offset = std::min(offset, content.size());
  auto after = std::upper_bound(starts.begin(), starts.end(), offset);
  std::size_t line = static_cast<std::size_t>(after - starts.begin()) - 1;
  std::string_view text(content);
  std::size_t from = starts[line];
  return position{static_cast<long long>(line), utf16units(text.substr(from, offset - from))};
}

void document::replace(position from, position to, std::string_view text, long long version) {
  std::size_t start = offset(from), stop = offset(to);
  if (stop < start) std::swap(start, stop);
  content.replace(start, stop - start, text);
  number = version;
  index();
}

void document::settext(std::string text, long long version) {
  content = std::move(text);
  number = version;
  index();
}

} // namespace cli::lsp
