// The colour walk's tile on 16-bit lanes, built twice: for processors with
// AVX2 and FMA (color_tile_avx2.cpp), and again for those that also have
// AVX-512 with byte permutes (VBMI; color_tile_avx512.cpp), which look the
// curve up in a table instead of working it out. The correction of 16
// pixels runs in 16-bit lanes, each step exact:
//
// - Each ink v is held as v << 8, straight from the bytes (no shift needed):
//   mulhi(v << 8, v << 8) is v x v, mulhi being the high 16 bits of an
//   unsigned 16 x 16-bit product, and mulhi(v << 8, w << 8) is v w.
// - The curve T[v] is mulhi(mulhi(v x v, v << 8) + 128, 258): checked
//   against the table for every v below when the program is compiled. With
//   byte permutes it is the table itself, 64 values at a time.
// - A curve sum a T[v] - b T[v - k] + v w is below 2^16 and not negative for
//   every v, k and every weight within the device mode's range (checked
//   below), so 16 unsigned bits hold it and the shift by 7 is exact.
// - With the saturation factor 1 the saturation step gives back its input
//   (see color_lanes.h) unless Cb or Cr would be limited, which needs
//   |500 B1 - 169 R1 - 331 G1| or |500 R1 - 418 G1 - 82 B1| above 127000,
//   and so B1 = 255, R1 = 255 or G1 >= 254. The pixels with such a channel
//   (few: nearly pure light colours) are corrected step by step instead.
// - Pure white has no ink and comes out of the curve sums as it went in.
//   Pure black comes out as it went in when no weight is below its
//   default: each sum is then at least 128 x 255. With such weights the
//   sums alone give every pixel's inks (pure white needs telling apart from
//   the limited colours only with the factor 1); with lower ones pure black
//   and white keep their inks.
// - With any other factor the saturation step runs in single precision, 8
//   pixels side by side, and marks the pixels whose result lies too near a
//   whole number for its error (see Saturate8); those are corrected step by
//   step instead. Pure black and white come out of it as they went in.
//
// Internal linkage, and no library templates: no copy built for one
// instruction set may stand in for another.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "driver/pdev.h"
#include "output/color_tile.h"
#include "output/pixel_color.h"
#include "output/tile_bytes.h"

