// The decoder of the printer's language: well-formed jobs of every shape,
// the sequences and fields it reads, and the first fault of broken jobs
// with its offset.
#include "host/job_reader/job_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/cardprint/job_builder.h"
#include "host/cardprint/job_listing.h"

namespace {

// Records every sequence as one line: offset, length, page, kind, fields.
class Recorder : public JobListener {
 public:
  void OnSequence(const Sequence& s) override {
    lines.push_back(std::to_string(s.offset) + " " + std::to_string(s.length) + " p" +
                    std::to_string(s.page) + " " + std::string(SequenceKind(s.fields)) + " " +
                    DescribeSequence(s.fields));
  }
  void OnPanelBytes(char, std::uint64_t, std::span<const std::uint8_t> bytes) override {
    panel_bytes += bytes.size();
  }
  void OnPageEnd(int page) override { pages_ended.push_back(page); }

  std::vector<std::string> lines;
  std::size_t panel_bytes = 0;
  std::vector<int> pages_ended;
};

struct Read {
  bool well_formed;
  std::optional<JobFault> fault;
  Recorder recorder;
  int pages;
  int documents;
};

Read ReadAll(const std::vector<std::uint8_t>& job, std::size_t chunk = 0) {
  Read read;
  JobReader reader(&read.recorder);
  if (chunk == 0) chunk = job.size() + 1;
  for (std::size_t at = 0; at < job.size(); at += chunk) {
    reader.Feed(std::span(job).subspan(at, std::min(chunk, job.size() - at)));
  }
  reader.Finish();
  read.well_formed = reader.WellFormed();
  read.fault = reader.fault();
  read.pages = reader.pages();
  read.documents = reader.documents();
  return read;
}

TEST(JobReader, ListsEverySequenceOfASmallCardWithItsFields) {
  JobBuilder job;
  job.DocumentStart().Adjustments("0406050007").PageStart().PageBody(10, 20, 4, 3, 0x1B, 2);
  job.bytes.resize(job.size() - 8);  // the overlay trailer goes, areas come instead
  job.OverlayArea(0, 20, 10, 23, 14, 1).OverlayArea(1, 0, 0, 5, 5, 0).OverlayTrailer(2);
  job.DocumentEnd();
  Read read = ReadAll(job.bytes);
  ASSERT_TRUE(read.well_formed) << read.fault->reason;
  std::vector<std::string> expected{
      "0 4 p0 documentStart mode L",
      "4 13 p0 adjustments 04 06 05 00 07",
      "17 3 p1 pageStart ",
      "20 4 p1 panelReset yellow",
      "24 4 p1 panelReset magenta",
      "28 4 p1 panelReset cyan",
      "32 4 p1 panelReset black",
      "36 4 p1 panelReset overlay",
      "40 4 p1 panelReset yellow",
      "44 4 p1 panelReset magenta",
      "48 4 p1 panelReset cyan",
      "52 18 p1 panelHeader yellow at dot 10, line 20: 3 lines of 4 dots",
      "70 12 p1 panelData yellow, 12 bytes",
      "82 9 p1 panelTrailer yellow, 2 copies",
      "91 18 p1 panelHeader magenta at dot 10, line 20: 3 lines of 4 dots",
      "109 12 p1 panelData magenta, 12 bytes",
      "121 9 p1 panelTrailer magenta, 2 copies",
      "130 18 p1 panelHeader cyan at dot 10, line 20: 3 lines of 4 dots",
      "148 12 p1 panelData cyan, 12 bytes",
      "160 9 p1 panelTrailer cyan, 2 copies",
      "169 4 p1 panelReset black",
      "173 18 p1 panelHeader black at dot 10, line 20: 3 lines of 4 dots",
      "191 12 p1 panelData black, 12 bytes",
      "203 9 p1 panelTrailer black, 2 copies",
      "212 4 p1 panelReset overlay",
      "216 22 p1 overlayArea area 0: lines 20 to 23, dots 10 to 14, flag 1",
      "238 22 p1 overlayArea area 1: lines 0 to 5, dots 0 to 5, flag 0",
      "260 8 p1 overlayTrailer 2 copies",
      "268 3 p1 documentEnd ",
  };
  EXPECT_EQ(read.recorder.lines, expected);
  EXPECT_EQ(read.recorder.panel_bytes, 48u);
  EXPECT_EQ(read.recorder.pages_ended, std::vector<int>{1});
}

TEST(JobReader, ReadsTrackDataInEveryMode) {
  JobBuilder job;
  job.DocumentStart('D').Adjustments().TrackQ().PageStart().PageBody(0, 0, 2, 2);
  job.Tracks('W', "", "1234567890", "").PageStart().PageBody(0, 0, 2, 2);
  job.Tracks('R', std::string(99, 'A'), "\x1B\x0D", std::string(149, '9')).PageStart();
  job.PageBody(0, 0, 2, 2).DocumentEnd();
  Read read = ReadAll(job.bytes);
  ASSERT_TRUE(read.well_formed) << read.fault->reason;
  EXPECT_EQ(read.pages, 3);
  EXPECT_EQ(read.recorder.lines[0], "0 4 p0 documentStart mode D");
  EXPECT_EQ(read.recorder.lines[2], "17 4 p0 trackData mode Q");
  std::vector<std::string> tracks;
  for (const std::string& line : read.recorder.lines) {
    if (line.find("trackData") != std::string::npos)
      tracks.push_back(line.substr(line.find("mode")));
  }
  ASSERT_EQ(tracks.size(), 3u);
  EXPECT_EQ(tracks[1], "mode W, track 1 \"\", track 2 \"1234567890\", track 3 \"\"");
  EXPECT_EQ(tracks[2], "mode R, track 1 \"" + std::string(99, 'A') +
                           "\", track 2 \"\\x1B\\x0D\", track 3 \"" + std::string(149, '9') + "\"");
  EXPECT_EQ(read.recorder.pages_ended, (std::vector<int>{1, 2, 3}));
}

// Jobs of every shape the driver can send are well formed.
struct WellFormedCase {
  const char* name;
  std::function<void(JobBuilder&)> build;
  int documents;
  int pages;
};

const WellFormedCase kWellFormed[] = {
    {"FullCard", [](JobBuilder& j) { j.OneCard(0, 0, 656, 1024); }, 1, 1},
    {"AllPanelsOff",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("YMCKO").DocumentEnd();
     },
     1, 1},
    {"BlackOnly",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("YMCKO").Reset('K');
       j.Panel('K', 0, 0, 656, 1024, 0xFF).DocumentEnd();
     },
     1, 1},
    {"FourOverlayAreas",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("YMCKO").Reset('O');
       for (int i = 0; i < 4; ++i) j.OverlayArea(i, 0, 0, 1023, 655, i % 2);
       j.OverlayTrailer().DocumentEnd();
     },
     1, 1},
    {"EdgeOfTheFrame", [](JobBuilder& j) { j.OneCard(655, 1023, 1, 1); }, 1, 1},
    {"NoPages", [](JobBuilder& j) { j.DocumentStart().Adjustments().DocumentEnd(); }, 1, 0},
    {"TwoDocuments",
     [](JobBuilder& j) {
       j.OneCard(0, 0, 8, 8);
       j.OneCard(0, 0, 8, 8);
     },
     2, 2},
    {"NineHundredNinetyNineCopies",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().PageBody(0, 0, 4, 4, 0, 999).DocumentEnd();
     },
     1, 1},
    {"CopiesChangeBetweenPages",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().PageBody(0, 0, 4, 4, 0, 1);
       j.PageStart().PageBody(0, 0, 4, 4, 0, 5).DocumentEnd();
     },
     1, 2},
    {"RawSizesHoldControlBytes",  // 27 dots (0x1B) by 13 lines: size 00 01 5F, length 00 1B
     [](JobBuilder& j) { j.OneCard(0, 0, 27, 13, 0x0D); }, 1, 1},
};

