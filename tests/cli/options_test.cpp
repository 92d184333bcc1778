// options_test.cpp - the command line of vesk where it chooses what to run: a script with its
// parameters, "-" for standard input, no script (the prompt or standard input), -e and -c,
// extension libraries, the limits, the folders of the file functions, and the usage errors
// around them.
#include "options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// Parses the words as vesk's arguments (argv[0] added).
struct commandline {
  explicit commandline(std::vector<std::string> words) : storage(std::move(words)) {
    storage.insert(storage.begin(), "vesk");
    for (std::string& word : storage) argv.push_back(word.data());
    parsed = cli::parse(static_cast<int>(argv.size()), argv.data(), opts);
  }
  std::vector<std::string> storage;
  std::vector<char*> argv;
  cli::options opts;
  bool parsed = false;
};

std::vector<std::string> strings(std::vector<char const*> const& texts) {
  return {texts.begin(), texts.end()};
}

TEST(options, aDashAloneIsTheScriptOnStandardInputWithItsParameters) {
  commandline c({"--globals", "-", "n=3", "name=x"});
  ASSERT_TRUE(c.parsed);
  EXPECT_EQ(c.opts.what, cli::mode::input);
  EXPECT_STREQ(c.opts.target, "-");
  EXPECT_TRUE(c.opts.globals);
  EXPECT_EQ(strings(c.opts.assignments), (std::vector<std::string>{"n=3", "name=x"}));
}

TEST(options, noScriptIsASessionWithTheOptionsGiven) {
  commandline bare({});
  ASSERT_TRUE(bare.parsed);
  EXPECT_EQ(bare.opts.what, cli::mode::session);

  commandline c({"-I", "lib", "--no-builtins", "--max-statements", "50", "--timeout", "2"});
  ASSERT_TRUE(c.parsed);
  EXPECT_EQ(c.opts.what, cli::mode::session);
  EXPECT_EQ(c.opts.target, nullptr);
  EXPECT_EQ(strings(c.opts.directories), std::vector<std::string>{"lib"});
  EXPECT_FALSE(c.opts.builtins);
  EXPECT_EQ(c.opts.maxstatements, 50);
  EXPECT_EQ(c.opts.timeout, 2.0);
}

TEST(options, aScriptTakesEverythingAfterItAsParameters) {
  commandline c({"run.vk", "a=1", "b=-2", "ab=x=y", "_a1="});
  ASSERT_TRUE(c.parsed);
  EXPECT_EQ(c.opts.what, cli::mode::script);
  EXPECT_STREQ(c.opts.target, "run.vk");
  EXPECT_EQ(strings(c.opts.assignments),
            (std::vector<std::string>{"a=1", "b=-2", "ab=x=y", "_a1="}));
}

TEST(options, linesAndExpressionsTakeNoParameters) {
  commandline line({"-c", "x = 1"});
  ASSERT_TRUE(line.parsed);
  EXPECT_EQ(line.opts.what, cli::mode::line);
  EXPECT_STREQ(line.opts.target, "x = 1");

  commandline expression({"-e", "1 + 2"});
  ASSERT_TRUE(expression.parsed);
  EXPECT_EQ(expression.opts.what, cli::mode::expression);

  EXPECT_FALSE(commandline({"-c", "x = 1", "a=1"}).parsed);
  EXPECT_FALSE(commandline({"-e", "1", "-"}).parsed);
}

