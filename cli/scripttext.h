// scripttext.h - the text of the script that vesk runs itself: the file named on the command
// line or standard input. Read whole up to a bound, then cut into lines as the engine cuts a
// script file; the lines point into the text.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// The most bytes a script may have; more on standard input (endless input, or a device) is
// refused with a message naming the bound.
constexpr std::size_t maxscriptbytes = std::size_t{64} << 20;
constexpr char const* maxscriptsize = "64 MiB";

enum class readstatus { complete, failed, toolarge, nulbyte };

// Reads `stream` to its end, or up to `limit` bytes, into `text`, as it is.
readstatus readtext(FILE* stream, std::string& text, std::size_t limit = maxscriptbytes);

// Cuts `text` into lines in place as the engine cuts a script file: every LF (and a CR before
// one) becomes a NUL, a byte-order mark before the first line is skipped, and `lines` points
// at each line in `text`.
void cutlines(std::string& text, std::vector<char const*>& lines);

// Reads `stream` to its end, or up to `limit` bytes, into `text` and points `lines` at each
// line in it, newlines (and a carriage return before one) removed, a byte-order mark before
// the first line skipped; a last line without a newline counts whole. `failed` when reading fails,
// `toolarge` when the stream holds more than `limit` bytes; `lines` then holds what was read
// before. `nulbyte` when a line holds a NUL byte, which would end it early without a word:
// `lines` then holds the lines before it, so that it is line lines.size() + 1.
readstatus readlines(FILE* stream, std::string& text, std::vector<char const*>& lines,
                     std::size_t limit = maxscriptbytes);

} // namespace cli
