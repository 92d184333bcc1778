// observer.cpp - the statement hook of vesk and what it feeds: the trace lines, indented two
// blanks per script call, the profile and the coverage counts. The hook runs while the engine
// holds its family's lock, so the two threads of a parallel block never enter it at once; the
// end of a parallel part's thread reaches the profile outside that lock, through its own.
#include "observer.h"

#include <cstdio>
#include <cstring>
#include <thread>

#include "outputfile.h"

namespace cli {

namespace {

constexpr int indentpercall = 2;

// How the files begin that the reports replace without --overwrite.
std::vector<char const*> const coveragestarts = {"TN:", "SF:"};
std::vector<char const*> const profilestarts = {profile::header};

// Lives as long as a thread that ran statements for an observer, and tells it when the thread
// ends: the last statement of a parallel part ends there, not with a later statement.
struct threadwatch {
  observer* owner = nullptr;
  ~threadwatch() {
    if (owner != nullptr) owner->threadended();
  }
};
thread_local threadwatch watch;

// A script's name for a message on one line.
std::string printable(std::string const& name) {
  std::string text;
  for (char c : name) text += c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
  return text;
}

} // namespace

observer::observer(options const& opts, messages& lines) : opts(opts), lines(lines) {
  if (opts.profilefile != nullptr) profilepath = absolutepath(opts.profilefile);
  if (opts.coveragefile != nullptr) coveragepath = absolutepath(opts.coveragefile);
}

bool observer::ready(std::string const& script) {
  struct report {
    std::string const& path;
    char const* given;
    char const* what;
    std::vector<char const*> const& starts;
  };
  report const reports[] = {{profilepath, opts.profilefile, "profile", profilestarts},
                            {coveragepath, opts.coveragefile, "coverage", coveragestarts}};
  if (!profilepath.empty() &&
      (profilepath == coveragepath || samefile(profilepath, coveragepath))) {
    fprintf(stderr, "vesk: the profile and the coverage would both go to '%s'\n",
            opts.coveragefile);
    return false;
  }
  for (report const& file : reports) {
    if (file.path.empty()) continue;
    if (!script.empty() && samefile(file.path, script)) {
      fprintf(stderr, "vesk: the %s file '%s' is the script to run\n", file.what, file.given);
      return false;
    }
    if (!opts.overwrite && !replaceable(file.path, file.starts)) {
      fprintf(stderr, "vesk: '%s' is no %s file; --overwrite replaces it\n", file.given, file.what);
      return false;
    }
  }
  return true;
}

void observer::attach(vesk::interpreter& engine) {
  if (opts.trace || opts.profile || opts.coveragefile != nullptr) engine.sethook(onstatement, this);
}

double observer::now() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

bool observer::onstatement(vesk::interpreter&, vesk::statementinfo const& at, void* data) {
  auto self = static_cast<observer*>(data);
  if (self->opts.profile) {
    std::lock_guard<std::mutex> hold(self->timing);
    std::thread::id thread = std::this_thread::get_id();
    self->times.statement(at, thread, self->now());
    if (thread != self->creator) watch.owner = self;
  }
  if (!self->profilepath.empty() || !self->coveragepath.empty()) self->notescript(at.script);
  if (self->opts.coveragefile != nullptr) self->counts.statement(at.script, at.line);
  if (self->opts.trace) self->trace(at);
  return true;
}

void observer::threadended() {
  std::lock_guard<std::mutex> hold(timing);
  times.threadend(std::this_thread::get_id(), now());
}

// Notes the file of a script when it first runs, before the script can change the working
// folder; the lines the command runs itself (standard input, -c, -e, the prompt) are no file,
// whatever file of that name the working folder holds.
void observer::notescript(char const* script) {
  if (files.find(script) != files.end()) return;
  char const* own = runname(opts.what);
  bool nofile = own != nullptr && strcmp(script, own) == 0;
  files.emplace(script, nofile ? std::string() : absolutepath(script));
}

// "script(line): text" with the line's own indentation left out.
void observer::trace(vesk::statementinfo const& at) {
  char const* text = at.text + strspn(at.text, " \t");
  lines.flush();
  fprintf(stderr, "%*s%s(%d): %s\n", at.depth * indentpercall, "", at.script, at.line, text);
}

// Writes a report to `path` through `write`, unless the file is a script that ran; false with
// the reason in `problem`.
bool observer::writereport(std::string const& path, std::function<bool(FILE*)> const& write,
                           std::string& problem) {
  for (auto const& [script, file] : files)
    if (!file.empty() && samefile(file, path)) {
      problem = "it is the script '" + printable(script) + "' that ran";
      return false;
    }
  return replacefile(path, write, problem);
}

bool observer::writeprofile() {
  {
    std::lock_guard<std::mutex> hold(timing);
    times.end(now());
  }
  lines.flush();
  if (opts.profilefile == nullptr) {
    if (!times.empty()) times.writetop(stderr); // nothing ran: no table
    return true;
  }
  std::string problem;
  auto write = [this](FILE* out) {
    times.writeall(out);
    return true;
  };
  if (writereport(profilepath, write, problem)) return true;
  fprintf(stderr, "vesk: cannot write profile '%s': %s\n", opts.profilefile, problem.c_str());
  return false;
}

bool observer::writecoverage() {
  std::vector<coverage::unrecorded> missing;
  std::string problem;
  auto write = [this, &missing](FILE* out) { return counts.write(out, files, missing); };
  bool written = writereport(coveragepath, write, problem);
  lines.flush();
  for (coverage::unrecorded const& script : missing)
    fprintf(stderr, "vesk: the coverage has no record of '%s', %s\n",
            printable(script.script).c_str(), script.reason);
  if (written) return true;
  fprintf(stderr, "vesk: cannot write coverage '%s': %s\n", opts.coveragefile, problem.c_str());
  return false;
}

bool observer::finish() {
  bool written = true;
  if (opts.profile && !writeprofile()) written = false;
  if (opts.coveragefile != nullptr && !writecoverage()) written = false;
  return written;
}

} // namespace cli
