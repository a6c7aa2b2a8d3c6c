// The colour correction: its table, its fixed points, colours worked out by
// hand from its steps, and the limits that keep its arithmetic sound.
#include "output/color_correction.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "driver/pdev.h"
#include "output/color_lanes.h"

namespace {

constexpr LONG kNoAdjustment[4] = {0, 0, 0, 0};

TEST(CurveTableTest, IsTheRoundedCube) {
  EXPECT_EQ(curtbl[0], 0);
  EXPECT_EQ(curtbl[31], 0);
  EXPECT_EQ(curtbl[32], 1);
  EXPECT_EQ(curtbl[128], 32);   // 2097152 / 65025 = 32.25
  EXPECT_EQ(curtbl[254], 252);  // 16387064 / 65025 = 252.01
  EXPECT_EQ(curtbl[255], 255);
  for (std::size_t i = 1; i < curtbl.size(); ++i) EXPECT_GE(curtbl[i], curtbl[i - 1]);
}

TEST(ColorCorrectionTest, PureWhiteAndPureBlackStayAsTheyAre) {
  COLORCORRECTION cc = MakeColorCorrection(kNoAdjustment);
  EXPECT_EQ(CorrectPixel(0xFFFFFFFF, cc), 0xFFFFFFFFu);
  EXPECT_EQ(CorrectPixel(0x00FFFFFF, cc), 0x00FFFFFFu);
  EXPECT_EQ(CorrectPixel(0x00000000, cc), 0x00000000u);
  EXPECT_EQ(CorrectPixel(0xFF000000, cc), 0xFF000000u);
}

struct ReferenceColor {
  const char* name;
  DWORD in;  // 0x00BBGGRR
  DWORD out;
};

// Worked through the steps by hand. Red (255, 0, 0): inks y = 255, m = 255,
// c = 0, k = 0; y' = (12 x 255 - 18 x 255 + 255 x 116) >> 7 = 28050 >> 7 =
// 219, m' = (28 x 255 - 14 x 255 + 255 x 100) >> 7 = 29070 >> 7 = 227, c' = 0;
// so R1, G1, B1 = 255, 28, 36; Yl = 96.785, Cb = -34.363, Cr = 112.844;
// R2 = 255.49, G2 = 28.55, B2 = 36.43, truncated 255, 28, 36.
const ReferenceColor kReferenceColors[] = {
    {"Red", 0x000000FF, 0x00241CFF},
    {"Green", 0x0000FF00, 0x0024FF10},
    {"Blue", 0x00FF0000, 0x00FF1C10},
    {"MidGrey", 0x00808080, 0x00899598},
    {"Warm", 0x006496C8, 0x0070AAD5},
    {"NearBlack", 0x00010101, 0x00020202},
    {"MarkByteIgnored", 0xFF0000FF, 0x00241CFF},
};

class ReferenceColorTest : public ::testing::TestWithParam<ReferenceColor> {};

TEST_P(ReferenceColorTest, CorrectsAsWorkedOut) {
  EXPECT_EQ(CorrectPixel(GetParam().in, MakeColorCorrection(kNoAdjustment)), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReferenceColorTest, ::testing::ValuesIn(kReferenceColors),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ColorCorrectionTest, SaturationMinus50GivesGrey) {
  constexpr LONG kGrey[4] = {0, -50, 0, 0};
  COLORCORRECTION cc = MakeColorCorrection(kGrey);
  EXPECT_EQ(CorrectPixel(0x000000FF, cc), 0x00616161u);  // Yl of red: 97.28
  EXPECT_EQ(CorrectPixel(0x006496C8, cc), 0x00B0B0B0u);
  for (DWORD in : {0x00123456u, 0x00FEDCBAu, 0x0000FF00u, 0x00010203u}) {
    DWORD out = CorrectPixel(in, cc);
    EXPECT_EQ(out & 0xFF, (out >> 8) & 0xFF) << std::hex << in;
    EXPECT_EQ(out & 0xFF, (out >> 16) & 0xFF) << std::hex << in;
  }
}

TEST(ColorCorrectionTest, WeightsMoveTheirInk) {
  constexpr LONG kLessCyan[4] = {0, 0, 0, -40};
  constexpr LONG kMoreYellow[4] = {40, 0, 0, 0};
  COLORCORRECTION none = MakeColorCorrection(kNoAdjustment);
  DWORD grey = 0x00808080;
  EXPECT_GT(CorrectPixel(grey, MakeColorCorrection(kLessCyan)) & 0xFF,
            CorrectPixel(grey, none) & 0xFF);
  EXPECT_LT(CorrectPixel(grey, MakeColorCorrection(kMoreYellow)) >> 16,
            CorrectPixel(grey, none) >> 16);
}

TEST(ColorCorrectionTest, AdjustmentsBeyondTheirRangeActAsItsEnds) {
  constexpr LONG kLowest[4] = {INT_MIN, INT_MIN, INT_MIN, INT_MIN};
  constexpr LONG kLowEnd[4] = {-96, -50, -96, -96};
  constexpr LONG kHighest[4] = {INT_MAX, INT_MAX, INT_MAX, INT_MAX};
  constexpr LONG kHighEnd[4] = {96, 50, 96, 96};
  for (DWORD in : {0x00F0F0FAu, 0x00FEFEFEu, 0x00808080u, 0x000000FFu, 0x00010101u}) {
    EXPECT_EQ(CorrectPixel(in, MakeColorCorrection(kLowest)),
              CorrectPixel(in, MakeColorCorrection(kLowEnd)));
    EXPECT_EQ(CorrectPixel(in, MakeColorCorrection(kHighest)),
              CorrectPixel(in, MakeColorCorrection(kHighEnd)));
  }
}

TEST(ColorCorrectionTest, TheLowestWeightsKeepLightColoursLight) {
  // Below -96 an unsigned curve sum would wrap and come out as full ink.
  constexpr LONG kLowestInks[4] = {-1000, 0, -1000, -1000};
  DWORD out = CorrectPixel(0x00F0F0FA, MakeColorCorrection(kLowestInks));
  EXPECT_GT(out & 0xFF, 200u);
  EXPECT_GT((out >> 8) & 0xFF, 200u);
  EXPECT_GT(out >> 16, 200u);
}

// ---- The kernels that correct runs of pixels side by side ----

struct Kernel {
  const char* name;
  PFN_CORRECTRUN pfn;
};

// The kernels this processor can run.
std::vector<Kernel> Kernels() {
  std::vector<Kernel> kernels{{"4 lanes", CorrectLanes4}};
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) kernels.push_back({"8 lanes", CorrectLanes8});
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) {
    kernels.push_back({"16 lanes", CorrectLanes16});
  }
#endif
  return kernels;
}

