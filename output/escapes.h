// The escapes applications send to the driver: the support query, the copy
// count, the technology name, and four private escapes that hand over the
// magnetic track texts and the encoding mode. Values set here live in the
// instance (cCopies and its device mode) and apply to every page sent after.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

// The private escapes.
inline constexpr ULONG SETMAGTRACK1 = 4156;
inline constexpr ULONG SETMAGTRACK2 = 4157;
inline constexpr ULONG SETMAGTRACK3 = 4158;
inline constexpr ULONG SETMAGMODE = 4159;

// The largest copy count; QUERYESCSUPPORT for SETCOPYCOUNT answers it.
inline constexpr ULONG MAX_COPIES = 999;

// Results of the escapes other than 1 (done) and 0 (not answered).
inline constexpr LONG ESC_NO_INPUT = -1;         // input missing or too short
inline constexpr LONG ESC_BAD_SIZE = -2;         // SETMAGMODE input not one byte
inline constexpr LONG ESC_BAD_TRACK_TEXT = -3;   // track text too large or with a control character
inline constexpr LONG ESC_BAD_MODE_LETTER = -4;  // SETMAGMODE letter not Q, R or W

// 1 for the seven escapes the driver answers, else 0.
ULONG isSupported(ULONG iEsc);

// Answers escape iEsc; the result is a 32-bit value, the negative results
// above included:
//   QUERYESCSUPPORT  input: the escape number asked about (16 bits); 999 for
//                    SETCOPYCOUNT, else isSupported of it; 0 for an input
//                    under 2 bytes.
//   GETTECHNOLOGY    writes "Thermoprinter" and its NUL (14 bytes) to the
//                    output; 0 with last error 87 when there is no room.
//   SETCOPYCOUNT     input: a 32-bit count, 0 taken as 1, above 999 as 999;
//                    stored in cCopies and, with room for 4 bytes, written
//                    to the output. -1 for an input under 4 bytes.
//   SETMAGTRACK1..3  input: a UTF-16 text for track 1, 2 or 3, stored with
//                    the rest of the field cleared; -1 without input, -3
//                    when larger than the field (320, 160, 432 bytes) or
//                    when it holds a control character (bIsTrackText), the
//                    field then unchanged.
//   SETMAGMODE       input: one byte "Q", "R" or "W"; -1 without input, -2
//                    for another size, -4 for another letter.
// The escapes that set something need a valid instance behind pso: 0 with
// last error 87 otherwise. Unknown escapes answer 0.
ULONG DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
