#include "host/engine/blits.h"

#include <pixman.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "engine/constants.h"

namespace {

struct ImageRelease {
  void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using Image = std::unique_ptr<pixman_image_t, ImageRelease>;

// A rectangle with left <= right and top <= bottom, right and bottom
// exclusive.
struct Rect {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;

  LONG Width() const { return right - left; }
  LONG Height() const { return bottom - top; }
  bool Empty() const { return left >= right || top >= bottom; }
  bool operator==(const Rect&) const = default;
};

Rect Ordered(const RECTL& r) {
  return {std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
          std::max(r.top, r.bottom)};
}

Rect Intersect(const Rect& a, const Rect& b) {
  Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.Empty()) return {};
  return r;
}

Rect Bounds(const SURFOBJ* so) { return {0, 0, so->sizlBitmap.cx, so->sizlBitmap.cy}; }

Rect Offset(const Rect& r, LONG dx, LONG dy) {
  return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

// What may be drawn on the target: the surface, limited by a rectangular
// clip; nothing for a clip region the host cannot follow.
std::optional<Rect> DrawableArea(const SURFOBJ* target, const CLIPOBJ* pco) {
  Rect area = Bounds(target);
  if (pco == nullptr || pco->iDComplexity == DC_TRIVIAL) return area;
  if (pco->iDComplexity == DC_RECT) return Intersect(area, Ordered(pco->rclBounds));
  return std::nullopt;
}

BYTE* RowAddress(const SURFOBJ* so, LONG y) {
  return static_cast<BYTE*>(so->pvScan0) + static_cast<std::ptrdiff_t>(y) * so->lDelta;
}

bool IsWordAligned(const void* p, std::ptrdiff_t stride) {
  return reinterpret_cast<std::uintptr_t>(p) % 4 == 0 && stride % 4 == 0;
}

// The target's pixels as a pixman image, in place.
Image TargetImage(const SURFOBJ* so) {
  if (so == nullptr || so->iType != STYPE_BITMAP || so->iBitmapFormat != BMF_32BPP ||
      so->pvScan0 == nullptr || !IsWordAligned(so->pvScan0, so->lDelta)) {
    return nullptr;
  }
  return Image(pixman_image_create_bits(PIXMAN_x8b8g8r8, so->sizlBitmap.cx, so->sizlBitmap.cy,
                                        static_cast<std::uint32_t*>(so->pvScan0), so->lDelta));
}

bool IsSourceFormat(const SURFOBJ* so) {
  return so != nullptr && so->iType == STYPE_BITMAP && so->pvScan0 != nullptr &&
         (so->iBitmapFormat == BMF_24BPP || so->iBitmapFormat == BMF_32BPP);
}

// A source image over one rectangle of a surface. Rows pixman cannot address
// in place (not in whole words), or the very pixels being drawn into, are
// copied first.
struct SourceImage {
  Image image;
  std::vector<std::uint32_t> copy;
};

SourceImage MakeSource(const SURFOBJ* so, const Rect& area, const SURFOBJ* target) {
  bool is24 = so->iBitmapFormat == BMF_24BPP;
  pixman_format_code_t format = is24 ? PIXMAN_r8g8b8 : PIXMAN_x8b8g8r8;
  std::size_t bytes_per_pixel = is24 ? 3 : 4;
  std::size_t row_bytes = static_cast<std::size_t>(area.Width()) * bytes_per_pixel;

  SourceImage source;
  BYTE* first = RowAddress(so, area.top) + static_cast<std::size_t>(area.left) * bytes_per_pixel;
  std::ptrdiff_t stride = so->lDelta;
  if (!IsWordAligned(first, stride) || so->pvBits == target->pvBits) {
    std::size_t padded = (row_bytes + 3) / 4 * 4;
    source.copy.resize(padded / 4 * static_cast<std::size_t>(area.Height()));
    auto* bytes = reinterpret_cast<BYTE*>(source.copy.data());
    for (LONG y = 0; y < area.Height(); ++y) {
      std::memcpy(
          bytes + static_cast<std::size_t>(y) * padded,
          RowAddress(so, area.top + y) + static_cast<std::size_t>(area.left) * bytes_per_pixel,
          row_bytes);
    }
    first = bytes;
    stride = static_cast<std::ptrdiff_t>(padded);
  }
  source.image = Image(pixman_image_create_bits(format, area.Width(), area.Height(),
                                                reinterpret_cast<std::uint32_t*>(first),
                                                static_cast<int>(stride)));
  return source;
}

void Fill(pixman_image_t* target, const Rect& r, ULONG color) {
  pixman_color_t fill{static_cast<std::uint16_t>((color & 0xFF) * 0x101),
                      static_cast<std::uint16_t>(((color >> 8) & 0xFF) * 0x101),
                      static_cast<std::uint16_t>(((color >> 16) & 0xFF) * 0x101), 0xFFFF};
  pixman_box32_t box{r.left, r.top, r.right, r.bottom};
  pixman_image_fill_boxes(PIXMAN_OP_SRC, target, &fill, 1, &box);
}

// The colour adjustment as three tone curves (gamma, then contrast about
// mid-grey, then brightness) and a colourfulness factor applied to the
// difference from the luminance. Values are limited to the platform's
// ranges: gamma 2500 to 65000 (10000 is none; above it mid-tones lighten),
// contrast, brightness and colourfulness -100 to 100.
class ColorAdjuster {
 public:
  explicit ColorAdjuster(const COLORADJUSTMENT& ca) {
    const WORD gammas[3] = {ca.caRedGamma, ca.caGreenGamma, ca.caBlueGamma};
    double contrast = std::clamp<int>(ca.caContrast, -100, 100) / 100.0;
    double brightness = std::clamp<int>(ca.caBrightness, -100, 100) / 100.0;
    colourfulness_ = 1.0 + std::clamp<int>(ca.caColorfulness, -100, 100) / 100.0;
    identity_ = contrast == 0 && brightness == 0 && colourfulness_ == 1.0;
    for (int c = 0; c < 3; ++c) {
      double gamma = std::clamp<int>(gammas[c], 2500, 65000) / 10000.0;
      identity_ = identity_ && gamma == 1.0;
      for (int i = 0; i < 256; ++i) {
        double v = std::pow(i / 255.0, 1.0 / gamma);
        v = (v - 0.5) * (1.0 + contrast) + 0.5 + brightness;
        curves_[c][i] = static_cast<BYTE>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
      }
    }
  }

  bool identity() const { return identity_; }

  std::uint32_t Apply(std::uint32_t pixel) const {
    double rgb[3];
    for (int c = 0; c < 3; ++c) rgb[c] = curves_[c][(pixel >> (8 * c)) & 0xFF];
    std::uint32_t out = pixel & 0xFF000000u;
    double luminance = 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
    for (int c = 0; c < 3; ++c) {
      double v = luminance + (rgb[c] - luminance) * colourfulness_;
      out |= static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0))) << (8 * c);
    }
    return out;
  }

 private:
  std::array<std::array<BYTE, 256>, 3> curves_{};
  double colourfulness_ = 1.0;
  bool identity_ = true;
};

