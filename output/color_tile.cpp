#include "output/color_tile.h"

#include <algorithm>
#include <cstring>

#include "output/pixel_color.h"
#include "output/tile_bytes.h"

namespace {

constexpr ULONG TILE = TILE_DOTS;

void ColorTile(DWORD* pTile, bool bTranspose, BYTE* pbYellow, ULONG cbLine,
               const COLORCORRECTION* pcc, bool bMark) {
  const ULONG stride = RunStride(bTranspose);
  BYTE ab[4][TILE][TILE];  // yellow, magenta, cyan, black; run r in row r
  for (ULONG r = 0; r < TILE; ++r) {
    DWORD pixels[TILE];
    std::memcpy(pixels, pTile + r * stride, sizeof pixels);
    if (pcc != nullptr) CorrectPixels(pixels, TILE, *pcc);
    for (ULONG i = 0; i < TILE; ++i) {
      DWORD pixel = pixels[i];
      if (bMark) pixel = Mark(pixel);
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
      if (panel == 0) {
        Store16(pbYellow + t * cbLine, rows[t]);
        continue;
      }
      const auto kept = static_cast<KeptPanel>(panel - 1);
      if (!bTranspose) {
        Store16(KeptTileLine(pTile, stride, kept, t), rows[t]);
        continue;
      }
      BYTE abLine[TILE];
      Store16(abLine, rows[t]);
      for (ULONG half = 0; half < 2; ++half) {
        std::memcpy(KeptHalfLine(pTile, stride, kept, t, half), abLine + half * HALF_DOTS,
                    HALF_DOTS);
      }
    }
  }
}

}  // namespace

void ColorTiles(DWORD* pTile, bool bTranspose, ULONG cTiles, BYTE* pbYellow, ULONG cbLine,
                const COLORCORRECTION* pcc, bool bMark) {
  const ULONG cbNextYellow = bTranspose ? TILE * cbLine : TILE;
  for (ULONG n = 0; n < cTiles; ++n, pTile += TILE, pbYellow += cbNextYellow) {
    ColorTile(pTile, bTranspose, pbYellow, cbLine, pcc, bMark);
  }
}

PFN_COLORTILES WidestColorTiles() {
#if defined(CARDPRINT_WIDE_LANES)
  if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) return ColorTiles;
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi")) {
    return ColorTilesAvx512;
  }
  return ColorTilesAvx2;
#endif
  return ColorTiles;
}