// Every kernel against the step-by-step correction on the colours from
// first, every stride-th, each with mark byte 0xA5 on top.
void ExpectKernelsMatch(const LONG (&alColor)[4], DWORD stride) {
  COLORCORRECTION cc = MakeColorCorrection(alColor);
  std::vector<DWORD> colors;
  for (DWORD color = 0; color <= 0xFFFFFF; color += stride) colors.push_back(color | 0xA5000000);
  std::vector<DWORD> expected(colors.size());
  for (std::size_t i = 0; i < colors.size(); ++i) expected[i] = CorrectPixel(colors[i], cc);
  for (const Kernel& kernel : Kernels()) {
    std::vector<DWORD> actual = colors;
    kernel.pfn(actual.data(), static_cast<ULONG>(actual.size()), cc);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < colors.size(); ++i) {
      if (actual[i] == expected[i]) continue;
      if (++wrong <= 3) {
        ADD_FAILURE() << kernel.name << ": 0x" << std::hex << colors[i] << " gives 0x" << actual[i]
                      << ", step by step 0x" << expected[i];
      }
    }
    EXPECT_EQ(wrong, 0u) << kernel.name;
  }
}

// Every 61st colour of settings other than the defaults (every colour of
// the defaults goes through the kernels and the separation in
// color_path_test.cpp).
struct KernelCase {
  const char* name;
  LONG alColor[4];
};

const KernelCase kKernelCases[] = {
    {"LowestWeights", {-96, 0, -96, -96}},
    {"HighestWeights", {96, 0, 96, 96}},
    {"Grey", {0, -50, 0, 0}},
    {"LessSaturation", {0, -17, 0, 0}},
    {"MoreSaturation", {10, 23, -30, 40}},
    {"DoubleSaturation", {0, 50, 0, 0}},
};

class CorrectionKernelCaseTest : public ::testing::TestWithParam<KernelCase> {};

TEST_P(CorrectionKernelCaseTest, MatchesTheStepByStepCorrection) {
  ExpectKernelsMatch(GetParam().alColor, 61);
}

INSTANTIATE_TEST_SUITE_P(Cases, CorrectionKernelCaseTest, ::testing::ValuesIn(kKernelCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CorrectionKernelTest, RunsOfAnyLengthAreCorrectedWhole) {
  COLORCORRECTION cc = MakeColorCorrection(kNoAdjustment);
  // Nearly pure primaries take the step-by-step path inside the kernel.
  std::vector<DWORD> colors;
  for (DWORD i = 0; i < 700; ++i)
    colors.push_back(i % 3 == 0 ? 0x00FF0000 : 0x00123456 + i * 0x010203);
  for (const Kernel& kernel : Kernels()) {
    for (ULONG length : {1u, 3u, 15u, 16u, 17u, 255u, 256u, 257u, 700u}) {
      std::vector<DWORD> run(colors.begin(), colors.begin() + length);
      kernel.pfn(run.data(), length, cc);
      for (ULONG i = 0; i < length; ++i) {
        ASSERT_EQ(run[i], CorrectPixel(colors[i], cc))
            << kernel.name << " length " << length << " at " << i;
      }
    }
  }
}

}  // namespace
