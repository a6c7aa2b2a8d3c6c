#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/constants.h"
#include "engine/services.h"
#include "support/host_fixture.h"

namespace {

// A bitmap made through the engine services, deleted at the end of the test;
// pixels are addressed in device coordinates (y downwards) whatever the row
// order in memory.
class Bitmap {
 public:
  Bitmap(HostEngine& engine, LONG cx, LONG cy, ULONG format = BMF_32BPP, FLONG fl = 0)
      : engine_(engine) {
    hsurf_ = EngCreateBitmap(SIZEL{cx, cy}, 0, format, fl, nullptr);
    so_ = engine_.SurfaceObject(hsurf_);
  }
  ~Bitmap() { EngDeleteSurface(hsurf_); }

  SURFOBJ* so() const { return so_; }

  std::uint32_t& At(LONG x, LONG y) const {
    return reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(so_->pvScan0) +
                                            static_cast<std::ptrdiff_t>(y) * so_->lDelta)[x];
  }
  // Colour bits only: the host does not promise what the top byte holds.
  std::uint32_t Color(LONG x, LONG y) const { return At(x, y) & 0xFFFFFF; }
  void FillAll(std::uint32_t pixel) const {
    for (LONG y = 0; y < so_->sizlBitmap.cy; ++y)
      for (LONG x = 0; x < so_->sizlBitmap.cx; ++x) At(x, y) = pixel;
  }
  // 24-bit sources hold blue, green, red bytes.
  void Set24(LONG x, LONG y, BYTE r, BYTE g, BYTE b) const {
    BYTE* p =
        static_cast<BYTE*>(so_->pvScan0) + static_cast<std::ptrdiff_t>(y) * so_->lDelta + x * 3;
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }

 private:
  HostEngine& engine_;
  HSURF hsurf_;
  SURFOBJ* so_;
};

using SurfaceTest = HostEngineTest;

TEST_F(SurfaceTest, BottomUpBitmapStartsAtItsTopImageRowWithANegativeDelta) {
  std::vector<std::uint32_t> pixels(5 * 3);
  HSURF bottom_up = EngCreateBitmap(SIZEL{5, 3}, 20, BMF_32BPP, 0, pixels.data());
  HSURF top_down = EngCreateBitmap(SIZEL{5, 3}, 20, BMF_32BPP, BMF_TOPDOWN, pixels.data());
  SURFOBJ* up = engine.SurfaceObject(bottom_up);
  SURFOBJ* down = engine.SurfaceObject(top_down);
  ASSERT_NE(up, nullptr);
  ASSERT_NE(down, nullptr);

  EXPECT_EQ(up->pvBits, pixels.data());
  EXPECT_EQ(up->pvScan0, pixels.data() + 10);
  EXPECT_EQ(up->lDelta, -20);
  EXPECT_EQ(up->cjBits, 60u);
  EXPECT_EQ(up->fjBitmap, 0);
  EXPECT_EQ(down->pvScan0, pixels.data());
  EXPECT_EQ(down->lDelta, 20);
  EXPECT_EQ(down->fjBitmap, BMF_TOPDOWN);
  EXPECT_EQ(up->iBitmapFormat, BMF_32BPP);
  EXPECT_EQ(up->iType, STYPE_BITMAP);
  EXPECT_EQ(up->sizlBitmap.cx, 5);
  EXPECT_EQ(up->sizlBitmap.cy, 3);

  EXPECT_TRUE(EngDeleteSurface(bottom_up));
  EXPECT_FALSE(EngDeleteSurface(bottom_up));
  EXPECT_TRUE(EngDeleteSurface(top_down));
  EXPECT_EQ(engine.surfaces().OpenSurfaces(), 0u);
}

TEST_F(SurfaceTest, RefusesWhatItCannotLayOut) {
  std::vector<std::uint32_t> pixels(16);
  EXPECT_EQ(EngCreateBitmap(SIZEL{4, 4}, 16, BMF_8BPP, 0, pixels.data()), nullptr);
  EXPECT_EQ(EngCreateBitmap(SIZEL{0, 4}, 16, BMF_32BPP, 0, pixels.data()), nullptr);
  EXPECT_EQ(EngCreateBitmap(SIZEL{4, 4}, 15, BMF_32BPP, 0, pixels.data()), nullptr);
  // Sizes the platform cannot describe (more than 2^31 - 1 bytes) are refused
  // before anything is allocated: no exception reaches the caller.
  EXPECT_EQ(EngCreateBitmap(SIZEL{0x40000000, 0x40000000}, 0, BMF_32BPP, 0, nullptr), nullptr);
  EXPECT_EQ(EngCreateBitmap(SIZEL{0x7FFFFFFF, 2}, 0, BMF_24BPP, 0, nullptr), nullptr);
  EXPECT_EQ(EngCreateBitmap(SIZEL{4, 4}, -16, BMF_32BPP, 0, pixels.data()), nullptr);
  EXPECT_EQ(engine.surfaces().OpenSurfaces(), 0u);
}

