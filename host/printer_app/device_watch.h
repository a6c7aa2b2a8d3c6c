// Jobs whose printer's device cannot be opened. PAPPL keeps such a job
// processing and stops the printer until the device answers; the card
// printer's application fails it instead, with the reason as its state
// message, so that the client hears why and the queue moves on.
#pragma once

#include <pappl/pappl.h>

// How long a job may wait for its device before it is failed.
inline constexpr int kDeviceWaitSeconds = 10;

// Looks every few seconds at every printer of the system.
void WatchDevices(pappl_system_t* system);
