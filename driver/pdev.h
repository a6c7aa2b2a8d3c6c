// The records of a device instance: the instance itself (PDEV), its current
// form, the device mode with the driver's private part, and the printer
// properties, with their defaults and the check every entry point applies to
// an instance before it touches it. The device mode and the printer
// properties cross the driver's boundary, so their layouts are fixed byte for
// byte. Header only: the output layer uses these records without linking the
// rest of the driver.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "engine/records.h"
#include "engine/types.h"

struct PPDOBJ;

// ---------------------------------------------------------------------------
// The private part of the device mode.

inline constexpr DWORD PRIVATEDEVMODE_SIGNATURE = 0x56495261;  // "aRIV" in memory

// Bits of dwPrivFlags.
inline constexpr DWORD PRIVFLAG_ROTATE_OTHER_WAY = 0x00000200;  // turn landscape the other way
inline constexpr DWORD PRIVFLAG_JOURNAL = 0x00002000;           // leave out GCAPS_DONTJOURNAL

// The printer's frame: lines of up to 656 dots, up to 1024 lines per card.
inline constexpr WORD FRAME_DOTS = 656;
inline constexpr WORD FRAME_LINES = 1024;

// The printed area in the printer's frame: first dot of a line, first line,
// dots per line, number of lines.
struct PRINTAREA {
  WORD x;
  WORD y;
  WORD cx;
  WORD cy;
};
static_assert(sizeof(PRINTAREA) == 8);

// One overlay area; wType 0 or 1 is the kind of area, OVERLAY_UNUSED leaves
// it out.
struct OVERLAYAREA {
  WORD wType;
  WORD x;
  WORD y;
  WORD cx;
  WORD cy;
};
static_assert(sizeof(OVERLAYAREA) == 10);

inline constexpr WORD OVERLAY_UNUSED = 2;
inline constexpr int OVERLAY_AREAS = 4;

// Magnetic encoding modes (wMagMode) and the capacities of the track texts in
// UTF-16 units, terminator included.
inline constexpr WORD MAGMODE_Q = 0;
inline constexpr WORD MAGMODE_R = 1;
inline constexpr WORD MAGMODE_W = 2;
inline constexpr int CCH_TRACK1 = 160;
inline constexpr int CCH_TRACK2 = 80;
inline constexpr int CCH_TRACK3 = 216;

// Document header selector (wDocMode): this value selects ESC "PD", any other
// ESC "PL".
inline constexpr WORD DOCMODE_D = 1;

