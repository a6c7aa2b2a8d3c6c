// Crisp black for text and barcodes: near-black made pure black, so that
// the driver's black rule puts it on the black panel instead of the colour
// panels.
#pragma once

#include "host/card_job/image.h"

// Every pixel whose three channels are all at or below level becomes 0, 0,
// 0; level 0 leaves the picture as it is.
void SnapToBlack(RgbImage& image, int level);
