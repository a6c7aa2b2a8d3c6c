#include "output/color_tile.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "output/pixel_color.h"

namespace {

constexpr ULONG TILE = TILE_DOTS;

#if defined(__SSE2__)

using Bytes16 = __m128i;

Bytes16 Load16(const BYTE* pb) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(pb)); }
void Store16(BYTE* pb, Bytes16 bytes) { _mm_storeu_si128(reinterpret_cast<__m128i*>(pb), bytes); }

// Turns a tile of 16 rows of 16 bytes round: afterwards row t holds byte t
// of every former row. Four rounds of interleaving rows i and i + 8.
void TransposeTile(Bytes16 (&rows)[TILE]) {
  for (int round = 0; round < 4; ++round) {
    __m128i next[TILE];
    for (ULONG i = 0; i < TILE / 2; ++i) {
      next[2 * i] = _mm_unpacklo_epi8(rows[i], rows[i + 8]);
      next[2 * i + 1] = _mm_unpackhi_epi8(rows[i], rows[i + 8]);
    }
    std::copy(next, next + TILE, rows);
  }
}

#else

struct Bytes16 {
  BYTE ab[TILE];
};

Bytes16 Load16(const BYTE* pb) {
  Bytes16 bytes;
  std::memcpy(bytes.ab, pb, TILE);
  return bytes;
}
void Store16(BYTE* pb, const Bytes16& bytes) { std::memcpy(pb, bytes.ab, TILE); }

void TransposeTile(Bytes16 (&rows)[TILE]) {
  for (ULONG i = 0; i < TILE; ++i) {
    for (ULONG j = i + 1; j < TILE; ++j) std::swap(rows[i].ab[j], rows[j].ab[i]);
  }
}

#endif

}  // namespace

void ColorTile(DWORD* pTile, ULONG stride, bool bTranspose, BYTE* pbYellow, ULONG cbLine,
               const COLORCORRECTION* pcc, bool bMark) {
  BYTE ab[4][TILE][TILE];  // yellow, magenta, cyan, black; run r in row r
  for (ULONG r = 0; r < TILE; ++r) {
    DWORD pixels[TILE];
    std::memcpy(pixels, pTile + r * stride, sizeof pixels);
    if (pcc != nullptr) CorrectPixels(pixels, TILE, *pcc);
    for (ULONG i = 0; i < TILE; ++i) {
      DWORD pixel = pixels[i];
      if (bMark) pixel = IsPureBlack(pixel) ? COLOR_BITS : pixel | 0xFF000000;
      ab[0][r][i] = static_cast<BYTE>(255 - ((pixel >> 16) & 0xFF));
      ab[1][r][i] = static_cast<BYTE>(255 - ((pixel >> 8) & 0xFF));
      ab[2][r][i] = static_cast<BYTE>(255 - (pixel & 0xFF));
      ab[3][r][i] = static_cast<BYTE>(255 - (pixel >> 24));
    }
  }
  const int cPanels = bMark ? 4 : 3;
  for (int panel = 0; panel < cPanels; ++panel) {
    Bytes16 rows[TILE];
    for (ULONG r = 0; r < TILE; ++r) rows[r] = Load16(ab[panel][r]);
    if (bTranspose) TransposeTile(rows);
    // Every run of the tile has been read: its memory now keeps the bytes.
    for (ULONG t = 0; t < TILE; ++t) {
      BYTE* pbLine = panel == 0 ? pbYellow + t * cbLine
                                : KeptTileLine(pTile, stride, static_cast<KeptPanel>(panel - 1), t);
      Store16(pbLine, rows[t]);
    }
  }
}

PFN_COLORTILE WidestColorTile() {
#if defined(CARDPRINT_WIDE_LANES)
  if (__builtin_cpu_supports("avx2")) return ColorTileAvx2;
#endif
  return ColorTile;
}
