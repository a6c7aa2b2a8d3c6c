#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/constants.h"
#include "engine/services.h"
#include "support/host_fixture.h"

namespace {

constexpr ULONG kTagA = 0x6D737044;  // "Dpsm"
constexpr ULONG kTagB = 0x68737044;  // "Dpsh"

using PoolTest = HostEngineTest;

TEST_F(PoolTest, CountsOutstandingBlocksByTag) {
  void* a = EngAllocMem(0, 10, kTagA);
  void* b = EngAllocMem(FL_ZERO_MEMORY, 20, kTagA);
  void* c = EngAllocMem(0, 7, kTagB);
  EXPECT_EQ(engine.pool().Outstanding(kTagA), (PoolUsage{2, 30}));
  EXPECT_EQ(engine.pool().Outstanding(kTagB), (PoolUsage{1, 7}));
  EXPECT_EQ(std::memcmp(b, std::string(20, '\0').data(), 20), 0);
  EngFreeMem(a);
  EngFreeMem(b);
  EngFreeMem(c);
  EXPECT_EQ(engine.pool().Outstanding(), (PoolUsage{0, 0}));
  EXPECT_EQ(TagName(kTagA), "Dpsm");
}

TEST_F(PoolTest, FailsTheNthAllocationOnce) {
  engine.pool().FailNthAllocation(2);
  void* first = EngAllocMem(0, 4, kTagA);
  void* second = EngAllocMem(0, 4, kTagA);
  void* third = EngAllocMem(0, 4, kTagA);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(second, nullptr);
  EXPECT_NE(third, nullptr);
  EngFreeMem(first);
  EngFreeMem(third);
}

TEST_F(PoolTest, FailsEveryAllocationOfATag) {
  engine.pool().FailTag(kTagB);
  EXPECT_EQ(EngAllocMem(0, 4, kTagB), nullptr);
  EXPECT_EQ(EngAllocMem(0, 4, kTagB), nullptr);
  void* other = EngAllocMem(0, 4, kTagA);
  EXPECT_NE(other, nullptr);
  EngFreeMem(other);
  engine.pool().ClearFaults();
  void* again = EngAllocMem(0, 4, kTagB);
  EXPECT_NE(again, nullptr);
  EngFreeMem(again);
}

using SpoolerTest = HostEngineTest;

TEST_F(SpoolerTest, KeepsWritesInOrderAndRecordsInjectedFailures) {
  HANDLE printer = engine.spooler().OpenPrinter();
  DWORD written = 0;
  char abc[] = "abc";
  char de[] = "de";
  EXPECT_TRUE(EngWritePrinter(printer, abc, 3, &written));
  EXPECT_EQ(written, 3u);
  engine.spooler().FailWritesFrom(printer, 2);
  EXPECT_TRUE(EngWritePrinter(printer, de, 2, &written));
  EXPECT_FALSE(EngWritePrinter(printer, abc, 3, &written));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(engine.spooler().Output(printer), (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 'e'}));
  EXPECT_EQ(engine.spooler().FailedWrites(printer), 1u);
}

TEST_F(SpoolerTest, StreamsToAConsumerThatCanRefuse) {
  HANDLE printer = engine.spooler().OpenPrinter();
  std::string got;
  engine.spooler().StreamTo(printer, [&](const std::uint8_t* bytes, std::size_t count) {
    got.append(reinterpret_cast<const char*>(bytes), count);
    return got.size() < 4;
  });
  DWORD written = 0;
  char ab[] = "ab";
  EXPECT_TRUE(EngWritePrinter(printer, ab, 2, &written));
  EXPECT_FALSE(EngWritePrinter(printer, ab, 2, &written));
  EXPECT_EQ(got, "abab");
  EXPECT_EQ(engine.spooler().FailedWrites(printer), 1u);
  EXPECT_TRUE(engine.spooler().Output(printer).empty());
}

using ServicesTest = HostEngineTest;

TEST_F(ServicesTest, LastErrorIsPerThread) {
  EngSetLastError(87);
  ULONG other = 0;
  std::thread([&] {
    EngSetLastError(119);
    other = EngGetLastError();
  }).join();
  EXPECT_EQ(EngGetLastError(), 87u);
  EXPECT_EQ(other, 119u);
}

TEST_F(ServicesTest, FloatObjectsScaleWithoutOverflow) {
  struct Case {
    LONG value, mul, div, expected;
  };
  for (const Case& c :
       {Case{18432, 300, 18432, 300}, Case{-18433, 25400, 18432, -25401}, Case{7, 1, 2, 3}}) {
    FLOATOBJ f;
    FLOATOBJ_SetLong(&f, c.value);
    FLOATOBJ_MulLong(&f, c.mul);
    FLOATOBJ_DivLong(&f, c.div);
    EXPECT_EQ(FLOATOBJ_GetLong(&f), c.expected) << c.value;
  }
  FLOATOBJ huge;
  FLOATOBJ_SetLong(&huge, 2000000000);
  FLOATOBJ_MulLong(&huge, 25400);
  EXPECT_EQ(FLOATOBJ_GetLong(&huge), 2147483647);  // saturates instead of wrapping
}

TEST_F(ServicesTest, AnsiCodePageIsWindows1252) {
  char ansi[] = {'A', static_cast<char>(0x80), static_cast<char>(0xE9), static_cast<char>(0x81)};
  WCHAR wide[4] = {};
  ULONG bytes = 0;
  EngMultiByteToUnicodeN(wide, sizeof wide, &bytes, ansi, sizeof ansi);
  EXPECT_EQ(bytes, 8u);
  EXPECT_EQ(std::u16string(wide, 4), (std::u16string{u'A', 0x20AC, 0xE9, 0x81}));

  WCHAR text[] = {u'Z', 0x20AC, 0x0416, 0xFC};
  char back[4] = {};
  EngUnicodeToMultiByteN(back, sizeof back, &bytes, text, sizeof text);
  EXPECT_EQ(bytes, 4u);
  EXPECT_EQ(std::string(back, 4),
            (std::string{'Z', static_cast<char>(0x80), '?', static_cast<char>(0xFC)}));
  ULONG needed = 0;
  EXPECT_EQ(RtlUnicodeToMultiByteSize(&needed, text, sizeof text), STATUS_SUCCESS);
  EXPECT_EQ(needed, 4u);
  EXPECT_EQ(RtlUnicodeToMultiByteN(back, 2, &bytes, text, sizeof text), STATUS_BUFFER_OVERFLOW);
  EXPECT_EQ(bytes, 2u);
}

TEST_F(ServicesTest, SemaphoresExcludeOtherThreadsAndNest) {
  HSEMAPHORE sem = EngCreateSemaphore();
  int counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        EngAcquireSemaphore(sem);
        EngAcquireSemaphore(sem);
        ++counter;
        EngReleaseSemaphore(sem);
        EngReleaseSemaphore(sem);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 4000);
  EngDeleteSemaphore(sem);
}

}  // namespace
