// Handlers of media, margin, input-slot, resolution, halftone-screen,
// memory and device-font keywords. Each takes the statement in the parser
// object and answers a result code (PPDERR_*).
#pragma once

#include "engine/types.h"
#include "ppd/records.h"

struct PARSEROBJ;

WORD MaxMediaWidthProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD MaxMediaHeightProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ScreenAngleProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ScreenFreqProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD FreeVmProc(PPDOBJ* ppd, PARSEROBJ* parser);

WORD InputSlotProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ResolutionProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD JclResolutionProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD SetResolutionProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ResScreenAngleProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ResScreenFreqProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD InstalledMemProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD VmOptionProc(PPDOBJ* ppd, PARSEROBJ* parser);

WORD CustomPageSizeProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ParamCustomPageProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD HwMarginsProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD RequiresPageRgnProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD DefaultJclResProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD FontProc(PPDOBJ* ppd, PARSEROBJ* parser);

// Codes of a font's words: the position 1 to 79 of a font name in the
// built-in font table (0: not there), its encoding (9: unknown) and its
// character set (12: unknown).
WORD GetFontIndex(const CHAR* name);
WORD GetFontEncoding(const CHAR* word);
WORD GetCharSet(const CHAR* word);
