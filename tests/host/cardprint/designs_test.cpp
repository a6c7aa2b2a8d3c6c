// cardprint print with designs as people have them: the job for a turned,
// CMYK or colour-profiled design is the job for the plain design a viewer
// shows; a portrait design makes a portrait card; each PDF page is a card;
// --snap-black puts near-black bars on the black panel; bad designs fail
// with one sentence and leave nothing; large designs take bounded memory.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/card_job/file_bytes.h"
#include "host/cardprint/decoded_job.h"
#include "host/cardprint/run_command.h"
#include "host/cardprint/scratch_folder.h"

namespace {

std::string Design(const std::string& name) { return std::string(CARDPRINT_DESIGNS) + "/" + name; }

// The job's bytes for these arguments.
std::vector<std::uint8_t> JobBytes(std::vector<std::string> args) {
  ScratchFolder folder;
  args.insert(args.begin(), "print");
  args.push_back("-o");
  args.push_back(folder / "job.prn");
  CommandResult result = RunInProcess(args);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  return ReadWholeFile(folder / "job.prn", "the job");
}

// The largest difference between two jobs' bytes at the same offset; -1
// when their lengths differ.
int MaxDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size()) return -1;
  int largest = 0;
  for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

struct SameJob {
  const char* file;
  const char* plain;
  int tolerance;  // in job bytes: the panels' dots
};

// Tolerances: the designs' pixels differ by the amounts stated in the
// card-job library's design tests (Exif and plain CMYK: none; colour
// profiles: 2 levels of sRGB); the driver's colour correction can widen a
// difference of 2 levels in its curves to 3 dots of ink.
const SameJob kSameJobs[] = {
    {"design_exif_6.jpg", "design_plain.jpg", 0},
    {"design_exif_7.png", "design_plain.png", 0},
    {"design_cmyk_adobe.jpg", "design_plain.png", 0},
    {"design_display_p3.png", "design_plain.png", 3},
};

class PrintsAsPlain : public ::testing::TestWithParam<SameJob> {};

