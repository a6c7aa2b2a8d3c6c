// The colour walk's work on one tile of the page: 16 runs of 16 pixels, run
// r at pTile + r x stride. Each pixel is corrected (when pcc is given), then
// marked (when bMark: pure black becomes white with mark 0, every other pixel
// gets mark 0xFF), and gives its four panel bytes: yellow 255 - blue,
// magenta 255 - green, cyan 255 - red, black 255 - mark. The pixels are
// only read. Built for several instruction sets; each gives the bytes that
// CorrectPixel and the marking give pixel by pixel.
#pragma once

#include "engine/types.h"
#include "output/color_correction.h"

inline constexpr ULONG TILE_DOTS = 16;

// Run r's bytes in row r of each panel.
struct TILEBYTES {
  alignas(16) BYTE y[TILE_DOTS][TILE_DOTS];
  alignas(16) BYTE m[TILE_DOTS][TILE_DOTS];
  alignas(16) BYTE c[TILE_DOTS][TILE_DOTS];
  alignas(16) BYTE k[TILE_DOTS][TILE_DOTS];
};

using PFN_TAKETILE = void (*)(const DWORD* pTile, ULONG stride, const COLORCORRECTION* pcc, bool bMark,
                              TILEBYTES* pBytes);

// Any processor: the runs go through the correction kernel pcc names.
void TakeTile(const DWORD* pTile, ULONG stride, const COLORCORRECTION* pcc, bool bMark,
              TILEBYTES* pBytes);
// x86-64 processors with AVX2: the correction worked out in 16-bit lanes,
// 16 pixels side by side (the saturation step in double precision, 4 side by
// side, when its factor is not 1).
void TakeTileAvx2(const DWORD* pTile, ULONG stride, const COLORCORRECTION* pcc, bool bMark,
                  TILEBYTES* pBytes);

// The widest the processor runs.
PFN_TAKETILE WidestTakeTile();
