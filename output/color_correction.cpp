#include "output/color_correction.h"

#include <algorithm>
#include <cstring>

#include "driver/pdev.h"
#include "output/color_lanes.h"
#include "output/pixel_color.h"
#include "settings/devmode_ranges.h"

namespace {

struct RGB {
  LONG r, g, b;
};

// Steps 1 to 3: the inks and the grey they share, each ink reweighted along
// the curve in unsigned 32-bit arithmetic (within the weights' range no sum
// falls below zero) and limited to 255, then turned back into light.
RGB ReweightInks(DWORD color, const COLORCORRECTION& cc) {
  ULONG y = 255 - (color >> 16);
  ULONG m = 255 - ((color >> 8) & 0xFF);
  ULONG c = 255 - (color & 0xFF);
  ULONG k = std::min({y, m, c});
  ULONG y2 =
      std::min<ULONG>((12 * curtbl[y] - 18 * curtbl[y - k] + y * cc.ulYellowWeight) >> 7, 255);
  ULONG m2 =
      std::min<ULONG>((28 * curtbl[m] - 14 * curtbl[m - k] + m * cc.ulMagentaWeight) >> 7, 255);
  ULONG c2 = std::min<ULONG>((32 * curtbl[c] - 8 * curtbl[c - k] + c * cc.ulCyanWeight) >> 7, 255);
  return {static_cast<LONG>(255 - c2), static_cast<LONG>(255 - m2), static_cast<LONG>(255 - y2)};
}

// Steps 4 and 5: the saturation, with the luminance and the blue difference
// held in single precision and the red difference and the factor in double
// precision, then back to light, each channel truncated and limited.
RGB Saturate(RGB in, double dSaturation) {
  float yl = static_cast<float>(0.299 * in.r + 0.587 * in.g + 0.114 * in.b);
  float cb = static_cast<float>((0.5 * in.b - (0.169 * in.r + 0.331 * in.g)) * dSaturation);
  double cr = (0.5 * in.r - 0.418 * in.g - 0.082 * in.b) * dSaturation;
  yl = std::clamp(yl, 0.0f, 255.0f);
  cb = std::clamp(cb, -127.0f, 127.0f);
  cr = std::clamp(cr, -127.0, 127.0);
  auto channel = [](double v) { return std::clamp(static_cast<LONG>(v), 0, 255); };
  return {channel(yl + 1.402 * cr + 0.5), channel(yl - 0.346 * cb - 0.7145 * cr + 0.5),
          channel(yl + 1.771 * cb + 0.5)};
}

DWORD Pack(RGB rgb) {
  return static_cast<DWORD>(rgb.r) | static_cast<DWORD>(rgb.g) << 8 |
         static_cast<DWORD>(rgb.b) << 16;
}

PFN_CORRECTRUN WidestCorrectRun() {
#if defined(CARDPRINT_WIDE_LANES)
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) {
    return CorrectLanes16;
  }
  if (__builtin_cpu_supports("avx2")) return CorrectLanes8;
#endif
  return CorrectLanes4;
}

}  // namespace

COLORCORRECTION MakeColorCorrection(const LONG (&alColor)[4]) {
  LONG alLimited[4] = {alColor[0], alColor[1], alColor[2], alColor[3]};
  LimitColorAdjustments(alLimited);
  return {static_cast<ULONG>(116 + alLimited[0]), static_cast<ULONG>(100 + alLimited[2]),
          static_cast<ULONG>(96 + alLimited[3]), (alLimited[1] + 50) * 0.02, WidestCorrectRun()};
}

DWORD SaturateLight(LONG r1, LONG g1, LONG b1, double dSaturation) {
  return Pack(Saturate({r1, g1, b1}, dSaturation));
}

DWORD CorrectPixel(DWORD pixel, const COLORCORRECTION& cc) {
  if (IsBlackOrWhite(pixel)) return pixel;
  return Pack(Saturate(ReweightInks(pixel & COLOR_BITS, cc), cc.dSaturation));
}

void CorrectLanes4(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc) {
  CorrectLanes<4>(pPixels, cPixels, cc);
}

void CorrectPixels(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc) {
  cc.pfnCorrect(pPixels, cPixels, cc);
}
