#include "lib/block_heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "lib/pool_tags.h"
#include "support/host_fixture.h"

namespace {

class BlockHeapTest : public HostEngineTest {
 protected:
  void SetUp() override {
    heap = HEAPOBJ_Create();
    ASSERT_NE(heap, nullptr);
  }
  void TearDown() override {
    HEAPOBJ_Delete(heap);
    HostEngineTest::TearDown();
  }

  // The blocks of the chain, newest first.
  std::vector<BLOCKOBJ*> Blocks() const {
    std::vector<BLOCKOBJ*> blocks;
    for (BLOCKOBJ* block = heap->newest; block != nullptr; block = block->nextBlock) {
      blocks.push_back(block);
    }
    return blocks;
  }

  static bool Aligned(PVOID p) { return reinterpret_cast<std::uintptr_t>(p) % HEAPOBJ_ALIGN == 0; }

  HEAPOBJ* heap = nullptr;
};

TEST_F(BlockHeapTest, FreshArenaHoldsItsOwnHandleInItsOnlyBlock) {
  ASSERT_EQ(Blocks().size(), 1u);
  BLOCKOBJ* block = heap->newest;
  EXPECT_EQ(block->capacity, HEAPOBJ_BLOCK_SIZE);
  EXPECT_EQ(block->bytesLeft, HEAPOBJ_BLOCK_SIZE - sizeof(HEAPOBJ));
  EXPECT_EQ(reinterpret_cast<BYTE*>(heap), reinterpret_cast<BYTE*>(block + 1));
  const PoolUsage usage = engine.pool().Outstanding(DRIVER_DESC_TAG);
  EXPECT_EQ(usage.blocks, 1u);
  EXPECT_EQ(usage.bytes, sizeof(BLOCKOBJ) + HEAPOBJ_BLOCK_SIZE);
}

TEST_F(BlockHeapTest, SmallRequestsAreRoundedToTheAlignment) {
  const ULONG before = heap->newest->bytesLeft;
  for (ULONG size : {1u, 2u, 3u, static_cast<ULONG>(HEAPOBJ_ALIGN - 1)}) {
    PVOID p = HEAPOBJ_Alloc(heap, size);
    EXPECT_TRUE(Aligned(p)) << size;
  }
  EXPECT_EQ(heap->newest->bytesLeft, before - 4 * HEAPOBJ_ALIGN);
}

TEST_F(BlockHeapTest, ZeroBytesReturnTheFreePositionAndTakeNothing) {
  BYTE* nextFree = heap->newest->nextFree;
  const ULONG left = heap->newest->bytesLeft;
  EXPECT_EQ(HEAPOBJ_Alloc(heap, 0), nextFree);
  EXPECT_EQ(heap->newest->bytesLeft, left);
}

TEST_F(BlockHeapTest, RequestOfExactlyTheRestTakesItWithoutRounding) {
  const ULONG rest = heap->newest->bytesLeft;
  PVOID p = HEAPOBJ_Alloc(heap, rest);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Blocks().size(), 1u);
  EXPECT_EQ(heap->newest->bytesLeft, 0u);
  EXPECT_EQ(static_cast<BYTE*>(p) + rest, heap->newest->nextFree);
}

TEST_F(BlockHeapTest, FullBlockSizeOpensASecondBlockAndSmallRequestsGoBackToTheFirst) {
  BLOCKOBJ* first = heap->newest;
  PVOID whole = HEAPOBJ_Alloc(heap, HEAPOBJ_BLOCK_SIZE);
  ASSERT_NE(whole, nullptr);
  const auto blocks = Blocks();
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0]->capacity, HEAPOBJ_BLOCK_SIZE);
  EXPECT_EQ(blocks[0]->bytesLeft, 0u);
  EXPECT_EQ(blocks[1], first);

  BYTE* firstFree = first->nextFree;
  EXPECT_EQ(HEAPOBJ_Alloc(heap, 16), firstFree);
  EXPECT_EQ(Blocks().size(), 2u);
}

