// Conversions of PS reals to pixels and micrometres and back.
#include "lib/units.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>

#include "support/host_fixture.h"

namespace {

enum class Conversion { PSRealToPixel, MicronToPSReal, PSRealToMicron };

struct UnitCase {
  const char* name;
  Conversion conversion;
  LONG value;
  LONG dpi;  // PSRealToPixel only
  LONG expected;
};

void PrintTo(const UnitCase& c, std::ostream* os) { *os << c.name; }

const UnitCase kUnitCases[] = {
    {"InchAt300Dpi", Conversion::PSRealToPixel, 18432, 300, 300},
    {"CardWidthAt300Dpi", Conversion::PSRealToPixel, 157 * 256 + 113, 300, 656},
    {"FractionIsCutAt300Dpi", Conversion::PSRealToPixel, 11520, 300, 187},
    {"NegativeCutsTowardsZero", Conversion::PSRealToPixel, -11520, 300, -187},
    {"ProductBeyond32Bits", Conversion::PSRealToPixel, INT_MAX, 600, 69905066},
    {"ZeroPixels", Conversion::PSRealToPixel, 0, 300, 0},
    {"InchOfMicrons", Conversion::MicronToPSReal, 25400, 0, 18432},
    {"MillimetreOfMicrons", Conversion::MicronToPSReal, 1000, 0, 725},
    {"CardLengthOfMicrons", Conversion::MicronToPSReal, 85600, 0, 62117},
    {"InchToMicrons", Conversion::PSRealToMicron, 18432, 0, 25400},
    {"PointToMicrons", Conversion::PSRealToMicron, 256, 0, 352},
    {"NegativePointToMicrons", Conversion::PSRealToMicron, -256, 0, -352},
};

class UnitTest : public HostEngineTest, public ::testing::WithParamInterface<UnitCase> {};

TEST_P(UnitTest, Converts) {
  const UnitCase& c = GetParam();
  switch (c.conversion) {
    case Conversion::PSRealToPixel:
      EXPECT_EQ(PSRealToPixel(c.value, c.dpi), c.expected);
      break;
    case Conversion::MicronToPSReal:
      EXPECT_EQ(MicronToPSReal(c.value), c.expected);
      break;
    case Conversion::PSRealToMicron:
      EXPECT_EQ(PSRealToMicron(c.value), c.expected);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, UnitTest, ::testing::ValuesIn(kUnitCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
