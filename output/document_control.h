// Document and page framing of a card job. DrvStartDoc opens the document on
// the wire (document start and the print position adjustments), DrvStartPage
// opens each page (the magnetic track data when the printer has an encoder,
// then the page start), DrvEndDoc closes the document. The job state lives in
// the instance's dwFlags and cPages.
//
// Each takes the engine's surface object, whose device handle is the
// instance; on an instance that fails validation each sets last error 87
// and returns FALSE with nothing sent.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

// Opens the document. An instance that continues a document of the instance
// it replaced sends nothing and keeps its page count.
BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR pwszDocName, DWORD dwJobId);

// Opens a page, unless one is open already (then nothing is sent).
BOOL DrvStartPage(SURFOBJ* pso);

// Closes the document, aborted or not.
BOOL DrvEndDoc(SURFOBJ* pso, FLONG fl);
