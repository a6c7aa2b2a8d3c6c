// A white canvas of pixels that PDF pages and SVG drawings are drawn on
// with cairo, and the picture drawn.
#pragma once

#include <cairo.h>

#include "host/card_job/image.h"

class CairoCanvas {
 public:
  CairoCanvas(int width, int height);
  ~CairoCanvas();
  CairoCanvas(const CairoCanvas&) = delete;
  CairoCanvas& operator=(const CairoCanvas&) = delete;

  cairo_t* context() const { return context_; }
  // The drawing's status: cairo's reason when something failed, else null.
  const char* Problem() const;
  RgbImage Picture() const;

 private:
  int width_;
  int height_;
  cairo_surface_t* surface_;
  cairo_t* context_;
};
