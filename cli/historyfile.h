// historyfile.h - the file that keeps the history of the prompt between sessions, in the form
// the line editing library reads: a first line "_HiStOrY_V2_", then one entry per line, oldest
// first, each byte that is no visible ASCII character (and the backslash) written as an escape.
// vesk reads the file itself and hands the library only entries that decoded cleanly; it never
// writes an entry that the library's own reader would overrun its buffer on.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace cli {

// The longest line of an entry, as written, that the library's reader takes back: it decodes
// each line into a buffer of 1024 bytes and writes past it for a line that fills it.
constexpr std::size_t longesthistoryline = 1023;

// A history file larger than this is none that vesk wrote (at most 1000 entries of at most
// longesthistoryline bytes); it is not read.
constexpr std::size_t maxhistorybytes = std::size_t{4} << 20;

// The entries of the history file at `path` (see readhistory); none when it cannot be read or is
// larger than maxhistorybytes.
std::vector<std::string> loadhistory(std::string const& path);

// The entries of the text of a history file, oldest first. Without the first line the text is
// no history (no entries); a line that does not decode, or decodes to an empty entry or to one
// holding a NUL or a line break, is skipped.
std::vector<std::string> readhistory(std::string const& text);

// The text of a history file holding `entries`, less those whose line would be longer than
// longesthistoryline.
std::string writehistory(std::vector<std::string> const& entries);

// One entry as a line, and back; false when `line` is no entry.
std::string encodehistory(std::string const& entry);
bool decodehistory(std::string const& line, std::string& entry);

} // namespace cli
