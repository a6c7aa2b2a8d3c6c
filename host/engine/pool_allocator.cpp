#include "host/engine/pool_allocator.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/constants.h"

PoolAllocator::~PoolAllocator() {
  for (auto& [block, info] : blocks_) std::free(block);
}

PVOID PoolAllocator::Alloc(ULONG flags, ULONG size, ULONG tag) {
  std::lock_guard lock(mutex_);
  ++allocations_;
  if (fail_at_ && *fail_at_ == allocations_) {
    fail_at_.reset();
    return nullptr;
  }
  if (failing_tags_.contains(tag) || size > kLargestPoolBlock) return nullptr;
  // A zero-byte request still gets a distinct block, as the engine's pool does.
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) return nullptr;
  if (flags & FL_ZERO_MEMORY) std::memset(block, 0, size);
  blocks_.emplace(block, Block{size, tag});
  return block;
}

void PoolAllocator::Free(PVOID block) {
  if (block == nullptr) return;
  std::lock_guard lock(mutex_);
  auto it = blocks_.find(block);
  if (it == blocks_.end()) std::abort();  // freeing what the pool never gave out
  blocks_.erase(it);
  std::free(block);
}

PoolUsage PoolAllocator::Outstanding(ULONG tag) const {
  std::lock_guard lock(mutex_);
  PoolUsage usage;
  for (const auto& [block, info] : blocks_) {
    if (info.tag != tag) continue;
    ++usage.blocks;
    usage.bytes += info.size;
  }
  return usage;
}

PoolUsage PoolAllocator::Outstanding() const {
  std::lock_guard lock(mutex_);
  PoolUsage usage;
  for (const auto& [block, info] : blocks_) {
    ++usage.blocks;
    usage.bytes += info.size;
  }
  return usage;
}

std::map<ULONG, PoolUsage> PoolAllocator::OutstandingByTag() const {
  std::lock_guard lock(mutex_);
  std::map<ULONG, PoolUsage> usage;
  for (const auto& [block, info] : blocks_) {
    auto& entry = usage[info.tag];
    ++entry.blocks;
    entry.bytes += info.size;
  }
  return usage;
}

std::size_t PoolAllocator::AllocationCount() const {
  std::lock_guard lock(mutex_);
  return allocations_;
}

void PoolAllocator::FailNthAllocation(std::size_t n) {
  std::lock_guard lock(mutex_);
  fail_at_ = allocations_ + n;
}

void PoolAllocator::FailTag(ULONG tag) {
  std::lock_guard lock(mutex_);
  failing_tags_.insert(tag);
}

void PoolAllocator::ClearFaults() {
  std::lock_guard lock(mutex_);
  fail_at_.reset();
  failing_tags_.clear();
}

std::string TagName(ULONG tag) {
  std::string name(4, '\0');
  for (int i = 0; i < 4; ++i) name[i] = static_cast<char>((tag >> (8 * i)) & 0xFF);
  return name;
}
