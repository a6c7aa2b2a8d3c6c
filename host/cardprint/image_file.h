// Card designs read from files: PNG or JPEG, told apart by their first bytes.
#pragma once

#include <string>

#include "host/card_job/image.h"

// Reads the file and decodes it as 8-bit RGB. A JPEG much larger than
// min_width by min_height is scaled down while decoding. A missing,
// unreadable, empty, damaged or foreign file is a Failure naming the image.
RgbImage LoadImage(const std::string& path, int min_width, int min_height);
