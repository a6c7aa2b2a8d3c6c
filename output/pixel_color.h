// The colour bits of a surface pixel 0x00BBGGRR (the top byte is a mark,
// not colour) and the two tests on them that the correction and the
// separation make, written once for one pixel and for vectors of pixels
// alike: on a vector type (32-bit lanes) a test gives all ones in the lanes
// where it holds and 0 elsewhere, on one pixel a value other than 0. Then
// the separation's marking of one pixel.
//
// Internal linkage, as the kernels built for wider instruction sets include
// this too: no copy built for one instruction set may stand in for another.
#pragma once

#include "engine/types.h"

inline constexpr DWORD COLOR_BITS = 0x00FFFFFF;

namespace {

// Pure black: every colour bit 0.
template <typename Pixels>
[[gnu::always_inline]] inline auto IsPureBlack(const Pixels& pixels) {
  return (pixels & static_cast<LONG>(COLOR_BITS)) == 0;
}

// Pure black or pure white, the colours the correction leaves as they are.
template <typename Pixels>
[[gnu::always_inline]] inline auto IsBlackOrWhite(const Pixels& pixels) {
  Pixels color = pixels & static_cast<LONG>(COLOR_BITS);
  return (color == 0) | (color == static_cast<LONG>(COLOR_BITS));
}

// The marking: pure black becomes white with mark 0 (its black panel byte
// 0xFF), every other pixel gets mark 0xFF.
inline DWORD Mark(DWORD pixel) { return IsPureBlack(pixel) ? COLOR_BITS : pixel | 0xFF000000; }

}  // namespace
