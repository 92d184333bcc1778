// context.h - what every request of the language server works with: the open documents (the
// editor's texts, each read once per change), the scripts around them, the engine, what the
// client can show, and the replies a request gives: a result, or an error code and message.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "analysis.h"
#include "documents.h"
#include "enginelink.h"
#include "jsonaccess.h"
#include "workspace.h"

namespace cli::lsp {

// The error codes of the protocol.
namespace errorcode {
constexpr int parse = -32700;
constexpr int invalidrequest = -32600;
constexpr int methodnotfound = -32601;
constexpr int invalidparams = -32602;
constexpr int internal = -32603;
constexpr int notinitialized = -32002;
constexpr int requestfailed = -32803;
} // namespace errorcode

struct reply {
  json result;  // null unless set
  int code = 0; // not 0: an error
  std::string message;
};

reply failure(int code, std::string message);

// What the client said it can show.
struct clientcaps {
  bool snippets = false;  // completion items with placeholders
  bool markdown = false;  // hover text as Markdown
  bool hierarchy = false; // document symbols as a tree
};

struct opendoc {
  document text;
  std::string path;              // "" when the document is no file
  unsigned long long generation; // changes with every change of the text
  std::shared_ptr<analysis const> read;
  unsigned long long readgeneration = 0;
};

class context {
public:
  context(workspace& folders, enginelink& engine) : folders(folders), engine(engine) {}

  std::map<std::string, opendoc> documents; // by URI
  workspace& folders;
  enginelink& engine;
  clientcaps caps;
  std::map<std::string, std::string> libraryof; // function name -> the library that has it
  unsigned long long generations = 0;

  // The open document that params.textDocument.uri names; null after setting `error`.
  opendoc* target(json const& params, reply& error);
  // The document and params.position in it; false after setting `error` (a line past the
  // end is an error; a character past its line's end stands for the end).
  opendoc* targetat(json const& params, position& at, reply& error);
  // How the document reads, in its current text.
  analysis const& lines(opendoc& doc);
  // The open document at `path`, if any.
  opendoc* openat(std::string const& path);
};

// A position and a range in the protocol's form.
json positionjson(position at);
json rangejson(position from, position to);
// The range of bytes [from, to) of line `line` of `text`.
json linerange(document const& text, int line, std::size_t from, std::size_t to);
// The range of a token of a line.
json tokenrange(document const& text, analysis const& read, int line, int token);

// Reads a position from a JSON object; false when it is no position.
bool readposition(json const& value, position& at);

} // namespace cli::lsp
