// JPEG decoding with libjpeg-turbo.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "host/card_job/image.h"

// Decodes a JPEG as 8-bit RGB. When the picture is much larger than needed,
// the decoder's own scaling (1/2, 1/4 or 1/8) brings it down while keeping
// both sides at least min_width by min_height, which saves time and memory
// for camera photos. A damaged file is a Failure naming the image.
RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes, std::string_view name, int min_width,
                    int min_height);

bool LooksLikeJpeg(std::span<const std::uint8_t> bytes);
