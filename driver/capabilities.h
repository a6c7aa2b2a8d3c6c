// Device capabilities: filling a new device instance from the printer
// properties, the device mode and the current form, and telling the engine
// what the device is (GDIINFO, DEVINFO): it renders every page itself, in
// 24-bit colour at the card printer's resolution, into the 32-bit surface,
// halftoning for cyan, magenta, yellow and black dyes.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

struct PDEV;

// The device halftone setup used when the registry holds none.
inline constexpr DEVHTINFO DefDevHTInfo = {
    .HTFlags = 2,
    .HTPatternSize = 5,
    .DevPelsDPI = 0,
    .ColorInfo =
        {
            .Red = {6380, 3350, 0},
            .Green = {2345, 6075, 0},
            .Blue = {1410, 932, 0},
            .Cyan = {2000, 2450, 0},
            .Magenta = {5210, 2100, 0},
            .Yellow = {4750, 5100, 0},
            .AlignmentWhite = {3127, 3290, 0},
            .RedGamma = 12500,
            .GreenGamma = 12500,
            .BlueGamma = 12500,
            .MagentaInCyanDye = 585,
            .YellowInCyanDye = 120,
            .CyanInMagentaDye = 0,
            .YellowInMagentaDye = 0,
            .CyanInYellowDye = 0,
            .MagentaInYellowDye = 10000,
        },
};

// Fills the instance: signatures, printer properties, the device mode
// (defaults merged with pdmIn), the current form, copies, the TrueType
// substitution table, the logical resolution. FALSE when the properties or
// the form cannot be had.
BOOL FillPsDevData(PDEV* pdev, const DEVMODEW* pdmIn, const WCHAR* pwszDeviceName);

// Writes min(cjCaps, sizeof(GDIINFO)) bytes of the device's GDIINFO.
void FillPsDevCaps(PDEV* pdev, ULONG cjCaps, GDIINFO* pGdiInfo);

// Writes min(cjDevInfo, sizeof(DEVINFO)) bytes of the device's DEVINFO, with
// a new default palette; FALSE when the palette cannot be made.
BOOL FillPsDevInfo(PDEV* pdev, ULONG cjDevInfo, DEVINFO* pDevInfo);
