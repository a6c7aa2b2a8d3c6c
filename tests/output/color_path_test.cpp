// The fast colour path against the per-pixel one. The fast path walks the
// surface once in tiles, correcting each run of pixels with a vector kernel
// (each one this processor runs, the portable 4-lane one always), marking it
// and taking all four panels' bytes, and keeps magenta, cyan and black in the
// surface until they are taken out; the per-pixel path corrects each pixel
// step by step (CorrectPixel), marks it and takes its panel bytes dot by dot.
// Both must give the same panels for every colour.
//
// Every one of the 2^24 colours goes through every kernel at the default
// settings; at a non-default saturation and at both weight limits every 13th
// colour does (13 is prime to 256, so each channel takes every value against
// ever-changing partners). The per-pixel results are worked out once per
// batch of one surface and compared with each kernel's panels a whole batch
// at a time, so that the debug and sanitizer builds finish in seconds.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/pdev.h"
#include "output/color_correction.h"
#include "output/color_lanes.h"
#include "output/color_tile.h"
#include "output/panel_separation.h"

namespace {

using ByteVector = std::vector<std::uint8_t>;

constexpr ULONG kDots = 656;
constexpr ULONG kLines = 1024;
constexpr ULONG kSurfaceWords = kDots * kLines;

// A tile kernel, with the correction kernel it runs the pixels through
// (the AVX2 and AVX-512 tiles work the correction out themselves).
struct Kernel {
  const char* name;
  PFN_CORRECTRUN pfn;
  PFN_COLORTILES pfnTiles;
};

// The kernels this processor can run; the portable ones run everywhere.
std::vector<Kernel> Kernels() {
  std::vector<Kernel> kernels{{"portable tile, 4 lanes", CorrectLanes4, ColorTiles}};
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) {
    kernels.push_back({"portable tile, AVX2 8 lanes", CorrectLanes8, ColorTiles});
  }
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
    kernels.push_back({"AVX2 tile, 16-bit lanes", CorrectLanes4, ColorTilesAvx2});
  }
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) {
    kernels.push_back({"portable tile, AVX-512 16 lanes", CorrectLanes16, ColorTiles});
  }
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi")) {
    kernels.push_back({"AVX-512 tile, curve table", CorrectLanes4, ColorTilesAvx512});
  }
#endif
  return kernels;
}

// The marking, pixel by pixel: pure black becomes white with mark 0, every
// other pixel gets mark 0xFF.
std::uint32_t Marked(std::uint32_t pixel) {
  return (pixel & 0x00FFFFFF) == 0 ? 0x00FFFFFF : pixel | 0xFF000000;
}

// The panels of a print area: yellow, magenta, cyan and, with the marking,
// black.
struct Panels {
  ByteVector y, m, c, k;
};

std::vector<std::uint32_t> Corrected(const std::vector<std::uint32_t>& dots,
                                     const COLORCORRECTION& cc) {
  std::vector<std::uint32_t> corrected;
  corrected.reserve(dots.size());
  for (std::uint32_t dot : dots) corrected.push_back(CorrectPixel(dot, cc));
  return corrected;
}

Panels PerPixelPanels(const std::vector<std::uint32_t>& corrected, bool mark) {
  std::size_t size = corrected.size();
  Panels p{ByteVector(size), ByteVector(size), ByteVector(size), ByteVector(mark ? size : 0)};
  for (std::size_t i = 0; i < size; ++i) {
    std::uint32_t pixel = mark ? Marked(corrected[i]) : corrected[i];
    p.y[i] = static_cast<std::uint8_t>(255 - ((pixel >> 16) & 0xFF));
    p.m[i] = static_cast<std::uint8_t>(255 - ((pixel >> 8) & 0xFF));
    p.c[i] = static_cast<std::uint8_t>(255 - (pixel & 0xFF));
    if (mark) p.k[i] = static_cast<std::uint8_t>(255 - (pixel >> 24));
  }
  return p;
}

// The dots of a print area at 0, 0 laid out in a landscape surface (the
// rest white), so that the walk meets them in their order: line i, dot j is
// word j x 1024 + i.
std::vector<std::uint32_t> LandscapeSurface(const std::vector<std::uint32_t>& dots) {
  std::vector<std::uint32_t> bits(kSurfaceWords, 0x00FFFFFF);
  for (std::size_t n = 0; n < dots.size(); ++n) bits[n % kDots * kLines + n / kDots] = dots[n];
  return bits;
}