class WellFormedJob : public ::testing::TestWithParam<WellFormedCase> {};

TEST_P(WellFormedJob, IsAcceptedWholeAndInPiecesOfAnySize) {
  JobBuilder job;
  GetParam().build(job);
  Read whole = ReadAll(job.bytes);
  ASSERT_TRUE(whole.well_formed) << whole.fault->offset << ": " << whole.fault->reason;
  EXPECT_EQ(whole.documents, GetParam().documents);
  EXPECT_EQ(whole.pages, GetParam().pages);
  for (std::size_t chunk : {1, 7, 4096}) {
    Read pieces = ReadAll(job.bytes, chunk);
    EXPECT_TRUE(pieces.well_formed) << "chunk " << chunk;
    EXPECT_EQ(pieces.recorder.lines, whole.recorder.lines) << "chunk " << chunk;
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, WellFormedJob, ::testing::ValuesIn(kWellFormed),
                         [](const auto& info) { return std::string(info.param.name); });

// Broken jobs: the first fault, where it shows and what it says.
struct BrokenCase {
  const char* name;
  std::function<void(JobBuilder&)> build;
  std::function<std::size_t(const JobBuilder&)> offset;  // of the fault, from the built job
  const char* reason;                                    // a part of the reason
};

// A job up to and including the yellow panel's header, 4 by 2 dots at 0, 0:
// the yellow data begins at byte 70.
void UpToYellowHeader(JobBuilder& j) {
  j.DocumentStart().Adjustments().PageStart().Resets("YMCKO").Resets("YMC");
  j.Header('Y', 0, 0, 8, 4);
}

std::size_t AtEnd(const JobBuilder& j) { return j.size(); }

const BrokenCase kBroken[] = {
    {"Empty", [](JobBuilder&) {}, [](const JobBuilder&) { return 0; }, "the job is empty"},
    {"TruncatedData",
     [](JobBuilder& j) {
       UpToYellowHeader(j);
       j.Data(5, 0);
     },
     AtEnd, "ends inside the yellow data, after 5 of its 8 bytes"},
    {"DataShorterThanItsHeaderSays",
     [](JobBuilder& j) {
       UpToYellowHeader(j);
       j.Data(6, 0).Trailer('Y').DocumentEnd();
     },
     [](const JobBuilder&) { return 70 + 8; }, "the yellow data is not followed by its trailer"},
    {"DataLongerThanItsHeaderSays",
     [](JobBuilder& j) {
       UpToYellowHeader(j);
       j.Data(9, 0x05).Trailer('Y').DocumentEnd();
     },
     [](const JobBuilder&) { return 70 + 8; }, "0x05 where CR was due"},
    {"SizeNotWholeLines",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("YMCKO").Resets("YMC");
       j.Header('Y', 0, 0, 10, 4).Data(10, 0).Trailer('Y');
     },
     [](const JobBuilder&) { return 52; }, "data size 10 is not a whole number of 4-dot lines"},
    {"LinesPastTheFrame",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("Y").Panel('Y', 600, 0, 57, 1, 0);
     },
     [](const JobBuilder&) { return 24; }, "run past the 656-dot line"},
    {"PanelPastTheLastLine",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("Y").Panel('Y', 0, 1000, 1, 25, 0);
     },
     [](const JobBuilder&) { return 24; }, "run past the card's 1024 lines"},
    {"StrayByteBetweenSequences",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Raw({0x0A}).Resets("YMCKO").DocumentEnd();
     },
     [](const JobBuilder&) { return 20; }, "a stray byte 0x0A where a sequence was due"},
    {"UnknownSequence",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().Raw({0x1B, 'X', 0x0D});
     },
     [](const JobBuilder&) { return 18; }, "an unknown sequence ESC \"X\""},
    {"TrailerNamesAnotherPanel",
     [](JobBuilder& j) {
       UpToYellowHeader(j);
       j.Data(8, 0).Trailer('M');
     },
     [](const JobBuilder&) { return 78 + 3; },
     "the trailer after the yellow data names the panel \"M\""},
    {"TrailerWithoutData",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Raw({0x1B, 'a', 'C', '0', '0', '0', '1', 0x0D});
     },
     [](const JobBuilder&) { return 20; }, "a cyan trailer without panel data before it"},
    {"PanelWithoutPageStart",
     [](JobBuilder& j) { j.DocumentStart().Adjustments().Resets("YMCKO"); },
     [](const JobBuilder&) { return 17; }, "a panel reset before any page start"},
    {"PageOutsideADocument", [](JobBuilder& j) { j.PageStart().Resets("YMCKO"); },
     [](const JobBuilder&) { return 0; }, "a page start outside a document"},
    {"DocumentStartWithoutAdjustments", [](JobBuilder& j) { j.DocumentStart().PageStart(); },
     [](const JobBuilder&) { return 4; }, "not followed by the adjustments"},
    {"DocumentInsideADocument",
     [](JobBuilder& j) { j.DocumentStart().Adjustments().DocumentStart(); },
     [](const JobBuilder&) { return 17; }, "a document start inside a document"},
    {"NoDocumentEnd",
     [](JobBuilder& j) { j.DocumentStart().Adjustments().PageStart().Resets("YMCKO"); }, AtEnd,
     "ends without a document end"},
    {"JobEndsInsideAHeader",
     [](JobBuilder& j) {
       UpToYellowHeader(j);
       j.bytes.resize(j.size() - 5);
     },
     AtEnd, "ends inside a panel header"},
    {"JobEndsBeforeATrailer",
     [](JobBuilder& j) {
       UpToYellowHeader(j);
       j.Data(8, 0);
     },
     AtEnd, "ends before the trailer of the yellow data"},
    {"LetterInAHeaderPosition",
     [](JobBuilder& j) {
       UpToYellowHeader(j);
       j.bytes[52 + 5] = 'x';
     },
     [](const JobBuilder&) { return 57; }, "\"x\" where a digit was due"},
    {"HeaderWithoutItsReset",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("YMC").Panel('K', 0, 0, 1, 1, 0);
     },
     [](const JobBuilder&) { return 32; }, "a black panel header without a black reset"},
    {"PanelSentTwice",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("Y").Panel('Y', 0, 0, 1, 1, 0);
       j.Panel('Y', 0, 0, 1, 1, 0);
     },
     [](const JobBuilder&) { return 24 + 28; }, "a second yellow panel in page 1"},
    {"PanelsOutOfOrder",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("YM").Panel('M', 0, 0, 1, 1, 0);
       j.Panel('Y', 0, 0, 1, 1, 0);
     },
     [](const JobBuilder&) { return 28 + 28; }, "the yellow panel after the magenta panel"},
    {"CopiesDifferWithinAPage",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("YM").Panel('Y', 0, 0, 1, 1, 0, 1);
       j.Panel('M', 0, 0, 1, 1, 0, 2);
     },
     [](const JobBuilder&) { return 28 + 28 + 19; }, "asks for 2 copies where the page's earlier"},
    {"NoCopies",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("O").OverlayTrailer(0);
     },
     [](const JobBuilder&) { return 24; }, "the overlay trailer asks for 0 copies"},
    {"OverlayAreaNumberedWrong",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("O").OverlayArea(1, 0, 0, 1, 1, 1);
     },
     [](const JobBuilder&) { return 24; }, "overlay area number 1 where number 0 was due"},
    {"FifthOverlayArea",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("O");
       for (int i = 0; i < 4; ++i) j.OverlayArea(i, 0, 0, 1, 1, 1);
       j.OverlayArea(4, 0, 0, 1, 1, 1);
     },
     [](const JobBuilder&) { return 24 + 4 * 22; }, "a fifth overlay area in page 1"},
    {"OverlayAreaPastTheCard",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("O").OverlayArea(0, 0, 0, 1025, 1, 1);
     },
     [](const JobBuilder&) { return 24; }, "overlay area 0 runs past the card"},
    {"OverlayAreasNeverClosed",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("O").OverlayArea(0, 0, 0, 1, 1, 1);
       j.DocumentEnd();
     },
     [](const JobBuilder&) { return 46; }, "not closed by the overlay trailer"},
    {"OverlayAreaAfterTheTrailer",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().PageStart().Resets("O").OverlayTrailer();
       j.OverlayArea(0, 0, 0, 1, 1, 1);
     },
     [](const JobBuilder&) { return 32; }, "an overlay area after the overlay trailer"},
    {"AdjustmentFieldTooWide", [](JobBuilder& j) { j.DocumentStart().Adjustments("10005050005"); },
     [](const JobBuilder&) { return 6; }, "hold 11 characters instead of five two-digit fields"},
    {"AdjustmentWithASign", [](JobBuilder& j) { j.DocumentStart().Adjustments("-305050005"); },
     [](const JobBuilder&) { return 6; }, "\"-\" where a digit was due"},
    {"TrackTextTooLong",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().Tracks('R', std::string(100, 'A'), "", "");
     },
     [](const JobBuilder&) { return 17 + 4 + 99; }, "track 1 runs past 99 bytes without its SO"},
    {"TrackDataWithoutPageStart",
     [](JobBuilder& j) { j.DocumentStart().Adjustments().TrackQ().Resets("Y"); },
     [](const JobBuilder&) { return 21; }, "the track data is not followed by a page start"},
    {"UnknownTrackMode",
     [](JobBuilder& j) {
       j.DocumentStart().Adjustments().Raw({0x1B, 'M', 'q', 0x0D});
     },
     [](const JobBuilder&) { return 19; }, "track data with the unknown mode \"q\""},
};

class BrokenJob : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenJob, ReportsTheFirstFaultWhereItShows) {
  JobBuilder job;
  GetParam().build(job);
  for (std::size_t chunk : {0, 1, 3}) {
    Read read = ReadAll(job.bytes, chunk);
    ASSERT_FALSE(read.well_formed) << "chunk " << chunk;
    ASSERT_TRUE(read.fault.has_value());
    EXPECT_EQ(read.fault->offset, GetParam().offset(job)) << read.fault->reason;
    EXPECT_NE(read.fault->reason.find(GetParam().reason), std::string::npos)
        << "reason: " << read.fault->reason;
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenJob, ::testing::ValuesIn(kBroken),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JobReader, IgnoresEverythingAfterTheFirstFaultButCountsItsBytes) {
  JobBuilder job;
  job.DocumentStart().Adjustments().Raw({0x00}).Raw({0x1B, 'X'}).DocumentEnd();
  Read read = ReadAll(job.bytes);
  ASSERT_TRUE(read.fault.has_value());
  EXPECT_EQ(read.fault->offset, 17u);
  JobReader reader;
  reader.Feed(job.bytes);
  reader.Finish();
  EXPECT_EQ(reader.bytes(), job.size());
}

}  // namespace
