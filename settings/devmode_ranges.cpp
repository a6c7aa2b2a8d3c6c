// The limits of the numeric private fields.
#include "settings/devmode_ranges.h"

#include <algorithm>

void LimitColorAdjustments(LONG (&alColor)[4]) {
  alColor[0] = std::clamp(alColor[0], COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX);
  alColor[1] = std::clamp(alColor[1], COLOR_SATURATION_MIN, COLOR_SATURATION_MAX);
  alColor[2] = std::clamp(alColor[2], COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX);
  alColor[3] = std::clamp(alColor[3], COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX);
}

void LimitPositionAdjustments(PRIVATEDEVMODE* pPriv) {
  pPriv->lAdjust1 = std::clamp(pPriv->lAdjust1, ADJUST1_MIN, ADJUST1_MAX);
  pPriv->lAdjust2 = std::clamp(pPriv->lAdjust2, ADJUST_MIN, ADJUST_MAX);
  pPriv->lAdjust3 = std::clamp(pPriv->lAdjust3, ADJUST_MIN, ADJUST_MAX);
  pPriv->lAdjust4 = std::clamp(pPriv->lAdjust4, ADJUST_MIN, ADJUST_MAX);
}
