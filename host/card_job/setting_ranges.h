// The ranges of the numeric card settings, as ApplySetting checks them, for
// front ends that publish them (the printer application's supported values).
#pragma once

#include "driver/pdev.h"
#include "settings/devmode_ranges.h"

struct SettingRange {
  int lower;
  int upper;
};

inline constexpr SettingRange kColorWeightRange{COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX};
inline constexpr SettingRange kSaturationRange{COLOR_SATURATION_MIN, COLOR_SATURATION_MAX};
inline constexpr SettingRange kAdjust1Range{ADJUST1_MIN, ADJUST1_MAX};
inline constexpr SettingRange kAdjustRange{ADJUST_MIN, ADJUST_MAX};  // Adjust2 to Adjust4
inline constexpr SettingRange kSnapBlackRange{0, 255};  // 0: off
