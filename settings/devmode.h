// The device mode: every device instance keeps its own, set to the driver's
// defaults and then merged field by field with the one the application
// passed, which may have an older or newer layout. A switch, area or mode
// without a defined value falls back to its default; a number outside its
// range becomes the nearest value inside (settings/devmode_ranges.h);
// nothing is rejected as a whole. A track text that holds a control
// character is taken as empty.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

struct CARDDEVMODE;
struct PPDOBJ;

// Public defaults.
inline constexpr DWORD DM_DEFAULT_FIELDS = 0x10F0F;
inline constexpr SHORT DM_DEFAULT_PAPERLENGTH = 535;  // tenths of a millimetre
inline constexpr SHORT DM_DEFAULT_PAPERWIDTH = 858;
inline constexpr SHORT DM_DEFAULT_PRINTQUALITY = 300;
inline constexpr SHORT DM_DEFAULT_SCALE = 100;
inline constexpr SHORT DM_MAX_SCALE = 1000;
inline constexpr SHORT DM_MAX_COPIES = 999;

// Public part sizes of the layouts the driver recognises, and their
// dmSpecVersion values.
inline constexpr WORD DM_SIZE_320 = 188;
inline constexpr WORD DM_SIZE_400 = 212;
inline constexpr WORD DM_SIZE_401 = 220;

// Zeroes the whole device mode, writes the public and private defaults
// (bMetric picks the form name "A4" over "Letter"), the description's
// checksum and its document-sticky defaults. A null device name leaves
// dmDeviceName empty. Returns TRUE.
BOOL SetDefaultDevMode(CARDDEVMODE* pdm, const WCHAR* pwszDeviceName, PPDOBJ* hppd, BOOL bMetric);

// Merges pdmIn into pdmCur. TRUE when pdmIn is null or was merged; FALSE when
// no memory for the working copy is left or pdmIn's layout is not recognised
// (pdmCur is then unchanged). pdmIn's declared sizes must have been checked
// against the bytes behind it; nothing past dmSize + dmDriverExtra is read.
BOOL ValidateSetDevMode(CARDDEVMODE* pdmCur, const DEVMODEW* pdmIn, PPDOBJ* hppd);

// The dmSpecVersion implied by the public size (188: 0x320,
// 212: 0x400, 220: 0x401), else the record's own dmSpecVersion; 0 for null.
WORD CheckDevmodeVersion(const DEVMODEW* pdm);

// Copies what two layouts share from pdmIn to pdmOut, keeping pdmOut's own
// sizes and versions: the number of bytes copied, or -1 when either layout is
// not recognised.
LONG ConvertDevmode(const DEVMODEW* pdmIn, DEVMODEW* pdmOut);

// TRUE when the text in pwsz (at most cch units, up to its terminator) holds
// no control character (U+0001 to U+001F, U+007F). The command stream frames
// the track texts with control bytes (SO between the tracks, CR at the end,
// ESC before every sequence), so a track text must not carry any.
BOOL bIsTrackText(const WCHAR* pwsz, ULONG cch);
