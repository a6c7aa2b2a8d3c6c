// DrvResetPDEV: a new instance that replaces another within a document
// continues it without a second document start.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "engine_instance.h"
#include "support/host_fixture.h"

namespace {

class ResetTest : public DriverTableTest {
 protected:
  static PDEV& Pdev(const EngineInstance& instance) {
    return *static_cast<PDEV*>(instance.dhpdev());
  }
};

TEST_F(ResetTest, BeforeAnyDocumentNothingIsCarriedOver) {
  EngineInstance old_instance(driver, engine, printer);
  EngineInstance new_instance(driver, engine, printer);
  ASSERT_TRUE(old_instance.ok() && new_instance.ok());
  Pdev(old_instance).cPages = 3;
  Pdev(old_instance).dwFlags = 0x10000;
  const std::vector<std::uint8_t> before(
      reinterpret_cast<std::uint8_t*>(&Pdev(new_instance)),
      reinterpret_cast<std::uint8_t*>(&Pdev(new_instance)) + sizeof(PDEV));
  EXPECT_TRUE(driver.ResetPDEV(old_instance.dhpdev(), new_instance.dhpdev()));
  EXPECT_EQ(std::memcmp(before.data(), &Pdev(new_instance), sizeof(PDEV)), 0);
}

TEST_F(ResetTest, WithinADocumentTheNewInstanceContinuesIt) {
  auto old_instance = std::make_unique<EngineInstance>(driver, engine, printer);
  ASSERT_TRUE(old_instance->ok());
  ASSERT_TRUE(driver.StartDoc(old_instance->surface(), nullptr, 1));
  ASSERT_TRUE(driver.StartPage(old_instance->surface()));
  ASSERT_TRUE(driver.SendPage(old_instance->surface()));
  const std::size_t first_page_writes = engine.spooler().Writes(printer).size();

  EngineInstance new_instance(driver, engine, printer);
  ASSERT_TRUE(new_instance.ok());
  ASSERT_TRUE(driver.ResetPDEV(old_instance->dhpdev(), new_instance.dhpdev()));
  const PDEV& pdev = Pdev(new_instance);
  // Document open, carried over; continued; same form and tray.
  EXPECT_EQ(pdev.dwFlags, 0x00900004u);
  EXPECT_EQ(pdev.cPages, 1u);
  ASSERT_NE(pdev.pFontBits, nullptr);
  EXPECT_NE(pdev.pFontBits, Pdev(*old_instance).pFontBits);
  old_instance.reset();

  // No second document start: the next write is the page start.
  ASSERT_TRUE(driver.StartDoc(new_instance.surface(), nullptr, 1));
  EXPECT_EQ(engine.spooler().Writes(printer).size(), first_page_writes);
  ASSERT_TRUE(driver.StartPage(new_instance.surface()));
  EXPECT_EQ(pdev.cPages, 2u);
  ASSERT_TRUE(driver.SendPage(new_instance.surface()));
  ASSERT_TRUE(driver.EndDoc(new_instance.surface(), 0));
  const auto writes = engine.spooler().Writes(printer);
  ASSERT_EQ(writes.size(), 2 * first_page_writes - 2 + 1);
  EXPECT_EQ(writes[first_page_writes], (std::vector<std::uint8_t>{0x1B, 0x01, 0x0D}));
  EXPECT_EQ(writes.back(), (std::vector<std::uint8_t>{0x1B, 0x04, 0x0D}));
  EXPECT_EQ(pdev.dwFlags & 0x00100004u, 0u);
}

// Every bit is set on the old instance: the new one gets exactly the
// carried ones, the continuation bit and, when form and tray match, the
// same-form bit.
TEST_F(ResetTest, CarriesExactlyTheJobBitsAndMarksTheSameFormAndTray) {
  struct Case {
    const char* what;
    std::function<void(DEVMODEW&)> set;
    bool same;
  };
  auto name = [](DEVMODEW& dm, std::u16string text) {
    std::memset(dm.dmFormName, 0, sizeof dm.dmFormName);
    std::memcpy(dm.dmFormName, text.data(), text.size() * 2);
  };
  const Case cases[] = {
      {"the same settings", [](DEVMODEW&) {}, true},
      {"another paper source",
       [](DEVMODEW& dm) {
         dm.dmFields = DM_DEFAULTSOURCE;
         dm.dmDefaultSource = DMBIN_ONLYONE;
       },
       false},
      {"another size",
       [](DEVMODEW& dm) {
         dm.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH;
         dm.dmPaperWidth = 859;
         dm.dmPaperLength = 535;
       },
       false},
      {"by name instead of by size",
       [&](DEVMODEW& dm) {
         dm.dmFields = DM_FORMNAME;
         name(dm, u"Poster");
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EngineInstance old_instance(driver, engine, printer);
    CARDDEVMODE dm = ApplicationDevMode();
    c.set(dm.dmPublic);
    EngineInstance new_instance(driver, engine, printer, BytesOf(dm));
    ASSERT_TRUE(old_instance.ok() && new_instance.ok());
    ASSERT_TRUE(driver.StartDoc(old_instance.surface(), nullptr, 1));
    ASSERT_EQ(Pdev(new_instance).dwFlags, 0u);
    Pdev(old_instance).dwFlags = 0xFFFFFFFF;
    ASSERT_TRUE(driver.ResetPDEV(old_instance.dhpdev(), new_instance.dhpdev()));
    EXPECT_EQ(Pdev(new_instance).dwFlags, 0x00094104u | 0x00100000u | (c.same ? 0x00800000u : 0u));
  }
}

TEST_F(ResetTest, AnInstanceResetOntoItselfKeepsItsFontBits) {
  EngineInstance instance(driver, engine, printer);
  ASSERT_TRUE(instance.ok());
  ASSERT_TRUE(driver.StartDoc(instance.surface(), nullptr, 1));
  PDEV& pdev = Pdev(instance);
  void* const font_bits = pdev.pFontBits;
  ASSERT_NE(font_bits, nullptr);
  const auto blocks = engine.pool().Outstanding();
  EXPECT_TRUE(driver.ResetPDEV(instance.dhpdev(), instance.dhpdev()));
  EXPECT_EQ(pdev.pFontBits, font_bits);
  EXPECT_EQ(engine.pool().Outstanding(), blocks);
  EXPECT_EQ(pdev.dwFlags & 0x00100004u, 0x00100004u);
}

}  // namespace
