// completion_test.cpp - what Tab completes at the prompt: only a name before the cursor (not a
// number, not inside a text or a quoted name), as far as all its candidates agree; and the
// columns that list them.
#include "completion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using names = std::vector<std::string>;

TEST(completion, onlyANameBeforeTheCursorIsCompleted) {
  EXPECT_EQ(cli::namestart("pri", 3), 0u);
  EXPECT_EQ(cli::namestart("x = ab + 1", 6), 4u);
  EXPECT_EQ(cli::namestart("  total_2", 9), 2u);
  EXPECT_EQ(cli::namestart("", 0), std::string::npos); // indenting a block line
  EXPECT_EQ(cli::namestart("  ", 2), std::string::npos);
  EXPECT_EQ(cli::namestart("x = 12", 6), std::string::npos);
  EXPECT_EQ(cli::namestart("print(\"a", 8), std::string::npos);
  EXPECT_EQ(cli::namestart("print(\"say \\\"a", 14), std::string::npos); // escaped quote
  EXPECT_EQ(cli::namestart("print(\"a\") + ab", 15), 13u);               // after the text
  EXPECT_EQ(cli::namestart("'unit pr", 8), std::string::npos);
}

TEST(completion, completesAsFarAsTheCandidatesAgree) {
  names matches;
  EXPECT_EQ(cli::complete("pr", {"print", "abs", "x"}, matches), "int");
  EXPECT_EQ(matches, names{"print"});
  EXPECT_EQ(cli::complete("is", {"isstring", "isnumber", "isnamedlist", "if"}, matches), "");
  EXPECT_EQ(matches, (names{"isnamedlist", "isnumber", "isstring"}));
  EXPECT_EQ(cli::complete("isn", {"isnumber", "isnamedlist"}, matches), "");
  EXPECT_EQ(cli::complete("tot", {"total", "totals", "total"}, matches), "al");
  EXPECT_EQ(matches, (names{"total", "totals"})); // a name both variable and function counts once
  EXPECT_EQ(cli::complete("zz", {"print"}, matches), "");
  EXPECT_TRUE(matches.empty());
}

TEST(completion, candidatesAreListedInColumnsWithinTheWidth) {
  names const listed = {"a", "bb", "ccc", "d", "ee", "f", "gggg"};
  EXPECT_EQ(cli::columns(listed, 20), (names{"a     d     gggg", "bb    ee", "ccc   f"}));
  EXPECT_EQ(cli::columns(listed, 15), (names{"a     ee", "bb    f", "ccc   gggg", "d"}));
  EXPECT_EQ(cli::columns({"longer", "x"}, 3), (names{"longer", "x"}));
  EXPECT_TRUE(cli::columns({}, 80).empty());
}

} // namespace
