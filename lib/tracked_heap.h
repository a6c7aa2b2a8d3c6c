// The tracked heap of a device instance: each allocation is its own pool
// allocation, threaded on a list so that single pieces can be given back
// early and everything still outstanding goes back with HEAPDESTROY. The
// handle, the nodes and their list are all tagged DRIVER_HEAP_TAG. No locks:
// the platform calls a device instance from one thread at a time.
//
// Memory is not zeroed; callers that need zeroes clear it themselves.
#pragma once

#include "engine/types.h"

// An empty tracked heap, or NULL.
HANDLE HEAPCREATE();
// `size` bytes, aligned to a pointer, or NULL (the heap is unchanged).
PVOID HEAPALLOC(HANDLE hheap, ULONG size);
// Gives back one allocation of this heap; a pointer the heap does not hold
// (or NULL) is ignored.
void HEAPFREE(HANDLE hheap, PVOID pv);
// Gives back every allocation still held, then the handle.
void HEAPDESTROY(HANDLE hheap);
