// platformtest.h - what the platform layer's tests share, the portable ones and those of one
// operating system: a scratch folder (fresh, under the system's temporary folder, removed with
// everything in it), the fixture that gives one to each test, listing a folder into a map and
// timing a sleep.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>

#include "platform.h"
#include "scratchfolder.h"

namespace platformtest {

using vesktest::scratchfolder;

class platformfiles : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(scratch.ready()); }
  scratchfolder scratch;
};

// The entries that listfolder delivers, by name, each with whether it is a folder; `result`
// receives what listfolder returned.
inline void collect(void* context, char const* name, bool isfolder) {
  auto& entries = *static_cast<std::map<std::string, bool>*>(context);
  EXPECT_TRUE(entries.emplace(name, isfolder).second) << "delivered twice: " << name;
}

inline std::map<std::string, bool> listed(std::string const& folder, bool* result = nullptr) {
  std::map<std::string, bool> entries;
  bool ok = vesk::platform::listfolder(folder.c_str(), collect, &entries);
  if (result != nullptr) *result = ok;
  return entries;
}

// How long sleepmilliseconds(duration) took, in milliseconds.
inline long long elapsedsleep(unsigned duration) {
  auto start = std::chrono::steady_clock::now();
  vesk::platform::sleepmilliseconds(duration);
  auto slept = std::chrono::steady_clock::now() - start;
  return std::chrono::duration_cast<std::chrono::milliseconds>(slept).count();
}

} // namespace platformtest
