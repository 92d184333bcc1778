// pausedrun.cpp - a run paused in the host's hook, as the host sees it: the calls on its stack
// (each the engine of a statement, linked to the engine whose statement waits for it), an
// expression evaluated in one of those calls on an engine of its own, and the engines holding
// such values given back when the hook returns.
#include <cstdio>
#include <cstring>

#include "callframe.h"
#include "family.h"
#include "pausedrun.h"
#include "platform.h"
#include "reference.h"
#include "runengine.h"

namespace vesk {

namespace {

// The engine of the paused statement, when a run of `shared` is paused on this thread.
runner* pausedhere(family* shared) {
  if (shared == nullptr || runningfamily() != shared) return nullptr;
  return shared->paused.load(std::memory_order_acquire);
}

// The call after `call` on the stack: the parts of parallel blocks continue the call of the
// engine that runs the block.
runner* callerof(runner* call) {
  while (call->ispart && call->outer != nullptr) call = call->outer;
  return call->outer;
}

// The name a frame shows: the last part of the script's path (after '/' or the system's
// separator), without ".vk".
void makename(runner& call) {
  char const* name = call.scriptname;
  for (char const* c = name; *c != '\0'; ++c)
    if (*c == '/' || *c == platform::pathseparator) name = c + 1;
  size_t length = strlen(name);
  if (length > 3 && strcmp(name + length - 3, ".vk") == 0) length -= 3;
  memcpy(call.shownname, name, length);
  call.shownname[length] = '\0';
}

} // namespace

int pausedframes(family* shared) {
  int count = 0;
  for (runner* call = pausedhere(shared); call != nullptr; call = callerof(call)) ++count;
  return count;
}

runner* pausedframe(family* shared, int index) {
  runner* call = index >= 0 ? pausedhere(shared) : nullptr;
  for (; call != nullptr && index > 0; --index) call = callerof(call);
  return call;
}

void describeframe(runner& call, frameinfo& info) {
  makename(call);
  info.name = call.shownname;
  info.script = call.scriptname;
  // A host's expression stands at line 0, as its hook is told.
  info.line = call.cmds != nullptr && call.cmdindex >= 0 ? call.cmdindex + call.bookoffset + 1 : 0;
  info.part = call.part;
  info.params = call.frame != nullptr ? call.frame->params : nullptr;
}

// The expression runs on an engine nested in the frame's, on the paused thread, as part of
// the paused statement: what it makes and what it gives back waits at least until the pause
// ends, when the engine (and the value on its operand stack) goes.
variable* evaluateinframe(family* shared, int index, char const* text, logfunc log) {
  runner* paused = pausedhere(shared);
  runner* call = pausedframe(shared, index);
  if (call == nullptr || text == nullptr) return nullptr;
  runengine* nested = static_cast<runengine*>(call)->nest();
  if (nested == nullptr) {
    log(logerror, msg_memory);
    return nullptr;
  }
  nested->nextevaluated = paused->evaluated;
  paused->evaluated = nested;
  nested->log = log;
  nested->thread = paused->thread;
  nested->outer = nullptr;
  copytext(nested->scriptname, call->scriptname, maxpathlen);
  char const* single[] = {text};
  nested->cmds = single;
  nested->numcmds = 1;
  nested->cmdindex = call->cmds != nullptr ? call->cmdindex + call->bookoffset : -1;
  if (paused->thread->statement == 0) beginstatement(shared->lock, paused->thread);
  nested->restoreoverlay();
  nested->resetoperands();
  nested->beginline();
  referencerun general(*nested);
  parser reader(text, general, general);
  bool rest = false;
  bool ok = reader.expression(&rest);
  nested->finishline();
  variable* result = ok && !rest && !nested->stopped() ? nested->topvalue() : nullptr;
  nested->cmds = nullptr;
  nested->numcmds = 0;
  paused->restoreoverlay();
  return result;
}

void runengine::endpause() {
  while (evaluated != nullptr) {
    runner* done = evaluated;
    evaluated = done->nextevaluated;
    done->nextevaluated = nullptr;
    retire(static_cast<runengine*>(done));
  }
}

} // namespace vesk
