// Forms: a device mode names its paper by size, by position in the
// spooler's forms database or by form name. These routines resolve that
// choice against the database, rewrite the device mode's paper fields to the
// form found, and check the form against the description's page sizes,
// filling the instance's current form when the card printer has it.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

struct CurForm;
struct MEDIAOPTION;
struct PPDOBJ;

// A database form and the name its pName points to.
struct FORMINFO {
  FORM_INFO_1 form;
  WCHAR wszName[CCHFORMNAME];
};

// Results of ValidateDevModeForm.
inline constexpr LONG FORM_FROM_DATABASE = 0;  // the device mode now names a database form
inline constexpr LONG FORM_CUSTOM_SIZE = 1;    // no database form has the size: a nameless one
inline constexpr LONG FORM_NOT_FOUND = 2;      // nothing usable

// Two forms match by size when both sides differ by at most this much.
inline constexpr LONG FORM_SIZE_TOLERANCE = 1000;  // micrometres

// "CR-80", whatever bMetric says.
const WCHAR* GetDefaultFormName(BOOL bMetric);

// The whole forms database as an array of FORM_INFO_1 in engine memory, the
// count in *pcForms; null on failure. The caller frees it with EngFreeMem.
FORM_INFO_1* GetDatabaseForms(HANDLE hPrinter, DWORD* pcForms);

// Resolves the device mode's paper choice: FORM_FROM_DATABASE (pdm rewritten
// to name the form), FORM_CUSTOM_SIZE or FORM_NOT_FOUND. pFormInfo receives
// the form unless the result is FORM_NOT_FOUND.
LONG ValidateDevModeForm(HANDLE hPrinter, DEVMODEW* pdm, FORMINFO* pFormInfo);

// TRUE when the description has a page-size option whose keyword or
// translation is the form's name; then fills pCurForm (when given) from the
// form and that option.
BOOL FormSupportedOnPrinter(PPDOBJ* hppd, const FORMINFO* pFormInfo, CurForm* pCurForm);

// Fill the current form from a database form and the page-size option.
void FillStandardPrinterFormInfo(CurForm* pCurForm, const FORMINFO* pFormInfo,
                                 const MEDIAOPTION* pOption);
void FillPrinterFormInfoCommon(CurForm* pCurForm, const FORMINFO* pFormInfo);
