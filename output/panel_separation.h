// Separation of the print area of the page surface into ribbon panels: cy
// lines of cx bytes, one byte per dot, line 0 first. Line i, dot j comes
// from surface word (y + i) x 656 + (x + j) in portrait, and from word
// (x + j) x 1024 + (y + i) in landscape, where the surface is bottom-up, so
// that a printer line runs up an image column.
//
// The colour panels are taken in one walk of the surface: each pixel is read
// once, corrected and marked, and gives its yellow, magenta, cyan and black
// bytes at once. Yellow goes to the panel buffer; the other three are kept
// in the surface's own memory, in the place of the pixels they came from
// (the surface is wiped after the page), until they are taken out one panel
// at a time. The surface then no longer holds the page.
#pragma once

#include "driver/pdev.h"
#include "engine/types.h"
#include "output/color_correction.h"
#include "output/color_tile.h"

// The colour walk: builds the yellow panel (255 - blue) in pbYellow (room
// for cx x cy bytes) and keeps the magenta, cyan and (when bMark) black
// panels in the surface. Each pixel of the print area is first corrected
// (when pcc is given), then marked (when bMark: pure black becomes white
// with mark 0, every other pixel gets mark 0xFF); pfnColorTiles does the
// whole tiles of 16 lines by 16 dots (output/color_tile.h). The print area
// must lie inside the frame.
void SeparateColorPanels(BYTE* pbYellow, DWORD* pBits, bool bLandscape, const PRINTAREA& rc,
                         const COLORCORRECTION* pcc, bool bMark, PFN_COLORTILES pfnColorTiles);

// Copies a panel the colour walk kept (Black only when it marked) into
// pbPanel (room for cx x cy bytes); rc and bLandscape as given to the walk.
void TakeKeptPanel(BYTE* pbPanel, const DWORD* pBits, bool bLandscape, const PRINTAREA& rc,
                   KeptPanel panel);

// The black panel of a page without colour panels, from the surface as
// drawn: 0xFF where the colour bits are all 0, else 0.
void SeparatePureBlack(BYTE* pbPanel, const DWORD* pBits, bool bLandscape, const PRINTAREA& rc);