// First fit, newest first, over a chain whose blocks have different room
// left, also after walks that found no room (the arena then remembers the
// most room behind its newest block and must not forget any block).
TEST_F(BlockHeapTest, RequestsTakeTheNewestBlockWithRoomAcrossTheChain) {
  BLOCKOBJ* oldest = heap->newest;
  HEAPOBJ_Alloc(heap, oldest->bytesLeft - 200);
  HEAPOBJ_Alloc(heap, HEAPOBJ_BLOCK_SIZE - 40);
  BLOCKOBJ* middle = heap->newest;
  HEAPOBJ_Alloc(heap, HEAPOBJ_BLOCK_SIZE);
  ASSERT_EQ(Blocks().size(), 3u);
  ASSERT_EQ(oldest->bytesLeft, 200u);
  ASSERT_EQ(middle->bytesLeft, 40u);

  enum class From { Oldest, Middle, Newest, NewBlock };
  struct Step {
    ULONG size;
    From from;
  };
  const Step steps[] = {
      {96, From::Oldest},                        // the middle block is too small
      {32, From::Middle},                        // newest first: the middle block before the oldest
      {152, From::NewBlock},                     // no block has room
      {HEAPOBJ_BLOCK_SIZE - 152, From::Newest},  // the rest of the new block
      {104, From::Oldest},                       // the rest of the oldest block
      {8, From::Middle},                         // the rest of the middle block
      {8, From::NewBlock},                       // nothing left in any block
  };
  for (const Step& step : steps) {
    BLOCKOBJ* const block = step.from == From::Oldest   ? oldest
                            : step.from == From::Middle ? middle
                            : step.from == From::Newest ? heap->newest
                                                        : nullptr;
    BYTE* const at = block != nullptr ? block->nextFree : nullptr;
    const size_t blocksBefore = Blocks().size();
    BYTE* p = static_cast<BYTE*>(HEAPOBJ_Alloc(heap, step.size));
    ASSERT_NE(p, nullptr) << step.size;
    if (block != nullptr) {
      EXPECT_EQ(p, at) << step.size;
      EXPECT_EQ(Blocks().size(), blocksBefore) << step.size;
    } else {
      EXPECT_EQ(p, reinterpret_cast<BYTE*>(heap->newest + 1)) << step.size;
      EXPECT_EQ(Blocks().size(), blocksBefore + 1) << step.size;
    }
  }
}

TEST_F(BlockHeapTest, LargeRequestGetsABlockOfExactlyItsSize) {
  constexpr ULONG kLarge = HEAPOBJ_BLOCK_SIZE + 13;
  PVOID large = HEAPOBJ_Alloc(heap, kLarge);
  ASSERT_NE(large, nullptr);
  BLOCKOBJ* block = heap->newest;
  EXPECT_EQ(block->capacity, kLarge);
  EXPECT_EQ(block->bytesLeft, 0u);
  // Later requests are carved from the first block, never from the large one.
  BYTE* p = static_cast<BYTE*>(HEAPOBJ_Alloc(heap, 1));
  EXPECT_FALSE(p >= static_cast<BYTE*>(large) && p < static_cast<BYTE*>(large) + kLarge);
  EXPECT_EQ(Blocks().size(), 2u);
}

TEST_F(BlockHeapTest, FullArenaOpensANewBlockInFrontOfTheChain) {
  HEAPOBJ_Alloc(heap, heap->newest->bytesLeft);
  PVOID p = HEAPOBJ_Alloc(heap, 100);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Blocks().size(), 2u);
  EXPECT_EQ(heap->newest->bytesLeft, HEAPOBJ_BLOCK_SIZE - 104);
  EXPECT_EQ(engine.pool().Outstanding(DRIVER_DESC_TAG).blocks, 2u);
}

TEST_F(BlockHeapTest, FailedBlockLeavesTheArenaAsItWas) {
  HEAPOBJ_Alloc(heap, heap->newest->bytesLeft);
  BLOCKOBJ* newest = heap->newest;
  engine.pool().FailNthAllocation(1);
  EXPECT_EQ(HEAPOBJ_Alloc(heap, 8), nullptr);
  EXPECT_EQ(heap->newest, newest);
  EXPECT_EQ(Blocks().size(), 1u);
}

TEST_F(BlockHeapTest, RequestTooLargeForAnyBlockFails) {
  EXPECT_EQ(HEAPOBJ_Alloc(heap, 0xFFFFFFFF), nullptr);
  EXPECT_EQ(Blocks().size(), 1u);
}

TEST(BlockHeapCreate, FailsCleanlyWhenThePoolIsEmpty) {
  HostEngine engine;
  ScopedHostEngine installed(engine);
  engine.pool().FailTag(DRIVER_DESC_TAG);
  EXPECT_EQ(HEAPOBJ_Create(), nullptr);
  EXPECT_EQ(engine.pool().Outstanding().blocks, 0u);
}

}  // namespace
