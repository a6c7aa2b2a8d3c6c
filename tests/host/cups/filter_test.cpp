// The CUPS filter without a scheduler: raster streams written with libcups's
// own writer or recorded from CUPS's image filter, fed to the built filter as
// CUPS runs it, the job decoded with the program's job reader and compared
// with what cardprint print makes of the same design and settings.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/card_job/frame_turn.h"
#include "host/cardprint/decoded_job.h"
#include "host/cardprint/png_file.h"
#include "host/cardprint/run_command.h"
#include "host/cardprint/scratch_folder.h"
#include "host/cups/run_filter.h"
#include "support/byte_diff.h"

namespace {

// A design with something to tell its orientation and place by: a white card
// with a dark band along the top and a red square near the left.
RgbImage Design(int width, int height) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.at(x, y);
      if (y < height / 8) {
        p[0] = p[1] = p[2] = 30;
      } else if (x > 20 && x < 120 && y > 200 && y < 300) {
        p[0] = 220, p[1] = 20, p[2] = 20;
      } else {
        p[0] = static_cast<std::uint8_t>(x * 255 / width);
        p[1] = static_cast<std::uint8_t>(y * 255 / height);
        p[2] = 128;
      }
    }
  }
  return image;
}

// The landscape design CUPS's filters lay on the portrait page as `page`.
// They turn designs a quarter counter-clockwise, so the design is the page
// turned a quarter clockwise: three of the counter-clockwise quarter turns
// TurnFrameToLandscape makes.
RgbImage DesignOnPage(const RgbImage& page) {
  return TurnFrameToLandscape(TurnFrameToLandscape(TurnFrameToLandscape(page)));
}

std::vector<std::uint8_t> CardRaster(const RgbImage& frame, int pages = 1) {
  std::vector<std::pair<cups_page_header2_t, RgbImage>> list(
      pages, {CardHeader(frame.width, frame.height), frame});
  return RasterOf(list);
}

// The job cardprint print makes of a PNG file with these flags.
std::vector<std::uint8_t> PrintedJob(const std::string& png,
                                     const std::vector<std::string>& flags) {
  ScratchFolder folder;
  std::vector<std::string> args{"print", png, "-o", folder / "job.prn", "-q"};
  args.insert(args.end(), flags.begin(), flags.end());
  CommandResult result = RunInProcess(args);
  EXPECT_EQ(result.status, 0) << result.err;
  return FileBytes(folder / "job.prn");
}

