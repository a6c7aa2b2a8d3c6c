// Conversions of PS reals (1/256 point, 18432 per inch) to device pixels and
// micrometres (25400 per inch) and back. The products go through the
// platform's floating-point object, so they never overflow 32 bits; each
// result is the integer part of the quotient, taken towards zero.
#pragma once

#include "engine/types.h"

inline constexpr LONG PSREAL_PER_INCH = 72 * 256;
inline constexpr LONG MICRONS_PER_INCH = 25400;

// v x dpi / 18432.
LONG PSRealToPixel(LONG psReal, LONG dpi);

// m x 18432 / 25400.
LONG MicronToPSReal(LONG microns);

// v x 25400 / 18432.
LONG PSRealToMicron(LONG psReal);
