// coverage.cpp - the lcov trace file: per script a record "SF:" with the file's absolute path,
// "DA:line,count" for every statement line in order, "LF:" the lines found and "LH:" those
// that ran, and "end_of_record". The files are read again to find the lines that never ran.
// Whether "else", "catch" and "end" run depends on the branch taken before them, not on
// whether the script's own statements ran: like the braces of other languages, they are no
// lines of the record.
#include "coverage.h"

#include <cstring>

#include "scripttext.h"
#include "tokenizer.h"

namespace cli {

namespace {

// An if, try or parallel block still open at a line, and whether a parallel one is divided.
struct openblock {
  bool parallel;
  bool divided = false;
};

bool endblock(char const* word) {
  return strcmp(word, "if") == 0 || strcmp(word, "try") == 0 || strcmp(word, "parallel") == 0;
}

} // namespace

// The first "thread" in a parallel block outside the blocks nested in it divides it, whatever
// follows on its line, as the engine finds it; it never runs.
std::vector<bool> statementlines(std::vector<char const*> const& lines) {
  std::vector<bool> statements;
  std::vector<openblock> open;
  for (char const* line : lines) {
    vesk::tokenizer tokens(line, vesk::standardoptions);
    vesk::token first, second;
    vesk::tokentype type = tokens.nexttoken(first);
    bool alone = type != vesk::endtoken && tokens.nexttoken(second) == vesk::endtoken;
    char const* word = type == vesk::nametoken ? first.text : "";
    bool statement = type != vesk::endtoken;
    if (endblock(word)) open.push_back(openblock{strcmp(word, "parallel") == 0});
    if (strcmp(word, "end") == 0 && !open.empty()) open.pop_back();
    if (strcmp(word, "else") == 0 || strcmp(word, "catch") == 0 || strcmp(word, "end") == 0)
      statement = false;
    if (strcmp(word, "thread") == 0) {
      bool divides = !open.empty() && open.back().parallel && !open.back().divided;
      if (divides) open.back().divided = true;
      statement = !divides && !alone;
    }
    statements.push_back(statement);
  }
  return statements;
}

bool coverage::writescript(FILE* out, std::string const& path,
                           std::map<int, long long> const& counts, std::string const& script,
                           std::vector<unrecorded>& missing) const {
  if (path.empty()) {
    missing.push_back(unrecorded{script, "which is no file to read"});
    return true;
  }
  // lcov has no way to write a line break within a path.
  if (path.find_first_of("\r\n") != std::string::npos) {
    missing.push_back(unrecorded{script, "whose path holds a line break"});
    return true;
  }
  FILE* file = fopen(path.c_str(), "rb");
  std::string text;
  std::vector<char const*> lines;
  bool read = file != nullptr && readlines(file, text, lines) == readstatus::complete;
  if (file != nullptr) fclose(file);
  if (!read) {
    missing.push_back(unrecorded{script, "which could not be read again"});
    return true;
  }
  fprintf(out, "TN:\nSF:%s\n", path.c_str());
  std::vector<bool> statements = statementlines(lines);
  int found = 0, hit = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    int line = static_cast<int>(i) + 1;
    if (!statements[i]) continue;
    auto ran = counts.find(line);
    long long times = ran != counts.end() ? ran->second : 0;
    fprintf(out, "DA:%d,%lld\n", line, times);
    ++found;
    if (times > 0) ++hit;
  }
  return fprintf(out, "LF:%d\nLH:%d\nend_of_record\n", found, hit) > 0;
}

bool coverage::write(FILE* out, scriptfiles const& files, std::vector<unrecorded>& missing) const {
  bool written = true;
  for (auto const& [script, counts] : scripts) {
    auto file = files.find(script);
    std::string const& path = file != files.end() ? file->second : script;
    if (!writescript(out, path, counts, script, missing)) written = false;
  }
  return written;
}

} // namespace cli
