// cardprint inspect: the listing and the JSON of a small card checked whole,
// the verdict and exit status of broken jobs, the pictures, and usage.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "host/card_job/file_bytes.h"
#include "host/card_job/png_design.h"
#include "host/cardprint/job_pictures.h"
#include "host/cardprint/png_file.h"
#include "host/cardprint/run_command.h"
#include "host/cardprint/scratch_folder.h"

namespace {

std::string Data(const std::string& name) { return std::string(CARDPRINT_TEST_DATA) + "/" + name; }

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(Inspect, ListsASmallCardAsTheFixtureShows) {
  CommandResult result = RunInProcess({"inspect", Data("inspect_small_card.job")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Contents(Data("inspect_small_card.txt")));
  EXPECT_EQ(result.err, "");
}

TEST(Inspect, WritesTheJsonTheFixtureShows) {
  CommandResult result = RunInProcess({"inspect", "--json", Data("inspect_small_card.job")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Contents(Data("inspect_small_card.json")));
}

TEST(Inspect, ReadsStandardInput) {
  CommandResult result = RunInProcess({"inspect", "-"}, Contents(Data("inspect_small_card.job")));
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Contents(Data("inspect_small_card.txt")));
}

struct BrokenFixture {
  const char* job;
  const char* last_line;  // of the listing
};

const BrokenFixture kBrokenFixtures[] = {
    {"inspect_truncated_data.job",
     "fault at byte 128: the job ends inside the magenta data, after 3 of its 8 bytes"},
    {"inspect_wrong_size.job",
     "fault at byte 169: the cyan data is not followed by its trailer: ESC where CR was due"},
    {"inspect_stray_byte.job", "fault at byte 216: a stray byte 0x0A where a sequence was due"},
};

class InspectBroken : public ::testing::TestWithParam<BrokenFixture> {};

TEST_P(InspectBroken, ReportsTheFaultAndFails) {
  std::string job = Data(GetParam().job);
  CommandResult result = RunInProcess({"inspect", job});
  EXPECT_EQ(result.status, 1);
  std::string last_line = GetParam().last_line;
  ASSERT_GE(result.out.size(), last_line.size() + 1);
  EXPECT_EQ(result.out.substr(result.out.size() - last_line.size() - 1), last_line + "\n");
  std::string reason = last_line.substr(last_line.find(": ") + 2);
  std::string offset = last_line.substr(14, last_line.find(':') - 14);
  EXPECT_EQ(result.err, "cardprint: the job " + job + " is not well formed: at byte " + offset +
                            ", " + reason + ".\n");

  CommandResult json = RunInProcess({"inspect", "--json", job});
  EXPECT_EQ(json.status, 1);
  EXPECT_NE(json.out.find("\"wellFormed\": false,\n \"fault\": {\"offset\":" + offset +
                          ",\"reason\":\"" + reason + "\"}"),
            std::string::npos)
      << json.out;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, InspectBroken, ::testing::ValuesIn(kBrokenFixtures));

TEST(Inspect, DrawsEachPanelAndTheCard) {
  ScratchFolder folder;
  std::string pictures = folder / "pictures";
  CommandResult result =
      RunInProcess({"inspect", Data("inspect_small_card.job"), "--png", pictures});
  ASSERT_EQ(result.status, 0) << result.err;
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(pictures)) {
    files.push_back(entry.path().filename().string());
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"page1-black.png", "page1-card.png", "page1-cyan.png",
                                             "page1-magenta.png", "page1-yellow.png"}));
  RgbImage yellow = DecodePng(ReadWholeFile(pictures + "/page1-yellow.png", "picture"), "yellow");
  ASSERT_EQ(yellow.width, 4);
  ASSERT_EQ(yellow.height, 2);
  EXPECT_EQ(yellow.at(0, 0)[0], 255);  // no dye: white
  EXPECT_EQ(yellow.at(3, 0)[0], 0);    // full dye: black
  RgbImage card = DecodePng(ReadWholeFile(pictures + "/page1-card.png", "picture"), "card");
  ASSERT_EQ(card.width, 656);
  ASSERT_EQ(card.height, 1024);
  // The panels lie inside the overlay area, which is outlined.
  EXPECT_EQ(std::vector<int>(card.at(100, 100), card.at(100, 100) + 3),
            (std::vector<int>{255, 255, 255}));
  EXPECT_EQ(std::vector<int>(card.at(2, 4), card.at(2, 4) + 3),
            (std::vector<int>{kOverlayMark[0], kOverlayMark[1], kOverlayMark[2]}));
}

TEST(Inspect, RefusesBadUsageAndMissingJobs) {
  CommandResult none = RunInProcess({"inspect"});
  EXPECT_EQ(none.status, 2);
  EXPECT_EQ(
      none.err,
      "cardprint: cardprint inspect needs exactly one job file (see cardprint inspect --help).\n");
  CommandResult unknown = RunInProcess({"inspect", "--pdf", "x"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err, "cardprint: cardprint inspect has no option --pdf.\n");
  CommandResult no_value = RunInProcess({"inspect", "job", "--png"});
  EXPECT_EQ(no_value.status, 2);
  EXPECT_EQ(no_value.err, "cardprint: the option --png of cardprint inspect needs a value.\n");
  CommandResult missing = RunInProcess({"inspect", "/no/such.job"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            "cardprint: the job /no/such.job cannot be read: no such file or directory.\n");
  CommandResult help = RunInProcess({"inspect", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: cardprint inspect JOB", 0), 0u);
}

}  // namespace
