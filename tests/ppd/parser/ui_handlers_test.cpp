#include "ppd/parser/ui_handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser_fixture.h"

namespace {

std::vector<std::string> Names(const LISTOBJ* list) {
  std::vector<std::string> names;
  for (; list != nullptr; list = list->next) names.emplace_back(list->name);
  return names;
}

using UiHandlers = ParserTest;

TEST_F(UiHandlers, OpenUiOfAPageRegionFillsThePageSizeGroupWithoutOpeningIt) {
  EXPECT_EQ(Plain("OpenUI", "PickMany") , PPDERR_SYNTAX);  // no option keyword
  EXPECT_EQ(Insert("OpenUI", "*PageSize", "Paper", "PickMany", PPDVALUE_PLAIN), PPDERR_NONE);
  UIGROUP* group = Group("PageSize");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->uiType, UITYPE_PICKMANY);
  EXPECT_EQ(Text(group->translation), "Paper");
  EXPECT_EQ(Insert("OpenUI", "*PageRegion", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(group->uiType, UITYPE_PICKONE);
  EXPECT_EQ(group->kind, UIGRP_PAGESIZE);
  EXPECT_EQ(group->optionSize, sizeof(MEDIAOPTION));
  EXPECT_EQ(ppd->predefinedGroups[UIGRP_PAGESIZE], group);
  EXPECT_EQ(ppd->openUiGroup, nullptr);
  EXPECT_EQ(Names(ppd->uiGroups), std::vector<std::string>{"PageSize"});
}

TEST_F(UiHandlers, OpenUiOfATableFeatureWithoutGroupIsIgnored) {
  EXPECT_EQ(Insert("OpenUI", "*Duplex", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(ppd->uiGroups, nullptr);
  EXPECT_EQ(ppd->openUiGroup, nullptr);
  EXPECT_EQ(OptionEntry("Duplex", "None", "code-none", "Off"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("Duplex", "DuplexNoTumble", "code-long"), PPDERR_NONE);
  EXPECT_EQ(Plain("CloseUI", "*Duplex"), PPDERR_NONE);
  UIGROUP* group = Group("Duplex");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->kind, UIGRP_DUPLEX);
  EXPECT_EQ(group->uiType, UITYPE_PICKONE);
  EXPECT_EQ(ppd->predefinedGroups[UIGRP_DUPLEX], group);
  EXPECT_EQ(Names(group->options), (std::vector<std::string>{"None", "DuplexNoTumble"}));
  EXPECT_EQ(Text(Option("Duplex", "None")->invocation), "code-none");
  EXPECT_EQ(Text(Option("Duplex", "None")->translation), "Off");
  EXPECT_EQ(Text(Option("Duplex", "DuplexNoTumble")->translation), "(null)");
}

TEST_F(UiHandlers, OpenGroupTakesItsOwnOptionAndDefaultEntries) {
  ASSERT_EQ(Insert("OpenUI", "*InkType", "Ink", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  UIGROUP* group = Group("InkType");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(ppd->openUiGroup, group);
  EXPECT_EQ(group->kind, UIGRP_OTHER);
  EXPECT_EQ(group->installable, 0u);
  EXPECT_EQ(Plain("DefaultInkType", "Dye"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("InkType", "Dye", "dye code", "Dye Ink"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("InkType", "Resin", "resin code"), PPDERR_NONE);
  EXPECT_EQ(Plain("CloseUI", "*InkType  "), PPDERR_NONE);
  EXPECT_EQ(ppd->openUiGroup, nullptr);
  EXPECT_EQ(Text(group->defaultOption), "Dye");
  EXPECT_EQ(group->optionSize, sizeof(UIOPTION));
  EXPECT_EQ(Names(group->options), (std::vector<std::string>{"Dye", "Resin"}));
  EXPECT_EQ(Text(Option("InkType", "Dye")->invocation), "dye code");
  EXPECT_EQ(Text(Option("InkType", "Dye")->translation), "Dye Ink");
  // Once closed, the group's keyword is no table keyword and is ignored.
  EXPECT_EQ(OptionEntry("InkType", "Wax", "wax code"), PPDERR_NONE);
  EXPECT_EQ(UIGROUP_CountOptions(group), 2u);
}

TEST_F(UiHandlers, NextOpenUiClosesTheOpenGroup) {
  ASSERT_EQ(Insert("OpenUI", "*First", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  ASSERT_EQ(Insert("OpenUI", "*Second", "", "Boolean", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(ppd->openUiGroup, Group("Second"));
  EXPECT_EQ(Group("Second")->uiType, UITYPE_BOOLEAN);
  EXPECT_EQ(Insert("OpenUI", "*PageSize", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(ppd->openUiGroup, nullptr);
  EXPECT_EQ(Insert("OpenUI", "*", "", "PickOne", PPDVALUE_PLAIN), PPDERR_SYNTAX);
}

// Feature positions are 16 bits and 0xFFFF marks "not found", so a
// description holds 65,535 features at most. Reaching that many through
// statements would take minutes (every new feature is looked up by name
// first), so the count starts just below the limit.
TEST_F(UiHandlers, NoFeatureBeyondTheLastIndexableOne) {
  ppd->cUiGroups = PPD_MAX_LIST_ITEMS - 1;
  EXPECT_EQ(Insert("OpenUI", "*Last", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("Last", "A", ""), PPDERR_NONE);
  EXPECT_EQ(Insert("OpenUI", "*Beyond", "", "PickOne", PPDVALUE_PLAIN), PPDERR_FULL);
  EXPECT_EQ(Plain("DefaultDuplex", "None"), PPDERR_FULL);
  EXPECT_EQ(OptionEntry("PageSize", "A4", ""), PPDERR_FULL);
  EXPECT_EQ(Group("Beyond"), nullptr);
  EXPECT_EQ(Group("Duplex"), nullptr);
  EXPECT_EQ(ppd->predefinedGroups[UIGRP_PAGESIZE], nullptr);
  // Features that exist still take their entries.
  EXPECT_EQ(Insert("OpenUI", "*Last", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("Last", "B", ""), PPDERR_NONE);
  EXPECT_EQ(UIGROUP_CountOptions(Group("Last")), 2u);
}

TEST_F(UiHandlers, UnknownUiTypeIsPickOne) {
  ASSERT_EQ(Insert("OpenUI", "*Finish", "", "Sometimes", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(Group("Finish")->uiType, UITYPE_PICKONE);
}

TEST_F(UiHandlers, CloseUiOfAnUnknownFeatureFailsAndLeavesTheOpenGroup) {
  ASSERT_EQ(Insert("OpenUI", "*Finish", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(Plain("CloseUI", "*Other"), PPDERR_SYNTAX);
  EXPECT_EQ(Plain("CloseUI", "*"), PPDERR_SYNTAX);
  EXPECT_EQ(Plain("CloseUI", "*FinishLine"), PPDERR_SYNTAX);
  EXPECT_EQ(ppd->openUiGroup, Group("Finish"));
  EXPECT_EQ(Plain("CloseUI", "*PageSize"), PPDERR_NONE);  // a table keyword
  EXPECT_EQ(ppd->openUiGroup, Group("Finish"));
  EXPECT_EQ(Plain("CloseUI", "Finish"), PPDERR_NONE);
  EXPECT_EQ(ppd->openUiGroup, nullptr);
}

TEST_F(UiHandlers, JclGroupDecodesItsInvocations) {
  ASSERT_EQ(Insert("JCLOpenUI", "*JCLEconomode", "", "Boolean", PPDVALUE_PLAIN), PPDERR_NONE);
  UIGROUP* group = Group("JCLEconomode");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->flags, UIGF_JCLGROUP);
  EXPECT_EQ(OptionEntry("JCLEconomode", "True", "@PJL SET ECONOMODE=ON<0A>"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("JCLEconomode", "Bad", "<0>"), PPDERR_SYNTAX);
  EXPECT_EQ(Plain("JCLCloseUI", "*JCLEconomode"), PPDERR_NONE);
  EXPECT_EQ(Text(Option("JCLEconomode", "True")->invocation), "@PJL SET ECONOMODE=ON\n");
  EXPECT_EQ(Option("JCLEconomode", "Bad")->invocation, nullptr);
  // Outside a JCL group invocations stay as written.
  EXPECT_EQ(OptionEntry("Collate", "True", "<0A>"), PPDERR_NONE);
  EXPECT_EQ(Text(Option("Collate", "True")->invocation), "<0A>");
}

TEST_F(UiHandlers, InstallableBracketMakesItsGroupsInstallable) {
  ASSERT_EQ(Plain("OpenGroup", "InstallableOptions"), PPDERR_NONE);
  ASSERT_EQ(Insert("OpenUI", "*Encoder", "Encoder", "Boolean", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("Encoder", "True", ""), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("Encoder", "False", ""), PPDERR_NONE);
  EXPECT_EQ(Plain("CloseUI", "*Encoder"), PPDERR_NONE);
  // A predefined group opened inside the bracket keeps its own rule.
  ASSERT_EQ(Insert("OpenUI", "*Duplex", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("Duplex", "None", "x"), PPDERR_NONE);
  ASSERT_EQ(Plain("CloseGroup", "InstallableOptions"), PPDERR_NONE);
  ASSERT_EQ(Insert("OpenUI", "*Finish", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);

  EXPECT_EQ(Group("Encoder")->installable, 1u);
  EXPECT_EQ(Group("Encoder")->uiType, UITYPE_BOOLEAN);
  EXPECT_EQ(Option("Encoder", "True")->header.nameHash, HashKeyword("True"));
  EXPECT_EQ(Group("Duplex")->installable, 0u);
  EXPECT_EQ(Group("Finish")->installable, 0u);
}

TEST_F(UiHandlers, SecondOptionEntryReusesTheOptionAndFillsOnlyAMissingTranslation) {
  EXPECT_EQ(OptionEntry("PageSize", "A4", "first code"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("PageSize", "A4", "second code", "A4 Sheet"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("PageRegion", "A4", "region", "Other"), PPDERR_NONE);
  EXPECT_EQ(UIGROUP_CountOptions(Group("PageSize")), 1u);
  auto* a4 = Option<MEDIAOPTION>("PageSize", "A4");
  EXPECT_EQ(Text(a4->option.invocation), "first code");
  EXPECT_EQ(Text(a4->option.translation), "A4 Sheet");
  EXPECT_EQ(Text(a4->pageRegionCode), "region");
}

TEST_F(UiHandlers, BadHexInANewOptionsTranslationIsASyntaxError) {
  EXPECT_EQ(OptionEntry("PageSize", "A4", "code", "A<4"), PPDERR_SYNTAX);
  EXPECT_EQ(UIGROUP_CountOptions(Group("PageSize")), 0u);
  EXPECT_EQ(OptionEntry("PageSize", "A4", "code", "A<34>"), PPDERR_NONE);
  EXPECT_EQ(Text(Option("PageSize", "A4")->translation), "A4");
  EXPECT_EQ(OptionEntry("Duplex", "None", "code"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("Duplex", "None", "code", "<Z>"), PPDERR_SYNTAX);
  EXPECT_EQ(Option("Duplex", "None")->translation, nullptr);
}

TEST_F(UiHandlers, PageSizeWithoutOptionKeywordCreatesNothing) {
  EXPECT_EQ(Quoted("PageSize", "code"), PPDERR_SYNTAX);
  EXPECT_EQ(ppd->uiGroups, nullptr);
}

TEST_F(UiHandlers, SecondDefaultIsIgnored) {
  EXPECT_EQ(Plain("DefaultPageSize", "A4"), PPDERR_NONE);
  EXPECT_EQ(Plain("DefaultPageSize", "Letter"), PPDERR_NONE);
  EXPECT_EQ(Text(Group("PageSize")->defaultOption), "A4");
}

TEST_F(UiHandlers, DefaultCreatesItsGroupWhenMissing) {
  struct Case {
    const char* keyword;
    const char* group;
    WORD kind;
  };
  constexpr Case kCases[] = {
      {"DefaultInputSlot", "InputSlot", UIGRP_INPUTSLOT},
      {"DefaultCollate", "Collate", UIGRP_COLLATE},
      {"DefaultManualFeed", "ManualFeed", UIGRP_MANUALFEED},
      {"DefaultResolution", "Resolution", UIGRP_RESOLUTION},
      {"DefaultInstalledMemory", "VMOption", UIGRP_VMOPTION},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(Plain(c.keyword, "Choice"), PPDERR_NONE) << c.keyword;
    UIGROUP* group = Group(c.group);
    ASSERT_NE(group, nullptr) << c.keyword;
    EXPECT_EQ(group->kind, c.kind) << c.keyword;
    EXPECT_EQ(Text(group->defaultOption), "Choice") << c.keyword;
    EXPECT_EQ(ppd->predefinedGroups[c.kind], group) << c.keyword;
  }
  EXPECT_EQ(LISTOBJ_Count(ppd->uiGroups), std::size(kCases));
}

// The installed-memory default lands in the "VMOption" group that its
// options build; no separate "InstalledMemory" feature appears.
TEST_F(UiHandlers, InstalledMemoryDefaultFillsTheVmOptionGroup) {
  EXPECT_EQ(Insert("OpenUI", "*InstalledMemory", "Memory", "PickOne", PPDVALUE_PLAIN),
            PPDERR_NONE);
  EXPECT_EQ(Plain("DefaultInstalledMemory", "8MB"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("InstalledMemory", "8MB", "code 8"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("InstalledMemory", "16MB", "code 16"), PPDERR_NONE);
  EXPECT_EQ(Plain("CloseUI", "*InstalledMemory"), PPDERR_NONE);
  EXPECT_EQ(Names(ppd->uiGroups), std::vector<std::string>{"VMOption"});
  UIGROUP* group = Group("VMOption");
  EXPECT_EQ(Text(group->defaultOption), "8MB");
  EXPECT_EQ(Text(group->translation), "Memory");
  EXPECT_EQ(group->installable, 1u);
  EXPECT_EQ(Names(group->options), (std::vector<std::string>{"8MB", "16MB"}));
}

TEST_F(UiHandlers, PaperDimensionReadsWidthThenHeight) {
  EXPECT_EQ(OptionEntry("PaperDimension", "CR_80", "158 246"), PPDERR_NONE);
  auto* card = Option<MEDIAOPTION>("PageSize", "CR_80");
  EXPECT_EQ(card->paperWidth, 40448);
  EXPECT_EQ(card->paperHeight, 62976);
  EXPECT_EQ(OptionEntry("PaperDimension", "CR_80", "100"), PPDERR_SYNTAX);
  EXPECT_EQ(card->paperWidth, Real(100));
  EXPECT_EQ(card->paperHeight, 62976);
  EXPECT_EQ(OptionEntry("PaperDimension", "CR_80", "x 200"), PPDERR_SYNTAX);
  EXPECT_EQ(card->paperWidth, Real(100));
}

TEST_F(UiHandlers, ImageableAreaNeedsFourNumbers) {
  EXPECT_EQ(OptionEntry("ImageableArea", "A4", "1 2 3 4"), PPDERR_NONE);
  auto* a4 = Option<MEDIAOPTION>("PageSize", "A4");
  const PSRECT expected{Real(1), Real(2), Real(3), Real(4)};
  auto same = [](const PSRECT& a, const PSRECT& b) {
    return a.left == b.left && a.bottom == b.bottom && a.right == b.right && a.top == b.top;
  };
  EXPECT_TRUE(same(a4->imageableArea, expected));
  EXPECT_EQ(OptionEntry("ImageableArea", "A4", "5 6 7"), PPDERR_SYNTAX);
  EXPECT_EQ(OptionEntry("ImageableArea", "A4", "5 6 7 z"), PPDERR_SYNTAX);
  EXPECT_TRUE(same(a4->imageableArea, expected));
  EXPECT_EQ(OptionEntry("ImageableArea", "A4", "18 36 577.2 806.4 ignored"), PPDERR_NONE);
  EXPECT_EQ(a4->imageableArea.right, 147763);
}

}  // namespace
