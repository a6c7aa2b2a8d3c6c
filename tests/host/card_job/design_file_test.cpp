// Card designs read as viewers show them: PNG and JPEG decoded, turned by
// their Exif orientation, CMYK and colour-profiled pictures brought to sRGB,
// PDF pages and SVG drawings drawn at the card's resolution, and every kind
// of bad file refused with one sentence naming it.
#include "host/card_job/design_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "host/card_job/errors.h"

namespace {

std::string Data(const std::string& name) { return std::string(CARDPRINT_TEST_DATA) + "/" + name; }
std::string Design(const std::string& name) { return std::string(CARDPRINT_DESIGNS) + "/" + name; }

// The first page as it goes onto a portrait card, covering it.
RgbImage Shown(const std::string& path) { return DesignFile(path).Page(0, 656, 1024, Fit::kCover); }

// The largest difference of any channel of any pixel; -1 when the sizes
// differ.
int MaxDifference(const RgbImage& a, const RgbImage& b) {
  if (a.width != b.width || a.height != b.height) return -1;
  int largest = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    largest = std::max(largest, std::abs(a.pixels[i] - b.pixels[i]));
  return largest;
}

TEST(DesignFile, ReadsPngAndJpegAsRgb) {
  RgbImage png = DesignFile(Data("image_gradient.png")).Page(0, 1, 1, Fit::kCover);
  ASSERT_EQ(png.width, 64);
  ASSERT_EQ(png.height, 40);
  EXPECT_EQ(png.pixels.size(), 64u * 40 * 3);
  EXPECT_EQ(png.at(0, 0)[0], 255);  // red at the top, blue at the bottom
  EXPECT_EQ(png.at(0, 0)[2], 0);
  EXPECT_EQ(png.at(0, 39)[2], 255);

  RgbImage jpeg = DesignFile(Data("image_gradient.jpg")).Page(0, 64, 40, Fit::kCover);
  ASSERT_EQ(jpeg.width, 64);
  ASSERT_EQ(jpeg.height, 40);
  EXPECT_NEAR(jpeg.at(10, 0)[0], 255, 6);
  EXPECT_NEAR(jpeg.at(10, 39)[2], 255, 6);
}

TEST(DesignFile, ScalesALargeJpegDownToNoLessThanNeeded) {
  DesignFile gradient(Data("image_gradient.jpg"));
  RgbImage quarter = gradient.Page(0, 16, 10, Fit::kCover);
  EXPECT_EQ(quarter.width, 16);
  EXPECT_EQ(quarter.height, 10);
  RgbImage half = gradient.Page(0, 17, 10, Fit::kCover);
  EXPECT_EQ(half.width, 32);
  EXPECT_EQ(half.height, 20);

  // A camera-sized photo, portrait, for a portrait card: a quarter of it
  // is the least that still covers 656 x 1024.
  DesignFile large(Design("design_large.jpg"));
  EXPECT_TRUE(large.Portrait(0));
  RgbImage card = large.Page(0, 656, 1024, Fit::kCover);
  EXPECT_EQ(card.width, 1500);
  EXPECT_EQ(card.height, 2000);
}

TEST(DesignFile, LaysTransparencyOnWhiteAndWidensGrey) {
  RgbImage image = DesignFile(Data("image_half_transparent.png")).Page(0, 1, 1, Fit::kCover);
  EXPECT_EQ(std::vector<int>(image.at(0, 0), image.at(0, 0) + 3), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(std::vector<int>(image.at(7, 7), image.at(7, 7) + 3),
            (std::vector<int>{255, 255, 255}));
  RgbImage grey = DesignFile(Data("image_grey16.png")).Page(0, 1, 1, Fit::kCover);
  EXPECT_EQ(grey.width, 6);
  EXPECT_EQ(grey.at(0, 0)[0], grey.at(0, 0)[2]);
}

// The same design saved another way, and how far its pixels may lie from
// the plain sRGB design's.
struct SameDesign {
  const char* file;
  const char* plain;
  int tolerance;
};

// Exif orientations: the stored picture is the plain one turned or
// mirrored, the decoder's pixels are exact (see make_designs), so the shown
// picture is the plain one (a JPEG the plain JPEG) exactly. Odd orientations have big-endian Exif
// data in the JPEG and little-endian in the PNG, even ones the other way.
//
// CMYK: the plain conversion brings the fixture's inks back exactly (no
// rounding: one ink per colour); YCCK goes through the JPEG's own colour
// transform, whose rounding is at most 1 level per channel each way. The
// CMYK JPEG with a profile holds its inks with cyan and yellow swapped, and
// only its profile (a grid of 11 points per ink, made with LittleCMS) swaps
// them back: the grid is interpolated between its points, within 3 levels.
//
// Profiles: the fixture holds the plain design converted to the profile's
// space and rounded to 8 bits; converting back rounds again. One level of
// Adobe RGB or Display P3 is up to about 1.5 levels of sRGB, so the two
// roundings together stay within 2 levels; the Adobe RGB JPEG adds its
// own YCbCr rounding of up to 1 level of Adobe RGB, within 3 in all.
const SameDesign kSameDesigns[] = {
    {"design_exif_1.jpg", "design_plain.jpg", 0},
    {"design_exif_2.jpg", "design_plain.jpg", 0},
    {"design_exif_3.jpg", "design_plain.jpg", 0},
    {"design_exif_4.jpg", "design_plain.jpg", 0},
    {"design_exif_5.jpg", "design_plain.jpg", 0},
    {"design_exif_6.jpg", "design_plain.jpg", 0},
    {"design_exif_7.jpg", "design_plain.jpg", 0},
    {"design_exif_8.jpg", "design_plain.jpg", 0},
    {"design_exif_1.png", "design_plain.png", 0},
    {"design_exif_2.png", "design_plain.png", 0},
    {"design_exif_3.png", "design_plain.png", 0},
    {"design_exif_4.png", "design_plain.png", 0},
    {"design_exif_5.png", "design_plain.png", 0},
    {"design_exif_6.png", "design_plain.png", 0},
    {"design_exif_7.png", "design_plain.png", 0},
    {"design_exif_8.png", "design_plain.png", 0},
    {"design_cmyk.jpg", "design_plain.png", 0},
    {"design_cmyk_adobe.jpg", "design_plain.png", 0},
    {"design_ycck_adobe.jpg", "design_plain.png", 2},
    {"design_cmyk_profile.jpg", "design_plain.png", 3},
    {"design_adobe_rgb.png", "design_plain.png", 2},
    {"design_adobe_rgb.jpg", "design_plain.png", 3},
    {"design_display_p3.png", "design_plain.png", 2},
};

class SameAsPlain : public ::testing::TestWithParam<SameDesign> {};

TEST_P(SameAsPlain, ShowsThePlainDesign) {
  RgbImage plain = Shown(Design(GetParam().plain));
  ASSERT_EQ(plain.width, 64);
  ASSERT_EQ(plain.height, 96);
  DesignFile design(Design(GetParam().file));
  EXPECT_TRUE(design.Portrait(0));
  int difference = MaxDifference(design.Page(0, 656, 1024, Fit::kCover), plain);
  EXPECT_GE(difference, 0) << "sizes differ";
  EXPECT_LE(difference, GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(Files, SameAsPlain, ::testing::ValuesIn(kSameDesigns),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

TEST(DesignFile, PlainJpegIsThePlainPngButForRounding) {
  EXPECT_LE(MaxDifference(Shown(Design("design_plain.jpg")), Shown(Design("design_plain.png"))), 1);
}

TEST(DesignFile, DrawsPdfAndSvgAtTheCardsResolution) {
  // A drawing of the card's size with bars 4 dots wide every 8 dots: drawn
  // at the card's 300 dpi every bar dot is pure black and every gap pure
  // white, with no grey edge that scaling a picture would leave.
  for (const char* file : {"design_bars.pdf", "design_bars.svg"}) {
    SCOPED_TRACE(file);
    DesignFile design(Design(file));
    EXPECT_FALSE(design.Portrait(0));
    RgbImage card = design.Page(0, 1024, 656, Fit::kCover);
    ASSERT_EQ(card.width, 1024);
    ASSERT_EQ(card.height, 656);
    int wrong = 0;
    for (int y = 200; y < 456; ++y) {
      for (int x = 128; x < 128 + 96 * 8; ++x) {
        int expected = (x - 128) % 8 < 4 ? 0 : 255;
        const std::uint8_t* p = card.at(x, y);
        if (p[0] != expected || p[1] != expected || p[2] != expected) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(card.at(100, 100)[0], 255);
  }
}

TEST(DesignFile, DrawsALongThinDrawingSmallerInItsOwnShape) {
  // 10 x 1000 covering a landscape card would be drawn 1024 x 102400 dots:
  // it is drawn at most eight card heights long, keeping its shape.
  std::string path = testing::TempDir() + "design_strip.svg";
  std::ofstream(path) << R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="1000">)"
                      << R"(<rect width="10" height="1000" fill="#336699"/></svg>)";
  RgbImage strip = DesignFile(path).Page(0, 1024, 656, Fit::kCover);
  EXPECT_EQ(strip.height, 8 * 656);
  EXPECT_EQ(strip.width, 52);
  EXPECT_EQ(strip.at(26, 2000)[2], 0x99);
  std::remove(path.c_str());
}

TEST(DesignFile, DrawsThePicturesAnSvgLinksBesideIt) {
  // The plain design's 8 x 8 blocks, drawn 10.67 times larger: the middle of
  // the block at (20, 20) keeps its colour.
  RgbImage card = DesignFile(Design("design_linked.svg")).Page(0, 656, 1024, Fit::kCover);
  ASSERT_EQ(card.width, 683);
  RgbImage plain = Shown(Design("design_plain.png"));
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(card.at(213, 213)[c], plain.at(20, 20)[c], 1);
}

TEST(DesignFile, DrawsEachPdfPageToFitTheCard) {
  DesignFile two(Design("design_two_pages.pdf"));
  ASSERT_EQ(two.pages(), 2);
  EXPECT_TRUE(two.Portrait(0));
  // A page of 153 x 243 points, a little narrower than the card: covering
  // a card of 656 x 1024 it is drawn 656 dots across and as many down as
  // keep its shape; inside the card, 1024 dots down.
  RgbImage first = two.Page(0, 656, 1024, Fit::kCover);
  EXPECT_EQ(first.width, 656);
  EXPECT_EQ(first.height, 1042);
  RgbImage second = two.Page(1, 656, 1024, Fit::kContain);
  EXPECT_EQ(second.height, 1024);
  EXPECT_EQ(second.width, 645);
  EXPECT_NEAR(first.at(300, 500)[0], 204, 1);
  EXPECT_NEAR(second.at(300, 500)[2], 204, 1);
  RgbImage stretched = two.Page(1, 1024, 656, Fit::kStretch);
  EXPECT_EQ(stretched.width, 1024);
  EXPECT_EQ(stretched.height, 656);

  // A page of 200 inches a side is drawn at the card's size, not at 300 dpi
  // of its own.
  RgbImage large = DesignFile(Design("design_large_page.pdf")).Page(0, 1024, 656, Fit::kCover);
  EXPECT_EQ(large.width, 1024);
  EXPECT_EQ(large.height, 1024);
}

struct BadDesign {
  std::string path;
  std::string message;
};

const BadDesign kBadDesigns[] = {
    {Data("image_missing.png"),
     "the image " + Data("image_missing.png") + " cannot be read: no such file or directory."},
    {Data("image_truncated.png"),
     "the image " + Data("image_truncated.png") + " is a damaged PNG file ("},
    {Data("image_truncated.jpg"),
     "the image " + Data("image_truncated.jpg") + " is a damaged JPEG file ("},
    {Data("image_not_png_or_jpeg.gif"),
     "the image " + Data("image_not_png_or_jpeg.gif") + " is not a PNG, JPEG, PDF or SVG file."},
    {Data(""), "the image " + Data("") + " cannot be read: is a directory."},
    {Design("design_profile_damaged.png"), "the image " + Design("design_profile_damaged.png") +
                                               " carries a colour profile that cannot be read."},
    {Design("design_profile_damaged.jpg"), "the image " + Design("design_profile_damaged.jpg") +
                                               " carries a colour profile that cannot be read."},
    {Design("design_no_pages.pdf"),
     "the image " + Design("design_no_pages.pdf") + " is a PDF file with no pages."},
    {Design("design_damaged.pdf"),
     "the image " + Design("design_damaged.pdf") + " is a damaged PDF file."},
    {Design("design_broken.svg"),
     "the image " + Design("design_broken.svg") + " is a damaged SVG file (XML parse error"},
};

class BadDesignFile : public ::testing::TestWithParam<BadDesign> {};

TEST_P(BadDesignFile, FailsWithASentenceNamingTheImage) {
  try {
    DesignFile design(GetParam().path);
    design.Page(0, 1024, 656, Fit::kCover);
    FAIL() << "read " << GetParam().path;
  } catch (const Failure& failure) {
    std::string message = failure.what();
    EXPECT_EQ(message.rfind(GetParam().message, 0), 0u) << message;
    EXPECT_EQ(message.back(), '.');
    EXPECT_EQ(message.find('\n'), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(Files, BadDesignFile, ::testing::ValuesIn(kBadDesigns));

}  // namespace
