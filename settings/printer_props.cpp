// Printer properties, the TrueType substitution table and the halftone
// setup from the printer's registry data.
#include "settings/printer_props.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "ppd/queries.h"
#include "ppd/records.h"

namespace {

// Printer memory stored in "FreeMem" never counts below this (bytes).
constexpr DWORD kMinFreeMem = 102400;

// Reads a registry value of exactly cbData bytes into pData.
BOOL ReadFixedValue(HANDLE hPrinter, const WCHAR* pwszName, void* pData, DWORD cbData) {
  DWORD cbNeeded = 0;
  DWORD dwType = 0;
  DWORD dwResult = EngGetPrinterData(hPrinter, const_cast<WCHAR*>(pwszName), &dwType,
                                     static_cast<BYTE*>(pData), cbData, &cbNeeded);
  return dwResult == ERROR_SUCCESS && cbNeeded == cbData;
}

BOOL ReadDword(HANDLE hPrinter, const WCHAR* pwszName, DWORD* pdwValue) {
  return ReadFixedValue(hPrinter, pwszName, pdwValue, sizeof *pdwValue);
}

// Fills the printer-sticky selections with the description's defaults,
// when they fit the record.
void DefaultPrinterStickyOptions(PRINTERPROPS* pProps, PPDOBJ* hppd) {
  if (hppd->printerStickyCount > sizeof pProps->aOptions) {
    pProps->wOptions = 0;
    return;
  }
  pProps->wOptions = PpdDefaultPrinterStickyFeatures(hppd, pProps->aOptions);
}

}  // namespace

PVOID GetPrinterDataFromRegistry(HANDLE hPrinter, DWORD* pcbData, ULONG index) {
  const PRINTERREGINFO& pair = printerRegInfo[index];
  DWORD cbData = 0;
  if (!ReadDword(hPrinter, pair.pwszSizeValue, &cbData) || cbData == 0) return nullptr;

  PVOID pData = EngAllocMem(0, cbData, DRIVER_DESC_TAG);
  if (pData == nullptr) return nullptr;
  DWORD cbRead = 0;
  DWORD dwType = 0;
  if (EngGetPrinterData(hPrinter, const_cast<WCHAR*>(pair.pwszDataValue), &dwType,
                        static_cast<BYTE*>(pData), cbData, &cbRead) != ERROR_SUCCESS ||
      cbRead == 0) {
    EngFreeMem(pData);
    return nullptr;
  }
  // A data value shorter than its size value says holds only what was read.
  if (pcbData != nullptr) *pcbData = std::min(cbRead, cbData);
  return pData;
}

PVOID CurrentTrueTypeSubstTable(HANDLE hPrinter) {
  return GetPrinterDataFromRegistry(hPrinter, nullptr, REGINFO_TTFONTSUBTABLE);
}

PRINTERPROPS* GetPrinterProperties(HANDLE hPrinter, PPDOBJ* hppd) {
  DWORD cbData = 0;
  PVOID pData = GetPrinterDataFromRegistry(hPrinter, &cbData, REGINFO_PRINTERDATA);
  if (pData != nullptr && cbData < sizeof(PRINTERPROPS)) {
    // Too short to be the record: as if nothing were stored.
    EngFreeMem(pData);
    pData = nullptr;
  }
  if (pData == nullptr) return DefaultPrinterProperties(hPrinter, hppd);

  auto* pProps = static_cast<PRINTERPROPS*>(pData);
  if (pProps->wChecksum != hppd->checksum) {
    pProps->wChecksum = hppd->checksum;
    DefaultPrinterStickyOptions(pProps, hppd);
  }
  return pProps;
}

PRINTERPROPS* DefaultPrinterProperties(HANDLE hPrinter, PPDOBJ* hppd) {
  auto* pProps = static_cast<PRINTERPROPS*>(EngAllocMem(0, sizeof(PRINTERPROPS), DRIVER_DESC_TAG));
  if (pProps == nullptr) return nullptr;
  std::memset(pProps, 0, sizeof *pProps);

  pProps->wVersion = PRINTERPROPS_VERSION;
  pProps->wSize = sizeof(PRINTERPROPS);
  pProps->dwFreeMem = hppd->freeVm;
  pProps->dwJobTimeout = hppd->jobTimeout;
  pProps->dwWaitTimeout = hppd->waitTimeout;
  pProps->wChecksum = hppd->checksum;
  DefaultPrinterStickyOptions(pProps, hppd);

  DWORD dwValue = 0;
  if (ReadDword(hPrinter, u"FreeMem", &dwValue)) {
    // Kilobytes; a size beyond the 32-bit byte count is held at its top.
    std::uint64_t cbFreeMem = std::uint64_t{dwValue} * 1024;
    pProps->dwFreeMem =
        static_cast<DWORD>(std::clamp<std::uint64_t>(cbFreeMem, kMinFreeMem, UINT32_MAX));
  }
  if (ReadDword(hPrinter, u"PrinterHT", &dwValue) && dwValue != 0) {
    pProps->dwPropFlags |= PROPFLAG_PRINTER_HT;
  }
  return pProps;
}

BOOL GetDeviceHalftoneSetup(HANDLE hPrinter, DEVHTINFO* pDevHTInfo) {
  DEVHTINFO devHTInfo;
  if (!ReadFixedValue(hPrinter, u"CurDevHTInfo", &devHTInfo, sizeof devHTInfo)) return FALSE;
  *pDevHTInfo = devHTInfo;
  return TRUE;
}

ULONG PickDefaultHTPatSize(ULONG xDpi, ULONG yDpi, BOOL bSmaller) {
  struct Step {
    ULONG dpiFrom;
    ULONG patSize;
  };
  constexpr Step kSteps[] = {{2400, 15}, {1800, 13}, {1200, 11}, {900, 9}, {400, 7}, {180, 5}};
  ULONG dpi = std::min(xDpi, yDpi);
  ULONG patSize = 3;
  for (const Step& step : kSteps) {
    if (dpi >= step.dpiFrom) {
      patSize = step.patSize;
      break;
    }
  }
  return bSmaller ? patSize - 2 : patSize;
}
