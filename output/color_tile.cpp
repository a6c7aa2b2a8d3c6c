#include "output/color_tile.h"

#include <cstring>

#include "output/pixel_color.h"

void TakeTile(const DWORD* pTile, ULONG stride, const COLORCORRECTION* pcc, bool bMark,
              TILEBYTES* pBytes) {
  for (ULONG r = 0; r < TILE_DOTS; ++r) {
    DWORD pixels[TILE_DOTS];
    std::memcpy(pixels, pTile + r * stride, sizeof pixels);
    if (pcc != nullptr) CorrectPixels(pixels, TILE_DOTS, *pcc);
    for (ULONG i = 0; i < TILE_DOTS; ++i) {
      DWORD pixel = pixels[i];
      if (bMark) pixel = IsPureBlack(pixel) ? COLOR_BITS : pixel | 0xFF000000;
      pBytes->y[r][i] = static_cast<BYTE>(255 - ((pixel >> 16) & 0xFF));
      pBytes->m[r][i] = static_cast<BYTE>(255 - ((pixel >> 8) & 0xFF));
      pBytes->c[r][i] = static_cast<BYTE>(255 - (pixel & 0xFF));
      pBytes->k[r][i] = static_cast<BYTE>(255 - (pixel >> 24));
    }
  }
}

PFN_TAKETILE WidestTakeTile() {
#if defined(CARDPRINT_WIDE_LANES)
  if (__builtin_cpu_supports("avx2")) return TakeTileAvx2;
#endif
  return TakeTile;
}
