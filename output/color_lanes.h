// The colour correction on several pixels side by side, with the same
// results as CorrectPixel, pixel for pixel:
//
// - The curve is computed in single precision as (v^3 + 32512) x (1 / 65025)
//   truncated: every intermediate value is an integer below 2^24, and the
//   rounded product truncates to the table's entry for every v (checked
//   below when the program is compiled).
// - The curve sums are integers below 2^24 as well, so single precision
//   holds them exactly; within the weights' range they are not negative, so
//   multiplying by 1/128 and truncating is the shift by 7.
// - With the saturation factor 1 the saturation step gives back its input.
//   With N = 299 R1 + 587 G1 + 114 B1, M = 500 B1 - 169 R1 - 331 G1 and
//   L = 500 R1 - 418 G1 - 82 B1, the luminance is N / 1000 (its rounding to
//   single precision moves it by less than 2e-5), Cb is M / 1000 and Cr is
//   L / 1000, and the three channels before truncation come to
//     R1 + 0.5 + (0.964 G1 - 0.964 B1) / 1000,
//     G1 + 0.5 + (0.224 R1 + 0.187 G1 - 0.411 B1) / 1000,
//     B1 + 0.5 + (-0.299 R1 + 0.799 G1 - 0.5 B1) / 1000,
//   each within 0.25 of R1 + 0.5, G1 + 0.5 and B1 + 0.5: truncation gives
//   R1, G1 and B1 back. That holds while Cb and Cr stay within -127..127,
//   that is while |M| and |L| are at most 127000; the few colours beyond
//   (nearly pure primaries) take the step-by-step path.
// - Any other saturation factor takes the step-by-step saturation per pixel.
//
// The kernel is a template over the number of lanes, compiled once per
// vector width in files of their own (the wider ones with the instruction
// sets they need); everything here has internal linkage so that no copy
// built for a wider instruction set can stand in for another.
#pragma once

#include "engine/types.h"
#include "output/color_correction.h"
#include "output/pixel_color.h"

// The kernel for each vector width; 8 and 16 lanes exist on x86-64 only, for
// processors with AVX2, respectively AVX-512 (F, DQ, BW, VL).
void CorrectLanes4(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc);
void CorrectLanes8(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc);
void CorrectLanes16(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc);

// The step-by-step saturation of R1, G1, B1, packed as a pixel.
DWORD SaturateLight(LONG r1, LONG g1, LONG b1, double dSaturation);

