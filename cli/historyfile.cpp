// historyfile.cpp - encoding and decoding the lines of the history file. Written: visible ASCII
// characters as they are, a backslash doubled, every other byte as a backslash and three octal
// digits. Read: also the escapes the library writes itself ("\M-x", "\M^x", "\^x", octal of
// one to three digits) and bytes above ASCII as they are; anything else is no entry.
#include "historyfile.h"

#include <cstdio>

namespace cli {

namespace {

constexpr char const* firstline = "_HiStOrY_V2_";
constexpr int octaldigits = 3;
constexpr int largestbyte = 0xFF;
constexpr int metabit = 0x80;
constexpr int controlbits = 037;
constexpr char deletecharacter = 0x7F;

bool visible(unsigned char c) {
  return c > ' ' && c < deletecharacter && c != '\\';
}

bool octal(char c) {
  return c >= '0' && c <= '7';
}

// The character "^c" stands for: a control character, "^?" the delete character.
char control(char c) {
  return c == '?' ? deletecharacter : static_cast<char>(c & controlbits);
}

// Decodes the escape that begins after the backslash at `i`, moving `i` past it; false when
// the line ends within it or it is none the library writes.
bool unescape(std::string const& line, std::size_t& i, std::string& entry) {
  std::size_t left = line.size() - i;
  char c = left > 0 ? line[i++] : '\0';
  if (c == '\\') {
    entry += '\\';
    return true;
  }
  if (octal(c)) {
    int value = c - '0';
    for (int n = 1; n < octaldigits && i < line.size() && octal(line[i]); ++n)
      value = value * 8 + (line[i++] - '0');
    entry += static_cast<char>(value);
    return value <= largestbyte;
  }
  int meta = 0;
  if (c == 'M' && left >= 3) { // "M-x" or "M^x"
    meta = metabit;
    c = line[i++];
    if (c == '-') {
      entry += static_cast<char>(line[i++] | meta);
      return true;
    }
  }
  if (c != '^' || i >= line.size()) return false;
  entry += static_cast<char>(control(line[i++]) | meta);
  return true;
}

} // namespace

std::string encodehistory(std::string const& entry) {
  std::string line;
  for (char c : entry) {
    unsigned char byte = static_cast<unsigned char>(c);
    char escape[sizeof "\\377"];
    if (visible(byte))
      line += c;
    else if (c == '\\')
      line += "\\\\";
    else if (snprintf(escape, sizeof escape, "\\%03o", byte) > 0)
      line += escape;
  }
  return line;
}

bool decodehistory(std::string const& line, std::string& entry) {
  entry.clear();
  for (std::size_t i = 0; i < line.size();) {
    unsigned char byte = static_cast<unsigned char>(line[i++]);
    if (byte == '\\') {
      if (!unescape(line, i, entry)) return false;
    } else if (byte < ' ' || byte == deletecharacter) {
      return false; // the library writes control characters as escapes
    } else {
      entry += static_cast<char>(byte);
    }
  }
  return !entry.empty() && entry.find_first_of(std::string("\0\r\n", 3)) == std::string::npos;
}

std::vector<std::string> readhistory(std::string const& text) {
  std::vector<std::string> entries;
  std::size_t end = text.find('\n');
  if (end == std::string::npos || text.compare(0, end, firstline) != 0) return entries;
  std::string entry;
  for (std::size_t start = end + 1; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (decodehistory(text.substr(start, end - start), entry)) entries.push_back(entry);
  }
  return entries;
}

std::vector<std::string> loadhistory(std::string const& path) {
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return {};
  std::string text;
  char chunk[BUFSIZ];
  std::size_t got = 0;
  while (text.size() <= maxhistorybytes && (got = fread(chunk, 1, sizeof chunk, file)) > 0)
    text.append(chunk, got);
  bool failed = ferror(file) != 0;
  fclose(file);
  if (failed || text.size() > maxhistorybytes) return {};
  return readhistory(text);
}

std::string writehistory(std::vector<std::string> const& entries) {
  std::string text = std::string(firstline) + "\n";
  for (std::string const& entry : entries) {
    std::string line = encodehistory(entry);
    if (line.size() <= longesthistoryline) text += line + "\n";
  }
  return text;
}

} // namespace cli
