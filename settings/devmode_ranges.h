// The ranges of the device mode's numeric private fields, and the one rule
// for a value outside its range: it becomes the nearest value inside. The
// merge applies the rule to every device mode an application passes in; the
// colour correction applies the same limits again, since its arithmetic is
// only sound within them.
#pragma once

#include "driver/pdev.h"
#include "engine/types.h"

// The print position adjustments travel as two-digit fields: lAdjust1 as
// 5 - lAdjust1, lAdjust2 to lAdjust4 as the value + 5. These ranges keep
// every field within 00 to 99.
inline constexpr LONG ADJUST1_MIN = -94;
inline constexpr LONG ADJUST1_MAX = 5;
inline constexpr LONG ADJUST_MIN = -5;  // lAdjust2, lAdjust3, lAdjust4
inline constexpr LONG ADJUST_MAX = 94;

// alColor limited to COLOR_WEIGHT_MIN..MAX (yellow, magenta, cyan) and
// COLOR_SATURATION_MIN..MAX (saturation).
void LimitColorAdjustments(LONG (&alColor)[4]);

// lAdjust1 to lAdjust4 limited to their ranges above.
void LimitPositionAdjustments(PRIVATEDEVMODE* pPriv);
