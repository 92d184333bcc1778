// enginelink.cpp - the check's report lines ("NAME(LINE): error: TEXT") read back into
// findings, and the built-ins listed through the engine's registration filter.
#include "enginelink.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "scripttext.h"

namespace cli::lsp {

namespace {

std::vector<finding>* collected = nullptr; // where the check's lines go while it runs
std::string const* checkedname = nullptr;

// "NAME(LINE): error: TEXT" or "...: warning: TEXT"; other lines (none are expected) are
// dropped.
void collect(int level, char const* text) {
  if (level != vesk::logerror && level != vesk::logwarning) return;
  std::size_t length = checkedname->size();
  if (strncmp(text, checkedname->c_str(), length) != 0 || text[length] != '(') return;
  char* end = nullptr;
  long line = strtol(text + length + 1, &end, 10);
  char const* tag = level == vesk::logwarning ? "): warning: " : "): error: ";
  if (end == nullptr || strncmp(end, tag, strlen(tag)) != 0 || line < 1) return;
  collected->push_back(
      finding{static_cast<int>(line), level == vesk::logwarning, end + strlen(tag)});
}

void ignore(int, char const*) {}

std::vector<std::string>* listed = nullptr;

} // namespace

bool interpreterlink::check(std::string const& text, std::string const& folder,
                            std::string const& name, std::vector<finding>& found) {
  found.clear();
  std::error_code failed;
  if (infolder && !folder.empty()) std::filesystem::current_path(folder, failed);
  if (failed) return false;
  std::string lines = text;
  std::vector<char const*> pointers;
  cutlines(lines, pointers);
  collected = &found;
  checkedname = &name;
  engine.setlogfunc(collect);
  int errors =
      engine.check(pointers.data(), static_cast<int>(pointers.size()), name.c_str(), nullptr);
  engine.setlogfunc(ignore);
  collected = nullptr;
  checkedname = nullptr;
  return errors >= 0;
}

std::vector<std::string> builtinnames() {
  std::vector<std::string> names;
  listed = &names;
  vesk::interpreter lister(nullptr);
  lister.addinternalfuncs([](char const* name) {
    listed->emplace_back(name);
    return true; // registers nothing
  });
  listed = nullptr;
  return names;
}

} // namespace cli::lsp
