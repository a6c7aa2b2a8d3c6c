// The colour walk's work on one tile of the print area: 16 lines by 16
// dots, read as 16 runs of 16 neighbouring surface words, run r at
// pTile + r x stride. In portrait run t holds line t; in landscape
// (bTranspose) run r holds dot r of the 16 lines, and the tile is turned
// round. Each pixel is corrected (when pcc is given), then marked (when
// bMark: pure black becomes white with mark 0, every other pixel gets mark
// 0xFF), and gives its four panel bytes: yellow 255 - blue, magenta
// 255 - green, cyan 255 - red, black 255 - mark. Line t's 16 yellow bytes go
// to pbYellow + t x cbLine; its magenta, cyan and (when bMark) black bytes
// are kept in the tile's own memory (KeptTileLine), which the runs no longer
// need once they are read. Built for several instruction sets; each gives
// the bytes that CorrectPixel and the marking give pixel by pixel.
#pragma once

#include "engine/types.h"
#include "output/color_correction.h"

inline constexpr ULONG TILE_DOTS = 16;

// The panels the colour walk keeps in the surface.
enum class KeptPanel {
  Magenta,  // 255 - green
  Cyan,     // 255 - red
  Black,    // 255 - mark: 0xFF for the pixels the marking found pure black
};

// Where line t of a kept panel of a tile lies: the tile's runs of 64 bytes
// hold four lines each, magenta in runs 0 to 3, cyan in 4 to 7, black in 8
// to 11.
inline BYTE* KeptTileLine(DWORD* pTile, ULONG stride, KeptPanel panel, ULONG t) {
  constexpr ULONG kLinesPerRun = 4;
  const ULONG run = static_cast<ULONG>(panel) * (TILE_DOTS / kLinesPerRun) + t / kLinesPerRun;
  return reinterpret_cast<BYTE*>(pTile + run * stride) + (t % kLinesPerRun) * TILE_DOTS;
}

using PFN_COLORTILE = void (*)(DWORD* pTile, ULONG stride, bool bTranspose, BYTE* pbYellow,
                               ULONG cbLine, const COLORCORRECTION* pcc, bool bMark);

// Any processor: the runs go through the correction kernel pcc names.
void ColorTile(DWORD* pTile, ULONG stride, bool bTranspose, BYTE* pbYellow, ULONG cbLine,
               const COLORCORRECTION* pcc, bool bMark);
// x86-64 processors with AVX2 and FMA: the correction worked out in 16-bit lanes,
// 16 pixels side by side (the saturation step in single precision, 8 side by
// side, when its factor is not 1; the pixels too near a boundary for its
// error step by step).
void ColorTileAvx2(DWORD* pTile, ULONG stride, bool bTranspose, BYTE* pbYellow, ULONG cbLine,
                   const COLORCORRECTION* pcc, bool bMark);

// The widest the processor runs.
PFN_COLORTILE WidestColorTile();
