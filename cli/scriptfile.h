// scriptfile.h - finding the script file named on the command line, as the engine would find
// a script of that name: NAME.vk in the working directory, then in each -I directory. Only a
// regular file is a script; a folder, FIFO or device of that name is reported, never opened.
#pragma once

#include <string>
#include <vector>

namespace cli {

// The longest path the engine keeps as a script's name; scripts it calls are looked for
// beside that name, so a longer one is refused rather than cut.
constexpr std::size_t maxscriptpath = 127;

// Finds the script `target` (its ".vk" may be left out) and sets `path` to the file, joined
// with `separator` when found in a directory. False with the reason in `problem` (a message
// without "vesk: ") when there is no such regular file.
bool findscript(char const* target, std::vector<char const*> const& directories, char separator,
                std::string& path, std::string& problem);

} // namespace cli
