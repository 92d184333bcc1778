// lines_fuzz.cpp - libFuzzer target: arbitrary text as a main script and the script files it
// calls (scriptfiles.h), run as a host runs them (hostrun.h): with the host's parameters and
// functions, the built-ins (the file functions confined to the scripts' folder), sleeps cut
// short by a time budget and a statement limit. After the run every value left in the store
// and in the parameters is read whole, then given back.
#include <cstdint>

#include "fuzzing.h"
#include "hostrun.h"
#include "scriptfiles.h"
#include "vesk.h"

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  vesk::setstorelimit(fuzzing::storelimit);
  fuzzing::scriptfiles scripts(data, size);
  fuzzing::run(scripts, {fuzzing::sink, fuzzing::touchesfiles, fuzzing::statementlimit});
  return 0;
}
