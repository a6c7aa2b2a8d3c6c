// PNG written and read back, and the fitting of a design to the card.
#include <gtest/gtest.h>

#include <string>

#include "host/card_job/image_fit.h"
#include "host/card_job/png_design.h"
#include "host/cardprint/png_file.h"

namespace {

TEST(EncodePng, WritesWhatDecodesBackTheSame) {
  RgbImage image(3, 2);
  for (std::size_t i = 0; i < image.pixels.size(); ++i)
    image.pixels[i] = static_cast<std::uint8_t>(i * 13);
  RgbImage back = DecodePng(EncodePng(image), "picture");
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.pixels, image.pixels);

  GrayImage grey(2, 2);
  grey.pixels = {0, 100, 200, 255};
  RgbImage widened = DecodePng(EncodePng(grey), "picture");
  EXPECT_EQ(widened.at(1, 1)[1], 255);
  EXPECT_EQ(widened.at(1, 0)[0], 100);
}

struct FitCase {
  const char* name;
  int image_width, image_height;
  Fit fit;
  PixelRect source, target;  // on a 1024 by 656 card
};

const FitCase kFits[] = {
    {"SameShapeCover", 2048, 1312, Fit::kCover, {0, 0, 2048, 1312}, {0, 0, 1024, 656}},
    {"SameShapeContain", 512, 328, Fit::kContain, {0, 0, 512, 328}, {0, 0, 1024, 656}},
    {"WideCoverCutsTheSides", 2000, 656, Fit::kCover, {488, 0, 1512, 656}, {0, 0, 1024, 656}},
    {"TallCoverCutsTopAndBottom", 1024, 1000, Fit::kCover, {0, 172, 1024, 828}, {0, 0, 1024, 656}},
    {"WideContainLeavesBands", 2048, 656, Fit::kContain, {0, 0, 2048, 656}, {0, 164, 1024, 492}},
    {"TallContainLeavesSides", 656, 1024, Fit::kContain, {0, 0, 656, 1024}, {302, 0, 722, 656}},
    {"SquareStretch", 10, 10, Fit::kStretch, {0, 0, 10, 10}, {0, 0, 1024, 656}},
    {"OnePixelLineCover", 1, 1000, Fit::kCover, {0, 499, 1, 500}, {0, 0, 1024, 656}},
};

class FitImageTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitImageTest, PlacesTheImage) {
  const FitCase& c = GetParam();
  Placement placement = FitImage(c.image_width, c.image_height, 1024, 656, c.fit);
  EXPECT_EQ(placement.source, c.source);
  EXPECT_EQ(placement.target, c.target);
}

INSTANTIATE_TEST_SUITE_P(Fits, FitImageTest, ::testing::ValuesIn(kFits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FitNamed, KnowsTheThreeFits) {
  EXPECT_EQ(FitNamed("cover"), Fit::kCover);
  EXPECT_EQ(FitNamed("contain"), Fit::kContain);
  EXPECT_EQ(FitNamed("stretch"), Fit::kStretch);
  EXPECT_EQ(FitNamed("fill"), std::nullopt);
}

}  // namespace
