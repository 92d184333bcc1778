// navigation.cpp - the places of a variable come from what the parser read in each line, so
// that member names, named arguments, texts and keywords that are spelled the same are never
// taken for it. A script of the folder that the editor has open is read from the editor.
#include "navigation.h"

#include <cctype>
#include <memory>

#include "uri.h"

namespace cli::lsp {

namespace {

constexpr std::size_t maxsiblings = 200; // other scripts of the folder searched

// The name under the cursor as the parser read it; null after setting `r`.
nameuse const* nameat(context& ctx, json const& params, reply& r, opendoc*& doc, int& token,
                      position& at) {
  doc = ctx.targetat(params, at, r);
  if (doc == nullptr) return nullptr;
  analysis const& read = ctx.lines(*doc);
  lineinfo const& info = read.lines[static_cast<std::size_t>(at.line)];
  std::string_view text = doc->text.line(static_cast<std::size_t>(at.line));
  token = tokenat(info, utf16offset(text, at.character));
  return token < 0 ? nullptr : useat(info, token);
}

json location(std::string const& uri, json range) {
  return json{{"uri", uri}, {"range", std::move(range)}};
}

// A script to search: the document itself or another script of its folder.
struct searched {
  std::string uri;
  document const* text;
  std::shared_ptr<analysis const> read;
  std::unique_ptr<document> owned; // the text of a script that is not the document
};

// The URI of a script: the editor's own for a document it has open.
std::string uriat(context& ctx, std::string const& path) {
  for (auto const& [uri, doc] : ctx.documents)
    if (doc.path == path) return uri;
  return uriofpath(path);
}

std::vector<searched> scriptsof(context& ctx, opendoc& doc, std::string const& uri) {
  std::vector<searched> scripts;
  scripts.push_back(searched{uri, &doc.text, doc.read, nullptr});
  std::vector<std::string> others = ctx.folders.siblings(doc.path);
  if (others.size() > maxsiblings) others.resize(maxsiblings);
  for (std::string const& path : others) {
    std::shared_ptr<scriptread const> script = ctx.folders.read(path);
    if (script == nullptr) continue;
    auto text = std::make_unique<document>(script->text, 0);
    document const* shown = text.get();
    scripts.push_back(searched{uriat(ctx, path), shown, script->lines, std::move(text)});
  }
  return scripts;
}

std::string const& uriof(json const& params) {
  return path(params, {"textDocument", "uri"})->get_ref<std::string const&>();
}

bool validname(std::string const& name) {
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

// Why `name` cannot be a variable's new name; "" when it can.
std::string refusal(context& ctx, opendoc& doc, std::string const& name) {
  if (!validname(name)) return "'" + name + "' is no name (letters, digits and '_')";
  if (ctx.folders.functions().count(name) > 0)
    return "'" + name + "' is a function: every read of it would call the function";
  if (ctx.folders.scripts(doc.path).count(name) > 0)
    return "'" + name + "' is a script in reach: every read of it would call the script";
  if (isblockword(name)) return "'" + name + "' is a keyword at the start of a line";
  return "";
}

// The token written again under the new name, in its own form (a name, 'quoted', "text").
std::string respelled(placedtoken const& t, std::string const& name) {
  if (t.type == vesk::quotedtoken) return "'" + name + "'";
  if (t.type == vesk::stringtoken) return "\"" + name + "\"";
  return name;
}

} // namespace

reply definition(context& ctx, json const& params) {
  reply r;
  opendoc* doc = nullptr;
  int token = -1;
  position at;
  nameuse const* use = nameat(ctx, params, r, doc, token, at);
  if (use == nullptr) return r;
  if (use->role == namerole::called) {
    std::string script = ctx.folders.scriptpath(doc->path, use->name);
    if (ctx.folders.functions().count(use->name) == 0 && !script.empty())
      r.result = location(uriofpath(script), rangejson(position{}, position{}));
    return r;
  }
  for (searched const& s : scriptsof(ctx, *doc, uriof(params))) {
    place first = firstassignment(*s.read, use->name);
    if (first.line >= 0) {
      r.result = location(s.uri, tokenrange(*s.text, *s.read, first.line, first.token));
      return r;
    }
  }
  return r;
}

reply references(context& ctx, json const& params) {
  reply r;
  opendoc* doc = nullptr;
  int token = -1;
  position at;
  nameuse const* use = nameat(ctx, params, r, doc, token, at);
  if (use == nullptr || use->role == namerole::called) return r;
  json const* contextpart = member(params, "context");
  bool declaration = contextpart == nullptr || boolmember(*contextpart, "includeDeclaration");
  std::string name = use->name;
  r.result = json::array();
  for (searched const& s : scriptsof(ctx, *doc, uriof(params))) {
    place first = firstassignment(*s.read, name);
    for (place p : variableuses(*s.read, name)) {
      if (!declaration && s.uri == uriof(params) && p.line == first.line && p.token == first.token)
        continue;
      r.result.push_back(location(s.uri, tokenrange(*s.text, *s.read, p.line, p.token)));
    }
  }
  return r;
}

reply preparerename(context& ctx, json const& params) {
  reply r;
  opendoc* doc = nullptr;
  int token = -1;
  position at;
  nameuse const* use = nameat(ctx, params, r, doc, token, at);
  if (r.code != 0) return r;
  if (use == nullptr || use->role == namerole::called)
    return failure(errorcode::requestfailed, "only a variable can be renamed");
  r.result = json{{"range", tokenrange(doc->text, *doc->read, at.line, token)},
                  {"placeholder", use->name}};
  return r;
}

reply rename(context& ctx, json const& params) {
  reply r;
  opendoc* doc = nullptr;
  int token = -1;
  position at;
  nameuse const* use = nameat(ctx, params, r, doc, token, at);
  if (r.code != 0) return r;
  std::string const* newname = stringmember(params, "newName");
  if (newname == nullptr) return failure(errorcode::invalidparams, "newName is missing");
  if (use == nullptr || use->role == namerole::called)
    return failure(errorcode::requestfailed, "only a variable can be renamed");
  std::string refused = refusal(ctx, *doc, *newname);
  if (!refused.empty()) return failure(errorcode::requestfailed, "not renamed: " + refused);
  std::string name = use->name;
  json changes = json::object();
  for (searched const& s : scriptsof(ctx, *doc, uriof(params))) {
    json edits = json::array();
    for (place p : variableuses(*s.read, name)) {
      placedtoken const& t =
          s.read->lines[static_cast<std::size_t>(p.line)].tokens[static_cast<std::size_t>(p.token)];
      if (t.text != name) continue;
      edits.push_back(json{{"range", tokenrange(*s.text, *s.read, p.line, p.token)},
                           {"newText", respelled(t, *newname)}});
    }
    if (!edits.empty()) changes[s.uri] = std::move(edits);
  }
  r.result = json{{"changes", std::move(changes)}};
  return r;
}

} // namespace cli::lsp