struct PRIVATEDEVMODE {
  DWORD dwPrivSignature;
  DWORD dwPrivFlags;
  BYTE abReserved1[80];
  COLORADJUSTMENT coloradj;  // colour adjustment for halftoned stretching
  WORD wChecksum;            // checksum of the description aOptions was made for
  WORD wOptions;             // valid entries of aOptions
  BYTE aOptions[64];         // one selected option per document-sticky feature
  DWORD bPrintYMC;           // 1: print the yellow, magenta and cyan panels
  DWORD bPrintK;             // 1: print the black panel
  DWORD bPrintOverlay;       // 1: print the overlay panel
  WORD awReserved2[5];
  BYTE abReserved3[2];
  PRINTAREA rcPrint;
  OVERLAYAREA aOverlayArea[OVERLAY_AREAS];
  WORD wReserved4;
  WORD wReserved5;
  WORD wDocMode;
  WCHAR wszTrack1[CCH_TRACK1];
  WCHAR wszTrack2[CCH_TRACK2];
  WCHAR wszTrack3[CCH_TRACK3];
  WORD wMagMode;
  LONG lAdjust1;  // print position adjustments
  LONG lAdjust2;
  LONG lAdjust3;
  DWORD dwReserved6;
  LONG lAdjust4;
  DWORD dwReserved7;
  LONG alColor[4];     // colour corrections: yellow, saturation, magenta, cyan
  DWORD bColorAdjust;  // 1: apply alColor
};
static_assert(sizeof(PRIVATEDEVMODE) == 1216);
static_assert(offsetof(PRIVATEDEVMODE, dwPrivSignature) == 0);
static_assert(offsetof(PRIVATEDEVMODE, dwPrivFlags) == 4);
static_assert(offsetof(PRIVATEDEVMODE, abReserved1) == 8);
static_assert(offsetof(PRIVATEDEVMODE, coloradj) == 88);
static_assert(offsetof(PRIVATEDEVMODE, wChecksum) == 112);
static_assert(offsetof(PRIVATEDEVMODE, wOptions) == 114);
static_assert(offsetof(PRIVATEDEVMODE, aOptions) == 116);
static_assert(offsetof(PRIVATEDEVMODE, bPrintYMC) == 180);
static_assert(offsetof(PRIVATEDEVMODE, bPrintK) == 184);
static_assert(offsetof(PRIVATEDEVMODE, bPrintOverlay) == 188);
static_assert(offsetof(PRIVATEDEVMODE, awReserved2) == 192);
static_assert(offsetof(PRIVATEDEVMODE, abReserved3) == 202);
static_assert(offsetof(PRIVATEDEVMODE, rcPrint) == 204);
static_assert(offsetof(PRIVATEDEVMODE, aOverlayArea) == 212);
static_assert(offsetof(PRIVATEDEVMODE, wReserved4) == 252);
static_assert(offsetof(PRIVATEDEVMODE, wReserved5) == 254);
static_assert(offsetof(PRIVATEDEVMODE, wDocMode) == 256);
static_assert(offsetof(PRIVATEDEVMODE, wszTrack1) == 258);
static_assert(offsetof(PRIVATEDEVMODE, wszTrack2) == 578);
static_assert(offsetof(PRIVATEDEVMODE, wszTrack3) == 738);
static_assert(offsetof(PRIVATEDEVMODE, wMagMode) == 1170);
static_assert(offsetof(PRIVATEDEVMODE, lAdjust1) == 1172);
static_assert(offsetof(PRIVATEDEVMODE, lAdjust2) == 1176);
static_assert(offsetof(PRIVATEDEVMODE, lAdjust3) == 1180);
static_assert(offsetof(PRIVATEDEVMODE, dwReserved6) == 1184);
static_assert(offsetof(PRIVATEDEVMODE, lAdjust4) == 1188);
static_assert(offsetof(PRIVATEDEVMODE, dwReserved7) == 1192);
static_assert(offsetof(PRIVATEDEVMODE, alColor) == 1196);
static_assert(offsetof(PRIVATEDEVMODE, bColorAdjust) == 1212);

// The range of the colour corrections in alColor. Within it every curve sum
// of the correction stays between 0 and 2^32 (-96 is the lowest weight for
// which no sum can fall below zero), and the saturation runs from grey (-50)
// to twice the colour difference (+50). The renderer limits the values to
// these ranges, so no value of the 32-bit fields can make the arithmetic wrap.
inline constexpr LONG COLOR_WEIGHT_MIN = -96;  // alColor[0], [2], [3]
inline constexpr LONG COLOR_WEIGHT_MAX = 96;
inline constexpr LONG COLOR_SATURATION_MIN = -50;  // alColor[1]
inline constexpr LONG COLOR_SATURATION_MAX = 50;

// The default colour adjustment: no change.
inline constexpr COLORADJUSTMENT DefHTClrAdj = {
    .caSize = sizeof(COLORADJUSTMENT),
    .caFlags = 0,
    .caIlluminantIndex = 0,
    .caRedGamma = 10000,
    .caGreenGamma = 10000,
    .caBlueGamma = 10000,
    .caReferenceBlack = 0,
    .caReferenceWhite = 10000,
    .caContrast = 0,
    .caBrightness = 0,
    .caColorfulness = 0,
    .caRedGreenTint = 0,
};

// The private defaults. wChecksum, wOptions and aOptions depend on the printer
// description and are filled in when the device mode is defaulted.
inline constexpr OVERLAYAREA DefOverlayArea = {OVERLAY_UNUSED, 0, 0, 655, 1023};

