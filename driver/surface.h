// The drawing surface of a device instance: one 32-bit bitmap of the card's
// 656 x 1024 dots (1024 x 656 in landscape, bottom-up as the platform lays
// out such bitmaps), whose pixels the instance owns and the engine's own
// renderer draws into. The two drawing calls the driver hooks go straight
// back to the engine; stretching always halftones with the device mode's
// colour adjustment.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

// Bytes of the pixel buffer in either orientation: 656 x 1024 words.
inline constexpr ULONG CB_SURFACE_BITS = 656u * 1024u * 4u;

// Creates the white surface in the orientation of the current form and
// associates it with the instance's engine device; a surface the instance
// already has is given back first (as DrvDisableSurface does). Null when the
// instance fails validation (last error 87) or the buffer or bitmap cannot be
// had.
HSURF DrvEnableSurface(DHPDEV dhpdev);

// Deletes the surface and frees its pixels; an invalid instance or one
// without a surface is left alone.
void DrvDisableSurface(DHPDEV dhpdev);

// Hands every argument unchanged to EngBitBlt.
BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
               RECTL* prclTrg, POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush,
               ROP4 rop4);

// EngStretchBlt in HALFTONE mode with the colour adjustment of the instance
// behind psoDest, whatever pca and iMode say. FALSE with last error 87 when
// that instance fails validation.
BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco,
                   XLATEOBJ* pxlo, COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest,
                   RECTL* prclSrc, POINTL* pptlMask, ULONG iMode);
