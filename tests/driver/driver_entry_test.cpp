// DrvEnableDriver and the table of entry points it hands to the engine.
#include "driver/driver_entry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>
#include <vector>

#include "engine/constants.h"
#include "engine/services.h"
#include "host/engine/semaphores.h"
#include "ppd/parser/description_lock.h"
#include "support/host_fixture.h"

namespace {

using DriverEntryTest = HostEngineTest;

TEST_F(DriverEntryTest, TableHoldsTheThirteenEntryPointsInOrder) {
  DRVENABLEDATA data{};
  ASSERT_TRUE(DrvEnableDriver(0x20000, sizeof data, &data));
  EXPECT_EQ(data.iDriverVersion, 0x20000u);
  ASSERT_EQ(data.c, 13u);
  constexpr std::array<ULONG, 13> kIndices = {0, 7, 1, 2, 3, 4, 18, 20, 32, 33, 35, 24, 34};
  std::set<PFN> functions;
  for (ULONG i = 0; i < data.c; ++i) {
    EXPECT_EQ(data.pdrvfn[i].iFunc, kIndices[i]) << "entry " << i;
    EXPECT_NE(data.pdrvfn[i].pfn, nullptr);
    functions.insert(data.pdrvfn[i].pfn);
  }
  EXPECT_EQ(functions.size(), 13u);
}

TEST_F(DriverEntryTest, RefusesOldEnginesAndShortBuffersWithoutWriting) {
  struct Case {
    const char* what;
    ULONG version;
    ULONG cj;
    bool enabled;
  };
  const Case cases[] = {
      {"version and size exact", 0x20000, sizeof(DRVENABLEDATA), true},
      {"newer engine, larger buffer", 0x30000, sizeof(DRVENABLEDATA) + 8, true},
      {"engine too old", 0x1FFFF, sizeof(DRVENABLEDATA), false},
      {"buffer one byte short", 0x20000, sizeof(DRVENABLEDATA) - 1, false},
      {"the record's 32-bit size", 0x20000, 12, false},
      {"no buffer", 0x20000, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The record sits at the start of a larger, patterned buffer: nothing
    // past cj bytes may change.
    alignas(DRVENABLEDATA) std::array<std::uint8_t, 64> buffer;
    buffer.fill(0xAB);
    const auto before = buffer;
    EngSetLastError(0);
    BOOL enabled =
        DrvEnableDriver(c.version, c.cj, reinterpret_cast<DRVENABLEDATA*>(buffer.data()));
    EXPECT_EQ(enabled, c.enabled ? TRUE : FALSE);
    std::size_t untouched_from = c.enabled ? c.cj : 0;
    if (c.enabled) {
      EXPECT_EQ(EngGetLastError(), 0u);
      untouched_from = sizeof(DRVENABLEDATA);
    } else {
      EXPECT_EQ(EngGetLastError(), ERROR_BAD_DRIVER_LEVEL);
    }
    EXPECT_TRUE(
        std::equal(buffer.begin() + untouched_from, buffer.end(), before.begin() + untouched_from));
  }
}

TEST_F(DriverEntryTest, EnablingAgainKeepsTheDescriptionLock) {
  DRVENABLEDATA data{};
  ASSERT_TRUE(DrvEnableDriver(0x20000, sizeof data, &data));
  const HSEMAPHORE lock = hPpdSemaphore.load();
  ASSERT_NE(lock, nullptr);
  const std::size_t semaphores = HostSemaphoreCount();
  ASSERT_TRUE(DrvEnableDriver(0x20000, sizeof data, &data));
  EXPECT_EQ(hPpdSemaphore.load(), lock);
  EXPECT_EQ(HostSemaphoreCount(), semaphores);
}

}  // namespace
