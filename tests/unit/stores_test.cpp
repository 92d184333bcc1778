// Tests of the two stores: named lists on the heap or an allocater, parameter lists with
// positional and named arguments, and the overlay.
#include "testallocaters.h"
#include "vesk.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace {

static_assert(sizeof(vesk::variables) == sizeof(vesk::variable) &&
                  sizeof(vesk::parameters) == sizeof(vesk::variable),
              "the stores add no fields to the record");

TEST(stores, GlobalsHoldNamedValues) {
  vesk::variables globals;
  EXPECT_TRUE(globals.isnamedlist());
  globals.add(3.0, "x");
  EXPECT_EQ(globals.count(), 1);
  ASSERT_NE(globals.find("x"), nullptr);
  EXPECT_TRUE(globals.find("x")->isnumber());
  EXPECT_EQ(globals.find("x")->number(), 3.0);
  globals.reset();
}

TEST(stores, ParametersKeepPositionalArgumentsUnderTheEmptyName) {
  vesk::parameters params;
  params.add(1.0, "");
  params.add(2.0, "");
  params.add(7.0, "n");
  EXPECT_EQ(params.count(), 3);
  EXPECT_EQ(params.find("n"), params.index(2));
  EXPECT_EQ(params.find(""), params.index(0));
  std::string names;
  char* name = nullptr;
  for (vesk::variable* v = params.first(&name); v; v = params.next(&name))
    names += "[" + std::string(name) + "]";
  EXPECT_EQ(names, "[][][n]");
  params.reset();
}

TEST(stores, OverlayShadowsUntilItIsCleared) {
  vesk::variables globals;
  vesk::parameters params;
  vesk::variable* global = globals.add(1.0, "x");
  vesk::variable* parameter = params.add(2.0, "x");
  globals.setoverlay(&params);
  EXPECT_EQ(globals.find("x"), parameter);
  globals.setoverlay(nullptr);
  EXPECT_EQ(globals.find("x"), global);
  globals.reset();
  params.reset();
}

TEST(stores, OverlayMustBeANamedList) {
  vesk::variables globals;
  vesk::parameters params;
  params.add(2.0, "x");
  globals.setoverlay(&params);
  vesk::variable list(vesk::listtype, nullptr);
  globals.setoverlay(static_cast<vesk::parameters*>(&list)); // a plain list: nothing changes
  EXPECT_EQ(globals.find("x")->number(), 2.0);
  globals.setoverlay(nullptr);
  EXPECT_EQ(globals.find("x"), nullptr);

  vesk::parameters notalist; // a record that stopped being a named list
  static_cast<vesk::variable&>(notalist) = vesk::variable(1.0);
  notalist.setoverlay(&params); // on a number: nothing happens
  EXPECT_EQ(notalist.find("x"), nullptr);
  params.reset();
}

TEST(stores, StoresWithAnAllocaterTakeEverythingFromIt) {
  vesktest::recordingallocater storage;
  vesk::variables globals(&storage);
  vesk::parameters params(&storage);
  for (int i = 0; i < 10; ++i)
    globals.add(static_cast<double>(i), ("g" + std::to_string(i)).c_str());
  params.add(1.0, "");
  // Both the elements and the name index come from it.
  EXPECT_GT(storage.count("objlist::block"), 0);
  EXPECT_GT(storage.count("avltreenode"), 0);
  globals.reset();
  params.reset();
  EXPECT_EQ(storage.outstanding(), 0);
  EXPECT_EQ(storage.strayfrees, 0);
}

TEST(stores, RemovedVariableStaysAsUndefinedUnderItsName) {
  vesk::variables globals;
  vesk::variable* held = globals.add(1.0, "v");
  EXPECT_TRUE(globals.remove("v"));
  EXPECT_EQ(held->type(), vesk::undefinedtype);
  EXPECT_EQ(globals.count(), 1);
  EXPECT_EQ(globals.find("v"), nullptr);
  vesk::variable* again = globals.add(2.0, "v");
  EXPECT_NE(again, held);
  EXPECT_EQ(globals.find("v"), again);
  EXPECT_EQ(globals.count(), 2);
  globals.reset();
}

TEST(stores, AssignmentIsAShallowCopy) {
  vesk::variables globals;
  globals.add(1.0, "x");
  vesk::variables copy;
  copy = globals;
  EXPECT_EQ(copy.find("x"), globals.find("x"));
  globals.reset();
}

} // namespace
