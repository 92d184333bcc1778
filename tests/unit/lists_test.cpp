// Tests of the list operations of the value record: iteration in all forms, indexing, the add
// forms, find with dotted paths and overlays, remove, long names, storage and failed storage.
#include "testallocaters.h"
#include "valuelimits.h"
#include "vesk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using vesk::variable;
using vesktest::recordingallocater;

// The record's bytes, to prove that an operation changed nothing at all.
struct snapshot {
  unsigned char bytes[sizeof(variable)];
  explicit snapshot(variable const& v) { std::memcpy(bytes, &v, sizeof bytes); }
  bool same(variable const& v) const { return std::memcmp(bytes, &v, sizeof bytes) == 0; }
};

struct plainlist : ::testing::Test {
  variable list{vesk::listtype, nullptr};
  ~plainlist() override { list.reset(); }
};

struct namedlist : ::testing::Test {
  variable named{vesk::namedlisttype, nullptr};
  ~namedlist() override { named.reset(); }
};

TEST_F(plainlist, NinthElementIsInTheSecondBlock) {
  for (int i = 0; i < 9; ++i) list.add(static_cast<double>(i));
  EXPECT_EQ(list.count(), 9);
  EXPECT_EQ(list.index(8)->number(), 8.0);
  EXPECT_EQ(list.index(-1), nullptr);
  EXPECT_EQ(list.index(list.count()), nullptr);
}

TEST_F(plainlist, TheSixAddForms) {
  char data[3] = {};
  variable source("src");
  source.seterror(true);
  source.setuserdata(9);
  variable* byptr = list.add(&source);
  variable* byref = list.add(source);
  variable* number = list.add(1.25);
  variable* text = list.add(std::string(150, 'q').c_str());
  variable* binary = list.add(data, 3);
  variable* inner = list.add(vesk::namedlisttype);
  EXPECT_EQ(list.count(), 6);
  EXPECT_EQ(byptr, list.index(0));
  EXPECT_STREQ(byptr->string(), "src");
  EXPECT_TRUE(byptr->haserror());
  EXPECT_EQ(byptr->getuserdata(), 9);
  EXPECT_TRUE(byref->haserror());
  EXPECT_EQ(number->number(), 1.25);
  EXPECT_EQ(std::strlen(text->string()), 127u);
  EXPECT_EQ(binary->binary(), data);
  EXPECT_EQ(binary->count(), 3);
  EXPECT_TRUE(inner->isnamedlist());
  EXPECT_EQ(inner->count(), 0);
  EXPECT_EQ(list.add(static_cast<char const*>(nullptr)), nullptr);
  EXPECT_EQ(list.add(static_cast<variable*>(nullptr)), nullptr);
}

TEST_F(plainlist, NamedFormsAndNamedOperationsChangeNothing) {
  list.add(1.0);
  snapshot before(list);
  variable v(2.0);
  char* name = reinterpret_cast<char*>(&v); // any value: it must stay untouched
  char* const untouched = name;
  EXPECT_EQ(list.add(2.5, "n"), nullptr);
  EXPECT_EQ(list.add(&v, "n"), nullptr);
  EXPECT_EQ(list.add(v, "n"), nullptr);
  EXPECT_EQ(list.add("t", "n"), nullptr);
  EXPECT_EQ(list.add(nullptr, 0, "n"), nullptr);
  EXPECT_EQ(list.add(vesk::listtype, "n"), nullptr);
  EXPECT_EQ(list.find("n"), nullptr);
  EXPECT_FALSE(list.remove("n"));
  EXPECT_EQ(list.first(&name), nullptr);
  EXPECT_EQ(list.next(&name), nullptr);
  EXPECT_EQ(list.first(&name, vesk::numbertype), nullptr);
  EXPECT_EQ(list.next(&name, vesk::numbertype), nullptr);
  EXPECT_EQ(name, untouched);
  EXPECT_TRUE(before.same(list));
}

