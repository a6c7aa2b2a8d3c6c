#include "lib/block_heap.h"

#include <limits>

#include "engine/services.h"
#include "lib/pool_tags.h"

namespace {

constexpr ULONG kHeaderSize = sizeof(BLOCKOBJ);

constexpr ULONG RoundUpToAlign(ULONG size) {
  return (size + (HEAPOBJ_ALIGN - 1)) & ~(HEAPOBJ_ALIGN - 1);
}

// Hands out `size` bytes of a block that has at least that many left. A
// request below bytesLeft is rounded up to the alignment: blocks hold
// multiples of the alignment until a request takes exactly their rest, so
// the rounded size never exceeds what is left.
PVOID TakeFromBlock(BLOCKOBJ* block, ULONG size) {
  const ULONG taken = size == block->bytesLeft ? size : RoundUpToAlign(size);
  BYTE* result = block->nextFree;
  block->nextFree += taken;
  block->bytesLeft -= taken;
  return result;
}

}  // namespace

BLOCKOBJ* BLOCKOBJ_Create(ULONG capacity) {
  if (capacity > std::numeric_limits<ULONG>::max() - kHeaderSize) return nullptr;
  auto* block = static_cast<BLOCKOBJ*>(EngAllocMem(0, capacity + kHeaderSize, DRIVER_DESC_TAG));
  if (block == nullptr) return nullptr;
  block->capacity = capacity;
  block->bytesLeft = capacity;
  block->nextFree = reinterpret_cast<BYTE*>(block) + kHeaderSize;
  block->nextBlock = nullptr;
  return block;
}

void BLOCKOBJ_Delete(PVOID block) { EngFreeMem(block); }

HEAPOBJ* HEAPOBJ_Create() {
  BLOCKOBJ* block = BLOCKOBJ_Create(HEAPOBJ_BLOCK_SIZE);
  if (block == nullptr) return nullptr;
  // The handle is the arena's first allocation, so the arena owns it.
  auto* heap = static_cast<HEAPOBJ*>(TakeFromBlock(block, sizeof(HEAPOBJ)));
  heap->newest = block;
  heap->roomBehind = 0;
  return heap;
}

PVOID HEAPOBJ_Alloc(HEAPOBJ* heap, ULONG size) {
  BLOCKOBJ* const newest = heap->newest;
  if (newest->bytesLeft >= size) return TakeFromBlock(newest, size);
  if (size <= heap->roomBehind) {
    ULONG most = 0;
    for (BLOCKOBJ* block = newest->nextBlock; block != nullptr; block = block->nextBlock) {
      if (block->bytesLeft >= size) return TakeFromBlock(block, size);
      most = block->bytesLeft > most ? block->bytesLeft : most;
    }
    heap->roomBehind = most;
  }
  BLOCKOBJ* block = BLOCKOBJ_Create(size > HEAPOBJ_BLOCK_SIZE ? size : HEAPOBJ_BLOCK_SIZE);
  if (block == nullptr) return nullptr;
  block->nextBlock = newest;
  heap->newest = block;
  if (newest->bytesLeft > heap->roomBehind) heap->roomBehind = newest->bytesLeft;
  return TakeFromBlock(block, size);
}

void HEAPOBJ_Delete(HEAPOBJ* heap) {
  // The handle lives in the oldest block: read the head before freeing.
  BLOCKOBJ* block = heap->newest;
  while (block != nullptr) {
    BLOCKOBJ* older = block->nextBlock;
    BLOCKOBJ_Delete(block);
    block = older;
  }
}
