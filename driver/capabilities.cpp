// Filling a device instance and the engine's capability records.
#include "driver/capabilities.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "driver/page_geometry.h"
#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/units.h"
#include "ppd/records.h"
#include "settings/devmode.h"
#include "settings/printer_props.h"

namespace {

constexpr ULONG kDevicePelsDpi = 11800;
constexpr ULONG kMaxHTPatternSize = 15;
constexpr FLONG kTextCaps = 0x19F7;
constexpr FLONG kGraphicsCaps = GCAPS_BEZIERS | GCAPS_GEOMETRICWIDE | GCAPS_ALTERNATEFILL |
                                GCAPS_WINDINGFILL | GCAPS_OPAQUERECT;

}  // namespace

BOOL FillPsDevData(PDEV* pdev, const DEVMODEW* pdmIn, const WCHAR* pwszDeviceName) {
  pdev->dwSignature = PDEV_SIGNATURE;
  pdev->dwEndSignature = PDEV_SIGNATURE;
  pdev->dwFlags = 0;

  pdev->pPrinterProps = GetPrinterProperties(pdev->hPrinter, pdev->hppd);
  if (pdev->pPrinterProps == nullptr) return FALSE;

  SetDefaultDevMode(&pdev->dm, pwszDeviceName, pdev->hppd,
                    (pdev->pPrinterProps->dwPropFlags & PROPFLAG_METRIC) ? TRUE : FALSE);
  ValidateSetDevMode(&pdev->dm, pdmIn, pdev->hppd);

  if (!SetFormMetrics(pdev)) return FALSE;

  const DEVMODEW& dm = pdev->dm.dmPublic;
  pdev->cCopies = static_cast<ULONG>(LONG{dm.dmCopies});
  pdev->cPages = 0;
  pdev->pTTSubstTable = CurrentTrueTypeSubstTable(pdev->hPrinter);
  pdev->iLogicalDpi = LONG{dm.dmPrintQuality} * dm.dmScale / 100;
  return TRUE;
}

void FillPsDevCaps(PDEV* pdev, ULONG cjCaps, GDIINFO* pGdiInfo) {
  const DEVMODEW& dm = pdev->dm.dmPublic;
  const CurForm& form = pdev->CurForm;
  // The imageable area is left, bottom, right, top; the paper width, height.
  const LONG left = form.rcImageable[0];
  const LONG bottom = form.rcImageable[1];
  const LONG right = form.rcImageable[2];
  const LONG top = form.rcImageable[3];
  const LONG paperWidth = form.sizePaper[0];
  const LONG paperHeight = form.sizePaper[1];
  // The form may hold any 32-bit lengths (a host fills the forms database):
  // differences and the scaled sizes are clamped (ClampToLong).
  const LONG width = ClampToLong(std::int64_t{right} - left);
  const LONG height = ClampToLong(std::int64_t{top} - bottom);
  const LONG dpi = dm.dmPrintQuality;
  auto scaledMicrons = [&](LONG length) {
    return static_cast<ULONG>(ClampToLong(std::int64_t{PSRealToMicron(length)} * -100 / dm.dmScale));
  };

  GDIINFO info{};
  info.ulVersion = GDI_DRIVER_VERSION;
  info.ulTechnology = DT_RASPRINTER;
  // Negative sizes are in micrometres.
  info.ulHorzSize = scaledMicrons(width);
  info.ulVertSize = scaledMicrons(height);
  info.ulHorzRes = static_cast<ULONG>(PSRealToPixel(width, dpi));
  info.ulVertRes = static_cast<ULONG>(PSRealToPixel(height, dpi));
  info.cBitsPixel = 24;
  info.cPlanes = 1;
  info.ulNumColors = 8;
  info.flRaster = 0;
  info.ulLogPixelsX = static_cast<ULONG>(pdev->iLogicalDpi);
  info.ulLogPixelsY = static_cast<ULONG>(pdev->iLogicalDpi);
  info.flTextCaps = kTextCaps;
  info.ulAspectX = static_cast<ULONG>(dpi);
  info.ulAspectY = static_cast<ULONG>(dpi);
  info.ulAspectXY = static_cast<ULONG>(dpi) * 1414 / 1000;
  info.xStyleStep = 1;
  info.yStyleStep = 1;
  info.denStyleStep = dpi / 25;
  info.ptlPhysOffset =
      POINTL{PSRealToPixel(left, dpi), PSRealToPixel(ClampToLong(std::int64_t{paperHeight} - top), dpi)};
  info.szlPhysSize = SIZEL{PSRealToPixel(paperWidth, dpi), PSRealToPixel(paperHeight, dpi)};

  DEVHTINFO devHTInfo;
  BOOL bRegistry = GetDeviceHalftoneSetup(pdev->hPrinter, &devHTInfo);
  info.ciDevice = bRegistry ? devHTInfo.ColorInfo : DefDevHTInfo.ColorInfo;
  info.ulDevicePelsDPI = kDevicePelsDpi;
  info.ulPrimaryOrder = PRIMARY_ORDER_ABC;
  info.ulHTPatternSize =
      bRegistry ? devHTInfo.HTPatternSize
                : PickDefaultHTPatSize(static_cast<ULONG>(dpi), static_cast<ULONG>(dpi), FALSE);
  if (info.ulHTPatternSize > kMaxHTPatternSize) info.ulHTPatternSize = DefDevHTInfo.HTPatternSize;
  info.ulHTOutputFormat =
      pdev->hppd->colorDevice && dm.dmColor == DMCOLOR_COLOR ? HT_FORMAT_4BPP : HT_FORMAT_1BPP;
  info.flHTFlags = HT_FLAG_HAS_BLACK_DYE | HT_FLAG_OUTPUT_CMY;

  if (pGdiInfo != nullptr) std::memcpy(pGdiInfo, &info, std::min<ULONG>(cjCaps, sizeof info));
}

BOOL FillPsDevInfo(PDEV* pdev, ULONG cjDevInfo, DEVINFO* pDevInfo) {
  DEVINFO info{};
  info.flGraphicsCaps = kGraphicsCaps;
  if (!(pdev->dm.dmPrivate.dwPrivFlags & PRIVFLAG_JOURNAL))
    info.flGraphicsCaps |= GCAPS_DONTJOURNAL;
  info.cFonts = pdev->cDeviceFonts + pdev->cSoftFonts;

  if (pdev->hpalDefault != nullptr) {
    EngDeletePalette(pdev->hpalDefault);
    pdev->hpalDefault = nullptr;
  }
  pdev->hpalDefault = EngCreatePalette(PAL_RGB, 0, nullptr, 0, 0, 0);
  if (pdev->hpalDefault == nullptr) return FALSE;
  info.hpalDefault = pdev->hpalDefault;
  info.iDitherFormat = BMF_32BPP;
  info.cxDither = 0;
  info.cyDither = 0;

  if (pDevInfo != nullptr) std::memcpy(pDevInfo, &info, std::min<ULONG>(cjDevInfo, sizeof info));
  return TRUE;
}