namespace {

constexpr float CURVE_SCALE = 1.0f / 65025;

constexpr WORD CurveInSinglePrecision(ULONG v) {
  float fv = static_cast<float>(v);
  return static_cast<WORD>((fv * fv * fv + 32512.0f) * CURVE_SCALE);
}

constexpr bool CurveIsExactInSinglePrecision() {
  for (ULONG v = 0; v < curtbl.size(); ++v) {
    if (CurveInSinglePrecision(v) != curtbl[v]) return false;
  }
  return true;
}
static_assert(CurveIsExactInSinglePrecision());

template <int W>
struct Lanes {
  typedef LONG Int __attribute__((vector_size(W * 4)));
  typedef float Float __attribute__((vector_size(W * 4)));
};

// Whether any lane of v is not 0: the upper half is folded onto the lower
// one until four lanes are left, all in registers.
template <typename Int>
inline bool AnyLane(const Int& v) {
  if constexpr (sizeof(Int) == 64) {
    return AnyLane(__builtin_shufflevector(v, v, 0, 1, 2, 3, 4, 5, 6, 7) |
                   __builtin_shufflevector(v, v, 8, 9, 10, 11, 12, 13, 14, 15));
  } else if constexpr (sizeof(Int) == 32) {
    return AnyLane(__builtin_shufflevector(v, v, 0, 1, 2, 3) |
                   __builtin_shufflevector(v, v, 4, 5, 6, 7));
  } else {
    return (v[0] | v[1] | v[2] | v[3]) != 0;
  }
}

template <typename Float, typename Int>
inline Float Curve(const Float& v) {
  return __builtin_convertvector(__builtin_convertvector((v * v * v + 32512.0f) * CURVE_SCALE, Int),
                                 Float);
}

// One reweighted ink, as light: 255 - min((a T[v] - b T[v - k] + v w) >> 7, 255).
template <typename Float, typename Int>
inline Float InkToLight(const Float& v, const Float& k, float a, float b, float w) {
  Float sum = a * Curve<Float, Int>(v) - b * Curve<Float, Int>(v - k) + v * w;
  Float ink = __builtin_convertvector(__builtin_convertvector(sum * (1.0f / 128), Int), Float);
  return 255.0f - (ink < 255.0f ? ink : Float{} + 255.0f);
}

// R1, G1, B1 of W pixels, and the lanes to keep as they are (pure black and
// pure white).
template <int W>
inline void ReweightLanes(const typename Lanes<W>::Int& pixel, float wy, float wm, float wc,
                          typename Lanes<W>::Int& keep, typename Lanes<W>::Float& r1,
                          typename Lanes<W>::Float& g1, typename Lanes<W>::Float& b1) {
  using Int = typename Lanes<W>::Int;
  using Float = typename Lanes<W>::Float;
  Int color = pixel & static_cast<LONG>(COLOR_BITS);
  keep = IsBlackOrWhite(pixel);
  Float y = __builtin_convertvector(255 - (color >> 16), Float);
  Float m = __builtin_convertvector(255 - ((color >> 8) & 0xFF), Float);
  Float c = __builtin_convertvector(255 - (color & 0xFF), Float);
  Float k = y < m ? y : m;
  k = c < k ? c : k;
  b1 = InkToLight<Float, Int>(y, k, 12.0f, 18.0f, wy);
  g1 = InkToLight<Float, Int>(m, k, 28.0f, 14.0f, wm);
  r1 = InkToLight<Float, Int>(c, k, 32.0f, 8.0f, wc);
}

// Pixels are taken in chunks; the few that need the step-by-step path keep
// their colour through the chunk, their lanes are noted, and they are done
// at the chunk's end, so that the lanes are looked at once per chunk.
constexpr ULONG CPIXELS_CHUNK = 256;

template <int W>
void CorrectLanes(DWORD* pPixels, ULONG cPixels, const COLORCORRECTION& cc) {
  using Int = typename Lanes<W>::Int;
  using Float = typename Lanes<W>::Float;
  const float wy = static_cast<float>(cc.ulYellowWeight);
  const float wm = static_cast<float>(cc.ulMagentaWeight);
  const float wc = static_cast<float>(cc.ulCyanWeight);
  const double dSaturation = cc.dSaturation;

  ULONG i = 0;
  if (dSaturation == 1.0) {
    while (i + W <= cPixels) {
      ULONG cChunk = (cPixels - i) / W * W;
      cChunk = cChunk < CPIXELS_CHUNK ? cChunk : CPIXELS_CHUNK;
      LONG alStepwise[CPIXELS_CHUNK];
      Int any = Int{};
      for (ULONG l = 0; l < cChunk; l += W) {
        Int pixel, keep;
        Float r1, g1, b1;
        __builtin_memcpy(&pixel, pPixels + i + l, sizeof pixel);
        ReweightLanes<W>(pixel, wy, wm, wc, keep, r1, g1, b1);
        Float mm = 500.0f * b1 - 169.0f * r1 - 331.0f * g1;
        Float ll = 500.0f * r1 - 418.0f * g1 - 82.0f * b1;
        Int limited = (mm > 127000.0f) | (mm < -127000.0f) | (ll > 127000.0f) | (ll < -127000.0f);
        Int stepwise = limited & ~keep;
        Int light = __builtin_convertvector(r1, Int) | __builtin_convertvector(g1, Int) << 8 |
                    __builtin_convertvector(b1, Int) << 16;
        Int result = (keep | stepwise) ? pixel : light;
        __builtin_memcpy(pPixels + i + l, &result, sizeof result);
        __builtin_memcpy(alStepwise + l, &stepwise, sizeof stepwise);
        any |= stepwise;
      }
      if (AnyLane(any)) {
        for (ULONG l = 0; l < cChunk; ++l) {
          if (alStepwise[l]) pPixels[i + l] = CorrectPixel(pPixels[i + l], cc);
        }
      }
      i += cChunk;
    }
  } else {
    for (; i + W <= cPixels; i += W) {
      Int pixel, keep;
      Float r1, g1, b1;
      __builtin_memcpy(&pixel, pPixels + i, sizeof pixel);
      ReweightLanes<W>(pixel, wy, wm, wc, keep, r1, g1, b1);
      LONG alKeep[W];
      float ar[W], ag[W], ab[W];
      __builtin_memcpy(alKeep, &keep, sizeof alKeep);
      __builtin_memcpy(ar, &r1, sizeof ar);
      __builtin_memcpy(ag, &g1, sizeof ag);
      __builtin_memcpy(ab, &b1, sizeof ab);
      for (int l = 0; l < W; ++l) {
        if (alKeep[l]) continue;
        pPixels[i + l] = SaturateLight(static_cast<LONG>(ar[l]), static_cast<LONG>(ag[l]),
                                       static_cast<LONG>(ab[l]), dSaturation);
      }
    }
  }
  for (; i < cPixels; ++i) pPixels[i] = CorrectPixel(pPixels[i], cc);
}

}  // namespace
