// The host's renderer for the engine's bit-block transfer and stretching,
// done with pixman. Targets are 32-bit surfaces (words 0x00BBGGRR, pixman's
// x8b8g8r8); sources are 24-bit (bytes blue, green, red in memory) or 32-bit
// surfaces. Coordinates are device coordinates, y growing downwards, whatever
// the row order in memory. Translation objects are not consulted: the
// formats above say what every pixel means.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

// Fills or copies prclTrg, limited to the target surface and, when the clip
// object is DC_RECT, to its bounds. Raster operations: SRCCOPY (from
// pptlSrc of psoSrc; the part of the source outside that surface is left
// out), PATCOPY with a solid brush (iSolidColor in the target's format),
// BLACKNESS and WHITENESS. FALSE for any other operation, a patterned brush,
// a complex clip or an unsupported format.
BOOL HostBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, CLIPOBJ* pco, const RECTL* prclTrg,
                const POINTL* pptlSrc, const BRUSHOBJ* pbo, ROP4 rop4);

// Stretches prclSrc of psoSrc onto prclDest, clipped as above; a rectangle
// given right to left or bottom to top mirrors the image along that axis.
// HALFTONE resamples with a separable filter, linear interpolation averaged
// over each destination pixel's footprint (exact where the scale is 1),
// then applies the colour adjustment pca (null: none): gamma per primary,
// contrast, brightness and colourfulness; the default adjustment changes
// nothing. Every other mode takes the nearest source pixel and
// ignores pca. FALSE when the source rectangle is not inside its surface.
BOOL HostStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, const COLORADJUSTMENT* pca,
                    const RECTL* prclDest, const RECTL* prclSrc, ULONG iMode);
