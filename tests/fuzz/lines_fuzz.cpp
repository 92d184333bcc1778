// lines_fuzz.cpp - libFuzzer target: arbitrary text as a main script and the script files it
// calls (scriptfiles.h), run as a host runs them (hostrun.h): with the host's parameters and
// functions, the built-ins (the file functions confined to the scripts' folder), sleeps cut
// short by a time budget and a statement limit; inputs of odd length under a statement hook
// that stops the run. After the run every value left in the store and in the parameters is
// read whole, then given back.
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

bool watchstatement(vesk::interpreter&, vesk::statementinfo const& at, void* data) {
  auto& counted = *static_cast<watch*>(data);
  fuzzing::check(at.script != nullptr && at.text != nullptr, "a hook is told script and text");
  fuzzing::check(at.line >= 0 && at.depth >= 0, "a hook's line and depth are not negative");
  static volatile std::size_t read = 0;
  read = read + strlen(at.script) + strlen(at.text);
  return ++counted.seen != counted.stopat;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  vesk::setstorelimit(fuzzing::storelimit);
  fuzzing::scriptfiles scripts(data, size);
  watch counted{0, static_cast<long long>(size % 97) + 1};
  fuzzing::runsettings settings{fuzzing::sink, fuzzing::touchesfiles, fuzzing::statementlimit};
  if (size % 2 == 1) {
    settings.hook = watchstatement;
    settings.hookdata = &counted;
  }
  fuzzing::run(scripts, settings);
  return 0;
}