void AdjustColors(const SURFOBJ* so, const Rect& r, const COLORADJUSTMENT& ca) {
  ColorAdjuster adjuster(ca);
  if (adjuster.identity()) return;
  for (LONG y = r.top; y < r.bottom; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(RowAddress(so, y));
    for (LONG x = r.left; x < r.right; ++x) row[x] = adjuster.Apply(row[x]);
  }
}

// Per axis: the identity where the scale is 1; otherwise linear
// interpolation averaged over the destination pixel's footprint, so that a
// reduction blends every source pixel it covers. (Kernels with negative
// lobes are avoided: pixman lets their sums wrap around on these formats.)
void SetHalftoneFilter(pixman_image_t* source, double sx, double sy) {
  if (sx == 1.0 && sy == 1.0) {
    pixman_image_set_filter(source, PIXMAN_FILTER_NEAREST, nullptr, 0);
    return;
  }
  int count = 0;
  pixman_fixed_t* params = pixman_filter_create_separable_convolution(
      &count, pixman_double_to_fixed(sx), pixman_double_to_fixed(sy),
      sx == 1.0 ? PIXMAN_KERNEL_IMPULSE : PIXMAN_KERNEL_LINEAR,
      sy == 1.0 ? PIXMAN_KERNEL_IMPULSE : PIXMAN_KERNEL_LINEAR, PIXMAN_KERNEL_BOX,
      PIXMAN_KERNEL_BOX, 4, 4);
  pixman_image_set_filter(source, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params, count);
  std::free(params);
}

}  // namespace

