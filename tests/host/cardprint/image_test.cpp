// Card designs read from PNG and JPEG files, damaged and foreign files
// refused with a sentence naming them, PNG written back, and the fitting of
// a design to the card.
#include <gtest/gtest.h>

#include <string>

#include "host/card_job/errors.h"
#include "host/card_job/image_fit.h"
#include "host/cardprint/image_file.h"
#include "host/cardprint/png_file.h"

namespace {

std::string Data(const std::string& name) { return std::string(CARDPRINT_TEST_DATA) + "/" + name; }

TEST(LoadImage, ReadsPngAndJpegAsRgb) {
  RgbImage png = LoadImage(Data("image_gradient.png"), 1, 1);
  ASSERT_EQ(png.width, 64);
  ASSERT_EQ(png.height, 40);
  EXPECT_EQ(png.pixels.size(), 64u * 40 * 3);
  EXPECT_EQ(png.at(0, 0)[0], 255);  // red at the top, blue at the bottom
  EXPECT_EQ(png.at(0, 0)[2], 0);
  EXPECT_EQ(png.at(0, 39)[2], 255);

  RgbImage jpeg = LoadImage(Data("image_gradient.jpg"), 64, 40);
  ASSERT_EQ(jpeg.width, 64);
  ASSERT_EQ(jpeg.height, 40);
  EXPECT_NEAR(jpeg.at(10, 0)[0], 255, 6);
  EXPECT_NEAR(jpeg.at(10, 39)[2], 255, 6);
}

TEST(LoadImage, ScalesALargeJpegDownToNoLessThanNeeded) {
  RgbImage quarter = LoadImage(Data("image_gradient.jpg"), 16, 10);
  EXPECT_EQ(quarter.width, 16);
  EXPECT_EQ(quarter.height, 10);
  RgbImage half = LoadImage(Data("image_gradient.jpg"), 17, 10);
  EXPECT_EQ(half.width, 32);
  EXPECT_EQ(half.height, 20);
}

TEST(LoadImage, LaysTransparencyOnWhiteAndWidensGrey) {
  RgbImage image = LoadImage(Data("image_half_transparent.png"), 1, 1);
  EXPECT_EQ(std::vector<int>(image.at(0, 0), image.at(0, 0) + 3), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(std::vector<int>(image.at(7, 7), image.at(7, 7) + 3),
            (std::vector<int>{255, 255, 255}));
  RgbImage grey = LoadImage(Data("image_grey16.png"), 1, 1);
  EXPECT_EQ(grey.width, 6);
  EXPECT_EQ(grey.at(0, 0)[0], grey.at(0, 0)[2]);
}

struct BadImage {
  const char* file;
  const char* message;
};

const BadImage kBadImages[] = {
    {"image_missing.png", "the image " CARDPRINT_TEST_DATA
                          "/image_missing.png cannot be read: no such file or directory."},
    {"image_truncated.png",
     "the image " CARDPRINT_TEST_DATA "/image_truncated.png is a damaged PNG file ("},
    {"image_truncated.jpg",
     "the image " CARDPRINT_TEST_DATA "/image_truncated.jpg is a damaged JPEG file ("},
    {"image_not_png_or_jpeg.gif", "the image " CARDPRINT_TEST_DATA
                                  "/image_not_png_or_jpeg.gif is neither a PNG nor a JPEG file."},
    {"", "the image " CARDPRINT_TEST_DATA "/ cannot be read: is a directory."},
};

class LoadBadImage : public ::testing::TestWithParam<BadImage> {};

TEST_P(LoadBadImage, FailsWithASentenceNamingTheImage) {
  try {
    LoadImage(Data(GetParam().file), 1, 1);
    FAIL() << "loaded " << GetParam().file;
  } catch (const Failure& failure) {
    EXPECT_EQ(std::string(failure.what()).rfind(GetParam().message, 0), 0u) << failure.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Files, LoadBadImage, ::testing::ValuesIn(kBadImages));

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
