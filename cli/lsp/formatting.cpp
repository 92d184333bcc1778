// formatting.cpp - the formatted text compared with the editor's line by line: the lines both
// begin and end with stay, and one edit replaces those between.
#include "formatting.h"

#include <string_view>
#include <vector>

#include "format.h"

namespace cli::lsp {

namespace {

// The lines of a text, each with its line ending.
std::vector<std::string_view> withendings(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t newline = text.find('\n');
    std::size_t length = newline == std::string_view::npos ? text.size() : newline + 1;
    lines.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return lines;
}

json edits(document const& original, std::string const& formatted) {
  json list = json::array();
  if (formatted == original.text()) return list;
  std::vector<std::string_view> before = withendings(original.text()),
                                after = withendings(formatted);
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  std::string replacement;
  for (std::size_t i = head; i < after.size() - tail; ++i) replacement += after[i];
  position from{static_cast<long long>(head), 0};
  std::size_t end = before.size() - tail;
  position to =
      end < original.linecount() ? position{static_cast<long long>(end), 0} : original.end();
  list.push_back(json{{"range", rangejson(from, to)}, {"newText", replacement}});
  return list;
}

} // namespace

reply formatdocument(context& ctx, json const& params) {
  reply r;
  opendoc* doc = ctx.target(params, r);
  if (doc == nullptr) return r;
  r.result = edits(doc->text, cli::formatscript(doc->text.text()));
  return r;
}

reply formatrange(context& ctx, json const& params) {
  reply r;
  opendoc* doc = ctx.target(params, r);
  if (doc == nullptr) return r;
  json const* range = member(params, "range");
  position from, to;
  if (range == nullptr || member(*range, "start") == nullptr || member(*range, "end") == nullptr ||
      !readposition(*member(*range, "start"), from) || !readposition(*member(*range, "end"), to))
    return failure(errorcode::invalidparams, "range is missing or no range");
  // A range that ends at the start of a line leaves that line out.
  long long last = to.character == 0 && to.line > from.line ? to.line - 1 : to.line;
  r.result = edits(doc->text, cli::formatlines(doc->text.text(), static_cast<int>(from.line),
                                               static_cast<int>(last)));
  return r;
}

} // namespace cli::lsp
