// The colour correction kernel on 8 lanes, built for processors with AVX2.
#include "output/color_lanes.h"

void CorrectLanes8(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc) {
  CorrectLanes<8>(pPixels, cPixels, cc);
}
