// format_fuzz.cpp - libFuzzer target: the formatter on arbitrary text. Formatting a formatted
// text changes nothing, whatever the text; and a text the check finds no error in (one that
// parses) reads the same once formatted: each line that holds tokens holds the same ones,
// written the same, and the check reports no error and as many warnings.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "format.h"
#include "fuzzing.h"
#include "linetokens.h"
#include "vesk.h"

namespace {

int checked(std::string const& text, int& warnings) {
  static vesk::variables globals;
  static vesk::interpreter engine(&globals, fuzzing::sink);
  static bool ready = false;
  if (!ready) engine.addinternalfuncs(nullptr);
  ready = true;
  std::vector<char> copy =
      fuzzing::terminated(reinterpret_cast<std::uint8_t const*>(text.data()), text.size());
  std::vector<char const*> lines = fuzzing::cutlines(copy);
  warnings = 0;
  return engine.check(lines.data(), static_cast<int>(lines.size()), "fuzz.vk", &warnings);
}

// The written tokens of each line that has any, as the engine reads the lines.
std::vector<std::vector<std::string>> tokenlines(std::string const& text) {
  std::vector<char> copy =
      fuzzing::terminated(reinterpret_cast<std::uint8_t const*>(text.data()), text.size());
  std::vector<std::vector<std::string>> result;
  for (char const* line : fuzzing::cutlines(copy)) {
    if (line == copy.data() && strncmp(line, "\xEF\xBB\xBF", 3) == 0) line += 3;
    std::vector<std::string> written;
    for (cli::placedtoken const& t : cli::linetokens(line))
      written.push_back(std::to_string(t.type) + ":" + std::string(line + t.from, t.to - t.from));
    if (!written.empty()) result.push_back(written);
  }
  return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  std::string text(reinterpret_cast<char const*>(data), size);
  std::string once = cli::formatscript(text);
  fuzzing::check(cli::formatscript(once) == once, "formatting a formatted text changes nothing");
  int warnings = 0, warningsafter = 0;
  if (checked(text, warnings) != 0) return 0;
  fuzzing::check(tokenlines(once) == tokenlines(text), "every line keeps its tokens");
  fuzzing::check(checked(once, warningsafter) == 0 && warningsafter == warnings,
                 "the check reads the formatted script as it read the script");
  return 0;
}
