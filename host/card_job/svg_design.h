// SVG designs drawn with librsvg and cairo at the size they take on the
// card, so text and lines are drawn at the printer's own resolution.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "host/card_job/image.h"

// Text whose first markup, within the first kilobyte, is XML or an <svg>
// element, and that names an <svg> element there.
bool LooksLikeSvg(std::span<const std::uint8_t> bytes);

class SvgDesign {
 public:
  // An SVG that does not parse, or gives neither a size nor a view box, is a
  // Failure naming the image.
  SvgDesign(std::span<const std::uint8_t> bytes, std::string_view name);
  ~SvgDesign();
  SvgDesign(const SvgDesign&) = delete;
  SvgDesign& operator=(const SvgDesign&) = delete;

  // The drawing's own size in CSS pixels (96 to the inch).
  double width() const { return width_; }
  double height() const { return height_; }
  // The drawing on white, scaled to width by height pixels.
  RgbImage Render(int width, int height) const;

 private:
  std::string name_;
  void* handle_ = nullptr;
  double width_ = 0;
  double height_ = 0;
};
