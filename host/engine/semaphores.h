// The engine's semaphores, as the host provides them. They are process-wide,
// not owned by one HostEngine: the driver's description lock is made once
// and kept for the life of the process, so a handle made while one host
// engine is installed must still work under the next one a program (or a
// test) installs. A semaphore may be acquired again by the thread that holds
// it.
#pragma once

#include <cstddef>

#include "engine/types.h"

HSEMAPHORE CreateHostSemaphore();
// An unknown handle is a defect of the caller: the program stops with a
// message rather than carry on without mutual exclusion.
void AcquireHostSemaphore(HSEMAPHORE hsem);
void ReleaseHostSemaphore(HSEMAPHORE hsem);
void DeleteHostSemaphore(HSEMAPHORE hsem);
// Semaphores that exist right now, in the whole process.
std::size_t HostSemaphoreCount();
