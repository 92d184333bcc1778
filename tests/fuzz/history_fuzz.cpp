// history_fuzz.cpp - libFuzzer target: the prompt's history file on arbitrary bytes, with its
// first line put before them and as they are. Besides the sanitizers it checks what the prompt
// relies on: every entry read is one the line editor can take (not empty, no NUL, no line
// break), and the entries written and read back are the same, less those too long to write.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzzing.h"
#include "historyfile.h"

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  std::string bytes(reinterpret_cast<char const*>(data), size);
  for (std::string const& text : {"_HiStOrY_V2_\n" + bytes, bytes}) {
    std::vector<std::string> entries = cli::readhistory(text), kept;
    for (std::string const& entry : entries) {
      bool whole =
          !entry.empty() && entry.find_first_of(std::string("\0\r\n", 3)) == std::string::npos;
      fuzzing::check(whole, "an entry read is one the line editor can take");
      if (cli::encodehistory(entry).size() <= cli::longesthistoryline) kept.push_back(entry);
    }
    fuzzing::check(cli::readhistory(cli::writehistory(entries)) == kept,
                   "the entries written are read back");
  }
  return 0;
}
