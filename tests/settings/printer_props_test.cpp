// Printer properties, the TrueType substitution table and the halftone
// setup read from the printer's registry data.
#include "settings/printer_props.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "description.h"
#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "support/host_fixture.h"

namespace {

std::vector<std::uint8_t> BytesOf(const void* data, std::size_t size) {
  const auto* first = static_cast<const std::uint8_t*>(data);
  return {first, first + size};
}

// A description with one printer-sticky feature whose default is its second
// option.
constexpr std::string_view kInstallablePpd =
    "*PPD-Adobe: \"4.3\"\n"
    "*OpenGroup: InstallableOptions\n"
    "*OpenUI *Encoder: PickOne\n"
    "*DefaultEncoder: Fitted\n"
    "*Encoder None: \"\"\n"
    "*Encoder Fitted: \"\"\n"
    "*CloseUI: *Encoder\n"
    "*CloseGroup: InstallableOptions\n";

class PrinterPropsTest : public HostEngineTest {
 protected:
  void StoreDword(const std::u16string& name, DWORD value) {
    engine.registry().SetDword(printer, name, value);
  }
  void StoreBytes(const std::u16string& name, std::vector<std::uint8_t> bytes) {
    engine.registry().SetValue(printer, name, REG_BINARY, std::move(bytes));
  }
  void StorePrinterData(const PRINTERPROPS& props, std::size_t size = sizeof(PRINTERPROPS)) {
    StoreDword(u"PrinterDataSize", static_cast<DWORD>(size));
    StoreBytes(u"PrinterData", BytesOf(&props, size));
  }

  // The description goes before the engine checks what is outstanding.
  void TearDown() override {
    ppd.reset();
    HostEngineTest::TearDown();
  }

  HANDLE printer = engine.spooler().OpenPrinter();
  Description ppd = BuiltInDescription();
};

TEST_F(PrinterPropsTest, RegistryPairsGiveTheDataValueOnlyWhenItIsThere) {
  struct Case {
    const char* what;
    std::optional<std::vector<std::uint8_t>> size_value;
    std::optional<std::vector<std::uint8_t>> data_value;
    std::optional<std::vector<std::uint8_t>> expected;
  };
  const std::vector<std::uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8};
  const Case cases[] = {
      {"nothing stored", std::nullopt, std::nullopt, std::nullopt},
      {"size 0", std::vector<std::uint8_t>{0, 0, 0, 0}, data, std::nullopt},
      {"size only", std::vector<std::uint8_t>{8, 0, 0, 0}, std::nullopt, std::nullopt},
      {"size of two bytes", std::vector<std::uint8_t>{8, 0}, data, std::nullopt},
      {"data as sized", std::vector<std::uint8_t>{8, 0, 0, 0}, data, data},
      {"data longer than sized", std::vector<std::uint8_t>{4, 0, 0, 0}, data, std::nullopt},
      {"data shorter than sized", std::vector<std::uint8_t>{9, 0, 0, 0}, data, data},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine.registry().Clear(printer);
    if (c.size_value) StoreBytes(u"TTFontSubTableSize", *c.size_value);
    if (c.data_value) StoreBytes(u"TTFontSubTable", *c.data_value);
    DWORD cb = 0;
    const std::size_t blocks = engine.pool().Outstanding(DRIVER_DESC_TAG).blocks;
    void* block = GetPrinterDataFromRegistry(printer, &cb, REGINFO_TTFONTSUBTABLE);
    if (!c.expected) {
      EXPECT_EQ(block, nullptr);
      continue;
    }
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(BytesOf(block, cb), *c.expected);
    EXPECT_EQ(engine.pool().Outstanding(DRIVER_DESC_TAG).blocks, blocks + 1);
    EngFreeMem(block);
  }
}

