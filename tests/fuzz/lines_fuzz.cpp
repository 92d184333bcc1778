// lines_fuzz.cpp - libFuzzer target: arbitrary text as a main script and the script files it
// calls (scriptfiles.h), run as a host runs them (hostrun.h): with the host's parameters and
// functions, the built-ins (the file functions confined to the scripts' folder), sleeps cut
// short by a time budget and a statement limit; inputs of odd length under a statement hook
// and an error hook that look around the paused run (frames, evaluation in them) and stop it.
// After the run every value left in the store and in the parameters is read whole, then given
// back.
#include <cstdint>
#include <cstring>

#include "fuzzing.h"
#include "hostrun.h"
#include "scriptfiles.h"
#include "vesk.h"

namespace {

// A debugger's view of the run: every statement's report is read whole, and the run is stopped
// at the statement the input's length picks (a nested script or a parallel part included).
struct watch {
  long long seen = 0;
  long long stopat;
};

volatile std::size_t read = 0;

// Where the run is paused, it looks around as a debugger does: every frame read whole, and
// the statement's own text evaluated in one of them (the frame the count picks), its value
// read whole.
void lookaround(vesk::interpreter& engine, vesk::statementinfo const& at, long long seen) {
  int count = engine.frames();
  fuzzing::check(count == at.depth + 1, "a paused run has a frame per call");
  fuzzing::check(at.part >= 0, "a part is not negative");
  for (int i = 0; i < count; ++i) {
    vesk::frameinfo info{};
    fuzzing::check(engine.frame(i, info), "every frame counted can be read");
    fuzzing::check(i > 0 || info.line == at.line, "the first frame is the paused statement's");
    read = read + strlen(info.name) + strlen(info.script) +
           (info.params != nullptr ? fuzzing::describe(info.params).size() : 0);
  }
  if (vesk::variable* value = engine.evaluate(at.text, static_cast<int>(seen % count)))
    read = read + fuzzing::describe(value).size();
}

bool watchstatement(vesk::interpreter& engine, vesk::statementinfo const& at, void* data) {
  auto& counted = *static_cast<watch*>(data);
  fuzzing::check(at.script != nullptr && at.text != nullptr, "a hook is told script and text");
  fuzzing::check(at.line >= 0 && at.depth >= 0, "a hook's line and depth are not negative");
  read = read + strlen(at.script) + strlen(at.text);
  if (++counted.seen % 5 == 0) lookaround(engine, at, counted.seen);
  return counted.seen != counted.stopat;
}

// Where a statement fails, it looks around too, and stops the run at the count's choice.
void watcherror(vesk::interpreter& engine, vesk::errorinfo const& at, void* data) {
  auto& counted = *static_cast<watch*>(data);
  fuzzing::check(at.message != nullptr, "an error hook is told a message");
  read = read + strlen(at.message);
  lookaround(engine, {at.script, at.line, at.text, at.depth, at.part}, ++counted.seen);
  if (counted.seen == counted.stopat) engine.stop();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  vesk::setstorelimit(fuzzing::storelimit);
  fuzzing::scriptfiles scripts(data, size);
  watch counted{0, static_cast<long long>(size % 97) + 1};
  fuzzing::runsettings settings{fuzzing::sink, fuzzing::touchesfiles, fuzzing::statementlimit};
  if (size % 2 == 1) {
    settings.hook = watchstatement;
    settings.onerror = watcherror;
    settings.hookdata = &counted;
  }
  fuzzing::run(scripts, settings);
  return 0;
}
