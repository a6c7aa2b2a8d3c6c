// Choosing the current form and turning it for landscape.
#include "driver/page_geometry.h"

#include <cstring>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "lib/string_copy.h"
#include "ppd/queries.h"
#include "ppd/records.h"
#include "settings/forms.h"

namespace {

// Positions in CurForm::rcImageable and CurForm::sizePaper.
constexpr int kLeft = 0;
constexpr int kBottom = 1;
constexpr int kRight = 2;
constexpr int kTop = 3;
constexpr int kWidth = 0;
constexpr int kHeight = 1;

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
  form.rcImageable[kLeft] = pMedia->imageableArea.left;
  form.rcImageable[kBottom] = pMedia->imageableArea.bottom;
  form.rcImageable[kRight] = pMedia->imageableArea.right;
  form.rcImageable[kTop] = pMedia->imageableArea.top;
  form.sizePaper[kWidth] = pMedia->paperWidth;
  form.sizePaper[kHeight] = pMedia->paperHeight;
  form.iPageSize = iOption;
  return TRUE;
}

void AdjustForLandscape(PDEV* pdev) {
  const DEVMODEW& dm = pdev->dm.dmPublic;
  if (!(dm.dmFields & DM_ORIENTATION) || dm.dmOrientation != DMORIENT_LANDSCAPE) return;

  CurForm& form = pdev->CurForm;
  LONG w = form.sizePaper[kWidth];
  LONG h = form.sizePaper[kHeight];
  LONG l = form.rcImageable[kLeft];
  LONG b = form.rcImageable[kBottom];
  LONG r = form.rcImageable[kRight];
  LONG t = form.rcImageable[kTop];
  form.sizePaper[kWidth] = h;
  form.sizePaper[kHeight] = w;
  if (pdev->dm.dmPrivate.dwPrivFlags & PRIVFLAG_ROTATE_OTHER_WAY) {
    form.rcImageable[kLeft] = h - t;
    form.rcImageable[kBottom] = l;
    form.rcImageable[kRight] = h - b;
    form.rcImageable[kTop] = r;
  } else {
    form.rcImageable[kLeft] = b;
    form.rcImageable[kBottom] = w - r;
    form.rcImageable[kRight] = t;
    form.rcImageable[kTop] = w - l;
  }
  form.bLandscape = 1;
}

BOOL SameDevmodeFormTray(const DEVMODEW* pdm1, const DEVMODEW* pdm2) {
  return SameForm(pdm1, pdm2) && pdm1->dmDefaultSource == pdm2->dmDefaultSource;
}
