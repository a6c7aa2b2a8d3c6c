// Pictures turned between the printer's frame (656 dots across, 1024 lines
// down) and the landscape card a design is drawn on.
#pragma once

#include "host/card_job/image.h"

// The card picture, which is in the printer's frame, turned the way a
// landscape design was drawn (the driver turns landscape pages a quarter
// turn clockwise on their way to the printer; this turns them back).
RgbImage TurnFrameToLandscape(const RgbImage& frame);
