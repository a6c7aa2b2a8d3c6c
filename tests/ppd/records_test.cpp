#include "ppd/records.h"

#include "ppd/queries.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

static_assert(HashKeyword("") == 0);

TEST(HashKeyword, ShiftsAndXorsEachByte) {
  struct Case {
    const char* text;
    ULONG hash;
  };
  constexpr Case kCases[] = {{"End", 428}, {"OpenUI", 3219}, {"PageSize", 14685}, {"", 0}};
  for (const Case& c : kCases) EXPECT_EQ(HashKeyword(c.text), c.hash) << c.text;
  // Bytes count unsigned, and bits shifted out of 32 are lost.
  EXPECT_EQ(HashKeyword("\xff"), 0xFFu);
  EXPECT_EQ(HashKeyword(std::string(40, 'a').c_str()), HashKeyword(std::string(40, 'a').c_str()));
}

// Positions from 0xFFFF on cannot be told in 16 bits: such an item is found
// with the index 0xFFFF instead of a wrapped one naming another item.
TEST(ListPositions, BeyondSixteenBitsGiveNoIndex) {
  constexpr ULONG kCount = 0x10001;
  std::vector<UIOPTION> options(kCount);
  std::vector<std::string> names(kCount);
  for (ULONG i = 0; i < kCount; ++i) {
    names[i] = std::to_string(i).insert(0, 1, 'o');
    options[i].header = {i + 1 < kCount ? &options[i + 1].header : nullptr, names[i].data(),
                         HashKeyword(names[i].c_str())};
  }
  struct Case {
    ULONG position;
    WORD index;
  };
  for (const Case& c : {Case{0xFFFE, 0xFFFE}, Case{0xFFFF, 0xFFFF}, Case{0x10000, 0xFFFF}}) {
    const CHAR* name = names[c.position].c_str();
    WORD index = 0;
    EXPECT_EQ(LISTOBJ_FindItemIndex(&options[0].header, name, &index), &options[c.position].header);
    EXPECT_EQ(index, c.index) << name;
    index = 0;
    EXPECT_EQ(PpdFindUiOptionWithXlation(&options[0].header, name, &index), &options[c.position]);
    EXPECT_EQ(index, c.index) << name;
  }
}

// Items built on the stack; the list links them.
class ListTest : public ::testing::Test {
 protected:
  LISTOBJ* Build(std::initializer_list<const char*> names) {
    LISTOBJ* list = nullptr;
    for (const char* name : names) {
      items.push_back(std::make_unique<LISTOBJ>());
      items.back()->name = const_cast<CHAR*>(name);
      LISTOBJ_Add(&list, items.back().get());
    }
    return list;
  }
  std::vector<std::unique_ptr<LISTOBJ>> items;
};

TEST_F(ListTest, EmptyList) {
  WORD index = 7;
  EXPECT_EQ(LISTOBJ_Find(nullptr, "a"), nullptr);
  EXPECT_EQ(LISTOBJ_FindItemIndex(nullptr, "a", &index), nullptr);
  EXPECT_EQ(index, LISTOBJ_NOT_FOUND);
  EXPECT_EQ(LISTOBJ_Count(nullptr), 0u);
  EXPECT_EQ(LISTOBJ_FindIndexed(nullptr, 0), nullptr);
}

TEST_F(ListTest, AddKeepsOrderAndSetsTheHash) {
  LISTOBJ* list = Build({"PageSize", "InputSlot", "Duplex"});
  EXPECT_EQ(LISTOBJ_Count(list), 3u);
  const std::array<std::string, 3> expected = {"PageSize", "InputSlot", "Duplex"};
  for (ULONG i = 0; i < 3; ++i) {
    LISTOBJ* item = LISTOBJ_FindIndexed(list, i);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->name, expected[i]);
    EXPECT_EQ(item->nameHash, HashKeyword(item->name));
    WORD index;
    EXPECT_EQ(LISTOBJ_FindItemIndex(list, expected[i].c_str(), &index), item);
    EXPECT_EQ(index, i);
  }
  EXPECT_EQ(LISTOBJ_FindIndexed(list, 3), nullptr);
  EXPECT_EQ(list->next->next->next, nullptr);
}

TEST_F(ListTest, NamesThatHashAlikeAreToldApartAndCaseMatters) {
  static_assert(HashKeyword("ab") == HashKeyword("cf"));
  LISTOBJ* list = Build({"ab", "cf", "AB"});
  EXPECT_EQ(LISTOBJ_Find(list, "cf"), list->next);
  EXPECT_EQ(LISTOBJ_Find(list, "ab"), list);
  EXPECT_EQ(LISTOBJ_Find(list, "AB"), list->next->next);
  WORD index;
  EXPECT_EQ(LISTOBJ_FindItemIndex(list, "Ab", &index), nullptr);
  EXPECT_EQ(index, LISTOBJ_NOT_FOUND);
}

TEST_F(ListTest, FirstOfTwoEqualNamesWins) {
  LISTOBJ* list = Build({"x", "y", "x"});
  WORD index;
  EXPECT_EQ(LISTOBJ_FindItemIndex(list, "x", &index), list);
  EXPECT_EQ(index, 0);
}

TEST(UiGroupCountOptions, CountsTheOptionList) {
  EXPECT_EQ(UIGROUP_CountOptions(nullptr), 0u);
  UIGROUP group{};
  EXPECT_EQ(UIGROUP_CountOptions(&group), 0u);
  LISTOBJ a{}, b{};
  a.name = const_cast<CHAR*>("a");
  b.name = const_cast<CHAR*>("b");
  LISTOBJ_Add(&group.options, &a);
  LISTOBJ_Add(&group.options, &b);
  EXPECT_EQ(UIGROUP_CountOptions(&group), 2u);
}

}  // namespace
