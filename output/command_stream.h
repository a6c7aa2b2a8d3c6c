// The card printer's command language: the routines that build parameters,
// and one function per command sequence. Each sequence is formatted into a
// scratch buffer the caller gives (at least CB_COMMAND_BUFFER bytes; the start
// of the page's panel buffer will do) and written to the spooler with one
// EngWritePrinter call; the magnetic track data of modes R and W go out in
// three writes. Write results are not examined: the stream has no
// acknowledgement to act on.
//
// A job reads, in order: document start, adjustments; for every page the
// track data (encoder fitted only) and page start, then the panel resets,
// headers, data and trailers and the overlay areas; finally document end.
#pragma once

#include <span>

#include "engine/types.h"
#include "lib/formatter.h"

// Control bytes of the stream.
inline constexpr CHAR ESC = 0x1B;
inline constexpr CHAR CR = 0x0D;
inline constexpr CHAR SO = 0x0E;
inline constexpr CHAR SOH = 0x01;
inline constexpr CHAR EOT = 0x04;

// The most bytes of each magnetic track text that are sent; longer texts are
// cut there.
inline constexpr ULONG CB_TRACK1_MAX = 99;
inline constexpr ULONG CB_TRACK2_MAX = 99;
inline constexpr ULONG CB_TRACK3_MAX = 149;

// Room every sequence below needs in the caller's scratch buffer: the longest
// is track 3 ("3", 149 bytes, SO, CR, NUL), with margin for parameters far
// outside their ranges.
inline constexpr ULONG CB_COMMAND_BUFFER = 256;

// Formats args into pchBuffer (VSPRINTF) and returns the bytes produced,
// 0 bytes from c included: the count to hand to EngWritePrinter.
template <typename... Args>
DWORD myprintf(CHAR* pchBuffer, FormatText<std::decay_t<Args>...> format, Args&&... args) {
  return SPRINTF(pchBuffer, format, static_cast<Args&&>(args)...);
}

// Builds a text of decimal fields in pszOut (emptied first): pszWidths holds
// one digit per value, the width of its field. Each value is written in
// signed decimal and filled on the left with "0" to its width (width 4,
// value -3 gives "00-3"); a longer value is written in full. Fields stop at
// the end of either the widths or the values. Needs room for
// max(width, 11) bytes per field plus the NUL.
void FormatIntegerListV(CHAR* pszOut, const CHAR* pszWidths, std::span<const LONG> values);

template <FormatWordArg... Values>
void FormatIntegerList(CHAR* pszOut, const CHAR* pszWidths, Values... values) {
  const LONG alValues[] = {static_cast<LONG>(values)..., 0};
  FormatIntegerListV(pszOut, pszWidths, std::span<const LONG>(alValues, sizeof...(Values)));
}

// Stores value as 6 bytes, least significant first. A raw count in the
// stream is bytes 2, 1, 0 (a data size) or 1, 0 (a line length) of it.
inline constexpr ULONG CB_INTEGER_BYTES = 6;
void ConvertIntegerToHex(BYTE (&abOut)[CB_INTEGER_BYTES], ULONG value);

// Ribbon panels, by the letter that names each in the stream.
enum class Panel : CHAR {
  Yellow = 'Y',
  Magenta = 'M',
  Cyan = 'C',
  Black = 'K',
  Overlay = 'O',
};

// ESC "P" "D" CR when wDocMode is 1, ESC "P" "L" CR for any other value.
void SendDocumentStart(HANDLE hPrinter, PVOID pvBuffer, WORD wDocMode);

// ESC "d", the 2-digit fields lAdjust2 + 5, 5 - lAdjust1, lAdjust4 + 5, 0,
// lAdjust3 + 5, CR.
void SendAdjustments(HANDLE hPrinter, PVOID pvBuffer, LONG lAdjust1, LONG lAdjust2, LONG lAdjust3,
                     LONG lAdjust4);

// The magnetic track data for wMagMode 0 (ESC "M" "Q" CR, the texts unused),
// 1 (letter "R") or 2 (letter "W"): ESC "M", the letter, "1", track 1, SO;
// then "2", track 2, SO; then "3", track 3, SO, CR, in three writes. The
// texts are 8-bit, NUL-terminated (a null pointer counts as empty) and cut
// to CB_TRACK1_MAX, CB_TRACK2_MAX and CB_TRACK3_MAX bytes. Any other mode
// has no letter: nothing is sent and the result is FALSE.
BOOL SendTrackData(HANDLE hPrinter, PVOID pvBuffer, WORD wMagMode, const CHAR* pszTrack1,
                   const CHAR* pszTrack2, const CHAR* pszTrack3);

// ESC SOH CR.
void SendPageStart(HANDLE hPrinter, PVOID pvBuffer);

// ESC "c", the panel letter, CR.
void SendPanelReset(HANDLE hPrinter, PVOID pvBuffer, Panel panel);

// The 18-byte header in front of the data of panel Y, M, C or K for the
// print area x, y, cx, cy: ESC "e", the letter, x in 3 digits, y in 4, "11",
// the data size cx x cy in 3 raw bytes, the line length cx in 2 raw bytes,
// "S" (raw bytes most significant first).
void SendPanelHeader(HANDLE hPrinter, PVOID pvBuffer, Panel panel, WORD x, WORD y, WORD cx,
                     WORD cy);

// The data of a panel, cb bytes, in one write.
void SendPanelData(HANDLE hPrinter, PVOID pvData, DWORD cb);

// After the data of panel Y, M, C or K: CR, ESC "a", the letter, the copy
// count in 4 digits, CR.
void SendPanelTrailer(HANDLE hPrinter, PVOID pvBuffer, Panel panel, ULONG cCopies);

// One overlay area: ESC "e" "O", iArea (the areas already sent in this page)
// in 1 digit, y, x, y + cy, x + cx in 4 digits each, 1 - wType in 1 digit, CR.
void SendOverlayArea(HANDLE hPrinter, PVOID pvBuffer, ULONG iArea, WORD wType, WORD x, WORD y,
                     WORD cx, WORD cy);

// Closes the overlay panel: ESC "a" "O", the copy count in 4 digits, CR (no
// CR in front, unlike the other trailers).
void SendOverlayTrailer(HANDLE hPrinter, PVOID pvBuffer, ULONG cCopies);

// ESC EOT CR.
void SendDocumentEnd(HANDLE hPrinter, PVOID pvBuffer);
