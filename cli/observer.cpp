// observer.cpp - the statement hook of vesk and what it feeds: the trace lines, indented two
// blanks per script call, the profile and the coverage counts. The hook runs while the engine
// holds its family's lock, so the two threads of a parallel block never enter it at once.
#include "observer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

namespace cli {

namespace {
constexpr int indentpercall = 2;
} // namespace

observer::observer(options const& opts, messages& lines) : opts(opts), lines(lines) {}

void observer::attach(vesk::interpreter& engine) {
  if (opts.trace || opts.profile || opts.coveragefile != nullptr) engine.sethook(onstatement, this);
}

double observer::now() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

bool observer::onstatement(vesk::interpreter&, vesk::statementinfo const& at, void* data) {
  auto self = static_cast<observer*>(data);
  if (self->opts.profile) self->times.statement(at, std::this_thread::get_id(), self->now());
  if (self->opts.coveragefile != nullptr) self->counts.statement(at.script, at.line);
  if (self->opts.trace) self->trace(at);
  return true;
}

// "script(line): text" with the line's own indentation left out.
void observer::trace(vesk::statementinfo const& at) {
  char const* text = at.text + strspn(at.text, " \t");
  lines.flush();
  fprintf(stderr, "%*s%s(%d): %s\n", at.depth * indentpercall, "", at.script, at.line, text);
}

bool observer::writeprofile() {
  times.end(now());
  lines.flush();
  if (opts.profilefile == nullptr) {
    if (!times.empty()) times.writetop(stderr); // nothing ran: no table
    return true;
  }
  FILE* out = fopen(opts.profilefile, "w");
  if (out != nullptr) {
    times.writeall(out);
    if (fclose(out) == 0) return true;
  }
  fprintf(stderr, "vesk: cannot write profile '%s': %s\n", opts.profilefile, strerror(errno));
  return false;
}

bool observer::writecoverage() {
  FILE* out = fopen(opts.coveragefile, "w");
  std::string unread;
  bool written = false;
  if (out != nullptr) {
    counts.write(out, unread);
    written = fclose(out) == 0;
  }
  lines.flush();
  for (std::size_t at = 0, end; (end = unread.find('\n', at)) != std::string::npos; at = end + 1)
    fprintf(stderr, "vesk: the coverage has no record of '%s', which is no file to read\n",
            unread.substr(at, end - at).c_str());
  if (written) return true;
  fprintf(stderr, "vesk: cannot write coverage '%s': %s\n", opts.coveragefile, strerror(errno));
  return false;
}

bool observer::finish() {
  bool written = true;
  if (opts.profile && !writeprofile()) written = false;
  if (opts.coveragefile != nullptr && !writecoverage()) written = false;
  return written;
}

} // namespace cli
