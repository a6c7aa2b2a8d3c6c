// The orientation tag of a picture's Exif data, and the picture turned and
// mirrored the way viewers show it.
#pragma once

#include <cstdint>
#include <span>

#include "host/card_job/image.h"

// The orientation (1 to 8) that Exif data (a TIFF structure: byte order,
// magic number, first directory) gives in its first directory; 1, the
// stored picture as it is, when the data holds none or cannot be read.
int ExifOrientation(std::span<const std::uint8_t> tiff);

// True for the orientations whose picture is stored with its sides swapped
// (5 to 8).
bool SwapsSides(int orientation);

// The stored picture as it is shown: 2 mirrored left to right, 3 turned a
// half turn, 4 mirrored top to bottom, 5 mirrored along the diagonal from
// the top-left corner, 6 turned a quarter turn clockwise, 7 mirrored along
// the other diagonal, 8 turned a quarter turn counter-clockwise.
RgbImage Orient(RgbImage stored, int orientation);
