// Printer properties: the per-printer settings kept in the printer's
// registry data, read when a device instance is created and defaulted from
// the printer description when nothing usable is stored. The same registry
// access gives the TrueType substitution table and the device's halftone
// setup. The driver only reads the registry.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

struct PPDOBJ;
struct PRINTERPROPS;

// Pairs of registry values: a 4-byte size value and the data value whose
// length it gives.
struct PRINTERREGINFO {
  const WCHAR* pwszSizeValue;
  const WCHAR* pwszDataValue;
};

inline constexpr PRINTERREGINFO printerRegInfo[] = {
    {u"TTFontSubTableSize", u"TTFontSubTable"},
    {u"TrayFormSize", u"TrayFormTable"},
    {u"PrinterDataSize", u"PrinterData"},
};
inline constexpr ULONG REGINFO_TTFONTSUBTABLE = 0;
inline constexpr ULONG REGINFO_TRAYFORMTABLE = 1;
inline constexpr ULONG REGINFO_PRINTERDATA = 2;

// The data value of pair `index` in a block of engine memory, its size in
// *pcbData (when pcbData is not null); null when the value is missing or
// empty or memory runs out. The caller frees the block with EngFreeMem.
PVOID GetPrinterDataFromRegistry(HANDLE hPrinter, DWORD* pcbData, ULONG index);

// The "TTFontSubTable" block, or null. Not interpreted by the driver.
PVOID CurrentTrueTypeSubstTable(HANDLE hPrinter);

// The stored properties brought up to date with the description, or a
// freshly defaulted record; null only when memory runs out. Engine memory,
// freed by the caller with EngFreeMem.
PRINTERPROPS* GetPrinterProperties(HANDLE hPrinter, PPDOBJ* hppd);
PRINTERPROPS* DefaultPrinterProperties(HANDLE hPrinter, PPDOBJ* hppd);

// TRUE when "CurDevHTInfo" holds exactly one DEVHTINFO, copied to pDevHTInfo;
// FALSE (pDevHTInfo untouched) otherwise.
BOOL GetDeviceHalftoneSetup(HANDLE hPrinter, DEVHTINFO* pDevHTInfo);

// The halftone pattern size (the platform's HT_PATSIZE numbering) for a
// resolution; bSmaller picks the next smaller pattern.
ULONG PickDefaultHTPatSize(ULONG xDpi, ULONG yDpi, BOOL bSmaller);
