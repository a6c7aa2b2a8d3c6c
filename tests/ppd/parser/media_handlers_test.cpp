#include "ppd/parser/media_handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parser_fixture.h"

namespace {

using MediaHandlers = ParserTest;

TEST_F(MediaHandlers, SimpleNumbersFillTheirFields) {
  EXPECT_EQ(Quoted("MaxMediaWidth", "wide"), PPDERR_SYNTAX);
  EXPECT_EQ(Quoted("MaxMediaWidth", "612"), PPDERR_NONE);
  EXPECT_EQ(Plain("MaxMediaHeight", "1008.5"), PPDERR_NONE);
  EXPECT_EQ(Quoted("ScreenAngle", "15.0"), PPDERR_NONE);
  EXPECT_EQ(Quoted("ScreenFreq", "85"), PPDERR_NONE);
  EXPECT_EQ(Quoted("FreeVM", "4194304"), PPDERR_NONE);
  EXPECT_EQ(ppd->maxMediaWidth, Real(612));
  EXPECT_EQ(ppd->maxMediaHeight, Real(1008) + 128);
  EXPECT_EQ(ppd->screenAngle, Real(15));
  EXPECT_EQ(ppd->screenFreq, Real(85));
  EXPECT_EQ(ppd->freeVm, 4194304u);
}

TEST_F(MediaHandlers, ParamCustomPageSizeStoresAWholeParameter) {
  EXPECT_EQ(Insert("ParamCustomPageSize", "Width", "", "1 points 0 1000", PPDVALUE_PLAIN),
            PPDERR_NONE);
  const CUSTOMPARAM& width = ppd->customPageParams[CUSTOMPARAM_WIDTH];
  EXPECT_EQ(width.order, 1u);
  EXPECT_EQ(width.type, CUSTOMTYPE_POINTS);
  EXPECT_EQ(width.minimum, 0);
  EXPECT_EQ(width.maximum, 256000);
  EXPECT_EQ(Insert("ParamCustomPageSize", "Orientation", "", "5 int 0 3", PPDVALUE_PLAIN),
            PPDERR_NONE);
  EXPECT_EQ(ppd->customPageParams[CUSTOMPARAM_ORIENTATION].type, CUSTOMTYPE_INT);
}

TEST_F(MediaHandlers, ParamCustomPageSizeRefusesBadValuesAndStoresNothing) {
  struct Case {
    const char* value;
    WORD result;
  };
  constexpr Case kCases[] = {
      {"6 points 0 1000", PPDERR_SYNTAX}, {"0 points 0 1000", PPDERR_SYNTAX},
      {"x points 0 1000", PPDERR_SYNTAX}, {"2 inches 0 1000", PPDERR_NONE},
      {"2 points 0 max", PPDERR_SYNTAX},  {"2 points 0", PPDERR_SYNTAX},
      {"2", PPDERR_SYNTAX},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(Insert("ParamCustomPageSize", "Height", "", c.value, PPDVALUE_PLAIN), c.result)
        << c.value;
    const CUSTOMPARAM& height = ppd->customPageParams[CUSTOMPARAM_HEIGHT];
    EXPECT_EQ(height.order, 0u) << c.value;
    EXPECT_EQ(height.maximum, 0) << c.value;
  }
  EXPECT_EQ(Insert("ParamCustomPageSize", "Depth", "", "1 points 0 1", PPDVALUE_PLAIN),
            PPDERR_NONE);
}

TEST_F(MediaHandlers, CustomPageSizeOnlyForTrue) {
  EXPECT_EQ(Insert("CustomPageSize", "False", "", "nothing", PPDVALUE_QUOTED), PPDERR_NONE);
  EXPECT_EQ(ppd->customPageSize, 0u);
  EXPECT_EQ(ppd->customPageCode, nullptr);
  EXPECT_EQ(Insert("CustomPageSize", "True", "", "pop pop setpagedevice", PPDVALUE_QUOTED),
            PPDERR_NONE);
  EXPECT_EQ(ppd->customPageSize, 1u);
  EXPECT_EQ(Text(ppd->customPageCode), "pop pop setpagedevice");
}

TEST_F(MediaHandlers, HwMarginsNeedFourNumbers) {
  EXPECT_EQ(Plain("HWMargins", "12 12 12"), PPDERR_SYNTAX);
  EXPECT_EQ(ppd->hwMarginsSet, 0u);
  EXPECT_EQ(Plain("HWMargins", "1 2 3 4"), PPDERR_NONE);
  EXPECT_EQ(ppd->hwMarginsSet, 1u);
  EXPECT_EQ(ppd->hwMargins.left, Real(1));
  EXPECT_EQ(ppd->hwMargins.bottom, Real(2));
  EXPECT_EQ(ppd->hwMargins.right, Real(3));
  EXPECT_EQ(ppd->hwMargins.top, Real(4));
}

TEST_F(MediaHandlers, InputSlotsAndTheirPageRegionFlags) {
  EXPECT_EQ(Insert("RequiresPageRegion", "Upper", "", "False", PPDVALUE_PLAIN), PPDERR_NONE);
  auto* upper = Option<INPUTSLOTOPTION>("InputSlot", "Upper");
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(upper->requiresPageRegion, 0u);
  EXPECT_EQ(OptionEntry("InputSlot", "Upper", "tray 1", "Upper Tray"), PPDERR_NONE);
  EXPECT_EQ(upper->requiresPageRegion, 1u);
  EXPECT_EQ(Text(upper->option.invocation), "tray 1");
  EXPECT_EQ(Text(upper->option.translation), "Upper Tray");
  EXPECT_EQ(Group("InputSlot")->optionSize, sizeof(INPUTSLOTOPTION));
  EXPECT_EQ(Insert("RequiresPageRegion", "Lower", "", "Perhaps", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(Option<INPUTSLOTOPTION>("InputSlot", "Lower")->requiresPageRegion, 0u);
}

TEST_F(MediaHandlers, RequiresPageRegionForAllSetsTheGroupFlags) {
  EXPECT_EQ(Insert("RequiresPageRegion", "All", "", "False", PPDVALUE_PLAIN), PPDERR_NONE);
  UIGROUP* group = Group("InputSlot");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->flags, UIGF_REQUIRESPAGERGN_FALSE);
  EXPECT_EQ(UIGROUP_CountOptions(group), 0u);
  EXPECT_EQ(Insert("RequiresPageRegion", "All", "", "True", PPDVALUE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(group->flags, UIGF_REQUIRESPAGERGN_FALSE | UIGF_REQUIRESPAGERGN_TRUE);
  group->flags = 0;
  EXPECT_EQ(Insert("RequiresPageRegion", "All", "", "Perhaps", PPDVALUE_PLAIN), PPDERR_SYNTAX);
  EXPECT_EQ(group->flags, 0);
}

TEST_F(MediaHandlers, ResolutionEntriesFillOneRecordAndTheLastCodeKindWins) {
  EXPECT_EQ(OptionEntry("Resolution", "300dpi", "res code"), PPDERR_NONE);
  EXPECT_EQ(ppd->resolutionCodeKind, RESCODE_RESOLUTION);
  EXPECT_EQ(OptionEntry("JCLResolution", "300dpi", "@PJL RES=300<0A>"), PPDERR_NONE);
  EXPECT_EQ(ppd->resolutionCodeKind, RESCODE_JCLRESOLUTION);
  EXPECT_EQ(OptionEntry("SetResolution", "300dpi", "set code"), PPDERR_NONE);
  EXPECT_EQ(ppd->resolutionCodeKind, RESCODE_SETRESOLUTION);
  EXPECT_EQ(OptionEntry("ResScreenAngle", "300dpi", "45.0"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("ResScreenFreq", "300dpi", "60.0"), PPDERR_NONE);
  EXPECT_EQ(Plain("DefaultJCLResolution", "300dpi"), PPDERR_NONE);

  UIGROUP* group = Group("Resolution");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(UIGROUP_CountOptions(group), 1u);
  EXPECT_EQ(Text(group->defaultOption), "300dpi");
  auto* res = Option<RESOPTION>("Resolution", "300dpi");
  EXPECT_EQ(Text(res->option.invocation), "res code");
  EXPECT_EQ(Text(res->jclResolutionCode), "@PJL RES=300\n");
  EXPECT_EQ(Text(res->setResolutionCode), "set code");
  EXPECT_EQ(res->screenAngle, Real(45));
  EXPECT_EQ(res->screenFreq, Real(60));
}

TEST_F(MediaHandlers, MemoryOptionsFillTheVmOptionGroup) {
  EXPECT_EQ(OptionEntry("InstalledMemory", "4MB", "mem code"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("VMOption", "4MB", "2500000"), PPDERR_NONE);
  EXPECT_EQ(OptionEntry("VMOption", "8MB", "-1"), PPDERR_NONE);
  UIGROUP* group = Group("VMOption");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->installable, 1u);
  EXPECT_EQ(group->optionSize, sizeof(VMOPTION));
  auto* vm = Option<VMOPTION>("VMOption", "4MB");
  EXPECT_EQ(Text(vm->option.invocation), "mem code");
  EXPECT_EQ(vm->vmSize, 2500000u);
  EXPECT_EQ(Option<VMOPTION>("VMOption", "8MB")->vmSize, 0u);
}

struct FontCase {
  const char* name;
  const char* font;
  const char* translation;
  const char* value;
  WORD fontIndex;
  WORD encoding;
  WORD charSet;
};

class FontTest : public ParserTest, public ::testing::WithParamInterface<FontCase> {};

TEST_P(FontTest, ReadsEncodingAndCharacterSet) {
  const FontCase& c = GetParam();
  ASSERT_EQ(Insert("Font", c.font, c.translation, c.value, PPDVALUE_PLAIN), PPDERR_NONE);
  ASSERT_EQ(LISTOBJ_Count(ppd->deviceFonts), 1u);
  auto* font = ListRecord<DEVFONT>(ppd->deviceFonts);
  EXPECT_STREQ(font->header.name, c.font);
  EXPECT_EQ(Text(font->translation), c.translation);
  EXPECT_EQ(font->fontIndex, c.fontIndex);
  EXPECT_EQ(font->encoding, c.encoding);
  EXPECT_EQ(font->charSet, c.charSet);
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, FontTest,
    ::testing::Values(
        FontCase{"Courier", "Courier", "", "Standard \"(002.004)\" Standard ROM", 17, 0, 0},
        FontCase{"FirstFont", "Arial", "Arial Font", "Special \"(1.0)\" ISOLatin1 Disk", 1, 1, 3},
        FontCase{"LastFont", "ZapfDingbats", "", "Special \"(001.004S)\" Special ROM", 79, 1, 2},
        FontCase{"UnknownCharSet", "Symbol", "", "Special \"(1)\" Other ROM", 61, 1, 12},
        FontCase{"NoCharSet", "Symbol", "", "Special \"(1)\"", 61, 1, 0},
        FontCase{"UnclosedVersion", "Symbol", "", "Special \"(1) Standard", 61, 1, 0},
        // An unknown encoding skips the rest of the value.
        FontCase{"UnknownEncoding", "Times-Roman", "", "Unicode \"(1)\" Standard ROM", 65, 9,
                 0}),
    [](const ::testing::TestParamInfo<FontCase>& info) { return info.param.name; });

TEST_F(MediaHandlers, UnknownAndRepeatedFontsAddNothing) {
  EXPECT_EQ(Insert("Font", "Comic-Sans", "", "Standard \"(1)\" Standard ROM", PPDVALUE_PLAIN),
            PPDERR_NONE);
  EXPECT_EQ(ppd->deviceFonts, nullptr);
  EXPECT_EQ(Insert("Font", "Courier", "", "Standard \"(1)\" Standard ROM", PPDVALUE_PLAIN),
            PPDERR_NONE);
  EXPECT_EQ(Insert("Font", "Courier", "Again", "Special \"(2)\" Special Disk", PPDVALUE_PLAIN),
            PPDERR_NONE);
  EXPECT_EQ(Insert("Font", "Courier-Bold", "", "Standard \"(1)\" Standard ROM", PPDVALUE_PLAIN),
            PPDERR_NONE);
  ASSERT_EQ(LISTOBJ_Count(ppd->deviceFonts), 2u);
  auto* courier = ListRecord<DEVFONT>(ppd->deviceFonts);
  EXPECT_EQ(courier->encoding, 0);
  EXPECT_EQ(Text(courier->translation), "");
  EXPECT_EQ(GetFontIndex("Courier-Bold"), 18);
  EXPECT_EQ(GetFontIndex("courier"), 0);
  EXPECT_EQ(GetFontEncoding("Shift-JIS"), 8);
  EXPECT_EQ(GetCharSet("NWP"), 11);
}

}  // namespace
