// Tests of the value record: constructors, neutral results of wrong-type access, flags, user
// data, copying, and reset of every type.
#include "testallocaters.h"
#include "vesk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <type_traits>

namespace {

using vesk::variable;

static_assert(std::is_trivially_copyable_v<variable>, "records are copied byte for byte");
constexpr size_t payloadbytes = 128;

// Builds a record in memory filled with a pattern, so that bytes left unwritten show.
template <typename... Args>
variable* onpattern(unsigned char (&raw)[sizeof(variable)], Args... args) {
  std::memset(raw, 0xAA, sizeof raw);
  return new (raw) variable(args...);
}

bool payloadzero(unsigned char const (&raw)[sizeof(variable)]) {
  for (size_t i = sizeof(variable) - payloadbytes; i < sizeof(variable); ++i)
    if (raw[i] != 0) return false;
  return true;
}

TEST(variable, EveryConstructorClearsFlagsAndUserData) {
  int data = 0;
  variable a;
  variable b(1.5);
  variable c("t");
  variable d(&data, 4);
  variable e(&b, nullptr);
  variable f(vesk::listtype, nullptr);
  for (variable* v : {&a, &b, &c, &d, &e, &f}) {
    EXPECT_EQ(v->getuserdata(), 0);
    EXPECT_FALSE(v->isprocessed() || v->isconstant() || v->isdisabled() || v->haserror() ||
                 v->isinvalid() || v->ischanged());
  }
}

TEST(variable, DefaultIsUndefinedWithAZeroPayload) {
  alignas(variable) unsigned char raw[sizeof(variable)];
  variable* v = onpattern(raw);
  EXPECT_EQ(v->type(), vesk::undefinedtype);
  EXPECT_TRUE(payloadzero(raw));
  EXPECT_FALSE(v->isnumber() || v->isstring() || v->islist() || v->isnamedlist() || v->isbinary());
  EXPECT_EQ(v->count(), 0);
}

TEST(variable, TypedEmptyValues) {
  alignas(variable) unsigned char raw[sizeof(variable)];
  variable* binary = onpattern(raw, vesk::binarytype, static_cast<vesk::allocater*>(nullptr));
  EXPECT_TRUE(binary->isbinary());
  EXPECT_EQ(binary->binary(), nullptr);
  EXPECT_EQ(binary->count(), 0);
  EXPECT_TRUE(payloadzero(raw));

  variable* undefined = onpattern(raw, vesk::undefinedtype, static_cast<vesk::allocater*>(nullptr));
  EXPECT_EQ(undefined->type(), vesk::undefinedtype);
  EXPECT_TRUE(payloadzero(raw));

  variable number(vesk::numbertype, nullptr);
  EXPECT_TRUE(number.isnumber());
  EXPECT_EQ(number.number(), 0.0);
  variable text(vesk::stringtype, nullptr);
  EXPECT_TRUE(text.isstring());
  EXPECT_STREQ(text.string(), "");
}

TEST(variable, TextKeepsTheFirst127CharactersAndZeroFillsTheRest) {
  std::string longtext(200, 'x');
  variable v(longtext.c_str());
  EXPECT_EQ(std::string(v.string()), std::string(127, 'x'));

  alignas(variable) unsigned char raw[sizeof(variable)];
  variable* shorttext = onpattern(raw, "abc");
  char const* text = shorttext->string();
  EXPECT_STREQ(text, "abc");
  for (int i = 3; i < 128; ++i) EXPECT_EQ(text[i], '\0') << i;

  variable empty("");
  EXPECT_TRUE(empty.isstring());
  EXPECT_STREQ(empty.string(), "");
  EXPECT_EQ(empty.count(), 0);
}

TEST(variable, WrongTypeAccessIsNeutral) {
  variable number(2.0);
  EXPECT_STREQ(number.string(), "");
  EXPECT_NE(number.string(), nullptr);
  EXPECT_EQ(number.binary(), nullptr);
  EXPECT_EQ(number.count(), 0);
  variable text("abc");
  EXPECT_EQ(text.number(), 0.0);
  EXPECT_EQ(text.count(), 0);
  variable list(vesk::listtype, nullptr);
  EXPECT_EQ(list.binary(), nullptr);
  EXPECT_EQ(list.number(), 0.0);
  EXPECT_STREQ(list.string(), "");
}

TEST(variable, BinaryKeepsPointerAndLength) {
  char data[10] = {};
  variable v(data, 10);
  EXPECT_TRUE(v.isbinary());
  EXPECT_EQ(v.binary(), data);
  EXPECT_EQ(v.count(), 10);
}

TEST(variable, IsofComparesTheTag) {
  variable v(1.0);
  EXPECT_TRUE(v.isof(vesk::numbertype));
  EXPECT_FALSE(v.isof(vesk::stringtype));
}

TEST(variable, EachFlagSetterTouchesOnlyItsBit) {
  using setter = void (variable::*)(bool);
  using tester = bool (variable::*)() const;
  struct flag {
    setter set;
    tester test;
  };
  flag flags[] = {{&variable::processed, &variable::isprocessed},
                  {&variable::setdisabled, &variable::isdisabled},
                  {&variable::seterror, &variable::haserror},
                  {&variable::setinvalid, &variable::isinvalid},
                  {&variable::setchanged, &variable::ischanged}};
  for (auto const& on : flags) {
    variable v(1.0);
    (v.*on.set)(true);
    for (auto const& other : flags) EXPECT_EQ((v.*other.test)(), &other == &on);
    EXPECT_FALSE(v.isconstant());
    (v.*on.set)(false);
    for (auto const& other : flags) EXPECT_FALSE((v.*other.test)());
  }
  variable all(1.0);
  for (auto const& on : flags) (all.*on.set)(true);
  all.seterror(false);
  EXPECT_TRUE(all.isprocessed() && all.isdisabled() && all.isinvalid() && all.ischanged());
  EXPECT_FALSE(all.haserror());
}

TEST(variable, UserDataIsKept) {
  variable v(1.0);
  v.setuserdata(-123456);
  EXPECT_EQ(v.getuserdata(), -123456);
}

TEST(variable, CopyConstructorClearsFlagsAndUserDataAssignmentKeepsThem) {
  variable source("text");
  source.seterror(true);
  source.processed(true);
  source.setuserdata(77);
  variable copied(&source, nullptr);
  EXPECT_STREQ(copied.string(), "text");
  EXPECT_FALSE(copied.haserror() || copied.isprocessed());
  EXPECT_EQ(copied.getuserdata(), 0);
  variable assigned;
  assigned = source;
  EXPECT_STREQ(assigned.string(), "text");
  EXPECT_TRUE(assigned.haserror() && assigned.isprocessed());
  EXPECT_EQ(assigned.getuserdata(), 77);
}

TEST(variable, CopiedListKeepsTheSourceAllocaterAndSharesItsElements) {
  vesktest::recordingallocater blocks;
  variable list(vesk::listtype, &blocks);
  list.add(1.0);
  vesktest::recordingallocater unused;
  variable copy(&list, &unused);
  EXPECT_EQ(copy.index(0), list.index(0));
  variable* inner = copy.add(vesk::listtype);
  ASSERT_NE(inner, nullptr);
  int const before = blocks.total();
  inner->add(2.0); // the inner list also takes the source's allocater
  EXPECT_EQ(unused.total(), 0);
  EXPECT_GT(blocks.total(), before);
  copy.index(1)->reset();
  copy.reset();
  EXPECT_EQ(blocks.outstanding(), 0);
}

TEST(variable, ResetOfScalarsAndOtherTypes) {
  variable number(3.0);
  EXPECT_TRUE(number.reset());
  EXPECT_EQ(number.number(), 3.0);
  variable text("t");
  EXPECT_TRUE(text.reset());
  EXPECT_STREQ(text.string(), "t");
  char data[4] = {};
  variable binary(data, 4);
  EXPECT_FALSE(binary.reset());
  EXPECT_EQ(binary.binary(), data);
  EXPECT_EQ(binary.count(), 4);
  variable undefined;
  EXPECT_FALSE(undefined.reset());
  EXPECT_EQ(undefined.type(), vesk::undefinedtype);
}

TEST(variable, ResetKeepsTagFlagsAndUserData) {
  variable list(vesk::listtype, nullptr);
  list.add(1.0);
  list.setchanged(true);
  list.setuserdata(5);
  EXPECT_TRUE(list.reset());
  EXPECT_TRUE(list.islist());
  EXPECT_TRUE(list.ischanged());
  EXPECT_EQ(list.getuserdata(), 5);
}

TEST(variable, ResetListLeavesAnEmptyUsableList) {
  vesktest::recordingallocater blocks;
  variable list(vesk::listtype, &blocks);
  list.add(1.0);
  list.add("two");
  list.add(3.0);
  EXPECT_EQ(list.count(), 3);
  EXPECT_TRUE(list.reset());
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.first(), nullptr);
  EXPECT_EQ(blocks.outstanding(), 0);
  ASSERT_NE(list.add(4.0), nullptr);
  EXPECT_EQ(list.index(0)->number(), 4.0);
  EXPECT_EQ(blocks.outstanding(), 1); // the same allocater serves it again
  list.reset();
}

