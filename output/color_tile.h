// The colour walk's work on a row of cTiles tiles of the print area, each
// 16 lines by 16 dots, side by side along the runs: tile n's runs start at
// pTile + 16n, and its yellow at pbYellow + 16n (portrait) or
// pbYellow + 16n x cbLine (landscape). A tile is read as 16 runs of 16
// neighbouring surface words, run r at pTile + r x RunStride(bTranspose).
// In portrait run t holds line t; in landscape (bTranspose) run r holds dot
// r of the 16 lines, and the tile is turned round. Each pixel is corrected
// (when pcc is given), then marked (when bMark: pure black becomes white
// with mark 0, every other pixel gets mark 0xFF), and gives its four panel
// bytes: yellow 255 - blue, magenta 255 - green, cyan 255 - red, black
// 255 - mark.
// A tile's line t gives its 16 yellow bytes to the tile's yellow +
// t x cbLine; its magenta, cyan and (when bMark) black bytes are kept in
// the tile's own memory (KeptTileLine, KeptHalfLine), which the runs no
// longer need once they are read. Built for several instruction sets; each
// gives the bytes that CorrectPixel and the marking give pixel by pixel.
#pragma once

#include "driver/pdev.h"
#include "engine/types.h"
#include "output/color_correction.h"

inline constexpr ULONG TILE_DOTS = 16;

// The words between neighbouring runs of a tile: a line of the frame in
// portrait, a dot's column of it in landscape (bTranspose).
constexpr ULONG RunStride(bool bTranspose) {
  return bTranspose ? ULONG{FRAME_LINES} : ULONG{FRAME_DOTS};
}

// The panels the colour walk keeps in the surface.
enum class KeptPanel {
  Magenta,  // 255 - green
  Cyan,     // 255 - red
  Black,    // 255 - mark: 0xFF for the pixels the marking found pure black
};

// Where line t of a kept panel of a tile lies in portrait: the tile's runs
// of 64 bytes hold four lines each, magenta in runs 0 to 3, cyan in 4 to 7,
// black in 8 to 11.
inline BYTE* KeptTileLine(DWORD* pTile, ULONG stride, KeptPanel panel, ULONG t) {
  constexpr ULONG kLinesPerRun = 4;
  const ULONG run = static_cast<ULONG>(panel) * (TILE_DOTS / kLinesPerRun) + t / kLinesPerRun;
  return reinterpret_cast<BYTE*>(pTile + run * stride) + (t % kLinesPerRun) * TILE_DOTS;
}

// In landscape a tile's runs lie a whole number of pages of memory apart
// (4 KiB), so all 16 compete for one set of the processor's first-level
// data cache, which holds 8. The tile is therefore read and turned in two
// halves of 8 runs, and each half keeps its own 8 dots of every line while
// its runs are still in that cache: half h's runs 8h + 2p and 8h + 2p + 1
// hold kept panel p's lines 0 to 7 and 8 to 15, 8 bytes each. Where those
// 8 bytes of line t lie:
inline constexpr ULONG HALF_DOTS = TILE_DOTS / 2;
inline BYTE* KeptHalfLine(DWORD* pTile, ULONG stride, KeptPanel panel, ULONG t, ULONG half) {
  const ULONG run = half * HALF_DOTS + static_cast<ULONG>(panel) * 2 + t / HALF_DOTS;
  return reinterpret_cast<BYTE*>(pTile + run * stride) + (t % HALF_DOTS) * HALF_DOTS;
}

using PFN_COLORTILES = void (*)(DWORD* pTile, bool bTranspose, ULONG cTiles, BYTE* pbYellow,
                                ULONG cbLine, const COLORCORRECTION* pcc, bool bMark);

// Any processor: the runs go through the correction kernel pcc names.
void ColorTiles(DWORD* pTile, bool bTranspose, ULONG cTiles, BYTE* pbYellow, ULONG cbLine,
                const COLORCORRECTION* pcc, bool bMark);
// x86-64 processors with AVX2 and FMA: the correction worked out in 16-bit lanes,
// 16 pixels side by side (the saturation step in single precision, 8 side by
// side, when its factor is not 1; the pixels too near a boundary for its
// error step by step).
void ColorTilesAvx2(DWORD* pTile, bool bTranspose, ULONG cTiles, BYTE* pbYellow, ULONG cbLine,
                    const COLORCORRECTION* pcc, bool bMark);
// x86-64 processors that also have AVX-512 (F, BW, VL) with byte permutes
// (VBMI): the same, the curve looked up 64 values at a time.
void ColorTilesAvx512(DWORD* pTile, bool bTranspose, ULONG cTiles, BYTE* pbYellow, ULONG cbLine,
                      const COLORCORRECTION* pcc, bool bMark);

// The widest the processor runs.
PFN_COLORTILES WidestColorTiles();
