// The check the engine makes before it hands an application's device mode to
// the driver: the declared sizes (dmSize of the public part, dmDriverExtra of
// the private part behind it) must fit the bytes actually received, so the
// driver can trust them and never reads past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/records.h"

// The smallest public part accepted: through dmFields, so that the record
// holds its own sizes and the mask of the fields it sets.
inline constexpr std::size_t kMinDevModeSize = offsetof(DEVMODEW, dmFields) + sizeof(DWORD);

// The device mode in bytes when its declared sizes fit them (and the bytes
// are aligned for the record); null otherwise.
DEVMODEW* CheckedDevMode(std::span<std::uint8_t> bytes);
