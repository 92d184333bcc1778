// Tests of the name index: balance after every kind of change, bytewise ordering, the cut of
// long names, storage by tag, failed allocations, and a randomized run against std::map.
#include "avltree.h"
#include "testallocaters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using vesk::avltree;
using vesktest::recordingallocater;

void* object(std::uintptr_t id) {
  return reinterpret_cast<void*>(id);
}

TEST(avltree, DuplicateKeepsTheFirstObject) {
  avltree index(64);
  EXPECT_TRUE(index.insert("b", object(1)));
  EXPECT_TRUE(index.insert("a", object(2)));
  EXPECT_TRUE(index.insert("c", object(3)));
  EXPECT_FALSE(index.insert("a", object(4)));
  EXPECT_EQ(index.lookup("a"), object(2));
  EXPECT_EQ(index.size(), 3);
  EXPECT_TRUE(index.check());
  index.destroy();
}

TEST(avltree, AscendingAndDescendingInsertsStayBalanced) {
  for (bool ascending : {true, false}) {
    avltree index(64);
    for (int i = 0; i < 1000; ++i) {
      int k = ascending ? i : 999 - i;
      char name[16];
      std::snprintf(name, sizeof name, "n%04d", k);
      ASSERT_TRUE(index.insert(name, object(static_cast<std::uintptr_t>(k + 1))));
      ASSERT_TRUE(index.check()) << name;
    }
    for (int k = 0; k < 1000; ++k) {
      char name[16];
      std::snprintf(name, sizeof name, "n%04d", k);
      EXPECT_EQ(index.lookup(name), object(static_cast<std::uintptr_t>(k + 1)));
    }
    index.destroy();
  }
}

TEST(avltree, EraseOfANodeWithTwoChildren) {
  avltree index(64);
  for (char const* name : {"d", "b", "f", "a", "c", "e", "g"})
    index.insert(name, object(static_cast<std::uintptr_t>(name[0])));
  ASSERT_NE(index.top()->child[0], nullptr);
  ASSERT_NE(index.top()->child[1], nullptr);
  EXPECT_STREQ(index.top()->name, "d");
  EXPECT_EQ(index.erase("d"), object('d'));
  EXPECT_TRUE(index.check());
  EXPECT_STREQ(index.top()->name, "c"); // the in-order predecessor took its place
  EXPECT_EQ(index.lookup("d"), nullptr);
  for (char const* name : {"a", "b", "c", "e", "f", "g"})
    EXPECT_EQ(index.lookup(name), object(static_cast<std::uintptr_t>(name[0]))) << name;
  EXPECT_TRUE(index.insert("d", object(99)));
  EXPECT_EQ(index.lookup("d"), object(99));
  EXPECT_TRUE(index.check());
  index.destroy();
}

TEST(avltree, ErasingEveryNameLeavesAnEmptyIndex) {
  recordingallocater storage;
  avltree index(64, &storage);
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("name" + std::to_string(i * 7919 % 300));
  for (auto const& name : names) index.insert(name.c_str(), object(1));
  for (auto const& name : names) {
    EXPECT_EQ(index.erase(name.c_str()), object(1));
    ASSERT_TRUE(index.check());
  }
  EXPECT_TRUE(index.empty());
  EXPECT_EQ(index.top(), nullptr);
  EXPECT_EQ(storage.outstanding(), 0);
  EXPECT_EQ(storage.strayfrees, 0);
}

TEST(avltree, AbsentNamesChangeNothing) {
  avltree index(64);
  EXPECT_EQ(index.lookup("x"), nullptr);
  EXPECT_EQ(index.erase("x"), nullptr);
  index.insert("name", object(1));
  EXPECT_EQ(index.lookup("Name"), nullptr);
  EXPECT_EQ(index.erase("Name"), nullptr);
  EXPECT_EQ(index.erase("nam"), nullptr);
  EXPECT_EQ(index.erase("names"), nullptr);
  EXPECT_EQ(index.lookup("name"), object(1));
  index.destroy();
}

TEST(avltree, ComparesBytesAsUnsignedAndTheEmptyNameFirst) {
  avltree index(64);
  index.insert("a", object(1));
  index.insert("", object(2));
  index.insert("\x80", object(3));
  EXPECT_STREQ(index.top()->name, "a");
  EXPECT_STREQ(index.top()->child[1]->name, "");     // smaller names
  EXPECT_STREQ(index.top()->child[0]->name, "\x80"); // greater names: 0x80 > 'a'
  EXPECT_EQ(index.lookup(""), object(2));
  EXPECT_TRUE(index.check());
  index.destroy();
}

TEST(avltree, LongNamesAreCutForInsertLookupAndErase) {
  recordingallocater storage;
  avltree index(32, &storage);
  std::string base(31, 'f');
  std::string longer = base + "_one";
  std::string other = base + "_two";
  EXPECT_TRUE(index.insert(longer.c_str(), object(1)));
  EXPECT_STREQ(index.top()->name, base.c_str());
  EXPECT_FALSE(index.insert(other.c_str(), object(2))); // equal after the cut
  EXPECT_EQ(index.lookup(longer.c_str()), object(1));
  EXPECT_EQ(index.lookup(base.c_str()), object(1));
  EXPECT_EQ(index.lookup(other.c_str()), object(1));
  EXPECT_EQ(index.lookup(base.substr(0, 30).c_str()), nullptr);
  EXPECT_EQ(index.erase(other.c_str()), object(1));
  EXPECT_TRUE(index.empty());
  EXPECT_EQ(storage.outstanding(), 0);
}

