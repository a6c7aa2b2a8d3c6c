// Unit conversions through the platform's floating-point object.
#include "lib/units.h"

#include "engine/records.h"
#include "engine/services.h"

namespace {

// value x mul / div, with the product held in a floating-point object.
LONG MulDivFloat(LONG value, LONG mul, LONG div) {
  FLOATOBJ f;
  FLOATOBJ_SetLong(&f, value);
  FLOATOBJ_MulLong(&f, mul);
  FLOATOBJ_DivLong(&f, div);
  return FLOATOBJ_GetLong(&f);
}

}  // namespace

LONG PSRealToPixel(LONG psReal, LONG dpi) { return MulDivFloat(psReal, dpi, PSREAL_PER_INCH); }

LONG MicronToPSReal(LONG microns) { return MulDivFloat(microns, PSREAL_PER_INCH, MICRONS_PER_INCH); }

LONG PSRealToMicron(LONG psReal) { return MulDivFloat(psReal, MICRONS_PER_INCH, PSREAL_PER_INCH); }
