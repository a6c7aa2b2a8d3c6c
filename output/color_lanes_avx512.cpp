// The colour correction kernel on 16 lanes, built for processors with
// AVX-512 (F, DQ, BW, VL).
#include "output/color_lanes.h"

void CorrectLanes16(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc) {
  CorrectLanes<16>(pPixels, cPixels, cc);
}
