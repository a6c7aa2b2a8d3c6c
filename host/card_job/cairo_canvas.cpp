#include "host/card_job/cairo_canvas.h"

#include <cstdint>

CairoCanvas::CairoCanvas(int width, int height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
      context_(cairo_create(surface_)) {
  cairo_set_source_rgb(context_, 1, 1, 1);
  cairo_paint(context_);
}

CairoCanvas::~CairoCanvas() {
  cairo_destroy(context_);
  cairo_surface_destroy(surface_);
}

const char* CairoCanvas::Problem() const {
  cairo_status_t status = cairo_status(context_);
  return status == CAIRO_STATUS_SUCCESS ? nullptr : cairo_status_to_string(status);
}

RgbImage CairoCanvas::Picture() const {
  cairo_surface_flush(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  int stride = cairo_image_surface_get_stride(surface_);
  RgbImage image(width_, height_);
  for (int y = 0; y < height_; ++y) {
    // A pixel is a native 32-bit word 0x00RRGGBB.
    const auto* row =
        reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width_; ++x) {
      std::uint8_t* to = image.at(x, y);
      to[0] = static_cast<std::uint8_t>(row[x] >> 16);
      to[1] = static_cast<std::uint8_t>(row[x] >> 8);
      to[2] = static_cast<std::uint8_t>(row[x]);
    }
  }
  return image;
}
