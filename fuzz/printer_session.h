// What the fuzz targets that drive the driver share: one host engine
// installed for the life of the process, the driver's entry-point table
// taken once, and one printer whose output is counted and dropped (a page
// is several megabytes; keeping it would only slow every run down).
//
// A run enables an instance as the engine does, prints one page on it and
// disables it; the pool and the surfaces must then be back to empty, or the
// run aborts, so that a leak on any input is a finding.
#pragma once

#include "engine/records.h"
#include "engine/types.h"
#include "host/driver_table/driver_table.h"
#include "host/engine/host_engine.h"

class PrinterSession {
 public:
  // The one session of the process, made on first use.
  static PrinterSession& Get();

  HostEngine& engine() { return engine_; }
  const DriverTable& driver() const { return driver_; }
  HANDLE printer() const { return printer_; }

  // DrvEnablePDEV with pdm (null: none) for the printer, then
  // DrvCompletePDEV and DrvEnableSurface. False when the driver gave no
  // instance or no surface (the instance is then disabled again).
  bool Enable(DEVMODEW* pdm);
  DHPDEV dhpdev() const { return dhpdev_; }
  SURFOBJ* surface() const { return surface_; }

  // One page on the enabled instance: DrvStartDoc, DrvStartPage,
  // DrvSendPage, DrvEndDoc.
  void PrintPage();

  // Disables the surface and the instance, then aborts unless every pool
  // block and surface was given back.
  void Disable();

 private:
  PrinterSession();

  HostEngine engine_;
  ScopedHostEngine installed_{engine_};
  DriverTable driver_;
  HANDLE printer_ = nullptr;
  DHPDEV dhpdev_ = nullptr;
  HDEV hdev_ = nullptr;
  SURFOBJ* surface_ = nullptr;
};
