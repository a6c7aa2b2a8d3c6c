// Creating, completing, replacing and freeing device instances.
#include "driver/instance.h"

#include <cstring>

#include "driver/capabilities.h"
#include "driver/page_geometry.h"
#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/tracked_heap.h"
#include "ppd/packed_image.h"
#include "ppd/queries.h"

namespace {

// Frees an instance that DrvEnablePDEV could not finish, or that the engine
// disables.
void FreePdev(PDEV* pdev) {
  if (pdev->hpalDefault != nullptr) EngDeletePalette(pdev->hpalDefault);
  FreePdevMemory(pdev);
}

}  // namespace

DHPDEV DrvEnablePDEV(DEVMODEW* pdm, LPWSTR, ULONG cPat, HSURF* phsurfPatterns, ULONG cjCaps,
                     ULONG* pdevcaps, ULONG cjDevInfo, DEVINFO* pdi, HDEV hdev,
                     LPWSTR pwszDeviceName, HANDLE hDriver) {
  HANDLE hHeap = HEAPCREATE();
  if (hHeap == nullptr) return nullptr;
  auto* pdev = static_cast<PDEV*>(HEAPALLOC(hHeap, sizeof(PDEV)));
  if (pdev == nullptr) {
    HEAPDESTROY(hHeap);
    return nullptr;
  }
  std::memset(pdev, 0, sizeof *pdev);
  pdev->hHeap = hHeap;
  pdev->hPrinter = hDriver;

  pdev->hModule = EngLoadModule(EngGetDriverName(hdev));
  if (pdev->hModule == nullptr) {
    FreePdev(pdev);
    return nullptr;
  }
  // The parse inside takes the driver-wide description lock (made here when
  // DrvEnableDriver could not make it); without one no description is built.
  pdev->hppd = PpdCreate(EngGetPrinterDataFileName(hdev));
  if (pdev->hppd == nullptr || !FillPsDevData(pdev, pdm, pwszDeviceName)) {
    FreePdev(pdev);
    return nullptr;
  }
  FillPsDevCaps(pdev, cjCaps, reinterpret_cast<GDIINFO*>(pdevcaps));
  pdev->cDeviceFonts = 0;
  if (!FillPsDevInfo(pdev, cjDevInfo, pdi)) {
    FreePdev(pdev);
    return nullptr;
  }
  // One bit per font reported in the device information.
  pdev->pFontBits = BitArrayCreate(pdev->hHeap, pdev->cDeviceFonts + pdev->cSoftFonts);
  if (pdev->pFontBits == nullptr) {
    FreePdev(pdev);
    return nullptr;
  }
  // The driver supplies no standard patterns.
  if (phsurfPatterns != nullptr) {
    for (ULONG i = 0; i < cPat; ++i) phsurfPatterns[i] = nullptr;
  }
  return pdev;
}

void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev) {
  auto* pdev = static_cast<PDEV*>(dhpdev);
  if (!bValidatePDEV(pdev)) {
    EngSetLastError(ERROR_INVALID_PARAMETER);
    return;
  }
  pdev->hdev = hdev;
}

BOOL DrvResetPDEV(DHPDEV dhpdevOld, DHPDEV dhpdevNew) {
  auto* pdevOld = static_cast<PDEV*>(dhpdevOld);
  auto* pdevNew = static_cast<PDEV*>(dhpdevNew);
  if (!bValidatePDEV(pdevOld) || !bValidatePDEV(pdevNew)) {
    EngSetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!(pdevOld->dwFlags & PDEV_DOCUMENT_OPEN)) return TRUE;

  // The document goes on: the new instance sends no document start.
  pdevNew->dwFlags |= PDEV_CONTINUED_DOCUMENT | (pdevOld->dwFlags & PDEV_RESET_CARRIED);
  pdevNew->cPages = pdevOld->cPages;
  if (SameDevmodeFormTray(&pdevNew->dm.dmPublic, &pdevOld->dm.dmPublic)) {
    pdevNew->dwFlags |= PDEV_SAME_FORM_TRAY;
  }
  // An instance reset onto itself keeps its own font bits: freeing them
  // first would leave nothing to copy.
  if (pdevNew != pdevOld && pdevNew->cDeviceFonts == pdevOld->cDeviceFonts &&
      pdevNew->cSoftFonts == pdevOld->cSoftFonts) {
    if (pdevNew->pFontBits != nullptr) HEAPFREE(pdevNew->hHeap, pdevNew->pFontBits);
    pdevNew->pFontBits =
        BitArrayDuplicate(pdevNew->hHeap, static_cast<const BITARRAY*>(pdevOld->pFontBits));
  }
  return TRUE;
}

void DrvDisablePDEV(DHPDEV dhpdev) {
  auto* pdev = static_cast<PDEV*>(dhpdev);
  if (!bValidatePDEV(pdev)) {
    EngSetLastError(ERROR_INVALID_PARAMETER);
    return;
  }
  FreePdev(pdev);
}

void FreePdevMemory(PDEV* pdev) {
  if (pdev->hModule != nullptr) EngFreeModule(pdev->hModule);
  if (pdev->pTTSubstTable != nullptr) EngFreeMem(pdev->pTTSubstTable);
  if (pdev->pPrinterProps != nullptr) EngFreeMem(pdev->pPrinterProps);
  if (pdev->hppd != nullptr) PpdDelete(pdev->hppd);
  HEAPDESTROY(pdev->hHeap);
}
