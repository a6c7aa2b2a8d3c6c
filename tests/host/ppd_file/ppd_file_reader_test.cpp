// The file reader feeding the real interpreter: fixtures in tests/data read
// through the host loader, descriptions compared whole as text, refusals by
// line and code.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "describe_ppd.h"
#include "host/ppd_file/ppd_file.h"
#include "ppd/parser/parser.h"
#include "ppd/parser/ppd_file_reader.h"
#include "support/host_fixture.h"

namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;

std::filesystem::path Fixture(const char* name) { return std::filesystem::path(CARDPRINT_TEST_DATA) / name; }

std::string FixtureText(const char* name) {
  std::ifstream file(Fixture(name), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

const UIGROUP* FindGroup(const PPDOBJ& ppd, const char* name) {
  return ListRecord<UIGROUP>(LISTOBJ_Find(ppd.uiGroups, name));
}

const UIOPTION* FindOption(const PPDOBJ& ppd, const char* group, const char* option) {
  const UIGROUP* found = FindGroup(ppd, group);
  return found == nullptr ? nullptr : ListRecord<UIOPTION>(LISTOBJ_Find(found->options, option));
}

std::string Text(const CHAR* text) { return text == nullptr ? "(null)" : text; }

using ReaderTest = HostEngineTest;

constexpr std::string_view kRealWorldShape = R"ppd(nickName "Shape Laser 5000 PS"
languageLevel 3 languageEncoding 1 protocols 0x5 extensions 0x9 ttRasterizer 2 landscapeOrientation 1
colorDevice 0 printPsErrors 0 freeVm 6291456 jobTimeout 0 waitTimeout 300
password null exitServer null
jclBegin "\x1B%-12345X@PJL JOB\n" jclToPs "@PJL ENTER LANGUAGE = POSTSCRIPT \n" jclEnd "\x1B%-12345X@PJL EOJ \n\x1B%-12345X"
screen 11520 21760 resolutionCodeKind 0
maxMedia 156672 258048 hwMargins 1 3072 3072 3072 3072
customPageSize 1 "\n  pop pop pop\n  <</PageSize [5 -2 roll] /ImagingBBox null>> setpagedevice"
  param order 1 type 2 range 55296 156672
  param order 2 type 2 range 92160 258048
  param order 3 type 2 range 0 0
  param order 4 type 2 range 0 0
  param order 5 type 0 range 0 768
group "Duplexer" kind 7 uiType 0 flags 0x0 installable 1 default "False" translation "Duplex Unit"
  option "True" translation "Installed" invocation ""
  option "False" translation "Not Installed" invocation ""
group "VMOption" kind 6 uiType 1 flags 0x0 installable 1 default "64MB" translation "Printer Memory"
  option "64MB" translation "64 MB" invocation "" vmSize 6291456
  option "128MB" translation "128 MB" invocation "" vmSize 12582912
group "JCLEconomode" kind 7 uiType 1 flags 0x4 installable 0 default "Off" translation "Toner Saver"
  option "On" translation "On" invocation "@PJL SET ECONOMODE=ON\n"
  option "Off" translation "Off" invocation "@PJL SET ECONOMODE=OFF\n"
group "PageSize" kind 0 uiType 1 flags 0x0 installable 0 default "Letter" translation "Page Size"
  option "Letter" translation "US Letter" invocation "<</PageSize [612 792] /ImagingBBox null>> setpagedevice" region "<</PageSize [612 792]>> setpagedevice" paper 156672 202752 area 3133 3087 153539 199695
  option "A4" translation "A4" invocation "<</PageSize [595 842] /ImagingBBox null>> setpagedevice" region "<</PageSize [595 842]>> setpagedevice" paper 152320 215552 area 3441 3087 148931 212413
  option "Legal" translation "Legal (8 1/2 x 14\")" invocation "\n  <</PageSize [612 1008] /ImagingBBox null>>\n  setpagedevice" region "<</PageSize [612 1008]>> setpagedevice" paper 156672 258048 area 3133 3087 153539 254991
  option "Env10" translation "Envelope #10" invocation "<</PageSize [297 684] /ImagingBBox null>> setpagedevice" region "<</PageSize [297 684]>> setpagedevice" paper 76032 175104 area 3133 3087 72899 172047
group "InputSlot" kind 1 uiType 1 flags 0x1 installable 0 default "Tray1" translation "Paper Source"
  option "Tray1" translation "Tray 1" invocation "<</ManualFeed false /MediaPosition 0>> setpagedevice" requiresPageRegion 1
  option "Manual" translation "Manual Feed" invocation "<</ManualFeed true>> setpagedevice" requiresPageRegion 1
group "Duplex" kind 3 uiType 1 flags 0x0 installable 0 default "None" translation null
  option "None" translation "Off" invocation "<</Duplex false>> setpagedevice"
  option "DuplexNoTumble" translation "Long Edge" invocation "<</Duplex true /Tumble false>> setpagedevice"
  option "DuplexTumble" translation "Short Edge" invocation "<</Duplex true /Tumble true>> setpagedevice"
group "Resolution" kind 5 uiType 1 flags 0x0 installable 0 default "600dpi" translation "Resolution"
  option "300dpi" translation "300 dpi" invocation "<</HWResolution [300 300]>> setpagedevice" jcl null set null screen 0 0
  option "600dpi" translation "600 dpi" invocation "<</HWResolution [600 600]>> setpagedevice" jcl null set null screen 11520 21760
group "Smoothing" kind 7 uiType 0 flags 0x0 installable 0 default "True" translation "Edge Smoothing"
  option "True" translation "On" invocation "<</PostRenderingEnhance true>> setpagedevice"
  option "False" translation "Off" invocation "<</PostRenderingEnhance false>> setpagedevice"
font "Courier" translation "" encoding 0 charSet 0 index 17
font "Courier-Bold" translation "" encoding 0 charSet 0 index 18
font "Symbol" translation "" encoding 1 charSet 2 index 61
orderDep "JCLEconomode" option null order 2560 section 0x10
orderDep "PageSize" option null order 7680 section 0x20
orderDep "PageRegion" option null order 7680 section 0x20
orderDep "InputSlot" option null order 5120 section 0x20
orderDep "Duplex" option null order 12800 section 0x20
orderDep "Resolution" option null order 1280 section 0x4
orderDep "Smoothing" option null order 12800 section 0x20
constraint "Duplexer" "False" "Duplex" "DuplexNoTumble"
constraint "Duplex" "DuplexNoTumble" "Duplexer" "False"
constraint "PageSize" "Env10" "Duplex" null
constraint "Duplex" null "PageSize" "Env10"
open group none inInstallableGroup 0
)ppd";

TEST_F(ReaderTest, RealWorldShapeGivesTheWholeDescription) {
  const PpdFile file = ReadPpdFile(Fixture("ppd_real_world_shape.ppd"));
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, std::vector<PpdRefusal>{});
  EXPECT_EQ(std::u16string(file.description->fileName), u"ppd_real_world_shape.ppd");
  EXPECT_EQ(DescribePpd(*file.description), kRealWorldShape);
}

