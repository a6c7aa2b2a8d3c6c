#include "output/document_control.h"

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "output/command_stream.h"

namespace {

PDEV* ValidInstance(SURFOBJ* pso) {
  PDEV* pdev = PdevOfSurface(pso);
  if (bValidatePDEV(pdev)) return pdev;
  EngSetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

// A track text of the device mode in the system's 8-bit code page, whole:
// the stream cuts it to what the printer takes (SendTrackData). The field is
// read up to its terminator and never past its end, even when it holds no
// terminator.
template <std::size_t CchField>
void ConvertTrack(CHAR (&szText)[CchField + 1], const WCHAR (&wszField)[CchField]) {
  ULONG cchText = 0;
  while (cchText < CchField && wszField[cchText] != 0) ++cchText;
  ULONG cbText = 0;
  RtlUnicodeToMultiByteN(szText, CchField, &cbText, wszField, cchText * sizeof(WCHAR));
  szText[cbText] = '\0';
}

void SendTracks(PDEV* pdev, PVOID pvBuffer) {
  const PRIVATEDEVMODE& dmp = pdev->dm.dmPrivate;
  CHAR szTrack1[CCH_TRACK1 + 1];
  CHAR szTrack2[CCH_TRACK2 + 1];
  CHAR szTrack3[CCH_TRACK3 + 1];
  ConvertTrack(szTrack1, dmp.wszTrack1);
  ConvertTrack(szTrack2, dmp.wszTrack2);
  ConvertTrack(szTrack3, dmp.wszTrack3);
  // A mode other than Q, R or W has no letter: no track data goes out.
  SendTrackData(pdev->hPrinter, pvBuffer, dmp.wMagMode, szTrack1, szTrack2, szTrack3);
}

}  // namespace

BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR, DWORD) {
  PDEV* pdev = ValidInstance(pso);
  if (pdev == nullptr) return FALSE;

  pdev->dwFlags |= PDEV_DOCUMENT_OPEN;
  if (pdev->dwFlags & PDEV_CONTINUED_DOCUMENT) return TRUE;

  pdev->cPages = 0;
  pdev->dwFlags &= ~PDEV_PAGE_OPEN;
  const PRIVATEDEVMODE& dmp = pdev->dm.dmPrivate;
  CHAR achBuffer[CB_COMMAND_BUFFER];
  SendDocumentStart(pdev->hPrinter, achBuffer, dmp.wDocMode);
  SendAdjustments(pdev->hPrinter, achBuffer, dmp.lAdjust1, dmp.lAdjust2, dmp.lAdjust3,
                  dmp.lAdjust4);
  return TRUE;
}

BOOL DrvStartPage(SURFOBJ* pso) {
  PDEV* pdev = ValidInstance(pso);
  if (pdev == nullptr) return FALSE;
  if (pdev->dwFlags & PDEV_PAGE_OPEN) return TRUE;

  CHAR achBuffer[CB_COMMAND_BUFFER];
  if (pdev->pPrinterProps != nullptr && pdev->pPrinterProps->dwMagEncoder == 1) {
    SendTracks(pdev, achBuffer);
  }
  SendPageStart(pdev->hPrinter, achBuffer);
  pdev->dwFlags |= PDEV_PAGE_OPEN;
  ++pdev->cPages;
  return TRUE;
}

BOOL DrvEndDoc(SURFOBJ* pso, FLONG) {
  PDEV* pdev = ValidInstance(pso);
  if (pdev == nullptr) return FALSE;

  pdev->dwFlags &= ~(PDEV_DOCUMENT_OPEN | PDEV_CONTINUED_DOCUMENT);
  CHAR achBuffer[CB_COMMAND_BUFFER];
  SendDocumentEnd(pdev->hPrinter, achBuffer);
  return TRUE;
}
