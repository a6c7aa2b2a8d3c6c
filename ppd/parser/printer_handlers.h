// Handlers of printer-level keywords (identity, language, timeouts,
// job-control strings, protocols, extensions), the InstallableOptions
// bracket, order dependencies and UI constraints. Each takes the statement
// in the parser object and answers a result code (PPDERR_*).
#pragma once

#include "engine/types.h"
#include "ppd/records.h"

struct PARSEROBJ;

WORD ColorDeviceProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ProtocolsProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD NickNameProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD LanguageLevelProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD LanguageEncodingProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD LanguageVersionProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD TTRasterizerProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ExitServerProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD PasswordProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD JobTimeoutProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD WaitTimeoutProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD PrintPsErrorProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD JclBeginProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD JclToPsProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD JclEndProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD LsOrientationProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD ExtensionsProc(PPDOBJ* ppd, PARSEROBJ* parser);

// The InstallableOptions bracket: `state` TRUE opens, FALSE closes.
WORD OpenCloseGroupProc(PPDOBJ* ppd, const CHAR* value, BOOL state);
WORD OpenGroupProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD CloseGroupProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD OrderDepProc(PPDOBJ* ppd, PARSEROBJ* parser);
WORD UiConstraintsProc(PPDOBJ* ppd, PARSEROBJ* parser);
// Include, End, JCLRes: accepted, nothing done.
WORD NullProc(PPDOBJ* ppd, PARSEROBJ* parser);