TEST_F(ReaderTest, QuotedValueSpansLinesUpToItsClosingQuote) {
  const PpdFile file = ReadPpdFile(Fixture("ppd_quoted_value_spans_lines.ppd"));
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, std::vector<PpdRefusal>{});
  const PPDOBJ& ppd = *file.description;
  const UIOPTION* letter = FindOption(ppd, "PageSize", "Letter");
  ASSERT_NE(letter, nullptr);
  EXPECT_EQ(Text(letter->invocation), "\n  <</PageSize [612 792]>>\n  setpagedevice");
  EXPECT_EQ(Text(letter->translation), "US Letter");
  ASSERT_NE(FindOption(ppd, "PageSize", "A4"), nullptr);
  EXPECT_EQ(UIGROUP_CountOptions(FindGroup(ppd, "PageSize")), 2u);
  EXPECT_EQ(Text(ppd.jclBegin), "\x1B%-12345X@PJL JOB\n*% inside the value\n@PJL SET COPIES=1\n");
  EXPECT_EQ(Text(ppd.nickName), "Spanning Lines");
}

TEST_F(ReaderTest, InstallableOptionsBracketMakesItsFeaturesInstallable) {
  const PpdFile file = ReadPpdFile(Fixture("ppd_installable_options_bracket.ppd"));
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, std::vector<PpdRefusal>{});
  const UIGROUP* feeder = FindGroup(*file.description, "Option1");
  const UIGROUP* stapling = FindGroup(*file.description, "Stapling");
  ASSERT_NE(feeder, nullptr);
  ASSERT_NE(stapling, nullptr);
  EXPECT_EQ(feeder->installable, 1u);
  EXPECT_EQ(Text(feeder->translation), "Envelope Feeder");
  EXPECT_EQ(Text(feeder->defaultOption), "False");
  EXPECT_EQ(UIGROUP_CountOptions(feeder), 2u);
  // The closing statement names the group with its translation too, and
  // still closes the bracket.
  EXPECT_EQ(stapling->installable, 0u);
  EXPECT_EQ(file.description->inInstallableGroup, 0u);
}

