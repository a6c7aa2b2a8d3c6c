#include "host/cardprint/driver_table.h"

#include <string>

#include "driver/driver_entry.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "host/cardprint/errors.h"

namespace {

template <typename Function>
void Take(const DRVENABLEDATA& data, ULONG index, Function& function) {
  for (ULONG i = 0; i < data.c; ++i) {
    if (data.pdrvfn[i].iFunc == index) {
      function = reinterpret_cast<Function>(data.pdrvfn[i].pfn);
      return;
    }
  }
  throw Failure("the driver's table has no entry point with function index " +
                std::to_string(index) + ".");
}

}  // namespace

DriverTable EnableDriver() {
  DRVENABLEDATA data{};
  if (!DrvEnableDriver(DDI_DRIVER_VERSION_NT4, sizeof data, &data)) {
    throw Failure("the driver refused to be enabled (error " + std::to_string(EngGetLastError()) +
                  ").");
  }
  DriverTable table;
  Take(data, INDEX_DrvEnablePDEV, table.EnablePDEV);
  Take(data, INDEX_DrvCompletePDEV, table.CompletePDEV);
  Take(data, INDEX_DrvResetPDEV, table.ResetPDEV);
  Take(data, INDEX_DrvDisablePDEV, table.DisablePDEV);
  Take(data, INDEX_DrvEnableSurface, table.EnableSurface);
  Take(data, INDEX_DrvDisableSurface, table.DisableSurface);
  Take(data, INDEX_DrvBitBlt, table.BitBlt);
  Take(data, INDEX_DrvStretchBlt, table.StretchBlt);
  Take(data, INDEX_DrvSendPage, table.SendPage);
  Take(data, INDEX_DrvStartPage, table.StartPage);
  Take(data, INDEX_DrvStartDoc, table.StartDoc);
  Take(data, INDEX_DrvEscape, table.Escape);
  Take(data, INDEX_DrvEndDoc, table.EndDoc);
  return table;
}
