// The description lock. The keyword table's seen marks (keyword_table.h) are
// process-wide and every parse resets and sets them, so parses run one at a
// time: every parse, of the built-in card description (PPDOBJ_Create) and of
// every PPD file (PPDFILE_Read), holds this lock from the moment it resets the
// marks until its last statement is interpreted. The lock is an engine
// semaphore made on first use, by whichever comes first: DrvEnableDriver, a
// parse, or a host program that never enables the driver. It is never
// replaced and never freed (the driver has no disable-driver entry).
#pragma once

#include <atomic>

#include "engine/types.h"

// The lock's semaphore; null until it is first made.
extern std::atomic<HSEMAPHORE> hPpdSemaphore;

// The lock, made now when there is none yet. Two threads that make it at
// once both get the same one: the handle stored first is kept and the other
// thread deletes its own. Null only when the engine cannot make a semaphore;
// a later call tries again.
HSEMAPHORE CreateDescriptionLock();

// Acquires the lock, making it first when needed; the holding thread may
// acquire it again. FALSE, with nothing held, when there is no lock to be had.
BOOL AcquireDescriptionLock();
void ReleaseDescriptionLock();
