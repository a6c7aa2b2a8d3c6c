#include "host/card_job/image_fit.h"

#include <algorithm>
#include <cstdint>

namespace {

// round(a * b / c) for positive values, in 64 bits.
int Scale(int a, int b, int c) {
  return static_cast<int>((static_cast<std::int64_t>(a) * b + c / 2) / c);
}

// A span of `part` centred within `whole`.
void Centre(int whole, int part, int& first, int& last) {
  part = std::clamp(part, 1, whole);
  first = (whole - part) / 2;
  last = first + part;
}

}  // namespace

std::optional<Fit> FitNamed(std::string_view name) {
  if (name == "cover") return Fit::kCover;
  if (name == "contain") return Fit::kContain;
  if (name == "stretch") return Fit::kStretch;
  return std::nullopt;
}

Placement FitImage(int image_width, int image_height, int card_width, int card_height, Fit fit) {
  Placement placement{{0, 0, image_width, image_height}, {0, 0, card_width, card_height}};
  // Compare the aspect ratios exactly: is the image wider than the card?
  std::int64_t image_across = static_cast<std::int64_t>(image_width) * card_height;
  std::int64_t card_across = static_cast<std::int64_t>(card_width) * image_height;
  switch (fit) {
    case Fit::kStretch:
      break;
    case Fit::kCover:
      if (image_across > card_across) {
        Centre(image_width, Scale(image_height, card_width, card_height), placement.source.left,
               placement.source.right);
      } else if (image_across < card_across) {
        Centre(image_height, Scale(image_width, card_height, card_width), placement.source.top,
               placement.source.bottom);
      }
      break;
    case Fit::kContain:
      if (image_across > card_across) {
        Centre(card_height, Scale(card_width, image_height, image_width), placement.target.top,
               placement.target.bottom);
      } else if (image_across < card_across) {
        Centre(card_width, Scale(card_height, image_width, image_height), placement.target.left,
               placement.target.right);
      }
      break;
  }
  return placement;
}
