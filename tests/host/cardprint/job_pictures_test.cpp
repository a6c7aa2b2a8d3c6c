// Pictures made from a job: the dyes laid on white, panels where their
// headers put them, the overlay marked, and landscape cards turned back.
#include "host/cardprint/job_pictures.h"

#include <gtest/gtest.h>

#include <vector>

#include "host/card_job/frame_turn.h"
#include "host/cardprint/job_builder.h"

namespace {

std::vector<PagePictures> PicturesOf(const std::vector<std::uint8_t>& job) {
  std::vector<PagePictures> pages;
  JobPictures pictures([&](const PagePictures& page) { pages.push_back(page); });
  JobReader reader(&pictures);
  reader.Feed(job);
  reader.Finish();
  EXPECT_TRUE(reader.WellFormed());
  return pages;
}

std::vector<int> Pixel(const RgbImage& image, int x, int y) {
  const std::uint8_t* p = image.at(x, y);
  return {p[0], p[1], p[2]};
}

TEST(JobPictures, LaysEachDyeWhereItsPanelLies) {
  JobBuilder job;
  job.DocumentStart().Adjustments().PageStart().Resets("YMCKO").Resets("YMC");
  job.Panel('Y', 0, 0, 2, 2, 255).Panel('M', 1, 1, 2, 2, 255).Panel('C', 10, 10, 1, 1, 128);
  job.Reset('K').Panel('K', 20, 30, 1, 1, 255).DocumentEnd();
  std::vector<PagePictures> pages = PicturesOf(job.bytes);
  ASSERT_EQ(pages.size(), 1u);
  const PagePictures& page = pages[0];
  ASSERT_EQ(page.panels.size(), 4u);
  EXPECT_EQ(page.panels[1].panel, 'M');
  EXPECT_EQ(page.panels[1].ink.pixels, std::vector<std::uint8_t>(4, 255));
  EXPECT_EQ(page.card.width, 656);
  EXPECT_EQ(page.card.height, 1024);
  EXPECT_EQ(Pixel(page.card, 0, 0), (std::vector<int>{255, 255, 0}));  // yellow
  EXPECT_EQ(Pixel(page.card, 1, 1), (std::vector<int>{255, 0, 0}));    // yellow and magenta: red
  EXPECT_EQ(Pixel(page.card, 2, 2), (std::vector<int>{255, 0, 255}));  // magenta
  EXPECT_EQ(Pixel(page.card, 10, 10), (std::vector<int>{127, 255, 255}));  // half cyan
  EXPECT_EQ(Pixel(page.card, 20, 30), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Pixel(page.card, 100, 100), (std::vector<int>{255, 255, 255}));
}

TEST(JobPictures, OutlinesOverlayAreasOrTheWholeCard) {
  JobBuilder job;
  job.DocumentStart().Adjustments();
  job.PageStart().Resets("YMCKO").Reset('O').OverlayArea(0, 100, 50, 200, 150, 1).OverlayTrailer();
  job.PageStart().Resets("YMCKO").Reset('O').OverlayTrailer();
  job.PageStart().Resets("YMCKO");
  job.DocumentEnd();
  std::vector<PagePictures> pages = PicturesOf(job.bytes);
  ASSERT_EQ(pages.size(), 3u);
  std::vector<int> mark{kOverlayMark[0], kOverlayMark[1], kOverlayMark[2]};
  std::vector<int> white{255, 255, 255};
  EXPECT_EQ(Pixel(pages[0].card, 50, 100), mark);
  EXPECT_EQ(Pixel(pages[0].card, 149, 199), mark);
  EXPECT_EQ(Pixel(pages[0].card, 100, 150), white);
  EXPECT_EQ(Pixel(pages[0].card, 0, 0), white);
  EXPECT_EQ(Pixel(pages[1].card, 0, 0), mark);
  EXPECT_EQ(Pixel(pages[1].card, 655, 1023), mark);
  EXPECT_EQ(Pixel(pages[2].card, 0, 0), white);  // no overlay panel sent
}

TEST(JobPictures, TurnsALandscapeCardBack) {
  // The driver sends the landscape image's bottom-left pixel first, and the
  // first printed line runs up its left column.
  RgbImage frame(656, 1024);
  frame.at(0, 0)[0] = 1;     // first dot of the first line
  frame.at(655, 0)[0] = 2;   // last dot of the first line
  frame.at(0, 1023)[0] = 3;  // first dot of the last line
  RgbImage design = TurnFrameToLandscape(frame);
  EXPECT_EQ(design.width, 1024);
  EXPECT_EQ(design.height, 656);
  EXPECT_EQ(design.at(0, 655)[0], 1);     // bottom left
  EXPECT_EQ(design.at(0, 0)[0], 2);       // top left
  EXPECT_EQ(design.at(1023, 655)[0], 3);  // bottom right
}

}  // namespace
