// Defaulting, converting and merging device modes.
#include "settings/devmode.h"

#include <algorithm>
#include <cstring>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "lib/string_copy.h"
#include "ppd/queries.h"
#include "ppd/records.h"
#include "settings/devmode_ranges.h"

namespace {

constexpr WCHAR kMetricFormName[] = u"A4";
constexpr WCHAR kFormName[] = u"Letter";

BYTE* PrivatePart(DEVMODEW* pdm) { return reinterpret_cast<BYTE*>(pdm) + pdm->dmSize; }
const BYTE* PrivatePart(const DEVMODEW* pdm) {
  return reinterpret_cast<const BYTE*>(pdm) + pdm->dmSize;
}

// Fills the document-sticky selections with the description's defaults,
// when they fit the record.
void DefaultDocumentStickyOptions(PRIVATEDEVMODE* pPriv, PPDOBJ* hppd) {
  pPriv->wChecksum = hppd->checksum;
  if (hppd->docStickyCount > sizeof pPriv->aOptions) {
    pPriv->wOptions = 0;
    return;
  }
  pPriv->wOptions = PpdDefaultDocumentStickyFeatures(hppd, pPriv->aOptions);
}

// A stored track text that could break the stream's framing is dropped.
template <std::size_t CchField>
void DropUnsendableTrack(WCHAR (&wszField)[CchField]) {
  if (!bIsTrackText(wszField, CchField)) std::memset(wszField, 0, sizeof wszField);
}

BOOL IsSwitch(DWORD value) { return value == 0 || value == 1; }

BOOL InFrame(WORD x, WORD y, WORD cx, WORD cy) {
  return ULONG{x} + cx <= FRAME_DOTS && ULONG{y} + cy <= FRAME_LINES;
}

// The switches, areas and mode of a merged private part that hold no
// defined value get their defaults; the numeric fields outside their ranges
// get the nearest value inside.
void ValidatePrivateDevMode(PRIVATEDEVMODE* pPriv) {
  const PRIVATEDEVMODE& def = DefPrivateDevMode;
  if (!IsSwitch(pPriv->bPrintYMC)) pPriv->bPrintYMC = def.bPrintYMC;
  if (!IsSwitch(pPriv->bPrintK)) pPriv->bPrintK = def.bPrintK;
  if (!IsSwitch(pPriv->bPrintOverlay)) pPriv->bPrintOverlay = def.bPrintOverlay;
  if (!IsSwitch(pPriv->bColorAdjust)) pPriv->bColorAdjust = def.bColorAdjust;

  const PRINTAREA& rc = pPriv->rcPrint;
  if (!InFrame(rc.x, rc.y, rc.cx, rc.cy)) pPriv->rcPrint = def.rcPrint;
  for (int i = 0; i < OVERLAY_AREAS; ++i) {
    OVERLAYAREA& area = pPriv->aOverlayArea[i];
    if (area.wType > OVERLAY_UNUSED || !InFrame(area.x, area.y, area.cx, area.cy)) {
      area = def.aOverlayArea[i];
    }
  }

  if (pPriv->wMagMode > MAGMODE_W) pPriv->wMagMode = def.wMagMode;

  LimitColorAdjustments(pPriv->alColor);
  LimitPositionAdjustments(pPriv);
}

// The paper fields, by the first way of naming the paper that pdmIn uses.
void MergePaper(DEVMODEW* pdmCur, const DEVMODEW* pdmIn) {
  constexpr DWORD kBySize = DM_PAPERLENGTH | DM_PAPERWIDTH;
  if ((pdmIn->dmFields & kBySize) == kBySize && pdmIn->dmPaperWidth > 0 &&
      pdmIn->dmPaperLength > 0) {
    pdmCur->dmPaperWidth = pdmIn->dmPaperWidth;
    pdmCur->dmPaperLength = pdmIn->dmPaperLength;
    pdmCur->dmFields = (pdmCur->dmFields | kBySize) & ~(DM_PAPERSIZE | DM_FORMNAME);
  } else if (pdmIn->dmFields & DM_PAPERSIZE) {
    pdmCur->dmPaperSize = pdmIn->dmPaperSize;
    pdmCur->dmFields = (pdmCur->dmFields | DM_PAPERSIZE) & ~(kBySize | DM_FORMNAME);
  } else if (pdmIn->dmFields & DM_FORMNAME) {
    CopyStringW(pdmCur->dmFormName, pdmIn->dmFormName, CCHFORMNAME);
    pdmCur->dmFields = (pdmCur->dmFields | DM_FORMNAME) & ~(kBySize | DM_PAPERSIZE);
  }
}

// The public fields a device mode may change, each checked.
void MergePublic(DEVMODEW* pdmCur, const DEVMODEW* pdmIn, PPDOBJ* hppd) {
  DWORD dwIn = pdmIn->dmFields;
  if (dwIn & DM_DEFAULTSOURCE) {
    pdmCur->dmFields |= DM_DEFAULTSOURCE;
    pdmCur->dmDefaultSource = pdmIn->dmDefaultSource;
  }
  if (dwIn & DM_ORIENTATION) {
    pdmCur->dmFields |= DM_ORIENTATION;
    SHORT orientation = pdmIn->dmOrientation;
    pdmCur->dmOrientation = orientation == DMORIENT_PORTRAIT || orientation == DMORIENT_LANDSCAPE
                                ? orientation
                                : DMORIENT_PORTRAIT;
  }
  MergePaper(pdmCur, pdmIn);
  if (dwIn & DM_SCALE) {
    pdmCur->dmFields |= DM_SCALE;
    SHORT scale = pdmIn->dmScale;
    pdmCur->dmScale = scale >= 1 && scale <= DM_MAX_SCALE ? scale : DM_DEFAULT_SCALE;
  }
  if (dwIn & DM_COPIES) {
    pdmCur->dmFields |= DM_COPIES;
    SHORT copies = pdmIn->dmCopies;
    pdmCur->dmCopies = copies >= 1 && copies <= DM_MAX_COPIES ? copies : 1;
  }
  if (dwIn & DM_PRINTQUALITY) {
    pdmCur->dmFields |= DM_PRINTQUALITY;
    SHORT quality = pdmIn->dmPrintQuality;
    pdmCur->dmPrintQuality = quality > 0 ? quality : DM_DEFAULT_PRINTQUALITY;
  }
  if (dwIn & DM_COLOR) {
    pdmCur->dmFields |= DM_COLOR;
    pdmCur->dmColor =
        hppd->colorDevice && pdmIn->dmColor == DMCOLOR_COLOR ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
  }
  if (dwIn & DM_DUPLEX) {
    SHORT duplex = pdmIn->dmDuplex;
    if (PpdSupportDuplex(hppd) && duplex >= DMDUP_SIMPLEX && duplex <= DMDUP_HORIZONTAL) {
      pdmCur->dmFields |= DM_DUPLEX;
      pdmCur->dmDuplex = duplex;
    } else {
      pdmCur->dmDuplex = DMDUP_SIMPLEX;
    }
  }
  if (dwIn & DM_COLLATE) {
    SHORT collate = pdmIn->dmCollate;
    if (PpdFindCollateCode(hppd, 1) != nullptr &&
        (collate == DMCOLLATE_FALSE || collate == DMCOLLATE_TRUE)) {
      pdmCur->dmFields |= DM_COLLATE;
      pdmCur->dmCollate = collate;
    } else {
      pdmCur->dmCollate = DMCOLLATE_FALSE;
    }
  }
}

// The private part, when it is this driver's: taken whole, then the track
// texts terminated (and dropped when they hold control characters), stale option selections
// refreshed and values outside their ranges replaced (ValidatePrivateDevMode).
void MergePrivate(PRIVATEDEVMODE* pCur, const PRIVATEDEVMODE* pIn, PPDOBJ* hppd) {
  if (pIn->dwPrivSignature != PRIVATEDEVMODE_SIGNATURE) return;
  *pCur = *pIn;
  CopyStringW(pCur->wszTrack1, pIn->wszTrack1, CCH_TRACK1);
  CopyStringW(pCur->wszTrack2, pIn->wszTrack2, CCH_TRACK2);
  CopyStringW(pCur->wszTrack3, pIn->wszTrack3, CCH_TRACK3);
  DropUnsendableTrack(pCur->wszTrack1);
  DropUnsendableTrack(pCur->wszTrack2);
  DropUnsendableTrack(pCur->wszTrack3);
  if (pCur->wChecksum != hppd->checksum) DefaultDocumentStickyOptions(pCur, hppd);
  ValidatePrivateDevMode(pCur);
}

}  // namespace