// The job cardprint print makes of a design with these flags.
std::vector<std::uint8_t> PrintedJob(const RgbImage& design,
                                     const std::vector<std::string>& flags) {
  ScratchFolder folder;
  std::string png = folder / "design.png";
  std::vector<std::uint8_t> bytes = EncodePng(design);
  FILE* file = std::fopen(png.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return PrintedJob(png, flags);
}

std::vector<std::string> Lines(const std::string& text, const std::string& prefix) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = text.substr(start, end - start);
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

TEST(Filter, PrintsEachPageAsOneCardAndReportsEachPage) {
  FilterResult result = RunFilter({.input = CardRaster(RgbImage(656, 1024, 200), 2)});
  ASSERT_EQ(result.status, 0) << result.err;
  DecodedJob job = DecodeJob(result.out);
  EXPECT_TRUE(job.well_formed) << job.fault;
  EXPECT_EQ(job.pages, 2);
  EXPECT_EQ(Lines(result.err, "PAGE:"), (std::vector<std::string>{"PAGE: 1 1", "PAGE: 2 1"}));
  EXPECT_EQ(Lines(result.err, "ATTR: job-media-progress=").back(), "ATTR: job-media-progress=100");
  EXPECT_TRUE(Lines(result.err, "ERROR:").empty());
}

// The portrait raster is the printer's frame: in a portrait job it is the
// design itself; in a landscape job (the default) it is the landscape design
// turned as CUPS's filters turn it, and the filter turns it back. Either way
// the job is the one cardprint print makes of the design. A raster of the
// whole page (658x1025) is cut to the imageable area first.
TEST(Filter, GivesTheJobCardprintMakesOfTheSameDesign) {
  RgbImage frame = Design(656, 1024);
  EXPECT_BYTES_EQ(
      RunFilter({.options = "CardOrientation=Portrait", .input = CardRaster(frame)}).out,
      PrintedJob(frame, {"--orientation", "portrait"}));
  EXPECT_BYTES_EQ(RunFilter({.input = CardRaster(frame)}).out,
                  PrintedJob(DesignOnPage(frame), {}));

  RgbImage page(658, 1025, 0);
  for (int y = 0; y < 1024; ++y) std::copy_n(frame.at(0, y), 656 * 3, page.at(0, y + 1));
  EXPECT_BYTES_EQ(RunFilter({.input = CardRaster(page)}).out,
                  PrintedJob(DesignOnPage(frame), {}));
}

// Raster streams recorded once from CUPS's image filter with the printer's
// PPD, kept gzip-compressed. Each was made in the source folder, with the
// default build, by one command line:
//   PPD=build/default/host/cups/ppd/cardprint.ppd /usr/lib/cups/filter/imagetoraster
//     1 user title 1 "" tests/data/print_card.png
//     | gzip -9n > tests/data/cups_raster_imagetoraster_card.ras.gz
//   PPD=build/default/host/cups/ppd/cardprint.ppd /usr/lib/cups/filter/imagetoraster
//     1 user title 1 "CardOrientation=Portrait" tests/data/cups_portrait_design.png
//     | gzip -9n > tests/data/cups_raster_imagetoraster_portrait.ras.gz
// (recorded with cups-filters 1.28.17). They hold what the rasters written
// above do not: RGB rather than sRGB, and the 655x1023 pixels the image
// filter makes of the imageable area, which the filter fits to the card.
std::vector<std::uint8_t> Recording(const std::string& name) {
  std::vector<std::uint8_t> bytes;
  gzFile file = gzopen((CARDPRINT_TEST_DATA "/" + name).c_str(), "rb");
  if (file == nullptr) return bytes;
  std::uint8_t buffer[65536];
  for (int n; (n = gzread(file, buffer, sizeof buffer)) > 0;)
    bytes.insert(bytes.end(), buffer, buffer + n);
  gzclose(file);
  return bytes;
}

cups_page_header2_t FirstHeader(const std::vector<std::uint8_t>& stream) {
  struct Cursor {
    const std::vector<std::uint8_t>& bytes;
    std::size_t at = 0;
  } cursor{stream};
  cups_raster_t* raster = cupsRasterOpenIO(
      [](void* context, unsigned char* buffer, std::size_t length) -> ssize_t {
        auto& c = *static_cast<Cursor*>(context);
        std::size_t n = std::min(length, c.bytes.size() - c.at);
        std::memcpy(buffer, c.bytes.data() + c.at, n);
        c.at += n;
        return static_cast<ssize_t>(n);
      },
      &cursor, CUPS_RASTER_READ);
  cups_page_header2_t header{};
  EXPECT_TRUE(cupsRasterReadHeader2(raster, &header));
  cupsRasterClose(raster);
  return header;
}

// The tolerance, as in the end-to-end test's comparison of jobs. Both
// designs are 64x41 pixels, scaled up 16 times onto the card; the image
// filter scales them to 655x1023 with its own interpolation and the filter
// fits that to the card's 656x1024, where cardprint print scales with the
// host engine. The two put each design edge up to half a design pixel (8
// card pixels) apart, and across smooth areas they sample half a design
// pixel apart, a few steps of colour. So a byte may differ freely within 8
// pixels of an edge of the expected card (where neighbouring bytes of any of
// its panels differ by more than 2), and by at most 3 steps elsewhere; a
// changed colour setting moves a flat area by more (cyan +5 moves cyan by 8).
constexpr int kFrameWidth = 656;
constexpr int kFrameHeight = 1024;
constexpr int kEdgeStep = 2;
constexpr int kEdgeRadius = 8;
constexpr int kStep = 3;

// Whether each byte of the card lies within kEdgeRadius pixels of an edge.
std::vector<bool> NearEdges(const std::map<char, std::vector<std::uint8_t>>& panels) {
  std::vector<bool> near(kFrameWidth * kFrameHeight, false);
  auto mark = [&](int x, int y) {
    int left = std::max(0, x - kEdgeRadius), right = std::min(kFrameWidth - 1, x + kEdgeRadius);
    int top = std::max(0, y - kEdgeRadius), bottom = std::min(kFrameHeight - 1, y + kEdgeRadius);
    for (int v = top; v <= bottom; ++v)
      for (int u = left; u <= right; ++u) near[v * kFrameWidth + u] = true;
  };
  for (const auto& [panel, data] : panels) {
    for (int y = 0; y < kFrameHeight; ++y) {
      for (int x = 0; x < kFrameWidth; ++x) {
        int i = y * kFrameWidth + x;
        bool across = x + 1 < kFrameWidth && std::abs(data[i] - data[i + 1]) > kEdgeStep;
        bool down = y + 1 < kFrameHeight && std::abs(data[i] - data[i + kFrameWidth]) > kEdgeStep;
        if (across || down) mark(x, y);
        if (across) mark(x + 1, y);
        if (down) mark(x, y + 1);
      }
    }
  }
  return near;
}

struct RecordingCase {
  const char* name;
  const char* recording;
  const char* design;  // the PNG the recording was made from
  std::string options;
  std::vector<std::string> flags;  // of cardprint print, for the same job
};

const RecordingCase kRecordingCases[] = {
    {"Landscape", "cups_raster_imagetoraster_card.ras.gz", "print_card.png", "", {}},
    {"Portrait",
     "cups_raster_imagetoraster_portrait.ras.gz",
     "cups_portrait_design.png",
     "CardOrientation=Portrait",
     {"--orientation", "portrait"}},
};

class FilterOnImageFilterRaster : public ::testing::TestWithParam<RecordingCase> {};

// The filter takes the raster as CUPS's image filter writes it and makes the
// job cardprint print makes of the same PNG: the same framing, settings and
// cards, the panels within the tolerance above.
TEST_P(FilterOnImageFilterRaster, GivesTheJobCardprintMakesOfTheSameImage) {
  std::vector<std::uint8_t> raster = Recording(GetParam().recording);
  cups_page_header2_t header = FirstHeader(raster);
  EXPECT_EQ(header.cupsWidth, 655u);
  EXPECT_EQ(header.cupsHeight, 1023u);
  EXPECT_FLOAT_EQ(header.cupsImagingBBox[2], 157.4399f);
  EXPECT_FLOAT_EQ(header.cupsImagingBBox[3], 245.7598f);
  EXPECT_EQ(header.cupsColorSpace, CUPS_CSPACE_RGB);

  FilterResult result = RunFilter({.options = GetParam().options, .input = raster});
  ASSERT_EQ(result.status, 0) << result.err;
  DecodedJob job = DecodeJob(result.out);
  ASSERT_TRUE(job.well_formed) << job.fault;
  DecodedJob expected = DecodeJob(
      PrintedJob(CARDPRINT_TEST_DATA "/" + std::string(GetParam().design), GetParam().flags));
  EXPECT_EQ(job.pages, 1);
  EXPECT_EQ(job.lines, expected.lines);
  ASSERT_EQ(job.panels.size(), expected.panels.size());

  for (std::size_t card = 0; card < job.panels.size(); ++card) {
    const auto& want = expected.panels[card];
    const auto& got = job.panels[card];
    ASSERT_EQ(got.size(), want.size());
    for (const auto& [panel, data] : want)
      ASSERT_EQ(data.size(), std::size_t{kFrameWidth * kFrameHeight});
    std::vector<bool> near = NearEdges(want);
    std::size_t checked = static_cast<std::size_t>(std::count(near.begin(), near.end(), false));
    EXPECT_GT(checked, near.size() / 20)
        << "too little of card " << card + 1 << " lies away from edges";
    for (const auto& [panel, data] : want) {
      int worst = 0;
      for (std::size_t i = 0; i < data.size(); ++i) {
        if (!near[i]) worst = std::max(worst, std::abs(data[i] - got.at(panel)[i]));
      }
      EXPECT_LE(worst, kStep) << "card " << card + 1 << " panel " << panel;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, FilterOnImageFilterRaster, ::testing::ValuesIn(kRecordingCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct OptionCase {
  const char* name;
  std::string options;
  std::string copies;
  std::vector<std::string> flags;  // of cardprint print, for the same job
};

const OptionCase kOptionCases[] = {
    {"Defaults", "", "1", {}},
    {"BlackOnly", "ColorPanels=False OverlayPanel=False", "1", {"--panels", "k"}},
    {"BlackOnlyAsTheSchedulerSpellsIt", "ColorPanels=false OverlayPanel=FALSE", "1", {"--panels", "k"}},
    {"NoBlack", "BlackPanel=False", "1", {"--panels", "ymc,o"}},
    {"PrintArea", "PrintArea=10,20,600,1000", "1", {"--print-area", "10,20,600,1000"}},
    {"PrintAreaCustom", "PrintArea=Custom.10,20,600,1000", "1", {"--print-area", "10,20,600,1000"}},
    {"OverlayAreas",
     "OverlayArea1=1:0,0,100,100 OverlayArea2=Custom.0:10,10,20,20 OverlayArea3=None",
     "1",
     {"--overlay", "1:0,0,100,100", "--overlay", "0:10,10,20,20"}},
    {"Colours",
     "YellowAdjust=20 SaturationAdjust=Custom.-10 MagentaAdjust=-5 CyanAdjust=96",
     "1",
     {"--color", "20,-10,-5,96"}},
    {"NoColourCorrection", "ColorCorrection=False", "1", {"--no-color-correction"}},
    {"SnapBlack", "SnapBlack=64", "1", {"--snap-black", "64"}},
    {"SnapBlackCustom", "SnapBlack=Custom.200", "1", {"--snap-black", "200"}},
    {"DocumentMode", "DocumentMode=1", "1", {"--doc-mode", "1"}},
    {"Adjustments", "Adjust1=-94 Adjust2=1 Adjust3=2 Adjust4=94", "1", {"--adjust", "-94,1,2,94"}},
    {"Copies", "", "3", {"--copies", "3"}},
    {"Tracks",
     "MagEncoder=True Track1=ALEX Track2=Custom.1234 Track3=None",
     "1",
     {"--encoder", "--track1", "ALEX", "--track2", "1234"}},
    {"EncoderWithoutTracks", "MagEncoder=True", "1", {"--encoder"}},
    {"TracksInModeR",
     "MagEncoder=True MagMode=R Track3=99",
     "1",
     {"--encoder", "--mag-mode", "R", "--track3", "99"}},
};

class FilterOptions : public ::testing::TestWithParam<OptionCase> {};

TEST_P(FilterOptions, MakeTheSameJobAsTheProgramsFlags) {
  RgbImage frame = Design(656, 1024);
  FilterResult result = RunFilter(
      {.options = GetParam().options, .copies = GetParam().copies, .input = CardRaster(frame)});
  ASSERT_EQ(result.status, 0) << result.err;
  std::vector<std::uint8_t> expected = PrintedJob(DesignOnPage(frame), GetParam().flags);
  EXPECT_BYTES_EQ(result.out, expected);
  if (GetParam().options.empty() && GetParam().copies == "1") return;
  // Each case changes the wire.
  EXPECT_NE(result.out, PrintedJob(DesignOnPage(frame), {}));
}

INSTANTIATE_TEST_SUITE_P(Cases, FilterOptions, ::testing::ValuesIn(kOptionCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  std::function<void(cups_page_header2_t&)> change;
  std::string options;
  std::string error;
};

const RefusedCase kRefusedCases[] = {
    {"SixteenBit",
     [](cups_page_header2_t& h) {
       h.cupsBitsPerColor = 16;
       h.cupsBitsPerPixel = 48;
       h.cupsBytesPerLine = h.cupsWidth * 6;
     },
     "", "ERROR: The raster is 16-bit; the card printer takes 8-bit RGB."},
    {"Cmyk",
     [](cups_page_header2_t& h) {
       h.cupsColorSpace = CUPS_CSPACE_CMYK;
       h.cupsBitsPerPixel = 32;
       h.cupsBytesPerLine = h.cupsWidth * 4;
     },
     "", "ERROR: The raster is in colour space 6; the card printer takes RGB or sRGB."},
    {"Banded", [](cups_page_header2_t& h) { h.cupsColorOrder = CUPS_ORDER_BANDED; }, "",
     "ERROR: The raster's colours are in banded or planar order; the card printer takes chunky "
     "RGB."},
    {"SixHundredDpi", [](cups_page_header2_t& h) { h.HWResolution[0] = h.HWResolution[1] = 600; },
     "", "ERROR: The raster is 600x600 dpi; the card printer takes 300 dpi."},
    {"TrackTextLowerCase", [](cups_page_header2_t&) {}, "MagEncoder=True Track1=Alex",
     "ERROR: The track 1 text holds the character \"l\" (U+006C), which track 1 cannot carry; it "
     "takes only U+0020 to U+005F (space, digits, capital letters and punctuation)."},
    {"TrackTextOutsideTheCodePage", [](cups_page_header2_t&) {}, "MagEncoder=True Track2=12€",
     "ERROR: The track 2 text holds the character U+20AC, which track 2 cannot carry; it takes "
     "only U+0030 to U+003F (digits and : ; < = > ?)."},
    {"TracksWithoutEncoder", [](cups_page_header2_t&) {}, "Track2=12",
     "ERROR: Track texts need a printer with a magnetic encoder (MagEncoder True)."},
    {"PrintAreaOffTheCard", [](cups_page_header2_t&) {}, "PrintArea=600,0,100,1024",
     "ERROR: The print area 600,0,100,1024 does not lie on the card, whose frame is 656 dots by "
     "1024 lines."},
    {"SnapBlackTooHigh", [](cups_page_header2_t&) {}, "SnapBlack=256",
     "ERROR: The black snap level must lie between 0 and 255."},
    {"UnknownChoice", [](cups_page_header2_t&) {}, "BlackPanel=Maybe",
     "ERROR: The setting BlackPanel takes True or False, not \"Maybe\"."},
};

class FilterRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(FilterRefuses, WithOneErrorLineAndStatusOne) {
  cups_page_header2_t header = CardHeader(656, 1024);
  GetParam().change(header);
  FilterResult result = RunFilter(
      {.options = GetParam().options, .input = RasterOf({{header, RgbImage(656, 1024)}})});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(Lines(result.err, "ERROR:"), std::vector<std::string>{GetParam().error});
  EXPECT_TRUE(Lines(result.err, "PAGE:").empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, FilterRefuses, ::testing::ValuesIn(kRefusedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The printer description's defaults hold where the job gives no option, and
// the job's options win over them.
TEST(Filter, TakesThePpdDefaultsUnderTheJobsOptions) {
  RgbImage frame = Design(656, 1024);
  std::string ppd = CARDPRINT_TEST_DATA "/cups_filter_defaults.ppd";
  EXPECT_BYTES_EQ(RunFilter({.ppd = ppd, .input = CardRaster(frame)}).out,
                  PrintedJob(DesignOnPage(frame),
                             {"--panels", "ymc,o", "--encoder", "--color", "10,0,0,0"}));
  EXPECT_BYTES_EQ(
      RunFilter(
          {.options = "BlackPanel=True YellowAdjust=0", .ppd = ppd, .input = CardRaster(frame)})
          .out,
      PrintedJob(DesignOnPage(frame), {"--encoder"}));
  FilterResult missing = RunFilter({.ppd = "/no/such.ppd", .input = CardRaster(frame)});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(
      Lines(missing.err, "ERROR:"),
      std::vector<std::string>{"ERROR: The printer description /no/such.ppd cannot be read."});
}

TEST(Filter, RefusesWhatIsNoRasterAndTheWrongArguments) {
  FilterResult garbage = RunFilter({.input = {'%', 'P', 'D', 'F'}});
  EXPECT_EQ(garbage.status, 1);
  EXPECT_EQ(Lines(garbage.err, "ERROR:"),
            std::vector<std::string>{"ERROR: The input is not a CUPS raster stream."});
  EXPECT_TRUE(garbage.out.empty());

  std::vector<std::uint8_t> cut = CardRaster(RgbImage(656, 1024, 0));
  cut.resize(cut.size() - 100);
  FilterResult truncated = RunFilter({.input = cut});
  EXPECT_EQ(truncated.status, 1);
  EXPECT_EQ(Lines(truncated.err, "ERROR:"),
            std::vector<std::string>{"ERROR: The raster stream ends inside page 1."});
}

// SIGTERM while the filter waits for the second page: the first card is
// printed, the second dropped, the document ended, and the exit status 0.
TEST(Filter, EndsTheDocumentCleanlyOnSigterm) {
  std::vector<std::uint8_t> raster = CardRaster(Design(656, 1024), 2);
  std::vector<std::uint8_t> one_page = CardRaster(Design(656, 1024), 1);
  FilterResult result = RunFilterOnPipe({}, [&](int fd, pid_t child) {
    // The whole first page and part of the second, then a pause mid-page.
    std::size_t part = one_page.size() + (raster.size() - one_page.size()) / 2;
    ASSERT_EQ(write(fd, raster.data(), part), static_cast<ssize_t>(part));
    usleep(500 * 1000);
    kill(child, SIGTERM);
  });
  EXPECT_EQ(result.status, 0) << result.err;
  DecodedJob job = DecodeJob(result.out);
  EXPECT_TRUE(job.well_formed) << job.fault;
  EXPECT_EQ(job.pages, 1);
  EXPECT_EQ(Lines(result.err, "PAGE:"), std::vector<std::string>{"PAGE: 1 1"});
  EXPECT_TRUE(Lines(result.err, "ERROR:").empty());
}

}  // namespace
