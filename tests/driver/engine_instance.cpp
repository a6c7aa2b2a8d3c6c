#include "engine_instance.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/constants.h"
#include "host/engine/devmode_check.h"

DriverTable EnableDriver() {
  DriverEnabling enabled = EnableDriverTable();
  if (!enabled.table) {
    ADD_FAILURE() << enabled.failure;
    return {};
  }
  return *enabled.table;
}

CARDDEVMODE ApplicationDevMode() {
  CARDDEVMODE dm{};
  dm.dmPublic.dmSpecVersion = DM_SPEC_VERSION;
  dm.dmPublic.dmDriverVersion = DM_DRIVER_VERSION;
  dm.dmPublic.dmSize = sizeof(DEVMODEW);
  dm.dmPublic.dmDriverExtra = sizeof(PRIVATEDEVMODE);
  dm.dmPrivate = DefPrivateDevMode;
  return dm;
}

EngineInstance::EngineInstance(const DriverTable& driver, HostEngine& engine, HANDLE printer,
                               std::span<std::uint8_t> devmode)
    : driver_(driver), engine_(engine) {
  DEVMODEW* pdm = nullptr;
  if (!devmode.empty()) {
    pdm = CheckedDevMode(devmode);
    if (pdm == nullptr) {
      ADD_FAILURE() << "the engine refuses a device mode of " << devmode.size() << " bytes";
      return;
    }
  }
  std::u16string device_name = u"Card Printer";
  dhpdev_ = driver_.EnablePDEV(pdm, nullptr, 0, nullptr, sizeof caps_.gdi,
                               reinterpret_cast<ULONG*>(&caps_.gdi), sizeof caps_.devinfo,
                               &caps_.devinfo, nullptr, device_name.data(), printer);
  if (dhpdev_ == nullptr) return;
  hdev_ = engine_.CreateDevice(dhpdev_);
  driver_.CompletePDEV(dhpdev_, hdev_);
  hsurf_ = driver_.EnableSurface(dhpdev_);
  if (hsurf_ != nullptr) surface_ = engine_.SurfaceObject(hsurf_);
}

EngineInstance::~EngineInstance() { Disable(); }

void EngineInstance::Disable() {
  if (dhpdev_ == nullptr) return;
  driver_.DisableSurface(dhpdev_);
  driver_.DisablePDEV(dhpdev_);
  engine_.surfaces().DeleteDevice(hdev_);
  dhpdev_ = nullptr;
  surface_ = nullptr;
}
