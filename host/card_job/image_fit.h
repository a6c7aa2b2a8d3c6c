// How a design is fitted to the card: which part of the image goes to which
// part of the card surface.
#pragma once

#include <optional>
#include <string_view>

enum class Fit {
  kCover,    // fill the card without distortion, cutting the overhang evenly
  kContain,  // the whole image without distortion, centred, white around it
  kStretch,  // the whole image onto the whole card, distorted as needed
};

std::optional<Fit> FitNamed(std::string_view name);

// A rectangle in pixels: left and top inclusive, right and bottom exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const PixelRect&) const = default;
};

struct Placement {
  PixelRect source;  // part of the image
  PixelRect target;  // part of the card
};

// Places an image of image_width by image_height on a card of card_width by
// card_height. Both sides of both rectangles are at least one pixel.
Placement FitImage(int image_width, int image_height, int card_width, int card_height, Fit fit);
