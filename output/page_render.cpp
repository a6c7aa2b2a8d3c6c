#include "output/page_render.h"

#include <algorithm>
#include <cstring>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "output/color_correction.h"
#include "output/command_stream.h"

static_assert(CB_PANEL_BUFFER == ULONG{FRAME_DOTS} * FRAME_LINES);

namespace {

constexpr ULONG CWORDS_SURFACE = CB_PANEL_BUFFER;
constexpr DWORD WHITE = 0xFFFFFFFF;
constexpr DWORD COLOR_BITS = 0x00FFFFFF;

// The print area limited to the printer's frame, so that every dot of it
// lies on the surface. A part outside the frame cannot be printed; the
// headers describe the part that is sent.
PRINTAREA ClipToFrame(PRINTAREA rc) {
  rc.cx = rc.x >= FRAME_DOTS ? 0 : std::min<WORD>(rc.cx, FRAME_DOTS - rc.x);
  rc.cy = rc.y >= FRAME_LINES ? 0 : std::min<WORD>(rc.cy, FRAME_LINES - rc.y);
  return rc;
}

// Builds a panel: line i, dot j of the print area is op applied to its
// surface word (op may change the word), stored at pbPanel[i * cx + j].
// Portrait: word (y + i) x 656 + (x + j). Landscape: word (x + j) x 1024 +
// (y + i), so a printer line runs along a memory column; the lines are taken
// in bands that share the cache lines of the surface.
template <typename Op>
void Separate(BYTE* pbPanel, DWORD* pBits, bool bLandscape, const PRINTAREA& rc, Op op) {
  ULONG cx = rc.cx;
  ULONG cy = rc.cy;
  if (!bLandscape) {
    for (ULONG i = 0; i < cy; ++i) {
      DWORD* pRow = pBits + (rc.y + i) * ULONG{FRAME_DOTS} + rc.x;
      BYTE* pbLine = pbPanel + i * cx;
      for (ULONG j = 0; j < cx; ++j) pbLine[j] = op(pRow[j]);
    }
    return;
  }
  constexpr ULONG CLINES_BAND = 16;
  for (ULONG i0 = 0; i0 < cy; i0 += CLINES_BAND) {
    ULONG cLines = std::min(CLINES_BAND, cy - i0);
    for (ULONG j = 0; j < cx; ++j) {
      DWORD* pColumn = pBits + (rc.x + j) * ULONG{FRAME_LINES} + rc.y + i0;
      BYTE* pbDot = pbPanel + i0 * cx + j;
      for (ULONG t = 0; t < cLines; ++t) pbDot[t * cx] = op(pColumn[t]);
    }
  }
}

void WritePanelData(HANDLE hPrinter, BYTE* pbPanel, ULONG cb) {
  DWORD cbWritten = 0;
  EngWritePrinter(hPrinter, pbPanel, cb, &cbWritten);
}

void SendColorPanels(PDEV* pdev, BYTE* pbBuffer, const PRINTAREA& rc, bool bLandscape) {
  const PRIVATEDEVMODE& dmp = pdev->dm.dmPrivate;
  HANDLE hPrinter = pdev->hPrinter;
  DWORD* pBits = static_cast<DWORD*>(pdev->pvBits);
  ULONG cb = ULONG{rc.cx} * rc.cy;
  bool bCorrect = dmp.bColorAdjust == 1;
  bool bMark = dmp.bPrintK == 1;
  COLORCORRECTION cc = MakeColorCorrection(dmp.alColor);

  SendPanelReset(hPrinter, pbBuffer, Panel::Yellow);
  SendPanelReset(hPrinter, pbBuffer, Panel::Magenta);
  SendPanelReset(hPrinter, pbBuffer, Panel::Cyan);

  // Yellow. The correction and the black marking run in the same walk: each
  // pixel is corrected, then marked (pure black becomes white with mark 0,
  // every other pixel gets mark 0xFF), then separated.
  SendPanelHeader(hPrinter, pbBuffer, Panel::Yellow, rc.x, rc.y, rc.cx, rc.cy);
  Separate(pbBuffer, pBits, bLandscape, rc, [&](DWORD& pixel) {
    if (bCorrect) pixel = CorrectPixel(pixel, cc);
    if (bMark) pixel = (pixel & COLOR_BITS) == 0 ? COLOR_BITS : pixel | 0xFF000000;
    return static_cast<BYTE>(255 - ((pixel >> 16) & 0xFF));
  });
  WritePanelData(hPrinter, pbBuffer, cb);
  SendPanelTrailer(hPrinter, pbBuffer, Panel::Yellow, pdev->cCopies);

  SendPanelHeader(hPrinter, pbBuffer, Panel::Magenta, rc.x, rc.y, rc.cx, rc.cy);
  Separate(pbBuffer, pBits, bLandscape, rc,
           [](DWORD& pixel) { return static_cast<BYTE>(255 - ((pixel >> 8) & 0xFF)); });
  WritePanelData(hPrinter, pbBuffer, cb);
  SendPanelTrailer(hPrinter, pbBuffer, Panel::Magenta, pdev->cCopies);

  SendPanelHeader(hPrinter, pbBuffer, Panel::Cyan, rc.x, rc.y, rc.cx, rc.cy);
  Separate(pbBuffer, pBits, bLandscape, rc,
           [](DWORD& pixel) { return static_cast<BYTE>(255 - (pixel & 0xFF)); });
  WritePanelData(hPrinter, pbBuffer, cb);
  SendPanelTrailer(hPrinter, pbBuffer, Panel::Cyan, pdev->cCopies);
}

// Black: with the colour panels, the pixels marked pure black; without
// them, the pixels that are exactly 0x000000.
void SendBlackPanel(PDEV* pdev, BYTE* pbBuffer, const PRINTAREA& rc, bool bLandscape) {
  HANDLE hPrinter = pdev->hPrinter;
  DWORD* pBits = static_cast<DWORD*>(pdev->pvBits);
  SendPanelReset(hPrinter, pbBuffer, Panel::Black);
  SendPanelHeader(hPrinter, pbBuffer, Panel::Black, rc.x, rc.y, rc.cx, rc.cy);
  if (pdev->dm.dmPrivate.bPrintYMC == 1) {
    Separate(pbBuffer, pBits, bLandscape, rc,
             [](DWORD& pixel) { return static_cast<BYTE>(255 - (pixel >> 24)); });
  } else {
    Separate(pbBuffer, pBits, bLandscape, rc, [](DWORD& pixel) {
      return static_cast<BYTE>((pixel & COLOR_BITS) == 0 ? 0xFF : 0x00);
    });
  }
  WritePanelData(hPrinter, pbBuffer, ULONG{rc.cx} * rc.cy);
  SendPanelTrailer(hPrinter, pbBuffer, Panel::Black, pdev->cCopies);
}

// The overlay panel: every used area, numbered by the areas already sent.
void SendOverlayPanel(PDEV* pdev, BYTE* pbBuffer) {
  HANDLE hPrinter = pdev->hPrinter;
  SendPanelReset(hPrinter, pbBuffer, Panel::Overlay);
  ULONG cSent = 0;
  for (const OVERLAYAREA& area : pdev->dm.dmPrivate.aOverlayArea) {
    if (area.wType == OVERLAY_UNUSED) continue;
    SendOverlayArea(hPrinter, pbBuffer, cSent++, area.wType, area.x, area.y, area.cx, area.cy);
  }
  SendOverlayTrailer(hPrinter, pbBuffer, pdev->cCopies);
}

void SendPanels(PDEV* pdev, BYTE* pbBuffer) {
  const PRIVATEDEVMODE& dmp = pdev->dm.dmPrivate;
  PRINTAREA rc = ClipToFrame(dmp.rcPrint);
  bool bLandscape = pdev->CurForm.bLandscape == 1;

  for (Panel panel : {Panel::Yellow, Panel::Magenta, Panel::Cyan, Panel::Black, Panel::Overlay}) {
    SendPanelReset(pdev->hPrinter, pbBuffer, panel);
  }
  if (dmp.bPrintYMC == 1) SendColorPanels(pdev, pbBuffer, rc, bLandscape);
  if (dmp.bPrintK == 1) SendBlackPanel(pdev, pbBuffer, rc, bLandscape);
  if (dmp.bPrintOverlay == 1) SendOverlayPanel(pdev, pbBuffer);
}

}  // namespace

BOOL DrvSendPage(SURFOBJ* pso) {
  PDEV* pdev = PdevOfSurface(pso);
  if (!bValidatePDEV(pdev) || pdev->pvBits == nullptr) {
    EngSetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }

  BOOL bSent = TRUE;
  auto* pbBuffer = static_cast<BYTE*>(EngAllocMem(0, CB_PANEL_BUFFER, DRIVER_PANEL_TAG));
  if (pbBuffer != nullptr) {
    SendPanels(pdev, pbBuffer);
  } else {
    EngSetLastError(ERROR_NOT_ENOUGH_MEMORY);
    bSent = FALSE;
  }

  pdev->dwFlags &= ~PDEV_PAGE_OPEN;
  std::fill_n(static_cast<DWORD*>(pdev->pvBits), CWORDS_SURFACE, WHITE);
  if (pbBuffer != nullptr) EngFreeMem(pbBuffer);
  return bSent;
}
