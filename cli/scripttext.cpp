// scripttext.cpp - reading a whole script from a stream, up to a bound, and cutting it into
// lines in place: the text is kept in one string and the lines point into it.
#include "scripttext.h"

#include <cstring>

namespace cli {

namespace {

constexpr std::size_t chunksize = 65536;

} // namespace

readstatus readtext(FILE* stream, std::string& text, std::size_t limit) {
  text.clear();
  char chunk[chunksize];
  std::size_t got = 0;
  while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0) {
    if (got > limit - text.size()) return readstatus::toolarge;
    text.append(chunk, got);
  }
  return ferror(stream) == 0 ? readstatus::complete : readstatus::failed;
}

void cutlines(std::string& text, std::vector<char const*>& lines) {
  lines.clear();
  // A UTF-8 byte-order mark that an editor wrote before the first line is no part of it.
  std::size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (start < text.size()) {
    std::size_t newline = text.find('\n', start);
    std::size_t end = newline == std::string::npos ? text.size() : newline;
    if (end > start && text[end - 1] == '\r') text[end - 1] = '\0';
    if (end < text.size()) text[end] = '\0';
    lines.push_back(text.c_str() + start);
    start = end + 1;
  }
}

readstatus readlines(FILE* stream, std::string& text, std::vector<char const*>& lines,
                     std::size_t limit) {
  lines.clear();
  readstatus status = readtext(stream, text, limit);
  std::size_t nul = text.find('\0'); // before cutting, which writes NULs of its own
  // Lines are cut only once the text no longer grows, since its storage may move while it does.
  cutlines(text, lines);
  if (status != readstatus::complete || nul == std::string::npos) return status;
  std::size_t before = 0; // the lines that end before the NUL
  while (before < lines.size() && lines[before] + std::strlen(lines[before]) < text.c_str() + nul)
    ++before;
  lines.resize(before);
  return readstatus::nulbyte;
}

} // namespace cli
