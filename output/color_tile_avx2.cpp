// The colour walk's tile for processors with AVX2 and FMA.
#include "output/color_tile_kernel.h"

void ColorTilesAvx2(DWORD* pTile, bool bTranspose, ULONG cTiles, BYTE* pbYellow, ULONG cbLine,
                    const COLORCORRECTION* pcc, bool bMark) {
  ColorTilesOfCase(pTile, bTranspose, cTiles, pbYellow, cbLine, pcc, bMark);
}
