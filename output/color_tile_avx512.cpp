// The colour walk's tile for processors with AVX-512 byte permutes (VBMI),
// the curve taken from its table.
#include "output/color_tile_kernel.h"

void ColorTilesAvx512(DWORD* pTile, bool bTranspose, ULONG cTiles, BYTE* pbYellow, ULONG cbLine,
                      const COLORCORRECTION* pcc, bool bMark) {
  ColorTilesOfCase(pTile, bTranspose, cTiles, pbYellow, cbLine, pcc, bMark);
}