TEST_F(SurfaceTest, AssociatingWithADeviceGivesTheSurfaceItsInstance) {
  int instance = 0;
  HDEV hdev = engine.CreateDevice(&instance);
  Bitmap bitmap(engine, 2, 2);
  HSURF hsurf = bitmap.so()->hsurf;
  EXPECT_TRUE(EngAssociateSurface(hsurf, hdev, HOOK_BITBLT | HOOK_STRETCHBLT));
  EXPECT_EQ(bitmap.so()->hdev, hdev);
  EXPECT_EQ(bitmap.so()->dhpdev, &instance);
  EXPECT_EQ(engine.surfaces().Hooks(hsurf), HOOK_BITBLT | HOOK_STRETCHBLT);
  EXPECT_FALSE(EngAssociateSurface(hsurf, reinterpret_cast<HDEV>(0x1), 0));
}

using BitBltTest = HostEngineTest;

TEST_F(BitBltTest, SolidOperationsFillTheClippedRectangleInDeviceCoordinates) {
  Bitmap target(engine, 6, 4);  // bottom-up
  target.FillAll(0x00123456);
  BRUSHOBJ brush{0x00336699, nullptr, 0};
  RECTL rect{1, 0, 5, 2};
  CLIPOBJ clip{};
  clip.iDComplexity = DC_RECT;
  clip.rclBounds = RECTL{2, 1, 6, 4};

  ASSERT_TRUE(EngBitBlt(target.so(), nullptr, nullptr, &clip, nullptr, &rect, nullptr, nullptr,
                        &brush, nullptr, ROP4_PATCOPY));
  for (LONG y = 0; y < 4; ++y) {
    for (LONG x = 0; x < 6; ++x) {
      bool inside = x >= 2 && x < 5 && y == 1;
      EXPECT_EQ(target.Color(x, y), inside ? 0x336699u : 0x123456u) << x << "," << y;
    }
  }
  // Device row 0 of a bottom-up bitmap is the last row in memory.
  RECTL top_row{0, 0, 6, 1};
  ASSERT_TRUE(EngBitBlt(target.so(), nullptr, nullptr, nullptr, nullptr, &top_row, nullptr, nullptr,
                        nullptr, nullptr, ROP4_BLACKNESS));
  auto* memory = static_cast<std::uint32_t*>(target.so()->pvBits);
  EXPECT_EQ(memory[3 * 6] & 0xFFFFFF, 0u);
  EXPECT_EQ(memory[0] & 0xFFFFFF, 0x123456u);

  RECTL all{0, 0, 6, 4};
  ASSERT_TRUE(EngBitBlt(target.so(), nullptr, nullptr, nullptr, nullptr, &all, nullptr, nullptr,
                        nullptr, nullptr, ROP4_WHITENESS));
  EXPECT_EQ(target.Color(0, 0), 0xFFFFFFu);
  EXPECT_EQ(target.Color(5, 3), 0xFFFFFFu);
}

TEST_F(BitBltTest, CopiesFrom24And32BitSourcesInTheSurfacePixelLayout) {
  Bitmap target(engine, 4, 3, BMF_32BPP, BMF_TOPDOWN);
  target.FillAll(0x00FFFFFF);
  Bitmap source24(engine, 3, 2, BMF_24BPP);  // rows of 9 bytes, padded
  source24.Set24(0, 0, 0x11, 0x22, 0x33);
  source24.Set24(1, 0, 0x44, 0x55, 0x66);
  source24.Set24(2, 1, 0x77, 0x88, 0x99);
  RECTL rect{1, 1, 4, 3};
  POINTL origin{0, 0};
  ASSERT_TRUE(EngBitBlt(target.so(), source24.so(), nullptr, nullptr, nullptr, &rect, &origin,
                        nullptr, nullptr, nullptr, ROP4_SRCCOPY));
  EXPECT_EQ(target.Color(1, 1), 0x332211u);  // red in the low byte
  EXPECT_EQ(target.Color(2, 1), 0x665544u);
  EXPECT_EQ(target.Color(3, 2), 0x998877u);
  EXPECT_EQ(target.Color(0, 1), 0xFFFFFFu);

  Bitmap source32(engine, 2, 2);
  source32.FillAll(0x00ABCDEF);
  source32.At(1, 1) = 0x00010203;
  RECTL corner{0, 0, 2, 2};
  ASSERT_TRUE(EngBitBlt(target.so(), source32.so(), nullptr, nullptr, nullptr, &corner, &origin,
                        nullptr, nullptr, nullptr, ROP4_SRCCOPY));
  EXPECT_EQ(target.Color(0, 0), 0xABCDEFu);
  EXPECT_EQ(target.Color(1, 1), 0x010203u);
}