TEST_F(PrinterPropsTest, TrueTypeSubstitutionTableIsReadWholeOrNotAtAll) {
  EXPECT_EQ(CurrentTrueTypeSubstTable(printer), nullptr);
  StoreDword(u"TTFontSubTableSize", 3);
  StoreBytes(u"TTFontSubTable", {9, 8, 7});
  engine.pool().FailTag(DRIVER_DESC_TAG);
  EXPECT_EQ(CurrentTrueTypeSubstTable(printer), nullptr);
  engine.pool().ClearFaults();
  void* table = CurrentTrueTypeSubstTable(printer);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(BytesOf(table, 3), (std::vector<std::uint8_t>{9, 8, 7}));
  EngFreeMem(table);
}

TEST_F(PrinterPropsTest, DefaultsComeFromTheDescription) {
  PRINTERPROPS* props = GetPrinterProperties(printer, ppd.get());
  ASSERT_NE(props, nullptr);
  PRINTERPROPS expected = DefPrinterProps;
  expected.dwFreeMem = ppd->freeVm;
  expected.dwJobTimeout = ppd->jobTimeout;
  expected.dwWaitTimeout = ppd->waitTimeout;
  expected.wChecksum = ppd->checksum;
  expected.wOptions = ppd->printerStickyCount;
  EXPECT_EQ(BytesOf(props, sizeof *props), BytesOf(&expected, sizeof expected));
  EXPECT_EQ(props->dwFreeMem, 102400u);
  EXPECT_EQ(props->dwWaitTimeout, 240u);
  EngFreeMem(props);
}

TEST_F(PrinterPropsTest, FreeMemIsKilobytesAndAtLeast100) {
  struct Case {
    DWORD kilobytes;
    DWORD bytes;
  };
  constexpr Case kCases[] = {
      {0, 102400},     {50, 102400},           {100, 102400},         {101, 103424},
      {4096, 4194304}, {4194303, 4294966272u}, {4194304, 0xFFFFFFFF}, {0xFFFFFFFF, 0xFFFFFFFF},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.kilobytes);
    StoreDword(u"FreeMem", c.kilobytes);
    PRINTERPROPS* props = DefaultPrinterProperties(printer, ppd.get());
    ASSERT_NE(props, nullptr);
    EXPECT_EQ(props->dwFreeMem, c.bytes);
    EngFreeMem(props);
  }
}

TEST_F(PrinterPropsTest, PrinterHTSetsItsFlagWhenNotZero) {
  struct Case {
    std::optional<DWORD> value;
    DWORD flags;
  };
  const Case cases[] = {
      {std::nullopt, 0}, {0, 0}, {1, PROPFLAG_PRINTER_HT}, {7, PROPFLAG_PRINTER_HT}};
  for (const Case& c : cases) {
    engine.registry().Clear(printer);
    if (c.value) StoreDword(u"PrinterHT", *c.value);
    PRINTERPROPS* props = DefaultPrinterProperties(printer, ppd.get());
    ASSERT_NE(props, nullptr);
    EXPECT_EQ(props->dwPropFlags, c.flags);
    EngFreeMem(props);
  }
}

TEST_F(PrinterPropsTest, StoredRecordKeepsItsOptionsWhileTheChecksumMatches) {
  Description installable = DescriptionFromText(kInstallablePpd);
  ASSERT_NE(installable, nullptr);
  ASSERT_EQ(installable->printerStickyCount, 1);

  PRINTERPROPS stored = DefPrinterProps;
  stored.dwMagEncoder = 1;
  stored.dwFreeMem = 12345;
  stored.wOptions = 3;
  stored.aOptions[0] = 5;
  stored.aOptions[1] = 6;
  stored.aOptions[2] = 7;

  stored.wChecksum = installable->checksum;
  StorePrinterData(stored);
  PRINTERPROPS* props = GetPrinterProperties(printer, installable.get());
  ASSERT_NE(props, nullptr);
  EXPECT_EQ(BytesOf(props, sizeof *props), BytesOf(&stored, sizeof stored));
  EngFreeMem(props);

  stored.wChecksum = static_cast<WORD>(installable->checksum + 0x4321);
  StorePrinterData(stored);
  props = GetPrinterProperties(printer, installable.get());
  ASSERT_NE(props, nullptr);
  PRINTERPROPS expected = stored;
  expected.wChecksum = installable->checksum;
  expected.wOptions = 1;
  expected.aOptions[0] = 1;  // the default option, "Fitted"
  EXPECT_EQ(BytesOf(props, sizeof *props), BytesOf(&expected, sizeof expected));
  EngFreeMem(props);
}