BOOL HostBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, CLIPOBJ* pco, const RECTL* prclTrg,
                const POINTL* pptlSrc, const BRUSHOBJ* pbo, ROP4 rop4) {
  Image target = TargetImage(psoTrg);
  if (!target || prclTrg == nullptr) return FALSE;
  std::optional<Rect> area = DrawableArea(psoTrg, pco);
  if (!area) return FALSE;
  Rect requested = Ordered(*prclTrg);
  Rect drawn = Intersect(*area, requested);

  switch (rop4) {
    case ROP4_SRCCOPY: {
      if (!IsSourceFormat(psoSrc) || pptlSrc == nullptr) return FALSE;
      LONG dx = pptlSrc->x - requested.left;
      LONG dy = pptlSrc->y - requested.top;
      Rect from = Intersect(Offset(drawn, dx, dy), Bounds(psoSrc));
      drawn = Offset(from, -dx, -dy);
      if (drawn.Empty()) return TRUE;
      SourceImage source = MakeSource(psoSrc, from, psoTrg);
      if (!source.image) return FALSE;
      pixman_image_composite32(PIXMAN_OP_SRC, source.image.get(), nullptr, target.get(), 0, 0, 0, 0,
                               drawn.left, drawn.top, drawn.Width(), drawn.Height());
      return TRUE;
    }
    case ROP4_PATCOPY:
      if (pbo == nullptr || pbo->iSolidColor == 0xFFFFFFFF) return FALSE;
      if (!drawn.Empty()) Fill(target.get(), drawn, pbo->iSolidColor);
      return TRUE;
    case ROP4_BLACKNESS:
      if (!drawn.Empty()) Fill(target.get(), drawn, 0x000000);
      return TRUE;
    case ROP4_WHITENESS:
      if (!drawn.Empty()) Fill(target.get(), drawn, 0xFFFFFF);
      return TRUE;
    default:
      return FALSE;
  }
}

BOOL HostStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, const COLORADJUSTMENT* pca,
                    const RECTL* prclDest, const RECTL* prclSrc, ULONG iMode) {
  Image target = TargetImage(psoDest);
  if (!target || !IsSourceFormat(psoSrc) || prclDest == nullptr || prclSrc == nullptr) {
    return FALSE;
  }
  std::optional<Rect> area = DrawableArea(psoDest, pco);
  if (!area) return FALSE;
  Rect dest = Ordered(*prclDest);
  Rect from = Ordered(*prclSrc);
  if (from.Empty() || Intersect(from, Bounds(psoSrc)) != from) return FALSE;
  Rect drawn = Intersect(*area, dest);
  if (drawn.Empty()) return TRUE;

  SourceImage source = MakeSource(psoSrc, from, psoDest);
  if (!source.image) return FALSE;
  bool mirror_x = (prclDest->right < prclDest->left) != (prclSrc->right < prclSrc->left);
  bool mirror_y = (prclDest->bottom < prclDest->top) != (prclSrc->bottom < prclSrc->top);
  double sx = static_cast<double>(from.Width()) / dest.Width();
  double sy = static_cast<double>(from.Height()) / dest.Height();

  // Destination pixel (i, j) of the rectangle samples the source at
  // (sx (i + 0.5), sy (j + 0.5)), counted from the far edge when mirrored.
  pixman_transform_t transform;
  pixman_transform_init_identity(&transform);
  transform.matrix[0][0] = pixman_double_to_fixed(mirror_x ? -sx : sx);
  transform.matrix[0][2] = mirror_x ? pixman_int_to_fixed(from.Width()) : 0;
  transform.matrix[1][1] = pixman_double_to_fixed(mirror_y ? -sy : sy);
  transform.matrix[1][2] = mirror_y ? pixman_int_to_fixed(from.Height()) : 0;
  pixman_image_set_transform(source.image.get(), &transform);
  pixman_image_set_repeat(source.image.get(), PIXMAN_REPEAT_PAD);
  if (iMode == HALFTONE) {
    SetHalftoneFilter(source.image.get(), sx, sy);
  } else {
    pixman_image_set_filter(source.image.get(), PIXMAN_FILTER_NEAREST, nullptr, 0);
  }
  pixman_image_composite32(PIXMAN_OP_SRC, source.image.get(), nullptr, target.get(),
                           drawn.left - dest.left, drawn.top - dest.top, 0, 0, drawn.left,
                           drawn.top, drawn.Width(), drawn.Height());
  if (iMode == HALFTONE && pca != nullptr) AdjustColors(psoDest, drawn, *pca);
  return TRUE;
}
