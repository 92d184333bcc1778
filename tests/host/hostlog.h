// hostlog.h - what the host tests share: a log function that records every line with its
// level (guarded, since interpreters on two threads may log at once), a host with a global
// store, and helpers to run lines and read results. Tests take the record after each run.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "vesk.h"

namespace hosttest {

struct logline {
  int level;
  std::string text;
  bool operator==(logline const& other) const { return level == other.level && text == other.text; }
};

inline std::mutex& loglock() {
  static std::mutex lock;
  return lock;
}

inline std::vector<logline>& logged() {
  static std::vector<logline> lines;
  return lines;
}

inline void record(int level, char const* text) {
  std::lock_guard<std::mutex> hold(loglock());
  logged().push_back({level, text});
}

inline void clearlog() {
  std::lock_guard<std::mutex> hold(loglock());
  logged().clear();
}

inline std::vector<logline> takelog() {
  std::lock_guard<std::mutex> hold(loglock());
  std::vector<logline> lines;
  lines.swap(logged());
  return lines;
}

// Runs the lines as the script `name`.
inline bool runlines(vesk::interpreter& engine, std::vector<char const*> lines,
                     char const* name = "host.vk") {
  return engine.execute(lines.data(), static_cast<int>(lines.size()), name);
}

// The number held by the global `name`, or -1 when there is no such number.
inline double globalnumber(vesk::variables& globals, char const* name) {
  vesk::variable* value = globals.find(name);
  return value != nullptr && value->isnumber() ? value->number() : -1;
}

inline std::string globalstring(vesk::variables& globals, char const* name) {
  vesk::variable* value = globals.find(name);
  return value != nullptr && value->isstring() ? value->string() : "<no string>";
}

// A host as most tests need one: a global store and an interpreter logging into the record.
// The store's values are given back when the host goes.
struct host {
  vesk::variables globals;
  vesk::interpreter engine{&globals, record};
  host() { clearlog(); }
  ~host() { vesk::releasevalue(&globals); }
  host(host const&) = delete;
  host& operator=(host const&) = delete;
};

// True when `text` ends with `tail`.
inline bool endswith(std::string const& text, std::string const& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace hosttest
