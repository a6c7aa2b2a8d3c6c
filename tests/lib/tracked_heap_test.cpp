#include "lib/tracked_heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "lib/pool_tags.h"
#include "support/host_fixture.h"

namespace {

class TrackedHeapTest : public HostEngineTest {
 protected:
  void SetUp() override {
    heap = HEAPCREATE();
    ASSERT_NE(heap, nullptr);
  }
  void TearDown() override {
    HEAPDESTROY(heap);
    HostEngineTest::TearDown();
  }

  size_t Blocks() { return engine.pool().Outstanding(DRIVER_HEAP_TAG).blocks; }

  HANDLE heap = nullptr;
};

TEST_F(TrackedHeapTest, EachAllocationIsItsOwnAlignedPoolBlock) {
  PVOID a = HEAPALLOC(heap, 1);
  PVOID b = HEAPALLOC(heap, 100);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % alignof(void*), 0u);
  std::memset(b, 0xAB, 100);
  EXPECT_EQ(Blocks(), 3u);  // the handle and two nodes
  EXPECT_EQ(engine.pool().Outstanding(DRIVER_HEAP_TAG).bytes,
            sizeof(void*) + (sizeof(void*) + 1) + (sizeof(void*) + 100));
}

// Freeing the newest, the oldest or a middle allocation leaves the others
// reachable: they are all freed by HEAPFREE afterwards and by HEAPDESTROY.
TEST_F(TrackedHeapTest, FreeingAnyOneLeavesTheOthers) {
  for (int victim = 0; victim < 3; ++victim) {
    PVOID p[3];
    for (PVOID& q : p) q = HEAPALLOC(heap, 8);
    HEAPFREE(heap, p[victim]);  // p[2] is the newest, p[0] the oldest
    EXPECT_EQ(Blocks(), 3u) << victim;
    HEAPFREE(heap, p[victim]);  // a second time: nothing happens
    EXPECT_EQ(Blocks(), 3u) << victim;
    for (int i = 0; i < 3; ++i) {
      if (i != victim) HEAPFREE(heap, p[i]);
    }
    EXPECT_EQ(Blocks(), 1u) << victim;
  }
}

TEST_F(TrackedHeapTest, ForeignPointerAndNullAreIgnored) {
  int local = 0;
  PVOID p = HEAPALLOC(heap, 4);
  HEAPFREE(heap, &local);
  HEAPFREE(heap, nullptr);
  EXPECT_EQ(Blocks(), 2u);
  HEAPFREE(heap, p);
}

TEST_F(TrackedHeapTest, FailedAllocationLeavesTheListAsItWas) {
  PVOID kept = HEAPALLOC(heap, 4);
  engine.pool().FailNthAllocation(1);
  EXPECT_EQ(HEAPALLOC(heap, 4), nullptr);
  EXPECT_EQ(HEAPALLOC(heap, 0xFFFFFFFF), nullptr);
  EXPECT_EQ(Blocks(), 2u);
  HEAPFREE(heap, kept);
  EXPECT_EQ(Blocks(), 1u);
}

TEST(TrackedHeapLife, DestroyGivesBackEverythingStillHeld) {
  HostEngine engine;
  ScopedHostEngine installed(engine);
  HANDLE empty = HEAPCREATE();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(engine.pool().Outstanding(DRIVER_HEAP_TAG).blocks, 1u);
  HEAPDESTROY(empty);
  EXPECT_EQ(engine.pool().Outstanding().blocks, 0u);

  HANDLE full = HEAPCREATE();
  for (int i = 0; i < 5; ++i) HEAPALLOC(full, 32);
  HEAPDESTROY(full);
  EXPECT_EQ(engine.pool().Outstanding().blocks, 0u);

  engine.pool().FailTag(DRIVER_HEAP_TAG);
  EXPECT_EQ(HEAPCREATE(), nullptr);
}

}  // namespace
