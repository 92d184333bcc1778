// coverage.cpp - the lcov trace file: per script a record "SF:" with the file's absolute path,
// "DA:line,count" for every statement line in order, "LF:" the lines found and "LH:" those
// that ran, and "end_of_record". The files are read again to find the lines that never ran.
// Whether "else", "catch" and "end" run depends on the branch taken before them, not on
// whether the script's own statements ran: like the braces of other languages, they are no
// lines of the record.
#include "coverage.h"

#include <cstring>
#include <filesystem>
#include <vector>

#include "scripttext.h"
#include "symbolizer.h"

namespace cli {

bool statementline(char const* line) {
  vesk::symbolizer tokens(line, vesk::standardoptions);
  vesk::token first, second;
  vesk::tokentype type = tokens.nexttoken(first);
  if (type == vesk::endtoken) return false;
  if (type != vesk::nametoken) return true;
  for (char const* word : {"else", "catch", "end"})
    if (strcmp(first.text, word) == 0) return false;
  return strcmp(first.text, "thread") != 0 || tokens.nexttoken(second) != vesk::endtoken;
}

void coverage::writescript(FILE* out, std::string const& path,
                           std::map<int, long long> const& counts, std::string& unread) const {
  FILE* file = fopen(path.c_str(), "rb");
  std::string text;
  std::vector<char const*> lines;
  bool read = file != nullptr && readlines(file, text, lines) == readstatus::complete;
  if (file != nullptr) fclose(file);
  std::error_code failed;
  std::filesystem::path absolute = std::filesystem::absolute(path, failed);
  if (!read || failed) {
    unread += path + "\n";
    return;
  }
  fprintf(out, "TN:\nSF:%s\n", absolute.string().c_str());
  int found = 0, hit = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    int line = static_cast<int>(i) + 1;
    if (!statementline(lines[i])) continue;
    auto ran = counts.find(line);
    long long times = ran != counts.end() ? ran->second : 0;
    fprintf(out, "DA:%d,%lld\n", line, times);
    ++found;
    if (times > 0) ++hit;
  }
  fprintf(out, "LF:%d\nLH:%d\nend_of_record\n", found, hit);
}

void coverage::write(FILE* out, std::string& unread) const {
  for (auto const& [path, counts] : scripts) writescript(out, path, counts, unread);
}

} // namespace cli
