// Forms: resolving a device mode's paper against the forms database and the
// description's page sizes.
#include "settings/forms.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "lib/string_copy.h"
#include "lib/units.h"
#include "ppd/queries.h"
#include "ppd/records.h"

namespace {

constexpr WCHAR kDefaultFormName[] = u"CR-80";

// Letter case folded for the Latin letters of the first 256 code points, as
// form names compare.
constexpr WCHAR FoldCase(WCHAR c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  return c;
}

// TRUE when the two names are equal ignoring case; pwszBounded is read to
// at most cchBound units.
BOOL SameNameIgnoringCase(const WCHAR* pwsz, const WCHAR* pwszBounded, ULONG cchBound) {
  for (ULONG i = 0; i < cchBound; ++i) {
    if (FoldCase(pwsz[i]) != FoldCase(pwszBounded[i])) return FALSE;
    if (pwsz[i] == 0) return TRUE;
  }
  return pwsz[cchBound] == 0;
}

// A form side in micrometres as a device mode's paper length in tenths of a
// millimetre. Sides beyond what the 16-bit field holds (3.2767 m) are
// clamped to its range rather than wrapped into another size.
SHORT PaperLength(LONG microns) {
  return static_cast<SHORT>(std::clamp<LONG>(microns / 100, SHRT_MIN, SHRT_MAX));
}

BOOL WithinTolerance(LONG a, LONG b) {
  std::int64_t difference = std::int64_t{a} - b;
  return difference >= -FORM_SIZE_TOLERANCE && difference <= FORM_SIZE_TOLERANCE;
}

// The 1-based position of the form the device mode asks for, or 0 for none.
// A size without a database form fills pFormInfo as a nameless custom form
// and gives FORM_CUSTOM_SIZE through *plResult.
DWORD FindForm(const DEVMODEW* pdm, const FORM_INFO_1* pForms, DWORD cForms, FORMINFO* pFormInfo,
               LONG* plResult) {
  *plResult = FORM_NOT_FOUND;
  if ((pdm->dmFields & DM_PAPERWIDTH) && (pdm->dmFields & DM_PAPERLENGTH) &&
      pdm->dmPaperWidth > 0 && pdm->dmPaperLength > 0) {
    LONG w = LONG{pdm->dmPaperWidth} * 100;
    LONG l = LONG{pdm->dmPaperLength} * 100;
    for (DWORD i = 0; i < cForms; ++i) {
      if (WithinTolerance(w, pForms[i].Size.cx) && WithinTolerance(l, pForms[i].Size.cy)) {
        return i + 1;
      }
    }
    pFormInfo->form = FORM_INFO_1{0, pFormInfo->wszName, SIZEL{w, l}, RECTL{0, 0, w, l}};
    std::memset(pFormInfo->wszName, 0, sizeof pFormInfo->wszName);
    *plResult = FORM_CUSTOM_SIZE;
    return 0;
  }
  if (pdm->dmFields & DM_PAPERSIZE) {
    if (pdm->dmPaperSize < 1 || static_cast<DWORD>(pdm->dmPaperSize) > cForms) return 0;
    return static_cast<DWORD>(pdm->dmPaperSize);
  }
  if (pdm->dmFields & DM_FORMNAME) {
    for (DWORD i = 0; i < cForms; ++i) {
      if (SameNameIgnoringCase(pForms[i].pName, pdm->dmFormName, CCHFORMNAME)) return i + 1;
    }
  }
  return 0;
}

}  // namespace

const WCHAR* GetDefaultFormName(BOOL) { return kDefaultFormName; }

FORM_INFO_1* GetDatabaseForms(HANDLE hPrinter, DWORD* pcForms) {
  DWORD cbNeeded = 0;
  *pcForms = 0;
  if (EngEnumForms(hPrinter, 1, nullptr, 0, &cbNeeded, pcForms) ||
      EngGetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return nullptr;
  }
  auto* pForms = static_cast<FORM_INFO_1*>(EngAllocMem(0, cbNeeded, DRIVER_DESC_TAG));
  if (pForms == nullptr) return nullptr;
  if (!EngEnumForms(hPrinter, 1, reinterpret_cast<BYTE*>(pForms), cbNeeded, &cbNeeded, pcForms)) {
    EngFreeMem(pForms);
    return nullptr;
  }
  return pForms;
}

