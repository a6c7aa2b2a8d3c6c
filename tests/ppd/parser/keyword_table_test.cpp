#include "ppd/parser/keyword_table.h"

#include <gtest/gtest.h>

#include <thread>

#include "parser_fixture.h"
#include "ppd/parser/parser.h"

namespace {

TEST(KeywordTable, EveryKeywordFindsItsOwnRow) {
  for (const KEYWORDROW& row : KeywordTable()) {
    EXPECT_EQ(SearchKeyword(row.keyword), &row) << row.keyword;
    EXPECT_NE(row.handler, nullptr) << row.keyword;
  }
}

TEST(KeywordTable, ProbingWrapsFromTheLastSlotToTheFirst) {
  const auto slots = KeywordHashTable();
  const KEYWORDROW& jclRes = KeywordTable()[60];
  ASSERT_STREQ(jclRes.keyword, "JCLRes");
  EXPECT_EQ(HashKeyword("JCLRes") % HASH_TABLE_SIZE, 126u);
  EXPECT_EQ(slots[0].row, 60);
  EXPECT_EQ(slots[0].hash, HashKeyword("JCLRes"));
  EXPECT_EQ(SearchKeyword("JCLRes"), &jclRes);
}

TEST(KeywordTable, KeywordWithAnEmptyHomeSlotIsNotFound) {
  EXPECT_EQ(HashKeyword("DefaultPageRegion") % HASH_TABLE_SIZE, 99u);
  EXPECT_EQ(KeywordHashTable()[99].row, KEYWORD_COUNT);
  EXPECT_EQ(SearchKeyword("DefaultPageRegion"), nullptr);
}

TEST(KeywordTable, MatchingIsExactAndCaseSensitive) {
  for (const char* keyword : {"openui", "OpenUi", "OPENUI", "OpenUI ", "Open", "", "*OpenUI"}) {
    EXPECT_EQ(SearchKeyword(keyword), nullptr) << '"' << keyword << '"';
  }
}

TEST(KeywordTable, TwelveKeywordsLieAwayFromTheirHomeSlot) {
  int displaced = 0;
  int used = 0;
  const auto slots = KeywordHashTable();
  for (ULONG i = 0; i < HASH_TABLE_SIZE; ++i) {
    if (slots[i].row == KEYWORD_COUNT) continue;
    ++used;
    if (slots[i].hash % HASH_TABLE_SIZE != i) ++displaced;
  }
  EXPECT_EQ(used, KEYWORD_COUNT);
  EXPECT_EQ(displaced, 12);
}

// The hash table is ready before any parse, so threads that search it for
// the first time at once see the same, whole table.
TEST(KeywordTable, FirstSearchesFromTwoThreadsAgree) {
  auto searchAll = [](bool* ok) {
    for (const KEYWORDROW& row : KeywordTable()) *ok = *ok && SearchKeyword(row.keyword) == &row;
  };
  bool ok1 = true;
  bool ok2 = true;
  std::thread t1(searchAll, &ok1);
  std::thread t2(searchAll, &ok2);
  t1.join();
  t2.join();
  EXPECT_TRUE(ok1);
  EXPECT_TRUE(ok2);
}

TEST(GetUiGroupInfo, ResolvesKindsAndNames) {
  struct Case {
    WORD kind;
    const char* name;
    const char* groupName;
    ULONG optionSize;
    WORD uiType;
    WORD resolvedKind;
  };
  const Case kCases[] = {
      {UIGRP_OTHER, "Duplex", "Duplex", sizeof(UIOPTION), UITYPE_PICKONE, UIGRP_DUPLEX},
      {UIGRP_OTHER, "Foo", "Foo", sizeof(UIOPTION), UITYPE_PICKONE, UIGRP_OTHER},
      {UIGRP_OTHER, "duplex", "duplex", sizeof(UIOPTION), UITYPE_PICKONE, UIGRP_OTHER},
      {UIGRP_PAGESIZE, "PageRegion", "PageSize", sizeof(MEDIAOPTION), UITYPE_PICKONE,
       UIGRP_PAGESIZE},
      {UIGRP_INPUTSLOT, "RequiresPageRegion", "InputSlot", sizeof(INPUTSLOTOPTION),
       UITYPE_PICKONE, UIGRP_INPUTSLOT},
      {UIGRP_OTHER, "ManualFeed", "ManualFeed", sizeof(UIOPTION), UITYPE_BOOLEAN,
       UIGRP_MANUALFEED},
      {UIGRP_OTHER, "Collate", "Collate", sizeof(UIOPTION), UITYPE_BOOLEAN, UIGRP_COLLATE},
      {UIGRP_RESOLUTION, "JCLResolution", "Resolution", sizeof(RESOPTION), UITYPE_PICKONE,
       UIGRP_RESOLUTION},
      {UIGRP_VMOPTION, "InstalledMemory", "VMOption", sizeof(VMOPTION), UITYPE_PICKONE,
       UIGRP_VMOPTION},
  };
  for (const Case& c : kCases) {
    UIGROUPINFO info;
    GetUiGroupInfo(&info, c.kind, c.name);
    EXPECT_STREQ(info.name, c.groupName) << c.name;
    EXPECT_EQ(info.optionSize, c.optionSize) << c.name;
    EXPECT_EQ(info.uiType, c.uiType) << c.name;
    EXPECT_EQ(info.kind, c.resolvedKind) << c.name;
  }
  EXPECT_EQ(GetUiGroupIndex("VMOption"), UIGRP_VMOPTION);
  EXPECT_EQ(GetUiGroupIndex("InstalledMemory"), UIGRP_OTHER);
}

// The shape of an entry against its row: option keyword and value.
struct ShapeCase {
  const char* name;
  const char* keyword;
  const char* option;
  const char* value;
  WORD valueType;
  WORD result;
};

class ShapeTest : public ParserTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(ShapeTest, EntryFitsOrFailsItsRow) {
  const ShapeCase& c = GetParam();
  EXPECT_EQ(Insert(c.keyword, c.option, "", c.value, c.valueType), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ShapeTest,
    ::testing::Values(
        ShapeCase{"OpenUiWithoutOption", "OpenUI", "", "PickOne", PPDVALUE_PLAIN, PPDERR_SYNTAX},
        ShapeCase{"CloseUiWithOption", "CloseUI", "*X", "*Foo", PPDVALUE_PLAIN, PPDERR_SYNTAX},
        ShapeCase{"PlainRequiredNotEmpty", "DefaultPageSize", "", "", PPDVALUE_PLAIN,
                  PPDERR_SYNTAX},
        ShapeCase{"PlainRequiredNotQuoted", "DefaultPageSize", "", "A4", PPDVALUE_QUOTED,
                  PPDERR_SYNTAX},
        ShapeCase{"QuotedRequired", "PageSize", "A4", "code", PPDVALUE_PLAIN, PPDERR_SYNTAX},
        ShapeCase{"QuotedRequiredNoValue", "Password", "", "", PPDVALUE_NONE, PPDERR_SYNTAX},
        ShapeCase{"QuotedOrPlainNoValue", "NickName", "", "", PPDVALUE_NONE, PPDERR_SYNTAX},
        ShapeCase{"QuotedOrPlainEmptyIsFine", "JCLBegin", "", "", PPDVALUE_QUOTED, PPDERR_NONE},
        ShapeCase{"OptionNotAllowed", "NickName", "X", "Name", PPDVALUE_QUOTED, PPDERR_SYNTAX},
        ShapeCase{"AnyShapeForEnd", "End", "", "", PPDVALUE_NONE, PPDERR_NONE},
        ShapeCase{"EndWithValue", "End", "", "x", PPDVALUE_QUOTED, PPDERR_NONE},
        ShapeCase{"UnknownKeywordIgnored", "DefaultPageRegion", "", "", PPDVALUE_NONE,
                  PPDERR_NONE},
        ShapeCase{"QueryKeywordIgnored", "?PageSize", "", "", PPDVALUE_NONE, PPDERR_NONE}),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return info.param.name; });

TEST_F(ParserTest, RepeatOfASingleKeywordIsIgnoredAndTheFirstValueStays) {
  EXPECT_EQ(Quoted("NickName", "First"), PPDERR_NONE);
  EXPECT_EQ(Quoted("NickName", "Second"), PPDERR_NONE);
  EXPECT_EQ(Text(ppd->nickName), "First");
  EXPECT_EQ(Plain("LanguageLevel", "2"), PPDERR_NONE);
  EXPECT_EQ(Plain("LanguageLevel", "3"), PPDERR_NONE);
  EXPECT_EQ(ppd->languageLevel, 2u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Insert("End", "", "", "", PPDVALUE_NONE), PPDERR_NONE);
}

TEST_F(ParserTest, FailedEntryDoesNotMarkItsKeyword) {
  EXPECT_EQ(Plain("LanguageLevel", "x"), PPDERR_SYNTAX);
  EXPECT_EQ(Plain("LanguageLevel", "3"), PPDERR_NONE);
  EXPECT_EQ(ppd->languageLevel, 3u);
}

TEST_F(ParserTest, NewParseClearsTheSeenMarks) {
  EXPECT_EQ(Plain("FreeVM", "1000"), PPDERR_NONE);
  PPDOBJ* second = PPDOBJ_CreateEmpty(nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(PPDOBJ_InsertEntry(second, parser, "FreeVM", "", "", "2000", PPDVALUE_PLAIN),
            PPDERR_NONE);
  EXPECT_EQ(second->freeVm, 2000u);
  PPDOBJ_Delete(second);
}

}  // namespace
