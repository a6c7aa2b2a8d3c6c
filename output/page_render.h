// The end of a page: the drawn surface becomes the card printer's ribbon
// panels. DrvSendPage colour-corrects the print area in place, separates it
// into yellow, magenta, cyan and black panels of one byte per dot, sends
// them with the overlay areas as the printer's command sequences, and wipes
// the surface to white for the next page.
#pragma once

#include "engine/records.h"
#include "engine/types.h"

// Bytes of the page's panel buffer: one per dot of the whole frame.
inline constexpr ULONG CB_PANEL_BUFFER = 656u * 1024u;

// Sends the page of the instance behind pso. Whatever happens to a valid
// instance's page, the page-open bit is cleared and the surface is white
// afterwards. FALSE with last error 87 when the instance fails validation
// or has no surface (nothing sent, the surface untouched); FALSE with last
// error 8 when the panel buffer cannot be had (nothing sent: the page is
// lost).
BOOL DrvSendPage(SURFOBJ* pso);