TEST(options, filesAllowsFoldersInOrderAndExcludesNoFiles) {
  commandline c({"--files", "a", "--files", "b", "run.vk"});
  ASSERT_TRUE(c.parsed);
  EXPECT_EQ(strings(c.opts.folders), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(c.opts.filebuiltins);
  commandline none({"--no-files", "run.vk"});
  ASSERT_TRUE(none.parsed);
  EXPECT_FALSE(none.opts.filebuiltins);
  EXPECT_FALSE(commandline({"--files", "a", "--no-files", "run.vk"}).parsed);
}

TEST(options, usageErrors) {
  std::vector<std::vector<std::string>> const wrong = {{"-x"},
                                                       {"--timeout"},
                                                       {"--timeout", "0"},
                                                       {"--timeout", "soon"},
                                                       {"--timeout", "nan"},
                                                       {"--timeout", "-1"},
                                                       {"--max-statements", "-5"},
                                                       {"--max-statements", "0.5"},
                                                       {"--max-statements", "2.5"},
                                                       {"--max-memory", "1e-9"},
                                                       {"--max-memory", "0"},
                                                       {"--max-memory", "lots"},
                                                       {"-l"},
                                                       {"-I", "a", "-I", "b", "-I", "c"},
                                                       {"-", "noequals"},
                                                       {"-", "=1"},
                                                       {"run.vk", "x"},
                                                       {"run.vk", "n=1", "n=2"},
                                                       {"run.vk", "--timeout=5"},
                                                       {"run.vk", "--globals"},
                                                       {"-", "a.b=1"},
                                                       {"-", "1x=1"},
                                                       {"-", "x y=1"},
                                                       {"-", "x;=1"},
                                                       {"-c"},
                                                       {"-e"},
                                                       {"--format"},
                                                       {"--format", "--trace", "a.vk"},
                                                       {"-W", "--format", "a.vk"},
                                                       {"--lsp", "a.vk"},
                                                       {"--lsp", "--trace"}};
  for (std::vector<std::string> const& words : wrong) {
    SCOPED_TRACE(words.front());
    testing::internal::CaptureStderr();
    bool parsed = commandline(words).parsed;
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(parsed);
    EXPECT_NE(message.find("(try 'vesk --help')"), std::string::npos) << message;
  }
}

TEST(options, limitsTooLargeToReachAreNoLimitAndTheOthersAreKeptExactly) {
  commandline huge({"--timeout", "1e10", "--max-statements", "1e30", "--max-memory", "inf", "-"});
  ASSERT_TRUE(huge.parsed);
  EXPECT_EQ(huge.opts.timeout, 0.0); // no watchdog rather than one whose clock overflows
  EXPECT_EQ(huge.opts.maxstatements, 1000000000000000000LL);
  EXPECT_EQ(huge.opts.maxstorebytes, 1000000000000000000ULL);
  EXPECT_EQ(commandline({"--timeout", "inf", "-"}).opts.timeout, 0.0);

  commandline exact({"--timeout", "0.25", "--max-statements", "7", "--max-memory", "1.5", "-"});
  ASSERT_TRUE(exact.parsed);
  EXPECT_EQ(exact.opts.timeout, 0.25);
  EXPECT_EQ(exact.opts.maxstatements, 7);
  EXPECT_EQ(exact.opts.maxstorebytes, 1572864ULL);
}

TEST(options, librariesAreLoadedInTheOrderGiven) {
  commandline c({"-l", "a.so", "--library", "lib/b.so", "-l", "a.so", "run.vk"});
  ASSERT_TRUE(c.parsed);
  EXPECT_EQ(strings(c.opts.libraries), (std::vector<std::string>{"a.so", "lib/b.so", "a.so"}));
}

TEST(options, formatTakesFilesAndWithCheckOnlyReports) {
  for (auto const& words : std::vector<std::vector<std::string>>{
           {"--format", "--check", "a.vk", "-"}, {"--check", "--format", "a.vk", "-"}}) {
    commandline c(words);
    ASSERT_TRUE(c.parsed);
    EXPECT_EQ(c.opts.what, cli::mode::format);
    EXPECT_TRUE(c.opts.formatcheck);
    EXPECT_EQ(strings(c.opts.checked), (std::vector<std::string>{"a.vk", "-"}));
  }
  commandline plain({"--format", "-"});
  ASSERT_TRUE(plain.parsed);
  EXPECT_FALSE(plain.opts.formatcheck);
  EXPECT_EQ(strings(plain.opts.checked), (std::vector<std::string>{"-"}));
}

TEST(options, theLanguageServerTakesFoldersAndLibraries) {
  commandline c({"-I", "lib", "-l", "geo.ext", "--no-builtins", "--lsp"});
  ASSERT_TRUE(c.parsed);
  EXPECT_EQ(c.opts.what, cli::mode::lsp);
  EXPECT_EQ(strings(c.opts.directories), (std::vector<std::string>{"lib"}));
  EXPECT_EQ(strings(c.opts.libraries), (std::vector<std::string>{"geo.ext"}));
  EXPECT_FALSE(c.opts.builtins);
}

TEST(options, helpAndVersionWinOverWhatFollows) {
  EXPECT_EQ(commandline({"--version", "-"}).opts.what, cli::mode::version);
  EXPECT_EQ(commandline({"-h"}).opts.what, cli::mode::help);
  EXPECT_EQ(commandline({"--globals", "--help", "-x"}).opts.what, cli::mode::help);
}

TEST(options, theDebugAdapterTakesNothingElseFromTheCommandLine) {
  EXPECT_EQ(commandline({"--dap"}).opts.what, cli::mode::dap);
  EXPECT_FALSE(commandline({"--dap", "run.vk"}).parsed);
  EXPECT_FALSE(commandline({"--globals", "--dap"}).parsed);
}

} // namespace
