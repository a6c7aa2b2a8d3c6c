// Takes values off the front of a fuzz input, in the order a target reads
// its fields. Past the end a value reads as zero and a run of bytes as
// empty, so every input, however short, is a complete case.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

  bool empty() const { return rest_.empty(); }

  // The next sizeof(T) bytes as a T in the machine's byte order.
  template <typename T>
  requires std::is_trivially_copyable_v<T> T Take() {
    T value{};
    std::span<const std::uint8_t> bytes = TakeBytes(sizeof value);
    if (!bytes.empty()) std::memcpy(&value, bytes.data(), bytes.size());
    return value;
  }

  // The next count bytes, or fewer when the input ends first.
  std::span<const std::uint8_t> TakeBytes(std::size_t count) {
    std::span<const std::uint8_t> bytes = rest_.first(std::min(count, rest_.size()));
    rest_ = rest_.subspan(bytes.size());
    return bytes;
  }

  std::span<const std::uint8_t> Rest() { return TakeBytes(rest_.size()); }

 private:
  std::span<const std::uint8_t> rest_;
};
