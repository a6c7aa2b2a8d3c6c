// Constraints between selections, and the default selections of the sticky
// features, which the constraints shape.
#include "ppd/queries.h"

namespace {

// The selection that forbids another.
struct CONFLICT {
  WORD feature;  // global feature index
  BYTE option;
  WORD kind;  // PPD_CONFLICT_PRINTER or PPD_CONFLICT_DOCUMENT
};

// Whether an entry's option matches the chosen one: the same index, or any
// option of the feature except its "None" or "False".
bool OptionMatches(PPDOBJ* hppd, WORD entryOption, WORD feature, WORD option) {
  if (entryOption == option) return true;
  return entryOption == PPD_ANY_OPTION && !FeatureSelectionNone(hppd, feature, option);
}

// The printer-sticky selection (other than feature's own) that forbids option
// of printer-sticky feature `feature`.
bool FindPrinterStickyConflict(PPDOBJ* hppd, const BYTE* psel, WORD feature, WORD option,
                               CONFLICT* conflict) {
  const WORD cDocument = hppd->docStickyCount;
  for (WORD i = 0; i < hppd->printerStickyCount; ++i) {
    if (i == feature) continue;
    const WORD forbidding = static_cast<WORD>(cDocument + i);
    if (SearchUiConstraints(hppd, forbidding, psel[i], static_cast<WORD>(cDocument + feature),
                            option)) {
      *conflict = CONFLICT{forbidding, psel[i], PPD_CONFLICT_PRINTER};
      return true;
    }
  }
  return false;
}

// The selection that forbids option of document-sticky feature `feature`:
// another document-sticky selection first, then a printer-sticky one.
bool FindDocumentStickyConflict(PPDOBJ* hppd, const BYTE* psel, const BYTE* dsel, WORD feature,
                                WORD option, CONFLICT* conflict) {
  if (option == PPD_ANY_OPTION) return false;
  for (WORD j = 0; j < hppd->docStickyCount; ++j) {
    if (j == feature || dsel[j] == PPD_NO_SELECTION) continue;
    if (SearchUiConstraints(hppd, j, dsel[j], feature, option)) {
      *conflict = CONFLICT{j, dsel[j], PPD_CONFLICT_DOCUMENT};
      return true;
    }
  }
  const WORD cDocument = hppd->docStickyCount;
  for (WORD i = 0; i < hppd->printerStickyCount; ++i) {
    const WORD forbidding = static_cast<WORD>(cDocument + i);
    if (SearchUiConstraints(hppd, forbidding, psel[i], feature, option)) {
      *conflict = CONFLICT{forbidding, psel[i], PPD_CONFLICT_PRINTER};
      return true;
    }
  }
  return false;
}

// The first option of a printer-sticky group for which allowed(k) holds;
// only options a selection byte can hold are tried.
template <typename Allowed>
bool FirstAllowedOption(const UIGROUP* group, Allowed allowed, BYTE* chosen) {
  const ULONG cOptions = UIGROUP_CountOptions(group);
  for (ULONG k = 0; k < cOptions && k < PPD_NO_SELECTION; ++k) {
    if (allowed(static_cast<WORD>(k))) {
      *chosen = static_cast<BYTE>(k);
      return true;
    }
  }
  return false;
}

const UIGROUP* PrinterStickyGroup(PPDOBJ* hppd, WORD feature) {
  LISTOBJ* item = LISTOBJ_FindIndexed(hppd->uiGroups, ULONG{hppd->docStickyCount} + feature);
  return item != nullptr ? ListRecord<UIGROUP>(item) : nullptr;
}

}  // namespace

BOOL SearchUiConstraints(PPDOBJ* hppd, WORD f1, WORD o1, WORD f2, WORD o2) {
  const PPDTABLE* table = PpdConstraintTable(hppd);
  if (table == nullptr) return FALSE;
  const CONSTRAINTENTRY* entries = PpdConstraintEntries(table);
  for (ULONG i = 0; i < table->count; ++i) {
    const CONSTRAINTENTRY& entry = entries[i];
    if (entry.feature1 == PPD_UNRESOLVED || entry.feature1 != f1 || entry.feature2 != f2) continue;
    if (OptionMatches(hppd, entry.option1, f1, o1) && OptionMatches(hppd, entry.option2, f2, o2)) {
      return TRUE;
    }
  }
  return FALSE;
}

DWORD PpdFeatureConstrained(PPDOBJ* hppd, const BYTE* psel, const BYTE* dsel, WORD feature,
                            WORD option) {
  CONFLICT conflict;
  const bool forbidden =
      dsel == nullptr ? FindPrinterStickyConflict(hppd, psel, feature, option, &conflict)
                      : FindDocumentStickyConflict(hppd, psel, dsel, feature, option, &conflict);
  if (!forbidden) return 0;
  return (DWORD{static_cast<WORD>(conflict.feature | conflict.kind)} << 8) | conflict.option;
}

WORD PpdDefaultDocumentStickyFeatures(PPDOBJ* hppd, BYTE* sel) {
  LISTOBJ* item = hppd->uiGroups;
  for (WORD i = 0; i < hppd->docStickyCount && item != nullptr; ++i, item = item->next) {
    const UIGROUP* group = ListRecord<UIGROUP>(item);
    sel[i] =
        group->kind == UIGRP_RESOLUTION ? PPD_NO_SELECTION : static_cast<BYTE>(group->defaultIndex);
  }
  return hppd->docStickyCount;
}

WORD PpdDefaultPrinterStickyFeatures(PPDOBJ* hppd, BYTE* sel) {
  const WORD cPrinter = hppd->printerStickyCount;
  LISTOBJ* item = LISTOBJ_FindIndexed(hppd->uiGroups, hppd->docStickyCount);
  for (WORD i = 0; i < cPrinter && item != nullptr; ++i, item = item->next) {
    sel[i] = static_cast<BYTE>(ListRecord<UIGROUP>(item)->defaultIndex);
  }

  const WORD cDocument = hppd->docStickyCount;
  for (WORD i = 0; i < cPrinter; ++i) {
    CONFLICT conflict;
    if (!FindPrinterStickyConflict(hppd, sel, i, sel[i], &conflict)) continue;
    const auto allowedHere = [&](WORD k) {
      CONFLICT ignored;
      return !FindPrinterStickyConflict(hppd, sel, i, k, &ignored);
    };
    if (FirstAllowedOption(PrinterStickyGroup(hppd, i), allowedHere, &sel[i])) continue;
    // Every option of feature i is forbidden: move the forbidding feature
    // to its first option that allows the selection of i.
    const WORD f = static_cast<WORD>(conflict.feature - cDocument);
    const auto allowsSelection = [&](WORD k) {
      return !SearchUiConstraints(hppd, conflict.feature, k, static_cast<WORD>(cDocument + i),
                                  sel[i]);
    };
    FirstAllowedOption(PrinterStickyGroup(hppd, f), allowsSelection, &sel[f]);
  }
  return cPrinter;
}