TEST_F(namedlist, PlainAddFormsChangeNothing) {
  named.add(1.0, "a");
  snapshot before(named);
  variable v(2.0);
  EXPECT_EQ(named.add(2.5), nullptr);
  EXPECT_EQ(named.add(&v), nullptr);
  EXPECT_EQ(named.add(v), nullptr);
  EXPECT_EQ(named.add("t"), nullptr);
  EXPECT_EQ(named.add(nullptr, 0), nullptr);
  EXPECT_EQ(named.add(vesk::listtype), nullptr);
  EXPECT_TRUE(before.same(named));
}

TEST(lists, ScalarsHaveNoListOperations) {
  variable number(1.0);
  snapshot before(number);
  EXPECT_EQ(number.first(), nullptr);
  EXPECT_EQ(number.next(), nullptr);
  EXPECT_EQ(number.first(vesk::numbertype), nullptr);
  EXPECT_EQ(number.index(0), nullptr);
  EXPECT_EQ(number.add(2.0), nullptr);
  EXPECT_EQ(number.add(2.0, "x"), nullptr);
  EXPECT_EQ(number.find("x"), nullptr);
  EXPECT_FALSE(number.remove("x"));
  EXPECT_TRUE(before.same(number));
}

TEST_F(plainlist, IterationEndsWithNullAndStaysThere) {
  EXPECT_EQ(list.first(), nullptr);
  list.add(1.0);
  list.add("x");
  list.add(3.0);
  EXPECT_EQ(list.first()->number(), 1.0);
  EXPECT_STREQ(list.next()->string(), "x");
  EXPECT_EQ(list.next()->number(), 3.0);
  EXPECT_EQ(list.next(), nullptr);
  EXPECT_EQ(list.next(), nullptr);
}

TEST_F(plainlist, IterationByType) {
  list.add("a");
  list.add(1.0);
  list.add("b");
  list.add(2.0);
  list.add("c");
  std::vector<double> numbers;
  for (variable* v = list.first(vesk::numbertype); v; v = list.next(vesk::numbertype))
    numbers.push_back(v->number());
  EXPECT_EQ(numbers, (std::vector<double>{1.0, 2.0}));
  std::string texts;
  for (variable* v = list.first(vesk::stringtype); v; v = list.next(vesk::stringtype))
    texts += v->string();
  EXPECT_EQ(texts, "abc");
  EXPECT_EQ(list.first(vesk::binarytype), nullptr);
}

TEST_F(namedlist, IterationWithNames) {
  char* name = reinterpret_cast<char*>(this);
  EXPECT_EQ(named.first(&name), nullptr);
  EXPECT_EQ(name, nullptr);
  named.add(1.0, "one");
  named.add("x", "text");
  named.add(2.0, "two");
  std::string seen;
  for (variable* v = named.first(&name); v; v = named.next(&name)) seen += std::string(name) + ",";
  EXPECT_EQ(seen, "one,text,two,");
  EXPECT_EQ(name, nullptr);
  seen.clear();
  for (variable* v = named.first(&name, vesk::numbertype); v;
       v = named.next(&name, vesk::numbertype))
    seen += std::string(name) + "=" + std::to_string(static_cast<int>(v->number())) + ",";
  EXPECT_EQ(seen, "one=1,two=2,");
  EXPECT_EQ(named.first(&name, vesk::binarytype), nullptr);
  EXPECT_EQ(name, nullptr);
  EXPECT_STREQ(named.first(vesk::stringtype)->string(), "x");
  EXPECT_EQ(named.first()->number(), 1.0);
  EXPECT_EQ(named.index(2)->number(), 2.0);
}

TEST_F(namedlist, TheSixNamedAddForms) {
  char data[2] = {};
  variable source(4.0);
  source.processed(true);
  EXPECT_EQ(named.add(&source, "p")->number(), 4.0);
  EXPECT_TRUE(named.add(source, "r")->isprocessed());
  EXPECT_EQ(named.add(1.5, "n")->number(), 1.5);
  EXPECT_STREQ(named.add("text", "s")->string(), "text");
  EXPECT_EQ(named.add(data, 2, "b")->binary(), data);
  EXPECT_TRUE(named.add(vesk::listtype, "l")->islist());
  EXPECT_EQ(named.count(), 6);
  for (char const* name : {"p", "r", "n", "s", "b", "l"}) EXPECT_NE(named.find(name), nullptr);
  EXPECT_EQ(named.find("s"), named.index(3));
  EXPECT_EQ(named.add(1.0, nullptr), nullptr);
  EXPECT_EQ(named.add(static_cast<char const*>(nullptr), "z"), nullptr);
  EXPECT_EQ(named.count(), 6);
}

