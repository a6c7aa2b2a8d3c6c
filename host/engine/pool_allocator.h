// The engine's pool memory as the host provides it: every block is counted
// by its four-character tag, and allocations can be made to fail on purpose
// so that tests walk every failure path of the driver.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "engine/types.h"

struct PoolUsage {
  std::size_t blocks = 0;
  std::size_t bytes = 0;
  bool operator==(const PoolUsage&) const = default;
};

// The largest block the pool hands out; a larger request fails, as the
// platform's pool refuses a request it cannot hold instead of reserving
// gigabytes (a registry size value can ask for up to 4 GB).
inline constexpr ULONG kLargestPoolBlock = 256u << 20;

class PoolAllocator {
 public:
  PoolAllocator() = default;
  PoolAllocator(const PoolAllocator&) = delete;
  PoolAllocator& operator=(const PoolAllocator&) = delete;
  ~PoolAllocator();

  PVOID Alloc(ULONG flags, ULONG size, ULONG tag);
  void Free(PVOID block);

  // What is still allocated, by tag and in all.
  PoolUsage Outstanding(ULONG tag) const;
  PoolUsage Outstanding() const;
  std::map<ULONG, PoolUsage> OutstandingByTag() const;

  // Allocations made so far (successful or failed), for choosing an N below.
  std::size_t AllocationCount() const;
  // Makes the allocation with this 1-based number (counted from now) fail.
  void FailNthAllocation(std::size_t n);
  // Makes every allocation with this tag fail.
  void FailTag(ULONG tag);
  void ClearFaults();

 private:
  struct Block {
    std::size_t size;
    ULONG tag;
  };

  mutable std::mutex mutex_;
  std::unordered_map<void*, Block> blocks_;
  std::size_t allocations_ = 0;
  std::optional<std::size_t> fail_at_;
  std::set<ULONG> failing_tags_;
};

// A tag as its four characters in memory order (0x6D737044 is "Dpsm").
std::string TagName(ULONG tag);
