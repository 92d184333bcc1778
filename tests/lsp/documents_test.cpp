// documents_test.cpp - the server's own reading of what clients send, where the clients in the
// other tests write only ASCII: positions counted in UTF-16 code units over UTF-8 text (letters
// of two and four bytes, bytes that are no UTF-8), incremental changes across lines and past
// the end, file URIs with escapes; and the described built-ins are those the engine registers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "builtindocs.h"
#include "documents.h"
#include "enginelink.h"
#include "uri.h"

namespace {

using cli::lsp::document;
using cli::lsp::position;

TEST(documents, positionsCountUtf16CodeUnits) {
  // "ü" is two bytes and one unit, the clef four bytes and two units, a lone 0xFF one unit.
  std::string const line = "a\xC3\xBC\xF0\x9D\x84\x9E\xFFz";
  EXPECT_EQ(cli::lsp::utf16units(line), 6);
  for (auto [units, bytes] : std::vector<std::pair<long long, std::size_t>>{
           {0, 0}, {1, 1}, {2, 3}, {4, 7}, {5, 8}, {6, 9}, {40, 9}})
    EXPECT_EQ(cli::lsp::utf16offset(line, units), bytes) << units;
  // Overlong forms and surrogates written in UTF-8 are no UTF-8: a unit per byte.
  EXPECT_EQ(cli::lsp::utf16units("\xC0\xAF\xED\xA0\x80"), 5);
  document doc(line + "\nsecond\r\nthird", 1);
  EXPECT_EQ(doc.linecount(), 3u);
  EXPECT_EQ(doc.line(1), "second");
  EXPECT_EQ(doc.offset(position{1, 3}), line.size() + 4);
  position back = doc.positionof(7);
  EXPECT_EQ(back.line, 0);
  EXPECT_EQ(back.character, 4);
  EXPECT_EQ(doc.end().line, 2);
  EXPECT_EQ(doc.end().character, 5);
}

TEST(documents, incrementalChangesAcrossLinesAndPastTheEnd) {
  document doc("x = 1\nif x\n  print \"\xC3\xBC\xC3\xBC\", x\nend\n", 1);
  // From after the second "ü" on line 2 to the middle of line 3.
  doc.replace(position{2, 11}, position{3, 1}, "!\nE", 2);
  EXPECT_EQ(doc.text(), "x = 1\nif x\n  print \"\xC3\xBC\xC3\xBC!\nEnd\n");
  EXPECT_EQ(doc.version(), 2);
  doc.replace(position{40, 0}, position{50, 3}, "tail", 3);
  EXPECT_EQ(doc.text(), "x = 1\nif x\n  print \"\xC3\xBC\xC3\xBC!\nEnd\ntail");
  doc.replace(position{0, 99}, position{0, 99}, " + 2", 4);
  EXPECT_EQ(doc.line(0), "x = 1 + 2");
  EXPECT_EQ(doc.linecount(), 5u);
}

TEST(documents, fileUris) {
  EXPECT_EQ(cli::lsp::pathofuri("file:///tmp/a%20b/%C3%BC.vk"), "/tmp/a b/\xC3\xBC.vk");
  EXPECT_EQ(cli::lsp::pathofuri("file://localhost/x.vk"), "/x.vk");
  EXPECT_EQ(cli::lsp::pathofuri("file:///c%3A/Scripts/x.vk"), "c:/Scripts/x.vk");
  EXPECT_EQ(cli::lsp::pathofuri("untitled:Untitled-1"), "");
  EXPECT_EQ(cli::lsp::pathofuri("file://server/share/x.vk"), "");
  EXPECT_EQ(cli::lsp::pathofuri("file:///a%00b"), "");
  EXPECT_EQ(cli::lsp::uriofpath("/tmp/a b/\xC3\xBC#1.vk"), "file:///tmp/a%20b/%C3%BC%231.vk");
  EXPECT_EQ(cli::lsp::pathofuri(cli::lsp::uriofpath("/x/%41.vk")), "/x/%41.vk");
}

TEST(documents, theDescribedBuiltinsAreThoseTheEngineRegisters) {
  std::vector<std::string> described, registered = cli::lsp::builtinnames();
  for (cli::lsp::builtindoc const& doc : cli::lsp::builtins()) described.push_back(doc.name);
  std::sort(described.begin(), described.end());
  std::sort(registered.begin(), registered.end());
  EXPECT_EQ(described, registered);
  EXPECT_EQ(cli::lsp::parametersof("round(x, d)"), (std::vector<std::string>{"x", "d"}));
  EXPECT_EQ(cli::lsp::parametersof("year()"), std::vector<std::string>{});
}

} // namespace