TEST_F(namedlist, DuplicateNamesFindTheFirstStillThere) {
  variable* first = named.add(1.0, "x");
  variable* second = named.add(2.0, "x");
  EXPECT_EQ(named.count(), 2);
  EXPECT_EQ(named.find("x"), first);
  char* name = nullptr;
  int seen = 0;
  for (variable* v = named.first(&name); v; v = named.next(&name), ++seen) EXPECT_STREQ(name, "x");
  EXPECT_EQ(seen, 2);

  EXPECT_TRUE(named.remove("x"));
  EXPECT_EQ(named.count(), 2);
  EXPECT_EQ(first->type(), vesk::undefinedtype);
  EXPECT_EQ(named.index(0), first);
  EXPECT_EQ(named.find("x"), second); // the later element of that name answers now
  EXPECT_TRUE(named.remove("x"));
  EXPECT_EQ(second->type(), vesk::undefinedtype);
  EXPECT_EQ(named.find("x"), nullptr);
  EXPECT_FALSE(named.remove("x"));
  named.first(&name);
  EXPECT_STREQ(name, "x"); // the removed element keeps its name
}

TEST_F(namedlist, RemoveResetsTheValueAndClearsFlags) {
  recordingallocater storage;
  variable store(vesk::namedlisttype, &storage);
  store.add(1.0, "other"); // the store's first block stays: the removed record keeps its slot
  int const before = storage.outstanding();
  variable* inner = store.add(vesk::namedlisttype, "inner");
  inner->add(1.0, "a");
  inner->setuserdata(3);
  inner->seterror(true);
  EXPECT_GT(storage.outstanding(), before);
  EXPECT_TRUE(store.remove("inner"));
  // The inner list's storage and the store's index entry for "inner" are given back.
  EXPECT_EQ(storage.outstanding(), before);
  EXPECT_EQ(inner->type(), vesk::undefinedtype);
  EXPECT_EQ(inner->getuserdata(), 0);
  EXPECT_FALSE(inner->haserror());
  store.reset();
  EXPECT_EQ(storage.outstanding(), 0);
  EXPECT_EQ(storage.strayfrees, 0);
}

TEST_F(namedlist, DottedPaths) {
  variable* a = named.add(vesk::namedlisttype, "a");
  variable* b = a->add(7.0, "b");
  variable* c = a->add(vesk::namedlisttype, "c");
  variable* d = c->add("deep", "d");
  variable* plain = named.add(vesk::listtype, "p");
  plain->add(1.0);
  EXPECT_EQ(named.find("a.b"), b);
  EXPECT_EQ(named.find("a.c.d"), d);
  EXPECT_EQ(named.find("a.x"), nullptr);
  EXPECT_EQ(named.find("a.b.c"), nullptr); // b is a number
  EXPECT_EQ(named.find("p.b"), nullptr);   // p is a plain list
  EXPECT_EQ(named.find("x.b"), nullptr);
  EXPECT_EQ(named.find("a."), nullptr);
  EXPECT_EQ(named.find("A"), nullptr);
  EXPECT_EQ(named.find("a"), a);
  a->add(5.0, "");
  EXPECT_EQ(named.find("a.")->number(), 5.0); // the empty name after the dot
  c->reset();                                 // before its parent, whose block holds it
  a->reset();
  plain->reset();
}

TEST_F(namedlist, OverlayOfTheInnerListIsNotConsultedOnAPath) {
  vesk::variables outer;
  vesk::parameters overlay;
  overlay.add(1.0, "x");
  variable* inner = outer.add(vesk::namedlisttype, "inner");
  static_cast<vesk::variables*>(inner)->setoverlay(&overlay);
  EXPECT_EQ(inner->find("x"), overlay.find("x"));
  EXPECT_EQ(outer.find("inner.x"), nullptr);
  inner->reset();
  outer.reset();
  overlay.reset();
}

