#include "host/card_job/page_turn.h"

#include <cstring>

namespace {

// Row n of the design is column n of the page, read from the bottom up.
RgbImage TurnPageToLandscape(const RgbImage& page) {
  RgbImage design(page.height, page.width);
  for (int row = 0; row < design.height; ++row) {
    for (int column = 0; column < design.width; ++column) {
      std::memcpy(design.at(column, row), page.at(row, page.height - 1 - column), 3);
    }
  }
  return design;
}

}  // namespace

RgbImage OntoSurface(RgbImage page, int surface_width, int surface_height) {
  bool surface_landscape = surface_width > surface_height;
  bool page_landscape = page.width > page.height;
  if (surface_landscape && !page_landscape) return TurnPageToLandscape(page);
  return page;
}
