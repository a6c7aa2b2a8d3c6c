// Handlers of UI groups and their options: the OpenUI/CloseUI brackets,
// option and default entries, and the page-size entries that fill the
// MEDIAOPTION records of the "PageSize" group. Each handler takes the
// statement in the parser object and answers a result code (PPDERR_*).
#pragma once

#include "engine/types.h"
#include "ppd/parser/keyword_table.h"
#include "ppd/parser/parser.h"
#include "ppd/records.h"

struct HEAPOBJ;
struct BUFOBJ;
struct PARSEROBJ;

// The prefix of a default entry's keyword: "Default" and the feature keyword.
inline constexpr CHAR defaultPrefixStr[] = "Default";
inline constexpr ULONG kDefaultPrefixLength = sizeof(defaultPrefixStr) - 1;

// The group of a kind (for UIGRP_OTHER: of that name), created if needed.
WORD CreateUiGroup(PPDOBJ* ppd, WORD kind, const CHAR* name, UIGROUP** group);
// A new group, appended nowhere yet, or NULL.
UIGROUP* UIGROUP_Create(PPDOBJ* ppd, const UIGROUPINFO* info);
// The option the statement's option keyword names, in the group the
// statement's keyword and kind select; both created if needed.
WORD CreateUiOption(PPDOBJ* ppd, PARSEROBJ* parser, WORD kind, UIOPTION** option);
// CreateUiOption for a predefined kind, giving the option as the record
// type of that kind's options.
template <typename Record>
WORD CreateKindOption(PPDOBJ* ppd, PARSEROBJ* parser, WORD kind, Record** record) {
  UIOPTION* option;
  const WORD result = CreateUiOption(ppd, parser, kind, &option);
  if (result == PPDERR_NONE) *record = reinterpret_cast<Record*>(option);
  return result;
}
// A new zero-filled option record of `size` bytes named by optionBuf, with the
// decoded translation when translationBuf is not empty; NULL on failure with
// *result 4 (memory) or 3 (bad hex in the translation).
UIOPTION* UIOPTION_Create(HEAPOBJ* heap, const BUFOBJ* optionBuf, const BUFOBJ* translationBuf,
                          ULONG size, WORD* result);

WORD OpenUiProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD CloseUiProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD CommonUiOptionProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD CommonUiDefaultProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD PageSizeProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD PageRegionProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ImageableAreaProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD PaperDimensionProc(PPDOBJ* ppd, PARSEROBJ* parser);
