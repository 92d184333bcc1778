// documents.h - the texts the editor has open, as it sent them: each kept whole with the
// offsets where its lines begin, changed in place by the ranges of incremental changes.
// Positions are the protocol's: a line and a count of UTF-16 code units within it (a byte
// that is no part of valid UTF-8 counts as one unit). Lines end at LF, as the engine cuts them.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace cli::lsp {

struct position {
  long long line = 0;
  long long character = 0;
};

class document {
public:
  document(std::string text, long long version);

  std::string const& text() const { return content; }
  long long version() const { return number; }
  std::size_t linecount() const { return starts.size(); }
  // Line `line` without its LF (and the CR before one).
  std::string_view line(std::size_t line) const;
  // The byte offset of a position; a character past its line's end counts as the end.
  std::size_t offset(position at) const;
  position positionof(std::size_t offset) const;
  // The end of the text, as a position.
  position end() const { return positionof(content.size()); }

  // Replaces the text between two positions (start before end) by `text`.
  void replace(position from, position to, std::string_view text, long long version);
  void settext(std::string text, long long version);

private:
  void index();

  std::string content;
  std::vector<std::size_t> starts; // where each line begins
  long long number;
};

// UTF-16 code units of `text` (see document).
long long utf16units(std::string_view text);
// The byte offset within `text` after `units` UTF-16 code units, at most text.size().
std::size_t utf16offset(std::string_view text, long long units);

} // namespace cli::lsp
