// highlights.cpp - the names of each line in order, as the protocol's relative integers: line
// and start from the previous token, length, type, no modifiers.
#include "highlights.h"

#include <algorithm>

namespace cli::lsp {

namespace {

enum tokentypes { functiontype, scripttype, variabletype };
constexpr char const* typenames[] = {"function", "namespace", "variable"};

} // namespace

json highlightlegend() {
  return json{{"tokenTypes", typenames}, {"tokenModifiers", json::array()}};
}

reply semantictokens(context& ctx, json const& params) {
  reply r;
  opendoc* doc = ctx.target(params, r);
  if (doc == nullptr) return r;
  analysis const& read = ctx.lines(*doc);
  json data = json::array();
  long long lastline = 0, laststart = 0;
  for (std::size_t l = 0; l < read.lines.size(); ++l) {
    lineinfo const& info = read.lines[l];
    std::vector<nameuse> names = info.facts.names;
    std::sort(names.begin(), names.end(),
              [](nameuse const& a, nameuse const& b) { return a.token < b.token; });
    std::string_view text = doc->text.line(l);
    for (nameuse const& use : names) {
      placedtoken const& t = info.tokens[static_cast<std::size_t>(use.token)];
      int type = use.role != namerole::called                  ? variabletype
                 : ctx.folders.functions().count(use.name) > 0 ? functiontype
                                                               : scripttype;
      long long line = static_cast<long long>(l);
      long long start = utf16units(text.substr(0, t.from));
      data.push_back(line - lastline);
      data.push_back(line == lastline ? start - laststart : start);
      data.push_back(utf16units(text.substr(t.from, t.to - t.from)));
      data.push_back(type);
      data.push_back(0);
      lastline = line;
      laststart = start;
    }
  }
  r.result = json{{"data", std::move(data)}};
  return r;
}

} // namespace cli::lsp