// The fast path over the surface bits: the colour walk (correcting with the
// kernel), then the panels it kept.
Panels FastPanels(std::vector<std::uint32_t>& bits, bool landscape, const PRINTAREA& rc,
                  COLORCORRECTION cc, const Kernel& kernel, bool mark) {
  cc.pfnCorrect = kernel.pfn;
  std::size_t size = std::size_t{rc.cx} * rc.cy;
  Panels p{ByteVector(size), ByteVector(size), ByteVector(size), {}};
  DWORD* pBits = reinterpret_cast<DWORD*>(bits.data());
  SeparateColorPanels(p.y.data(), pBits, landscape, rc, &cc, mark, kernel.pfnTiles);
  TakeKeptPanel(p.m.data(), pBits, landscape, rc, KeptPanel::Magenta);
  TakeKeptPanel(p.c.data(), pBits, landscape, rc, KeptPanel::Cyan);
  if (mark) {
    p.k.resize(size);
    TakeKeptPanel(p.k.data(), pBits, landscape, rc, KeptPanel::Black);
  }
  return p;
}

// The first dot where two panels differ, and the colour it came from.
void ExpectSamePanel(const char* panel, const ByteVector& fast, const ByteVector& expected,
                     const std::vector<std::uint32_t>& dots) {
  if (fast == expected) return;
  std::size_t at = 0;
  while (at < fast.size() && at < expected.size() && fast[at] == expected[at]) ++at;
  if (at == fast.size() || at == expected.size()) {
    ADD_FAILURE() << panel << " panel has " << fast.size() << " bytes, not " << expected.size();
    return;
  }
  ADD_FAILURE() << panel << " panel differs first at dot " << at << ", colour 0x" << std::hex
                << (at < dots.size() ? dots[at] : 0u) << ": 0x" << int{fast[at]} << " against 0x"
                << int{expected[at]} << " pixel by pixel";
}

void ExpectSamePanels(const Panels& fast, const Panels& expected,
                      const std::vector<std::uint32_t>& dots) {
  ExpectSamePanel("yellow", fast.y, expected.y, dots);
  ExpectSamePanel("magenta", fast.m, expected.m, dots);
  ExpectSamePanel("cyan", fast.c, expected.c, dots);
  ExpectSamePanel("black", fast.k, expected.k, dots);
}

struct Setting {
  const char* name;
  LONG alColor[4];  // yellow, saturation, magenta, cyan
  std::uint32_t stride;
};

const Setting kSettings[] = {
    {"Defaults", {0, 0, 0, 0}, 1},
    {"LessSaturation", {0, -17, 0, 0}, 13},
    {"LowestWeights", {-96, 0, -96, -96}, 13},
    {"HighestWeights", {96, 0, 96, 96}, 13},
    {"RaisedWeights", {5, 0, 40, 1}, 13},
    {"OneWeightBelowItsDefault", {0, 0, -1, 0}, 13},
    {"Saturation20", {0, 20, 0, 0}, 1},
    {"Saturation20RaisedWeights", {5, 20, 40, 1}, 13},
    {"LeastSaturation", {0, -50, 0, 0}, 1},
    {"MostSaturation", {0, 50, -96, 96}, 1},
    {"SaturationOneAbove", {0, 1, 0, 0}, 3},
    {"SaturationOneBelow", {0, -1, 0, 0}, 3},
};

class ColorPathTest : public ::testing::TestWithParam<Setting> {};

