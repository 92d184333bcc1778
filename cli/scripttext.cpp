// standardinput.cpp - reading a whole script from a stream and cutting it into lines in
// place: the text is kept in one string and the lines point into it.
#include "standardinput.h"

namespace cli {

namespace {

constexpr std::size_t chunksize = 65536;

bool readall(FILE* stream, std::string& text) {
  char chunk[chunksize];
  std::size_t got = 0;
  while ((got = fread(chunk, 1, sizeof chunk, stream)) > 0) text.append(chunk, got);
  return ferror(stream) == 0;
}

} // namespace

bool readlines(FILE* stream, std::string& text, std::vector<char const*>& lines) {
  text.clear();
  lines.clear();
  bool complete = readall(stream, text);
  // Lines are cut only once the text no longer grows, since its storage may move while it does.
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t newline = text.find('\n', start);
    std::size_t end = newline == std::string::npos ? text.size() : newline;
    if (end > start && text[end - 1] == '\r') text[end - 1] = '\0';
    if (end < text.size()) text[end] = '\0';
    lines.push_back(text.c_str() + start);
    start = end + 1;
  }
  return complete;
}

} // namespace cli
