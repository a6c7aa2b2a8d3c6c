// cardprint print: every option reaches the wire, batches and previews, and
// every kind of bad input fails with one sentence, its exit status and no
// output left behind.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "host/card_job/file_bytes.h"
#include "host/card_job/png_design.h"
#include "host/cardprint/decoded_job.h"
#include "host/cardprint/png_file.h"
#include "host/cardprint/run_command.h"
#include "host/cardprint/scratch_folder.h"

namespace {

std::string Data(const std::string& name) { return std::string(CARDPRINT_TEST_DATA) + "/" + name; }

// Prints with these arguments into a scratch folder and decodes the job.
DecodedJob Print(std::vector<std::string> args) {
  ScratchFolder folder;
  args.insert(args.begin(), "print");
  args.push_back("-o");
  args.push_back(folder / "job.prn");
  CommandResult result = RunInProcess(args);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  DecodedJob job = DecodeJob(FileBytes(folder / "job.prn"));
  EXPECT_TRUE(job.well_formed) << job.fault;
  return job;
}

const DecodedJob& DefaultJob() {
  static const DecodedJob job = Print({Data("print_card.png")});
  return job;
}

struct OptionCase {
  const char* name;
  std::vector<std::string> args;
  std::vector<std::string> present;  // sequences the job holds
  std::vector<std::string> absent;   // sequences it must not hold
  std::function<void(const DecodedJob&)> check = {};
};

const OptionCase kOptions[] = {
    {"Defaults",
     {},
     {"documentStart: mode L", "adjustments: 05 05 05 00 05",
      "panelHeader: yellow at dot 0, line 0: 1024 lines of 656 dots", "panelTrailer: cyan, 1 copy",
      "panelHeader: black at dot 0, line 0: 1024 lines of 656 dots", "overlayTrailer: 1 copy"},
     {"trackData: mode Q"},
     [](const DecodedJob& job) {
       // Landscape: the first byte of every panel comes from the card's
       // bottom-left corner, which is white.
       EXPECT_EQ(job.panels[0].at('K')[0], 0);
     }},
    {"Portrait",
     {"--orientation", "portrait"},
     {"panelHeader: black at dot 0, line 0: 1024 lines of 656 dots"},
     {},
     [](const DecodedJob& job) {
       // Portrait: the first byte comes from the top-left corner, which is
       // black once the design is cut to the card's upright shape.
       EXPECT_EQ(job.panels[0].at('K')[0], 0xFF);
     }},
    {"DocumentMode", {"--doc-mode", "1"}, {"documentStart: mode D"}, {"documentStart: mode L"}},
    {"Adjustments", {"--adjust", "1,2,3,4"}, {"adjustments: 07 04 09 00 08"}, {}},
    {"AdjustmentsAtTheirLimits", {"--adjust", "-94,94,-5,94"}, {"adjustments: 99 99 99 00 00"}, {}},
    {"BlackPanelOnly",
     {"--panels", "k"},
     {"panelHeader: black at dot 0, line 0: 1024 lines of 656 dots"},
     {"panelHeader: yellow at dot 0, line 0: 1024 lines of 656 dots", "overlayTrailer: 1 copy"}},
    {"ColourAndOverlay",
     {"--panels", "ymc,o"},
     {"panelHeader: cyan at dot 0, line 0: 1024 lines of 656 dots", "overlayTrailer: 1 copy"},
     {"panelHeader: black at dot 0, line 0: 1024 lines of 656 dots"}},
    {"PrintArea",
     {"--print-area", "10,20,100,200"},
     {"panelHeader: yellow at dot 10, line 20: 200 lines of 100 dots",
      "panelHeader: black at dot 10, line 20: 200 lines of 100 dots"},
     {}},
    {"OverlayAreas",
     {"--overlay", "0:10,20,30,40", "--overlay", "1:0,0,5,5"},
     {"overlayArea: area 0: lines 20 to 60, dots 10 to 40, flag 1",
      "overlayArea: area 1: lines 0 to 5, dots 0 to 5, flag 0"},
     {}},
    {"Copies",
     {"--copies", "3"},
     {"panelTrailer: yellow, 3 copies", "panelTrailer: black, 3 copies",
      "overlayTrailer: 3 copies"},
     {"panelTrailer: yellow, 1 copy"}},
    {"EncoderAlone", {"--encoder"}, {"trackData: mode Q"}, {}},
    {"TracksWritten",
     {"--encoder", "--track1", "ABC", "--track2", "0123456789"},
     {"trackData: mode W, track 1 \"ABC\", track 2 \"0123456789\", track 3 \"\""},
     {}},
    {"TracksReadMode",
     {"--encoder", "--mag-mode", "R", "--track1", " %^_", "--track3", "0123456789:;<=>?"},
     {"trackData: mode R, track 1 \" %^_\", track 2 \"\", track 3 \"0123456789:;<=>?\""},
     {}},
    {"ColourCorrection",
     {"--color", "20,0,0,0"},
     {},
     {},
     [](const DecodedJob& job) {
       EXPECT_NE(job.panels[0].at('Y'), DefaultJob().panels[0].at('Y'));
       EXPECT_EQ(job.panels[0].at('M'), DefaultJob().panels[0].at('M'));
     }},
    {"NoColourCorrection",
     {"--no-color-correction"},
     {},
     {},
     [](const DecodedJob& job) {
       EXPECT_NE(job.panels[0].at('C'), DefaultJob().panels[0].at('C'));
     }},
    {"Contain",
     {"--fit", "contain", Data("print_square.png")},
     {},
     {},
     [](const DecodedJob& job) {
       // A square design leaves white bands at the card's sides: the first
       // line (the left edge) prints no black, the middle line does.
       const auto& black = job.panels[0].at('K');
       EXPECT_EQ(black[0], 0);
       EXPECT_EQ(black[512 * 656 + 300], 0xFF);
     }},
    {"Stretch",
     {"--fit", "stretch", Data("print_square.png")},
     {},
     {},
     [](const DecodedJob& job) { EXPECT_EQ(job.panels[0].at('K')[0], 0xFF); }},
};

class PrintOption : public ::testing::TestWithParam<OptionCase> {};

TEST_P(PrintOption, ReachesTheWire) {
  const OptionCase& c = GetParam();
  std::vector<std::string> args = c.args;
  bool names_image = std::any_of(args.begin(), args.end(),
                                 [](const std::string& a) { return a.ends_with(".png"); });
  if (!names_image) args.push_back(Data("print_card.png"));
  DecodedJob job = Print(args);
  ASSERT_EQ(job.pages, 1);
  for (const std::string& line : c.present) EXPECT_TRUE(job.Has(line)) << line;
  for (const std::string& line : c.absent) EXPECT_FALSE(job.Has(line)) << line;
  if (c.check) c.check(job);
}

INSTANTIATE_TEST_SUITE_P(Options, PrintOption, ::testing::ValuesIn(kOptions),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Print, SendsColoursAsDrawnWithoutCorrection) {
  DecodedJob job = Print({"--no-color-correction", Data("print_uniform.png")});
  // (200, 100, 50): yellow is 255 - blue, magenta 255 - green, cyan 255 - red.
  EXPECT_EQ(job.panels[0].at('Y'), std::vector<std::uint8_t>(671744, 205));
  EXPECT_EQ(job.panels[0].at('M'), std::vector<std::uint8_t>(671744, 155));
  EXPECT_EQ(job.panels[0].at('C'), std::vector<std::uint8_t>(671744, 55));
  EXPECT_EQ(job.panels[0].at('K'), std::vector<std::uint8_t>(671744, 0));
}

TEST(Print, PrintsOneCardPerImageInOneDocument) {
  DecodedJob job =
      Print({Data("print_card.png"), Data("print_uniform.png"), Data("print_card.png")});
  EXPECT_EQ(job.pages, 3);
  EXPECT_EQ(job.Count("documentStart: mode L"), 1u);
  EXPECT_EQ(job.panels[0], job.panels[2]);
  EXPECT_NE(job.panels[0], job.panels[1]);
}

TEST(Print, RunsABatchWithTracksAndCopiesBetweenCards) {
  ScratchFolder folder;
  std::ofstream(folder / "cards.csv")
      << "image,track1,track2,track3,copies\n"
      << Data("print_card.png") << ",ALICE,1111,,2\n"
      << "\"" << Data("print_uniform.png") << "\",\"BOB, JR\",2222\n"
      << Data("print_card.png") << ",\"3\"\"\",,,\n";
  DecodedJob job = Print({"--batch", folder / "cards.csv", "--encoder", "--copies", "5"});
  EXPECT_EQ(job.pages, 3);
  EXPECT_EQ(job.Starting("trackData"),
            (std::vector<std::string>{
                "trackData: mode W, track 1 \"ALICE\", track 2 \"1111\", track 3 \"\"",
                "trackData: mode W, track 1 \"BOB, JR\", track 2 \"2222\", track 3 \"\"",
                "trackData: mode W, track 1 \"3\\x22\", track 2 \"\", track 3 \"\""}));
  EXPECT_EQ(job.Starting("overlayTrailer"),
            (std::vector<std::string>{"overlayTrailer: 2 copies", "overlayTrailer: 5 copies",
                                      "overlayTrailer: 5 copies"}));
}

TEST(Print, PreviewsEveryCardFromTheJob) {
  ScratchFolder folder;
  CommandResult result =
      RunInProcess({"print", Data("print_card.png"), Data("print_uniform.png"), "-o",
                    folder / "job.prn", "--preview", folder / "card.png", "--no-color-correction"});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"card-2.png", "card.png", "job.prn"}));
  RgbImage first = DecodePng(ReadWholeFile(folder / "card.png", "preview"), "preview");
  ASSERT_EQ(first.width, 1024);
  ASSERT_EQ(first.height, 656);
  // The design's corners as the dyes lay them down: black top left, white
  // bottom left, (200, 100, 50) top right, away from the overlay's outline.
  auto pixel = [](const RgbImage& image, int x, int y) {
    return std::vector<int>(image.at(x, y), image.at(x, y) + 3);
  };
  EXPECT_EQ(pixel(first, 100, 100), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(pixel(first, 100, 600), (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(pixel(first, 900, 100), (std::vector<int>{200, 100, 50}));
  RgbImage second = DecodePng(ReadWholeFile(folder / "card-2.png", "preview"), "preview");
  EXPECT_EQ(pixel(second, 500, 300), (std::vector<int>{200, 100, 50}));
}

struct BadInput {
  const char* name;
  std::vector<std::string> args;  // -o and the job path follow
  int status;
  std::string message;  // stderr starts with it; IMAGE stands for the test data folder
};

const BadInput kBadInputs[] = {
    {"MissingImage",
     {"/no/such/card.png"},
     1,
     "cardprint: the image /no/such/card.png cannot be read: no such file or directory.\n"},
    {"CorruptImage",
     {"DATA/image_truncated.png"},
     1,
     "cardprint: the image DATA/image_truncated.png is a damaged PNG file ("},
    {"CorruptJpeg",
     {"DATA/image_truncated.jpg"},
     1,
     "cardprint: the image DATA/image_truncated.jpg is a damaged JPEG file ("},
    {"NotAnImage",
     {"DATA/image_not_png_or_jpeg.gif"},
     1,
     "cardprint: the image DATA/image_not_png_or_jpeg.gif is not a PNG, JPEG, PDF or SVG file.\n"},
    {"NoCopies",
     {"DATA/print_card.png", "--copies", "0"},
     1,
     "cardprint: the copy count 0 is out of range (1 to 999).\n"},
    {"CopiesNotANumber",
     {"DATA/print_card.png", "--copies", "two"},
     1,
     "cardprint: the copy count \"two\" is not a whole number.\n"},
    {"UnknownFit",
     {"DATA/print_card.png", "--fit", "fill"},
     1,
     "cardprint: the fit \"fill\" is not cover, contain or stretch.\n"},
    {"UnknownOrientation",
     {"DATA/print_card.png", "--orientation", "sideways"},
     1,
     "cardprint: the orientation \"sideways\" is neither landscape nor portrait.\n"},
    {"UnknownPanel",
     {"DATA/print_card.png", "--panels", "ymc,w"},
     1,
     "cardprint: the panels \"ymc,w\" are not a list of ymc, k and o separated by commas.\n"},
    {"TrackTooLong",
     {"DATA/print_card.png", "--encoder", "--track1", std::string(100, 'A')},
     1,
     "cardprint: the track 1 text is 100 characters long; at most 99 fit.\n"},
    {"Track2TooLong",
     {"DATA/print_card.png", "--encoder", "--track2", std::string(100, '0')},
     1,
     "cardprint: the track 2 text is 100 characters long; at most 99 fit.\n"},
    {"Track3TooLong",
     {"DATA/print_card.png", "--encoder", "--track3", std::string(150, '0')},
     1,
     "cardprint: the track 3 text is 150 characters long; at most 149 fit.\n"},
    {"Track1LowerCase",
     {"DATA/print_card.png", "--encoder", "--track1", "Alice"},
     1,
     "cardprint: the track 1 text holds the character \"l\" (U+006C), which track 1 cannot "
     "carry; it takes only U+0020 to U+005F (space, digits, capital letters and punctuation).\n"},
    {"Track1ShiftOut",
     {"DATA/print_card.png", "--encoder", "--track1",
      "AB\x0E"
      "CD"},
     1,
     "cardprint: the track 1 text holds the character U+000E, which track 1 cannot carry; it "
     "takes only U+0020 to U+005F (space, digits, capital letters and punctuation).\n"},
    {"Track2CarriageReturn",
     {"DATA/print_card.png", "--encoder", "--track2", "12\r"},
     1,
     "cardprint: the track 2 text holds the character U+000D, which track 2 cannot carry; it "
     "takes only U+0030 to U+003F (digits and : ; < = > ?).\n"},
    {"Track2Letter",
     {"DATA/print_card.png", "--encoder", "--track2", "12A"},
     1,
     "cardprint: the track 2 text holds the character \"A\" (U+0041), which track 2 cannot "
     "carry; it takes only U+0030 to U+003F (digits and : ; < = > ?).\n"},
    {"Track3Space",
     {"DATA/print_card.png", "--encoder", "--track3", "1 2"},
     1,
     "cardprint: the track 3 text holds the character U+0020, which track 3 cannot carry; it "
     "takes only U+0030 to U+003F (digits and : ; < = > ?).\n"},
    {"Track2BeyondTheBasicPlane",
     {"DATA/print_card.png", "--encoder", "--track2", "\xE4\xB8\xAD\xF0\x9F\x82\xA1"},
     1,
     "cardprint: the track 2 text holds the character U+4E2D, which track 2 cannot carry; it "
     "takes only U+0030 to U+003F (digits and : ; < = > ?).\n"},
    {"Track3NotUtf8",
     {"DATA/print_card.png", "--encoder", "--track3", "\xFF"},
     1,
     "cardprint: the track 3 text is not valid UTF-8.\n"},
    {"PrintAreaOffTheCard",
     {"DATA/print_card.png", "--print-area", "600,0,100,1024"},
     1,
     "cardprint: the print area 600,0,100,1024 does not lie on the card, whose frame is 656 dots "
     "by 1024 lines.\n"},
    {"PrintAreaEmpty",
     {"DATA/print_card.png", "--print-area", "0,0,0,10"},
     1,
     "cardprint: the print area 0,0,0,10 does not lie on the card, whose frame is 656 dots by 1024 "
     "lines.\n"},
    {"OverlayOfUnknownType",
     {"DATA/print_card.png", "--overlay", "2:0,0,1,1"},
     1,
     "cardprint: the overlay area \"2:0,0,1,1\" is not TYPE:X,Y,CX,CY with a type of 0 or 1.\n"},
    {"FiveOverlays",
     {"DATA/print_card.png", "--overlay", "0:0,0,1,1", "--overlay", "0:0,0,1,1", "--overlay",
      "0:0,0,1,1", "--overlay", "0:0,0,1,1", "--overlay", "0:0,0,1,1"},
     1,
     "cardprint: a card has at most four overlay areas.\n"},
    {"AdjustmentTooLarge",
     {"DATA/print_card.png", "--adjust", "6,0,0,0"},
     1,
     "cardprint: the print position adjustment A1 must lie between -94 and 5.\n"},
    {"SaturationTooLarge",
     {"DATA/print_card.png", "--color", "0,51,0,0"},
     1,
     "cardprint: the saturation correction must lie between -50 and 50.\n"},
    {"ThreeColourNumbers",
     {"DATA/print_card.png", "--color", "0,0,0"},
     1,
     "cardprint: the colour corrections \"0,0,0\" must be 4 numbers separated by commas.\n"},
    {"TracksWithoutEncoder",
     {"DATA/print_card.png", "--track1", "X"},
     2,
     "cardprint: track texts and --mag-mode need --encoder, a printer with a magnetic encoder.\n"},
    {"TracksInModeQ",
     {"DATA/print_card.png", "--encoder", "--mag-mode", "Q", "--track1", "X"},
     2,
     "cardprint: track texts are not sent in encoding mode Q; use R or W.\n"},
    {"UnknownOption",
     {"DATA/print_card.png", "--colour", "1"},
     2,
     "cardprint: cardprint print has no option --colour.\n"},
    {"NoImage",
     {},
     2,
     "cardprint: cardprint print needs at least one image (see cardprint print --help).\n"},
    {"ImagesAndBatch",
     {"DATA/print_card.png", "--batch", "DATA/none.csv"},
     2,
     "cardprint: cardprint print takes its images from --batch or from the command line, not "
     "both.\n"},
    {"PreviewsOfSeveralCardsToStandardOutput",
     {"DATA/print_card.png", "DATA/print_card.png", "--preview", "-"},
     2,
     "cardprint: only the preview of a one-card job written to a file can go to standard "
     "output.\n"},
    {"BatchWithUnclosedQuote",
     {"--batch", "DATA/batch_unclosed_quote.csv"},
     1,
     "cardprint: the batch file DATA/batch_unclosed_quote.csv ends inside a quoted field begun on "
     "line 1.\n"},
    {"BatchRowWithExtraFields",
     {"--batch", "DATA/batch_extra_fields.csv"},
     1,
     "cardprint: line 1 of the batch file DATA/batch_extra_fields.csv has more than five "
     "fields.\n"},
    {"BatchRowWithoutImage",
     {"--batch", "DATA/batch_no_image.csv"},
     1,
     "cardprint: line 2 of the batch file DATA/batch_no_image.csv names no image.\n"},
    {"EmptyBatch",
     {"--batch", "DATA/batch_empty.csv"},
     1,
     "cardprint: the batch file DATA/batch_empty.csv holds no cards.\n"},
    {"BatchRowWithCopiesOutOfRange",
     {"--batch", "DATA/batch_copies_out_of_range.csv"},
     1,
     "cardprint: line 1 of the batch file DATA/batch_copies_out_of_range.csv: the copy count 1000 "
     "is out of range (1 to 999).\n"},
    {"BatchRowWithLowerCaseTrack1",
     {"--batch", "DATA/batch_track1_lower_case.csv", "--encoder"},
     1,
     "cardprint: line 1 of the batch file DATA/batch_track1_lower_case.csv: the track 1 text holds "
     "the character \"l\" (U+006C), which track 1 cannot carry; it takes only U+0020 to U+005F "
     "(space, digits, capital letters and punctuation).\n"},
    {"MissingBatch",
     {"--batch", "/no/cards.csv"},
     1,
     "cardprint: the batch file /no/cards.csv cannot be read: no such file or directory.\n"},
};

std::string WithData(std::string text) {
  for (std::size_t at; (at = text.find("DATA")) != std::string::npos;) {
    text.replace(at, 4, CARDPRINT_TEST_DATA);
  }
  return text;
}

class PrintBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(PrintBadInput, FailsWithOneSentenceAndLeavesNoFile) {
  ScratchFolder folder;
  std::vector<std::string> args{"print"};
  for (const std::string& arg : GetParam().args) args.push_back(WithData(arg));
  args.push_back("-o");
  args.push_back(folder / "job.prn");
  CommandResult result = RunInProcess(args);
  EXPECT_EQ(result.status, GetParam().status);
  std::string message = WithData(GetParam().message);
  EXPECT_EQ(result.err.substr(0, message.size()), message);
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  EXPECT_TRUE(folder.Files().empty());
}

INSTANTIATE_TEST_SUITE_P(Inputs, PrintBadInput, ::testing::ValuesIn(kBadInputs),
                         [](const auto& info) { return std::string(info.param.name); });

// What only a real process shows: a full device, a file size limit standing
// for a full disk, a closed pipe.
TEST(PrintProcess, AFullDeviceFailsTheJob) {
  CommandResult result = RunChild({"print", Data("print_card.png"), "-o", "/dev/full"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "cardprint: cannot write /dev/full: no space left on device.\n");
}

TEST(PrintProcess, AFullDiskLeavesNoPartialFile) {
  ScratchFolder folder;
  ChildOptions limited;
  limited.file_size_limit = 1000000;  // less than one card's job
  CommandResult result =
      RunChild({"print", Data("print_card.png"), "-o", folder / "job.prn"}, limited);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "cardprint: cannot write " + (folder / "job.prn") + ": file too large.\n");
  EXPECT_TRUE(folder.Files().empty());
}

TEST(PrintProcess, AClosedPipeFailsTheJob) {
  ChildOptions closed;
  closed.close_output_early = true;
  CommandResult result = RunChild({"print", Data("print_card.png"), "-o", "-"}, closed);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "cardprint: cannot write standard output: broken pipe.\n");
}

TEST(PrintProcess, WritesTheJobToStandardOutput) {
  CommandResult result = RunChild({"print", Data("print_card.png"), "-o", "-"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  DecodedJob job = DecodeJob(std::vector<std::uint8_t>(result.out.begin(), result.out.end()));
  EXPECT_TRUE(job.well_formed) << job.fault;
  EXPECT_EQ(job.lines, DefaultJob().lines);
}

}  // namespace