TEST_F(ReaderTest, RefusalsNameTheLineAndTheCode) {
  const PpdFile file = ReadPpdFile(Fixture("ppd_refusals_by_line.ppd"));
  ASSERT_NE(file.description, nullptr);
  const std::vector<PpdRefusal> expected = {
      {4, PPDREAD_MALFORMED},  // a line that is no statement
      {5, PPDERR_SYNTAX},      // OpenUI without its option keyword
      {6, PPDERR_SYNTAX},      // PageSize with a plain value
      {7, PPDREAD_MALFORMED},  // option keyword without colon and value
      {8, PPDERR_SYNTAX},      // ImageableArea with three numbers
      // line 9: a main keyword of 43 characters that nothing takes: ignored
      {10, PPDERR_MEMORY},     // option keyword of 47 characters
      {11, PPDREAD_MALFORMED}, // words behind a closing quote
      {12, PPDERR_SYNTAX},     // LanguageLevel that is no number
      {13, PPDERR_SYNTAX},     // translation with half a hex pair
      {14, PPDREAD_MALFORMED}, // plain value whose quote closes two lines on
      {18, PPDERR_SYNTAX},     // OrderDependency without its feature
      {20, PPDREAD_MALFORMED}, // quote that the end of the file leaves open
  };
  EXPECT_EQ(file.refusals, expected);
  // What was taken stays; the statement inside the skipped lines is not one.
  EXPECT_EQ(Text(file.description->nickName), "Refusals");
  EXPECT_NE(FindOption(*file.description, "Duplex", "DuplexNoTumble"), nullptr);
  EXPECT_EQ(FindGroup(*file.description, "Collate"), nullptr);
}

TEST_F(ReaderTest, LongTranslationIsCutBeforeWhatItWouldSplit) {
  const PpdFile file = ReadPpdFile(Fixture("ppd_long_translation_cut.ppd"));
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, std::vector<PpdRefusal>{});
  const PPDOBJ& ppd = *file.description;
  const UIOPTION* split = FindOption(ppd, "PageSize", "Split");
  const UIOPTION* whole = FindOption(ppd, "PageSize", "Whole");
  const UIOPTION* utf8 = FindOption(ppd, "PageSize", "Utf8");
  ASSERT_NE(split, nullptr);
  ASSERT_NE(whole, nullptr);
  ASSERT_NE(utf8, nullptr);
  EXPECT_EQ(Text(split->translation), "Thirty-seven characters before a hex ");
  EXPECT_EQ(Text(whole->translation), "Thirty characters, then a hex \xC4 then ");
  EXPECT_EQ(Text(utf8->translation), "Thirty-nine characters before a UTF-8 x");
}

