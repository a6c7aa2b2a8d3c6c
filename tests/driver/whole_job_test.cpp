// A whole card job driven only through the driver's table, as the engine
// drives it: the printer receives the card job's stream byte for byte.
#include <gtest/gtest.h>

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

}  // namespace