TEST_F(BitBltTest, LeavesOutWhatLiesOutsideTheSourceOrTheTarget) {
  Bitmap target(engine, 4, 4);
  target.FillAll(0x00FFFFFF);
  Bitmap source(engine, 2, 2);
  source.FillAll(0x00000000);
  RECTL rect{-1, 2, 5, 8};  // runs off three edges of the target
  POINTL from{-1, 0};       // and off the left edge of the source
  ASSERT_TRUE(EngBitBlt(target.so(), source.so(), nullptr, nullptr, nullptr, &rect, &from, nullptr,
                        nullptr, nullptr, ROP4_SRCCOPY));
  for (LONG y = 0; y < 4; ++y) {
    for (LONG x = 0; x < 4; ++x) {
      bool copied = (x == 0 || x == 1) && (y == 2 || y == 3);
      EXPECT_EQ(target.Color(x, y), copied ? 0u : 0xFFFFFFu) << x << "," << y;
    }
  }
}

TEST_F(BitBltTest, RefusesWhatItDoesNotImplement) {
  Bitmap target(engine, 2, 2);
  RECTL rect{0, 0, 2, 2};
  BRUSHOBJ patterned{0xFFFFFFFF, nullptr, 0};
  CLIPOBJ complex{};
  complex.iDComplexity = DC_COMPLEX;
  EXPECT_FALSE(EngBitBlt(target.so(), nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr,
                         &patterned, nullptr, ROP4_PATCOPY));
  EXPECT_FALSE(EngBitBlt(target.so(), nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr,
                         nullptr, nullptr, 0x6666));  // SRCINVERT
  EXPECT_FALSE(EngBitBlt(target.so(), nullptr, nullptr, &complex, nullptr, &rect, nullptr, nullptr,
                         nullptr, nullptr, ROP4_WHITENESS));
}

using StretchBltTest = HostEngineTest;

TEST_F(StretchBltTest, HalftoneAtScaleOneWithTheDefaultAdjustmentCopiesExactly) {
  Bitmap source(engine, 5, 4, BMF_32BPP, BMF_TOPDOWN);
  for (LONG y = 0; y < 4; ++y)
    for (LONG x = 0; x < 5; ++x)
      source.At(x, y) = static_cast<std::uint32_t>(0x0F1E2D * (x + 5 * y) & 0xFFFFFF);
  Bitmap target(engine, 5, 4);
  COLORADJUSTMENT ca{24, 0, 0, 10000, 10000, 10000, 0, 10000, 0, 0, 0, 0};
  RECTL rect{0, 0, 5, 4};
  ASSERT_TRUE(EngStretchBlt(target.so(), source.so(), nullptr, nullptr, nullptr, &ca, nullptr,
                            &rect, &rect, nullptr, HALFTONE));
  for (LONG y = 0; y < 4; ++y)
    for (LONG x = 0; x < 5; ++x) EXPECT_EQ(target.Color(x, y), source.Color(x, y)) << x << "," << y;
}

