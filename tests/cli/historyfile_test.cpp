// historyfile_test.cpp - the prompt's history file: entries of any bytes come back as written,
// the library's own escapes are read, a line its reader would overrun is never written, and
// lines that are no entry (cut escapes, control characters, garbage) are skipped.
#include "historyfile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using entries = std::vector<std::string>;

TEST(historyfile, EntriesOfAnyBytesComeBackAsWritten) {
  entries const written = {"print(\"a b\")",
                           "x = \"\\\\t\" ; \\040",
                           "\tindented",
                           "\xC3\xA4 \xC3\xB6",
                           std::string("\x01\x7F\xFF\x80", 4),
                           "1\\2\\\\3"};
  std::string text = cli::writehistory(written);
  EXPECT_EQ(text.find_first_of(" \t\x7F\x80\xFF"), std::string::npos) << text;
  EXPECT_EQ(cli::readhistory(text), written);
}

TEST(historyfile, TheLibrarysOwnEscapesAreRead) {
  EXPECT_EQ(cli::readhistory("_HiStOrY_V2_\n"
                             "print(\"\\M-C\\M-$\")\n"
                             "\\^I\\M^A\\040x\\7y\\^?\n"),
            (entries{"print(\"\xC3\xA4\")", "\t\x81 x\ay\x7F"}));
}

TEST(historyfile, ALineTheLibraryCannotReadBackIsNotWritten) {
  std::string longest(cli::longesthistoryline, 'a');
  entries const written = {longest, longest + "a",
                           std::string(cli::longesthistoryline / 4 + 1, ' '), "last"};
  EXPECT_EQ(cli::readhistory(cli::writehistory(written)), (entries{longest, "last"}));
}

TEST(historyfile, LinesThatAreNoEntryAreSkipped) {
  EXPECT_EQ(cli::readhistory("x = 1\ny = 2\n"), entries{}); // no first line: no history
  EXPECT_EQ(cli::readhistory("_HiStOrY_V2_\nfirst\n\\\n\\M-\n\\M\n\\^\n\\9\n\\q\n\\000\na\rb\n"
                             "\\012\n\n\x01\nlast"),
            (entries{"first", "last"}));
}

// Random bytes, as a damaged file holds them: whatever is read is an entry the prompt can take,
// and a good line after the garbage is still found.
TEST(historyfile, GarbageYieldsOnlyWholeEntries) {
  std::mt19937 bytes(24);
  std::string text = "_HiStOrY_V2_\n";
  for (int i = 0; i < 100000; ++i) text += static_cast<char>(bytes() & 0xFF);
  text += "\nprint(6\\040*\\0407)\n";
  entries read = cli::readhistory(text);
  ASSERT_FALSE(read.empty());
  EXPECT_EQ(read.back(), "print(6 * 7)");
  for (std::string const& entry : read) {
    EXPECT_FALSE(entry.empty());
    EXPECT_EQ(entry.find_first_of(std::string("\0\r\n", 3)), std::string::npos);
  }
}

} // namespace
