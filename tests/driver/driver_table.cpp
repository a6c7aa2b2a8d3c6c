#include "driver_table.h"

#include <gtest/gtest.h>

#include "driver/driver_entry.h"
#include "engine/constants.h"
#include "host/engine/devmode_check.h"

namespace {

template <typename Function>
void Pick(const DRVENABLEDATA& data, ULONG index, Function& function) {
  for (ULONG i = 0; i < data.c; ++i) {
    if (data.pdrvfn[i].iFunc == index) {
      function = reinterpret_cast<Function>(data.pdrvfn[i].pfn);
      return;
    }
  }
  ADD_FAILURE() << "no entry point with index " << index;
}

}  // namespace

DriverTable EnableDriver() {
  DRVENABLEDATA data{};
  EXPECT_TRUE(DrvEnableDriver(DDI_DRIVER_VERSION_NT4, sizeof data, &data));
  DriverTable table;
  Pick(data, INDEX_DrvEnablePDEV, table.EnablePDEV);
  Pick(data, INDEX_DrvCompletePDEV, table.CompletePDEV);
  Pick(data, INDEX_DrvResetPDEV, table.ResetPDEV);
  Pick(data, INDEX_DrvDisablePDEV, table.DisablePDEV);
  Pick(data, INDEX_DrvEnableSurface, table.EnableSurface);
  Pick(data, INDEX_DrvDisableSurface, table.DisableSurface);
  Pick(data, INDEX_DrvBitBlt, table.BitBlt);
  Pick(data, INDEX_DrvStretchBlt, table.StretchBlt);
  Pick(data, INDEX_DrvSendPage, table.SendPage);
  Pick(data, INDEX_DrvStartPage, table.StartPage);
  Pick(data, INDEX_DrvStartDoc, table.StartDoc);
  Pick(data, INDEX_DrvEscape, table.Escape);
  Pick(data, INDEX_DrvEndDoc, table.EndDoc);
  return table;
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