TEST_F(namedlist, LongNamesAreCutTheSameWayForAddAndFind) {
  std::string seventy(70, 'L');
  std::string cut(vesk::maxnamelen, 'L');
  variable* v = named.add(1.0, seventy.c_str());
  char* name = nullptr;
  named.first(&name);
  EXPECT_EQ(std::string(name), cut);
  EXPECT_EQ(named.find(seventy.c_str()), v);
  EXPECT_EQ(named.find(cut.c_str()), v);
  EXPECT_EQ(named.find((cut + "other").c_str()), v); // equal after the cut
  EXPECT_EQ(named.find(cut.substr(1).c_str()), nullptr);
  EXPECT_TRUE(named.remove(seventy.c_str()));
  EXPECT_EQ(named.find(cut.c_str()), nullptr);
}

TEST_F(namedlist, LongPathSegmentsAreCutTheSameWay) {
  std::string segment(200, 's');
  variable* inner = named.add(vesk::namedlisttype, segment.c_str());
  variable* leaf = inner->add(1.0, "leaf");
  EXPECT_EQ(named.find((segment + ".leaf").c_str()), leaf);
  std::string differentlate = segment;
  differentlate[150] = 't';
  EXPECT_EQ(named.find((differentlate + ".leaf").c_str()), leaf); // equal after the cut
  std::string differentearly = segment;
  differentearly[10] = 't';
  EXPECT_EQ(named.find((differentearly + ".leaf").c_str()), nullptr);
  std::string longleaf(300, 'z');
  variable* far = inner->add(2.0, longleaf.c_str());
  EXPECT_EQ(named.find((segment + "." + longleaf).c_str()), far);
  inner->reset();
}

TEST_F(namedlist, OverlayAnswersFirst) {
  vesk::variables globals;
  vesk::parameters params;
  variable* own = globals.add(1.0, "x");
  globals.add(3.0, "g");
  variable* shadow = params.add(2.0, "x");
  globals.setoverlay(&params);
  EXPECT_EQ(globals.find("x"), shadow);
  EXPECT_EQ(globals.find("g")->number(), 3.0);
  EXPECT_FALSE(globals.remove("nothere"));
  params.add(9.0, "onlyparam");
  EXPECT_FALSE(globals.remove("onlyparam"));
  EXPECT_NE(params.find("onlyparam"), nullptr);
  globals.setoverlay(nullptr);
  EXPECT_EQ(globals.find("x"), own);
  globals.reset();
  params.reset();
}

TEST_F(namedlist, OverlaysAnswerDeepestFirstForNamesAndPaths) {
  vesk::variables globals;
  vesk::parameters first;
  vesk::parameters second;
  globals.add(1.0, "x");
  variable* own = globals.add(5.0, "g");
  variable* inglobals = globals.add(vesk::namedlisttype, "p")->add(1.0, "q");
  variable* infirst = first.add(2.0, "x");
  variable* pathinfirst = first.add(vesk::namedlisttype, "p")->add(2.0, "q");
  globals.setoverlay(&first); // one overlay
  EXPECT_EQ(globals.find("x"), infirst);
  EXPECT_EQ(globals.find("p.q"), pathinfirst);
  EXPECT_EQ(globals.find("g"), own);
  EXPECT_EQ(globals.find("p.r"), nullptr);
  variable* insecond = second.add(3.0, "x");
  first.setoverlay(&second); // two overlays: the deepest answers first
  EXPECT_EQ(globals.find("x"), insecond);
  EXPECT_EQ(globals.find("p.q"), pathinfirst);
  EXPECT_EQ(globals.find("g"), own);
  first.setoverlay(nullptr);
  globals.setoverlay(nullptr);
  EXPECT_EQ(globals.find("p.q"), inglobals);
  for (vesk::variable* list : {static_cast<variable*>(&globals), static_cast<variable*>(&first)})
    list->find("p")->reset();
  globals.reset();
  first.reset();
  second.reset();
}

