#include "host/cups/raster_page.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr unsigned kResolution = 300;

// Points to pixels at the printer's resolution.
double Pixels(double points) { return points * kResolution / 72.0; }

}  // namespace

std::optional<std::string> RefusalOf(const cups_page_header2_t& header) {
  if (header.cupsColorSpace != CUPS_CSPACE_RGB && header.cupsColorSpace != CUPS_CSPACE_SRGB) {
    return "The raster is in colour space " + std::to_string(header.cupsColorSpace) +
           "; the card printer takes RGB or sRGB.";
  }
  if (header.cupsBitsPerColor != 8 || header.cupsBitsPerPixel != 24) {
    return "The raster is " + std::to_string(header.cupsBitsPerColor) +
           "-bit; the card printer takes 8-bit RGB.";
  }
  if (header.cupsColorOrder != CUPS_ORDER_CHUNKED) {
    return "The raster's colours are in banded or planar order; the card printer takes chunky "
           "RGB.";
  }
  if (header.HWResolution[0] != kResolution || header.HWResolution[1] != kResolution) {
    return "The raster is " + std::to_string(header.HWResolution[0]) + "x" +
           std::to_string(header.HWResolution[1]) + " dpi; the card printer takes 300 dpi.";
  }
  if (header.cupsWidth == 0 || header.cupsHeight == 0 ||
      static_cast<std::uint64_t>(header.cupsWidth) * header.cupsHeight > kMaxImagePixels ||
      header.cupsBytesPerLine != header.cupsWidth * 3) {
    return "The raster page of " + std::to_string(header.cupsWidth) + "x" +
           std::to_string(header.cupsHeight) + " pixels is empty, too large or malformed.";
  }
  return std::nullopt;
}

RgbImage CardArea(const RgbImage& page, const cups_page_header2_t& header) {
  double box[4] = {header.cupsImagingBBox[0], header.cupsImagingBBox[1], header.cupsImagingBBox[2],
                   header.cupsImagingBBox[3]};
  double page_height = header.cupsPageSize[1] > 0 ? header.cupsPageSize[1] : header.PageSize[1];
  if (box[2] <= box[0] || box[3] <= box[1]) {
    for (int i = 0; i < 4; ++i) box[i] = header.ImagingBoundingBox[i];
  }
  double area_width = Pixels(box[2] - box[0]);
  double area_height = Pixels(box[3] - box[1]);
  bool whole_page = area_width > 0 && area_height > 0 &&
                    (page.width > area_width + 0.5 || page.height > area_height + 0.5);
  if (!whole_page) return page;
  int left = std::clamp(static_cast<int>(std::lround(Pixels(box[0]))), 0, page.width - 1);
  int top =
      std::clamp(static_cast<int>(std::lround(Pixels(page_height - box[3]))), 0, page.height - 1);
  int width = std::clamp(static_cast<int>(std::lround(area_width)), 1, page.width - left);
  int height = std::clamp(static_cast<int>(std::lround(area_height)), 1, page.height - top);
  RgbImage area(width, height);
  for (int y = 0; y < height; ++y) {
    std::memcpy(area.at(0, y), page.at(left, top + y), static_cast<std::size_t>(width) * 3);
  }
  return area;
}
