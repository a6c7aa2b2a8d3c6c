// The driver as the graphics engine sees it: DrvEnableDriver is the only
// function called by name; every other entry point is taken from the table it
// returns, by the engine's function index, and called through the platform's
// entry-point types. The cardprint program and the driver's tests both drive
// the driver through this table.
#pragma once

#include <optional>
#include <string>

#include "engine/records.h"
#include "engine/types.h"

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

// The table, or why the driver did not give a whole one.
struct DriverEnabling {
  std::optional<DriverTable> table;
  // Without a table, the reason as the end of a sentence, no full stop:
  // "the driver refused to be enabled (error 119)" or "the driver's table
  // has no entry point with function index 24".
  std::string failure;
};

// Enables the driver as an engine of the current version would, with a whole
// DRVENABLEDATA, and takes every entry point from its table. Call once per
// installed host engine.
DriverEnabling EnableDriverTable();

// What DrvEnablePDEV reports about the device.
struct Capabilities {
  GDIINFO gdi{};
  DEVINFO devinfo{};
};
