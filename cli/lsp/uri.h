// uri.h - the file: URIs by which the protocol names documents, and the paths they stand for.
#pragma once

#include <string>

namespace cli::lsp {

// The path of a file: URI (percent escapes decoded); "" for any other URI.
std::string pathofuri(std::string const& uri);

// The file: URI of an absolute path.
std::string uriofpath(std::string const& path);

} // namespace cli::lsp
