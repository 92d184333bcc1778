// registry_test.cpp - function lookup with its filter of name hashes: every registered name is
// found, whatever else shares its filter bit; names never registered are not; and a registry
// so full that the filter passes everything still answers exactly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vesk.h"

namespace {

bool first(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return true;
}
bool second(vesk::stack*, vesk::parameters*, vesk::variables*, vesk::logfunc) {
  return true;
}

// Calls `name` as a statement: true when it ran as a function.
bool callable(vesk::interpreter& engine, std::string const& name) {
  return engine.execute((name + "()").c_str(), "probe");
}

TEST(registry, FindsExactlyTheRegisteredNamesAtAnyFilling) {
  vesk::variables store;
  vesk::interpreter engine(&store, nullptr);
  std::vector<std::string> names;
  for (int round = 0; round < 3; ++round) {
    int total = round == 0 ? 5 : round == 1 ? 100 : 2000; // the last fills every filter bit
    for (int i = static_cast<int>(names.size()); i < total; ++i) {
      names.push_back("f" + std::to_string(i));
      ASSERT_TRUE(engine.add(i % 2 ? first : second, names.back().c_str()));
    }
    for (std::string const& name : names) EXPECT_TRUE(callable(engine, name)) << name;
    for (int i = 0; i < 300; ++i) {
      std::string other = "g" + std::to_string(i);
      EXPECT_FALSE(callable(engine, other)) << other;
    }
  }
  EXPECT_FALSE(engine.add(first, "f1")); // the first registration of a name stays
  store.reset();
}

} // namespace
