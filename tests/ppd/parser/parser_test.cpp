#include "ppd/parser/parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/block_heap.h"
#include "lib/pool_tags.h"
#include "parser_fixture.h"

namespace {

using BuiltinDescription = HostEngineTest;

// Everything the description holds, as text, so that a difference shows at
// a glance.
std::string Dump(const PPDOBJ* ppd) {
  std::string out;
  auto line = [&out](const std::string& text) { out += text + "\n"; };
  auto str = [](const CHAR* s) { return s != nullptr ? "\"" + std::string(s) + "\"" : "null"; };
  line("imageSize " + std::to_string(ppd->imageSize) + " formatVersion " +
       std::to_string(ppd->formatVersion) + " checksum " + std::to_string(ppd->checksum));
  line("nickName " + str(ppd->nickName) + " password " + str(ppd->password) + " exitServer " +
       str(ppd->exitServer));
  line("protocols " + std::to_string(ppd->protocols) + " lso " +
       std::to_string(ppd->landscapeOrientation) + " tt " + std::to_string(ppd->ttRasterizer) +
       " encoding " + std::to_string(ppd->languageEncoding) + " extensions " +
       std::to_string(ppd->extensions));
  line("freeVm " + std::to_string(ppd->freeVm) + " languageLevel " +
       std::to_string(ppd->languageLevel) + " jobTimeout " + std::to_string(ppd->jobTimeout) +
       " waitTimeout " + std::to_string(ppd->waitTimeout));
  line("colorDevice " + std::to_string(ppd->colorDevice) + " printPsErrors " +
       std::to_string(ppd->printPsErrors) + " customPageSize " +
       std::to_string(ppd->customPageSize) + " customPageCode " + str(ppd->customPageCode));
  line("hwMarginsSet " + std::to_string(ppd->hwMarginsSet) + " maxMedia " +
       std::to_string(ppd->maxMediaWidth) + " " + std::to_string(ppd->maxMediaHeight));
  for (const CUSTOMPARAM& p : ppd->customPageParams) {
    if (p.order != 0 || p.type != 0 || p.minimum != 0 || p.maximum != 0) line("customParam set");
  }
  line("resolutionCodeKind " + std::to_string(ppd->resolutionCodeKind) + " screen " +
       std::to_string(ppd->screenAngle) + " " + std::to_string(ppd->screenFreq));
  line("jcl " + str(ppd->jclBegin) + " " + str(ppd->jclToPs) + " " + str(ppd->jclEnd));
  line("sticky " + std::to_string(ppd->docStickyCount) + " " +
       std::to_string(ppd->printerStickyCount));
  for (LISTOBJ* g = ppd->uiGroups; g != nullptr; g = g->next) {
    auto* group = ListRecord<UIGROUP>(g);
    line("group " + str(g->name) + " translation " + str(group->translation) + " default " +
         str(group->defaultOption) + " kind " + std::to_string(group->kind) + " uiType " +
         std::to_string(group->uiType) + " flags " + std::to_string(group->flags) +
         " installable " + std::to_string(group->installable) + " optionSize " +
         std::to_string(group->optionSize));
    for (LISTOBJ* o = group->options; o != nullptr; o = o->next) {
      auto* option = ListRecord<UIOPTION>(o);
      line("  option " + str(o->name) + " translation " + str(option->translation) +
           " invocation " + str(option->invocation));
      if (group->kind == UIGRP_PAGESIZE) {
        auto* media = ListRecord<MEDIAOPTION>(o);
        line("  region " + str(media->pageRegionCode) + " paper " +
             std::to_string(media->paperWidth) + " " + std::to_string(media->paperHeight) +
             " area " + std::to_string(media->imageableArea.left) + " " +
             std::to_string(media->imageableArea.bottom) + " " +
             std::to_string(media->imageableArea.right) + " " +
             std::to_string(media->imageableArea.top));
      }
    }
  }
  for (int kind = 0; kind < 7; ++kind) {
    if (ppd->predefinedGroups[kind] != nullptr) {
      line("predefined " + std::to_string(kind) + " " + ppd->predefinedGroups[kind]->header.name);
    }
  }
  for (LISTOBJ* d = ppd->orderDeps; d != nullptr; d = d->next) {
    auto* dep = ListRecord<ORDERDEP>(d);
    line("orderDep " + str(d->name) + " option " + str(dep->optionKeyword) + " order " +
         std::to_string(dep->order) + " section " + std::to_string(dep->section));
  }
  line("fonts " + std::to_string(LISTOBJ_Count(ppd->deviceFonts)) + " constraints " +
       std::to_string(LISTOBJ_Count(ppd->uiConstraints)));
  line("open " + std::string(ppd->openUiGroup != nullptr ? "set" : "null") + " installable " +
       std::to_string(ppd->inInstallableGroup));
  return out;
}

// The records the sixteen built-in entries yield.
std::string ExpectedBuiltin() {
  return "imageSize 0 formatVersion 0 checksum 0\n"
         "nickName null password null exitServer null\n"
         "protocols 0 lso 0 tt 0 encoding 0 extensions 0\n"
         "freeVm 0 languageLevel 1 jobTimeout 0 waitTimeout 240\n"
         "colorDevice 1 printPsErrors 0 customPageSize 0 customPageCode null\n"
         "hwMarginsSet 0 maxMedia 0 0\n"
         "resolutionCodeKind 0 screen 11520 15360\n"
         "jcl null null null\n"
         "sticky 0 0\n"
         "group \"PageSize\" translation null default \"CR_80\" kind 0 uiType 1 flags 0 "
         "installable 0 optionSize " +
         std::to_string(sizeof(MEDIAOPTION)) +
         "\n"
         "  option \"CR_80\" translation \"CR-80\" invocation \"\"\n"
         "  region \"\" paper 40448 62976 area 0 0 40305 62915\n"
         "predefined 0 PageSize\n"
         "orderDep \"PageSize\" option null order 7680 section 32\n"
         "orderDep \"PageRegion\" option null order 10240 section 32\n"
         "fonts 0 constraints 0\n"
         "open null installable 0\n";
}

std::u16string FileName(const PPDOBJ* ppd) {
  return ppd->fileName != nullptr ? std::u16string(ppd->fileName) : u"(null)";
}

TEST_F(BuiltinDescription, YieldsTheCardRecordsEveryTime) {
  for (int i = 0; i < 2; ++i) {
    PPDOBJ* ppd = PPDOBJ_Create(u"card.ppd");
    ASSERT_NE(ppd, nullptr);
    EXPECT_EQ(Dump(ppd), ExpectedBuiltin()) << "description " << i + 1;
    EXPECT_EQ(FileName(ppd), u"card.ppd");
    // Only the arena is left: the parser object is gone.
    EXPECT_EQ(engine.pool().Outstanding(DRIVER_DESC_TAG).blocks, 1u);
    PPDOBJ_Delete(ppd);
  }
}

TEST_F(BuiltinDescription, FileNameMayBeAbsent) {
  PPDOBJ* ppd = PPDOBJ_Create(nullptr);
  ASSERT_NE(ppd, nullptr);
  EXPECT_EQ(ppd->fileName, nullptr);
  EXPECT_EQ(Dump(ppd), ExpectedBuiltin());
  PPDOBJ_Delete(ppd);
  PPDOBJ_Delete(nullptr);
}

// Every allocation PPDOBJ_Create makes fails once in turn; each failure
// yields no description and leaves nothing allocated (the fixture checks).
TEST_F(BuiltinDescription, AllocationFailureAtEveryStepReleasesEverything) {
  const size_t before = engine.pool().AllocationCount();
  PPDOBJ* whole = PPDOBJ_Create(u"card.ppd");
  ASSERT_NE(whole, nullptr);
  const size_t steps = engine.pool().AllocationCount() - before;
  PPDOBJ_Delete(whole);
  ASSERT_GE(steps, 3u);  // parser object, value storage, arena block
  for (size_t n = 1; n <= steps; ++n) {
    engine.pool().FailNthAllocation(n);
    PPDOBJ* ppd = PPDOBJ_Create(u"card.ppd");
    EXPECT_EQ(ppd, nullptr) << "allocation " << n;
    PPDOBJ_Delete(ppd);
    EXPECT_EQ(engine.pool().Outstanding().blocks, 0u) << "allocation " << n;
    engine.pool().ClearFaults();
  }
}

// A file name too long for the first arena block needs a block of its own.
TEST_F(BuiltinDescription, FileNameCopyFailureReleasesEverything) {
  const std::u16string longName(3000, u'x');
  PPDOBJ* ppd = PPDOBJ_Create(longName.c_str());
  ASSERT_NE(ppd, nullptr);
  EXPECT_EQ(FileName(ppd), longName);
  PPDOBJ_Delete(ppd);
  engine.pool().FailNthAllocation(4);  // parser, value storage, arena, file name block
  EXPECT_EQ(PPDOBJ_Create(longName.c_str()), nullptr);
  EXPECT_EQ(engine.pool().Outstanding().blocks, 0u);
}

TEST_F(ParserTest, QueryAndUnknownKeywordsChangeNothing) {
  EXPECT_EQ(OptionEntry("?PageSize", "A4", "query"), PPDERR_NONE);
  EXPECT_EQ(Plain("DefaultPageRegion", "A4"), PPDERR_NONE);
  EXPECT_EQ(Plain("ImageableArea", "A4"), PPDERR_SYNTAX);  // no option keyword
  EXPECT_EQ(ppd->uiGroups, nullptr);
}

TEST_F(ParserTest, OverlongTextsAreInterpretedCut) {
  const std::string nick(PARSER_VALUE_MAX + 100, 'n');
  EXPECT_EQ(Quoted("NickName", nick.c_str()), PPDERR_NONE);
  EXPECT_EQ(Text(ppd->nickName), std::string(PARSER_VALUE_MAX, 'n'));
  const std::string option(60, 'o');
  const std::string translation(60, 't');
  EXPECT_EQ(OptionEntry("PageSize", option.c_str(), "code", translation.c_str()), PPDERR_NONE);
  auto* media = Option<MEDIAOPTION>("PageSize", std::string(PARSER_NAME_MAX, 'o').c_str());
  ASSERT_NE(media, nullptr);
  EXPECT_EQ(Text(media->option.translation), std::string(PARSER_NAME_MAX, 't'));
  // A keyword cut to 40 characters is no table keyword.
  const std::string keyword = "OpenUI" + std::string(40, ' ');
  EXPECT_EQ(Insert(keyword.c_str(), "*Foo", "", "PickOne", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(Group("Foo"), nullptr);
}

TEST_F(ParserTest, NullTextsCountAsEmpty) {
  EXPECT_EQ(PPDOBJ_InsertEntry(ppd, parser, "End", nullptr, nullptr, nullptr, PPDVALUE_NONE),
            PPDERR_NONE);
  EXPECT_EQ(PPDOBJ_InsertEntry(ppd, parser, nullptr, nullptr, nullptr, nullptr, PPDVALUE_NONE),
            PPDERR_NONE);
}

TEST_F(ParserTest, ResetEmptiesTheParserObject) {
  Insert("OpenUI", "*Foo", "Foo", "PickOne", PPDVALUE_PLAIN);
  PPDOBJ_ResetPO(parser);
  for (const BUFOBJ* buf : {&parser->keyword, &parser->option, &parser->translation, &parser->value}) {
    EXPECT_EQ(buf->length, 0u);
    EXPECT_STREQ(buf->text, "");
  }
  EXPECT_EQ(parser->valueType, PPDVALUE_NONE);
  EXPECT_EQ(parser->keyword.maxLength, PARSER_NAME_MAX);
  EXPECT_EQ(parser->value.maxLength, PARSER_VALUE_MAX);
}

// With the arena exhausted every statement that builds a record answers 4
// and leaves the lists as they were.
TEST_F(ParserTest, ExhaustedArenaFailsEveryRecordAndLeavesTheListsAlone) {
  ASSERT_EQ(OptionEntry("PageSize", "A4", "code"), PPDERR_NONE);
  HEAPOBJ_Alloc(ppd->heap, ppd->heap->newest->bytesLeft);
  engine.pool().FailTag(DRIVER_DESC_TAG);
  struct Case {
    const char* keyword;
    const char* option;
    const char* value;
    WORD valueType;
  };
  constexpr Case kCases[] = {
      {"OpenUI", "*Finish", "PickOne", PPDVALUE_PLAIN},
      {"PageSize", "Letter", "code", PPDVALUE_QUOTED},
      {"PageRegion", "A4", "", PPDVALUE_QUOTED},  // the option exists, its code does not fit
      {"Duplex", "None", "code", PPDVALUE_QUOTED},
      {"DefaultInputSlot", "", "Upper", PPDVALUE_PLAIN},
      {"Font", "Courier", "Standard \"(1)\" Standard ROM", PPDVALUE_PLAIN},
      {"OrderDependency", "", "10 AnySetup *PageSize", PPDVALUE_PLAIN},
      {"UIConstraints", "", "*PageSize A4 *Duplex", PPDVALUE_PLAIN},
      {"NickName", "", "Name", PPDVALUE_QUOTED},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(Insert(c.keyword, c.option, "", c.value, c.valueType), PPDERR_MEMORY) << c.keyword;
  }
  EXPECT_EQ(LISTOBJ_Count(ppd->uiGroups), 1u);
  EXPECT_EQ(UIGROUP_CountOptions(Group("PageSize")), 1u);
  EXPECT_EQ(ppd->deviceFonts, nullptr);
  EXPECT_EQ(ppd->orderDeps, nullptr);
  EXPECT_EQ(ppd->uiConstraints, nullptr);
  EXPECT_EQ(ppd->predefinedGroups[UIGRP_INPUTSLOT], nullptr);
  EXPECT_EQ(ppd->predefinedGroups[UIGRP_DUPLEX], nullptr);
  engine.pool().ClearFaults();
}

}  // namespace
