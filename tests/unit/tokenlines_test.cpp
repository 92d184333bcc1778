// tokenlines_test.cpp - recorded tokens: a replaying tokenizer must deliver what scanning the
// same text delivers, under every mix of taking, peeking (at a token or its type), skipping and
// pushing back; and the
// table of a run's lines records a line on its second pass, keeps to its budget and shares
// one recording between threads.
#include "frontend/symbolizer.h"
#include "frontend/tokenlines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace vesk {
namespace {

// A recording of `text` in a heap block of exactly the size recordsize gives, so that the
// sanitizer build sees any write or read past it.
std::vector<unsigned char> recorded(std::string const& text) {
  std::vector<unsigned char> recording(symbolizer::recordsize(text.c_str(), standardoptions));
  symbolizer::record(text.c_str(), standardoptions, recording.data());
  return recording;
}

// What a parser reads of a token: its type and, by type, its value or its text.
void expectsame(token const& scanned, token const& replayed, std::string const& text) {
  ASSERT_EQ(scanned.type, replayed.type) << text;
  if (scanned.type == integertoken) {
    ASSERT_EQ(scanned.integer, replayed.integer) << text;
  } else if (scanned.type == realtoken) {
    ASSERT_EQ(std::memcmp(&scanned.real, &replayed.real, sizeof scanned.real), 0) << text;
  }
  ASSERT_STREQ(scanned.text, replayed.text) << text;
}

// Drives a scanning and a replaying tokenizer over `text` with the same random operations.
void lockstep(std::string const& text, std::mt19937& random) {
  std::vector<unsigned char> recording = recorded(text);
  symbolizer scanning(text.c_str(), standardoptions);
  symbolizer replaying(recording.data());
  std::vector<token> held; // tokens taken and not yet given back, the same for both
  for (size_t step = 0; step < 4 * text.size() + 20; ++step) {
    switch (random() % 5) {
    case 0: {
      token a, b;
      std::memset(&b, 0xAA, sizeof b); // stale bytes must not show through
      scanning.nexttoken(a);
      replaying.nexttoken(b);
      expectsame(a, b, text);
      if (held.size() < maxpushback) held.push_back(a);
      break;
    }
    case 1:
      expectsame(scanning.peektoken(), replaying.peektoken(), text);
      break;
    case 2:
      scanning.skiptoken();
      replaying.skiptoken();
      break;
    case 3:
      ASSERT_EQ(scanning.peektype(), replaying.peektype()) << text;
      break;
    default:
      if (!held.empty()) {
        scanning.pushback(held.back());
        replaying.pushback(held.back());
        held.pop_back();
      }
    }
    if (::testing::Test::HasFatalFailure()) return;
  }
}

TEST(TokenRecording, ReplayDeliversWhatScanningDelivers) {
  // One of each kind of token, the malformed ones and the cut ones included.
  char const* const lines[] = {
      "x = x + i % 7",
      "if a <> b && c != d || e >= f and g <= h",
      "s = \"tab\\tquote\\\" and \\q\" + 'single' // comment",
      "n = 12 + 3.5e2 + 4\" + 99999999999 + 1e99999 + 2147483648 + 12abc + 1e+",
      "l = {1, {2, 3}, \"x\"}[1] /* block */ ; rest",
      "\"open string",
      "'\\",
      "p.x[3] = -p.y * (2 / 3) # @ $ \x80\xFF",
      "",
      "   \t  ",
  };
  std::mt19937 random(2026);
  for (char const* line : lines)
    for (int round = 0; round < 20; ++round) lockstep(line, random);
  std::string longname(300, 'n');
  std::string longstring = "\"" + std::string(400, 's') + "\"";
  lockstep(longname + " = " + longstring, random);
}

TEST(TokenRecording, RandomTextsReplayAsTheyScan) {
  static char const soup[] = "0123456789eE.+-_aZ\"'\\/*;<>=!&|%{}[](), \t\r\n\x80\xFF";
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string text(random() % 200, ' ');
    for (char& c : text) c = soup[random() % (sizeof soup - 1)];
    lockstep(text, random);
    if (HasFatalFailure()) return;
  }
  for (int round = 0; round < 1000; ++round) {
    std::string text(random() % 200, ' ');
    for (char& c : text) c = static_cast<char>(1 + random() % 255);
    lockstep(text, random);
    if (HasFatalFailure()) return;
  }
}

