// Pool tags of the driver's allocations: four characters that name an
// allocation's owner in the pool, written so that they read left to right
// in memory ("Dpsm" is 0x6D737044).
#pragma once

#include "engine/types.h"

// Description data: arena blocks, the parser object, the packed description
// image, printer properties and the other description-sized buffers.
inline constexpr ULONG DRIVER_DESC_TAG = 0x6D737044;  // "Dpsm"
// Every allocation of a device instance's tracked heap, its handle included.
inline constexpr ULONG DRIVER_HEAP_TAG = 0x68737044;  // "Dpsh"
// The pixels of the drawing surface.
inline constexpr ULONG DRIVER_SURFACE_TAG = 0x746F7044;  // "Dpot"
// The per-page panel buffer.
inline constexpr ULONG DRIVER_PANEL_TAG = 0x62756644;  // "Dfub"
