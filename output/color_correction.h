// The colour correction the card's colours go through before separation:
// each ink (yellow, magenta, cyan) is reweighted along a cubic curve against
// the grey part it shares with the others, then the saturation is scaled in
// a luminance / colour-difference space. Pure black and pure white are left
// as they are.
#pragma once

#include <array>

#include "engine/types.h"

// The cubic curve: entry i is i^3 / 65025 to the nearest integer, rising
// from 0 (entries 0 to 31) to 255.
inline constexpr std::array<WORD, 256> curtbl = [] {
  std::array<WORD, 256> table{};
  for (ULONG i = 0; i < table.size(); ++i)
    table[i] = static_cast<WORD>((i * i * i + 32512) / 65025);
  return table;
}();
static_assert(curtbl[31] == 0 && curtbl[32] == 1 && curtbl[255] == 255);

// The weights and the saturation factor of one page, from the device mode's
// alColor (yellow, saturation, magenta, cyan) limited as the device mode
// limits them (LimitColorAdjustments).
struct COLORCORRECTION;

// Corrects a run of pixels in place; one of several built for different
// vector widths.
using PFN_CORRECTRUN = void (*)(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc);

struct COLORCORRECTION {
  ULONG ulYellowWeight;       // 116 + yellow
  ULONG ulMagentaWeight;      // 100 + magenta
  ULONG ulCyanWeight;         // 96 + cyan
  double dSaturation;         // (saturation + 50) x 0.02: 0 grey, 1 unchanged, 2 doubled
  PFN_CORRECTRUN pfnCorrect;  // the widest the processor runs
};

COLORCORRECTION MakeColorCorrection(const LONG (&alColor)[4]);

// One pixel (0x00BBGGRR; the top byte is not colour) corrected step by step.
// The result's top byte is 0; pure black and pure white come back as given.
DWORD CorrectPixel(DWORD pixel, const COLORCORRECTION& cc);

// Corrects cPixels words in place, each exactly as CorrectPixel would. The
// pixels go through the steps in batches, so that the floating-point steps
// run on several pixels side by side.
void CorrectPixels(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc);
