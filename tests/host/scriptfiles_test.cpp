// scriptfiles_test.cpp - script files with any bytes: files are written into a temporary folder
// and run by name through vesk::interpreter, as a host runs them. NUL bytes, bytes 0x80-0xFF,
// control characters and random data must give messages and a result, the same on every run and
// never a crash (the sanitizer build checks for reads past the text); the interpreter stays
// usable afterwards.
#include "vesk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "scratchfolder.h"

namespace {

int loggedlines = 0;
bool nulltext = false;
std::vector<std::string> logged; // level and text of each line since the last clear

void countlog(int level, char const* text) {
  if (text == nullptr) nulltext = true;
  ++loggedlines;
  logged.push_back(std::to_string(level) + (text != nullptr ? text : ""));
}

bool anyerror(std::vector<std::string> const& lines) {
  for (std::string const& line : lines)
    if (line[0] == '0' + vesk::logerror) return true;
  return false;
}

class scriptfiles : public ::testing::Test {
protected:
  void SetUp() override {
    loggedlines = 0;
    nulltext = false;
    ASSERT_TRUE(folder.ready());
    interp.setscriptpath(folder.root.c_str(), nullptr);
  }
  void TearDown() override {
    vesk::releasevalue(&globals);
    EXPECT_FALSE(nulltext);
  }

  void write(std::string const& name, std::string const& bytes) {
    folder.writefile(name + ".vk", bytes);
  }
  bool runfile(std::string const& name) {
    vesk::parameters params;
    bool ok = interp.execute(name.c_str(), &params);
    vesk::releasevalue(&params);
    return ok;
  }
  double number(char const* name) {
    vesk::variable* v = globals.find(name);
    return v != nullptr && v->isnumber() ? v->number() : -999;
  }
  // Runs the file twice, each time over an empty store: both runs give the same result with the
  // same messages (the second may take what the first left behind: the script's text, its
  // compiled lines). A failure need not say why: inside a try body it may end the run silently.
  void runsalike(std::string const& name) {
    std::vector<std::string> messages[2];
    bool ok[2];
    for (int i = 0; i < 2; ++i) {
      vesk::releasevalue(&globals);
      logged.clear();
      ok[i] = runfile(name);
      messages[i] = logged;
    }
    EXPECT_EQ(ok[0], ok[1]);
    EXPECT_EQ(messages[0], messages[1]);
  }
  // The interpreter still evaluates after whatever it ran.
  void stillworks() {
    vesk::variable* v = interp.evaluate("{1, 2} + {3}");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->count(), 3);
  }

  vesktest::scratchfolder folder;
  vesk::variables globals;
  vesk::interpreter interp{&globals, countlog};
};

TEST_F(scriptfiles, AnEmptyFileSucceeds) {
  write("empty", "");
  EXPECT_TRUE(runfile("empty"));
  EXPECT_EQ(loggedlines, 0);
}

TEST_F(scriptfiles, ALastLineWithoutNewlineRuns) {
  write("last", "x = 1\ny = x + 1");
  EXPECT_TRUE(runfile("last"));
  EXPECT_EQ(number("y"), 2.0);
}

TEST_F(scriptfiles, CarriageReturnsBeforeLineFeedsAreDropped) {
  write("crlf", "x = \"a\"\r\ny = x + \"b\"\r\n\r\n");
  EXPECT_TRUE(runfile("crlf"));
  vesk::variable* y = globals.find("y");
  ASSERT_NE(y, nullptr);
  EXPECT_STREQ(y->string(), "ab");
}

// A NUL byte would end its line early without a word: the script is refused before any of it
// runs, and the message names the line.
TEST_F(scriptfiles, AScriptWithANulByteIsRefused) {
  // (Not named "nul", which is the null device on Windows, whatever the extension.)
  write("nulbytes", std::string("y = 2\nx = 1\0x = 99\n\0\0\0\n", 22));
  EXPECT_FALSE(runfile("nulbytes"));
  EXPECT_EQ(globals.find("y"), nullptr);
  EXPECT_EQ(loggedlines, 1);
}