// The colours, a surface of them at a time in portrait (the last one filled
// up with white), through the whole fast path with each kernel, marked as
// a page with the black panel does it; in landscape with each kernel that
// has a tile of its own, and the last one listed (the portable tile turns
// landscape tiles alike for every correction kernel); and unmarked, as a
// page without the black panel does it, with the portable kernel and the
// last one.
TEST_P(ColorPathTest, EveryColourGivesThePerPixelPanels) {
  const Setting& s = GetParam();
  const COLORCORRECTION cc = MakeColorCorrection(s.alColor);
  const std::vector<Kernel> kernels = Kernels();
  std::uint64_t color = 0;
  while (color <= 0xFFFFFF) {
    std::vector<std::uint32_t> dots;
    dots.reserve(kSurfaceWords);
    for (; color <= 0xFFFFFF && dots.size() < kSurfaceWords; color += s.stride) {
      // A mark byte left from earlier is not colour.
      dots.push_back(static_cast<std::uint32_t>(color) | 0xA5000000);
    }
    dots.resize((dots.size() + kDots - 1) / kDots * kDots, 0x00FFFFFF);
    const PRINTAREA rc{0, 0, static_cast<WORD>(kDots), static_cast<WORD>(dots.size() / kDots)};
    const std::vector<std::uint32_t> corrected = Corrected(dots, cc);
    const Panels marked = PerPixelPanels(corrected, true);

    std::vector<std::uint32_t> bits;
    for (const Kernel& kernel : kernels) {
      SCOPED_TRACE(kernel.name);
      bits = dots;
      ExpectSamePanels(FastPanels(bits, false, rc, cc, kernel, true), marked, dots);
    }
    for (const Kernel& kernel : kernels) {
      if (kernel.pfnTiles == ColorTiles && &kernel != &kernels.back()) continue;
      SCOPED_TRACE(std::string(kernel.name) + ", landscape");
      bits = LandscapeSurface(dots);
      ExpectSamePanels(FastPanels(bits, true, rc, cc, kernel, true), marked, dots);
    }
    const Panels unmarked = PerPixelPanels(corrected, false);
    for (const Kernel& kernel : {kernels.front(), kernels.back()}) {
      SCOPED_TRACE(std::string(kernel.name) + ", unmarked");
      bits = dots;
      ExpectSamePanels(FastPanels(bits, false, rc, cc, kernel, false), unmarked, dots);
    }
    if (HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, ColorPathTest, ::testing::ValuesIn(kSettings),
                         [](const auto& info) { return std::string(info.param.name); });

// Print areas that leave parts of tiles at their edges, in both
// orientations, and a whole landscape card: the tiles and the dot-by-dot
// remainder walk the same dots as the printer's frame says (portrait: word
// (y + i) x 656 + x + j; landscape: word (x + j) x 1024 + y + i). With the
// usual correction, the usual one with a saturation, and one with a weight
// below its default: the widest kernel is built for each of these cases.
TEST(ColorPathTest, PartialTilesAreSeparatedAsTheWalkSays) {
  struct Area {
    bool landscape;
    PRINTAREA rc;
  };
  const Area areas[] = {
      {false, {5, 7, 37, 45}},   {true, {5, 7, 37, 45}},      {false, {3, 9, 100, 70}},
      {true, {6, 1, 97, 83}},    {true, {640, 1008, 16, 16}}, {false, {655, 1023, 1, 1}},
      {true, {0, 0, 656, 1024}},
  };
  constexpr LONG kCorrections[][4] = {{0, 0, 0, 0}, {0, 20, 0, 0}, {10, 23, -30, 40}};
  std::vector<std::uint32_t> noise(kSurfaceWords);
  std::uint32_t seed = 7;
  for (std::uint32_t& word : noise) {
    seed = seed * 1103515245u + 12345u;
    std::uint32_t pick = seed >> 24;
    word = pick < 8 ? 0 : pick < 16 ? 0x00FFFFFF : (seed >> 4) & 0x00FFFFFF;
  }
  for (const LONG(&alColor)[4] : kCorrections) {
    const COLORCORRECTION cc = MakeColorCorrection(alColor);
    for (const Kernel& kernel : Kernels()) {
      for (const Area& area : areas) {
        const PRINTAREA& rc = area.rc;
        SCOPED_TRACE(std::string(kernel.name) + (area.landscape ? " landscape " : " portrait ") +
                     std::to_string(rc.x) + "," + std::to_string(rc.y) + "," +
                     std::to_string(rc.cx) + "," + std::to_string(rc.cy) + ", saturation " +
                     std::to_string(alColor[1]));
        std::vector<std::uint32_t> walked;
        for (std::size_t i = 0; i < rc.cy; ++i) {
          for (std::size_t j = 0; j < rc.cx; ++j) {
            walked.push_back(noise[area.landscape ? (rc.x + j) * kLines + rc.y + i
                                                  : (rc.y + i) * kDots + rc.x + j]);
          }
        }
        std::vector<std::uint32_t> bits = noise;
        ExpectSamePanels(FastPanels(bits, area.landscape, rc, cc, kernel, true),
                         PerPixelPanels(Corrected(walked, cc), true), walked);
      }
    }
  }
}

}  // namespace
