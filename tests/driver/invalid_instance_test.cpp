// Every entry point that takes an instance refuses one whose signature was
// overwritten (or none at all): last error 87, nothing done.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "engine_instance.h"
#include "support/host_fixture.h"

namespace {

using InvalidInstanceTest = DriverTableTest;

TEST_F(InvalidInstanceTest, EveryEntryPointRefusesIt) {
  EngineInstance good(driver, engine, printer);
  EngineInstance bad(driver, engine, printer);
  ASSERT_TRUE(good.ok() && bad.ok());
  auto* pdev = static_cast<PDEV*>(bad.dhpdev());
  const HDEV hdev = pdev->hdev;
  const HSURF hsurf = pdev->hsurf;
  pdev->dwEndSignature = 0;

  ULONG copies = 5;
  struct Case {
    const char* what;
    std::function<BOOL()> call;
    bool sets_error;
  };
  const Case cases[] = {
      {"DrvCompletePDEV",
       [&] {
         driver.CompletePDEV(bad.dhpdev(), nullptr);
         return static_cast<BOOL>(pdev->hdev != hdev);
       },
       true},
      {"DrvResetPDEV old", [&] { return driver.ResetPDEV(bad.dhpdev(), good.dhpdev()); }, true},
      {"DrvResetPDEV new", [&] { return driver.ResetPDEV(good.dhpdev(), bad.dhpdev()); }, true},
      {"DrvResetPDEV null", [&] { return driver.ResetPDEV(nullptr, good.dhpdev()); }, true},
      {"DrvDisablePDEV",
       [&] {
         driver.DisablePDEV(bad.dhpdev());
         return static_cast<BOOL>(engine.OpenModules() != 2);
       },
       true},
      {"DrvEnableSurface",
       [&] { return static_cast<BOOL>(driver.EnableSurface(bad.dhpdev()) != nullptr); }, true},
      {"DrvEnableSurface null",
       [&] { return static_cast<BOOL>(driver.EnableSurface(nullptr) != nullptr); }, true},
      {"DrvDisableSurface",
       [&] {
         driver.DisableSurface(bad.dhpdev());
         return static_cast<BOOL>(pdev->hsurf != hsurf);
       },
       false},
      {"DrvStretchBlt",
       [&] {
         return driver.StretchBlt(bad.surface(), good.surface(), nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, HALFTONE);
       },
       true},
      {"DrvStartDoc", [&] { return driver.StartDoc(bad.surface(), nullptr, 1); }, true},
      {"DrvStartPage", [&] { return driver.StartPage(bad.surface()); }, true},
      {"DrvSendPage", [&] { return driver.SendPage(bad.surface()); }, true},
      {"DrvEndDoc", [&] { return driver.EndDoc(bad.surface(), 0); }, true},
      {"DrvEscape SETCOPYCOUNT",
       [&] {
         return static_cast<BOOL>(
             driver.Escape(bad.surface(), SETCOPYCOUNT, sizeof copies, &copies, 0, nullptr));
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EngSetLastError(0);
    EXPECT_FALSE(c.call());
    EXPECT_EQ(EngGetLastError(), c.sets_error ? ERROR_INVALID_PARAMETER : 0u);
  }
  EXPECT_TRUE(engine.spooler().Output(printer).empty());
  EXPECT_EQ(pdev->cCopies, 1u);

  pdev->dwEndSignature = PDEV_SIGNATURE;
}

}  // namespace
