// Pictures written as PNG with libpng.
#pragma once

#include <cstdint>
#include <vector>

#include "host/card_job/image.h"

std::vector<std::uint8_t> EncodePng(const RgbImage& image);
std::vector<std::uint8_t> EncodePng(const GrayImage& image);