namespace {

constexpr ULONG MulHi(ULONG a, ULONG b) { return (a * b) >> 16; }

constexpr bool CurveIsExactInWords() {
  for (ULONG v = 0; v < curtbl.size(); ++v) {
    if (MulHi(MulHi(v * v, v << 8) + 128, 258) != curtbl[v]) return false;
  }
  return true;
}
static_assert(CurveIsExactInWords());

// The curve rises, so for each v a sum is smallest at d = v (the lowest
// weight) and largest at d = 0 (the highest): those bound every d in 0..v.
constexpr bool SumsFitWords(LONG a, LONG b, LONG base) {
  for (LONG v = 0; v < 256; ++v) {
    if (v > 0 && curtbl[v] < curtbl[v - 1]) return false;
    const LONG smallest = a * curtbl[v] - b * curtbl[v] + v * (base + COLOR_WEIGHT_MIN);
    const LONG largest = a * curtbl[v] + v * (base + COLOR_WEIGHT_MAX);
    if (smallest < 0 || largest > 0xFFFF) return false;
  }
  return true;
}
static_assert(SumsFitWords(12, 18, 116) && SumsFitWords(28, 14, 100) && SumsFitWords(32, 8, 96));
// The factors a and -b are signed bytes, and a T[v] - b T[d] stays within
// 16 signed bits, so the byte multiply-add never saturates.
constexpr bool FactorsFitBytes(LONG a, LONG b) {
  return a <= 127 && b <= 128 && a * 255 <= 0x7FFF && -b * 255 >= -0x8000;
}
static_assert(FactorsFitBytes(12, 18) && FactorsFitBytes(28, 14) && FactorsFitBytes(32, 8));
// Every weight within the device mode's range fits a byte, so w << 8 fits
// 16 unsigned bits.
constexpr bool WeightFitsHighByte(LONG base) {
  return base + COLOR_WEIGHT_MIN >= 0 && base + COLOR_WEIGHT_MAX <= 255;
}
static_assert(WeightFitsHighByte(116) && WeightFitsHighByte(100) && WeightFitsHighByte(96));

__m256i Words(int value) { return _mm256_set1_epi16(static_cast<short>(value)); }

#if defined(__AVX512VBMI__)

// The curve's 256 values in four 64-byte registers: a byte permute of two
// registers takes 128 of them by an index's low 7 bits.
struct CURVE {
  __m512i low0, low1, high0, high1;
};

struct CURVEBYTES {
  alignas(64) BYTE ab[256];
};
constexpr CURVEBYTES kCurveBytes = [] {
  CURVEBYTES bytes{};
  for (ULONG v = 0; v < 256; ++v) bytes.ab[v] = static_cast<BYTE>(curtbl[v]);
  return bytes;
}();

CURVE CurveConstants() {
  auto load = [](ULONG i) { return _mm512_load_si512(kCurveBytes.ab + 64 * i); };
  return {load(0), load(1), load(2), load(3)};
}

// GCC 12 takes the undefined upper half its own 256-bit extracts and
// inserts of 512-bit registers start from for a value used uninitialised.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// T[v] (low byte) and T[v - k] (high byte) of an ink held as v << 8, of k
// held as k << 8, for two runs at once: each lane's bytes v and v - k are
// the index, the bytes below 128 looked up in the first half of the table,
// the others (their top bit set) in the second.
void CurvesOfTwo(__m256i vhA, __m256i khA, __m256i vhB, __m256i khB, const CURVE& curve,
                 __m256i& curvesA, __m256i& curvesB) {
  auto index = [](__m256i vh, __m256i kh) {
    return _mm256_or_si256(_mm256_srli_epi16(vh, 8), _mm256_sub_epi16(vh, kh));
  };
  const __m512i both =
      _mm512_inserti64x4(_mm512_zextsi256_si512(index(vhA, khA)), index(vhB, khB), 1);
  const __mmask64 high = _mm512_movepi8_mask(both);
  // Each permute leaves the bytes it does not look up as they are.
  const __m512i low =
      _mm512_mask2_permutex2var_epi8(curve.low0, both, _knot_mask64(high), curve.low1);
  const __m512i curves = _mm512_mask2_permutex2var_epi8(curve.high0, low, high, curve.high1);
  curvesA = _mm512_castsi512_si256(curves);
  curvesB = _mm512_extracti64x4_epi64(curves, 1);
}

#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#else

// The curve's two constants, 128 and 258, held in registers built once per
// tile: left to itself the compiler builds each again in every run (three
// instructions apiece), the registers being all in use.
struct CURVE {
  __m256i round, scale;
};

CURVE CurveConstants() {
  CURVE curve{Words(128), Words(258)};
  asm("" : "+x"(curve.round), "+x"(curve.scale));
  return curve;
}

// T[v] of an ink held as v << 8.
__m256i Curve(__m256i vh, const CURVE& curve) {
  const __m256i q = _mm256_mulhi_epu16(_mm256_mulhi_epu16(vh, vh), vh);
  return _mm256_mulhi_epu16(_mm256_add_epi16(q, curve.round), curve.scale);
}

// T[v] (low byte) and T[v - k] (high byte) of an ink held as v << 8, of k
// held as k << 8, for two runs.
void CurvesOfTwo(__m256i vhA, __m256i khA, __m256i vhB, __m256i khB, const CURVE& curve,
                 __m256i& curvesA, __m256i& curvesB) {
  auto curves = [&](__m256i vh, __m256i kh) {
    return _mm256_or_si256(Curve(vh, curve),
                           _mm256_slli_epi16(Curve(_mm256_sub_epi16(vh, kh), curve), 8));
  };
  curvesA = curves(vhA, khA);
  curvesB = curves(vhB, khB);
}

#endif

// The reweighted ink before it is limited to 255: (a T[v] - b T[v - k] +
// v w) >> 7, at most 511, of the ink's curves T[v] (low byte) and T[v - k]
// (high byte), v held as v << 8 and the weight as w << 8. Packing to bytes
// limits it (the packing saturates). a T[v] - b T[v - k] is one
// multiply-add of bytes by a and -b, which fit signed bytes; the 16-bit sums
// wrap, and the whole sum lies in 0..0xFFFF.
__m256i Ink(__m256i curves, __m256i vh, int a, int b, __m256i wh) {
  const __m256i weighted = _mm256_maddubs_epi16(curves, Words((a & 0xFF) | ((-b & 0xFF) << 8)));
  return _mm256_srli_epi16(_mm256_add_epi16(weighted, _mm256_mulhi_epu16(vh, wh)), 7);
}

// A run's inks (see HighInks) and, with the correction, their curves.
struct RUNINKS {
  __m256i yh, mh, ch;
  __m256i yCurves, mCurves, cCurves;
};

#if defined(__AVX512VBMI__)

// The bytes of a run's 64 that give each ink, for the high bytes of 16-bit
// lanes: word j takes byte 4j + channel (red 0, green 1, blue 2).
struct INKINDEX {
  alignas(32) BYTE ab[3][32];
};
constexpr INKINDEX kInkIndex = [] {
  INKINDEX index{};
  for (ULONG channel = 0; channel < 3; ++channel) {
    for (ULONG j = 0; j < 16; ++j) {
      index.ab[channel][2 * j + 1] = static_cast<BYTE>(4 * j + channel);
    }
  }
  return index;
}();

// The yellow, magenta and cyan inks (255 less blue, green, red) of a run's
// 16 pixels in the high bytes of 16-bit lanes, in order: the run's bytes
// turned into inks, each ink's 16 bytes taken by one permute of the two
// halves, the low bytes zeroed.
void HighInks(const DWORD* pRun, __m256i& yh, __m256i& mh, __m256i& ch) {
  auto load = [](const DWORD* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  };
  const __m256i ones = _mm256_set1_epi8(-1);
  const __m256i first = _mm256_xor_si256(load(pRun), ones);
  const __m256i second = _mm256_xor_si256(load(pRun + 8), ones);
  auto take = [&](ULONG channel) {
    const __m256i index =
        _mm256_load_si256(reinterpret_cast<const __m256i*>(kInkIndex.ab[channel]));
    return _mm256_maskz_permutex2var_epi8(0xAAAAAAAAu, first, index, second);
  };
  ch = take(0);
  mh = take(1);
  yh = take(2);
}

#else

// The yellow, magenta and cyan inks (255 less blue, green, red) of a run's
// 16 pixels in the high bytes of 16-bit lanes, in order: pixels 0-3 and 4-7
// loaded into the first 128-bit lane, 8-11 and 12-15 into the second, so
// that no step crosses the lanes; each lane's bytes grouped by colour, the
// groups of four paired, turned into inks and widened.
void HighInks(const DWORD* pRun, __m256i& yh, __m256i& mh, __m256i& ch) {
  auto load = [](const DWORD* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  const __m256i group = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, -1, -1, -1, -1,  //
                                         0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, -1, -1, -1, -1);
  const __m256i first = _mm256_shuffle_epi8(_mm256_set_m128i(load(pRun + 8), load(pRun)), group);
  const __m256i second =
      _mm256_shuffle_epi8(_mm256_set_m128i(load(pRun + 12), load(pRun + 4)), group);
  const __m256i ones = _mm256_set1_epi8(-1);
  const __m256i cm = _mm256_xor_si256(_mm256_unpacklo_epi32(first, second), ones);
  const __m256i yx = _mm256_xor_si256(_mm256_unpackhi_epi32(first, second), ones);
  // cm: c 0-7, m 0-7 | c 8-15, m 8-15; yx: y 0-7 | y 8-15.
  const __m256i zero = _mm256_setzero_si256();
  ch = _mm256_unpacklo_epi8(zero, cm);
  mh = _mm256_unpackhi_epi8(zero, cm);
  yh = _mm256_unpacklo_epi8(zero, yx);
}

#endif

// The pixels whose colour difference the saturation step would limit (see
// above): no yellow, no cyan, or magenta 0 or 1.
__m256i Limited(__m256i y2, __m256i m2, __m256i c2) {
  const __m256i least = _mm256_min_epu16(_mm256_min_epu16(y2, c2), _mm256_srli_epi16(m2, 1));
  return _mm256_cmpeq_epi16(least, _mm256_setzero_si256());
}

// The pixels with all three inks at least 255.
__m256i AllFull(__m256i y, __m256i m, __m256i c) {
  return _mm256_cmpgt_epi16(_mm256_min_epu16(_mm256_min_epu16(y, c), m), Words(254));
}

// Whether the curve sum of pure black, a T[255] + 255 w, reaches 128 x 255,
// for every ink.
constexpr bool SumKeepsBlack(int a, ULONG w) { return static_cast<ULONG>(a) + w >= 128; }
bool SumsKeepBlack(const COLORCORRECTION& cc) {
  return SumKeepsBlack(12, cc.ulYellowWeight) && SumKeepsBlack(28, cc.ulMagentaWeight) &&
         SumKeepsBlack(32, cc.ulCyanWeight);
}

__m256i Select(__m256i mask, __m256i ifSet, __m256i ifClear) {
  return _mm256_blendv_epi8(ifClear, ifSet, mask);
}

// The saturation step's factors for one page, each rounded once to single
// precision: the luminance's, Cb's and Cr's weights of R1, G1, B1 (the
// colour differences' multiplied by the factor f first, in double
// precision) and the weights of Cb and Cr in the channels.
struct SATURATION {
  __m256 yR, yG, yB;
  __m256 cbR, cbG, cbB;
  __m256 crR, crG, crB;
  __m256 rCr, gCb, gCr, bCb;
};

SATURATION SaturationOf(double f) {
  auto s = [](double v) { return _mm256_set1_ps(static_cast<float>(v)); };
  return {s(0.299),   s(0.587),   s(0.114),      s(-0.169 * f), s(-0.331 * f),
          s(0.5 * f), s(0.5 * f), s(-0.418 * f), s(-0.082 * f), s(1.402),
          s(-0.346),  s(-0.7145), s(1.771)};
}

// The saturation step in single precision, 8 pixels side by side (32-bit
// lanes), with the pixels whose result it cannot vouch for marked.
//
// Each channel before it is truncated, for instance B = Y + 0.5 + 1.771 Cb
// with Cb = (0.5 B1 - 0.169 R1 - 0.331 G1) f limited to +-127, is worked
// out here with every weight rounded once and three fused multiply-adds
// for Y + 0.5, Cb and Cr each, one or two for the channel. Against the
// exact value of each part (f being the double the per-pixel step uses):
// - Y + 0.5 is off by at most 4u x 255.5 < 6.1e-5 (u = 2^-24; at most four
//   roundings along any product's path, whose values add up to at most
//   255.5); Cb and Cr by at most 4u x 510 < 1.22e-4 (f <= 2, and the
//   weights of R1, G1, B1 in each add up to 1).
// - The per-pixel step (the reference) rounds Y and Cb to single precision
//   (at most 7.7e-6 and 1.6e-5 off; its other roundings are in double
//   precision, below 1e-12), and limiting Y to 0..255 only brings it
//   nearer to its exact value, which lies within 0..255.
// - Limiting to +-127 moves two values no farther apart, so the limited Cb
//   and Cr of the two differ by at most 1.38e-4.
// - A channel then differs from the reference's by at most, for blue,
//   6.1e-5 + 7.7e-6 + 1.771 x 1.38e-4 + u x 1.771 x 127 (its weight's
//   rounding) + u x 481 (the last rounding, the channel being below 481)
//   < 3.6e-4, and less for red and green: below kMargin = 2^-11.
// A channel v whose v - kMargin and v + kMargin truncate alike truncates as
// the reference's does (both sums are exact: v is below 2^13); it is
// limited to 0..255 when it is packed. The others are marked.
constexpr float kMargin = 1.0f / 2048;

[[gnu::always_inline]] inline __m256i Saturate8(__m256i r1, __m256i g1, __m256i b1,
                                                const SATURATION& s, __m256i& r2, __m256i& g2,
                                                __m256i& b2) {
  auto fma = [](__m256 a, __m256 b, __m256 c) { return _mm256_fmadd_ps(a, b, c); };
  auto limit = [](__m256 v) {
    return _mm256_min_ps(_mm256_max_ps(v, _mm256_set1_ps(-127.0f)), _mm256_set1_ps(127.0f));
  };
  auto channel = [](__m256 v, __m256i& whole) {
    const __m256i below = _mm256_cvttps_epi32(_mm256_sub_ps(v, _mm256_set1_ps(kMargin)));
    const __m256i above = _mm256_cvttps_epi32(_mm256_add_ps(v, _mm256_set1_ps(kMargin)));
    whole = below;
    return _mm256_cmpeq_epi32(below, above);
  };
  const __m256 r = _mm256_cvtepi32_ps(r1);
  const __m256 g = _mm256_cvtepi32_ps(g1);
  const __m256 b = _mm256_cvtepi32_ps(b1);
  const __m256 yl = fma(s.yB, b, fma(s.yG, g, fma(s.yR, r, _mm256_set1_ps(0.5f))));
  const __m256 cb = limit(fma(s.cbB, b, fma(s.cbG, g, _mm256_mul_ps(s.cbR, r))));
  const __m256 cr = limit(fma(s.crB, b, fma(s.crG, g, _mm256_mul_ps(s.crR, r))));
  const __m256i sure =
      _mm256_and_si256(_mm256_and_si256(channel(fma(s.rCr, cr, yl), r2),
                                        channel(fma(s.gCr, cr, fma(s.gCb, cb, yl)), g2)),
                       channel(fma(s.bCb, cb, yl), b2));
  return _mm256_xor_si256(sure, _mm256_set1_epi32(-1));
}

// The saturation step on 16 pixels' reweighted inks y', m', c' (16-bit
// lanes, at most 511; in place, as the inks of the result): the light R1,
// G1, B1 is 255 - c', 255 - m', 255 - y' limited at 0, worked out in two
// groups of 8. The pixels it cannot vouch for come back marked.
[[gnu::always_inline]] inline __m256i SaturateInks16(__m256i& y, __m256i& m, __m256i& c,
                                                     const SATURATION& s) {
  const __m256i full = Words(255);
  const __m256i zero = _mm256_setzero_si256();
  const __m256i r1 = _mm256_subs_epu16(full, c);
  const __m256i g1 = _mm256_subs_epu16(full, m);
  const __m256i b1 = _mm256_subs_epu16(full, y);
  // Pixels 0-3 and 8-11 widen into the first group, 4-7 and 12-15 into the
  // second; packing the groups' results puts them back in order.
  auto low = [&](__m256i words) { return _mm256_unpacklo_epi16(words, zero); };
  auto high = [&](__m256i words) { return _mm256_unpackhi_epi16(words, zero); };
  __m256i r2[2], g2[2], b2[2];
  const __m256i unsureLow = Saturate8(low(r1), low(g1), low(b1), s, r2[0], g2[0], b2[0]);
  const __m256i unsureHigh = Saturate8(high(r1), high(g1), high(b1), s, r2[1], g2[1], b2[1]);
  c = _mm256_subs_epu16(full, _mm256_packus_epi32(r2[0], r2[1]));
  m = _mm256_subs_epu16(full, _mm256_packus_epi32(g2[0], g2[1]));
  y = _mm256_subs_epu16(full, _mm256_packus_epi32(b2[0], b2[1]));
  return _mm256_packs_epi32(unsureLow, unsureHigh);
}

// The bytes of two panels' 16-bit lanes, each lane limited to 0..255 by
// the packing: each 128-bit lane holds 8 pixels of the first panel, then
// their 8 of the second (pixels 0-7 in the first lane, 8-15 in the second).
__m256i Packed(__m256i first, __m256i second) { return _mm256_packus_epi16(first, second); }

// Turning a tile round works within the 128-bit lanes, so a tile to be
// turned keeps its packed bytes as they are. Otherwise the lanes are
// reordered to hold the first panel's 16 bytes, then the second's.
template <bool kTurn>
__m256i Bytes(__m256i packed) {
  return kTurn ? packed : _mm256_permute4x64_epi64(packed, 0xD8);
}

// Where pixel i's bytes of the first and second panel lie in Bytes' result.
template <bool kTurn>
constexpr ULONG FirstByte(ULONG i) {
  return kTurn ? i + (i & 8) : i;
}
template <bool kTurn>
constexpr ULONG SecondByte(ULONG i) {
  return kTurn ? i + (i & 8) + 8 : i + 16;
}

// Turns the packed rows of a half tile round: three rounds of interleaving
// rows i and i + 4, within each 128-bit lane. Afterwards row q's lanes hold
// bytes 2q and 2q + 1 of the 8 former rows' lanes, 8 bytes each: rows 0-3
// the first panel's lines 2q and 2q + 1 (first lane) and 8 + 2q and
// 9 + 2q (second lane), rows 4-7 the second panel's lines in the same way.
void TurnHalf(__m256i (&rows)[HALF_DOTS]) {
  for (int round = 0; round < 3; ++round) {
    __m256i next[HALF_DOTS];
    for (ULONG i = 0; i < HALF_DOTS / 2; ++i) {
      next[2 * i] = _mm256_unpacklo_epi8(rows[i], rows[i + 4]);
      next[2 * i + 1] = _mm256_unpackhi_epi8(rows[i], rows[i + 4]);
    }
    for (ULONG i = 0; i < HALF_DOTS; ++i) rows[i] = next[i];
  }
}

// A turned row of the first panel into its lines, pbDots being line 0's
// first dot of the half: lines 2q, 2q + 1, 8 + 2q and 9 + 2q, 8 bytes each.
void StoreTurnedRow(BYTE* pbDots, ULONG cbLine, ULONG q, __m256i row) {
  const __m128i first = _mm256_castsi256_si128(row);
  const __m128i second = _mm256_extracti128_si256(row, 1);
  auto low = [](BYTE* pb, __m128i lines) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pb), lines);
  };
  auto high = [](BYTE* pb, __m128i lines) {
    _mm_storeh_pi(reinterpret_cast<__m64*>(pb), _mm_castsi128_ps(lines));
  };
  low(pbDots + 2 * q * cbLine, first);
  high(pbDots + (2 * q + 1) * cbLine, first);
  low(pbDots + (HALF_DOTS + 2 * q) * cbLine, second);
  high(pbDots + (HALF_DOTS + 2 * q + 1) * cbLine, second);
}

