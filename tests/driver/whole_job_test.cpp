// A whole card job driven only through the driver's table, as the engine
// drives it: the printer receives the card job's stream byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine_instance.h"
#include "support/byte_diff.h"
#include "support/card_job_stream.h"
#include "support/host_fixture.h"

namespace {

using WholeJobTest = DriverTableTest;

TEST_F(WholeJobTest, DefaultTwoPageJobMatchesTheCardJobStream) {
  {
    EngineInstance instance(driver, engine, printer);
    ASSERT_TRUE(instance.ok());
    SURFOBJ* surface = instance.surface();
    ASSERT_TRUE(driver.StartDoc(surface, nullptr, 1));
    ASSERT_TRUE(driver.StartPage(surface));
    for (const card_job::Block& block : card_job::kDrawing) {
      RECTL rect = block.rect;
      BRUSHOBJ brush{block.color, nullptr, 0};
      ASSERT_TRUE(driver.BitBlt(surface, nullptr, nullptr, nullptr, nullptr, &rect, nullptr,
                                nullptr, &brush, nullptr, ROP4_PATCOPY));
    }
    ASSERT_TRUE(driver.SendPage(surface));
    ASSERT_TRUE(driver.StartPage(surface));
    ASSERT_TRUE(driver.SendPage(surface));
    ASSERT_TRUE(driver.EndDoc(surface, 0));
    EXPECT_EQ(static_cast<PDEV*>(instance.dhpdev())->cPages, 2u);
  }
  EXPECT_BYTES_EQ(card_job::TwoPageJob(), engine.spooler().Output(printer));
  EXPECT_EQ(engine.spooler().Writes(printer).size(), card_job::kTwoPageJobWrites);
  EXPECT_EQ(engine.surfaces().OpenSurfaces(), 0u);
}

// Numbers outside their ranges take the nearest value inside, from the
// application's device mode to the wire: yellow -100 prints as -96 (not as
// 0), and the adjustments 1000 and -500 as 5 and -5, whose fields are "00".
TEST_F(WholeJobTest, OutOfRangeNumbersPrintAsTheNearestInRange) {
  auto print = [&](LONG lYellow, LONG lAdjust1, LONG lAdjust2) {
    CARDDEVMODE devmode = ApplicationDevMode();
    devmode.dmPrivate.alColor[0] = lYellow;
    devmode.dmPrivate.lAdjust1 = lAdjust1;
    devmode.dmPrivate.lAdjust2 = lAdjust2;
    engine.spooler().ClearOutput(printer);
    {
      EngineInstance instance(driver, engine, printer, BytesOf(devmode));
      EXPECT_TRUE(instance.ok());
      SURFOBJ* surface = instance.surface();
      EXPECT_TRUE(driver.StartDoc(surface, nullptr, 1));
      EXPECT_TRUE(driver.StartPage(surface));
      for (const card_job::Block& block : card_job::kDrawing) {
        RECTL rect = block.rect;
        BRUSHOBJ brush{block.color, nullptr, 0};
        EXPECT_TRUE(driver.BitBlt(surface, nullptr, nullptr, nullptr, nullptr, &rect, nullptr,
                                  nullptr, &brush, nullptr, ROP4_PATCOPY));
      }
      EXPECT_TRUE(driver.SendPage(surface));
      EXPECT_TRUE(driver.EndDoc(surface, 0));
    }
    std::vector<std::vector<std::uint8_t>> writes = engine.spooler().Writes(printer);
    EXPECT_GT(writes.size(), 1u);
    return std::pair(engine.spooler().Output(printer), writes.size() > 1 ? writes[1] : writes[0]);
  };
  auto [asked, asked_adjustments] = print(-100, 1000, -500);
  EXPECT_BYTES_EQ(Bytes("\x1b"
                        "d0000050005\r"),
                  asked_adjustments);
  EXPECT_BYTES_EQ(print(-96, 5, -5).first, asked);
  EXPECT_FALSE(print(0, 0, 0).first == asked);
}

}  // namespace
