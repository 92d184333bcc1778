// hover.cpp - what the name under the cursor is, as the parser read it, told in Markdown (or
// plain text where the client shows no Markdown).
#include "hover.h"

#include "signatures.h"

namespace cli::lsp {

namespace {

std::string codeblock(context const& ctx, std::string const& code) {
  return ctx.caps.markdown ? "```vesk\n" + code + "\n```\n" : code + "\n";
}

// The text shown for the variable `name`: the line of its first assignment.
std::string variabletext(context& ctx, opendoc& doc, analysis const& read,
                         std::string const& name) {
  place first = firstassignment(read, name);
  if (first.line < 0) return "";
  std::string_view line = doc.text.line(static_cast<std::size_t>(first.line));
  std::size_t start = line.find_first_not_of(" \t");
  std::string code(start == std::string_view::npos ? "" : line.substr(start));
  return codeblock(ctx, code) + "first assigned in line " + std::to_string(first.line + 1);
}

} // namespace

reply hover(context& ctx, json const& params) {
  reply r;
  position at;
  opendoc* doc = ctx.targetat(params, at, r);
  if (doc == nullptr) return r;
  analysis const& read = ctx.lines(*doc);
  lineinfo const& info = read.lines[static_cast<std::size_t>(at.line)];
  std::string_view text = doc->text.line(static_cast<std::size_t>(at.line));
  int token = tokenat(info, utf16offset(text, at.character));
  nameuse const* use = token < 0 ? nullptr : useat(info, token);
  if (use == nullptr) return r;
  std::string shown;
  if (use->role == namerole::called) {
    std::string label, description;
    std::vector<std::string> parameters;
    if (signatureof(ctx, *doc, use->name, label, parameters, description))
      shown = codeblock(ctx, label) + description;
  } else {
    shown = variabletext(ctx, *doc, read, use->name);
  }
  if (shown.empty()) return r;
  r.result = json{
      {"contents", json{{"kind", ctx.caps.markdown ? "markdown" : "plaintext"}, {"value", shown}}},
      {"range", tokenrange(doc->text, read, at.line, token)}};
  return r;
}

} // namespace cli::lsp