BOOL SetDefaultDevMode(CARDDEVMODE* pdm, const WCHAR* pwszDeviceName, PPDOBJ* hppd, BOOL bMetric) {
  std::memset(pdm, 0, sizeof *pdm);
  DEVMODEW& dm = pdm->dmPublic;
  if (pwszDeviceName != nullptr) CopyStringW(dm.dmDeviceName, pwszDeviceName, CCHDEVICENAME);
  dm.dmSpecVersion = DM_SPEC_VERSION;
  dm.dmDriverVersion = DM_DRIVER_VERSION;
  dm.dmSize = sizeof(DEVMODEW);
  dm.dmDriverExtra = sizeof(PRIVATEDEVMODE);
  dm.dmFields = DM_DEFAULT_FIELDS;
  dm.dmOrientation = DMORIENT_LANDSCAPE;
  dm.dmPaperSize = 0;
  dm.dmPaperLength = DM_DEFAULT_PAPERLENGTH;
  dm.dmPaperWidth = DM_DEFAULT_PAPERWIDTH;
  dm.dmScale = DM_DEFAULT_SCALE;
  dm.dmCopies = 1;
  dm.dmDefaultSource = 0;
  dm.dmPrintQuality = DM_DEFAULT_PRINTQUALITY;
  dm.dmColor = DMCOLOR_COLOR;
  dm.dmDuplex = DMDUP_SIMPLEX;
  dm.dmYResolution = 0;
  dm.dmTTOption = DMTT_BITMAP;
  dm.dmCollate = DMCOLLATE_FALSE;
  CopyStringW(dm.dmFormName, bMetric ? kMetricFormName : kFormName, CCHFORMNAME);

  pdm->dmPrivate = DefPrivateDevMode;
  DefaultDocumentStickyOptions(&pdm->dmPrivate, hppd);
  return TRUE;
}

