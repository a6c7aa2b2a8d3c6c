#include "host/driver_table/driver_table.h"

#include "driver/driver_entry.h"
#include "engine/constants.h"
#include "engine/services.h"

namespace {

// Sets function to the table's entry point with the function index; false
// when the table has none.
template <typename Function>
bool Take(const DRVENABLEDATA& data, ULONG index, Function& function) {
  for (ULONG i = 0; i < data.c; ++i) {
    if (data.pdrvfn[i].iFunc == index) {
      function = reinterpret_cast<Function>(data.pdrvfn[i].pfn);
      return true;
    }
  }
  return false;
}

}  // namespace

DriverEnabling EnableDriverTable() {
  DRVENABLEDATA data{};
  if (!DrvEnableDriver(DDI_DRIVER_VERSION_NT4, sizeof data, &data)) {
    return {std::nullopt,
            "the driver refused to be enabled (error " + std::to_string(EngGetLastError()) + ")"};
  }
  DriverTable table;
  ULONG missing = 0;
  auto take = [&](ULONG index, auto& function) {
    if (Take(data, index, function)) return true;
    missing = index;
    return false;
  };
  if (take(INDEX_DrvEnablePDEV, table.EnablePDEV) &&
      take(INDEX_DrvCompletePDEV, table.CompletePDEV) &&
      take(INDEX_DrvResetPDEV, table.ResetPDEV) && take(INDEX_DrvDisablePDEV, table.DisablePDEV) &&
      take(INDEX_DrvEnableSurface, table.EnableSurface) &&
      take(INDEX_DrvDisableSurface, table.DisableSurface) && take(INDEX_DrvBitBlt, table.BitBlt) &&
      take(INDEX_DrvStretchBlt, table.StretchBlt) && take(INDEX_DrvSendPage, table.SendPage) &&
      take(INDEX_DrvStartPage, table.StartPage) && take(INDEX_DrvStartDoc, table.StartDoc) &&
      take(INDEX_DrvEscape, table.Escape) && take(INDEX_DrvEndDoc, table.EndDoc)) {
    return {table, {}};
  }
  return {std::nullopt,
          "the driver's table has no entry point with function index " + std::to_string(missing)};
}