// The index's storage follows its entries: each entry takes alike, under the tags the interface
// names; a key already present takes nothing; an erased entry gives back what it took.
TEST(avltree, StorageFollowsTheEntriesAndDestroyGivesEverythingBack) {
  recordingallocater storage;
  avltree index(64, &storage);
  index.insert("k0", object(1));
  int const perentry = storage.outstanding();
  EXPECT_GT(perentry, 0);
  for (int i = 1; i < 50; ++i) index.insert(("k" + std::to_string(i)).c_str(), object(1));
  EXPECT_EQ(storage.outstanding(), 50 * perentry);
  for (auto const& entry : storage.allocations)
    EXPECT_EQ(entry.first.rfind("avltreenode", 0), 0u) << entry.first;

  int const total = storage.total();
  EXPECT_FALSE(index.insert("k7", object(2))); // present: nothing obtained
  EXPECT_EQ(storage.total(), total);

  index.erase("k7");
  EXPECT_EQ(storage.outstanding(), 49 * perentry);

  index.destroy();
  EXPECT_TRUE(index.empty());
  EXPECT_EQ(storage.outstanding(), 0);
  EXPECT_EQ(storage.strayfrees, 0);
  EXPECT_TRUE(index.insert("again", object(3))); // usable after destroy
  index.destroy();
}

TEST(avltree, FailedAllocationInsertsNothingAndGivesBackWhatItGot) {
  recordingallocater storage;
  avltree index(64, &storage);
  for (int i = 0; i < 40; ++i) {
    std::string name = "k";
    name += std::to_string(i); // not "k" + ...: GCC 12 at -O3 misreports that as overlapping
    index.insert(name.c_str(), object(1));
  }
  int before = storage.outstanding();
  // Each request the insert makes is refused in turn, until it gets all it asks for.
  constexpr int most = 16;
  int obtained = 0;
  for (; obtained < most; ++obtained) {
    storage.failafter(obtained);
    bool const inserted = index.insert("new", object(2));
    storage.succeed();
    if (inserted) break;
    EXPECT_EQ(storage.outstanding(), before) << obtained;
    EXPECT_EQ(index.lookup("new"), nullptr);
    EXPECT_EQ(index.size(), 40);
    EXPECT_TRUE(index.check());
  }
  EXPECT_GT(obtained, 0);
  EXPECT_LT(obtained, most);
  EXPECT_EQ(storage.refused, obtained);
  EXPECT_EQ(index.lookup("new"), object(2));
  index.destroy();
  EXPECT_EQ(storage.outstanding(), 0);
  EXPECT_EQ(storage.strayfrees, 0);
}

TEST(avltree, CopiesOfTheHeaderShareTheNodes) {
  avltree index(64);
  index.insert("x", object(5));
  avltree copy = index;
  EXPECT_EQ(copy.lookup("x"), object(5));
  EXPECT_EQ(copy.top(), index.top());
  index.destroy();
}

// Mixed random inserts, erases and lookups against std::map over keys cut as the index cuts
// them, with the invariants checked after every operation.
void randomized(int capacity, int operations, int namecount, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::string> names;
  std::string alphabet = "abAB._ \x7f\x80\xe4\xff";
  for (int i = 0; i < namecount; ++i) {
    std::string name;
    int length = static_cast<int>(random() % 12);
    if (random() % 8 == 0) length = capacity - 3 + static_cast<int>(random() % 8); // near the cut
    for (int c = 0; c < length; ++c) name += alphabet[random() % alphabet.size()];
    names.push_back(name);
  }
  auto key = [&](std::string const& name) {
    return name.substr(0, static_cast<size_t>(capacity - 1));
  };

  recordingallocater storage;
  avltree index(capacity, &storage);
  std::map<std::string, void*> model;
  std::uintptr_t next = 1;
  for (int op = 0; op < operations; ++op) {
    std::string const& name = names[random() % names.size()];
    auto kind = random() % 100;
    if (kind < 45) {
      void* obj = object(next++);
      bool added = model.emplace(key(name), obj).second;
      ASSERT_EQ(index.insert(name.c_str(), obj), added) << op;
    } else if (kind < 75) {
      auto found = model.find(key(name));
      void* expected = found == model.end() ? nullptr : found->second;
      if (found != model.end()) model.erase(found);
      ASSERT_EQ(index.erase(name.c_str()), expected) << op;
    } else {
      auto found = model.find(key(name));
      ASSERT_EQ(index.lookup(name.c_str()), found == model.end() ? nullptr : found->second) << op;
    }
    ASSERT_TRUE(index.check()) << op;
    if (op % 1000 == 0) {
      ASSERT_EQ(index.size(), static_cast<int>(model.size()));
      for (auto const& entry : model) ASSERT_EQ(index.lookup(entry.first.c_str()), entry.second);
    }
  }
  ASSERT_EQ(index.size(), static_cast<int>(model.size()));
  // What the index holds depends on its entries alone: erased ones left nothing behind.
  recordingallocater freshstorage;
  avltree fresh(capacity, &freshstorage);
  for (auto const& entry : model) fresh.insert(entry.first.c_str(), entry.second);
  ASSERT_EQ(storage.outstanding(), freshstorage.outstanding());
  fresh.destroy();
  index.destroy();
  EXPECT_EQ(storage.outstanding(), 0);
  EXPECT_EQ(storage.strayfrees, 0);
}

TEST(avltree, RandomizedAgainstStdMap) {
  randomized(64, 120000, 300, 20240601u);
}
TEST(avltree, RandomizedWithAShortCapacity) {
  randomized(4, 20000, 200, 7u);
}

} // namespace
