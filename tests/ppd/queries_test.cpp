// Queries on the packed description image: options by name, sticky
// defaults, constraints and bit arrays.
#include "ppd/queries.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image_fixture.h"
#include "lib/pool_tags.h"
#include "lib/tracked_heap.h"

namespace {

using namespace std::string_literals;

using OptionQueries = PackedImageTest;

// "A4" is the first option's translation and the second one's keyword: the
// first option in the list wins either way.
TEST_F(OptionQueries, FindsAnOptionByTranslationOrKeyword) {
  PpdImage image = Image(
      "*PageSize Letter/A4: \"\"\n"
      "*PageSize A4/Letter: \"\"\n"
      "*PageSize Legal: \"\"\n");
  ASSERT_NE(image, nullptr);
  LISTOBJ* options = image->predefinedGroups[UIGRP_PAGESIZE]->options;
  struct Case {
    const char* name;
    WORD index;
  };
  constexpr Case kCases[] = {{"A4", 0},
                             {"Letter", 0},
                             {"Legal", 2},
                             {"legal", LISTOBJ_NOT_FOUND},
                             {"", LISTOBJ_NOT_FOUND}};
  for (const Case& c : kCases) {
    WORD index = 1234;
    UIOPTION* found = PpdFindUiOptionWithXlation(options, c.name, &index);
    EXPECT_EQ(index, c.index) << c.name;
    EXPECT_EQ(found, c.index == LISTOBJ_NOT_FOUND
                         ? nullptr
                         : ListRecord<UIOPTION>(LISTOBJ_FindIndexed(options, c.index)))
        << c.name;
  }
  // From a later option on, positions count from there.
  WORD index = 0;
  EXPECT_NE(PpdFindUiOptionWithXlation(options->next, "Legal", &index), nullptr);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(PpdFindUiOptionWithXlation(nullptr, "A4", &index), nullptr);
  EXPECT_EQ(index, LISTOBJ_NOT_FOUND);
}

TEST_F(OptionQueries, CollateCode) {
  struct Case {
    const char* entries;
    const char* trueCode;
    const char* falseCode;
  };
  const Case kCases[] = {
      {"", nullptr, nullptr},
      {"*Collate False: \"off\"\n", nullptr, "off"},
      {"*Collate True: \"on\"\n*Collate False: \"off\"\n", "on", "off"},
      {"*Collate true: \"on\"\n", nullptr, nullptr},
  };
  for (const Case& c : kCases) {
    PpdImage image = Image(c.entries);
    ASSERT_NE(image, nullptr);
    const CHAR* on = PpdFindCollateCode(image.get(), 1);
    const CHAR* off = PpdFindCollateCode(image.get(), 0);
    EXPECT_EQ(on != nullptr ? std::string(on) : "(null)",
              c.trueCode != nullptr ? c.trueCode : "(null)")
        << c.entries;
    EXPECT_EQ(off != nullptr ? std::string(off) : "(null)",
              c.falseCode != nullptr ? c.falseCode : "(null)")
        << c.entries;
  }
  EXPECT_EQ(FindBooleanOptionCode(nullptr, 1), nullptr);
}

TEST_F(OptionQueries, DuplexSupport) {
  struct Case {
    const char* entries;
    BOOL supported;
  };
  constexpr Case kCases[] = {
      {"", FALSE},
      {"*DefaultDuplex: None\n", FALSE},
      {"*Duplex None: \"\"\n", TRUE},
  };
  for (const Case& c : kCases) {
    PpdImage image = Image(c.entries);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(PpdSupportDuplex(image.get()), c.supported) << c.entries;
  }
}

constexpr char kTwoFeatures[] =
    "*OpenUI *Staple: PickOne\n"
    "*Staple One: \"\"\n*Staple None: \"\"\n*Staple False: \"\"\n*Staple none: \"\"\n"
    "*CloseUI: *Staple\n"
    "*OpenUI *Fold: PickOne\n*Fold Half: \"\"\n*CloseUI: *Fold\n";

TEST_F(OptionQueries, FeatureSelection) {
  PpdImage image = Image(kTwoFeatures);
  ASSERT_NE(image, nullptr);
  struct Case {
    WORD feature;
    WORD option;
    const char* group;    // NULL: not found
    const char* option_;  // NULL: not found
  };
  constexpr Case kCases[] = {
      {0, 0, "Staple", "One"},    {0, 3, "Staple", "none"}, {1, 0, "Fold", "Half"},
      {1, 1, "Fold", nullptr},    {2, 0, nullptr, nullptr}, {0xFFFF, 0, nullptr, nullptr},
      {0, 255, nullptr, nullptr},
  };
  for (const Case& c : kCases) {
    UIGROUP* group = reinterpret_cast<UIGROUP*>(1);
    UIOPTION* option = reinterpret_cast<UIOPTION*>(1);
    const BOOL found = PpdFindFeatureSelection(image.get(), c.feature, c.option, &group, &option);
    const std::string at = std::to_string(c.feature) + "/" + std::to_string(c.option);
    EXPECT_EQ(found, c.option_ != nullptr ? TRUE : FALSE) << at;
    EXPECT_EQ(group != nullptr ? std::string(group->header.name) : "(null)",
              c.group != nullptr ? c.group : "(null)")
        << at;
    EXPECT_EQ(option != nullptr ? std::string(option->header.name) : "(null)",
              c.option_ != nullptr ? c.option_ : "(null)")
        << at;
  }
}

TEST_F(OptionQueries, SelectionNoneIsNoneOrFalseExactly) {
  PpdImage image = Image(kTwoFeatures);
  ASSERT_NE(image, nullptr);
  constexpr BOOL kExpected[] = {FALSE, TRUE, TRUE, FALSE, FALSE};
  for (WORD option = 0; option < 5; ++option) {
    EXPECT_EQ(FeatureSelectionNone(image.get(), 0, option), kExpected[option]) << option;
  }
  EXPECT_EQ(FeatureSelectionNone(image.get(), 7, 0), FALSE);
}

// Document-sticky defaults: each group's default index, the Resolution
// group's byte 0xFF.
TEST_F(OptionQueries, DocumentStickyDefaults) {
  PpdImage image = Image(
      "*DefaultResolution: 600dpi\n*Resolution 300dpi: \"\"\n*Resolution 600dpi: \"\"\n"
      "*DefaultInputSlot: Lower\n*InputSlot Upper: \"\"\n*InputSlot Lower: \"\"\n"
      "*DefaultDuplex: Missing\n*Duplex None: \"\"\n"
      "*VMOption 8MB: \"8388608\"\n");
  ASSERT_NE(image, nullptr);
  std::vector<BYTE> sel(8, 0xAA);
  EXPECT_EQ(PpdDefaultDocumentStickyFeatures(image.get(), sel.data()), 3);
  EXPECT_EQ(sel, (std::vector<BYTE>{0xFF, 1, 0, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
}

// Printer-sticky features (Tray 0, Duplexer 1, Finisher 2) behind one
// document-sticky feature (Staple).
constexpr char kInstallable[] =
    "*OpenUI *Staple: PickOne\n*Staple One: \"\"\n*Staple None: \"\"\n*CloseUI: *Staple\n"
    "*OpenGroup: InstallableOptions\n"
    "*OpenUI *Tray: PickOne\n*DefaultTray: Installed\n"
    "*Tray Installed: \"\"\n*Tray Absent: \"\"\n*CloseUI: *Tray\n"
    "*OpenUI *Duplexer: PickOne\n*DefaultDuplexer: Yes\n"
    "*Duplexer Yes: \"\"\n*Duplexer Maybe: \"\"\n*Duplexer False: \"\"\n*CloseUI: *Duplexer\n"
    "*OpenUI *Finisher: PickOne\n*DefaultFinisher: Big\n"
    "*Finisher Small: \"\"\n*Finisher Big: \"\"\n*CloseUI: *Finisher\n"
    "*CloseGroup: InstallableOptions\n";

std::vector<BYTE> PrinterDefaults(PPDOBJ* image) {
  std::vector<BYTE> sel(image->printerStickyCount);
  EXPECT_EQ(PpdDefaultPrinterStickyFeatures(image, sel.data()), image->printerStickyCount);
  return sel;
}

TEST_F(OptionQueries, PrinterStickyDefaultsYieldToConstraints) {
  struct Case {
    const char* name;
    const char* constraints;
    std::vector<BYTE> expected;
  };
  const Case kCases[] = {
      {"no constraints", "", {0, 0, 1}},
      // Duplexer Yes is forbidden while the tray is installed: Maybe is the
      // first allowed option.
      {"moves to the first allowed option",
       "*UIConstraints: *Tray Installed *Duplexer Yes\n",
       {0, 1, 1}},
      // Every option but False is forbidden; False is allowed.
      {"any option spares False", "*UIConstraints: *Tray Installed *Duplexer\n", {0, 2, 1}},
      // Every Finisher option is forbidden: the forbidding Tray moves to the
      // first option that allows Finisher Big.
      {"forbidding feature moves", "*UIConstraints: *Tray Installed *Finisher\n", {1, 0, 1}},
      // Neither side can move: both stay.
      {"nothing allows it", "*UIConstraints: *Tray *Finisher\n", {0, 0, 1}},
      // A constraint from a document-sticky feature plays no part.
      {"document-sticky constraint", "*UIConstraints: *Staple One *Tray Installed\n", {0, 0, 1}},
      {"unresolved constraint", "*UIConstraints: *Tray Installed *Finisher Huge\n", {0, 0, 1}},
  };
  for (const Case& c : kCases) {
    PpdImage image = Image(std::string(kInstallable) + c.constraints);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->docStickyCount, 1);
    ASSERT_EQ(image->printerStickyCount, 3);
    EXPECT_EQ(PrinterDefaults(image.get()), c.expected) << c.name;
  }
}

TEST_F(OptionQueries, SearchUiConstraints) {
  PpdImage image = Image(std::string(kInstallable) +
                         "*UIConstraints: *Staple One *Tray Absent\n"
                         "*UIConstraints: *Duplexer *Finisher Small\n"
                         "*UIConstraints: *Tray Missing *Finisher Small\n");
  ASSERT_NE(image, nullptr);
  // Global indexes: Staple 0; Tray 1, Duplexer 2, Finisher 3.
  struct Case {
    WORD f1, o1, f2, o2;
    BOOL forbids;
  };
  constexpr Case kCases[] = {
      {0, 0, 1, 1, TRUE},  {0, 1, 1, 1, FALSE}, {0, 0, 1, 0, FALSE}, {1, 1, 0, 0, FALSE},
      {2, 0, 3, 0, TRUE},  {2, 1, 3, 0, TRUE},  {2, 2, 3, 0, FALSE},  // False spared
      {2, 0, 3, 1, FALSE}, {1, 0, 3, 0, FALSE},  // the unresolved entry never fires
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(SearchUiConstraints(image.get(), c.f1, c.o1, c.f2, c.o2), c.forbids)
        << c.f1 << "/" << c.o1 << " " << c.f2 << "/" << c.o2;
  }
}

TEST_F(OptionQueries, FeatureConstrainedConflictCodes) {
  PpdImage image = Image(std::string(kInstallable) +
                         "*OpenUI *Fold: PickOne\n*Fold Half: \"\"\n*Fold Zig: \"\"\n"
                         "*CloseUI: *Fold\n"
                         "*UIConstraints: *Fold Zig *Staple One\n"
                         "*UIConstraints: *Tray Absent *Staple One\n"
                         "*UIConstraints: *Tray Absent *Finisher Big\n"
                         "*UIConstraints: *Staple One *Staple None\n");
  ASSERT_NE(image, nullptr);
  // Document-sticky: Staple 0, Fold 1. Printer-sticky: Tray 2, Duplexer 3,
  // Finisher 4 (indexes 0, 1, 2 within their class).
  ASSERT_EQ(image->docStickyCount, 2);
  const BYTE trayAbsent[] = {1, 0, 1};
  const BYTE trayInstalled[] = {0, 0, 1};
  const BYTE foldZig[] = {0, 1};
  const BYTE foldHalf[] = {0, 0};
  const BYTE noSelections[] = {PPD_NO_SELECTION, PPD_NO_SELECTION};
  struct Case {
    const char* name;
    const BYTE* psel;
    const BYTE* dsel;
    WORD feature;
    WORD option;
    DWORD code;
  };
  const Case kCases[] = {
      {"document by document", trayInstalled, foldZig, 0, 0, (0x201u << 8) | 1},
      {"document by printer", trayAbsent, foldHalf, 0, 0, (0x102u << 8) | 1},
      {"document first", trayAbsent, foldZig, 0, 0, (0x201u << 8) | 1},
      {"allowed", trayInstalled, foldHalf, 0, 0, 0},
      {"no selection chosen", trayAbsent, foldZig, 0, PPD_ANY_OPTION, 0},
      {"unselected features forbid nothing", trayInstalled, noSelections, 0, 0, 0},
      {"never against itself", trayInstalled, foldHalf, 0, 1, 0},
      {"printer by printer", trayAbsent, nullptr, 2, 1, (0x102u << 8) | 1},
      {"printer allowed", trayInstalled, nullptr, 2, 1, 0},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(PpdFeatureConstrained(image.get(), c.psel, c.dsel, c.feature, c.option), c.code)
        << c.name;
  }
}

class BitArrays : public HostEngineTest {
 protected:
  void SetUp() override {
    heap = HEAPCREATE();
    ASSERT_NE(heap, nullptr);
  }
  void TearDown() override {
    HEAPDESTROY(heap);
    HostEngineTest::TearDown();
  }
  std::size_t HeapBytes() { return engine.pool().Outstanding(DRIVER_HEAP_TAG).bytes; }
  HANDLE heap = nullptr;
};

TEST_F(BitArrays, CreateAllocatesTheCountAndZeroedBytes) {
  struct Case {
    ULONG bits;
    std::size_t bytes;
  };
  constexpr Case kCases[] = {{0, 0}, {1, 1}, {8, 1}, {9, 2}, {64, 8}};
  // The tracked heap's own bytes per allocation, from an allocation of 4.
  const std::size_t before = HeapBytes();
  PVOID probe = HEAPALLOC(heap, 4);
  const std::size_t overhead = HeapBytes() - before;
  HEAPFREE(heap, probe);
  for (const Case& c : kCases) {
    const std::size_t start = HeapBytes();
    BITARRAY* array = BitArrayCreate(heap, c.bits);
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(array->cBits, c.bits);
    EXPECT_EQ(HeapBytes() - start, overhead + c.bytes) << c.bits;
    EXPECT_EQ(std::vector<BYTE>(BitArrayBits(array), BitArrayBits(array) + c.bytes),
              std::vector<BYTE>(c.bytes, 0))
        << c.bits;
  }
}

TEST_F(BitArrays, DuplicateCopiesCountAndBits) {
  BITARRAY* array = BitArrayCreate(heap, 20);
  ASSERT_NE(array, nullptr);
  const BYTE bits[] = {0x81, 0x42, 0x0F};
  std::memcpy(BitArrayBits(array), bits, sizeof bits);
  BITARRAY* copy = BitArrayDuplicate(heap, array);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, array);
  EXPECT_EQ(copy->cBits, 20u);
  EXPECT_EQ(std::vector<BYTE>(BitArrayBits(copy), BitArrayBits(copy) + 3),
            std::vector<BYTE>(bits, bits + 3));
  EXPECT_EQ(BitArrayDuplicate(heap, nullptr), nullptr);
}

TEST_F(BitArrays, ExhaustedHeapGivesNull) {
  BITARRAY* array = BitArrayCreate(heap, 9);
  ASSERT_NE(array, nullptr);
  engine.pool().FailTag(DRIVER_HEAP_TAG);
  EXPECT_EQ(BitArrayCreate(heap, 9), nullptr);
  EXPECT_EQ(BitArrayDuplicate(heap, array), nullptr);
  engine.pool().ClearFaults();
}

}  // namespace
