#include "output/panel_separation.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "output/pixel_color.h"
#include "output/tile_bytes.h"

namespace {

// The print area is walked in tiles of 16 lines by 16 dots, each read as 16
// runs of 16 neighbouring surface words, RunStride words apart (see
// output/color_tile.h). The dots beside the whole tiles are taken one by one.
constexpr ULONG TILE = TILE_DOTS;

struct AREA {
  DWORD* pBits;
  bool bLandscape;
  ULONG x, y, cx, cy;

  ULONG RunStride() const { return ::RunStride(bLandscape); }
  // The word of line i, dot j; a tile's first run starts at its first line
  // and first dot.
  DWORD* Dot(ULONG i, ULONG j) const {
    return bLandscape ? pBits + (x + j) * ULONG{FRAME_LINES} + y + i
                      : pBits + (y + i) * ULONG{FRAME_DOTS} + x + j;
  }
  ULONG WholeLines() const { return cy / TILE * TILE; }
  ULONG WholeDots() const { return cx / TILE * TILE; }
};

AREA AreaOf(const DWORD* pBits, bool bLandscape, const PRINTAREA& rc) {
  return {const_cast<DWORD*>(pBits), bLandscape, rc.x, rc.y, rc.cx, rc.cy};
}

BYTE Ink(DWORD pixel, int shift) { return static_cast<BYTE>(255 - ((pixel >> shift) & 0xFF)); }
constexpr int YELLOW_SHIFT = 16;
constexpr int MAGENTA_SHIFT = 8;
constexpr int CYAN_SHIFT = 0;
constexpr int MARK_SHIFT = 24;

int ShiftOf(KeptPanel panel) {
  switch (panel) {
    case KeptPanel::Magenta:
      return MAGENTA_SHIFT;
    case KeptPanel::Cyan:
      return CYAN_SHIFT;
    case KeptPanel::Black:
      return MARK_SHIFT;
  }
  return 0;
}

#if defined(__SSE2__)

// 4 pixels as 32-bit lanes, for the pixel tests.
typedef LONG Pixels4 __attribute__((vector_size(16)));

__m128i IsPureBlack4(__m128i pixels) {
  return reinterpret_cast<__m128i>(IsPureBlack(reinterpret_cast<Pixels4>(pixels)));
}

Bytes16 PureBlack16(const DWORD* pRun) {
  const __m128i low = _mm_set1_epi32(0xFF);
  __m128i taken[4];
  for (int q = 0; q < 4; ++q) {
    __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pRun + 4 * q));
    taken[q] = _mm_and_si128(IsPureBlack4(pixels), low);
  }
  return _mm_packus_epi16(_mm_packs_epi32(taken[0], taken[1]), _mm_packs_epi32(taken[2], taken[3]));
}

#else

Bytes16 PureBlack16(const DWORD* pRun) {
  Bytes16 bytes;
  for (ULONG i = 0; i < TILE; ++i) bytes.ab[i] = IsPureBlack(pRun[i]) ? 0xFF : 0x00;
  return bytes;
}

#endif

// Calls dot(i, j) for every dot of the area outside its whole tiles.
template <typename Dot>
void ForEachEdgeDot(const AREA& area, Dot dot) {
  const ULONG cyTiles = area.WholeLines();
  const ULONG cxTiles = area.WholeDots();
  for (ULONG i = 0; i < cyTiles; ++i) {
    for (ULONG j = cxTiles; j < area.cx; ++j) dot(i, j);
  }
  for (ULONG i = cyTiles; i < area.cy; ++i) {
    for (ULONG j = 0; j < area.cx; ++j) dot(i, j);
  }
}