// The same statements with each of the three line ends: the same refusals
// at the same lines, and the line ends inside the quoted value kept as they
// stand.
struct LineEndCase {
  const char* name;
  std::string_view lineEnd;
};

class LineEndTest : public HostEngineTest, public ::testing::WithParamInterface<LineEndCase> {};

TEST_P(LineEndTest, CountsLinesAndKeepsValueLineEnds) {
  const std::string text = ReplaceAll(FixtureText("ppd_crlf_line_ends.ppd"), "\r\n", GetParam().lineEnd);
  const PpdFile file = ReadPpdText(text, u"line ends");
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, (std::vector<PpdRefusal>{{9, PPDERR_SYNTAX}, {11, PPDREAD_MALFORMED}}));
  const UIOPTION* a4 = FindOption(*file.description, "PageSize", "A4");
  ASSERT_NE(a4, nullptr);
  const std::string lineEnd(GetParam().lineEnd);
  EXPECT_EQ(Text(a4->invocation), lineEnd + "<</PageSize [595 842]>>" + lineEnd + "setpagedevice");
  EXPECT_EQ(Text(file.description->nickName), "CR LF");
}

INSTANTIATE_TEST_SUITE_P(Styles, LineEndTest,
                         ::testing::Values(LineEndCase{"CrLf", "\r\n"}, LineEndCase{"Lf", "\n"},
                                           LineEndCase{"Cr", "\r"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Texts at the parser's capacities are taken; one character more is refused
// with 4 and the statement is skipped instead of being interpreted cut. The
// open group's default entry counts: "Default" and a 39-character name.
TEST_F(ReaderTest, TextsBeyondTheBufferCapacitiesAreRefused) {
  const std::string fits(PARSER_VALUE_MAX, 'v');
  const std::string name40(PARSER_NAME_MAX, 'N');
  const std::string text = "*JCLBegin: \"" + fits + "\"\n" +
                           "*JCLEnd: \"" + fits + "w\"\n" +
                           "*OpenUI *" + name40.substr(1) + ": PickOne\n" +
                           "*" + name40 + " Opt: \"\"\n" +
                           "*OpenUI *" + name40 + ": PickOne\n" +
                           "*Default" + name40.substr(1) + ": Opt\n";
  const PpdFile file = ReadPpdText(text, u"capacities");
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, (std::vector<PpdRefusal>{{2, PPDERR_MEMORY}, {5, PPDERR_MEMORY}, {6, PPDERR_MEMORY}}));
  EXPECT_EQ(Text(file.description->jclBegin), fits);
  EXPECT_EQ(file.description->jclEnd, nullptr);
  const UIGROUP* group = FindGroup(*file.description, name40.substr(1).c_str());
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(UIGROUP_CountOptions(group), 0u);
  EXPECT_EQ(group->defaultOption, nullptr);
}

// What the interpreter ignores is ignored whatever its length: query
// keywords, and keywords that neither the table nor the open group takes.
TEST_F(ReaderTest, IgnoredStatementsAreNeverRefused) {
  const std::string longValue(PARSER_VALUE_MAX + 1, 'v');
  const std::string longName(PARSER_NAME_MAX + 1, 'N');
  const std::string text = "*?Resolution: \"" + longValue + "\"\n" +
                           "*cupsFilter2: \"" + longValue + "\"\n" +
                           "*" + longName + ": x\n" +
                           "*APPrinterPreset " + longName + ": \"x\"\n" +
                           "*OpenUI *Open: PickOne\n" +
                           "*Open " + longName + ": \"x\"\n";
  const PpdFile file = ReadPpdText(text, u"ignored");
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, (std::vector<PpdRefusal>{{6, PPDERR_MEMORY}}));
}

// A paper size whose PageSize statement was refused is not made, without
// its code, by the statements that fill paper sizes; once a PageSize
// statement has made it, they fill it.
TEST_F(ReaderTest, PaperSizeOfARefusedPageSizeIsNotMadeWithoutItsCode) {
  const std::string longCode(PARSER_VALUE_MAX + 1, 'c');
  const std::string text = "*PageSize Big: \"" + longCode + "\"\n" +
                           "*PageRegion Big: \"region\"\n" +
                           "*ImageableArea Big: \"0 0 100 200\"\n" +
                           "*PaperDimension Big: \"100 200\"\n" +
                           "*PaperDimension Small: \"50 60\"\n" +
                           "*PageSize Big: \"big\"\n" +
                           "*PaperDimension Big: \"100 200\"\n";
  const PpdFile file = ReadPpdText(text, u"refused page size");
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, (std::vector<PpdRefusal>{{1, PPDERR_MEMORY},
                                                    {2, PPDREAD_PAPER_REFUSED},
                                                    {3, PPDREAD_PAPER_REFUSED},
                                                    {4, PPDREAD_PAPER_REFUSED}}));
  const auto* big = reinterpret_cast<const MEDIAOPTION*>(FindOption(*file.description, "PageSize", "Big"));
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(Text(big->option.invocation), "big");
  EXPECT_EQ(big->pageRegionCode, nullptr);
  EXPECT_EQ(big->paperWidth, 100 * 256);
  EXPECT_NE(FindOption(*file.description, "PageSize", "Small"), nullptr);
}