BOOL ValidateSetDevMode(CARDDEVMODE* pdmCur, const DEVMODEW* pdmIn, PPDOBJ* hppd) {
  if (pdmIn == nullptr) return TRUE;

  auto* pWork = static_cast<CARDDEVMODE*>(EngAllocMem(0, sizeof(CARDDEVMODE), DRIVER_DESC_TAG));
  if (pWork == nullptr) return FALSE;
  *pWork = *pdmCur;
  if (ConvertDevmode(pdmIn, &pWork->dmPublic) <= 0) {
    EngFreeMem(pWork);
    return FALSE;
  }
  MergePublic(&pdmCur->dmPublic, &pWork->dmPublic, hppd);
  MergePrivate(&pdmCur->dmPrivate, &pWork->dmPrivate, hppd);
  EngFreeMem(pWork);
  return TRUE;
}

WORD CheckDevmodeVersion(const DEVMODEW* pdm) {
  if (pdm == nullptr) return 0;
  switch (pdm->dmSize) {
    case DM_SIZE_320:
      return 0x320;
    case DM_SIZE_400:
      return 0x400;
    case DM_SIZE_401:
      return 0x401;
    default:
      return pdm->dmSpecVersion;
  }
}

LONG ConvertDevmode(const DEVMODEW* pdmIn, DEVMODEW* pdmOut) {
  WORD wInVersion = CheckDevmodeVersion(pdmIn);
  WORD wOutVersion = CheckDevmodeVersion(pdmOut);
  if (wInVersion == 0 || wOutVersion == 0) return -1;

  WORD wDriverVersion = pdmOut->dmDriverVersion;
  WORD wSize = pdmOut->dmSize;
  WORD wDriverExtra = pdmOut->dmDriverExtra;
  ULONG cbPublic = std::min(pdmIn->dmSize, wSize);
  std::memmove(pdmOut, pdmIn, cbPublic);
  pdmOut->dmDriverVersion = wDriverVersion;
  pdmOut->dmSize = wSize;
  pdmOut->dmDriverExtra = wDriverExtra;
  pdmOut->dmSpecVersion = wOutVersion;

  ULONG cbPrivate = std::min(pdmIn->dmDriverExtra, wDriverExtra);
  std::memmove(PrivatePart(pdmOut), PrivatePart(pdmIn), cbPrivate);
  return static_cast<LONG>(cbPublic + cbPrivate);
}

BOOL bIsTrackText(const WCHAR* pwsz, ULONG cch) {
  for (ULONG i = 0; i < cch && pwsz[i] != 0; ++i) {
    if (pwsz[i] < 0x20 || pwsz[i] == 0x7F) return FALSE;
  }
  return TRUE;
}
