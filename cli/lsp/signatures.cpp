// signatures.cpp - finding the innermost call around the cursor from the calls the parser
// read in its line: in parentheses its arguments end at the matching ")", without them at the
// end of the line. The argument the cursor is in is counted by the commas before it, or found
// by its name when it is written "NAME = ...".
#include "signatures.h"

#include "builtindocs.h"
#include "scriptinfo.h"

namespace cli::lsp {

namespace {

struct callspan {
  int call = -1;       // the token of the called name
  int first = 0;       // the first token of its arguments
  std::size_t end = 0; // where its arguments end (byte offset)
};

// The call whose arguments hold the cursor, innermost first.
callspan callaround(lineinfo const& info, std::size_t linelength, std::size_t cursor) {
  callspan best;
  std::vector<placedtoken> const& tokens = info.tokens;
  int count = static_cast<int>(tokens.size());
  for (nameuse const& use : info.facts.names) {
    int k = use.token;
    if (use.role != namerole::called || tokens[static_cast<std::size_t>(k)].to >= cursor) continue;
    callspan span{k, k + 1, linelength};
    if (k + 1 < count && ischar(tokens[static_cast<std::size_t>(k + 1)], '(')) {
      span.first = k + 2;
      int depth = 0;
      for (int i = k + 1; i < count; ++i) {
        placedtoken const& t = tokens[static_cast<std::size_t>(i)];
        if (ischar(t, '(')) ++depth;
        if (ischar(t, ')') && --depth == 0) {
          span.end = t.from;
          break;
        }
      }
      if (cursor <= tokens[static_cast<std::size_t>(k + 1)].from) continue;
    }
    if (cursor <= span.end && k > best.call) best = span;
  }
  return best;
}

// The argument the cursor is in: commas at the call's own depth before the cursor, or the
// parameter an argument "NAME =" names.
int activeargument(lineinfo const& info, callspan const& span, std::size_t cursor,
                   std::vector<std::string> const& parameters) {
  std::vector<placedtoken> const& tokens = info.tokens;
  int argument = 0, depth = 0;
  std::size_t argstart = static_cast<std::size_t>(span.first);
  for (std::size_t i = argstart; i < tokens.size() && tokens[i].to <= cursor; ++i) {
    if (ischar(tokens[i], '(') || ischar(tokens[i], '[') || ischar(tokens[i], '{')) ++depth;
    if (ischar(tokens[i], ')') || ischar(tokens[i], ']') || ischar(tokens[i], '}')) --depth;
    if (depth == 0 && ischar(tokens[i], ',')) {
      ++argument;
      argstart = i + 1;
    }
  }
  if (argstart + 1 < tokens.size() && tokens[argstart].type == vesk::nametoken &&
      tokens[argstart + 1].type == vesk::assigntoken)
    for (std::size_t p = 0; p < parameters.size(); ++p)
      if (parameters[p] == tokens[argstart].text) return static_cast<int>(p);
  return argument;
}

} // namespace

bool signatureof(context& ctx, opendoc& doc, std::string const& name, std::string& label,
                 std::vector<std::string>& parameters, std::string& description) {
  parameters.clear();
  description.clear();
  if (ctx.libraryof.count(name) == 0 && ctx.folders.functions().count(name) > 0) {
    builtindoc const* builtin = findbuiltin(name);
    if (builtin == nullptr) return false;
    label = builtin->signature;
    parameters = parametersof(builtin->signature);
    description = builtin->summary;
    return true;
  }
  if (ctx.folders.functions().count(name) > 0) {
    label = name + "(...)";
    description = "function of " + ctx.libraryof[name];
    return true;
  }
  std::string path = ctx.folders.scriptpath(doc.path, name);
  std::shared_ptr<scriptread const> script = path.empty() ? nullptr : ctx.folders.read(path);
  if (script == nullptr) return false;
  parameters = parametersread(*script->lines);
  label = name + "(";
  for (std::size_t i = 0; i < parameters.size(); ++i) label += (i > 0 ? ", " : "") + parameters[i];
  label += ")";
  description = leadingcomment(script->text);
  if (description.empty()) description = "script " + path;
  return true;
}

reply signaturehelp(context& ctx, json const& params) {
  reply r;
  position at;
  opendoc* doc = ctx.targetat(params, at, r);
  if (doc == nullptr) return r;
  analysis const& read = ctx.lines(*doc);
  std::size_t line = static_cast<std::size_t>(at.line);
  lineinfo const& info = read.lines[line];
  std::string_view text = doc->text.line(line);
  std::size_t cursor = utf16offset(text, at.character);
  callspan span = callaround(info, text.size(), cursor);
  if (span.call < 0) return r;
  std::string name = info.tokens[static_cast<std::size_t>(span.call)].text;
  std::string label, description;
  std::vector<std::string> parameters;
  if (!signatureof(ctx, *doc, name, label, parameters, description)) return r;
  json labels = json::array();
  for (std::string const& p : parameters) labels.push_back(json{{"label", p}});
  int active = activeargument(info, span, cursor, parameters);
  r.result =
      json{{"signatures",
            json::array(
                {json{{"label", label}, {"documentation", description}, {"parameters", labels}}})},
           {"activeSignature", 0},
           {"activeParameter", active}};
  return r;
}

} // namespace cli::lsp
