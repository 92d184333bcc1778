// messages.h - where vesk writes the lines the engine hands it: output lines (print, dump) to
// standard output unchanged, every other line to standard error, where a run of identical
// lines is folded after its third and, in a UTF-8 locale, the byte 0xFC of the engine's German
// messages is written as the UTF-8 "ü". The engine keeps its bytes; only the command converts.
#pragma once

#include <cstdio>
#include <string>

namespace cli {

// True when the locale that the environment names for characters (LC_ALL, else LC_CTYPE,
// else LANG) uses UTF-8.
bool utf8locale();

class messages {
public:
  // Identical diagnostic lines written one after the other before the rest are counted.
  static constexpr int shownrepeats = 3;

  messages(FILE* output, FILE* diagnostics, bool utf8);

  // Writes one line the engine handed over at `level`.
  void write(int level, char const* text);
  // Writes the count of identical lines held back, if any: before vesk writes anything of
  // its own, and at the end.
  void flush();

private:
  void writediagnostic(char const* text);

  FILE* output;
  FILE* diagnostics;
  bool utf8;
  bool holding = false; // `last` is the line written last, and it was a diagnostic
  std::string last;
  int repeats = 0; // how often `last` came in a row, beyond its first time
};

} // namespace cli
