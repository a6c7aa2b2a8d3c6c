// The driver's front door: the engine calls DrvEnableDriver once and gets
// the table of the thirteen entry points it calls from then on.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

// Number of entry points in the table.
inline constexpr ULONG DRVFN_COUNT = 13;

// The entry points with their engine function indices, in the order handed
// to the engine.
extern DRVFN gadrvfn[DRVFN_COUNT];

// Fills pded with the driver version 0x20000 and the table, and makes the
// description lock (hPpdSemaphore, ppd/parser/description_lock.h) unless it
// exists already; a lock that cannot be made does not fail it. FALSE with last error 119 when the
// engine is older than 0x20000 or pded has fewer than
// sizeof(DRVENABLEDATA) bytes; pded is then untouched.
BOOL DrvEnableDriver(ULONG iEngineVersion, ULONG cj, DRVENABLEDATA* pded);
