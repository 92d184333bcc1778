// lines_fuzz.cpp - libFuzzer target: a run of lines (execute(lines, count, name)) on arbitrary
// text cut into lines as a script file is, with every built-in that neither touches the file
// system nor sleeps, and a statement limit so that endless loops end. After the run, with the
// interpreter gone, every value left in the store is read whole, then given back as a host must.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzzing.h"
#include "interpreter/errorqueue.h"
#include "vesk.h"

namespace {

// Enough for loops to run a while; few enough that one input takes milliseconds.
constexpr long long statementlimit = 10000;
// Stored lists may take this much: far below the fuzzer's memory limit, and small enough that a
// statement copying a list near it (and failing) takes milliseconds, not a second.
constexpr unsigned long long storelimit = 4ull << 20;

// Cuts the text in place at each LF (a CR before it belongs to the line end), the way the
// engine cuts a script file it has read.
std::vector<char const*> cutlines(std::vector<char>& text) {
  std::vector<char const*> lines;
  char* start = text.data();
  char* end = text.data() + strlen(text.data());
  while (start < end) {
    char* newline = static_cast<char*>(memchr(start, '\n', static_cast<std::size_t>(end - start)));
    char* stop = newline ? newline : end;
    if (stop > start && stop[-1] == '\r') stop[-1] = '\0';
    *stop = '\0';
    lines.push_back(start);
    start = stop + 1;
  }
  return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  std::vector<char> text = fuzzing::terminated(data, size);
  std::vector<char const*> lines = cutlines(text);
  vesk::clearerrors(); // what an earlier input collected must not change this one
  vesk::setstorelimit(storelimit);
  vesk::variables globals;
  {
    vesk::interpreter engine(&globals, fuzzing::sink);
    engine.addinternalfuncs(fuzzing::touchesmachine);
    engine.setstatementlimit(statementlimit);
    engine.execute(lines.data(), static_cast<int>(lines.size()), "fuzz.vk");
  }
  // Read after the interpreter is gone: a stored value must not lean on its operand stack.
  fuzzing::describe(&globals);
  fuzzing::release(globals);
  return 0;
}
