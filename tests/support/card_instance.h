// A device instance filled with the driver's defaults, for the tests of the
// job entry points until the driver creates instances itself: the records
// take their defaults (a landscape CR-80 card, all panels on, print area
// 0, 0, 656, 1024, one copy, no encoder), and the instance gets a printer of
// its own on the host spooler and an engine device for its surface.
//
//   CardInstance card(engine);
//   card.EnableSurface();
//   DrvStartDoc(card.pso(), nullptr, 1); ...
//
// CardJobTest is the fixture: a fresh instance per test, torn down before
// the host engine checks that every pool block and surface was given back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "driver/pdev.h"
#include "driver/surface.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "lib/tracked_heap.h"
#include "support/host_fixture.h"

class CardInstance {
 public:
  explicit CardInstance(HostEngine& engine, bool landscape = true) : engine_(engine) {
    heap_ = HEAPCREATE();
    pdev_ = static_cast<PDEV*>(HEAPALLOC(heap_, sizeof(PDEV)));
    std::memset(pdev_, 0, sizeof(PDEV));
    pdev_->hHeap = heap_;
    pdev_->hPrinter = engine_.spooler().OpenPrinter();
    pdev_->dwSignature = PDEV_SIGNATURE;
    pdev_->dwEndSignature = PDEV_SIGNATURE;
    FillDevMode(pdev_->dm, landscape);
    pdev_->pPrinterProps =
        static_cast<PRINTERPROPS*>(EngAllocMem(0, sizeof(PRINTERPROPS), DRIVER_DESC_TAG));
    *pdev_->pPrinterProps = DefPrinterProps;
    pdev_->iLogicalDpi = 300;
    pdev_->cCopies = 1;
    FillForm(pdev_->CurForm, landscape);
    pdev_->hdev = engine_.CreateDevice(pdev_);
    plain_so_.dhpdev = pdev_;
  }

  ~CardInstance() {
    DrvDisableSurface(pdev_);
    engine_.surfaces().DeleteDevice(pdev_->hdev);
    engine_.spooler().ClosePrinter(pdev_->hPrinter);
    EngFreeMem(pdev_->pPrinterProps);
    HEAPDESTROY(heap_);
  }

  CardInstance(const CardInstance&) = delete;
  CardInstance& operator=(const CardInstance&) = delete;

  PDEV* pdev() const { return pdev_; }
  PRIVATEDEVMODE& priv() const { return pdev_->dm.dmPrivate; }
  HANDLE printer() const { return pdev_->hPrinter; }

  // Creates the drawing surface with DrvEnableSurface.
  void EnableSurface() { ASSERT_NE(DrvEnableSurface(pdev_), nullptr); }

  // The surface object the engine hands the driver: the surface's own once
  // it is enabled, before that one that only names the instance.
  SURFOBJ* pso() {
    SURFOBJ* so = pdev_->hsurf != nullptr ? engine_.SurfaceObject(pdev_->hsurf) : nullptr;
    return so != nullptr ? so : &plain_so_;
  }

  // A pixel of the enabled surface in device coordinates (y downwards).
  std::uint32_t& Pixel(LONG x, LONG y) {
    SURFOBJ* so = pso();
    return reinterpret_cast<std::uint32_t*>(static_cast<BYTE*>(so->pvScan0) +
                                            static_cast<std::ptrdiff_t>(y) * so->lDelta)[x];
  }

  std::vector<std::uint8_t> Output() const { return engine_.spooler().Output(printer()); }
  std::vector<std::vector<std::uint8_t>> Writes() const {
    return engine_.spooler().Writes(printer());
  }
  void ClearOutput() const { engine_.spooler().ClearOutput(printer()); }

 private:
  static void FillDevMode(CARDDEVMODE& dm, bool landscape) {
    DEVMODEW& pub = dm.dmPublic;
    pub.dmSpecVersion = DM_SPEC_VERSION;
    pub.dmDriverVersion = DM_DRIVER_VERSION;
    pub.dmSize = sizeof(DEVMODEW);
    pub.dmDriverExtra = sizeof(PRIVATEDEVMODE);
    pub.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES |
                   DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR | DM_FORMNAME;
    pub.dmOrientation = landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    pub.dmPaperLength = 535;
    pub.dmPaperWidth = 858;
    pub.dmScale = 100;
    pub.dmCopies = 1;
    pub.dmPrintQuality = 300;
    pub.dmColor = DMCOLOR_COLOR;
    pub.dmDuplex = DMDUP_SIMPLEX;
    pub.dmTTOption = DMTT_BITMAP;
    std::memcpy(pub.dmFormName, u"Letter", sizeof u"Letter");
    dm.dmPrivate = DefPrivateDevMode;
  }

  // The built-in page size: paper 158 x 246 points, imageable area
  // 0 0 157.4399 245.7598 points, in PS reals as the description gives it.
  static void FillForm(CurForm& form, bool landscape) {
    std::memcpy(form.wszName, u"CR_80", sizeof u"CR_80");
    std::memcpy(form.szName, "CR_80", sizeof "CR_80");
    form.sizePaper[0] = 158 * 256;
    form.sizePaper[1] = 246 * 256;
    form.rcImageable[0] = 0;
    form.rcImageable[1] = 0;
    form.rcImageable[2] = 40305;
    form.rcImageable[3] = 62915;
    form.bLandscape = landscape ? 1 : 0;
    form.iPageSize = 0;
  }

  HostEngine& engine_;
  HANDLE heap_;
  PDEV* pdev_;
  SURFOBJ plain_so_{};
};

class CardJobTest : public HostEngineTest {
 protected:
  void SetUp() override { card.emplace(engine); }
  void TearDown() override {
    card.reset();
    EXPECT_EQ(engine.surfaces().OpenSurfaces(), 0u);
    HostEngineTest::TearDown();
  }

  std::optional<CardInstance> card;
};