TEST_P(PrintsAsPlain, MakesThePlainDesignsJob) {
  std::vector<std::uint8_t> plain = JobBytes({Design(GetParam().plain)});
  std::vector<std::uint8_t> job = JobBytes({Design(GetParam().file)});
  int difference = MaxDifference(job, plain);
  EXPECT_GE(difference, 0) << "the jobs' lengths differ";
  EXPECT_LE(difference, GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(Files, PrintsAsPlain, ::testing::ValuesIn(kSameJobs),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

TEST(PrintDesigns, APortraitDesignMakesAPortraitCardUnlessAskedOtherwise) {
  std::vector<std::uint8_t> chosen = JobBytes({Design("design_plain.png")});
  EXPECT_EQ(chosen, JobBytes({Design("design_plain.png"), "--orientation", "portrait"}));
  EXPECT_NE(chosen, JobBytes({Design("design_plain.png"), "--orientation", "landscape"}));
  // Stored landscape, shown portrait (Exif orientation 8): portrait too.
  EXPECT_EQ(JobBytes({Design("design_exif_8.png")}), chosen);
  // A landscape design keeps the landscape card.
  EXPECT_EQ(JobBytes({Design("design_barcode.jpg")}),
            JobBytes({Design("design_barcode.jpg"), "--orientation", "landscape"}));
}

TEST(PrintDesigns, PrintsEachPdfPageAsACard) {
  ScratchFolder folder;
  std::vector<std::uint8_t> bytes = JobBytes({Design("design_two_pages.pdf"), "--fit", "contain"});
  DecodedJob job = DecodeJob(bytes);
  ASSERT_TRUE(job.well_formed) << job.fault;
  EXPECT_EQ(job.pages, 2);
  EXPECT_EQ(job.Count("documentStart: mode L"), 1u);
  EXPECT_NE(job.panels[0].at('Y'), job.panels[1].at('Y'));
  // Its pages are portrait: so is the card.
  EXPECT_EQ(bytes, JobBytes({Design("design_two_pages.pdf"), "--fit", "contain", "--orientation",
                             "portrait"}));
}

// The black panel's dots that print.
std::size_t BlackDots(const std::vector<std::uint8_t>& bytes) {
  DecodedJob job = DecodeJob(bytes);
  EXPECT_TRUE(job.well_formed) << job.fault;
  const std::vector<std::uint8_t>& black = job.panels.at(0).at('K');
  return static_cast<std::size_t>(std::count(black.begin(), black.end(), 0xFF));
}

TEST(PrintDesigns, SnapBlackPutsNearBlackBarsOnTheBlackPanel) {
  // 24 bars of 8 x 128 pixels at value 24, JPEG-noisy, doubled onto the
  // card: 24 x 16 x 256 = 98304 dots.
  constexpr std::size_t kBarDots = 24 * 16 * 256;
  std::vector<std::uint8_t> plain = JobBytes({Design("design_barcode.jpg")});
  EXPECT_LT(BlackDots(plain), kBarDots / 100);
  EXPECT_EQ(JobBytes({Design("design_barcode.jpg"), "--snap-black", "0"}), plain);
  // Snapped in the design, the bars go to the black panel; doubling them
  // onto the card blends the dot at each edge of a bar with the white
  // beside it, so at least 14 of each bar's 16 dots across and 254 of its
  // 256 lines print black.
  std::size_t snapped = BlackDots(JobBytes({Design("design_barcode.jpg"), "--snap-black", "64"}));
  EXPECT_GE(snapped, std::size_t{24 * 14 * 254});
  EXPECT_LE(snapped, kBarDots);
}

struct BadDesign {
  const char* file;
  const char* problem;
};

const BadDesign kBadDesigns[] = {
    {"design_profile_damaged.jpg", "carries a colour profile that cannot be read."},
    {"design_no_pages.pdf", "is a PDF file with no pages."},
    {"design_damaged.pdf", "is a damaged PDF file."},
    {"design_broken.svg",
     "is a damaged SVG file (XML parse error: Error domain 1 code 73 on line 4 column 1 of data: "
     "Couldn't find end of Start Tag rect line 3)."},
};

class BadDesignJob : public ::testing::TestWithParam<BadDesign> {};

TEST_P(BadDesignJob, FailsWithOneSentenceAndWritesNothing) {
  ScratchFolder folder;
  std::string path = Design(GetParam().file);
  CommandResult result = RunInProcess({"print", path, "-o", folder / "job.prn"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "cardprint: the image " + path + " " + GetParam().problem + "\n");
  EXPECT_TRUE(folder.Files().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, BadDesignJob, ::testing::ValuesIn(kBadDesigns));

// The peak resident memory of the program printing one design, in
// megabytes, measured by the kernel for that child alone.
long PeakMegabytes(const std::string& design) {
  ScratchFolder folder;
  std::string output = folder / "job.prn";
  pid_t child = fork();
  if (child == 0) {
    execl(CARDPRINT_PROGRAM, CARDPRINT_PROGRAM, "print", design.c_str(), "-o", output.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  EXPECT_EQ(wait4(child, &status, 0, &usage), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return usage.ru_maxrss / 1024;
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(PrintDesigns, LargeDesignsTakeBoundedMemory) {
  if (kSanitized) GTEST_SKIP() << "a sanitizer's own memory would be measured";
  // A 6000 x 8000 camera photo is decoded at a quarter of its size (its
  // pixels in full would take 144 MB); a page of 200 inches a side is drawn
  // at the card's size. About 45 and 30 MB when measured.
  EXPECT_LT(PeakMegabytes(Design("design_large.jpg")), 80);
  EXPECT_LT(PeakMegabytes(Design("design_large_page.pdf")), 80);
}

}  // namespace
