// check_fuzz.cpp - libFuzzer target: interpreter::check on arbitrary text cut into lines as a
// script file is, with the built-ins registered. The check runs nothing, so the store stays
// empty, and it counts exactly the errors and warnings it reported.
#include <cstdint>
#include <vector>

#include "fuzzing.h"
#include "vesk.h"

namespace {
int errorlines = 0, warninglines = 0;
void countlines(int level, char const* text) {
  fuzzing::sink(level, text);
  if (level == vesk::logerror) ++errorlines;
  if (level == vesk::logwarning) ++warninglines;
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
  return 0;
}
