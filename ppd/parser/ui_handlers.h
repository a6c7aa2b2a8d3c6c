// Handlers of UI groups and their options: the OpenUI/CloseUI brackets,
// option and default entries, and the page-size entries that fill the
// MEDIAOPTION records of the "PageSize" group. Each handler takes the
// statement in the parser object and answers a result code (PPDERR_*).
#pragma once

#include "engine/types.h"
#include "ppd/parser/keyword_table.h"
#include "ppd/records.h"

struct HEAPOBJ;
struct BUFOBJ;
struct PARSEROBJ;

// The group of a kind (for UIGRP_OTHER: of that name), created if needed.
WORD CreateUiGroup(PPDOBJ* ppd, WORD kind, const CHAR* name, UIGROUP** group);
// A new group, appended nowhere yet, or NULL.
UIGROUP* UIGROUP_Create(PPDOBJ* ppd, const UIGROUPINFO* info);
// The option the statement's option keyword names, in the group the
// statement's keyword and kind select; both created if needed.
WORD CreateUiOption(PPDOBJ* ppd, PARSEROBJ* parser, WORD kind, UIOPTION** option);
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
