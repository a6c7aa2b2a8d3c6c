// The program as a whole: every command answers --help, usage errors and
// their exit status, progress on a terminal, and the bundled example card
// printed, accepted by inspect and previewed as designed.
#include <gtest/gtest.h>

#include <sstream>

#include "host/card_job/design_file.h"
#include "host/card_job/file_bytes.h"
#include "host/card_job/png_design.h"
#include "host/cardprint/cardprint.h"
#include "host/cardprint/decoded_job.h"
#include "host/cardprint/png_file.h"
#include "host/cardprint/run_command.h"
#include "host/cardprint/scratch_folder.h"

namespace {

std::string Data(const std::string& name) { return std::string(CARDPRINT_TEST_DATA) + "/" + name; }

TEST(Program, EveryCommandAnswersHelp) {
  for (const Command& command : CardprintCommands()) {
    CommandResult result = RunInProcess({std::string(command.name), "--help"});
    EXPECT_EQ(result.status, 0) << command.name;
    EXPECT_EQ(result.out.rfind("Usage: cardprint " + std::string(command.name), 0), 0u)
        << result.out;
    EXPECT_EQ(result.err, "");
  }
  CommandResult program = RunInProcess({"--help"});
  EXPECT_EQ(program.status, 0);
  for (const Command& command : CardprintCommands()) {
    EXPECT_NE(program.out.find("  " + std::string(command.name) + " "), std::string::npos);
  }
}

TEST(Program, RefusesBadUsageWithStatusTwo) {
  CommandResult none = RunChild({});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(none.err, "cardprint: no command given (see cardprint --help).\n");
  CommandResult unknown = RunChild({"scan"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "cardprint: there is no command \"scan\" (see cardprint --help).\n");
  CommandResult no_output = RunChild({"print", Data("print_card.png")});
  EXPECT_EQ(no_output.status, 2);
  EXPECT_EQ(no_output.err, "cardprint: cardprint print needs -o OUT, the job file to write.\n");
}

TEST(Program, ShowsProgressOnATerminalUnlessQuiet) {
  ScratchFolder folder;
  for (bool quiet : {false, true}) {
    std::ostringstream out;
    std::ostringstream err;
    Console console{0, 1, out, err, true};
    std::vector<std::string> args{"print", Data("print_card.png"), Data("print_uniform.png"), "-o",
                                  folder / "job.prn"};
    if (quiet) args.push_back("--quiet");
    EXPECT_EQ(RunCardprint(args, console), 0) << err.str();
    EXPECT_EQ(err.str(), quiet ? "" : "\rcard 1 of 2\rcard 2 of 2\n");
  }
}

TEST(Program, PrintsTheExampleCardAsDesigned) {
  ScratchFolder folder;
  CommandResult printed = RunInProcess({"print", CARDPRINT_EXAMPLE_CARD, "-o", folder / "card.prn",
                                        "--preview", folder / "preview.png"});
  ASSERT_EQ(printed.status, 0) << printed.err;
  CommandResult inspected = RunInProcess({"inspect", folder / "card.prn"});
  EXPECT_EQ(inspected.status, 0) << inspected.err;
  EXPECT_NE(inspected.out.find("well formed: 2687155 bytes, 1 document, 1 page"),
            std::string::npos);

  // The preview is the design after the driver's colour correction: close to
  // it everywhere but at the overlay's outline.
  RgbImage design = DesignFile(CARDPRINT_EXAMPLE_CARD).Page(0, 1024, 656, Fit::kCover);
  RgbImage preview = DecodePng(ReadWholeFile(folder / "preview.png", "preview"), "preview");
  ASSERT_EQ(preview.width, design.width);
  ASSERT_EQ(preview.height, design.height);
  double difference = 0;
  int far = 0;
  for (int y = 4; y < design.height - 4; ++y) {
    for (int x = 4; x < design.width - 4; ++x) {
      for (int c = 0; c < 3; ++c) {
        int d = std::abs(design.at(x, y)[c] - preview.at(x, y)[c]);
        difference += d;
        if (d > 64) ++far;
      }
    }
  }
  double mean = difference / ((design.width - 8) * (design.height - 8) * 3);
  EXPECT_LT(mean, 12.0);
  EXPECT_LT(far, design.width * design.height / 100);
}

}  // namespace
