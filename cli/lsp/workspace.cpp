// workspace.cpp - folder listings kept for a moment (a request reads them many times), and
// scripts kept with the state they were read in: the editor's text itself for an open
// document, a file's size and time of change for the others.
#include "workspace.h"

#include <cstdio>
#include <filesystem>

#include "scripttext.h"

namespace cli::lsp {

namespace {

namespace fs = std::filesystem;

constexpr auto listinglife = std::chrono::seconds(2);
constexpr std::size_t maxlisted = 10000;       // scripts of one folder taken into account
constexpr std::size_t maxreadbytes = 4u << 20; // larger scripts of a folder are not read
constexpr std::size_t maxcachedscripts = 1000; // then the kept scripts are dropped at once
constexpr char const* extension = ".vk";

std::string filestamp(std::string const& path) {
  std::error_code failed;
  auto size = fs::file_size(path, failed);
  if (failed) return "";
  auto time = fs::last_write_time(path, failed);
  if (failed) return "";
  return std::to_string(size) + ":" + std::to_string(time.time_since_epoch().count());
}

bool readfile(std::string const& path, std::string& text) {
  std::error_code failed;
  if (!fs::is_regular_file(path, failed) || fs::file_size(path, failed) > maxreadbytes)
    return false;
  FILE* file = fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  readstatus status = readtext(file, text, maxreadbytes);
  fclose(file);
  return status == readstatus::complete;
}

} // namespace

std::string folderof(std::string const& path) {
  return path.empty() ? "" : fs::path(path).parent_path().string();
}

workspace::workspace(std::vector<std::string> includes, std::set<std::string> functions,
                     std::function<opentext(std::string const& path)> opened)
    : includes(std::move(includes)), functionnames(std::move(functions)),
      opened(std::move(opened)) {
  std::error_code failed;
  home = fs::current_path(failed).string();
}

std::vector<std::string> workspace::folders(std::string const& docpath) const {
  std::vector<std::string> found;
  std::string own = folderof(docpath);
  found.push_back(own.empty() ? home : own);
  for (std::string const& folder : includes) found.push_back(folder);
  return found;
}

workspace::listing const& workspace::list(std::string const& folder) {
  auto now = std::chrono::steady_clock::now();
  listing& known = listings[folder];
  if (!known.names.empty() || known.taken.time_since_epoch().count() != 0)
    if (now - known.taken < listinglife) return known;
  known.taken = now;
  known.names.clear();
  std::error_code failed;
  for (fs::directory_iterator it(folder, failed), end; !failed && it != end; it.increment(failed)) {
    fs::path const& entry = it->path();
    std::error_code kind;
    if (entry.extension() != extension || !it->is_regular_file(kind)) continue;
    known.names.push_back(entry.stem().string());
    if (known.names.size() == maxlisted) break;
  }
  return known;
}

std::set<std::string> workspace::scripts(std::string const& docpath) {
  std::set<std::string> names;
  for (std::string const& folder : folders(docpath))
    for (std::string const& name : list(folder).names) names.insert(name);
  return names;
}

std::string workspace::scriptpath(std::string const& docpath, std::string const& name) {
  for (std::string const& folder : folders(docpath))
    for (std::string const& listed : list(folder).names)
      if (listed == name) return (fs::path(folder) / (name + extension)).string();
  return "";
}

std::vector<std::string> workspace::siblings(std::string const& docpath) {
  std::vector<std::string> paths;
  std::string folder = folders(docpath).front();
  for (std::string const& name : list(folder).names) {
    std::string path = (fs::path(folder) / (name + extension)).string();
    if (path != docpath) paths.push_back(path);
  }
  return paths;
}

std::shared_ptr<scriptread const> workspace::read(std::string const& path) {
  opentext open = opened(path);
  std::string const* text = open.text;
  std::string stamp = text != nullptr ? "open:" + std::to_string(open.generation) : filestamp(path);
  if (stamp.empty()) return nullptr;
  cached& known = texts[path];
  if (known.script != nullptr && known.stamp == stamp) return known.script;
  auto script = std::make_shared<scriptread>();
  script->path = path;
  if (text != nullptr)
    script->text = *text;
  else if (!readfile(path, script->text))
    return nullptr;
  std::set<std::string> inreach = scripts(path);
  reachjudge judge(functionnames, inreach);
  script->lines = analyse(script->text, judge);
  if (texts.size() > maxcachedscripts) texts.clear();
  cached& kept = texts[path];
  kept.stamp = std::move(stamp);
  kept.script = script;
  return script;
}

void workspace::forget() {
  listings.clear();
  texts.clear();
}

} // namespace cli::lsp
