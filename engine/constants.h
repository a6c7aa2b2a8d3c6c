// Constants of the graphics engine's driver interface that the driver and
// its hosts use, with the platform's values.
#pragma once

#include "engine/types.h"

// Error codes (EngSetLastError / EngGetLastError).
inline constexpr ULONG ERROR_SUCCESS = 0;
inline constexpr ULONG ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr ULONG ERROR_INVALID_PARAMETER = 87;
inline constexpr ULONG ERROR_BAD_DRIVER_LEVEL = 119;
inline constexpr ULONG ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr ULONG ERROR_INVALID_LEVEL = 124;
inline constexpr ULONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr ULONG ERROR_MORE_DATA = 234;

// Status codes of the run-time's conversion routines.
inline constexpr NTSTATUS STATUS_SUCCESS = 0;
inline constexpr NTSTATUS STATUS_BUFFER_OVERFLOW = static_cast<NTSTATUS>(0x80000005u);

// Versions.
inline constexpr ULONG DDI_DRIVER_VERSION_NT4 = 0x20000;
inline constexpr ULONG GDI_DRIVER_VERSION = 0x400;

// Engine function indices of the driver's entry points.
inline constexpr ULONG INDEX_DrvEnablePDEV = 0;
inline constexpr ULONG INDEX_DrvCompletePDEV = 1;
inline constexpr ULONG INDEX_DrvDisablePDEV = 2;
inline constexpr ULONG INDEX_DrvEnableSurface = 3;
inline constexpr ULONG INDEX_DrvDisableSurface = 4;
inline constexpr ULONG INDEX_DrvResetPDEV = 7;
inline constexpr ULONG INDEX_DrvBitBlt = 18;
inline constexpr ULONG INDEX_DrvStretchBlt = 20;
inline constexpr ULONG INDEX_DrvEscape = 24;
inline constexpr ULONG INDEX_DrvSendPage = 32;
inline constexpr ULONG INDEX_DrvStartPage = 33;
inline constexpr ULONG INDEX_DrvEndDoc = 34;
inline constexpr ULONG INDEX_DrvStartDoc = 35;

// Pool allocation flags.
inline constexpr ULONG FL_ZERO_MEMORY = 0x00000001;

// Device mode: dmFields bits.
inline constexpr DWORD DM_ORIENTATION = 0x00000001;
inline constexpr DWORD DM_PAPERSIZE = 0x00000002;
inline constexpr DWORD DM_PAPERLENGTH = 0x00000004;
inline constexpr DWORD DM_PAPERWIDTH = 0x00000008;
inline constexpr DWORD DM_SCALE = 0x00000010;
inline constexpr DWORD DM_COPIES = 0x00000100;
inline constexpr DWORD DM_DEFAULTSOURCE = 0x00000200;
inline constexpr DWORD DM_PRINTQUALITY = 0x00000400;
inline constexpr DWORD DM_COLOR = 0x00000800;
inline constexpr DWORD DM_DUPLEX = 0x00001000;
inline constexpr DWORD DM_YRESOLUTION = 0x00002000;
inline constexpr DWORD DM_TTOPTION = 0x00004000;
inline constexpr DWORD DM_COLLATE = 0x00008000;
inline constexpr DWORD DM_FORMNAME = 0x00010000;
inline constexpr DWORD DM_LOGPIXELS = 0x00020000;
inline constexpr DWORD DM_BITSPERPEL = 0x00040000;
inline constexpr DWORD DM_PELSWIDTH = 0x00080000;
inline constexpr DWORD DM_PELSHEIGHT = 0x00100000;
inline constexpr DWORD DM_DISPLAYFLAGS = 0x00200000;
inline constexpr DWORD DM_DISPLAYFREQUENCY = 0x00400000;
inline constexpr DWORD DM_ICMMETHOD = 0x00800000;
inline constexpr DWORD DM_ICMINTENT = 0x01000000;
inline constexpr DWORD DM_MEDIATYPE = 0x02000000;
inline constexpr DWORD DM_DITHERTYPE = 0x04000000;
inline constexpr DWORD DM_PANNINGWIDTH = 0x08000000;
inline constexpr DWORD DM_PANNINGHEIGHT = 0x10000000;