TEST_F(namedlist, OverlayLoopsEnd) {
  vesk::parameters a;
  vesk::parameters b;
  a.add(1.0, "a");
  b.add(2.0, "b");
  a.setoverlay(&b);
  b.setoverlay(&a);
  EXPECT_EQ(a.find("a")->number(), 1.0);
  EXPECT_EQ(a.find("b")->number(), 2.0);
  EXPECT_EQ(a.find("c"), nullptr);
  a.setoverlay(&a);
  EXPECT_EQ(a.find("a")->number(), 1.0);
  a.reset();
  b.reset();
}

// Chains of any length are followed, and a loop anywhere in one ends the search.
TEST_F(namedlist, LongChainsOfOverlaysAreFollowed) {
  constexpr int length = 40;
  vesk::parameters lists[length];
  for (int i = 0; i < length; ++i) {
    lists[i].add(static_cast<double>(i), ("p" + std::to_string(i)).c_str());
    lists[i].add(static_cast<double>(i), "deepest");
    if (i > 0) lists[i - 1].setoverlay(&lists[i]);
  }
  for (int i = 0; i < length; ++i)
    EXPECT_EQ(lists[0].find(("p" + std::to_string(i)).c_str()), lists[i].index(0)) << i;
  EXPECT_EQ(lists[0].find("deepest")->number(), length - 1);
  lists[length - 1].setoverlay(&lists[20]); // a loop far down the chain
  EXPECT_EQ(lists[0].find("deepest")->number(), length - 1);
  EXPECT_EQ(lists[0].find("p25")->number(), 25);
  EXPECT_EQ(lists[0].find("nothing"), nullptr);
  for (vesk::parameters& list : lists) list.reset();
}

TEST_F(plainlist, AddedListsAreShallowCopies) {
  variable inner(vesk::listtype, nullptr);
  inner.add(1.0);
  variable* copy = list.add(&inner);
  EXPECT_EQ(copy->index(0), inner.index(0));
  inner.reset();
}

TEST(lists, ElementsNeverMove) {
  variable list(vesk::listtype, nullptr);
  variable named(vesk::namedlisttype, nullptr);
  std::vector<variable*> plainheld;
  std::vector<variable*> namedheld;
  for (int i = 0; i < 5000; ++i) {
    plainheld.push_back(list.add(static_cast<double>(i)));
    namedheld.push_back(named.add(static_cast<double>(i), ("v" + std::to_string(i)).c_str()));
  }
  for (int i = 0; i < 5000; ++i) {
    size_t at = static_cast<size_t>(i);
    ASSERT_EQ(list.index(i), plainheld[at]);
    ASSERT_EQ(plainheld[at]->number(), i);
    ASSERT_EQ(named.index(i), namedheld[at]);
    ASSERT_EQ(named.find(("v" + std::to_string(i)).c_str()), namedheld[at]);
  }
  list.reset();
  named.reset();
}

// A list takes its storage several elements at a time, not one request per element, and no
// more than twice what its elements need; it gives all of it back.
TEST(lists, AMillionNumbersTakeBoundedStorageInBlocksAndGiveItAllBack) {
  recordingallocater blocks;
  variable list(vesk::listtype, &blocks);
  constexpr int n = 1000000;
  for (int i = 0; i < n; ++i) ASSERT_NE(list.add(static_cast<double>(i)), nullptr);
  EXPECT_EQ(list.count(), n);
  EXPECT_LE(blocks.total(), n / 4);
  EXPECT_GE(blocks.bytes, n * sizeof(variable));
  EXPECT_LE(blocks.bytes, 2 * n * sizeof(variable));
  EXPECT_EQ(list.index(n - 1)->number(), n - 1);
  EXPECT_TRUE(list.reset());
  EXPECT_EQ(blocks.outstanding(), 0);
  EXPECT_EQ(blocks.strayfrees, 0);
}

