#include "output/color_correction.h"

#include <algorithm>

#include "driver/pdev.h"

COLORCORRECTION MakeColorCorrection(const LONG (&alColor)[4]) {
  auto weight = [](LONG base, LONG value) {
    return static_cast<ULONG>(base + std::clamp(value, COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX));
  };
  LONG lSaturation = std::clamp(alColor[1], COLOR_SATURATION_MIN, COLOR_SATURATION_MAX);
  return {weight(116, alColor[0]), weight(100, alColor[2]), weight(96, alColor[3]),
          (lSaturation + 50) * 0.02};
}

DWORD CorrectPixel(DWORD pixel, const COLORCORRECTION& cc) {
  DWORD color = pixel & 0x00FFFFFF;
  if (color == 0 || color == 0x00FFFFFF) return pixel;

  // Ink amounts and the grey they share.
  ULONG y = 255 - (color >> 16);
  ULONG m = 255 - ((color >> 8) & 0xFF);
  ULONG c = 255 - (color & 0xFF);
  ULONG k = std::min({y, m, c});

  // Reweighted inks, in unsigned 32-bit arithmetic; within the weights'
  // range no sum falls below zero.
  ULONG y2 =
      std::min<ULONG>((12 * curtbl[y] - 18 * curtbl[y - k] + y * cc.ulYellowWeight) >> 7, 255);
  ULONG m2 =
      std::min<ULONG>((28 * curtbl[m] - 14 * curtbl[m - k] + m * cc.ulMagentaWeight) >> 7, 255);
  ULONG c2 = std::min<ULONG>((32 * curtbl[c] - 8 * curtbl[c - k] + c * cc.ulCyanWeight) >> 7, 255);

  // Saturation: the luminance and the blue difference are held in single
  // precision, the red difference and the factor in double precision.
  LONG r1 = static_cast<LONG>(255 - c2);
  LONG g1 = static_cast<LONG>(255 - m2);
  LONG b1 = static_cast<LONG>(255 - y2);
  float yl = static_cast<float>(0.299 * r1 + 0.587 * g1 + 0.114 * b1);
  float cb = static_cast<float>((0.5 * b1 - (0.169 * r1 + 0.331 * g1)) * cc.dSaturation);
  double cr = (0.5 * r1 - 0.418 * g1 - 0.082 * b1) * cc.dSaturation;
  yl = std::clamp(yl, 0.0f, 255.0f);
  cb = std::clamp(cb, -127.0f, 127.0f);
  cr = std::clamp(cr, -127.0, 127.0);

  auto channel = [](double v) {
    return static_cast<DWORD>(std::clamp(static_cast<LONG>(v), 0, 255));
  };
  DWORD r2 = channel(yl + 1.402 * cr + 0.5);
  DWORD g2 = channel(yl - 0.346 * cb - 0.7145 * cr + 0.5);
  DWORD b2 = channel(yl + 1.771 * cb + 0.5);
  return r2 | g2 << 8 | b2 << 16;
}
