#include "lib/tracked_heap.h"

#include <limits>

#include "engine/services.h"
#include "lib/pool_tags.h"

namespace {

// One allocation: the link to the node allocated before it, then the
// caller's bytes.
struct HEAPNODE {
  HEAPNODE* next;
};

// The handle: the newest node, head of the list.
struct TRACKEDHEAP {
  HEAPNODE* newest;
};

constexpr ULONG kNodeHeader = sizeof(HEAPNODE);

PVOID Payload(HEAPNODE* node) { return reinterpret_cast<BYTE*>(node) + kNodeHeader; }

}  // namespace

HANDLE HEAPCREATE() {
  auto* heap = static_cast<TRACKEDHEAP*>(EngAllocMem(0, sizeof(TRACKEDHEAP), DRIVER_HEAP_TAG));
  if (heap == nullptr) return nullptr;
  heap->newest = nullptr;
  return heap;
}

PVOID HEAPALLOC(HANDLE hheap, ULONG size) {
  if (size > std::numeric_limits<ULONG>::max() - kNodeHeader) return nullptr;
  auto* heap = static_cast<TRACKEDHEAP*>(hheap);
  auto* node = static_cast<HEAPNODE*>(EngAllocMem(0, kNodeHeader + size, DRIVER_HEAP_TAG));
  if (node == nullptr) return nullptr;
  node->next = heap->newest;
  heap->newest = node;
  return Payload(node);
}

void HEAPFREE(HANDLE hheap, PVOID pv) {
  auto* heap = static_cast<TRACKEDHEAP*>(hheap);
  HEAPNODE* previous = nullptr;
  for (HEAPNODE* node = heap->newest; node != nullptr; previous = node, node = node->next) {
    if (Payload(node) != pv) continue;
    if (previous == nullptr) {
      heap->newest = node->next;
    } else {
      previous->next = node->next;
    }
    EngFreeMem(node);
    return;
  }
}

void HEAPDESTROY(HANDLE hheap) {
  auto* heap = static_cast<TRACKEDHEAP*>(hheap);
  HEAPNODE* node = heap->newest;
  while (node != nullptr) {
    HEAPNODE* older = node->next;
    EngFreeMem(node);
    node = older;
  }
  EngFreeMem(heap);
}
