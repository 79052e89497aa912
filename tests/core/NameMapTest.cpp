#include "engine/core/NameMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace engine;

namespace {
template <class Map> std::vector<std::string> insertionOrder(const Map& map) {
  std::vector<std::string> names;
  for (const auto& e : map)
    names.push_back(e.name);
  return names;
}
} // namespace

TEST(NameMap, KeepsInsertionOrderAndFindsIgnoringCase) {
  NameMap<int> map;
  EXPECT_TRUE(map.insert("Zeta", 1).second);
  EXPECT_TRUE(map.insert("alpha", 2).second);
  EXPECT_TRUE(map.insert("Mid", 3).second);
  EXPECT_EQ(insertionOrder(map), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
  ASSERT_NE(map.find("ALPHA"), nullptr);
  EXPECT_EQ(*map.find("ALPHA"), 2);
  EXPECT_EQ(*map.storedName("zeta"), "Zeta");
  EXPECT_EQ(map.find("alphabet"), nullptr);

  std::vector<std::string> byKey;
  map.forEachByKey([&](const std::string& name, int) { byKey.push_back(name); });
  EXPECT_EQ(byKey, (std::vector<std::string>{"alpha", "Mid", "Zeta"}));
}

TEST(NameMap, InsertKeepsExistingWhileAssignReplacesInPlace) {
  NameMap<int> map;
  map.insert("a", 1);
  map.insert("b", 2);
  auto [value, added] = map.insert("A", 9);
  EXPECT_FALSE(added);
  EXPECT_EQ(*value, 1);
  map.assign("A", 7);
  EXPECT_EQ(*map.find("a"), 7);
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(insertionOrder(map), (std::vector<std::string>{"a", "b"}));
}

TEST(NameMap, CaseSensitiveComparatorKeepsSpellingsApart) {
  NameMap<int, CaseLess> map;
  EXPECT_TRUE(map.insert("Material", 1).second);
  EXPECT_TRUE(map.insert("material", 2).second);
  EXPECT_EQ(*map.find("Material"), 1);
  EXPECT_EQ(*map.find("material"), 2);
  EXPECT_EQ(map.find("MATERIAL"), nullptr);
}

TEST(NameMap, EraseCopyAndCursor) {
  NameMap<std::string> map;
  map.insert("one", "1");
  map.insert("two", "2");
  map.insert("three", "3");
  EXPECT_TRUE(map.erase("TWO"));
  EXPECT_FALSE(map.erase("two"));
  EXPECT_EQ(map.find("two"), nullptr);

  NameMap<std::string> copy = map;
  map.assign("one", "changed");
  EXPECT_EQ(*copy.find("one"), "1");
  EXPECT_EQ(insertionOrder(copy), (std::vector<std::string>{"one", "three"}));

  NameMap<std::string> moved = std::move(copy);
  EXPECT_EQ(*moved.find("THREE"), "3");

  std::vector<std::string> seen;
  for (NameMap<std::string>::Cursor c(moved); c.valid(); c.next())
    seen.push_back(c.name() + "=" + c.value());
  EXPECT_EQ(seen, (std::vector<std::string>{"one=1", "three=3"}));
  NameMap<std::string> empty;
  NameMap<std::string>::Cursor none(empty);
  EXPECT_FALSE(none.valid());
  none.next();
  EXPECT_FALSE(none.valid());
}
