// Choosing the current form and turning it for landscape.
#include "driver/page_geometry.h"

#include <cstdint>
#include <cstring>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "lib/string_copy.h"
#include "ppd/queries.h"
#include "ppd/records.h"
#include "settings/forms.h"

namespace {

BOOL SameFormName(const WCHAR* pwsz1, const WCHAR* pwsz2) {
  for (int i = 0; i < CCHFORMNAME; ++i) {
    if (pwsz1[i] != pwsz2[i]) return FALSE;
    if (pwsz1[i] == 0) break;
  }
  return TRUE;
}

BOOL SameForm(const DEVMODEW* pdm1, const DEVMODEW* pdm2) {
  constexpr DWORD kBySize = DM_PAPERLENGTH | DM_PAPERWIDTH;
  if ((pdm1->dmFields & kBySize) == kBySize) {
    return (pdm2->dmFields & kBySize) == kBySize && pdm1->dmPaperWidth == pdm2->dmPaperWidth &&
           pdm1->dmPaperLength == pdm2->dmPaperLength;
  }
  if (pdm1->dmFields & DM_PAPERSIZE) {
    return (pdm2->dmFields & DM_PAPERSIZE) && pdm1->dmPaperSize == pdm2->dmPaperSize;
  }
  if (pdm1->dmFields & DM_FORMNAME) {
    return (pdm2->dmFields & DM_FORMNAME) && SameFormName(pdm1->dmFormName, pdm2->dmFormName);
  }
  return FALSE;
}

}  // namespace

BOOL SetFormMetrics(PDEV* pdev) {
  FORMINFO formInfo;
  LONG lResult = ValidateDevModeForm(pdev->hPrinter, &pdev->dm.dmPublic, &formInfo);
  if (lResult == FORM_NOT_FOUND || !FormSupportedOnPrinter(pdev->hppd, &formInfo, &pdev->CurForm)) {
    if (!SetDefaultPrinterForm(pdev)) return FALSE;
  }
  AdjustForLandscape(pdev);
  return TRUE;
}

BOOL SetDefaultPrinterForm(PDEV* pdev) {
  UIGROUP* pPageSize = pdev->hppd->predefinedGroups[UIGRP_PAGESIZE];
  if (pPageSize == nullptr) return FALSE;

  CHAR szName[CCHFORMNAME];
  CopyUnicode2Str(szName, GetDefaultFormName(FALSE), CCHFORMNAME);
  WORD iOption = LISTOBJ_NOT_FOUND;
  UIOPTION* pOption = PpdFindUiOptionWithXlation(pPageSize->options, szName, &iOption);
  if (pOption == nullptr) {
    iOption = static_cast<WORD>(pPageSize->defaultIndex);
    LISTOBJ* pItem = LISTOBJ_FindIndexed(pPageSize->options, iOption);
    if (pItem == nullptr) return FALSE;
    pOption = ListRecord<UIOPTION>(pItem);
  }

  const MEDIAOPTION* pMedia = ListRecord<MEDIAOPTION>(&pOption->header);
  CurForm& form = pdev->CurForm;
  std::memset(form.wszName, 0, sizeof form.wszName);
  CopyStr2Unicode(form.wszName, pMedia->option.header.name, CCHFORMNAME);
  CopyStringA(form.szName, pMedia->option.header.name, sizeof form.szName);
  form.rcImageable[FORM_LEFT] = pMedia->imageableArea.left;
  form.rcImageable[FORM_BOTTOM] = pMedia->imageableArea.bottom;
  form.rcImageable[FORM_RIGHT] = pMedia->imageableArea.right;
  form.rcImageable[FORM_TOP] = pMedia->imageableArea.top;
  form.sizePaper[FORM_WIDTH] = pMedia->paperWidth;
  form.sizePaper[FORM_HEIGHT] = pMedia->paperHeight;
  form.iPageSize = iOption;
  return TRUE;
}

void AdjustForLandscape(PDEV* pdev) {
  const DEVMODEW& dm = pdev->dm.dmPublic;
  if (!(dm.dmFields & DM_ORIENTATION) || dm.dmOrientation != DMORIENT_LANDSCAPE) return;

  CurForm& form = pdev->CurForm;
  LONG w = form.sizePaper[FORM_WIDTH];
  LONG h = form.sizePaper[FORM_HEIGHT];
  LONG l = form.rcImageable[FORM_LEFT];
  LONG b = form.rcImageable[FORM_BOTTOM];
  LONG r = form.rcImageable[FORM_RIGHT];
  LONG t = form.rcImageable[FORM_TOP];
  // The differences are clamped (ClampToLong): a form from the database may
  // hold any 32-bit lengths.
  auto minus = [](LONG a, LONG b) { return ClampToLong(std::int64_t{a} - b); };
  form.sizePaper[FORM_WIDTH] = h;
  form.sizePaper[FORM_HEIGHT] = w;
  if (pdev->dm.dmPrivate.dwPrivFlags & PRIVFLAG_ROTATE_OTHER_WAY) {
    form.rcImageable[FORM_LEFT] = minus(h, t);
    form.rcImageable[FORM_BOTTOM] = l;
    form.rcImageable[FORM_RIGHT] = minus(h, b);
    form.rcImageable[FORM_TOP] = r;
  } else {
    form.rcImageable[FORM_LEFT] = b;
    form.rcImageable[FORM_BOTTOM] = minus(w, r);
    form.rcImageable[FORM_RIGHT] = t;
    form.rcImageable[FORM_TOP] = minus(w, l);
  }
  form.bLandscape = 1;
}

BOOL SameDevmodeFormTray(const DEVMODEW* pdm1, const DEVMODEW* pdm2) {
  return SameForm(pdm1, pdm2) && pdm1->dmDefaultSource == pdm2->dmDefaultSource;
}
