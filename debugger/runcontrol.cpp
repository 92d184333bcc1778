// runcontrol.cpp - stopping and holding a debugged run in its statement and error hooks; see
// runcontrol.h.
#include "runcontrol.h"

#include <algorithm>
#include <cstring>

#include "breakpointpass.h"
#include "scriptpaths.h"
#include "text.h"

namespace dap {

namespace {

json stoppedevent(char const* reason, vesk::statementinfo const& at, std::vector<int> const& hit) {
  json body = {{"reason", reason}, {"threadId", threadofpart(at.part)}};
  // The other part of a parallel block waits before its next statement meanwhile.
  body["allThreadsStopped"] = true;
  if (!hit.empty()) body["hitBreakpointIds"] = hit;
  return body;
}

// The part whose thread this is, under the run control that saw its first statement: when the
// thread ends, so does the part.
struct partwatch {
  runcontrol* control = nullptr;
  int part = 0;
  ~partwatch() {
    if (control != nullptr) control->partended(part);
  }
};
thread_local partwatch watched;

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

void runcontrol::onerror(vesk::interpreter& engine, vesk::errorinfo const& failed, void* data) {
  static_cast<runcontrol*>(data)->error(engine, failed);
}

bool runcontrol::statement(vesk::interpreter& engine, vesk::statementinfo const& at) {
  if (lastscript == nullptr || std::strcmp(at.script, lastname.c_str()) != 0) {
    lastscript = &lookup(at.script);
    lasttable = nullptr;
  }
  if (at.part != 0 && (watched.control != this || watched.part != at.part)) partbegins(at.part);
  bool online = mightstop(at);
  if (!attention.load(std::memory_order_acquire) && !online) return true;
  return decide(engine, at, online);
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

// The first statement of a part on this thread: the client learns of a new thread.
void runcontrol::partbegins(int part) {
  watched.control = this;
  watched.part = part;
  std::lock_guard<std::mutex> hold(lock);
  running.push_back(part);
  if (client != nullptr)
    client->event("thread", {{"reason", "started"}, {"threadId", threadofpart(part)}});
}

void runcontrol::partended(int part) {
  std::lock_guard<std::mutex> hold(lock);
  running.erase(std::remove(running.begin(), running.end(), part), running.end());
  // A step of the part that ended goes on in whichever part runs next.
  if (step != stepping::none && steppart == part) {
    step = stepping::in;
    steppart = -1;
  }
  if (client != nullptr)
    client->event("thread", {{"reason", "exited"}, {"threadId", threadofpart(part)}});
}

// Counts the passes over the breakpoints on this line whose conditions hold; the ids of those
// that stop the run go to `hit`. Log points write their message instead. Conditions and
// messages are evaluated without the lock: the session must not wait for a long expression.
void runcontrol::passbreakpoints(vesk::interpreter& engine, vesk::statementinfo const& at,
                                 std::vector<int>& hit) {
  breakpointtable::source const* source = table.load()->find(lastscript->key);
  if (source == nullptr) return;
  passnotes notes;
  for (breakpoint const& b : source->breakpoints) {
    if (!b.verified || b.line != at.line || !conditionholds(engine, at, b, notes)) continue;
    long long hits = 0;
    {
      std::lock_guard<std::mutex> hold(lock);
      hits = ++hitcounts[b.id];
    }
    if (!b.hits.holds(hits)) continue;
    if (b.logmessage.empty())
      hit.push_back(b.id);
    else
      notes.console += logline(engine, b, notes) + "\n";
  }
  std::lock_guard<std::mutex> hold(lock);
  if (client == nullptr) return;
  if (!notes.printed.empty()) client->output("stdout", notes.printed);
  if (!notes.console.empty()) client->output("console", notes.console);
}

// Whether the step the client asked for ends at this statement.
bool runcontrol::stepended(vesk::statementinfo const& at) const {
  if (step == stepping::none || (steppart >= 0 && at.part != steppart)) return false;
  return step == stepping::in || (step == stepping::over && at.depth <= stepdepth) ||
         (step == stepping::out && at.depth < stepdepth);
}

// Stops the run here when a breakpoint, a step, a pause or the entry asks for it.
bool runcontrol::decide(vesk::interpreter& engine, vesk::statementinfo const& at, bool online) {
  std::vector<int> hit;
  if (online) passbreakpoints(engine, at, hit);
  std::unique_lock<std::mutex> hold(lock);
  if (ending) return false;
  char const* reason = nullptr;
  if (!hit.empty())
    reason = "breakpoint";
  else if (entrypending)
    reason = "entry";
  else if (pausepending)
    reason = "pause";
  else if (stepended(at))
    reason = "step";
  // Without a client nobody could let the run go on.
  if (reason == nullptr || client == nullptr) return true;
  return stophere(hold, engine, at, stoppedevent(reason, at, hit));
}

// Stops at an error when the client asked for it.
void runcontrol::error(vesk::interpreter& engine, vesk::errorinfo const& failed) {
  std::unique_lock<std::mutex> hold(lock);
  bool wanted = stopraised || (stopuncaught && !failed.caught);
  if (!wanted || ending || client == nullptr) return;
  vesk::statementinfo at{failed.script, failed.line, failed.text, failed.depth, failed.part};
  aterror = true;
  errormessage = failed.message;
  errorcaught = failed.caught;
  json stopped = stoppedevent("exception", at, {});
  stopped["description"] = failed.caught ? "Paused on an error that a try block catches"
                                         : "Paused on an error that ends the run";
  stopped["text"] = utf8(failed.message);
  // A run the client ends meanwhile is refused its next statement.
  stophere(hold, engine, at, stopped);
}

// Reports the stop and holds the run until the client lets it go on; false when the run is to
// end.
bool runcontrol::stophere(std::unique_lock<std::mutex>& hold, vesk::interpreter& engine,
                          vesk::statementinfo const& at, json const& stopped) {
  entrypending = pausepending = false;
  step = stepping::none;
  stepdepth = at.depth;
  steppart = pausedpart = at.part;
  attention.store(false);
  isstopped = true;
  goon = false;
  ++stops;
  client->event("stopped", stopped);
  holdpaused(hold, engine, at);
  isstopped = false;
  aterror = false;
  errormessage.clear();
  return !ending;
}

// Waits in the hook until the client lets the run go on, running the tasks it hands over.
void runcontrol::holdpaused(std::unique_lock<std::mutex>& hold, vesk::interpreter& engine,
                            vesk::statementinfo const& at) {
  pausedrun run{engine, at, stops};
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

void runcontrol::seterrorstops(bool raised, bool uncaught) {
  std::lock_guard<std::mutex> hold(lock);
  stopraised = raised;
  stopuncaught = uncaught;
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

bool runcontrol::proceed(stepping how, int part) {
  std::lock_guard<std::mutex> hold(lock);
  if (!isstopped || goon) return false;
  bool other = part >= 0 && part != pausedpart &&
               (part == 0 || std::find(running.begin(), running.end(), part) != running.end());
  step = how != stepping::none && other ? stepping::in : how;
  if (other) steppart = part;
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
  stopraised = stopuncaught = false;
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

bool runcontrol::pausederror(std::string& message, bool& caught) {
  std::lock_guard<std::mutex> hold(lock);
  if (!isstopped || goon || !aterror) return false;
  message = errormessage;
  caught = errorcaught;
  return true;
}

std::vector<seenscript> runcontrol::scripts() {
  std::lock_guard<std::mutex> hold(lock);
  std::vector<seenscript> copies;
  for (auto const& script : seen) copies.push_back(*script);
  return copies;
}

std::vector<int> runcontrol::parts() {
  std::lock_guard<std::mutex> hold(lock);
  return running;
}

} // namespace dap