TEST(TokenRecording, TheEndIsDeliveredAgainAndAgain) {
  std::vector<unsigned char> recording = recorded("a");
  symbolizer replaying(recording.data());
  token t;
  EXPECT_EQ(replaying.nexttoken(t), nametoken);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(replaying.nexttoken(t), endtoken);
    replaying.skiptoken();
    EXPECT_EQ(replaying.peektoken().type, endtoken);
  }
}

// ---------------------------------------------------------------------------------------------
// The table of a run's lines

struct tablehandle {
  explicit tablehandle(int count) : table(tokenlines::make(count)) {}
  ~tablehandle() { tokenlines::release(table); }
  tokenlines* table;
};

TEST(TokenLines, ALineIsRecordedOnItsSecondPass) {
  char const* const lines[] = {"x = 1", "y = x + 2"};
  tablehandle lines2(2);
  tokenlines& table = *lines2.table;
  EXPECT_EQ(table.recorded(1), nullptr);
  EXPECT_EQ(table.recording(1, lines[1]), nullptr) << "the first pass scans";
  EXPECT_EQ(table.recorded(1), nullptr) << "looking does not record";
  unsigned char const* second = table.recording(1, lines[1]);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(table.recording(1, lines[1]), second) << "later passes replay the same recording";
  EXPECT_EQ(table.recorded(1), second);
  EXPECT_EQ(table.recorded(0), nullptr) << "other lines are untouched";
  symbolizer replaying(second);
  token t;
  EXPECT_EQ(replaying.nexttoken(t), nametoken);
  EXPECT_STREQ(t.text, "y");
}

TEST(TokenLines, IndexesOutsideTheTableHaveNoRecording) {
  tablehandle one(1);
  for (int index : {-1, 1, 1000}) {
    EXPECT_EQ(one.table->recording(index, "x"), nullptr);
    EXPECT_EQ(one.table->recording(index, "x"), nullptr);
    EXPECT_EQ(one.table->recorded(index), nullptr);
  }
  tablehandle none(0);
  ASSERT_NE(none.table, nullptr);
  EXPECT_EQ(none.table->recording(0, "x"), nullptr);
  EXPECT_EQ(tokenlines::make(-1), nullptr);
}

TEST(TokenLines, RecordingsStopAtTheBudgetAndLinesAreScannedThen) {
  // Each line records 500,000 integers and pluses: about 2.5 MB; the budget is 32 MiB.
  std::string text;
  for (int i = 0; i < 250000; ++i) text += "1+";
  constexpr int count = 20;
  tablehandle lines(count);
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    lines.table->recording(i, text.c_str());
    if (lines.table->recording(i, text.c_str()) != nullptr) ++kept;
  }
  EXPECT_GT(kept, 5);
  EXPECT_LT(kept, count);
  for (int i = 0; i < count; ++i) {
    bool has = lines.table->recorded(i) != nullptr;
    EXPECT_EQ(has, i < kept) << "the first lines keep their recordings, later ones get none";
  }
}

TEST(TokenLines, ThreadsRecordingTogetherShareOneRecording) {
  constexpr int count = 200;
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i)
    texts.push_back("v" + std::to_string(i) + " = v + " + std::to_string(i));
  tablehandle lines(count);
  std::vector<unsigned char const*> seen[2];
  auto work = [&](int who) {
    for (int pass = 0; pass < 3; ++pass)
      for (int i = 0; i < count; ++i) {
        unsigned char const* r = lines.table->recording(i, texts[static_cast<size_t>(i)].c_str());
        if (pass == 2) seen[who].push_back(r);
      }
  };
  std::thread other(work, 1);
  work(0);
  other.join();
  for (int i = 0; i < count; ++i) {
    ASSERT_NE(seen[0][static_cast<size_t>(i)], nullptr);
    EXPECT_EQ(seen[0][static_cast<size_t>(i)], seen[1][static_cast<size_t>(i)]);
    std::vector<unsigned char> expected = recorded(texts[static_cast<size_t>(i)]);
    EXPECT_EQ(std::memcmp(seen[0][static_cast<size_t>(i)], expected.data(), expected.size()), 0);
  }
}

} // namespace
} // namespace vesk
