// offers.cpp - completion items: after "NAME." the members of the named lists written for
// NAME; otherwise the block keywords (as snippets where the client takes them) at the start
// of a line, the functions, the scripts in reach, the variables the document assigns and the
// global names that the other scripts of its folder assign.
#include "offers.h"

#include <filesystem>
#include <set>

#include "builtindocs.h"
#include "scriptinfo.h"

namespace cli::lsp {

namespace {

constexpr std::size_t maxitems = 2000;
constexpr std::size_t maxsiblings = 200; // scripts of the folder read for their global names

// Completion item kinds and formats of the protocol.
constexpr int kindfunction = 3, kindfield = 5, kindvariable = 6, kindmodule = 9, kindkeyword = 14,
              kindsnippet = 15;
constexpr int snippettext = 2;

struct snippet {
  char const* label;
  char const* body;
};
constexpr snippet snippets[] = {
    {"if", "if ${1:condition}\n\t$0\nend"},
    {"if else", "if ${1:condition}\n\t$2\nelse\n\t$0\nend"},
    {"for", "for ${1:i} = ${2:1} to ${3:10}\n\t$0\nnext"},
    {"for each", "for each ${1:item} in ${2:list}\n\t$0\nnext"},
    {"repeat", "repeat\n\t$0\nuntil ${1:condition}"},
    {"do", "do\n\t$0\nwhile ${1:condition}"},
    {"try", "try\n\t$1\ncatch\n\t$0\nend"},
    {"parallel", "parallel\n\t$1\nthread\n\t$0\nend"},
};
constexpr char const* keywords[] = {"if",     "else",  "end", "for",   "next",     "try",   "catch",
                                    "repeat", "until", "do",  "while", "parallel", "thread"};

bool namechar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

class itemlist {
public:
  void add(std::string const& label, int kind, std::string detail, std::string doc = "") {
    if (items.size() >= maxitems || !labels.insert(label).second) return;
    json item{{"label", label}, {"kind", kind}};
    if (!detail.empty()) item["detail"] = std::move(detail);
    if (!doc.empty()) item["documentation"] = std::move(doc);
    items.push_back(std::move(item));
  }
  void addsnippet(snippet const& s) {
    if (items.size() >= maxitems) return;
    items.push_back(json{{"label", s.label},
                         {"kind", kindsnippet},
                         {"insertText", s.body},
                         {"insertTextFormat", snippettext},
                         {"detail", "block"}});
  }
  json result() { return json{{"isIncomplete", false}, {"items", std::move(items)}}; }

private:
  json items = json::array();
  std::set<std::string> labels;
};

void keywordsat(context& ctx, itemlist& items) {
  if (ctx.caps.snippets)
    for (snippet const& s : snippets) items.addsnippet(s);
  for (char const* word : keywords) items.add(word, kindkeyword, "");
}

void functions(context& ctx, itemlist& items) {
  for (std::string const& name : ctx.folders.functions()) {
    builtindoc const* doc = findbuiltin(name);
    auto library = ctx.libraryof.find(name);
    if (library != ctx.libraryof.end())
      items.add(name, kindfunction, "function of " + library->second);
    else if (doc != nullptr)
      items.add(name, kindfunction, doc->signature, doc->summary);
    else
      items.add(name, kindfunction, "function");
  }
}

void names(context& ctx, opendoc& doc, analysis const& read, itemlist& items) {
  for (std::string const& name : assignednames(read)) {
    place first = firstassignment(read, name);
    items.add(name, kindvariable, "assigned in line " + std::to_string(first.line + 1));
  }
  for (std::string const& name : ctx.folders.scripts(doc.path))
    items.add(name, kindmodule, "script " + name + ".vk");
  std::vector<std::string> others = ctx.folders.siblings(doc.path);
  if (others.size() > maxsiblings) others.resize(maxsiblings);
  for (std::string const& path : others) {
    std::shared_ptr<scriptread const> script = ctx.folders.read(path);
    if (script == nullptr) continue;
    std::string file = std::filesystem::path(path).filename().string();
    for (std::string const& name : assignednames(*script->lines))
      items.add(name, kindvariable, "global, assigned in " + file);
  }
}

} // namespace

std::size_t wordstart(std::string_view line, std::size_t cursor) {
  std::size_t start = cursor;
  while (start > 0 && namechar(line[start - 1])) --start;
  return start;
}

bool insidetext(lineinfo const& info, std::string_view line, std::size_t cursor) {
  std::size_t gapstart = 0;
  for (placedtoken const& t : info.tokens) {
    if (t.from >= cursor) break;
    bool quoted = t.type == vesk::stringtoken || t.type == vesk::quotedtoken ||
                  (t.type == vesk::errortoken && (line[t.from] == '"' || line[t.from] == '\''));
    if (quoted && cursor < t.to) return true;
    if (quoted && cursor == t.to && t.type == vesk::errortoken) return true; // still open
    gapstart = t.to;
  }
  std::string_view gap = line.substr(gapstart, cursor - gapstart);
  return gap.find(';') != std::string_view::npos || gap.find("//") != std::string_view::npos ||
         gap.find("/*") != std::string_view::npos;
}

reply completion(context& ctx, json const& params) {
  reply r;
  position at;
  opendoc* doc = ctx.targetat(params, at, r);
  if (doc == nullptr) return r;
  analysis const& read = ctx.lines(*doc);
  std::size_t line = static_cast<std::size_t>(at.line);
  lineinfo const& info = read.lines[line];
  std::string_view text = doc->text.line(line);
  std::size_t cursor = utf16offset(text, at.character);
  itemlist items;
  if (insidetext(info, text, cursor)) {
    r.result = items.result();
    return r;
  }
  std::size_t start = wordstart(text, cursor);
  if (start > 0 && text[start - 1] == '.') {
    std::size_t before = wordstart(text, start - 1);
    std::string variable(text.substr(before, start - 1 - before));
    for (std::string const& name : membersof(read, variable))
      items.add(name, kindfield, "member of " + variable);
    r.result = items.result();
    return r;
  }
  if (text.substr(0, start).find_first_not_of(" \t") == std::string_view::npos)
    keywordsat(ctx, items);
  functions(ctx, items);
  names(ctx, *doc, read, items);
  r.result = items.result();
  return r;
}

} // namespace cli::lsp
