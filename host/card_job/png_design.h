// PNG designs with libpng: any kind of pixels, the orientation of their
// eXIf chunk and the colour profile of their iCCP chunk.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "host/card_job/image.h"

bool LooksLikePng(std::span<const std::uint8_t> bytes);

// The stored size and the orientation of the eXIf chunk (1 when there is
// none). A damaged file is a Failure naming the image.
PictureFacts PngFacts(std::span<const std::uint8_t> bytes, std::string_view name);

// Any PNG (grey, palette, 16-bit, with alpha) as 8-bit sRGB, as stored (not
// yet oriented): transparent parts laid on white, as on a blank card, then
// converted through the iCCP profile when there is one. A damaged file or
// profile is a Failure naming the image.
RgbImage DecodePng(std::span<const std::uint8_t> bytes, std::string_view name);
