// scripttext_test.cpp - cutting the script that vesk reads itself into lines as the engine cuts
// a script file: newlines and carriage returns before them removed, a last line without a
// newline kept whole, blank lines kept (line numbers in diagnostics depend on them); and the
// bound on what is read.
#include "scripttext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Reads a stream holding `content` with the bound `limit`.
cli::readstatus readback(std::string const& content, std::vector<std::string>& got,
                         std::size_t limit = cli::maxscriptbytes) {
  FILE* stream = tmpfile();
  EXPECT_NE(stream, nullptr);
  if (stream == nullptr) return cli::readstatus::failed;
  fwrite(content.data(), 1, content.size(), stream);
  rewind(stream);
  std::string text;
  std::vector<char const*> lines;
  cli::readstatus status = cli::readlines(stream, text, lines, limit);
  fclose(stream);
  got.assign(lines.begin(), lines.end());
  return status;
}

// The lines read from a stream holding `content`.
std::vector<std::string> linesof(std::string const& content) {
  std::vector<std::string> got;
  EXPECT_EQ(readback(content, got), cli::readstatus::complete);
  return got;
}

using lines = std::vector<std::string>;

TEST(scripttext, newlinesEndLinesAndALastLineWithoutOneCounts) {
  EXPECT_EQ(linesof(""), lines{});
  EXPECT_EQ(linesof("x = 1\n"), lines{"x = 1"});
  EXPECT_EQ(linesof("x = 1\nprint(x)"), (lines{"x = 1", "print(x)"}));
  EXPECT_EQ(linesof("\n\nend\n"), (lines{"", "", "end"}));
  EXPECT_EQ(linesof("a\n\n"), (lines{"a", ""}));
}

TEST(scripttext, aCarriageReturnBeforeTheNewlineGoesToo) {
  EXPECT_EQ(linesof("if 1\r\nprint(1)\r\nend\r\n"), (lines{"if 1", "print(1)", "end"}));
  EXPECT_EQ(linesof("a\rb\r\n\r\n"), (lines{"a\rb", ""}));
  EXPECT_EQ(linesof("last\r"), lines{"last"});
}

TEST(scripttext, longInputsArriveWholeAcrossReadChunks) {
  std::string content;
  lines expected;
  for (int i = 0; i < 20000; ++i) {
    expected.push_back("x = " + std::to_string(i));
    content += expected.back() + "\n";
  }
  EXPECT_EQ(linesof(content), expected);
}

TEST(scripttext, aStreamLongerThanTheBoundIsRefusedOneOfExactlyTheBoundIsNot) {
  std::string content(200000, 'x');
  std::vector<std::string> got;
  EXPECT_EQ(readback(content, got, content.size()), cli::readstatus::complete);
  EXPECT_EQ(got, lines{content});
  EXPECT_EQ(readback(content, got, content.size() - 1), cli::readstatus::toolarge);
}

} // namespace
