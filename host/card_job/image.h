// Pictures in memory: 8-bit RGB and 8-bit grey, rows top-down, no padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // R, G, B per pixel

  RgbImage() = default;
  RgbImage(int w, int h, std::uint8_t fill = 255)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3, fill) {}
  std::uint8_t* at(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * 3]; }
  const std::uint8_t* at(int x, int y) const {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
  }
};

struct GrayImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  GrayImage() = default;
  GrayImage(int w, int h, std::uint8_t fill = 0)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
};

// What a picture file's header tells: the stored size and the Exif
// orientation (1 to 8, 1 for the picture as stored).
struct PictureFacts {
  int width = 0;
  int height = 0;
  int orientation = 1;
};

// The largest picture a command decodes (64 million pixels): beyond that a
// card design is a mistake, and the memory it would take is refused.
inline constexpr std::uint64_t kMaxImagePixels = 64ull * 1024 * 1024;
