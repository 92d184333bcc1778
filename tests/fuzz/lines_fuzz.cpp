// lines_fuzz.cpp - libFuzzer target: a run of lines (execute(lines, count, name)) on arbitrary
// text cut into lines as a script file is, with every built-in that neither touches the file
// system nor sleeps, and a statement limit so that endless loops end. After the run, with the
// interpreter gone, every value left in the store is read whole, then given back as a host must.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzzing.h"
#include "vesk.h"

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  std::vector<char> text = fuzzing::terminated(data, size);
  std::vector<char const*> lines = fuzzing::cutlines(text);
  vesk::setstorelimit(fuzzing::storelimit);
  vesk::variables globals;
  {
    vesk::interpreter engine(&globals, fuzzing::sink);
    engine.addinternalfuncs(fuzzing::touchesmachine);
    engine.setstatementlimit(fuzzing::statementlimit);
    engine.execute(lines.data(), static_cast<int>(lines.size()), "fuzz.vk");
  }
  // Read after the interpreter is gone: a stored value must not lean on its operand stack.
  fuzzing::describe(&globals);
  fuzzing::release(globals);
  return 0;
}
