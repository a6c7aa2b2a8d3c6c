// Compares two byte streams whole. On a difference the failure names the
// first differing offset and both sizes, and shows a hex dump of both
// streams around that offset, so a wrong byte in a command sequence or a
// panel is found at a glance:
//
//   EXPECT_BYTES_EQ(Bytes("\x1b" "PL\r"), writes[0]);
//
// Either side may be any contiguous run of 1-byte elements (std::vector of
// bytes, std::string, std::string_view, std::span). Plain character arrays
// are refused so that a literal's closing NUL never slips into a comparison;
// write them as std::string_view or through Bytes().
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ranges>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

template <typename R>
concept ByteRange = std::ranges::contiguous_range<R> && std::ranges::sized_range<R> &&
                    !std::is_array_v<std::remove_cvref_t<R>> &&
                    sizeof(std::ranges::range_value_t<R>) == 1;

template <ByteRange R>
std::span<const std::uint8_t> AsByteSpan(const R& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(std::ranges::data(bytes)), std::ranges::size(bytes)};
}

// The bytes of a text, embedded NULs included when the view holds them
// (Bytes(std::string_view("A\0B", 3)) or a "..."sv literal).
inline std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

namespace byte_diff_detail {

constexpr std::size_t kRow = 16;

// Rows of 16 bytes from row start first to (excluding) last: offset, hex,
// printable characters; the differing byte is bracketed.
inline void DumpRows(std::string& out, std::span<const std::uint8_t> bytes, std::size_t first,
                     std::size_t last, std::size_t mark) {
  char cell[16];
  for (std::size_t row = first; row < last && row < bytes.size(); row += kRow) {
    std::snprintf(cell, sizeof cell, "  %08zx ", row);
    out += cell;
    std::string text;
    for (std::size_t i = row; i < row + kRow; ++i) {
      if (i < bytes.size()) {
        std::snprintf(cell, sizeof cell, i == mark ? "[%02x]" : " %02x ", bytes[i]);
        out += cell;
        text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
      } else {
        out += "    ";
      }
    }
    out += "  |" + text + "|\n";
  }
}

inline ::testing::AssertionResult Compare(std::span<const std::uint8_t> expected,
                                          std::span<const std::uint8_t> actual) {
  auto [pe, pa] = std::ranges::mismatch(expected, actual);
  if (pe == expected.end() && pa == actual.end()) return ::testing::AssertionSuccess();

  std::size_t at = static_cast<std::size_t>(pe - expected.begin());
  std::size_t first = at / kRow * kRow;
  first = first >= 2 * kRow ? first - 2 * kRow : 0;
  std::size_t last = at / kRow * kRow + 3 * kRow;
  std::string dump;
  dump += "byte streams differ at offset " + std::to_string(at) + " (expected " +
          std::to_string(expected.size()) + " bytes, actual " + std::to_string(actual.size()) +
          " bytes)\nexpected:\n";
  DumpRows(dump, expected, first, last, at);
  dump += "actual:\n";
  DumpRows(dump, actual, first, last, at);
  return ::testing::AssertionFailure() << dump;
}

}  // namespace byte_diff_detail

template <ByteRange E, ByteRange A>
::testing::AssertionResult BytesEqual(const E& expected, const A& actual) {
  return byte_diff_detail::Compare(AsByteSpan(expected), AsByteSpan(actual));
}

#define EXPECT_BYTES_EQ(expected, actual) EXPECT_TRUE(BytesEqual((expected), (actual)))
#define ASSERT_BYTES_EQ(expected, actual) ASSERT_TRUE(BytesEqual((expected), (actual)))