TEST(variable, ResetNamedListGivesBackBlocksAndIndexButNotInnerLists) {
  vesktest::recordingallocater storage;
  variable named(vesk::namedlisttype, &storage);
  variable* inner = named.add(vesk::listtype, "inner");
  inner->add(1.0);
  named.add(2.0, "n");
  EXPECT_EQ(storage.outstanding("avltreenode"), 2);
  variable innercopy = *inner;
  EXPECT_TRUE(named.reset());
  EXPECT_EQ(named.count(), 0);
  EXPECT_EQ(named.find("n"), nullptr);
  EXPECT_EQ(storage.outstanding("avltreenode"), 0);
  EXPECT_EQ(storage.outstanding("avltreenode::name"), 0);
  EXPECT_EQ(storage.outstanding("avltreenode::obj"), 0);
  EXPECT_EQ(storage.outstanding("objlist::block"), 1); // the inner list's block
  innercopy.reset();
  EXPECT_EQ(storage.outstanding(), 0);
  ASSERT_NE(named.add(3.0, "n"), nullptr);
  EXPECT_EQ(named.find("n")->number(), 3.0);
  named.reset();
}

TEST(variable, NamedListTagAnswersAsNamedList) {
  variable named(vesk::namedlisttype, nullptr);
  EXPECT_TRUE(named.isnamedlist());
  EXPECT_FALSE(named.islist());
  EXPECT_EQ(named.count(), 0);
}

TEST(variable, AnUnusedTagIsKeptAndIsNothing) {
  auto other = static_cast<vesk::vartype>(7);
  variable v(other, nullptr);
  EXPECT_EQ(v.type(), other);
  EXPECT_FALSE(v.isnumber() || v.isstring() || v.islist() || v.isnamedlist() || v.isbinary());
  EXPECT_EQ(v.count(), 0);
  EXPECT_FALSE(v.reset());
  EXPECT_EQ(v.first(), nullptr);
  EXPECT_EQ(v.add(1.0), nullptr);
  EXPECT_EQ(v.add(1.0, "x"), nullptr);
  EXPECT_EQ(v.find("x"), nullptr);
  EXPECT_FALSE(v.remove("x"));
}

} // namespace