inline constexpr SHORT DMORIENT_PORTRAIT = 1;
inline constexpr SHORT DMORIENT_LANDSCAPE = 2;
inline constexpr SHORT DMCOLOR_MONOCHROME = 1;
inline constexpr SHORT DMCOLOR_COLOR = 2;
inline constexpr SHORT DMDUP_SIMPLEX = 1;
inline constexpr SHORT DMDUP_VERTICAL = 2;
inline constexpr SHORT DMDUP_HORIZONTAL = 3;
inline constexpr SHORT DMCOLLATE_FALSE = 0;
inline constexpr SHORT DMCOLLATE_TRUE = 1;
inline constexpr SHORT DMTT_BITMAP = 1;
inline constexpr SHORT DMTT_DOWNLOAD = 2;
inline constexpr SHORT DMTT_SUBDEV = 3;
inline constexpr SHORT DMPAPER_LETTER = 1;
inline constexpr SHORT DMPAPER_A4 = 9;
inline constexpr SHORT DMBIN_ONLYONE = 1;
inline constexpr SHORT DMBIN_FORMSOURCE = 15;
inline constexpr SHORT DMRES_DRAFT = -1;
inline constexpr SHORT DMRES_HIGH = -4;

// Forms database (FORM_INFO_1 Flags).
inline constexpr DWORD FORM_USER = 0x00000000;
inline constexpr DWORD FORM_BUILTIN = 0x00000001;
inline constexpr DWORD FORM_PRINTER = 0x00000002;

// Registry value types (EngGetPrinterData).
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;

// Bitmap formats and creation flags.
inline constexpr ULONG BMF_1BPP = 1;
inline constexpr ULONG BMF_4BPP = 2;
inline constexpr ULONG BMF_8BPP = 3;
inline constexpr ULONG BMF_16BPP = 4;
inline constexpr ULONG BMF_24BPP = 5;
inline constexpr ULONG BMF_32BPP = 6;
inline constexpr FLONG BMF_TOPDOWN = 0x0001;
inline constexpr FLONG BMF_NOZEROINIT = 0x0002;
inline constexpr USHORT STYPE_BITMAP = 0;

// Drawing calls a driver can hook (EngAssociateSurface).
inline constexpr FLONG HOOK_BITBLT = 0x00000001;
inline constexpr FLONG HOOK_STRETCHBLT = 0x00000002;

// Clipping complexity (CLIPOBJ iDComplexity).
inline constexpr BYTE DC_TRIVIAL = 0;
inline constexpr BYTE DC_RECT = 1;
inline constexpr BYTE DC_COMPLEX = 3;

// Raster operations as ROP4 values (foreground and background ROP3 alike).
inline constexpr ROP4 ROP4_BLACKNESS = 0x0000;
inline constexpr ROP4 ROP4_SRCCOPY = 0xCCCC;
inline constexpr ROP4 ROP4_PATCOPY = 0xF0F0;
inline constexpr ROP4 ROP4_WHITENESS = 0xFFFF;

// Stretching modes.
inline constexpr ULONG BLACKONWHITE = 1;
inline constexpr ULONG WHITEONBLACK = 2;
inline constexpr ULONG COLORONCOLOR = 3;
inline constexpr ULONG HALFTONE = 4;

// Palettes.
inline constexpr ULONG PAL_INDEXED = 0x00000001;
inline constexpr ULONG PAL_BITFIELDS = 0x00000002;
inline constexpr ULONG PAL_RGB = 0x00000004;
inline constexpr ULONG PAL_BGR = 0x00000008;

// Device capabilities (GDIINFO, DEVINFO).
inline constexpr ULONG DT_RASPRINTER = 2;
inline constexpr ULONG PRIMARY_ORDER_ABC = 0;
inline constexpr ULONG HT_FORMAT_1BPP = 0;
inline constexpr ULONG HT_FORMAT_4BPP = 2;
inline constexpr ULONG HT_FLAG_HAS_BLACK_DYE = 0x00000002;
inline constexpr ULONG HT_FLAG_OUTPUT_CMY = 0x00000100;
inline constexpr FLONG GCAPS_BEZIERS = 0x00000001;
inline constexpr FLONG GCAPS_GEOMETRICWIDE = 0x00000002;
inline constexpr FLONG GCAPS_ALTERNATEFILL = 0x00000004;
inline constexpr FLONG GCAPS_WINDINGFILL = 0x00000008;
inline constexpr FLONG GCAPS_OPAQUERECT = 0x00000100;
inline constexpr FLONG GCAPS_DONTJOURNAL = 0x00002000;

// Escapes answered by printer drivers.
inline constexpr ULONG QUERYESCSUPPORT = 8;
inline constexpr ULONG SETCOPYCOUNT = 17;
inline constexpr ULONG GETTECHNOLOGY = 20;

// DrvEndDoc flags.
inline constexpr FLONG ED_ABORTDOC = 0x00000001;
