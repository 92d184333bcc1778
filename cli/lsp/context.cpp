// context.cpp - finding the document and position a request is about, reading a document
// again only when its text changed, and turning byte offsets into protocol positions.
#include "context.h"

namespace cli::lsp {

reply failure(int code, std::string message) {
  reply r;
  r.code = code;
  r.message = std::move(message);
  return r;
}

opendoc* context::target(json const& params, reply& error) {
  json const* uri = path(params, {"textDocument", "uri"});
  if (uri == nullptr || !uri->is_string()) {
    error = failure(errorcode::invalidparams, "textDocument.uri is missing");
    return nullptr;
  }
  std::string const& name = uri->get_ref<std::string const&>();
  auto found = documents.find(name);
  if (found == documents.end()) {
    error = failure(errorcode::invalidparams, "the document is not open: " + name);
    return nullptr;
  }
  return &found->second;
}

opendoc* context::targetat(json const& params, position& at, reply& error) {
  opendoc* doc = target(params, error);
  if (doc == nullptr) return nullptr;
  json const* where = member(params, "position");
  if (where == nullptr || !readposition(*where, at)) {
    error = failure(errorcode::invalidparams, "position is missing or no position");
    return nullptr;
  }
  if (static_cast<std::size_t>(at.line) >= doc->text.linecount()) {
    error = failure(errorcode::invalidparams, "position past the end of the document");
    return nullptr;
  }
  return doc;
}

analysis const& context::lines(opendoc& doc) {
  if (doc.read == nullptr || doc.readgeneration != doc.generation) {
    std::set<std::string> scripts = folders.scripts(doc.path);
    reachjudge judge(folders.functions(), scripts);
    doc.read = analyse(doc.text.text(), judge);
    doc.readgeneration = doc.generation;
  }
  return *doc.read;
}

opendoc* context::openat(std::string const& path) {
  if (path.empty()) return nullptr;
  for (auto& [uri, doc] : documents)
    if (doc.path == path) return &doc;
  return nullptr;
}

bool readposition(json const& value, position& at) {
  return intmember(value, "line", at.line) && intmember(value, "character", at.character);
}

json positionjson(position at) {
  return json{{"line", at.line}, {"character", at.character}};
}

json rangejson(position from, position to) {
  return json{{"start", positionjson(from)}, {"end", positionjson(to)}};
}

json linerange(document const& text, int line, std::size_t from, std::size_t to) {
  std::string_view written = text.line(static_cast<std::size_t>(line));
  from = from < written.size() ? from : written.size();
  to = to < written.size() ? to : written.size();
  return rangejson(position{line, utf16units(written.substr(0, from))},
                   position{line, utf16units(written.substr(0, to))});
}

json tokenrange(document const& text, analysis const& read, int line, int token) {
  placedtoken const& t =
      read.lines[static_cast<std::size_t>(line)].tokens[static_cast<std::size_t>(token)];
  return linerange(text, line, t.from, t.to);
}

} // namespace cli::lsp
