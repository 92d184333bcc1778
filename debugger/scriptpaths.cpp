// scriptpaths.cpp - normalising script names and paths to compare them; see scriptpaths.h.
#include "scriptpaths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace dap {

namespace {

std::filesystem::path normalised(std::string const& name) {
  std::error_code failed;
  std::filesystem::path absolute = std::filesystem::absolute(name, failed);
  if (failed) return std::filesystem::path(name).lexically_normal();
  return absolute.lexically_normal();
}

} // namespace

std::string scriptkey(std::string const& name) {
  std::string key = normalised(name).string();
#if defined(_WIN32)
  std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) {
    return static_cast<char>(c == '/' ? '\\' : std::tolower(c));
  });
#endif
  return key;
}

std::string clientpath(std::string const& name) {
  std::filesystem::path path = normalised(name);
  std::error_code failed;
  return std::filesystem::is_regular_file(path, failed) ? path.string() : std::string();
}

std::string basename(std::string const& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace dap
