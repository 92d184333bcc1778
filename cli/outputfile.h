// outputfile.h - the files vesk writes its reports to (--coverage, --profile=FILE, the history
// of the prompt): named by absolute paths when the command starts, checked against the files
// it must not replace, and written whole to a file beside them that then takes their place, so
// that a write that fails leaves the earlier file as it was.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace cli {

// `path` made absolute against the working folder now, without "." and ".." steps; unchanged
// when that fails.
std::string absolutepath(char const* path);

// Whether the two paths name one existing file (through links too).
bool samefile(std::string const& one, std::string const& other);

// Whether the file at `path` is one the report may replace without being asked: it does not
// exist, is empty, is no regular file (a device, a FIFO), or its first line begins with one of
// `starts`. False also when it cannot be read.
bool replaceable(std::string const& path, std::vector<char const*> const& starts);

// Writes the file at `path` through `write`, which returns false when it gave up. A regular
// file (or a new one) is written to a temporary file in the same folder, which then replaces it;
// a device or FIFO is written in place. False with the reason in `problem` when anything failed
// to reach the file; the earlier file is then left untouched.
bool replacefile(std::string const& path, std::function<bool(FILE*)> const& write,
                 std::string& problem);

} // namespace cli
