// The block heap: a grow-only arena built from pool blocks. The description
// parser takes every record and string it builds from one arena and gives
// them all back at once with HEAPOBJ_Delete. No locks: an arena belongs to
// the one thread that runs a parse.
//
// Every result is aligned to a pointer; a block gives out multiples of
// HEAPOBJ_ALIGN until a request takes exactly the rest of the block.
#pragma once

#include <cstddef>

#include "engine/types.h"

// One arena block: this header, then `capacity` bytes of data area, in one
// pool allocation tagged DRIVER_DESC_TAG.
struct BLOCKOBJ {
  ULONG capacity;       // size of the data area as asked for
  ULONG bytesLeft;      // bytes of the data area not yet handed out
  BYTE* nextFree;       // first free byte of the data area
  BLOCKOBJ* nextBlock;  // the block created before this one, or NULL
};

// The arena handle: the newest block, head of the chain through nextBlock,
// and a bound on the room left behind it. It lives in the first bytes handed
// out from the arena's first block.
struct HEAPOBJ {
  BLOCKOBJ* newest;
  // At least the bytesLeft of every block behind the newest: a request
  // larger than that skips the walk of the older blocks, which could not
  // take it. Exact again after each walk that finds no room.
  ULONG roomBehind;
};

// Data area of an ordinary block; larger requests get a block of their own.
inline constexpr ULONG HEAPOBJ_BLOCK_SIZE = 0xFF0;
inline constexpr ULONG HEAPOBJ_ALIGN = alignof(void*);

static_assert(sizeof(BLOCKOBJ) % alignof(void*) == 0);
static_assert(HEAPOBJ_BLOCK_SIZE % HEAPOBJ_ALIGN == 0);

// A block with a data area of `capacity` bytes, or NULL when the pool
// allocation fails (also when capacity plus the header does not fit a ULONG).
BLOCKOBJ* BLOCKOBJ_Create(ULONG capacity);
// Gives one pool allocation back. The packed description image, also one
// pool allocation, is freed by the same routine (PpdDelete).
void BLOCKOBJ_Delete(PVOID block);

// A new arena with one block, or NULL.
HEAPOBJ* HEAPOBJ_Create();
// `size` bytes from the first block (newest first) that has room, or from a
// new block; NULL, with the arena unchanged, when no block can be had.
// A request of 0 bytes returns the current free position and takes nothing.
PVOID HEAPOBJ_Alloc(HEAPOBJ* heap, ULONG size);
// Gives back every block; the handle goes with the oldest one.
void HEAPOBJ_Delete(HEAPOBJ* heap);
