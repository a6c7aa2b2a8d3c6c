// Bit arrays in a device instance's tracked heap.
#include <cstring>

#include "lib/tracked_heap.h"
#include "ppd/queries.h"

namespace {

// The bytes of an array of cBits bits, count included. At most 2^29 + 4, so
// the size of any count fits a ULONG.
ULONG BitArraySize(ULONG cBits) {
  return static_cast<ULONG>((ULONG_PTR{cBits} + 7) / 8 + sizeof(BITARRAY));
}

}  // namespace

BITARRAY* BitArrayCreate(HANDLE hHeap, ULONG cBits) {
  const ULONG size = BitArraySize(cBits);
  auto* array = static_cast<BITARRAY*>(HEAPALLOC(hHeap, size));
  if (array == nullptr) return nullptr;
  array->cBits = cBits;
  std::memset(BitArrayBits(array), 0, size - sizeof(BITARRAY));
  return array;
}

BITARRAY* BitArrayDuplicate(HANDLE hHeap, const BITARRAY* pArray) {
  if (pArray == nullptr) return nullptr;
  const ULONG size = BitArraySize(pArray->cBits);
  auto* copy = static_cast<BITARRAY*>(HEAPALLOC(hHeap, size));
  if (copy != nullptr) std::memcpy(copy, pArray, size);
  return copy;
}
