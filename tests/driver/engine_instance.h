// The driver's tests drive it as the engine does, through the entry-point
// table DrvEnableDriver hands out. An EngineInstance goes through an
// instance's life the way the engine does (enable, complete, surface; disable
// surface and instance at the end).
#pragma once

#include <cstdint>
#include <span>

#include "driver/pdev.h"
#include "engine/records.h"
#include "engine/types.h"
#include "host/driver_table/driver_table.h"
#include "host/engine/host_engine.h"
#include "support/host_fixture.h"

// The driver's table; a driver that does not give a whole one fails the test
// (every entry point is then null).
DriverTable EnableDriver();

// A host engine installed, the driver enabled in it and one printer on its
// spooler.
class DriverTableTest : public HostEngineTest {
 protected:
  DriverTable driver = EnableDriver();
  HANDLE printer = engine.spooler().OpenPrinter();
};

// An application's device mode in the driver's own layout: the public part
// with no field set and the private part at its defaults.
CARDDEVMODE ApplicationDevMode();

template <typename Record>
std::span<std::uint8_t> BytesOf(Record& record) {
  return {reinterpret_cast<std::uint8_t*>(&record), sizeof record};
}

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