// Lists the image indexes and counts in 16 bits take 65,535 entries; the
// next is refused by line instead of being dropped when packed.
TEST_F(ReaderTest, TableEntriesBeyondSixteenBitsAreRefused) {
  for (const char* statement : {"*UIConstraints: *A X *B Y\n", "*OrderDependency: 10 AnySetup *A\n"}) {
    SCOPED_TRACE(statement);
    std::string text;
    for (ULONG i = 0; i <= PPD_MAX_LIST_ITEMS; ++i) text += statement;
    const PpdFile file = ReadPpdText(text, u"full");
    ASSERT_NE(file.description, nullptr);
    EXPECT_EQ(file.refusals, (std::vector<PpdRefusal>{{PPD_MAX_LIST_ITEMS + 1, PPDERR_FULL}}));
  }
}

// A constraint naming an option a selection byte cannot hold is reported by
// its line, in line order among the other refusals; it stays, unresolved.
TEST_F(ReaderTest, ConstraintsOnOptionsBeyondTheSelectionByteAreReported) {
  std::string text = "*OpenUI *Wide: PickOne\n";
  for (int i = 0; i < 300; ++i) text += "*Wide O" + std::to_string(i) + ": \"\"\n";
  text += "*CloseUI: *Wide\n"                // line 302
          "*UIConstraints: *Wide O254 *Duplex\n"
          "*UIConstraints: *Duplex *Wide O255\n"
          "*LanguageLevel: \"two\"\n"
          "*UIConstraints: *Wide O299\n"
          "*UIConstraints: *Wide O299 *Duplex\n";
  const PpdFile file = ReadPpdText(text, u"wide");
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, (std::vector<PpdRefusal>{{304, PPDREAD_OPTION_BEYOND_SELECTION},
                                                    {305, PPDERR_SYNTAX},
                                                    {306, PPDERR_SYNTAX},
                                                    {307, PPDREAD_OPTION_BEYOND_SELECTION}}));
  EXPECT_EQ(file.description->cUiConstraints, 3u);
}

