#include "output/page_render.h"

#include <algorithm>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "output/color_correction.h"
#include "output/command_stream.h"
#include "output/panel_separation.h"

static_assert(CB_PANEL_BUFFER == ULONG{FRAME_DOTS} * FRAME_LINES);

namespace {

constexpr ULONG CWORDS_SURFACE = CB_PANEL_BUFFER;
constexpr DWORD WHITE = 0xFFFFFFFF;

// The print area limited to the printer's frame, so that every dot of it
// lies on the surface. A part outside the frame cannot be printed; the
// headers describe the part that is sent.
PRINTAREA ClipToFrame(PRINTAREA rc) {
  rc.cx = rc.x >= FRAME_DOTS ? 0 : std::min<WORD>(rc.cx, FRAME_DOTS - rc.x);
  rc.cy = rc.y >= FRAME_LINES ? 0 : std::min<WORD>(rc.cy, FRAME_LINES - rc.y);
  return rc;
}

void SendColorPanels(PDEV* pdev, BYTE* pbBuffer, const PRINTAREA& rc, bool bLandscape) {
  const PRIVATEDEVMODE& dmp = pdev->dm.dmPrivate;
  HANDLE hPrinter = pdev->hPrinter;
  DWORD* pBits = static_cast<DWORD*>(pdev->pvBits);
  ULONG cb = ULONG{rc.cx} * rc.cy;

  SendPanelReset(hPrinter, pbBuffer, Panel::Yellow);
  SendPanelReset(hPrinter, pbBuffer, Panel::Magenta);
  SendPanelReset(hPrinter, pbBuffer, Panel::Cyan);

  // One walk corrects, marks and separates the print area: yellow into the
  // buffer, the other panels kept in the surface until their turn.
  SendPanelHeader(hPrinter, pbBuffer, Panel::Yellow, rc.x, rc.y, rc.cx, rc.cy);
  COLORCORRECTION cc = MakeColorCorrection(dmp.alColor);
  SeparateColorPanels(pbBuffer, pBits, bLandscape, rc, dmp.bColorAdjust == 1 ? &cc : nullptr,
                      dmp.bPrintK == 1, WidestColorTiles());
  SendPanelData(hPrinter, pbBuffer, cb);
  SendPanelTrailer(hPrinter, pbBuffer, Panel::Yellow, pdev->cCopies);

  SendPanelHeader(hPrinter, pbBuffer, Panel::Magenta, rc.x, rc.y, rc.cx, rc.cy);
  TakeKeptPanel(pbBuffer, pBits, bLandscape, rc, KeptPanel::Magenta);
  SendPanelData(hPrinter, pbBuffer, cb);
  SendPanelTrailer(hPrinter, pbBuffer, Panel::Magenta, pdev->cCopies);

  SendPanelHeader(hPrinter, pbBuffer, Panel::Cyan, rc.x, rc.y, rc.cx, rc.cy);
  TakeKeptPanel(pbBuffer, pBits, bLandscape, rc, KeptPanel::Cyan);
  SendPanelData(hPrinter, pbBuffer, cb);
  SendPanelTrailer(hPrinter, pbBuffer, Panel::Cyan, pdev->cCopies);
}

// Black: with the colour panels, the pixels marked pure black (kept by the
// colour walk); without them, the pixels that are exactly 0x000000.
void SendBlackPanel(PDEV* pdev, BYTE* pbBuffer, const PRINTAREA& rc, bool bLandscape) {
  HANDLE hPrinter = pdev->hPrinter;
  const auto* pBits = static_cast<const DWORD*>(pdev->pvBits);
  SendPanelReset(hPrinter, pbBuffer, Panel::Black);
  SendPanelHeader(hPrinter, pbBuffer, Panel::Black, rc.x, rc.y, rc.cx, rc.cy);
  if (pdev->dm.dmPrivate.bPrintYMC == 1) {
    TakeKeptPanel(pbBuffer, pBits, bLandscape, rc, KeptPanel::Black);
  } else {
    SeparatePureBlack(pbBuffer, pBits, bLandscape, rc);
  }
  SendPanelData(hPrinter, pbBuffer, ULONG{rc.cx} * rc.cy);
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