// A named list and the lists built inside it take their storage from its allocater, under the
// tags the interface names, and give it all back.
TEST(lists, ANamedListAndItsInnerListsTakeStorageFromItsAllocaterUnderTheNamedTags) {
  std::set<std::string> const tags = {"objlist::block",   "avltreenode", "avltreenode::name",
                                      "avltreenode::obj", "list",        "namedlist"};
  recordingallocater storage;
  {
    variable named(vesk::namedlisttype, &storage);
    for (int i = 0; i < 20; ++i)
      named.add(static_cast<double>(i), ("k" + std::to_string(i)).c_str());
    variable* sub = named.add(vesk::listtype, "sub"); // built with the parent's allocater
    int const before = storage.outstanding();
    for (int i = 0; i < 9; ++i) sub->add(1.0);
    EXPECT_GT(storage.outstanding(), before);
    for (auto const& entry : storage.allocations)
      EXPECT_EQ(tags.count(entry.first), 1u) << entry.first;
    sub->reset();
    named.reset();
  }
  EXPECT_EQ(storage.outstanding(), 0);
  EXPECT_EQ(storage.strayfrees, 0);
}

TEST(lists, FailedBlockLeavesTheListsExactlyAsTheyWere) {
  recordingallocater storage;
  variable list(vesk::listtype, &storage);
  variable named(vesk::namedlisttype, &storage);
  for (int i = 0; i < 8; ++i) {
    list.add(static_cast<double>(i));
    named.add(static_cast<double>(i), ("n" + std::to_string(i)).c_str());
  }
  list.first();
  named.first();
  snapshot plainbefore(list);
  snapshot namedbefore(named);
  int outstanding = storage.outstanding();
  storage.failtag("objlist::block");
  variable v(1.0);
  EXPECT_EQ(list.add(9.0), nullptr);
  EXPECT_EQ(list.add(&v), nullptr);
  EXPECT_EQ(list.add("t"), nullptr);
  EXPECT_EQ(list.add(vesk::listtype), nullptr);
  EXPECT_EQ(named.add(9.0, "new"), nullptr);
  EXPECT_EQ(named.add(vesk::namedlisttype, "new"), nullptr);
  EXPECT_TRUE(plainbefore.same(list));
  EXPECT_TRUE(namedbefore.same(named));
  EXPECT_EQ(named.find("new"), nullptr);
  EXPECT_EQ(storage.outstanding(), outstanding);
  EXPECT_EQ(list.next()->number(), 1.0); // the cursor is where it was
  storage.succeed();
  EXPECT_EQ(list.add(9.0)->number(), 9.0);
  variable* added = named.add(9.0, "new");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(named.find("new"), added);
  list.reset();
  named.reset();
  EXPECT_EQ(storage.outstanding(), 0);
}

TEST(lists, NameTheIndexCannotTakeLeavesTheListAsItWas) {
  recordingallocater storage;
  variable named(vesk::namedlisttype, &storage);
  named.add(1.0, "a");
  // The tags under which a name enters the index, as a second name shows.
  std::map<std::string, int> const before = storage.allocations;
  named.add(1.5, "probe");
  std::vector<std::string> tags;
  for (auto const& [tag, count] : storage.allocations)
    if (tag != "objlist::block" && (before.count(tag) == 0 || before.at(tag) < count))
      tags.push_back(tag);
  ASSERT_FALSE(tags.empty());
  for (std::string const& tag : tags) {
    storage.failtag(tag);
    int outstanding = storage.outstanding();
    EXPECT_EQ(named.add(2.0, "b"), nullptr) << tag;
    EXPECT_EQ(named.find("b"), nullptr) << tag;
    EXPECT_EQ(named.count(), 2) << tag;
    EXPECT_EQ(storage.outstanding(), outstanding) << tag; // nothing held for the failed name
    storage.succeed();
  }
  EXPECT_EQ(named.add(2.0, "b")->number(), 2.0);
  EXPECT_EQ(named.count(), 3);
  EXPECT_EQ(named.find("a")->number(), 1.0);
  named.reset();
  EXPECT_EQ(storage.outstanding(), 0);
}

} // namespace