LONG ValidateDevModeForm(HANDLE hPrinter, DEVMODEW* pdm, FORMINFO* pFormInfo) {
  DWORD cForms = 0;
  FORM_INFO_1* pForms = GetDatabaseForms(hPrinter, &cForms);
  if (pForms == nullptr) return FORM_NOT_FOUND;

  LONG lResult = FORM_NOT_FOUND;
  DWORD iForm = cForms == 0 ? 0 : FindForm(pdm, pForms, cForms, pFormInfo, &lResult);
  if (iForm != 0) {
    const FORM_INFO_1& form = pForms[iForm - 1];
    pFormInfo->form = form;
    CopyStringW(pFormInfo->wszName, form.pName, CCHFORMNAME);
    pFormInfo->form.pName = pFormInfo->wszName;

    pdm->dmPaperWidth = PaperLength(form.Size.cx);
    pdm->dmPaperLength = PaperLength(form.Size.cy);
    pdm->dmPaperSize = static_cast<SHORT>(iForm);
    CopyStringW(pdm->dmFormName, form.pName, CCHFORMNAME);
    pdm->dmFields |= DM_FORMNAME;
    lResult = FORM_FROM_DATABASE;
  }
  EngFreeMem(pForms);
  return lResult;
}

BOOL FormSupportedOnPrinter(PPDOBJ* hppd, const FORMINFO* pFormInfo, CurForm* pCurForm) {
  UIGROUP* pPageSize = hppd->predefinedGroups[UIGRP_PAGESIZE];
  if (pPageSize == nullptr) return FALSE;

  CHAR szName[CCHFORMNAME];
  CopyUnicode2Str(szName, pFormInfo->wszName, CCHFORMNAME);
  WORD iOption = LISTOBJ_NOT_FOUND;
  UIOPTION* pOption = PpdFindUiOptionWithXlation(pPageSize->options, szName, &iOption);
  if (pOption == nullptr) return FALSE;

  if (pCurForm != nullptr) {
    FillStandardPrinterFormInfo(pCurForm, pFormInfo, ListRecord<MEDIAOPTION>(&pOption->header));
    pCurForm->iPageSize = iOption;
  }
  return TRUE;
}

void FillStandardPrinterFormInfo(CurForm* pCurForm, const FORMINFO* pFormInfo,
                                 const MEDIAOPTION* pOption) {
  CopyStringA(pCurForm->szName, pOption->option.header.name, sizeof pCurForm->szName);
  FillPrinterFormInfoCommon(pCurForm, pFormInfo);

  // The form's area is cut to what the printer can image on that paper.
  auto below = [](LONG a, LONG b) { return static_cast<ULONG>(a) < static_cast<ULONG>(b); };
  const PSRECT& limit = pOption->imageableArea;
  LONG* area = pCurForm->rcImageable;
  if (below(area[FORM_LEFT], limit.left)) area[FORM_LEFT] = limit.left;
  if (below(area[FORM_BOTTOM], limit.bottom)) area[FORM_BOTTOM] = limit.bottom;
  if (below(limit.right, area[FORM_RIGHT])) area[FORM_RIGHT] = limit.right;
  if (below(limit.top, area[FORM_TOP])) area[FORM_TOP] = limit.top;
}

void FillPrinterFormInfoCommon(CurForm* pCurForm, const FORMINFO* pFormInfo) {
  const FORM_INFO_1& form = pFormInfo->form;
  CopyStringW(pCurForm->wszName, pFormInfo->wszName, CCHFORMNAME);
  pCurForm->sizePaper[FORM_WIDTH] = MicronToPSReal(form.Size.cx);
  pCurForm->sizePaper[FORM_HEIGHT] = MicronToPSReal(form.Size.cy);
  // The database measures y downwards from the top edge, the description
  // upwards from the bottom edge. The database may hold any 32-bit lengths:
  // the differences are clamped (ClampToLong) before they are converted.
  pCurForm->rcImageable[FORM_LEFT] = MicronToPSReal(form.ImageableArea.left);
  pCurForm->rcImageable[FORM_BOTTOM] =
      MicronToPSReal(ClampToLong(std::int64_t{form.Size.cy} - form.ImageableArea.bottom));
  pCurForm->rcImageable[FORM_RIGHT] = MicronToPSReal(form.ImageableArea.right);
  pCurForm->rcImageable[FORM_TOP] =
      MicronToPSReal(ClampToLong(std::int64_t{form.Size.cy} - form.ImageableArea.top));
  pCurForm->bLandscape = 0;
}