TEST_F(StretchBltTest, HalftoneAveragesWhereNearestPicksOnePixel) {
  Bitmap source(engine, 8, 8);
  for (LONG y = 0; y < 8; ++y)
    for (LONG x = 0; x < 8; ++x) source.At(x, y) = (x + y) % 2 ? 0x00FFFFFF : 0;
  Bitmap halftone(engine, 4, 4);
  Bitmap nearest(engine, 4, 4);
  RECTL to{0, 0, 4, 4};
  RECTL from{0, 0, 8, 8};
  ASSERT_TRUE(EngStretchBlt(halftone.so(), source.so(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            &to, &from, nullptr, HALFTONE));
  ASSERT_TRUE(EngStretchBlt(nearest.so(), source.so(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            &to, &from, nullptr, COLORONCOLOR));
  for (LONG y = 0; y < 4; ++y) {
    for (LONG x = 0; x < 4; ++x) {
      std::uint32_t grey = halftone.Color(x, y) & 0xFF;
      EXPECT_GE(grey, 120u);
      EXPECT_LE(grey, 136u);
      EXPECT_TRUE(nearest.Color(x, y) == 0 || nearest.Color(x, y) == 0xFFFFFF);
    }
  }
}

TEST_F(StretchBltTest, EnlargingRunsSmoothlyAndMirroringFlips) {
  Bitmap source(engine, 2, 1);
  source.At(0, 0) = 0;
  source.At(1, 0) = 0x00FFFFFF;
  Bitmap target(engine, 8, 1);
  RECTL to{0, 0, 8, 1};
  RECTL from{0, 0, 2, 1};
  ASSERT_TRUE(EngStretchBlt(target.so(), source.so(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            &to, &from, nullptr, HALFTONE));
  std::uint32_t previous = 0;
  int between = 0;
  for (LONG x = 0; x < 8; ++x) {
    std::uint32_t grey = target.Color(x, 0) & 0xFF;
    EXPECT_GE(grey, previous);
    between += grey > 10 && grey < 245;
    previous = grey;
  }
  EXPECT_GE(between, 2);

  RECTL mirrored{8, 0, 0, 1};
  ASSERT_TRUE(EngStretchBlt(target.so(), source.so(), nullptr, nullptr, nullptr, nullptr, nullptr,
                            &mirrored, &from, nullptr, COLORONCOLOR));
  EXPECT_EQ(target.Color(0, 0), 0xFFFFFFu);
  EXPECT_EQ(target.Color(7, 0), 0u);
}

TEST_F(StretchBltTest, RefusesASourceRectangleOutsideItsSurface) {
  Bitmap source(engine, 2, 2);
  Bitmap target(engine, 2, 2);
  RECTL to{0, 0, 2, 2};
  RECTL from{1, 0, 3, 2};
  EXPECT_FALSE(EngStretchBlt(target.so(), source.so(), nullptr, nullptr, nullptr, nullptr, nullptr,
                             &to, &from, nullptr, HALFTONE));
}

struct AdjustmentCase {
  const char* name;
  WORD red_gamma;
  SHORT contrast, brightness, colorfulness;
  std::uint32_t in, out;  // 0x00BBGGRR
};

constexpr AdjustmentCase kAdjustments[] = {
    {"default", 10000, 0, 0, 0, 0x00326496, 0x00326496},
    {"brightness", 10000, 0, 20, 0, 0x00808080, 0x00B3B3B3},
    {"contrast", 10000, 50, 0, 0, 0x00404040, 0x00202020},
    {"red gamma", 20000, 0, 0, 0, 0x00404040, 0x00404080},
    {"no colour", 10000, 0, 0, -100, 0x003264C8, 0x007C7C7C},
    {"more colour", 10000, 0, 0, 50, 0x003264C8, 0x000D58EE},
};

class AdjustmentTest : public HostEngineTest,
                       public ::testing::WithParamInterface<AdjustmentCase> {};

TEST_P(AdjustmentTest, HalftoneAppliesTheColourAdjustmentAndOtherModesDoNot) {
  const AdjustmentCase& c = GetParam();
  Bitmap source(engine, 3, 2);
  source.FillAll(c.in);
  Bitmap target(engine, 6, 4);
  COLORADJUSTMENT ca{24, 0,     0,          c.red_gamma,  10000,          10000,
                     0,  10000, c.contrast, c.brightness, c.colorfulness, 0};
  RECTL to{0, 0, 6, 4};
  RECTL from{0, 0, 3, 2};
  ASSERT_TRUE(EngStretchBlt(target.so(), source.so(), nullptr, nullptr, nullptr, &ca, nullptr, &to,
                            &from, nullptr, HALFTONE));
  EXPECT_EQ(target.Color(0, 0), c.out);
  EXPECT_EQ(target.Color(5, 3), c.out);
  ASSERT_TRUE(EngStretchBlt(target.so(), source.so(), nullptr, nullptr, nullptr, &ca, nullptr, &to,
                            &from, nullptr, COLORONCOLOR));
  EXPECT_EQ(target.Color(3, 2), c.in);
}

INSTANTIATE_TEST_SUITE_P(Cases, AdjustmentTest, ::testing::ValuesIn(kAdjustments),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& ch : name)
                             if (ch == ' ') ch = '_';
                           return name;
                         });

}  // namespace
