#include "host/card_job/frame_turn.h"

#include <cstring>

RgbImage TurnFrameToLandscape(const RgbImage& frame) {
  // Line n of the frame is column n of the design, read from the bottom up.
  RgbImage design(frame.height, frame.width);
  for (int row = 0; row < design.height; ++row) {
    for (int column = 0; column < design.width; ++column) {
      std::memcpy(design.at(column, row), frame.at(frame.width - 1 - row, column), 3);
    }
  }
  return design;
}