inline constexpr PRIVATEDEVMODE DefPrivateDevMode = {
    .dwPrivSignature = PRIVATEDEVMODE_SIGNATURE,
    .dwPrivFlags = 0,
    .abReserved1 = {},
    .coloradj = DefHTClrAdj,
    .wChecksum = 0,
    .wOptions = 0,
    .aOptions = {},
    .bPrintYMC = 1,
    .bPrintK = 1,
    .bPrintOverlay = 1,
    .awReserved2 = {},
    .abReserved3 = {},
    .rcPrint = {0, 0, FRAME_DOTS, FRAME_LINES},
    .aOverlayArea = {DefOverlayArea, DefOverlayArea, DefOverlayArea, DefOverlayArea},
    .wReserved4 = 0,
    .wReserved5 = 0,
    .wDocMode = 0,
    .wszTrack1 = {},
    .wszTrack2 = {},
    .wszTrack3 = {},
    .wMagMode = MAGMODE_Q,
    .lAdjust1 = 0,
    .lAdjust2 = 0,
    .lAdjust3 = 0,
    .dwReserved6 = 0,
    .lAdjust4 = 0,
    .dwReserved7 = 0,
    .alColor = {0, 0, 0, 0},
    .bColorAdjust = 1,
};

// ---------------------------------------------------------------------------
// The full device mode: the public part followed directly by the private one.

inline constexpr WORD DM_SPEC_VERSION = 0x401;
inline constexpr WORD DM_DRIVER_VERSION = 0x402;

struct CARDDEVMODE {
  DEVMODEW dmPublic;
  PRIVATEDEVMODE dmPrivate;
};
static_assert(sizeof(CARDDEVMODE) == 1436);
static_assert(offsetof(CARDDEVMODE, dmPrivate) == sizeof(DEVMODEW));

// ---------------------------------------------------------------------------
// The printer properties, as stored in the registry value "PrinterData".

inline constexpr WORD PRINTERPROPS_VERSION = 0x402;

// Bits of dwPropFlags.
inline constexpr DWORD PROPFLAG_METRIC = 0x00000001;      // default form "A4" instead of "Letter"
inline constexpr DWORD PROPFLAG_PRINTER_HT = 0x00000002;  // "PrinterHT" is set

struct PRINTERPROPS {
  WORD wVersion;
  WORD wSize;
  DWORD dwPropFlags;
  DWORD dwFreeMem;  // printer memory in bytes
  DWORD dwJobTimeout;
  DWORD dwWaitTimeout;
  BYTE abReserved1[16];
  WORD wChecksum;      // checksum of the description aOptions belongs to
  WORD wOptions;       // valid bytes of aOptions
  BYTE aOptions[92];   // one selected option per printer-sticky feature
  DWORD dwMagEncoder;  // 1: a magnetic encoder is fitted
  DWORD dwReserved2;
};
static_assert(sizeof(PRINTERPROPS) == 140);
static_assert(offsetof(PRINTERPROPS, wVersion) == 0);
static_assert(offsetof(PRINTERPROPS, wSize) == 2);
static_assert(offsetof(PRINTERPROPS, dwPropFlags) == 4);
static_assert(offsetof(PRINTERPROPS, dwFreeMem) == 8);
static_assert(offsetof(PRINTERPROPS, dwJobTimeout) == 12);
static_assert(offsetof(PRINTERPROPS, dwWaitTimeout) == 16);
static_assert(offsetof(PRINTERPROPS, abReserved1) == 20);
static_assert(offsetof(PRINTERPROPS, wChecksum) == 36);
static_assert(offsetof(PRINTERPROPS, wOptions) == 38);
static_assert(offsetof(PRINTERPROPS, aOptions) == 40);
static_assert(offsetof(PRINTERPROPS, dwMagEncoder) == 132);
static_assert(offsetof(PRINTERPROPS, dwReserved2) == 136);

