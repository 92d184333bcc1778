// outline.cpp - symbols and folding ranges from the blocks matched line by line (a block left
// open runs to the end of the document).
#include "outline.h"

#include <set>

namespace cli::lsp {

namespace {

constexpr int kindnamespace = 3, kindvariable = 13;

struct symbol {
  std::string name;
  int kind;
  json range, selection;
  std::vector<symbol> children;
};

// The written statement of a line: from its first token to its last.
std::string statement(document const& text, lineinfo const& info, int line) {
  std::string_view written = text.line(static_cast<std::size_t>(line));
  std::size_t from = info.tokens.front().from, to = info.tokens.back().to;
  return std::string(written.substr(from, to - from));
}

std::vector<symbol> symbolsof(opendoc& doc, analysis const& read) {
  document const& text = doc.text;
  symbol root;
  std::vector<symbol*> open{&root};
  std::vector<int> openlines{-1};
  std::set<std::string> assigned;
  int last = static_cast<int>(read.lines.size()) - 1;
  for (int l = 0; l <= last; ++l) {
    lineinfo const& info = read.lines[static_cast<std::size_t>(l)];
    if (info.block.role == blockrole::closes && info.block.openerline >= 0)
      while (openlines.size() > 1 && openlines.back() >= info.block.openerline) {
        open.pop_back();
        openlines.pop_back();
      }
    if (info.block.role == blockrole::opens) {
      int end = info.closedby >= 0 ? info.closedby : last;
      symbol block{statement(text, info, l),
                   kindnamespace,
                   rangejson(position{l, 0}, text.positionof(text.offset(position{end + 1, 0}))),
                   tokenrange(text, read, l, 0),
                   {}};
      open.back()->children.push_back(std::move(block));
      open.push_back(&open.back()->children.back());
      openlines.push_back(l);
    }
    for (nameuse const& use : info.facts.names)
      if ((use.role == namerole::assigned || use.role == namerole::loopvariable) &&
          assigned.insert(use.name).second)
        open.back()->children.push_back(
            symbol{use.name,
                   kindvariable,
                   linerange(text, l, 0, text.line(static_cast<std::size_t>(l)).size()),
                   tokenrange(text, read, l, use.token),
                   {}});
  }
  return std::move(root.children);
}

json tree(std::vector<symbol> const& symbols) {
  json list = json::array();
  for (symbol const& s : symbols)
    list.push_back(json{{"name", s.name},
                        {"kind", s.kind},
                        {"range", s.range},
                        {"selectionRange", s.selection},
                        {"children", tree(s.children)}});
  return list;
}

void flat(std::vector<symbol> const& symbols, std::string const& uri, std::string const& container,
          json& list) {
  for (symbol const& s : symbols) {
    json information{
        {"name", s.name}, {"kind", s.kind}, {"location", {{"uri", uri}, {"range", s.range}}}};
    if (!container.empty()) information["containerName"] = container;
    list.push_back(std::move(information));
    flat(s.children, uri, s.name, list);
  }
}

} // namespace

reply documentsymbols(context& ctx, json const& params) {
  reply r;
  opendoc* doc = ctx.target(params, r);
  if (doc == nullptr) return r;
  std::vector<symbol> symbols = symbolsof(*doc, ctx.lines(*doc));
  if (ctx.caps.hierarchy) {
    r.result = tree(symbols);
  } else {
    r.result = json::array();
    flat(symbols, path(params, {"textDocument", "uri"})->get<std::string>(), "", r.result);
  }
  return r;
}

reply foldingranges(context& ctx, json const& params) {
  reply r;
  opendoc* doc = ctx.target(params, r);
  if (doc == nullptr) return r;
  analysis const& read = ctx.lines(*doc);
  r.result = json::array();
  for (std::size_t l = 0; l < read.lines.size(); ++l) {
    int end = read.lines[l].closedby - 1;
    if (end > static_cast<int>(l))
      r.result.push_back(json{{"startLine", l}, {"endLine", end}, {"kind", "region"}});
  }
  return r;
}

} // namespace cli::lsp
