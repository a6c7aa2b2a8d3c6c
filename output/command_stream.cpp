// The card printer's command sequences, each formatted with myprintf and
// written with one EngWritePrinter call.
#include "output/command_stream.h"

#include "engine/services.h"
#include "lib/string_copy.h"

namespace {

// The widest field a 32-bit value takes: ten digits and a sign.
constexpr ULONG CCH_LONG_MAX = 11;

// Room for the decimal fields of one sequence: at most six fields, none
// wider than a 32-bit value, plus the NUL.
constexpr ULONG CCH_INTEGER_LIST = 6 * CCH_LONG_MAX + 1;

void Write(HANDLE hPrinter, PVOID pvBuffer, DWORD cb) {
  DWORD cbWritten = 0;
  EngWritePrinter(hPrinter, pvBuffer, cb, &cbWritten);
}

CHAR* Chars(PVOID pvBuffer) { return static_cast<CHAR*>(pvBuffer); }

CHAR Letter(Panel panel) { return static_cast<CHAR>(panel); }

// a + b and a - b on 32-bit words, wrapping around instead of overflowing:
// the adjustments come from the device mode and may hold anything.
LONG WrappingAdd(LONG a, LONG b) {
  return static_cast<LONG>(static_cast<ULONG>(a) + static_cast<ULONG>(b));
}

LONG WrappingSub(LONG a, LONG b) {
  return static_cast<LONG>(static_cast<ULONG>(a) - static_cast<ULONG>(b));
}

// Copies a track text into szTrack, cut to cbMax bytes; a null text is
// empty. The copy keeps the formatted sequence within the scratch buffer.
void CopyTrack(CHAR (&szTrack)[CB_TRACK3_MAX + 1], const CHAR* pszTrack, ULONG cbMax) {
  CopyStringA(szTrack, pszTrack != nullptr ? pszTrack : "", cbMax + 1);
}

}  // namespace

void FormatIntegerListV(CHAR* pszOut, const CHAR* pszWidths, std::span<const LONG> values) {
  CHAR* pch = pszOut;
  for (std::size_t i = 0; i < values.size() && pszWidths[i] != '\0'; ++i) {
    CHAR szValue[CCH_LONG_MAX + 1];
    ULONG cchValue = SPRINTF(szValue, "%d", values[i]);
    CHAR chWidth = pszWidths[i];
    ULONG cchWidth = chWidth >= '0' && chWidth <= '9' ? static_cast<ULONG>(chWidth - '0') : 0;
    for (ULONG cch = cchValue; cch < cchWidth; ++cch) *pch++ = '0';
    for (ULONG j = 0; j < cchValue; ++j) *pch++ = szValue[j];
  }
  *pch = '\0';
}

void ConvertIntegerToHex(BYTE (&abOut)[CB_INTEGER_BYTES], ULONG value) {
  for (BYTE& b : abOut) {
    b = static_cast<BYTE>(value & 0xFF);
    value >>= 8;
  }
}

void SendDocumentStart(HANDLE hPrinter, PVOID pvBuffer, WORD wDocMode) {
  CHAR chMode = wDocMode == 1 ? 'D' : 'L';
  Write(hPrinter, pvBuffer, myprintf(Chars(pvBuffer), "%cP%c%c", ESC, chMode, CR));
}

void SendAdjustments(HANDLE hPrinter, PVOID pvBuffer, LONG lAdjust1, LONG lAdjust2, LONG lAdjust3,
                     LONG lAdjust4) {
  CHAR szFields[CCH_INTEGER_LIST];
  FormatIntegerList(szFields, "22222", WrappingAdd(lAdjust2, 5), WrappingSub(5, lAdjust1),
                    WrappingAdd(lAdjust4, 5), 0, WrappingAdd(lAdjust3, 5));
  Write(hPrinter, pvBuffer, myprintf(Chars(pvBuffer), "%cd%s%c", ESC, szFields, CR));
}

