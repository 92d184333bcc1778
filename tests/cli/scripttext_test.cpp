// standardinput_test.cpp - cutting the script on standard input into lines as the engine cuts
// a script file: newlines and carriage returns before them removed, a last line without a
// newline kept whole, blank lines kept (line numbers in diagnostics depend on them).
#include "standardinput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The lines read from a stream holding `content`.
std::vector<std::string> linesof(std::string const& content) {
  FILE* stream = tmpfile();
  EXPECT_NE(stream, nullptr);
  if (stream == nullptr) return {};
  fwrite(content.data(), 1, content.size(), stream);
  rewind(stream);
  std::string text;
  std::vector<char const*> lines;
  EXPECT_TRUE(cli::readlines(stream, text, lines));
  fclose(stream);
  return {lines.begin(), lines.end()};
}

using lines = std::vector<std::string>;

TEST(standardinput, newlinesEndLinesAndALastLineWithoutOneCounts) {
  EXPECT_EQ(linesof(""), lines{});
  EXPECT_EQ(linesof("x = 1\n"), lines{"x = 1"});
  EXPECT_EQ(linesof("x = 1\nprint(x)"), (lines{"x = 1", "print(x)"}));
  EXPECT_EQ(linesof("\n\nend\n"), (lines{"", "", "end"}));
  EXPECT_EQ(linesof("a\n\n"), (lines{"a", ""}));
}

TEST(standardinput, aCarriageReturnBeforeTheNewlineGoesToo) {
  EXPECT_EQ(linesof("if 1\r\nprint(1)\r\nend\r\n"), (lines{"if 1", "print(1)", "end"}));
  EXPECT_EQ(linesof("a\rb\r\n\r\n"), (lines{"a\rb", ""}));
  EXPECT_EQ(linesof("last\r"), lines{"last"});
}

TEST(standardinput, longInputsArriveWholeAcrossReadChunks) {
  std::string content;
  lines expected;
  for (int i = 0; i < 20000; ++i) {
    expected.push_back("x = " + std::to_string(i));
    content += expected.back() + "\n";
  }
  EXPECT_EQ(linesof(content), expected);
}

} // namespace
