// messages_test.cpp - how vesk writes the engine's lines: identical diagnostics in a row folded
// after the third into a count, output lines never folded and never converted, and the byte
// 0xFC of the German messages written as UTF-8 only when the locale asks for it.
#include "messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "vesk.h"

namespace {

// A messages object over two scratch streams, and what was written to each.
struct written {
  explicit written(bool utf8) : lines(output, diagnostics, utf8) {}
  ~written() {
    fclose(output);
    fclose(diagnostics);
  }
  static std::string contents(FILE* stream) {
    fflush(stream);
    rewind(stream);
    std::string text;
    for (int c = fgetc(stream); c != EOF; c = fgetc(stream)) text.push_back(static_cast<char>(c));
    return text;
  }
  std::string out() { return contents(output); }
  std::string err() { return contents(diagnostics); }
  FILE* output = tmpfile();
  FILE* diagnostics = tmpfile();
  cli::messages lines;
};

TEST(messages, aRunOfIdenticalDiagnosticsIsFoldedAfterItsThird) {
  written w(false);
  w.lines.write(vesk::logerror, "x.vk(1): error: deep");
  for (int i = 0; i < 6; ++i) w.lines.write(vesk::logtrace, "x.vk(1)");
  w.lines.write(vesk::logtrace, "main.vk(2)");
  for (int i = 0; i < 3; ++i) w.lines.write(vesk::logtrace, "main.vk(3)");
  w.lines.flush();
  EXPECT_EQ(w.err(), "x.vk(1): error: deep\n"
                     "x.vk(1)\nx.vk(1)\nx.vk(1)\n... 3 more of the line above\n"
                     "main.vk(2)\n"
                     "main.vk(3)\nmain.vk(3)\nmain.vk(3)\n");
}

TEST(messages, outputIsNeverFoldedAndEndsARunOfDiagnostics) {
  written w(false);
  for (int i = 0; i < 5; ++i) w.lines.write(vesk::logoutput, "same");
  for (int i = 0; i < 5; ++i) w.lines.write(vesk::logerror, "e");
  w.lines.write(vesk::logoutput, "between");
  for (int i = 0; i < 2; ++i) w.lines.write(vesk::logerror, "e");
  w.lines.flush();
  EXPECT_EQ(w.out(), "same\nsame\nsame\nsame\nsame\nbetween\n");
  EXPECT_EQ(w.err(), "e\ne\ne\n... 2 more of the line above\ne\ne\n");
}

TEST(messages, theUmlautOfTheMessagesBecomesUtf8InDiagnosticsOnlyInAUtf8Locale) {
  char const* message = "m\xFCssen";
  written utf8(true), plain(false);
  for (written* w : {&utf8, &plain}) {
    w->lines.write(vesk::logerror, message);
    w->lines.write(vesk::logoutput, message);
  }
  EXPECT_EQ(utf8.err(), "m\xC3\xBCssen\n");
  EXPECT_EQ(utf8.out(), "m\xFCssen\n");
  EXPECT_EQ(plain.err(), "m\xFCssen\n");
}

} // namespace
