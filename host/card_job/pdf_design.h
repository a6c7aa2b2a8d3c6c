// PDF designs drawn with poppler onto cairo: one card per page, each page
// drawn at the size it takes on the card, so text and lines are drawn at
// the printer's own resolution rather than scaled from a picture.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/card_job/image.h"

// "%PDF-" within the first kilobyte, where readers look for it.
bool LooksLikePdf(std::span<const std::uint8_t> bytes);

class PdfDesign {
 public:
  // A damaged file, one locked with a password or one with no pages is a
  // Failure naming the image.
  PdfDesign(std::vector<std::uint8_t> bytes, std::string_view name);
  ~PdfDesign();
  PdfDesign(const PdfDesign&) = delete;
  PdfDesign& operator=(const PdfDesign&) = delete;

  int pages() const;
  // The page's width and height in points as it is shown (its rotation
  // applied).
  double PageWidth(int page) const;
  double PageHeight(int page) const;
  // The page (0 first) drawn on white, scaled to width by height pixels.
  RgbImage Render(int page, int width, int height) const;

 private:
  void Release();

  std::string name_;
  void* document_ = nullptr;
  std::vector<void*> pages_;
};