// The defaults that do not depend on the printer description; the memory,
// time-outs, checksum and options come from it.
inline constexpr PRINTERPROPS DefPrinterProps = {
    .wVersion = PRINTERPROPS_VERSION,
    .wSize = sizeof(PRINTERPROPS),
    .dwPropFlags = 0,
    .dwFreeMem = 0,
    .dwJobTimeout = 0,
    .dwWaitTimeout = 0,
    .abReserved1 = {},
    .wChecksum = 0,
    .wOptions = 0,
    .aOptions = {},
    .dwMagEncoder = 0,
    .dwReserved2 = 0,
};

// ---------------------------------------------------------------------------
// The current form. Lengths in PS reals (1/256 point).

struct CurForm {
  WCHAR wszName[32];    // forms-database name, else the page-size keyword
  char szName[32];      // the page-size option keyword
  LONG rcImageable[4];  // left, bottom, right, top; origin at the paper's lower left
  LONG sizePaper[2];    // width, height
  DWORD bLandscape;     // 1 once the geometry is turned for landscape
  WORD iPageSize;       // option index within the page-size feature
};

// The lengths of a form come from the forms database, which a host fills, so
// they may be anything a 32-bit field holds. Every sum or difference of two
// such lengths, and every product with a scale, is worked out in 64 bits and
// clamped to the 32-bit range: a hostile form gives an extreme but defined
// geometry (and extreme capabilities), never a wrapped one.
inline LONG ClampToLong(std::int64_t value) {
  return static_cast<LONG>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

// Positions in CurForm::rcImageable and CurForm::sizePaper.
inline constexpr int FORM_LEFT = 0;
inline constexpr int FORM_BOTTOM = 1;
inline constexpr int FORM_RIGHT = 2;
inline constexpr int FORM_TOP = 3;
inline constexpr int FORM_WIDTH = 0;
inline constexpr int FORM_HEIGHT = 1;

// ---------------------------------------------------------------------------
// The device instance.

inline constexpr DWORD PDEV_SIGNATURE = 0x50534444;  // "DDSP" in memory

// Job-state bits of dwFlags.
inline constexpr DWORD PDEV_DOCUMENT_OPEN = 0x00000004;
inline constexpr DWORD PDEV_PAGE_OPEN = 0x00008000;
inline constexpr DWORD PDEV_CONTINUED_DOCUMENT = 0x00100000;  // continues a replaced instance's
inline constexpr DWORD PDEV_SAME_FORM_TRAY = 0x00800000;      // same form and tray as the old one
inline constexpr DWORD PDEV_RESET_CARRIED = 0x00094104;       // bits a reset carries over

struct PDEV {
  DWORD dwSignature;
  CARDDEVMODE dm;               // the instance's current settings
  PRINTERPROPS* pPrinterProps;  // engine memory, freed with the instance
  HANDLE hModule;               // the driver's own module
  HANDLE hHeap;                 // the instance's tracked heap; the record lives in it
  HANDLE hPrinter;              // spooler handle
  LONG iLogicalDpi;
  ULONG cCopies;  // copies of each card, 1 to 999
  HDEV hdev;
  HSURF hsurf;
  PVOID pvBits;  // the surface's pixels
  HPALETTE hpalDefault;
  PPDOBJ* hppd;  // the packed printer description
  DWORD dwFlags;
  ::CurForm CurForm;
  ULONG cPages;  // pages started in the current document
  PVOID pTTSubstTable;
  ULONG cDeviceFonts;
  ULONG cSoftFonts;
  PVOID pFontBits;
  DWORD dwEndSignature;
};

// TRUE when pdev points at an instance whose both signatures are intact. Sets
// no error; each entry point sets its own.
inline BOOL bValidatePDEV(const PDEV* pdev) {
  return pdev != nullptr && pdev->dwSignature == PDEV_SIGNATURE &&
                 pdev->dwEndSignature == PDEV_SIGNATURE
             ? TRUE
             : FALSE;
}

// The instance behind an engine surface object, or null.
inline PDEV* PdevOfSurface(const SURFOBJ* pso) {
  return pso != nullptr ? static_cast<PDEV*>(pso->dhpdev) : nullptr;
}
