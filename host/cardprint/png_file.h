// PNG encoding and decoding with libpng.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "host/card_job/image.h"

std::vector<std::uint8_t> EncodePng(const RgbImage& image);
std::vector<std::uint8_t> EncodePng(const GrayImage& image);

// Any PNG (grey, palette, 16-bit, with alpha) as 8-bit RGB; transparent
// parts are laid on white, as on a blank card. A damaged file is a Failure
// naming the image.
RgbImage DecodePng(std::span<const std::uint8_t> bytes, std::string_view name);

bool LooksLikePng(std::span<const std::uint8_t> bytes);
