// JPEG designs with libjpeg-turbo: RGB, grey, CMYK and YCCK, their Exif
// orientation and their embedded colour profile.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "host/card_job/image.h"

bool LooksLikeJpeg(std::span<const std::uint8_t> bytes);

// The stored size and the Exif orientation (1 when there is none), from the
// header alone. A damaged file is a Failure naming the image.
PictureFacts JpegFacts(std::span<const std::uint8_t> bytes, std::string_view name);

// Decodes the stored pixels (not yet oriented) as 8-bit sRGB: through the
// embedded ICC profile when there is one; CMYK and YCCK with the inverted
// values Adobe applications write when the file has Adobe's marker. When the
// picture is much larger than needed, the decoder's own scaling (1/2, 1/4 or
// 1/8) brings it down while keeping both stored sides at least min_width by
// min_height, which saves time and memory for camera photos. A damaged
// file or profile is a Failure naming the image.
RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes, std::string_view name, int min_width,
                    int min_height);
