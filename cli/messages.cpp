// messages.cpp - writing the engine's lines: output as it is, diagnostics with runs of
// identical lines folded (a script calling itself to the depth limit leaves hundreds of equal
// trace lines) and the engine's one non-ASCII byte made readable on a UTF-8 terminal.
#include "messages.h"

#include <cstdlib>
#include <cstring>

#include "vesk.h"

namespace cli {

namespace {

constexpr unsigned char messagebyte = 0xFC; // "ü" in the engine's 8-bit messages
constexpr char const* messagebyteutf8 = "\xC3\xBC";

bool mentionsutf8(char const* locale) {
  std::string name;
  for (char const* c = locale; *c != '\0'; ++c)
    if (*c != '-') name.push_back(static_cast<char>(*c | 0x20)); // lower case, no dashes
  return name.find("utf8") != std::string::npos;
}

} // namespace

bool utf8locale() {
  for (char const* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    char const* locale = getenv(variable);
    if (locale != nullptr && *locale != '\0') return mentionsutf8(locale);
  }
  return false;
}

messages::messages(FILE* output, FILE* diagnostics, bool utf8)
    : output(output), diagnostics(diagnostics), utf8(utf8) {}

void messages::write(int level, char const* text) {
  if (level != vesk::logoutput) {
    writediagnostic(text);
    return;
  }
  flush();
  fputs(text, output);
  fputc('\n', output);
}

void messages::writediagnostic(char const* text) {
  std::string line;
  for (char const* c = text; *c != '\0'; ++c) {
    if (utf8 && static_cast<unsigned char>(*c) == messagebyte)
      line += messagebyteutf8;
    else
      line.push_back(*c);
  }
  if (holding && line == last) {
    if (++repeats < shownrepeats) fprintf(diagnostics, "%s\n", line.c_str());
    return;
  }
  flush();
  last = line;
  holding = true;
  fprintf(diagnostics, "%s\n", line.c_str());
}

void messages::flush() {
  int held = repeats - (shownrepeats - 1);
  if (held > 0) fprintf(diagnostics, "... %d more of the line above\n", held);
  repeats = 0;
  holding = false;
}

} // namespace cli