BOOL SendTrackData(HANDLE hPrinter, PVOID pvBuffer, WORD wMagMode, const CHAR* pszTrack1,
                   const CHAR* pszTrack2, const CHAR* pszTrack3) {
  constexpr CHAR achModeLetter[] = {'Q', 'R', 'W'};
  if (wMagMode >= sizeof achModeLetter) return FALSE;
  CHAR chMode = achModeLetter[wMagMode];
  CHAR* pch = Chars(pvBuffer);
  if (chMode == 'Q') {
    Write(hPrinter, pvBuffer, myprintf(pch, "%cM%c%c", ESC, chMode, CR));
    return TRUE;
  }
  CHAR szTrack[CB_TRACK3_MAX + 1];
  CopyTrack(szTrack, pszTrack1, CB_TRACK1_MAX);
  Write(hPrinter, pvBuffer, myprintf(pch, "%cM%c1%s%c", ESC, chMode, szTrack, SO));
  CopyTrack(szTrack, pszTrack2, CB_TRACK2_MAX);
  Write(hPrinter, pvBuffer, myprintf(pch, "2%s%c", szTrack, SO));
  CopyTrack(szTrack, pszTrack3, CB_TRACK3_MAX);
  Write(hPrinter, pvBuffer, myprintf(pch, "3%s%c%c", szTrack, SO, CR));
  return TRUE;
}

void SendPageStart(HANDLE hPrinter, PVOID pvBuffer) {
  Write(hPrinter, pvBuffer, myprintf(Chars(pvBuffer), "%c%c%c", ESC, SOH, CR));
}

void SendPanelReset(HANDLE hPrinter, PVOID pvBuffer, Panel panel) {
  Write(hPrinter, pvBuffer, myprintf(Chars(pvBuffer), "%cc%c%c", ESC, Letter(panel), CR));
}

void SendPanelHeader(HANDLE hPrinter, PVOID pvBuffer, Panel panel, WORD x, WORD y, WORD cx,
                     WORD cy) {
  CHAR szPosition[CCH_INTEGER_LIST];
  FormatIntegerList(szPosition, "34", x, y);
  BYTE abSize[CB_INTEGER_BYTES];
  ConvertIntegerToHex(abSize, static_cast<ULONG>(cx) * cy);
  BYTE abLine[CB_INTEGER_BYTES];
  ConvertIntegerToHex(abLine, cx);
  Write(hPrinter, pvBuffer,
        myprintf(Chars(pvBuffer), "%ce%c%s11%c%c%c%c%cS", ESC, Letter(panel), szPosition, abSize[2],
                 abSize[1], abSize[0], abLine[1], abLine[0]));
}

void SendPanelData(HANDLE hPrinter, PVOID pvData, DWORD cb) { Write(hPrinter, pvData, cb); }

void SendPanelTrailer(HANDLE hPrinter, PVOID pvBuffer, Panel panel, ULONG cCopies) {
  CHAR szCopies[CCH_INTEGER_LIST];
  FormatIntegerList(szCopies, "4", cCopies);
  Write(hPrinter, pvBuffer,
        myprintf(Chars(pvBuffer), "%c%ca%c%s%c", CR, ESC, Letter(panel), szCopies, CR));
}

void SendOverlayArea(HANDLE hPrinter, PVOID pvBuffer, ULONG iArea, WORD wType, WORD x, WORD y,
                     WORD cx, WORD cy) {
  CHAR szFields[CCH_INTEGER_LIST];
  FormatIntegerList(szFields, "144441", iArea, y, x, y + cy, x + cx, 1 - wType);
  Write(hPrinter, pvBuffer, myprintf(Chars(pvBuffer), "%ceO%s%c", ESC, szFields, CR));
}

void SendOverlayTrailer(HANDLE hPrinter, PVOID pvBuffer, ULONG cCopies) {
  CHAR szCopies[CCH_INTEGER_LIST];
  FormatIntegerList(szCopies, "4", cCopies);
  Write(hPrinter, pvBuffer, myprintf(Chars(pvBuffer), "%caO%s%c", ESC, szCopies, CR));
}

void SendDocumentEnd(HANDLE hPrinter, PVOID pvBuffer) {
  Write(hPrinter, pvBuffer, myprintf(Chars(pvBuffer), "%c%c%c", ESC, EOT, CR));
}
