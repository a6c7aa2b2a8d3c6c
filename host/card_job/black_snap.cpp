#include "host/card_job/black_snap.h"

void SnapToBlack(RgbImage& image, int level) {
  if (level <= 0) return;
  for (std::size_t i = 0; i + 2 < image.pixels.size(); i += 3) {
    std::uint8_t* pixel = &image.pixels[i];
    if (pixel[0] <= level && pixel[1] <= level && pixel[2] <= level) {
      pixel[0] = pixel[1] = pixel[2] = 0;
    }
  }
}
