#include "host/card_job/exif_orientation.h"

#include <utility>

namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

struct TiffReader {
  std::span<const std::uint8_t> bytes;
  bool big_endian;

  bool Has(std::size_t offset, std::size_t count) const {
    return offset <= bytes.size() && count <= bytes.size() - offset;
  }
  std::uint32_t Read(std::size_t offset, int count) const {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      int shift = big_endian ? 8 * (count - 1 - i) : 8 * i;
      value |= static_cast<std::uint32_t>(bytes[offset + i]) << shift;
    }
    return value;
  }
};

}  // namespace

int ExifOrientation(std::span<const std::uint8_t> tiff) {
  if (tiff.size() < 8) return 1;
  TiffReader reader{tiff, tiff[0] == 'M'};
  if (!((tiff[0] == 'I' && tiff[1] == 'I') || (tiff[0] == 'M' && tiff[1] == 'M')) ||
      reader.Read(2, 2) != 42) {
    return 1;
  }
  std::size_t directory = reader.Read(4, 4);
  if (!reader.Has(directory, 2)) return 1;
  std::uint32_t entries = reader.Read(directory, 2);
  for (std::uint32_t i = 0; i < entries; ++i) {
    std::size_t entry = directory + 2 + 12 * static_cast<std::size_t>(i);
    if (!reader.Has(entry, 12)) return 1;
    if (reader.Read(entry, 2) != kOrientationTag) continue;
    if (reader.Read(entry + 2, 2) != kShortType || reader.Read(entry + 4, 4) != 1) return 1;
    std::uint32_t value = reader.Read(entry + 8, 2);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
  }
  return 1;
}

bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

RgbImage Orient(RgbImage stored, int orientation) {
  if (orientation < 2 || orientation > 8) return stored;
  const int w = stored.width;
  const int h = stored.height;
  RgbImage shown = SwapsSides(orientation) ? RgbImage(h, w) : RgbImage(w, h);
  // Where the shown pixel (x, y) lies in the stored picture.
  auto source = [&](int x, int y) -> std::pair<int, int> {
    switch (orientation) {
      case 2:
        return {w - 1 - x, y};
      case 3:
        return {w - 1 - x, h - 1 - y};
      case 4:
        return {x, h - 1 - y};
      case 5:
        return {y, x};
      case 6:
        return {y, h - 1 - x};
      case 7:
        return {w - 1 - y, h - 1 - x};
      default:
        return {w - 1 - y, x};
    }
  };
  for (int y = 0; y < shown.height; ++y) {
    for (int x = 0; x < shown.width; ++x) {
      auto [sx, sy] = source(x, y);
      const std::uint8_t* from = stored.at(sx, sy);
      std::uint8_t* to = shown.at(x, y);
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
    }
  }
  return shown;
}