// A turned row of a kept panel into the half's runs: lines 2q and 2q + 1,
// then 8 + 2q and 9 + 2q, each two lines' 8 bytes side by side.
void KeepTurnedRow(DWORD* pTile, ULONG stride, KeptPanel panel, ULONG q, ULONG half, __m256i row) {
  Store16(KeptHalfLine(pTile, stride, panel, 2 * q, half), _mm256_castsi256_si128(row));
  Store16(KeptHalfLine(pTile, stride, panel, HALF_DOTS + 2 * q, half),
          _mm256_extracti128_si256(row, 1));
}

// The pixels of a run marked unsure (16-bit lanes) corrected and marked step
// by step, their bytes put in place in the run's packed rows. Out of line:
// it is seldom taken, and the runs' loop stays small.
template <bool kTurn>
[[gnu::noinline]] void StepByStep(const DWORD* pRun, __m256i unsure, const COLORCORRECTION& cc,
                                  bool bMark, __m256i& ym, __m256i& ck) {
  unsigned stepwise = static_cast<unsigned>(_mm256_movemask_epi8(unsure));  // two bits a pixel
  alignas(32) BYTE abYm[32];
  alignas(32) BYTE abCk[32];
  _mm256_store_si256(reinterpret_cast<__m256i*>(abYm), ym);
  _mm256_store_si256(reinterpret_cast<__m256i*>(abCk), ck);
  for (; stepwise != 0; stepwise &= stepwise - 1) {
    const ULONG i = static_cast<ULONG>(__builtin_ctz(stepwise)) / 2;
    stepwise &= stepwise - 1;
    DWORD pixel = CorrectPixel(pRun[i], cc);
    if (bMark) pixel = Mark(pixel);
    abYm[FirstByte<kTurn>(i)] = static_cast<BYTE>(255 - ((pixel >> 16) & 0xFF));
    abYm[SecondByte<kTurn>(i)] = static_cast<BYTE>(255 - ((pixel >> 8) & 0xFF));
    abCk[FirstByte<kTurn>(i)] = static_cast<BYTE>(255 - (pixel & 0xFF));
    abCk[SecondByte<kTurn>(i)] = static_cast<BYTE>(255 - (pixel >> 24));
  }
  ym = _mm256_load_si256(reinterpret_cast<const __m256i*>(abYm));
  ck = _mm256_load_si256(reinterpret_cast<const __m256i*>(abCk));
}

