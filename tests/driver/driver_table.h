// The driver as the engine sees it: DrvEnableDriver is the only function
// called by name; every other entry point is taken from the table it hands
// out, by the engine's function index, and called through the platform's
// entry-point types. An EngineInstance goes through an instance's life the
// way the engine does (enable, complete, surface; disable surface and
// instance at the end).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "driver/pdev.h"
#include "engine/records.h"
#include "engine/types.h"
#include "host/engine/host_engine.h"

using PFN_DrvEnablePDEV = DHPDEV (*)(DEVMODEW*, LPWSTR, ULONG, HSURF*, ULONG, ULONG*, ULONG,
                                     DEVINFO*, HDEV, LPWSTR, HANDLE);
using PFN_DrvCompletePDEV = void (*)(DHPDEV, HDEV);
using PFN_DrvResetPDEV = BOOL (*)(DHPDEV, DHPDEV);
using PFN_DrvDisablePDEV = void (*)(DHPDEV);
using PFN_DrvEnableSurface = HSURF (*)(DHPDEV);
using PFN_DrvDisableSurface = void (*)(DHPDEV);
using PFN_DrvBitBlt = BOOL (*)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*,
                               POINTL*, BRUSHOBJ*, POINTL*, ROP4);
using PFN_DrvStretchBlt = BOOL (*)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*,
                                   COLORADJUSTMENT*, POINTL*, RECTL*, RECTL*, POINTL*, ULONG);
using PFN_DrvSendPage = BOOL (*)(SURFOBJ*);
using PFN_DrvStartPage = BOOL (*)(SURFOBJ*);
using PFN_DrvStartDoc = BOOL (*)(SURFOBJ*, LPWSTR, DWORD);
using PFN_DrvEscape = ULONG (*)(SURFOBJ*, ULONG, ULONG, PVOID, ULONG, PVOID);
using PFN_DrvEndDoc = BOOL (*)(SURFOBJ*, FLONG);

struct DriverTable {
  PFN_DrvEnablePDEV EnablePDEV = nullptr;
  PFN_DrvCompletePDEV CompletePDEV = nullptr;
  PFN_DrvResetPDEV ResetPDEV = nullptr;
  PFN_DrvDisablePDEV DisablePDEV = nullptr;
  PFN_DrvEnableSurface EnableSurface = nullptr;
  PFN_DrvDisableSurface DisableSurface = nullptr;
  PFN_DrvBitBlt BitBlt = nullptr;
  PFN_DrvStretchBlt StretchBlt = nullptr;
  PFN_DrvSendPage SendPage = nullptr;
  PFN_DrvStartPage StartPage = nullptr;
  PFN_DrvStartDoc StartDoc = nullptr;
  PFN_DrvEscape Escape = nullptr;
  PFN_DrvEndDoc EndDoc = nullptr;
};

// Enables the driver for the current engine version with a whole
// DRVENABLEDATA and picks every entry point from its table; a missing one
// fails the test.
DriverTable EnableDriver();

// An application's device mode in the driver's own layout: the public part
// with no field set and the private part at its defaults.
CARDDEVMODE ApplicationDevMode();

template <typename Record>
std::span<std::uint8_t> BytesOf(Record& record) {
  return {reinterpret_cast<std::uint8_t*>(&record), sizeof record};
}

// What DrvEnablePDEV reported.
struct Capabilities {
  GDIINFO gdi{};
  DEVINFO devinfo{};
};

// One device instance driven as the engine drives it.
class EngineInstance {
 public:
  // Enables an instance for the printer with the device mode in devmode
  // (empty: none), whose declared sizes the engine checks first (a device
  // mode that fails the check fails the test); completes the instance and
  // enables its surface. ok() tells whether all of that worked.
  EngineInstance(const DriverTable& driver, HostEngine& engine, HANDLE printer,
                 std::span<std::uint8_t> devmode = {});
  ~EngineInstance();
  EngineInstance(const EngineInstance&) = delete;
  EngineInstance& operator=(const EngineInstance&) = delete;

  bool ok() const { return dhpdev_ != nullptr && surface_ != nullptr; }
  DHPDEV dhpdev() const { return dhpdev_; }
  SURFOBJ* surface() const { return surface_; }
  const Capabilities& caps() const { return caps_; }

  // Disables the surface and the instance now rather than at destruction.
  void Disable();

 private:
  const DriverTable& driver_;
  HostEngine& engine_;
  Capabilities caps_;
  DHPDEV dhpdev_ = nullptr;
  HDEV hdev_ = nullptr;
  HSURF hsurf_ = nullptr;
  SURFOBJ* surface_ = nullptr;
};
