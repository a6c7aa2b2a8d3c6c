#include "driver/surface.h"

#include <cstring>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"

static_assert(CB_SURFACE_BITS == ULONG{FRAME_DOTS} * FRAME_LINES * 4);

HSURF DrvEnableSurface(DHPDEV dhpdev) {
  PDEV* pdev = static_cast<PDEV*>(dhpdev);
  if (!bValidatePDEV(pdev)) {
    EngSetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }

  // Enabled again: the earlier surface and its pixels are given back first,
  // so the instance never holds more than one.
  DrvDisableSurface(dhpdev);

  bool bLandscape = pdev->CurForm.bLandscape == 1;
  SIZEL sizl = bLandscape ? SIZEL{FRAME_LINES, FRAME_DOTS} : SIZEL{FRAME_DOTS, FRAME_LINES};

  PVOID pvBits = EngAllocMem(FL_ZERO_MEMORY, CB_SURFACE_BITS, DRIVER_SURFACE_TAG);
  if (pvBits == nullptr) return nullptr;
  std::memset(pvBits, 0xFF, CB_SURFACE_BITS);

  HSURF hsurf = EngCreateBitmap(sizl, sizl.cx * 4, BMF_32BPP, bLandscape ? 0 : BMF_TOPDOWN, pvBits);
  if (hsurf == nullptr) {
    EngFreeMem(pvBits);
    return nullptr;
  }
  // A surface the engine cannot tie to the instance would never reach the
  // driver's drawing and page calls: give it back rather than report it.
  if (!EngAssociateSurface(hsurf, pdev->hdev, HOOK_BITBLT | HOOK_STRETCHBLT)) {
    EngDeleteSurface(hsurf);
    EngFreeMem(pvBits);
    return nullptr;
  }
  pdev->hsurf = hsurf;
  pdev->pvBits = pvBits;
  return hsurf;
}

void DrvDisableSurface(DHPDEV dhpdev) {
  PDEV* pdev = static_cast<PDEV*>(dhpdev);
  if (!bValidatePDEV(pdev) || pdev->hsurf == nullptr) return;
  EngDeleteSurface(pdev->hsurf);
  pdev->hsurf = nullptr;
  if (pdev->pvBits != nullptr) {
    EngFreeMem(pdev->pvBits);
    pdev->pvBits = nullptr;
  }
}

BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
               ROP4 rop4) {
  return EngBitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush,
                   rop4);
}

BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT*, POINTL* pptlHTOrg, RECTL* prclDest,
                   RECTL* prclSrc, POINTL* pptlMask, ULONG) {
  PDEV* pdev = PdevOfSurface(psoDest);
  if (!bValidatePDEV(pdev)) {
    EngSetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return EngStretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, &pdev->dm.dmPrivate.coloradj, pptlHTOrg,
                       prclDest, prclSrc, pptlMask, HALFTONE);
}
