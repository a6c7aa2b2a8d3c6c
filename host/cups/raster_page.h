// CUPS raster pages as card designs: which rasters the card printer takes,
// and the part of a page that is the card's printable area.
#pragma once

#include <cups/raster.h>

#include <optional>
#include <string>

#include "host/card_job/image.h"

// The sentence refusing a page the printer cannot take (colour space, bit
// depth, colour order, resolution, size), or null for 8-bit RGB or sRGB,
// chunky, 300 dpi.
std::optional<std::string> RefusalOf(const cups_page_header2_t& header);

// The card's printable area out of a page of cupsWidth by cupsHeight pixels.
// A raster of the imageable area is the area itself; a raster of the whole
// page (wider or taller than the imageable area by more than half a pixel) is
// cut to the imageable box the header states.
RgbImage CardArea(const RgbImage& page, const cups_page_header2_t& header);
