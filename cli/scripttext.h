// standardinput.h - the script given on standard input ("vesk -", or no script with standard
// input that is no terminal): read whole, then cut into lines as the engine cuts a script file.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cli {

// Reads `stream` to its end into `text` and points `lines` at each line in it, newlines (and a
// carriage return before one) removed; a last line without a newline counts whole. False when
// reading fails; `lines` then holds what was read before.
bool readlines(FILE* stream, std::string& text, std::vector<char const*>& lines);

} // namespace cli
