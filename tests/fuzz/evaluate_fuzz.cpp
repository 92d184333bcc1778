// evaluate_fuzz.cpp - libFuzzer target: interpreter::evaluate on arbitrary text, over a store
// of numbers, texts, lists and named lists and with the built-ins that neither change the
// store nor touch the machine. An expression cannot assign, so the store must come out of
// every evaluation exactly as it went in; and a failed evaluation must leave the interpreter
// usable for the next one.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzzing.h"
#include "vesk.h"

namespace {

using fuzzing::check;

// The store every input meets: one value of each kind, nested lists inside both kinds of
// list, and a name that only apostrophes can write.
char const* setup[] = {
    "x = 5",
    "s = \"text\"",
    "l = {1, \"two\", {3, {4}}}",
    "n = {a = 1, b = {c = 2, d = {5, 6}}, e = \"e\", l = {7}}",
    "'odd name' = {k = {8}}",
};

// Built-ins that change values of the store (flags, deletion) are held back with the ones that
// touch the machine: with them an unchanged store could not be expected.
bool heldback(char const* name) {
  static char const* const changing[] = {"delete",       "setinvalid",    "resetinvalid",
                                         "setdisabled",  "resetdisabled", "setchanged",
                                         "resetchanged", "seterror",      "reseterror"};
  for (char const* c : changing)
    if (strcmp(c, name) == 0) return true;
  return fuzzing::touchesmachine(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
  std::vector<char> text = fuzzing::terminated(data, size);
  vesk::setstorelimit(fuzzing::storelimit); // bounds the lists an expression builds, too
  vesk::variables globals;
  {
    vesk::interpreter engine(&globals, fuzzing::sink);
    engine.addinternalfuncs(heldback);
    check(engine.execute(setup, sizeof setup / sizeof setup[0], "setup.vk"), "setup runs");
    std::string before = fuzzing::describe(&globals);

    if (vesk::variable* result = engine.evaluate(text.data())) fuzzing::describe(result);
    check(fuzzing::describe(&globals) == before, "evaluate leaves the store unchanged");

    vesk::variable* next = engine.evaluate("x + 1");
    check(next != nullptr && next->isnumber() && next->number() == 6,
          "the interpreter evaluates again after any text");
  }
  fuzzing::release(globals);
  return 0;
}
