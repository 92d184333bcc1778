// engineaccess.cpp - the engine's answers about a paused run, from the interpreter's members for
// a paused run (frames, frame, evaluate in a frame); see engineaccess.h.
#include "engineaccess.h"

#include <cstring>

namespace dap {

namespace {

// Where the messages of the evaluation running on this thread go.
thread_local evaluation* collecting = nullptr;

// The reason of an engine's error line, without the "script(line): error: " it begins with.
std::string reason(char const* line) {
  constexpr char const marker[] = ": error: ";
  char const* found = std::strstr(line, marker);
  return found != nullptr ? found + sizeof marker - 1 : line;
}

void collect(int level, char const* text) {
  if (collecting == nullptr || text == nullptr) return;
  if (level == vesk::logoutput)
    collecting->printed += std::string(text) + "\n";
  else if (level == vesk::logerror && collecting->error.empty())
    collecting->error = reason(text);
}

} // namespace

std::vector<framedescription> callstack(vesk::interpreter& engine) {
  std::vector<framedescription> frames;
  int count = engine.frames();
  vesk::frameinfo info{};
  for (int i = 0; i < count && engine.frame(i, info); ++i)
    frames.push_back({info.script, info.line, info.part});
  return frames;
}

vesk::variables* globalstore(vesk::interpreter& engine) {
  return engine.store();
}

vesk::variable* frameparameters(vesk::interpreter& engine, int frame) {
  vesk::frameinfo info{};
  return engine.frame(frame, info) ? info.params : nullptr;
}

evaluation evaluate(vesk::interpreter& engine, int frame, std::string const& expression) {
  evaluation result;
  evaluation* outer = collecting;
  collecting = &result;
  result.value = engine.evaluate(expression.c_str(), frame, collect);
  collecting = outer;
  if (result.value == nullptr && result.error.empty())
    result.error = frame >= engine.frames() ? "no such frame" : "the expression gives no value";
  return result;
}

} // namespace dap
