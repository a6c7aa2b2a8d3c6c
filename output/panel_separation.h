// Separation of the print area of the page surface into one ribbon panel:
// cy lines of cx bytes, one byte per dot, line 0 first. Line i, dot j comes
// from surface word (y + i) x 656 + (x + j) in portrait, and from word
// (x + j) x 1024 + (y + i) in landscape, where the surface is bottom-up, so
// that a printer line runs up an image column.
#pragma once

#include "driver/pdev.h"
#include "engine/types.h"
#include "output/color_correction.h"

// What a panel takes from each pixel 0x00BBGGRR with mark byte on top.
enum class PanelTake {
  Yellow,     // 255 - blue
  Magenta,    // 255 - green
  Cyan,       // 255 - red
  Marked,     // 255 - mark: 0xFF for the pixels the marking found pure black
  PureBlack,  // 0xFF where the colour bits are all 0, else 0
};

// Builds the panel in pbPanel (room for cx x cy bytes); the print area must
// lie inside the frame.
void SeparatePanel(BYTE* pbPanel, DWORD* pBits, bool bLandscape, const PRINTAREA& rc,
                   PanelTake take);

// The yellow panel, the first to walk the surface: each pixel of the print
// area is first corrected (when pcc is given), then marked (when bMark: pure
// black becomes white with mark 0, every other pixel gets mark 0xFF), in
// place, and the yellow byte is taken from the result.
void SeparateYellow(BYTE* pbPanel, DWORD* pBits, bool bLandscape, const PRINTAREA& rc,
                    const COLORCORRECTION* pcc, bool bMark);
