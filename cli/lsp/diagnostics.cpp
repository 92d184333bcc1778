// diagnostics.cpp - running the check on a document in its own folder, and placing each
// report: the check names a line; the token is the one where the parser stopped reading that
// line (for a failure of it), else the name or keyword the report quotes, else the whole line.
#include "diagnostics.h"

#include <cstring>
#include <filesystem>
#include <set>

#include "scripttext.h"

namespace cli::lsp {

namespace {

constexpr int severityerror = 1, severitywarning = 2;
constexpr char const* untitled = "untitled.vk"; // the name of a document that is no file
constexpr char const* source = "vesk";

// The words a block report is recognised by.
constexpr char const* blockwords[] = {"not terminated", "without", "outside '", "inside '",
                                      "second '"};

std::string codeof(finding const& f, bool failure) {
  if (f.warning)
    return f.text.rfind("assignment to ", 0) == 0 ? "assigns-callable" : "unknown-name";
  if (failure) return "syntax";
  for (char const* word : blockwords)
    if (f.text.find(word) != std::string::npos) return "block";
  return "syntax";
}

// The first token of the line that a report quotes ('NAME'), or -1.
int quotedtoken(lineinfo const& line, std::string const& text) {
  for (std::size_t open = text.find('\''); open != std::string::npos;) {
    std::size_t close = text.find('\'', open + 1);
    if (close == std::string::npos) break;
    std::string word = text.substr(open + 1, close - open - 1);
    for (std::size_t i = 0; i < line.tokens.size(); ++i) {
      placedtoken const& t = line.tokens[i];
      bool named = t.type == vesk::nametoken || t.type == vesk::quotedtoken;
      if (named && t.text == word) return static_cast<int>(i);
    }
    open = text.find('\'', close + 1);
  }
  return -1;
}

// Only the lines reported on are read (a large document has few of them).
json diagnostic(document const& text, namejudge& judge, finding const& f) {
  int last = static_cast<int>(text.linecount()) - 1;
  int line = f.line - 1 > last ? last : f.line - 1;
  std::string_view written = text.line(static_cast<std::size_t>(line));
  lineinfo info = readline(written, line == 0, judge);
  linefacts const& facts = info.facts;
  bool failure = facts.failed && (f.text == facts.failure || f.text == facts.context);
  int token = failure ? facts.failtoken : quotedtoken(info, f.text);
  if (token < 0 && facts.failed) token = facts.failtoken;
  std::vector<placedtoken> const& tokens = info.tokens;
  json range = token >= 0 ? linerange(text, line, tokens[static_cast<std::size_t>(token)].from,
                                      tokens[static_cast<std::size_t>(token)].to)
               : tokens.empty() ? linerange(text, line, 0, written.size())
                                : linerange(text, line, tokens.front().from, tokens.back().to);
  return json{{"range", range},
              {"severity", f.warning ? severitywarning : severityerror},
              {"code", codeof(f, failure)},
              {"source", source},
              {"message", f.text}};
}

} // namespace

json diagnosticsof(context& ctx, opendoc& doc) {
  json list = json::array();
  std::string const& text = doc.text.text();
  if (text.size() > maxscriptbytes) {
    list.push_back(
        json{{"range", rangejson(position{}, position{})},
             {"severity", severitywarning},
             {"code", "too-large"},
             {"source", source},
             {"message", std::string("not checked: the script is larger than ") + maxscriptsize}});
    return list;
  }
  std::string folder = ctx.folders.folders(doc.path).front();
  std::string name =
      doc.path.empty() ? untitled : std::filesystem::path(doc.path).filename().string();
  std::vector<finding> found;
  if (!ctx.engine.check(text, folder, name, found)) return list;
  std::set<std::string> scripts = ctx.folders.scripts(doc.path);
  reachjudge judge(ctx.folders.functions(), scripts);
  for (finding const& f : found) list.push_back(diagnostic(doc.text, judge, f));
  return list;
}

} // namespace cli::lsp
