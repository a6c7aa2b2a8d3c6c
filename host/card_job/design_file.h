// Card designs read from files, told apart by their content: PNG, JPEG
// (RGB, grey, CMYK or YCCK), PDF or SVG. Each page comes out in sRGB,
// turned as viewers show it (Exif orientation), converted through its
// embedded colour profile, and, for PDF and SVG, drawn at the size it takes
// on the card.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "host/card_job/image.h"
#include "host/card_job/image_fit.h"

// How many first bytes of a file tell what kind of design it is.
inline constexpr std::size_t kDesignHeadSize = 1024;

// True when the first bytes of a file are those of a PNG, JPEG, PDF or SVG.
bool LooksLikeDesign(std::span<const std::uint8_t> head);

class DesignFile {
 public:
  // Reads the file and what it holds: a missing, unreadable, empty, damaged
  // or foreign file, a PDF with no pages and an SVG that does not parse are
  // each a Failure naming the image and what is wrong.
  explicit DesignFile(const std::string& path);
  ~DesignFile();
  DesignFile(const DesignFile&) = delete;
  DesignFile& operator=(const DesignFile&) = delete;

  // One for a picture or an SVG, one per page for a PDF.
  int pages() const;

  // True when the page, as shown, is taller than wide.
  bool Portrait(int page) const;

  // The page (0 first) in sRGB, as shown, large enough to be fitted onto a
  // card surface of card_width by card_height pixels with the fit: a
  // picture decoded at no less than that size (a much larger JPEG scaled
  // down while decoding), a PDF page or an SVG drawn at just the size the
  // fit gives it on the card. A damaged file or profile is a Failure.
  RgbImage Page(int page, int card_width, int card_height, Fit fit) const;

 private:
  struct Content;
  std::unique_ptr<Content> content_;
};