// An allocation that fails at any point of a read leaves no description, no
// refusals and nothing allocated (the fixture checks the pool at the end).
TEST_F(ReaderTest, RunningOutOfMemoryAnywhereLeavesNothingBehind) {
  for (const char* name : {"ppd_real_world_shape.ppd", "ppd_refusals_by_line.ppd"}) {
    SCOPED_TRACE(name);
    const std::string text = FixtureText(name);
    const std::size_t before = engine.pool().AllocationCount();
    const std::size_t refusals = ReadPpdText(text, u"counted").refusals.size();
    const std::size_t allocations = engine.pool().AllocationCount() - before;
    ASSERT_GT(allocations, 3u);
    for (std::size_t n = 1; n <= allocations; ++n) {
      SCOPED_TRACE("failing allocation " + std::to_string(n));
      engine.pool().FailNthAllocation(n);
      const PpdFile file = ReadPpdText(text, u"failing");
      EXPECT_EQ(file.description, nullptr);
      EXPECT_EQ(file.refusals, std::vector<PpdRefusal>{});
      engine.pool().ClearFaults();
      EXPECT_EQ(engine.pool().Outstanding(), (PoolUsage{0, 0}));
    }
    EXPECT_EQ(ReadPpdText(text, u"again").refusals.size(), refusals);
  }
}

// Every prefix of a fixture, each in a heap block of exactly its size: the
// reader stops at the end of its input (the address sanitizer build would
// report a read behind it) and always gives a description.
TEST_F(ReaderTest, EveryPrefixIsReadWithinItsBounds) {
  for (const char* name : {"ppd_real_world_shape.ppd", "ppd_refusals_by_line.ppd", "ppd_crlf_line_ends.ppd"}) {
    SCOPED_TRACE(name);
    const std::string text = FixtureText(name);
    for (std::size_t size = 0; size <= text.size(); ++size) {
      const auto block = std::make_unique<char[]>(size);
      std::memcpy(block.get(), text.data(), size);
      const PpdFile file = ReadPpdText({block.get(), size}, u"prefix");
      ASSERT_NE(file.description, nullptr) << "prefix of " << size << " bytes";
    }
  }
}

// A 0 passed on as a statement's text would end it early; the splitter
// refuses it and the reader goes on.
TEST_F(ReaderTest, NulBytesNeverReachTheInterpreter) {
  const PpdFile file = ReadPpdText("*NickName: \"A\0B\"\n*JCLBegin: \"x\"\n"sv, u"nul");
  ASSERT_NE(file.description, nullptr);
  EXPECT_EQ(file.refusals, (std::vector<PpdRefusal>{{1, PPDREAD_MALFORMED}}));
  EXPECT_EQ(file.description->nickName, nullptr);
  EXPECT_EQ(Text(file.description->jclBegin), "x");
}

struct CutCase {
  const char* name;
  std::string_view translation;
  ULONG capacity;
  ULONG expected;
};

const CutCase kCutCases[] = {
    {"Fits", "Letter", 6, 6},
    {"PlainText", "abcdefgh", 5, 5},
    {"HexSubstringAcrossTheCut", "ab<C4D6>cd", 5, 2},
    {"HexSubstringClosedAtTheCut", "ab<C4>cd", 6, 6},
    {"HexSubstringEndingBehindTheCut", "ab<C4>cd", 5, 2},
    {"HexSubstringNeverClosed", "ab<C4D6", 5, 2},
    {"TwoByteCharacterAcrossTheCut", "abcd\xC3\xA9xy", 5, 4},
    {"TwoByteCharacterBeforeTheCut", "abc\xC3\xA9xy", 5, 5},
    {"ThreeByteCharacterAcrossTheCut", "ab\xE2\x82\xAC" "cd", 4, 2},
    {"FourByteCharacterAcrossTheCut", "a\xF0\x9F\x98\x80" "b", 4, 1},
    {"LatinOneByteIsNoLeadByte", "abcd\xE9xyz", 5, 5},
    {"LoneContinuationByte", "abcd\xA9xyz", 4, 4},
};

class TranslationCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(TranslationCutTest, KeepsWhatFitsWhole) {
  EXPECT_EQ(PPDFILE_TranslationCut(GetParam().translation, GetParam().capacity), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TranslationCutTest, ::testing::ValuesIn(kCutCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
