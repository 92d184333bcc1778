// check_fuzz.cpp - libFuzzer target: interpreter::check and interpreter::list on arbitrary text
// cut into lines as a script file is, with the built-ins registered. Neither runs anything, so
// the store stays empty; the check counts exactly the errors and warnings it reported, and the
// listing lists every line.
#include <cstdint>
#include <vector>

#include "fuzzing.h"
#include "vesk.h"

namespace {
int errorlines = 0, warninglines = 0, outputlines = 0;
void countlines(int level, char const* text) {
  fuzzing::sink(level, text);
  if (level == vesk::logerror) ++errorlines;
  if (level == vesk::logwarning) ++warninglines;
  if (level == vesk::logoutput) ++outputlines;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  std::vector<char> text = fuzzing::terminated(data, size);
  std::vector<char const*> lines = fuzzing::cutlines(text);
  vesk::variables globals;
  vesk::interpreter engine(&globals, countlines);
  engine.addinternalfuncs(nullptr);
  errorlines = warninglines = 0;
  int warnings = 0;
  int errors = engine.check(lines.data(), static_cast<int>(lines.size()), "fuzz.vk", &warnings);
  fuzzing::check(errors == errorlines && warnings == warninglines, "check counts its reports");
  fuzzing::check(globals.count() == 0, "check stores nothing");
  outputlines = 0;
  int listed = engine.list(lines.data(), static_cast<int>(lines.size()), "fuzz.vk");
  fuzzing::check(listed == static_cast<int>(lines.size()), "every line is listed");
  fuzzing::check(outputlines >= listed, "each listed line is written");
  fuzzing::check(globals.count() == 0, "the listing stores nothing");
  return 0;
}
