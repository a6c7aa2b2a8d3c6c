#include "host/card_job/design_file.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "host/card_job/errors.h"
#include "host/card_job/exif_orientation.h"
#include "host/card_job/file_bytes.h"
#include "host/card_job/jpeg_design.h"
#include "host/card_job/pdf_design.h"
#include "host/card_job/png_design.h"
#include "host/card_job/svg_design.h"

namespace {

enum class Kind { kPng, kJpeg, kPdf, kSvg };

std::optional<Kind> KindOf(std::span<const std::uint8_t> head) {
  if (LooksLikePng(head)) return Kind::kPng;
  if (LooksLikeJpeg(head)) return Kind::kJpeg;
  if (LooksLikePdf(head)) return Kind::kPdf;
  if (LooksLikeSvg(head)) return Kind::kSvg;
  return std::nullopt;
}

// The size in pixels at which a drawing of width by height (any unit) is
// drawn so that the fit places it on the card one pixel to one: covering
// the card, inside it, or onto it exactly. A drawing that would overhang the
// card more than eight times over on a side (a long, thin strip covering a
// card) is drawn smaller, in its own shape, to keep the memory bounded; the
// fit then enlarges it.
std::pair<int, int> DrawnSize(double width, double height, int card_width, int card_height,
                              Fit fit) {
  if (fit == Fit::kStretch) return {card_width, card_height};
  double across = card_width / width;
  double down = card_height / height;
  double scale = fit == Fit::kCover ? std::max(across, down) : std::min(across, down);
  double limit = std::min(8.0 * card_width / width, 8.0 * card_height / height);
  bool shrunk = scale > limit;
  if (shrunk) scale = limit;
  auto side = [&](double length, int card_side) {
    long pixels = std::max(1L, std::lround(length * scale));
    // Rounding must not leave a covering drawing a pixel short of the card.
    if (fit == Fit::kCover && !shrunk) pixels = std::max<long>(pixels, card_side);
    return static_cast<int>(pixels);
  };
  return {side(width, card_width), side(height, card_height)};
}

}  // namespace

struct DesignFile::Content {
  std::string path;
  Kind kind;
  std::vector<std::uint8_t> bytes;  // pictures: the file; a PDF keeps its own
  PictureFacts facts;               // pictures
  std::unique_ptr<PdfDesign> pdf;
  std::unique_ptr<SvgDesign> svg;
};

bool LooksLikeDesign(std::span<const std::uint8_t> head) { return KindOf(head).has_value(); }

DesignFile::DesignFile(const std::string& path) : content_(std::make_unique<Content>()) {
  Content& c = *content_;
  c.path = path;
  c.bytes = ReadWholeFile(path, "the image");
  if (c.bytes.empty()) throw Failure("the image " + path + " is an empty file.");
  std::optional<Kind> kind = KindOf(c.bytes);
  if (!kind) throw Failure("the image " + path + " is not a PNG, JPEG, PDF or SVG file.");
  c.kind = *kind;
  switch (c.kind) {
    case Kind::kPng:
      c.facts = PngFacts(c.bytes, path);
      break;
    case Kind::kJpeg:
      c.facts = JpegFacts(c.bytes, path);
      break;
    case Kind::kPdf:
      c.pdf = std::make_unique<PdfDesign>(std::move(c.bytes), path);
      break;
    case Kind::kSvg:
      c.svg = std::make_unique<SvgDesign>(c.bytes, path);
      c.bytes.clear();
      c.bytes.shrink_to_fit();
      break;
  }
}

DesignFile::~DesignFile() = default;

int DesignFile::pages() const { return content_->pdf ? content_->pdf->pages() : 1; }

bool DesignFile::Portrait(int page) const {
  const Content& c = *content_;
  if (c.pdf) return c.pdf->PageHeight(page) > c.pdf->PageWidth(page);
  if (c.svg) return c.svg->height() > c.svg->width();
  bool swapped = SwapsSides(c.facts.orientation);
  return (swapped ? c.facts.width : c.facts.height) > (swapped ? c.facts.height : c.facts.width);
}

RgbImage DesignFile::Page(int page, int card_width, int card_height, Fit fit) const {
  const Content& c = *content_;
  if (c.pdf) {
    auto [width, height] =
        DrawnSize(c.pdf->PageWidth(page), c.pdf->PageHeight(page), card_width, card_height, fit);
    return c.pdf->Render(page, width, height);
  }
  if (c.svg) {
    auto [width, height] = DrawnSize(c.svg->width(), c.svg->height(), card_width, card_height, fit);
    return c.svg->Render(width, height);
  }
  if (c.kind == Kind::kPng) return Orient(DecodePng(c.bytes, c.path), c.facts.orientation);
  // The stored picture's sides are the shown one's swapped for a turned
  // picture: it must be no smaller than the card that way round.
  bool swapped = SwapsSides(c.facts.orientation);
  return Orient(DecodeJpeg(c.bytes, c.path, swapped ? card_height : card_width,
                           swapped ? card_width : card_height),
                c.facts.orientation);
}