TEST_F(PrinterPropsTest, StoredRecordShorterThanTheRecordCountsAsAbsent) {
  PRINTERPROPS stored = DefPrinterProps;
  stored.dwMagEncoder = 1;
  for (std::size_t size : {std::size_t{0}, std::size_t{100}, sizeof(PRINTERPROPS) - 1}) {
    SCOPED_TRACE(size);
    StorePrinterData(stored, size);
    PRINTERPROPS* props = GetPrinterProperties(printer, ppd.get());
    ASSERT_NE(props, nullptr);
    EXPECT_EQ(props->dwMagEncoder, 0u);
    EXPECT_EQ(props->dwFreeMem, ppd->freeVm);
    EngFreeMem(props);
  }
  // A size value that promises the whole record over shorter data.
  StoreDword(u"PrinterDataSize", sizeof(PRINTERPROPS));
  StoreBytes(u"PrinterData", BytesOf(&stored, 100));
  PRINTERPROPS* props = GetPrinterProperties(printer, ppd.get());
  ASSERT_NE(props, nullptr);
  EXPECT_EQ(props->dwMagEncoder, 0u);
  EngFreeMem(props);
}

TEST_F(PrinterPropsTest, NoMemoryForTheRecordGivesNull) {
  engine.pool().FailTag(DRIVER_DESC_TAG);
  EXPECT_EQ(GetPrinterProperties(printer, ppd.get()), nullptr);
  engine.pool().ClearFaults();
}

TEST_F(PrinterPropsTest, HalftoneSetupMustBeExactlyOneRecord) {
  DEVHTINFO stored{};
  stored.HTFlags = 0x11;
  stored.HTPatternSize = 7;
  stored.ColorInfo.Red = {1, 2, 3};
  struct Case {
    std::size_t size;
    BOOL read;
  };
  constexpr Case kCases[] = {{sizeof(DEVHTINFO), TRUE}, {128, FALSE}, {136, FALSE}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.size);
    std::vector<std::uint8_t> bytes = BytesOf(&stored, sizeof stored);
    bytes.resize(c.size);
    StoreBytes(u"CurDevHTInfo", bytes);
    DEVHTINFO read;
    std::memset(&read, 0xAB, sizeof read);
    const std::vector<std::uint8_t> untouched = BytesOf(&read, sizeof read);
    EXPECT_EQ(GetDeviceHalftoneSetup(printer, &read), c.read);
    EXPECT_EQ(BytesOf(&read, sizeof read), c.read ? BytesOf(&stored, sizeof stored) : untouched);
  }
}

TEST(PickDefaultHTPatSize, FollowsTheSmallerResolution) {
  struct Case {
    ULONG x, y;
    ULONG size, smaller;
  };
  constexpr Case kCases[] = {
      {2400, 2400, 15, 13}, {2399, 2400, 13, 11}, {1800, 1800, 13, 11}, {1799, 1799, 11, 9},
      {1200, 1200, 11, 9},  {1199, 1199, 9, 7},   {900, 900, 9, 7},     {899, 899, 7, 5},
      {400, 400, 7, 5},     {399, 399, 5, 3},     {300, 300, 5, 3},     {180, 180, 5, 3},
      {179, 179, 3, 1},     {0, 0, 3, 1},         {300, 2400, 5, 3},    {2400, 150, 3, 1},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.x << " x " << c.y);
    EXPECT_EQ(PickDefaultHTPatSize(c.x, c.y, FALSE), c.size);
    EXPECT_EQ(PickDefaultHTPatSize(c.x, c.y, TRUE), c.smaller);
  }
}

}  // namespace