// The cases a tile is built for, with nothing left to decide in its runs:
// a card's usual one, with the correction on, no weight below its default,
// the saturation factor 1 and the marking on; the same with another
// saturation factor. Anything else is decided as the runs go.
enum class TILECASE { Usual, UsualSaturated, Other };

// The runs the loops below take side by side.
inline constexpr ULONG kRunsTogether = 4;
static_assert(HALF_DOTS % kRunsTogether == 0 && kRunsTogether % 2 == 0);

template <bool kTurn, TILECASE kCase>
void ColorTiles16(DWORD* pTile, ULONG cTiles, BYTE* pbYellow, ULONG cbLine,
                  const COLORCORRECTION* pcc, bool bMarkGiven) {
  // Known when the tile is built, the runs' places are constant offsets.
  constexpr ULONG stride = RunStride(kTurn);
  constexpr bool kUsual = kCase != TILECASE::Other;
  const bool bCorrect = kUsual || pcc != nullptr;
  const bool bSaturate =
      kCase == TILECASE::UsualSaturated || (!kUsual && pcc != nullptr && pcc->dSaturation != 1.0);
  const bool bMark = kUsual || bMarkGiven;
  auto weight = [](ULONG w) { return Words(static_cast<int>(w << 8)); };
  const __m256i wyh = weight(bCorrect ? pcc->ulYellowWeight : 0);
  const __m256i wmh = weight(bCorrect ? pcc->ulMagentaWeight : 0);
  const __m256i wch = weight(bCorrect ? pcc->ulCyanWeight : 0);
  const CURVE curve = CurveConstants();
  const SATURATION saturation = SaturationOf(bSaturate ? pcc->dSaturation : 1.0);
  const bool bSumsKeepBlack = kUsual || (pcc != nullptr && SumsKeepBlack(*pcc));

  // One run's packed bytes: yellow and magenta in ymRow, cyan and black in
  // ckRow.
  auto run = [&](const DWORD* pRun, const RUNINKS& inks, __m256i& ymRow, __m256i& ckRow) {
    const __m256i yh = inks.yh;
    const __m256i mh = inks.mh;
    const __m256i ch = inks.ch;
    __m256i y = _mm256_srli_epi16(yh, 8);
    __m256i m = _mm256_srli_epi16(mh, 8);
    __m256i c = _mm256_srli_epi16(ch, 8);
    // The pixels the steps below cannot vouch for: those of limits that
    // are not exempt.
    __m256i limits = _mm256_setzero_si256();
    __m256i exempt = _mm256_setzero_si256();
    if (bCorrect) {
      __m256i y2 = Ink(inks.yCurves, yh, 12, 18, wyh);
      __m256i m2 = Ink(inks.mCurves, mh, 28, 14, wmh);
      __m256i c2 = Ink(inks.cCurves, ch, 32, 8, wch);
      auto white = [&] {
        return _mm256_cmpeq_epi16(_mm256_or_si256(_mm256_or_si256(yh, mh), ch),
                                  _mm256_setzero_si256());
      };
      if (bSaturate) {
        limits = SaturateInks16(y2, m2, c2, saturation);
      } else {
        limits = Limited(y2, m2, c2);
        exempt = white();
      }
      if (bSumsKeepBlack) {
        y = y2;
        m = m2;
        c = c2;
      } else {
        // Pure white has no ink, pure black all of each.
        const __m256i keep = _mm256_or_si256(white(), AllFull(y, m, c));
        exempt = _mm256_or_si256(exempt, keep);
        y = Select(keep, y, y2);
        m = Select(keep, m, m2);
        c = Select(keep, c, c2);
      }
    }
    __m256i ymPacked = Packed(y, m);
    __m256i ckPacked = Packed(c, _mm256_setzero_si256());
    if (bMark) {
      // Pure black loses its three inks and gets the black panel's 0xFF.
      const __m256i black = AllFull(y, m, c);
      const __m256i blackBytes = _mm256_packs_epi16(black, black);
      ymPacked = _mm256_andnot_si256(blackBytes, ymPacked);
      ckPacked = _mm256_blendv_epi8(ckPacked, _mm256_setr_epi64x(0, -1, 0, -1), blackBytes);
    }
    ymRow = Bytes<kTurn>(ymPacked);
    ckRow = Bytes<kTurn>(ckPacked);

    // The few pixels whose colour difference the saturation step would
    // limit, or whose saturation step was too near a boundary, step by step.
    if (!_mm256_testc_si256(exempt, limits)) {
      StepByStep<kTurn>(pRun, _mm256_andnot_si256(exempt, limits), *pcc, bMark, ymRow, ckRow);
    }
  };

  // Four runs at a time: their inks and curves (two runs' curves at once),
  // then each run's bytes. The runs' work is independent, and side by side
  // the processor overlaps more of it.
  auto runs = [&](const DWORD* pFirst, __m256i* ymRows, __m256i* ckRows) {
    RUNINKS inks[kRunsTogether];
    for (ULONG i = 0; i < kRunsTogether; ++i) {
      HighInks(pFirst + i * stride, inks[i].yh, inks[i].mh, inks[i].ch);
    }
    if (bCorrect) {
      // The grey part k the inks share, held as k << 8.
      auto grey = [](const RUNINKS& run) {
        return _mm256_min_epu16(run.yh, _mm256_min_epu16(run.mh, run.ch));
      };
      for (ULONG i = 0; i < kRunsTogether; i += 2) {
        RUNINKS& a = inks[i];
        RUNINKS& b = inks[i + 1];
        const __m256i ka = grey(a);
        const __m256i kb = grey(b);
        CurvesOfTwo(a.yh, ka, b.yh, kb, curve, a.yCurves, b.yCurves);
        CurvesOfTwo(a.mh, ka, b.mh, kb, curve, a.mCurves, b.mCurves);
        CurvesOfTwo(a.ch, ka, b.ch, kb, curve, a.cCurves, b.cCurves);
      }
    }
    for (ULONG i = 0; i < kRunsTogether; ++i) {
      run(pFirst + i * stride, inks[i], ymRows[i], ckRows[i]);
    }
  };

  if constexpr (kTurn) {
    // Half by half along the whole row of tiles (see KeptHalfLine), so that
    // the runs read close together in time lie in 8 runs' worth of places of
    // the first-level cache. Tile n's yellow lines start at pbYellow + 16n x
    // cbLine, and each half gives 8 dots of each.
    for (ULONG half = 0; half < 2; ++half) {
      for (ULONG n = 0; n < cTiles; ++n) {
        DWORD* pTileN = pTile + n * TILE_DOTS;
        const DWORD* pHalf = pTileN + half * HALF_DOTS * stride;
        __m256i ym[HALF_DOTS];
        __m256i ck[HALF_DOTS];
        for (ULONG r = 0; r < HALF_DOTS; r += kRunsTogether) {
          runs(pHalf + r * stride, ym + r, ck + r);
        }
        TurnHalf(ym);
        TurnHalf(ck);
        BYTE* pbDots = pbYellow + n * TILE_DOTS * cbLine + half * HALF_DOTS;
        for (ULONG q = 0; q < HALF_DOTS / 2; ++q) {
          StoreTurnedRow(pbDots, cbLine, q, ym[q]);
          // The half's runs have been read: their memory now keeps its bytes.
          KeepTurnedRow(pTileN, stride, KeptPanel::Magenta, q, half, ym[4 + q]);
          KeepTurnedRow(pTileN, stride, KeptPanel::Cyan, q, half, ck[q]);
          if (bMark) KeepTurnedRow(pTileN, stride, KeptPanel::Black, q, half, ck[4 + q]);
        }
      }
    }
  } else {
    for (ULONG n = 0; n < cTiles; ++n, pTile += TILE_DOTS, pbYellow += TILE_DOTS) {
      __m256i ym[TILE_DOTS];
      __m256i ck[TILE_DOTS];
      for (ULONG r = 0; r < TILE_DOTS; r += kRunsTogether) {
        runs(pTile + r * stride, ym + r, ck + r);
      }
      // Every run of the tile has been read: its memory now keeps the bytes.
#pragma GCC unroll 16
      for (ULONG t = 0; t < TILE_DOTS; ++t) {
        Store16(pbYellow + t * cbLine, _mm256_castsi256_si128(ym[t]));
        Store16(KeptTileLine(pTile, stride, KeptPanel::Magenta, t),
                _mm256_extracti128_si256(ym[t], 1));
        Store16(KeptTileLine(pTile, stride, KeptPanel::Cyan, t), _mm256_castsi256_si128(ck[t]));
        if (bMark) {
          Store16(KeptTileLine(pTile, stride, KeptPanel::Black, t),
                  _mm256_extracti128_si256(ck[t], 1));
        }
      }
    }
  }
}

// The tile built for the page's case and orientation.
void ColorTilesOfCase(DWORD* pTile, bool bTranspose, ULONG cTiles, BYTE* pbYellow, ULONG cbLine,
                      const COLORCORRECTION* pcc, bool bMark) {
  const bool bUsual = pcc != nullptr && bMark && SumsKeepBlack(*pcc);
  const bool bSaturate = pcc != nullptr && pcc->dSaturation != 1.0;
  using PFN_TILES16 = void (*)(DWORD*, ULONG, BYTE*, ULONG, const COLORCORRECTION*, bool);
  PFN_TILES16 tiles = !bUsual     ? (bTranspose ? ColorTiles16<true, TILECASE::Other>
                                                : ColorTiles16<false, TILECASE::Other>)
                      : bSaturate ? (bTranspose ? ColorTiles16<true, TILECASE::UsualSaturated>
                                                : ColorTiles16<false, TILECASE::UsualSaturated>)
                                  : (bTranspose ? ColorTiles16<true, TILECASE::Usual>
                                                : ColorTiles16<false, TILECASE::Usual>);
  tiles(pTile, cTiles, pbYellow, cbLine, pcc, bMark);
}

}  // namespace
