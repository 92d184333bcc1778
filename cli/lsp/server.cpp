// server.cpp - reading each message as JSON, answering requests by the table of handlers and
// taking notifications in; anything malformed gets the protocol's error instead of a result.
#include "server.h"

#include <algorithm>

#include "diagnostics.h"
#include "formatting.h"
#include "highlights.h"
#include "hover.h"
#include "navigation.h"
#include "offers.h"
#include "outline.h"
#include "signatures.h"
#include "uri.h"
#include "vesk.h"

namespace cli::lsp {

namespace {

constexpr auto farahead = std::chrono::hours(1);
constexpr int syncincremental = 2;

using handler = reply (*)(context&, json const&);

struct route {
  char const* method;
  handler handle;
};
constexpr route routes[] = {
    {"textDocument/completion", completion},
    {"textDocument/signatureHelp", signaturehelp},
    {"textDocument/hover", hover},
    {"textDocument/definition", definition},
    {"textDocument/references", references},
    {"textDocument/prepareRename", preparerename},
    {"textDocument/rename", rename},
    {"textDocument/documentSymbol", documentsymbols},
    {"textDocument/foldingRange", foldingranges},
    {"textDocument/formatting", formatdocument},
    {"textDocument/rangeFormatting", formatrange},
    {"textDocument/semanticTokens/full", semantictokens},
};

json capabilities() {
  return json{
      {"textDocumentSync",
       {{"openClose", true}, {"change", syncincremental}, {"save", {{"includeText", false}}}}},
      {"completionProvider", {{"triggerCharacters", {"."}}, {"resolveProvider", false}}},
      {"signatureHelpProvider", {{"triggerCharacters", {"(", ",", " "}}}},
      {"hoverProvider", true},
      {"definitionProvider", true},
      {"referencesProvider", true},
      {"renameProvider", {{"prepareProvider", true}}},
      {"documentSymbolProvider", true},
      {"foldingRangeProvider", true},
      {"documentFormattingProvider", true},
      {"documentRangeFormattingProvider", true},
      {"semanticTokensProvider", {{"legend", highlightlegend()}, {"full", true}}}};
}

bool validid(json const& id) {
  return id.is_string() || id.is_number_integer();
}

} // namespace

server::server(enginelink& engine, serversetup setup, std::function<void(std::string const&)> send)
    : folders(std::move(setup.includes), std::move(setup.functions),
              [this](std::string const& path) {
                opendoc* doc = ctx.openat(path);
                return doc == nullptr ? opentext{} : opentext{&doc->text.text(), doc->generation};
              }),
      ctx(folders, engine), sender(std::move(send)) {
  ctx.libraryof = std::move(setup.libraryof);
}

void server::send(json const& message) {
  sender(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void server::respond(json const& id, reply const& r) {
  json message{{"jsonrpc", "2.0"}, {"id", id}};
  if (r.code != 0)
    message["error"] = json{{"code", r.code}, {"message", r.message}};
  else
    message["result"] = r.result;
  send(message);
}

void server::unreadable(frame what) {
  reply r = failure(errorcode::parse, what == frame::toolarge
                                          ? "message larger than 128 MiB, passed over"
                                          : "malformed message header (Content-Length)");
  respond(json(), r);
}

void server::receive(std::string const& body, clock::time_point now) {
  json message = json::parse(body, nullptr, false);
  if (message.is_discarded()) {
    respond(json(), failure(errorcode::parse, "the message is no JSON"));
    return;
  }
  json const* id = member(message, "id");
  std::string const* method = stringmember(message, "method");
  if (method == nullptr) {
    // A response to a request of ours (the server sends none) is passed over.
    if (id == nullptr ||
        (member(message, "result") == nullptr && member(message, "error") == nullptr))
      respond(id != nullptr && validid(*id) ? *id : json(),
              failure(errorcode::invalidrequest, "a message needs a method"));
    return;
  }
  json const* given = member(message, "params");
  json params = given != nullptr ? *given : json::object();
  if (id == nullptr) {
    notification(*method, params, now);
    return;
  }
  if (!validid(*id)) {
    respond(json(), failure(errorcode::invalidrequest, "the id is neither a number nor a text"));
    return;
  }
  reply r;
  try {
    r = request(*method, params);
  } catch (json::exception const& e) { // a handler read a part of the message it did not check
    r = failure(errorcode::internal, e.what());
  }
  respond(*id, r);
}

reply server::request(std::string const& method, json const& params) {
  if (method == "initialize") return initialize(params);
  if (state == phase::waiting) return failure(errorcode::notinitialized, "initialize comes first");
  if (state != phase::running) return failure(errorcode::invalidrequest, "the server shut down");
  if (method == "shutdown") {
    state = phase::shuttingdown;
    shutdownseen = true;
    return reply{};
  }
  for (route const& r : routes)
    if (method == r.method) return r.handle(ctx, params);
  return failure(errorcode::methodnotfound, "unknown method " + method);
}

reply server::initialize(json const& params) {
  if (state != phase::waiting) return failure(errorcode::invalidrequest, "initialized already");
  state = phase::running;
  json const* text = path(params, {"capabilities", "textDocument"});
  json none;
  json const& caps = text != nullptr ? *text : none;
  json const* item = path(caps, {"completion", "completionItem"});
  ctx.caps.snippets = item != nullptr && boolmember(*item, "snippetSupport");
  json const* formats = path(caps, {"hover", "contentFormat"});
  ctx.caps.markdown =
      formats != nullptr && formats->is_array() &&
      std::find(formats->begin(), formats->end(), json("markdown")) != formats->end();
  json const* symbols = member(caps, "documentSymbol");
  ctx.caps.hierarchy =
      symbols != nullptr && boolmember(*symbols, "hierarchicalDocumentSymbolSupport");
  reply r;
  r.result = json{{"capabilities", capabilities()},
                  {"serverInfo", {{"name", "vesk"}, {"version", vesk::version()}}}};
  return r;
}

void server::notification(std::string const& method, json const& params, clock::time_point now) {
  if (method == "exit") {
    state = phase::exited;
    return;
  }
  if (state != phase::running) return;
  try {
    if (method == "textDocument/didOpen") opened(params, now);
    if (method == "textDocument/didChange") changed(params, now);
    if (method == "textDocument/didSave") saved(params, now);
    if (method == "textDocument/didClose") closed(params);
    if (method == "workspace/didChangeWatchedFiles") saved(json::object(), now);
  } catch (json::exception const&) {
    // A notification has no answer: one the server cannot read changes nothing.
  }
}

void server::opened(json const& params, clock::time_point now) {
  json const* item = member(params, "textDocument");
  std::string const* uri = item != nullptr ? stringmember(*item, "uri") : nullptr;
  std::string const* text = item != nullptr ? stringmember(*item, "text") : nullptr;
  if (uri == nullptr || text == nullptr) return;
  long long version = 0;
  intmember(*item, "version", version, -2147483648LL);
  ctx.documents.erase(*uri);
  ctx.documents.emplace(
      *uri, opendoc{document(*text, version), pathofuri(*uri), ++ctx.generations, nullptr, 0});
  pending[*uri] = now;
}

void server::changed(json const& params, clock::time_point now) {
  reply error;
  opendoc* doc = ctx.target(params, error);
  json const* changes = member(params, "contentChanges");
  if (doc == nullptr || changes == nullptr || !changes->is_array()) return;
  long long version = doc->text.version();
  intmember(*member(params, "textDocument"), "version", version, -2147483648LL);
  for (json const& change : *changes) {
    std::string const* text = stringmember(change, "text");
    if (text == nullptr) continue;
    json const* range = member(change, "range");
    position from, to;
    if (range != nullptr && member(*range, "start") != nullptr &&
        member(*range, "end") != nullptr && readposition(*member(*range, "start"), from) &&
        readposition(*member(*range, "end"), to))
      doc->text.replace(from, to, *text, version);
    else if (range == nullptr)
      doc->text.settext(*text, version);
  }
  doc->generation = ++ctx.generations;
  pending[path(params, {"textDocument", "uri"})->get<std::string>()] = now + debounce;
}

// A saved file may be a script the others call: the documents of its folder are checked again.
void server::saved(json const& params, clock::time_point now) {
  folders.forget();
  reply ignored;
  opendoc* doc = ctx.target(params, ignored);
  std::string folder = doc != nullptr ? folderof(doc->path) : "";
  for (auto const& [uri, open] : ctx.documents)
    if (doc == nullptr || folderof(open.path) == folder) pending[uri] = now;
}

void server::closed(json const& params) {
  json const* uri = path(params, {"textDocument", "uri"});
  if (uri == nullptr || !uri->is_string()) return;
  std::string name = uri->get<std::string>();
  if (ctx.documents.erase(name) == 0) return;
  pending.erase(name);
  publish(name, json::array(), json());
}

void server::publish(std::string const& uri, json diagnostics, json version) {
  json params{{"uri", uri}, {"diagnostics", std::move(diagnostics)}};
  if (!version.is_null()) params["version"] = version;
  send(json{{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", params}});
}

clock::time_point server::due() const {
  clock::time_point next = clock::now() + farahead;
  for (auto const& [uri, when] : pending)
    if (when < next) next = when;
  return next;
}

void server::publishdue(clock::time_point now) {
  for (auto it = pending.begin(); it != pending.end();) {
    auto doc = ctx.documents.find(it->first);
    if (it->second > now || doc == ctx.documents.end()) {
      it = doc == ctx.documents.end() ? pending.erase(it) : std::next(it);
      continue;
    }
    publish(it->first, diagnosticsof(ctx, doc->second), doc->second.text.version());
    it = pending.erase(it);
  }
}

} // namespace cli::lsp
