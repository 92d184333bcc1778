// scriptfile.cpp - the lookup of the script named on the command line, through the standard
// file-system library, so that a path is classified before anything opens it (opening a FIFO
// waits for a writer; a folder opens and reads as nothing).
#include "scriptfile.h"

#include <filesystem>
#include <system_error>

namespace cli {

namespace {

namespace fs = std::filesystem;

constexpr char const* extension = ".vk";

// What a path that exists but is no regular file is, for messages.
char const* kindof(fs::file_status const& status) {
  switch (status.type()) {
  case fs::file_type::directory: return "a folder";
  case fs::file_type::fifo: return "a FIFO";
  case fs::file_type::block:
  case fs::file_type::character: return "a device";
  case fs::file_type::socket: return "a socket";
  default: return "no regular file";
  }
}

fs::file_status statusof(std::string const& path) {
  std::error_code ignored;
  return fs::status(path, ignored);
}

bool endswithextension(std::string const& name) {
  std::size_t n = std::char_traits<char>::length(extension);
  return name.size() > n && name.compare(name.size() - n, n, extension) == 0;
}

} // namespace

bool findscript(char const* target, std::vector<char const*> const& directories, char separator,
                std::string& path, std::string& problem) {
  std::string name = target;
  if (!endswithextension(name)) name += extension;
  std::vector<std::string> candidates{name};
  for (char const* directory : directories)
    candidates.push_back(std::string(directory) + separator + name);
  std::string notafile; // the first candidate that exists but is no regular file
  for (std::string const& candidate : candidates) {
    fs::file_status status = statusof(candidate);
    if (fs::is_regular_file(status)) {
      if (candidate.size() > maxscriptpath) {
        problem = "script path '" + candidate + "' longer than " +
                  std::to_string(maxscriptpath) + " characters";
        return false;
      }
      path = candidate;
      return true;
    }
    if (notafile.empty() && fs::exists(status))
      notafile = "script '" + candidate + "' is " + kindof(status) + ", not a file";
  }
  if (!notafile.empty()) {
    problem = notafile;
    return false;
  }
  problem = std::string("script '") + target + "' not found";
  fs::file_status given = statusof(target);
  if (name != target && fs::exists(given))
    problem += std::string(" ('") + target + "' is " +
               (fs::is_regular_file(given) ? "a file" : kindof(given)) +
               "; a script is a file NAME.vk)";
  return false;
}

} // namespace cli
