// uri.cpp - percent escapes both ways; "file://HOST/path" with an empty host or "localhost",
// and a drive letter after the slash ("/c:/...") taken as a Windows path.
#include "uri.h"

#include <cctype>
#include <cstring>

namespace cli::lsp {

namespace {

constexpr char const* scheme = "file://";
constexpr char const* hexdigits = "0123456789ABCDEF";

int hexvalue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

bool unreserved(unsigned char c) {
  return std::isalnum(c) || strchr("-._~/", c) != nullptr;
}

} // namespace

std::string pathofuri(std::string const& uri) {
  std::size_t length = strlen(scheme);
  if (uri.compare(0, length, scheme) != 0) return "";
  std::size_t slash = uri.find('/', length);
  if (slash == std::string::npos) return "";
  std::string host = uri.substr(length, slash - length);
  if (!host.empty() && host != "localhost") return "";
  std::string path;
  for (std::size_t i = slash; i < uri.size(); ++i) {
    int high = 0, low = 0;
    if (uri[i] == '%' && i + 2 < uri.size() && (high = hexvalue(uri[i + 1])) >= 0 &&
        (low = hexvalue(uri[i + 2])) >= 0) {
      path += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      path += uri[i];
    }
  }
  if (path.find('\0') != std::string::npos) return "";
  bool drive =
      path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[1])) && path[2] == ':';
  return drive ? path.substr(1) : path;
}

std::string uriofpath(std::string const& path) {
  std::string uri = scheme;
  if (!path.empty() && path[0] != '/') uri += '/';
  for (char c : path) {
    unsigned char byte = static_cast<unsigned char>(c == '\\' ? '/' : c);
    if (unreserved(byte)) {
      uri += static_cast<char>(byte);
    } else {
      uri += '%';
      uri += hexdigits[byte >> 4];
      uri += hexdigits[byte & 15];
    }
  }
  return uri;
}

} // namespace cli::lsp
