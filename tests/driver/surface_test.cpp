// The drawing surface: its layout in each orientation, its lifetime, and the
// two drawing calls that go back to the engine.
#include "driver/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "support/card_instance.h"

namespace {

using SurfaceTest = CardJobTest;

struct OrientationCase {
  bool landscape;
  LONG cx, cy;
  LONG lDelta;
  USHORT fjBitmap;
};

TEST_F(SurfaceTest, HasTheSizeAndRowOrderOfItsOrientationAndStartsWhite) {
  for (const OrientationCase& c : {OrientationCase{true, 1024, 656, -4096, 0},
                                   OrientationCase{false, 656, 1024, 2624, BMF_TOPDOWN}}) {
    SCOPED_TRACE(c.landscape ? "landscape" : "portrait");
    card.emplace(engine, c.landscape);
    card->EnableSurface();
    PDEV* pdev = card->pdev();
    SURFOBJ* so = card->pso();
    ASSERT_EQ(so->hsurf, pdev->hsurf);
    EXPECT_EQ(so->sizlBitmap.cx, c.cx);
    EXPECT_EQ(so->sizlBitmap.cy, c.cy);
    EXPECT_EQ(so->iBitmapFormat, BMF_32BPP);
    EXPECT_EQ(so->lDelta, c.lDelta);
    EXPECT_EQ(so->fjBitmap, c.fjBitmap);
    EXPECT_EQ(so->pvBits, pdev->pvBits);
    auto* bits = static_cast<BYTE*>(pdev->pvBits);
    EXPECT_EQ(so->pvScan0, c.lDelta < 0 ? bits + (c.cy - 1) * 4096 : bits);
    EXPECT_EQ(so->dhpdev, pdev);
    EXPECT_EQ(so->hdev, pdev->hdev);
    EXPECT_EQ(engine.surfaces().Hooks(pdev->hsurf), HOOK_BITBLT | HOOK_STRETCHBLT);
    // 656 x 1024 pixels of 4 bytes in either orientation.
    EXPECT_EQ(engine.pool().Outstanding(DRIVER_SURFACE_TAG), (PoolUsage{1, 2686976}));
    EXPECT_TRUE(std::all_of(bits, bits + 2686976, [](BYTE b) { return b == 0xFF; }));
  }
}

TEST_F(SurfaceTest, DisablingTwiceDoesNothingTheSecondTime) {
  card->EnableSurface();
  DrvDisableSurface(card->pdev());
  EXPECT_EQ(card->pdev()->hsurf, nullptr);
  EXPECT_EQ(card->pdev()->pvBits, nullptr);
  EXPECT_EQ(engine.surfaces().OpenSurfaces(), 0u);
  EXPECT_EQ(engine.pool().Outstanding(DRIVER_SURFACE_TAG), (PoolUsage{0, 0}));
  PoolUsage before = engine.pool().Outstanding();
  DrvDisableSurface(card->pdev());
  EXPECT_EQ(engine.pool().Outstanding(), before);
}

TEST_F(SurfaceTest, EnablingAgainGivesBackTheFirstSurface) {
  card->EnableSurface();
  HSURF first = card->pdev()->hsurf;
  HSURF second = DrvEnableSurface(card->pdev());
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(card->pdev()->hsurf, second);
  EXPECT_EQ(engine.SurfaceObject(first), nullptr);
  EXPECT_EQ(engine.surfaces().OpenSurfaces(), 1u);
  EXPECT_EQ(engine.pool().Outstanding(DRIVER_SURFACE_TAG), (PoolUsage{1, 2686976}));
}

TEST_F(SurfaceTest, AnInvalidInstanceGetsNoSurface) {
  card->pdev()->dwEndSignature = 0;
  EngSetLastError(0);
  EXPECT_EQ(DrvEnableSurface(card->pdev()), nullptr);
  EXPECT_EQ(EngGetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(engine.pool().Outstanding(DRIVER_SURFACE_TAG), (PoolUsage{0, 0}));
  DrvDisableSurface(card->pdev());  // ignored
  card->pdev()->dwEndSignature = PDEV_SIGNATURE;
}

TEST_F(SurfaceTest, AFailedStepGivesBackWhatWasTaken) {
  engine.pool().FailTag(DRIVER_SURFACE_TAG);
  EXPECT_EQ(DrvEnableSurface(card->pdev()), nullptr);
  engine.pool().ClearFaults();

  // A device the engine does not know cannot take the surface.
  HDEV hdev = card->pdev()->hdev;
  card->pdev()->hdev = reinterpret_cast<HDEV>(0x7);
  EXPECT_EQ(DrvEnableSurface(card->pdev()), nullptr);
  card->pdev()->hdev = hdev;
  EXPECT_EQ(card->pdev()->hsurf, nullptr);
  EXPECT_EQ(engine.surfaces().OpenSurfaces(), 0u);
  EXPECT_EQ(engine.pool().Outstanding(DRIVER_SURFACE_TAG), (PoolUsage{0, 0}));
}

TEST_F(SurfaceTest, BitBltGoesStraightToTheEngine) {
  card->EnableSurface();
  RECTL rect{10, 20, 12, 21};
  BRUSHOBJ brush{0x00123456, nullptr, 0};
  EXPECT_TRUE(DrvBitBlt(card->pso(), nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr,
                        &brush, nullptr, ROP4_PATCOPY));
  EXPECT_EQ(card->Pixel(11, 20) & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(card->Pixel(12, 20), 0xFFFFFFFFu);
  EXPECT_FALSE(DrvBitBlt(card->pso(), nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr,
                         &brush, nullptr, 0x5A5A));
}

TEST_F(SurfaceTest, StretchingHalftonesWithTheDeviceModeAdjustment) {
  card->EnableSurface();
  card->priv().coloradj.caBrightness = 20;
  // A black and white checkerboard halved: halftoning averages it to grey,
  // which the brightness then lifts.
  std::vector<std::uint32_t> pixels(8 * 8);
  for (int i = 0; i < 64; ++i) pixels[i] = (i / 8 + i % 8) % 2 ? 0x00FFFFFF : 0;
  HSURF hsource = EngCreateBitmap(SIZEL{8, 8}, 32, BMF_32BPP, BMF_TOPDOWN, pixels.data());
  SURFOBJ* source = engine.SurfaceObject(hsource);
  COLORADJUSTMENT application = DefHTClrAdj;
  application.caBrightness = -100;
  RECTL to{0, 0, 4, 4};
  RECTL from{0, 0, 8, 8};
  ASSERT_TRUE(DrvStretchBlt(card->pso(), source, nullptr, nullptr, nullptr, &application, nullptr,
                            &to, &from, nullptr, COLORONCOLOR));
  std::uint32_t driver = card->Pixel(1, 1) & 0xFFFFFF;

  RECTL beside{10, 0, 14, 4};
  COLORADJUSTMENT device = card->priv().coloradj;
  ASSERT_TRUE(EngStretchBlt(card->pso(), source, nullptr, nullptr, nullptr, &device, nullptr,
                            &beside, &from, nullptr, HALFTONE));
  EXPECT_EQ(driver, card->Pixel(11, 1) & 0xFFFFFF);
  EXPECT_GT(driver & 0xFF, 160u);
  EXPECT_LT(driver & 0xFF, 200u);

  card->pdev()->dwSignature = 0;
  EngSetLastError(0);
  EXPECT_FALSE(DrvStretchBlt(card->pso(), source, nullptr, nullptr, nullptr, nullptr, nullptr, &to,
                             &from, nullptr, HALFTONE));
  EXPECT_EQ(EngGetLastError(), ERROR_INVALID_PARAMETER);
  card->pdev()->dwSignature = PDEV_SIGNATURE;
  EngDeleteSurface(hsource);
}

}  // namespace