TEST_F(scriptfiles, HighBytesAreTextInStringsAndComments) {
  write("high", "s = \"gr\xfc\xdf \xe9\xff\" ; \xe9\xe9\n/* \x80 */ t = s + \"\xa0\" // \xff\n");
  EXPECT_TRUE(runfile("high"));
  vesk::variable* t = globals.find("t");
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t->string(), "gr\xfc\xdf \xe9\xff\xa0");
  EXPECT_EQ(loggedlines, 0);
}

TEST_F(scriptfiles, EveryByteValueOnItsOwnLineIsHandled) {
  std::string text;
  for (int b = 0; b < 256; ++b) {
    char c = static_cast<char>(b);
    text += "x = \"";
    text += c;
    text += "\"\n";
    text += c;
    text += "\n";
    text += "y = 1 ";
    text += c;
    text += " 2\n";
  }
  write("bytes", text);
  logged.clear();
  EXPECT_FALSE(runfile("bytes")); // fails at the first stray byte; must not crash
  EXPECT_TRUE(anyerror(logged));
  // Each line in a try block of its own: every byte value is met (Ctrl-Z included, which ends
  // nothing on any system), and the run goes on.
  std::string guarded;
  for (int b = 1; b < 256; ++b) { // a NUL refuses the whole script (tested above)
    if (b == '\n') continue;
    char c = static_cast<char>(b);
    guarded += "try\nx = \"";
    guarded += c;
    guarded += "\"\ny = 1 ";
    guarded += c;
    guarded += " 2\n";
    guarded += c;
    guarded += "\nend\n";
  }
  guarded += "done = 1\n";
  write("guarded", guarded);
  EXPECT_TRUE(runfile("guarded"));
  EXPECT_EQ(number("done"), 1.0);
  stillworks();
}

TEST_F(scriptfiles, RandomBytesGiveAResultNeverACrash) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 20; ++round) {
    std::string text(static_cast<size_t>(4096 + round * 3000), '\0');
    for (char& c : text) c = static_cast<char>(byte(random));
    write("random", text);
    runsalike("random");
  }
  stillworks();
}

TEST_F(scriptfiles, RandomLinesOfScriptCharactersGiveAResultNeverACrash) {
  // Characters the tokenizer treats specially, so that most lines get deep into the parsers.
  std::string const alphabet = "()[]{}.,;=<>!&|+-*/%\"'\\ \t\n\r0123456789eEabxyz_if end for next";
  std::mt19937 random(4711);
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  for (int round = 0; round < 50; ++round) {
    std::string text = "a = {1, {2}, {k = 3}}\ntry\n";
    for (int i = 0; i < 2000; ++i) text += alphabet[pick(random)];
    text += "\nend\n";
    write("lines", text);
    runsalike("lines");
  }
  stillworks();
}

// A read that fails is no shorter script: Linux's /proc/self/mem is a regular file whose first
// read fails (nothing is mapped at address 0).
TEST_F(scriptfiles, AScriptThatCannotBeReadToItsEndFails) {
  std::error_code failed;
  std::filesystem::create_symlink("/proc/self/mem", folder.path("broken.vk"), failed);
  if (failed || !std::filesystem::exists("/proc/self/mem"))
    GTEST_SKIP() << "no /proc/self/mem here to fail a read";
  write("caller", "try\n  broken\ncatch\n  seen = getlasterror()\nend\n");
  EXPECT_FALSE(runfile("broken"));
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(logged[0].find("broken.vk' could not be read to its end"), std::string::npos);
  logged.clear();
  interp.addinternalfuncs(nullptr);
  EXPECT_TRUE(runfile("caller"));
  vesk::variable* seen = globals.find("seen");
  ASSERT_NE(seen, nullptr);
  EXPECT_NE(std::string(seen->string()).find("could not be read to its end"), std::string::npos);
}

TEST_F(scriptfiles, AMissingScriptFailsSilently) {
  EXPECT_FALSE(runfile("nosuchscript"));
  EXPECT_EQ(loggedlines, 0);
}

} // namespace
