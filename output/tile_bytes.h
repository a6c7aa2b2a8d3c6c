// A tile's rows of TILE_DOTS bytes (one panel's dots of a run), loaded,
// stored and turned round a whole tile at a time: SSE2 registers where the
// processor has them, plain bytes elsewhere, with the same results.
//
// Internal linkage, as the kernels built for wider instruction sets include
// this too: no copy built for one instruction set may stand in for another.
#pragma once

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "output/color_tile.h"

static_assert(TILE_DOTS == 16, "a tile's row of bytes is one 16-byte register");

namespace {

#if defined(__SSE2__)

using Bytes16 = __m128i;

inline Bytes16 Load16(const BYTE* pb) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb));
}
inline void Store16(BYTE* pb, Bytes16 bytes) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(pb), bytes);
}

// Turns a tile of 16 rows of 16 bytes round: afterwards row t holds byte t
// of every former row. Four rounds of interleaving rows i and i + 8.
inline void TransposeTile(Bytes16 (&rows)[TILE_DOTS]) {
  for (int round = 0; round < 4; ++round) {
    __m128i next[TILE_DOTS];
    for (ULONG i = 0; i < TILE_DOTS / 2; ++i) {
      next[2 * i] = _mm_unpacklo_epi8(rows[i], rows[i + 8]);
      next[2 * i + 1] = _mm_unpackhi_epi8(rows[i], rows[i + 8]);
    }
    std::copy(next, next + TILE_DOTS, rows);
  }
}

#else

struct Bytes16 {
  BYTE ab[TILE_DOTS];
};

inline Bytes16 Load16(const BYTE* pb) {
  Bytes16 bytes;
  std::memcpy(bytes.ab, pb, TILE_DOTS);
  return bytes;
}
inline void Store16(BYTE* pb, const Bytes16& bytes) { std::memcpy(pb, bytes.ab, TILE_DOTS); }

inline void TransposeTile(Bytes16 (&rows)[TILE_DOTS]) {
  for (ULONG i = 0; i < TILE_DOTS; ++i) {
    for (ULONG j = i + 1; j < TILE_DOTS; ++j) std::swap(rows[i].ab[j], rows[j].ab[i]);
  }
}

#endif

}  // namespace