// Calls tile(i0, j0, pTile) for every whole tile, in memory order of the
// runs' first words.
template <typename Tile>
void ForEachTile(const AREA& area, Tile tile) {
  const ULONG cyTiles = area.WholeLines();
  const ULONG cxTiles = area.WholeDots();
  if (area.bLandscape) {
    for (ULONG j0 = 0; j0 < cxTiles; j0 += TILE) {
      for (ULONG i0 = 0; i0 < cyTiles; i0 += TILE) tile(i0, j0, area.Dot(i0, j0));
    }
  } else {
    for (ULONG i0 = 0; i0 < cyTiles; i0 += TILE) {
      for (ULONG j0 = 0; j0 < cxTiles; j0 += TILE) tile(i0, j0, area.Dot(i0, j0));
    }
  }
}

}  // namespace

void SeparateColorPanels(BYTE* pbYellow, DWORD* pBits, bool bLandscape, const PRINTAREA& rc,
                         const COLORCORRECTION* pcc, bool bMark, PFN_COLORTILES pfnColorTiles) {
  const AREA area = AreaOf(pBits, bLandscape, rc);
  // The whole tiles in rows along the runs: a column of the print area's
  // tiles in landscape, a row of them in portrait.
  const ULONG cyTiles = area.WholeLines();
  const ULONG cxTiles = area.WholeDots();
  if (bLandscape) {
    for (ULONG j0 = 0; j0 < cxTiles; j0 += TILE) {
      pfnColorTiles(area.Dot(0, j0), true, cyTiles / TILE, pbYellow + j0, area.cx, pcc, bMark);
    }
  } else {
    for (ULONG i0 = 0; i0 < cyTiles; i0 += TILE) {
      pfnColorTiles(area.Dot(i0, 0), false, cxTiles / TILE, pbYellow + i0 * area.cx, area.cx, pcc,
                    bMark);
    }
  }
  // The dots beside the tiles stay pixels, corrected and marked in place.
  ForEachEdgeDot(area, [&](ULONG i, ULONG j) {
    DWORD* pPixel = area.Dot(i, j);
    DWORD pixel = pcc != nullptr ? CorrectPixel(*pPixel, *pcc) : *pPixel;
    if (bMark) pixel = Mark(pixel);
    *pPixel = pixel;
    pbYellow[i * area.cx + j] = Ink(pixel, YELLOW_SHIFT);
  });
}

void TakeKeptPanel(BYTE* pbPanel, const DWORD* pBits, bool bLandscape, const PRINTAREA& rc,
                   KeptPanel panel) {
  const AREA area = AreaOf(pBits, bLandscape, rc);
  const ULONG stride = area.RunStride();
  ForEachTile(area, [&](ULONG i0, ULONG j0, DWORD* pTile) {
    for (ULONG t = 0; t < TILE; ++t) {
      BYTE* pbLine = pbPanel + (i0 + t) * area.cx + j0;
      if (!bLandscape) {
        std::memcpy(pbLine, KeptTileLine(pTile, stride, panel, t), TILE);
        continue;
      }
      for (ULONG half = 0; half < 2; ++half) {
        std::memcpy(pbLine + half * HALF_DOTS, KeptHalfLine(pTile, stride, panel, t, half),
                    HALF_DOTS);
      }
    }
  });
  const int shift = ShiftOf(panel);
  ForEachEdgeDot(area,
                 [&](ULONG i, ULONG j) { pbPanel[i * area.cx + j] = Ink(*area.Dot(i, j), shift); });
}

void SeparatePureBlack(BYTE* pbPanel, const DWORD* pBits, bool bLandscape, const PRINTAREA& rc) {
  const AREA area = AreaOf(pBits, bLandscape, rc);
  const ULONG stride = area.RunStride();
  ForEachTile(area, [&](ULONG i0, ULONG j0, DWORD* pTile) {
    Bytes16 k[TILE];
    for (ULONG r = 0; r < TILE; ++r) k[r] = PureBlack16(pTile + r * stride);
    if (bLandscape) TransposeTile(k);
    for (ULONG t = 0; t < TILE; ++t) Store16(pbPanel + (i0 + t) * area.cx + j0, k[t]);
  });
  ForEachEdgeDot(area, [&](ULONG i, ULONG j) {
    pbPanel[i * area.cx + j] = IsPureBlack(*area.Dot(i, j)) ? 0xFF : 0x00;
  });
}
