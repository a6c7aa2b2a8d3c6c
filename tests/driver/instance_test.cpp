// Device instances created, filled and freed through the driver's table:
// printer properties from the registry, the merged device mode, the
// capabilities reported to the engine, and every way creation can fail.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "driver/capabilities.h"
#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "engine_instance.h"
#include "lib/pool_tags.h"
#include "ppd/parser/description_lock.h"
#include "support/host_fixture.h"

namespace {

std::vector<std::uint8_t> Bytes(const void* data, std::size_t size) {
  const auto* first = static_cast<const std::uint8_t*>(data);
  return {first, first + size};
}

class InstanceTest : public DriverTableTest {
 protected:
  static PDEV* Pdev(const EngineInstance& instance) {
    return static_cast<PDEV*>(instance.dhpdev());
  }
  void StorePrinterData(const PRINTERPROPS& props) {
    engine.registry().SetDword(printer, u"PrinterDataSize", sizeof props);
    engine.registry().SetValue(printer, u"PrinterData", REG_BINARY, Bytes(&props, sizeof props));
  }
  // Enables an instance with raw arguments, as the engine could pass them.
  DHPDEV Enable(DEVMODEW* pdm, ULONG cjCaps, void* caps, ULONG cjDevInfo, void* devinfo,
                ULONG cPat = 0, HSURF* patterns = nullptr) {
    std::u16string name = u"Card Printer";
    return driver.EnablePDEV(pdm, nullptr, cPat, patterns, cjCaps, static_cast<ULONG*>(caps),
                             cjDevInfo, static_cast<DEVINFO*>(devinfo), nullptr, name.data(),
                             printer);
  }
};

TEST_F(InstanceTest, WithoutRegistryDataEverythingIsDefaulted) {
  {
    EngineInstance instance(driver, engine, printer);
    ASSERT_TRUE(instance.ok());
    const PDEV* pdev = Pdev(instance);
    EXPECT_TRUE(bValidatePDEV(pdev));
    EXPECT_EQ(pdev->hPrinter, printer);
    EXPECT_EQ(pdev->dwFlags, 0u);
    EXPECT_EQ(pdev->cPages, 0u);
    EXPECT_EQ(pdev->cCopies, 1u);
    EXPECT_EQ(pdev->iLogicalDpi, 300);
    EXPECT_EQ(pdev->pTTSubstTable, nullptr);
    EXPECT_NE(pdev->hModule, nullptr);
    EXPECT_NE(pdev->pFontBits, nullptr);
    EXPECT_EQ(pdev->cDeviceFonts + pdev->cSoftFonts, 0u);

    PRINTERPROPS props = DefPrinterProps;
    props.dwFreeMem = 102400;
    props.dwWaitTimeout = 240;
    EXPECT_EQ(Bytes(pdev->pPrinterProps, sizeof props), Bytes(&props, sizeof props));

    EXPECT_EQ(std::u16string(pdev->dm.dmPublic.dmDeviceName), u"Card Printer");
    EXPECT_EQ(pdev->dm.dmPublic.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(std::u16string(pdev->dm.dmPublic.dmFormName), u"Letter");
    PRIVATEDEVMODE priv = DefPrivateDevMode;
    priv.wOptions = 1;
    EXPECT_EQ(Bytes(&pdev->dm.dmPrivate, sizeof priv), Bytes(&priv, sizeof priv));

    EXPECT_EQ(engine.OpenModules(), 1u);
    EXPECT_EQ(engine.OpenPalettes(), 1u);
  }
  EXPECT_EQ(engine.OpenModules(), 0u);
  EXPECT_EQ(engine.OpenPalettes(), 0u);
}

TEST_F(InstanceTest, StoredPropertiesAreKeptWhileTheirChecksumMatches) {
  PRINTERPROPS stored = DefPrinterProps;
  stored.dwMagEncoder = 1;
  stored.dwFreeMem = 777777;
  stored.dwPropFlags = PROPFLAG_METRIC;
  stored.wOptions = 2;
  stored.aOptions[0] = 4;
  stored.aOptions[1] = 5;
  StorePrinterData(stored);
  {
    EngineInstance instance(driver, engine, printer);
    ASSERT_TRUE(instance.ok());
    EXPECT_EQ(Bytes(Pdev(instance)->pPrinterProps, sizeof stored), Bytes(&stored, sizeof stored));
    // The metric flag picks the default form name.
    EXPECT_EQ(std::u16string(Pdev(instance)->dm.dmPublic.dmFormName), u"A4");
  }
  stored.wChecksum = 0x1234;
  StorePrinterData(stored);
  EngineInstance instance(driver, engine, printer);
  ASSERT_TRUE(instance.ok());
  PRINTERPROPS expected = stored;
  expected.wChecksum = 0;
  expected.wOptions = 0;  // the card description has no printer-sticky feature
  EXPECT_EQ(Bytes(Pdev(instance)->pPrinterProps, sizeof expected),
            Bytes(&expected, sizeof expected));
}

TEST_F(InstanceTest, FreeMemAndPrinterHTShapeDefaultedProperties) {
  engine.registry().SetDword(printer, u"FreeMem", 101);
  engine.registry().SetDword(printer, u"PrinterHT", 1);
  EngineInstance instance(driver, engine, printer);
  ASSERT_TRUE(instance.ok());
  EXPECT_EQ(Pdev(instance)->pPrinterProps->dwFreeMem, 103424u);
  EXPECT_EQ(Pdev(instance)->pPrinterProps->dwPropFlags, PROPFLAG_PRINTER_HT);
}

TEST_F(InstanceTest, ShortStoredPropertiesAreDefaulted) {
  PRINTERPROPS stored = DefPrinterProps;
  stored.dwMagEncoder = 1;
  engine.registry().SetDword(printer, u"PrinterDataSize", 100);
  engine.registry().SetValue(printer, u"PrinterData", REG_BINARY, Bytes(&stored, 100));
  EngineInstance instance(driver, engine, printer);
  ASSERT_TRUE(instance.ok());
  EXPECT_EQ(Pdev(instance)->pPrinterProps->dwMagEncoder, 0u);
}

TEST_F(InstanceTest, TrueTypeSubstitutionTableIsHeldForTheInstancesLife) {
  engine.registry().SetDword(printer, u"TTFontSubTableSize", 4);
  engine.registry().SetValue(printer, u"TTFontSubTable", REG_BINARY, {1, 2, 3, 4});
  EngineInstance instance(driver, engine, printer);
  ASSERT_TRUE(instance.ok());
  ASSERT_NE(Pdev(instance)->pTTSubstTable, nullptr);
  EXPECT_EQ(Bytes(Pdev(instance)->pTTSubstTable, 4), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

// The capabilities the card printer reports for its default settings: the
// built-in card turned to landscape, 300 dpi, scale 100.
GDIINFO DefaultGdiInfo() {
  GDIINFO gdi{};
  gdi.ulVersion = 0x400;
  gdi.ulTechnology = DT_RASPRINTER;
  // Imageable 245.7598 by 157.4399 points: 86699 by 55541 micrometres.
  gdi.ulHorzSize = static_cast<ULONG>(-86699);
  gdi.ulVertSize = static_cast<ULONG>(-55541);
  gdi.ulHorzRes = 1024;
  gdi.ulVertRes = 656;
  gdi.cBitsPixel = 24;
  gdi.cPlanes = 1;
  gdi.ulNumColors = 8;
  gdi.ulLogPixelsX = 300;
  gdi.ulLogPixelsY = 300;
  gdi.flTextCaps = 0x19F7;
  gdi.ulAspectX = 300;
  gdi.ulAspectY = 300;
  gdi.ulAspectXY = 424;
  gdi.xStyleStep = 1;
  gdi.yStyleStep = 1;
  gdi.denStyleStep = 12;
  gdi.ptlPhysOffset = {0, 0};
  gdi.szlPhysSize = {1025, 658};  // 246 by 158 points
  gdi.ciDevice = DefDevHTInfo.ColorInfo;
  gdi.ulDevicePelsDPI = 11800;
  gdi.ulPrimaryOrder = 0;
  gdi.ulHTPatternSize = 5;
  gdi.ulHTOutputFormat = HT_FORMAT_4BPP;
  gdi.flHTFlags = 0x102;
  return gdi;
}

TEST_F(InstanceTest, CapabilitiesOfTheDefaultSettings) {
  EngineInstance instance(driver, engine, printer);
  ASSERT_TRUE(instance.ok());
  GDIINFO expected = DefaultGdiInfo();
  EXPECT_EQ(Bytes(&instance.caps().gdi, sizeof expected), Bytes(&expected, sizeof expected));

  DEVINFO devinfo{};
  devinfo.flGraphicsCaps = 0x210F;
  devinfo.cFonts = 0;
  devinfo.iDitherFormat = BMF_32BPP;
  devinfo.hpalDefault = Pdev(instance)->hpalDefault;
  EXPECT_NE(devinfo.hpalDefault, nullptr);
  EXPECT_EQ(Bytes(&instance.caps().devinfo, sizeof devinfo), Bytes(&devinfo, sizeof devinfo));
}

TEST_F(InstanceTest, CapabilitiesFollowTheDeviceMode) {
  struct Case {
    const char* what;
    void (*set)(CARDDEVMODE&);
    void (*expect)(GDIINFO&, DEVINFO&);
  };
  const Case cases[] = {
      {"scale 50",
       [](CARDDEVMODE& dm) {
         dm.dmPublic.dmFields = DM_SCALE;
         dm.dmPublic.dmScale = 50;
       },
       [](GDIINFO& gdi, DEVINFO&) {
         gdi.ulLogPixelsX = gdi.ulLogPixelsY = 150;
         gdi.ulHorzSize = static_cast<ULONG>(-173398);
         gdi.ulVertSize = static_cast<ULONG>(-111082);
       }},
      {"monochrome",
       [](CARDDEVMODE& dm) {
         dm.dmPublic.dmFields = DM_COLOR;
         dm.dmPublic.dmColor = DMCOLOR_MONOCHROME;
       },
       [](GDIINFO& gdi, DEVINFO&) { gdi.ulHTOutputFormat = HT_FORMAT_1BPP; }},
      {"600 dpi",
       [](CARDDEVMODE& dm) {
         dm.dmPublic.dmFields = DM_PRINTQUALITY;
         dm.dmPublic.dmPrintQuality = 600;
       },
       [](GDIINFO& gdi, DEVINFO&) {
         gdi.ulLogPixelsX = gdi.ulLogPixelsY = 600;
         gdi.ulHorzRes = 2048;
         gdi.ulVertRes = 1312;
         gdi.ulAspectX = gdi.ulAspectY = 600;
         gdi.ulAspectXY = 848;
         gdi.denStyleStep = 24;
         gdi.szlPhysSize = {2050, 1316};
         gdi.ulHTPatternSize = 7;
       }},
      {"journal flag", [](CARDDEVMODE& dm) { dm.dmPrivate.dwPrivFlags = PRIVFLAG_JOURNAL; },
       [](GDIINFO&, DEVINFO& devinfo) { devinfo.flGraphicsCaps = 0x10F; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CARDDEVMODE dm = ApplicationDevMode();
    c.set(dm);
    EngineInstance instance(driver, engine, printer, BytesOf(dm));
    ASSERT_TRUE(instance.ok());
    GDIINFO gdi = DefaultGdiInfo();
    DEVINFO devinfo{};
    devinfo.flGraphicsCaps = 0x210F;
    devinfo.iDitherFormat = BMF_32BPP;
    devinfo.hpalDefault = Pdev(instance)->hpalDefault;
    c.expect(gdi, devinfo);
    EXPECT_EQ(Bytes(&instance.caps().gdi, sizeof gdi), Bytes(&gdi, sizeof gdi));
    EXPECT_EQ(Bytes(&instance.caps().devinfo, sizeof devinfo), Bytes(&devinfo, sizeof devinfo));
  }
}

TEST_F(InstanceTest, RegistryHalftoneSetupIsReportedWithAPatternSizeOf15AtMost) {
  DEVHTINFO stored = DefDevHTInfo;
  stored.ColorInfo.Red = {6400, 3300, 0};
  for (DWORD pattern : {DWORD{9}, DWORD{15}, DWORD{20}}) {
    SCOPED_TRACE(pattern);
    stored.HTPatternSize = pattern;
    engine.registry().SetValue(printer, u"CurDevHTInfo", REG_BINARY, Bytes(&stored, sizeof stored));
    EngineInstance instance(driver, engine, printer);
    ASSERT_TRUE(instance.ok());
    EXPECT_EQ(instance.caps().gdi.ulHTPatternSize, pattern > 15 ? 5u : pattern);
    EXPECT_EQ(instance.caps().gdi.ciDevice.Red.x, 6400);
  }
}

TEST_F(InstanceTest, CapabilityRecordsAreWrittenOnlyAsFarAsTheEngineSays) {
  struct Case {
    ULONG cjCaps;
    ULONG cjDevInfo;
  };
  constexpr Case kCases[] = {{300, 400}, {100, 8}, {0, 0}, {sizeof(GDIINFO), sizeof(DEVINFO)}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.cjCaps << " " << c.cjDevInfo);
    alignas(8) std::array<std::uint8_t, 400> caps;
    alignas(8) std::array<std::uint8_t, 400> devinfo;
    caps.fill(0xAB);
    devinfo.fill(0xCD);
    DHPDEV dhpdev = Enable(nullptr, c.cjCaps, caps.data(), c.cjDevInfo, devinfo.data());
    ASSERT_NE(dhpdev, nullptr);
    std::size_t capsWritten = std::min<std::size_t>(c.cjCaps, sizeof(GDIINFO));
    std::size_t devinfoWritten = std::min<std::size_t>(c.cjDevInfo, sizeof(DEVINFO));
    GDIINFO expected = DefaultGdiInfo();
    EXPECT_EQ(std::vector(caps.begin(), caps.begin() + capsWritten), Bytes(&expected, capsWritten));
    EXPECT_TRUE(
        std::all_of(caps.begin() + capsWritten, caps.end(), [](auto b) { return b == 0xAB; }));
    EXPECT_TRUE(std::all_of(devinfo.begin() + devinfoWritten, devinfo.end(),
                            [](auto b) { return b == 0xCD; }));
    driver.DisablePDEV(dhpdev);
  }
}

TEST_F(InstanceTest, NoStandardPatternsAreSupplied) {
  GDIINFO gdi;
  DEVINFO devinfo;
  std::array<HSURF, 6> patterns;
  patterns.fill(reinterpret_cast<HSURF>(0x1234));
  DHPDEV dhpdev = Enable(nullptr, sizeof gdi, &gdi, sizeof devinfo, &devinfo, 5, patterns.data());
  ASSERT_NE(dhpdev, nullptr);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(patterns[i], nullptr) << i;
  EXPECT_EQ(patterns[5], reinterpret_cast<HSURF>(0x1234));
  driver.DisablePDEV(dhpdev);
}

// Every allocation made while an instance is created is made to fail in
// turn. A failure the instance cannot do without gives null with nothing
// left behind; one it can (the device mode's working copy, the forms
// database) gives an instance that frees everything when disabled.
TEST_F(InstanceTest, EachFailedAllocationLeavesNothingBehind) {
  GDIINFO gdi;
  DEVINFO devinfo;
  engine.registry().SetDword(printer, u"TTFontSubTableSize", 4);
  engine.registry().SetValue(printer, u"TTFontSubTable", REG_BINARY, {1, 2, 3, 4});
  CARDDEVMODE dm = ApplicationDevMode();
  dm.dmPublic.dmFields = DM_COPIES;
  dm.dmPublic.dmCopies = 2;

  std::size_t failed = 0;
  for (std::size_t n = 1;; ++n) {
    SCOPED_TRACE(n);
    std::size_t before = engine.pool().AllocationCount();
    engine.pool().FailNthAllocation(n);
    DHPDEV dhpdev = Enable(&dm.dmPublic, sizeof gdi, &gdi, sizeof devinfo, &devinfo);
    bool reached = engine.pool().AllocationCount() - before >= n;
    engine.pool().ClearFaults();
    if (dhpdev == nullptr) {
      ++failed;
    } else {
      EXPECT_TRUE(bValidatePDEV(static_cast<PDEV*>(dhpdev)));
      driver.DisablePDEV(dhpdev);
    }
    EXPECT_EQ(engine.pool().Outstanding(), (PoolUsage{0, 0}));
    EXPECT_EQ(engine.OpenModules(), 0u);
    EXPECT_EQ(engine.OpenPalettes(), 0u);
    if (!reached) {
      EXPECT_NE(dhpdev, nullptr);
      break;
    }
  }
  EXPECT_GE(failed, 5u);
}

TEST_F(InstanceTest, NoModuleOrNoPaletteGivesNoInstance) {
  GDIINFO gdi;
  DEVINFO devinfo;
  engine.FailModuleLoads(true);
  EXPECT_EQ(Enable(nullptr, sizeof gdi, &gdi, sizeof devinfo, &devinfo), nullptr);
  engine.FailModuleLoads(false);
  engine.FailPaletteCreation(true);
  EXPECT_EQ(Enable(nullptr, sizeof gdi, &gdi, sizeof devinfo, &devinfo), nullptr);
  engine.FailPaletteCreation(false);
  EXPECT_EQ(engine.OpenModules(), 0u);
  EXPECT_EQ(engine.OpenPalettes(), 0u);
}

// What goes wrong in the life below, or nothing.
std::string EnableWithoutAndThenWithTheLock() {
  HostEngine engine;
  ScopedHostEngine installed(engine);
  HANDLE printer = engine.spooler().OpenPrinter();
  std::u16string name = u"Card Printer";
  GDIINFO gdi;
  DEVINFO devinfo;
  if (hPpdSemaphore.load() != nullptr) return "the lock existed before the driver was enabled";
  engine.FailSemaphoreCreation(true);
  DriverTable driver = EnableDriver();  // still enables, without a lock
  if (driver.EnablePDEV == nullptr) return "no table without a lock";
  if (driver.EnablePDEV(nullptr, nullptr, 0, nullptr, sizeof gdi, reinterpret_cast<ULONG*>(&gdi),
                        sizeof devinfo, &devinfo, nullptr, name.data(), printer) != nullptr) {
    return "an instance without a lock";
  }
  if (engine.OpenModules() != 0) return "a module left open";
  engine.FailSemaphoreCreation(false);
  // The next instance makes the lock itself.
  DHPDEV dhpdev = driver.EnablePDEV(nullptr, nullptr, 0, nullptr, sizeof gdi,
                                    reinterpret_cast<ULONG*>(&gdi), sizeof devinfo, &devinfo,
                                    nullptr, name.data(), printer);
  if (dhpdev == nullptr) return "no instance once a lock can be made";
  if (hPpdSemaphore.load() == nullptr) return "no lock after the instance";
  driver.DisablePDEV(dhpdev);
  if (engine.pool().Outstanding() != PoolUsage{0, 0}) return "pool blocks left";
  return "";
}

// The description lock is made once in a process and kept, so this runs in a
// process of its own, before anything has made it.
TEST(DescriptionLockTest, WithoutTheDescriptionLockNoInstanceIsMade) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string failure = EnableWithoutAndThenWithTheLock();
        std::fprintf(stderr, "%s\n", failure.empty() ? "lock as expected" : failure.c_str());
        std::exit(failure.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "lock as expected");
}

TEST_F(InstanceTest, OldDeviceModeWithoutPrivatePartIsMerged) {
  // 188 public bytes and nothing behind them: exactly what the engine got.
  std::vector<std::uint64_t> words(188 / 8 + 1, 0);
  std::span<std::uint8_t> bytes(reinterpret_cast<std::uint8_t*>(words.data()), 188);
  CARDDEVMODE dm = ApplicationDevMode();
  dm.dmPublic.dmSize = 188;
  dm.dmPublic.dmSpecVersion = 0x320;
  dm.dmPublic.dmDriverExtra = 0;
  dm.dmPublic.dmFields = DM_ORIENTATION | DM_COPIES;
  dm.dmPublic.dmOrientation = DMORIENT_PORTRAIT;
  dm.dmPublic.dmCopies = 4;
  std::memcpy(bytes.data(), &dm.dmPublic, bytes.size());

  EngineInstance instance(driver, engine, printer, bytes);
  ASSERT_TRUE(instance.ok());
  const PDEV* pdev = Pdev(instance);
  EXPECT_EQ(pdev->dm.dmPublic.dmOrientation, DMORIENT_PORTRAIT);
  EXPECT_EQ(pdev->cCopies, 4u);
  EXPECT_EQ(pdev->CurForm.bLandscape, 0u);
  PRIVATEDEVMODE priv = DefPrivateDevMode;
  priv.wOptions = 1;
  EXPECT_EQ(Bytes(&pdev->dm.dmPrivate, sizeof priv), Bytes(&priv, sizeof priv));
}

}  // namespace
