// runcontrol.cpp - stopping and holding a debugged run in its statement hook; see runcontrol.h.
#include "runcontrol.h"

#include <cstring>

#include "engineaccess.h"
#include "scriptpaths.h"
#include "text.h"

namespace dap {

namespace {

constexpr int firstthread = 1; // the protocol's thread id of part 0

json stoppedevent(char const* reason, vesk::statementinfo const& at, std::vector<int> const& hit) {
  json body = {{"reason", reason}, {"threadId", firstthread + part(at)}};
  body["allThreadsStopped"] = true;
  if (!hit.empty()) body["hitBreakpointIds"] = hit;
  return body;
}

} // namespace

json describe(seenscript const& script) {
  json source = {{"name", utf8(basename(script.name))}};
  if (!script.path.empty()) source["path"] = utf8(script.path);
  return source;
}

runcontrol::runcontrol() {
  tables.push_back(std::make_unique<breakpointtable>());
  table.store(tables.back().get());
}

bool runcontrol::onstatement(vesk::interpreter& engine, vesk::statementinfo const& at, void* data) {
  return static_cast<runcontrol*>(data)->statement(engine, at);
}

bool runcontrol::statement(vesk::interpreter& engine, vesk::statementinfo const& at) {
  if (lastscript == nullptr || std::strcmp(at.script, lastname.c_str()) != 0) {
    lastscript = &lookup(at.script);
    lasttable = nullptr;
  }
  if (!attention.load(std::memory_order_acquire) && !mightstop(at)) return true;
  return decide(engine, at);
}

// True when a breakpoint stands on this statement's line.
bool runcontrol::mightstop(vesk::statementinfo const& at) {
  breakpointtable const* current = table.load(std::memory_order_acquire);
  if (lasttable != current) {
    lasttable = current;
    lastlines = current->find(lastscript->key);
  }
  if (lastlines == nullptr || at.line < 0) return false;
  std::size_t line = static_cast<std::size_t>(at.line);
  return line < lastlines->lines.size() && lastlines->lines[line] != 0;
}

// The record of a script by the name the engine gives it, made (and announced to the client)
// the first time it runs.
seenscript const& runcontrol::lookup(char const* name) {
  lastname = name;
  std::lock_guard<std::mutex> hold(lock);
  for (auto const& script : seen)
    if (script->name == lastname) return *script;
  seen.push_back(std::make_unique<seenscript>(
      seenscript{lastname, scriptkey(lastname), clientpath(lastname)}));
  seenscript const& made = *seen.back();
  if (client != nullptr)
    client->event("loadedSource", {{"reason", "new"}, {"source", describe(made)}});
  return made;
}

// Counts the hits of the breakpoints on this line; true when one of them stops the run, whose
// ids are then in `hit`. Log points write their message instead.
bool runcontrol::breakpointsstop(vesk::statementinfo const& at, std::vector<int>& hit) {
  breakpointtable::source const* source = table.load()->find(lastscript->key);
  if (source == nullptr) return false;
  for (breakpoint const& b : source->breakpoints) {
    if (!b.verified || b.line != at.line) continue;
    if (!b.hits.holds(++hitcounts[b.id])) continue;
    if (b.logmessage.empty())
      hit.push_back(b.id);
    else if (client != nullptr)
      client->output("console", b.logmessage + "\n");
  }
  return !hit.empty();
}

// Stops the run here when a breakpoint, a step, a pause or the entry asks for it.
bool runcontrol::decide(vesk::interpreter& engine, vesk::statementinfo const& at) {
  std::unique_lock<std::mutex> hold(lock);
  if (ending) return false;
  std::vector<int> hit;
  char const* reason = nullptr;
  if (breakpointsstop(at, hit))
    reason = "breakpoint";
  else if (entrypending)
    reason = "entry";
  else if (pausepending)
    reason = "pause";
  else if (step == stepping::in || (step == stepping::over && at.depth <= stepdepth) ||
           (step == stepping::out && at.depth < stepdepth))
    reason = "step";
  // Without a client nobody could let the run go on.
  if (reason == nullptr || client == nullptr) return true;
  entrypending = pausepending = false;
  step = stepping::none;
  stepdepth = at.depth;
  attention.store(false);
  isstopped = true;
  goon = false;
  if (client != nullptr) client->event("stopped", stoppedevent(reason, at, hit));
  holdpaused(hold, engine, at);
  isstopped = false;
  return !ending;
}

// Waits in the hook until the client lets the run go on, running the tasks it hands over.
void runcontrol::holdpaused(std::unique_lock<std::mutex>& hold, vesk::interpreter& engine,
                            vesk::statementinfo const& at) {
  pausedrun run{engine, at};
  for (;;) {
    wake.wait(hold, [this] { return goon || task != nullptr; });
    if (task == nullptr) return;
    auto const* work = task;
    task = nullptr;
    hold.unlock();
    (*work)(run);
    hold.lock();
    taskdone = true;
    wake.notify_all();
  }
}

void runcontrol::connect(outlet* to) {
  std::lock_guard<std::mutex> hold(lock);
  client = to;
  hitcounts.clear();
}

void runcontrol::setbreakpoints(std::string const& key, std::vector<breakpoint> placed) {
  std::lock_guard<std::mutex> hold(lock);
  tables.push_back(std::make_unique<breakpointtable>(*table.load(), key, std::move(placed)));
  table.store(tables.back().get(), std::memory_order_release);
}

void runcontrol::stoponentry() {
  std::lock_guard<std::mutex> hold(lock);
  entrypending = true;
  attention.store(true);
}

void runcontrol::pause() {
  std::lock_guard<std::mutex> hold(lock);
  pausepending = true;
  attention.store(true);
}

bool runcontrol::proceed(stepping how) {
  std::lock_guard<std::mutex> hold(lock);
  if (!isstopped || goon) return false;
  step = how;
  if (how != stepping::none) attention.store(true);
  goon = true;
  wake.notify_all();
  return true;
}

void runcontrol::terminate() {
  std::lock_guard<std::mutex> hold(lock);
  ending = true;
  attention.store(true);
  goon = true;
  wake.notify_all();
}

void runcontrol::release() {
  std::lock_guard<std::mutex> hold(lock);
  tables.push_back(std::make_unique<breakpointtable>());
  table.store(tables.back().get(), std::memory_order_release);
  entrypending = pausepending = false;
  step = stepping::none;
  attention.store(ending);
  goon = true;
  wake.notify_all();
}

bool runcontrol::inspect(std::function<void(pausedrun const&)> const& work) {
  std::unique_lock<std::mutex> hold(lock);
  if (!isstopped || goon) return false;
  task = &work;
  taskdone = false;
  wake.notify_all();
  wake.wait(hold, [this] { return taskdone; });
  return true;
}

bool runcontrol::paused() {
  std::lock_guard<std::mutex> hold(lock);
  return isstopped && !goon;
}

std::vector<seenscript> runcontrol::scripts() {
  std::lock_guard<std::mutex> hold(lock);
  std::vector<seenscript> copies;
  for (auto const& script : seen) copies.push_back(*script);
  return copies;
}

} // namespace dap
