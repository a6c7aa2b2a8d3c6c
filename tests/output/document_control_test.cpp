// Document and page framing: what each entry point sends, the job state it
// keeps, and the magnetic track data at every page start.
#include "output/document_control.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "support/byte_diff.h"
#include "support/card_instance.h"

using namespace std::string_view_literals;

namespace {

// The writes of the instance's printer, one by one, against the expected
// sequences.
void ExpectWrites(const CardInstance& card, const std::vector<std::string_view>& expected) {
  std::vector<std::vector<std::uint8_t>> writes = card.Writes();
  ASSERT_EQ(writes.size(), expected.size());
  for (std::size_t i = 0; i < writes.size(); ++i) {
    SCOPED_TRACE("write " + std::to_string(i));
    EXPECT_BYTES_EQ(Bytes(expected[i]), writes[i]);
  }
}

constexpr std::string_view kPageStart = "\x1b\x01\r"sv;

using DocumentTest = CardJobTest;

TEST_F(DocumentTest, StartDocSendsTheDocumentStartAndTheAdjustments) {
  card->pdev()->dwFlags = PDEV_PAGE_OPEN;
  card->pdev()->cPages = 5;
  EXPECT_TRUE(DrvStartDoc(card->pso(), nullptr, 7));
  ExpectWrites(*card, {"\x1bPL\r"sv,
                       "\x1b"
                       "d0505050005\r"sv});
  EXPECT_EQ(card->pdev()->dwFlags, PDEV_DOCUMENT_OPEN);
  EXPECT_EQ(card->pdev()->cPages, 0u);
}

struct HeaderCase {
  const char* name;
  WORD wDocMode;
  LONG lAdjust1, lAdjust2, lAdjust3, lAdjust4;
  std::string_view expected[2];
};

const HeaderCase kHeaderCases[] = {
    {"DocModeOneSelectsD",
     1,
     0,
     0,
     0,
     0,
     {"\x1bPD\r"sv,
      "\x1b"
      "d0505050005\r"sv}},
    {"OtherDocModeSelectsL",
     2,
     0,
     0,
     0,
     0,
     {"\x1bPL\r"sv,
      "\x1b"
      "d0505050005\r"sv}},
    {"AdjustmentsInTheirOrder",
     0,
     2,
     -3,
     4,
     1,
     {"\x1bPL\r"sv,
      "\x1b"
      "d0203060009\r"sv}},
    {"WideAdjustmentWrittenInFull",
     0,
     0,
     0,
     95,
     0,
     {"\x1bPL\r"sv,
      "\x1b"
      "d05050500100\r"sv}},
};

class DocumentHeaderTest : public CardJobTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(DocumentHeaderTest, FollowsTheDeviceMode) {
  const HeaderCase& c = GetParam();
  PRIVATEDEVMODE& dmp = card->priv();
  dmp.wDocMode = c.wDocMode;
  dmp.lAdjust1 = c.lAdjust1;
  dmp.lAdjust2 = c.lAdjust2;
  dmp.lAdjust3 = c.lAdjust3;
  dmp.lAdjust4 = c.lAdjust4;
  EXPECT_TRUE(DrvStartDoc(card->pso(), nullptr, 1));
  ExpectWrites(*card, {c.expected[0], c.expected[1]});
}

INSTANTIATE_TEST_SUITE_P(Cases, DocumentHeaderTest, ::testing::ValuesIn(kHeaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentTest, APageAlreadyOpenIsNotStartedAgain) {
  ASSERT_TRUE(DrvStartDoc(card->pso(), nullptr, 1));
  card->ClearOutput();
  EXPECT_TRUE(DrvStartPage(card->pso()));
  EXPECT_TRUE(DrvStartPage(card->pso()));
  ExpectWrites(*card, {kPageStart});
  EXPECT_EQ(card->pdev()->cPages, 1u);
  EXPECT_EQ(card->pdev()->dwFlags, PDEV_DOCUMENT_OPEN | PDEV_PAGE_OPEN);
}

TEST_F(DocumentTest, AContinuedDocumentKeepsItsPagesAndIsNotStartedAgain) {
  card->pdev()->dwFlags = PDEV_CONTINUED_DOCUMENT;
  card->pdev()->cPages = 3;
  EXPECT_TRUE(DrvStartDoc(card->pso(), nullptr, 1));
  EXPECT_TRUE(card->Writes().empty());
  EXPECT_EQ(card->pdev()->cPages, 3u);
  EXPECT_TRUE(DrvStartPage(card->pso()));
  EXPECT_EQ(card->pdev()->cPages, 4u);
  EXPECT_TRUE(DrvEndDoc(card->pso(), 0));
  ExpectWrites(*card, {kPageStart, "\x1b\x04\r"sv});
  EXPECT_EQ(card->pdev()->dwFlags, PDEV_PAGE_OPEN);
}

TEST_F(DocumentTest, AnAbortedDocumentEndsTheSameWay) {
  card->pdev()->dwFlags = PDEV_DOCUMENT_OPEN;
  EXPECT_TRUE(DrvEndDoc(card->pso(), ED_ABORTDOC));
  ExpectWrites(*card, {"\x1b\x04\r"sv});
  EXPECT_EQ(card->pdev()->dwFlags, 0u);
}

TEST_F(DocumentTest, AnInvalidInstanceSendsNothing) {
  card->pdev()->dwEndSignature = 0;
  for (auto call : {+[](SURFOBJ* pso) { return DrvStartDoc(pso, nullptr, 1); },
                    +[](SURFOBJ* pso) { return DrvStartPage(pso); },
                    +[](SURFOBJ* pso) { return DrvEndDoc(pso, 0); }}) {
    EngSetLastError(0);
    EXPECT_FALSE(call(card->pso()));
    EXPECT_EQ(EngGetLastError(), ERROR_INVALID_PARAMETER);
  }
  SURFOBJ nobody{};
  EXPECT_FALSE(DrvStartPage(&nobody));
  EXPECT_FALSE(DrvStartPage(nullptr));
  EXPECT_TRUE(card->Writes().empty());
  EXPECT_EQ(card->pdev()->cPages, 0u);
  card->pdev()->dwEndSignature = PDEV_SIGNATURE;
}

// ---- Magnetic track data ----

struct TrackCase {
  const char* name;
  DWORD dwMagEncoder;
  WORD wMagMode;
  std::u16string track1, track2, track3;
  std::vector<std::string_view> expected;
};

const TrackCase kTrackCases[] = {
    {"NoEncoderSendsOnlyThePageStart", 0, MAGMODE_W, u"A", u"B", u"C", {kPageStart}},
    {"ModeQSendsNoTexts", 1, MAGMODE_Q, u"A", u"B", u"C", {"\x1bMQ\r"sv, kPageStart}},
    {"ModeWWithOnlyTrack2",
     1,
     MAGMODE_W,
     u"",
     u"12345",
     u"",
     {"\x1bMW1\x0e"sv, "212345\x0e"sv, "3\x0e\r"sv, kPageStart}},
    {"ModeRWithAllTracks",
     1,
     MAGMODE_R,
     u"%B1234^CARD?",
     u";5678=9?",
     u"+000?",
     {"\x1bMR1%B1234^CARD?\x0e"sv, "2;5678=9?\x0e"sv, "3+000?\x0e\r"sv, kPageStart}},
    {"TextsInTheAnsiCodePage",
     1,
     MAGMODE_R,
     u"\u00e9\u20ac\u0416",
     u"",
     u"",
     {"\x1bMR1\xe9\x80?\x0e"sv, "2\x0e"sv, "3\x0e\r"sv, kPageStart}},
    {"ModeWithoutALetterSendsNoTrackData", 1, 3, u"A", u"B", u"C", {kPageStart}},
};

class TrackTest : public CardJobTest, public ::testing::WithParamInterface<TrackCase> {};

TEST_P(TrackTest, PrecedesThePageStart) {
  const TrackCase& c = GetParam();
  card->pdev()->pPrinterProps->dwMagEncoder = c.dwMagEncoder;
  PRIVATEDEVMODE& dmp = card->priv();
  dmp.wMagMode = c.wMagMode;
  std::copy(c.track1.begin(), c.track1.end(), dmp.wszTrack1);
  std::copy(c.track2.begin(), c.track2.end(), dmp.wszTrack2);
  std::copy(c.track3.begin(), c.track3.end(), dmp.wszTrack3);
  EXPECT_TRUE(DrvStartPage(card->pso()));
  ExpectWrites(*card, c.expected);
  EXPECT_EQ(card->pdev()->cPages, 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrackTest, ::testing::ValuesIn(kTrackCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DocumentTest, LongTracksAreCutAndAFullFieldIsReadNoFurther) {
  card->pdev()->pPrinterProps->dwMagEncoder = 1;
  PRIVATEDEVMODE& dmp = card->priv();
  dmp.wMagMode = MAGMODE_W;
  std::fill_n(dmp.wszTrack1, CCH_TRACK1 - 1, u'1');
  std::fill_n(dmp.wszTrack2, CCH_TRACK2, u'2');  // no terminator in the field
  std::fill_n(dmp.wszTrack3, CCH_TRACK3 - 1, u'3');
  EXPECT_TRUE(DrvStartPage(card->pso()));
  std::string track1 = "\x1bMW1" + std::string(99, '1') + "\x0e";
  // Appended rather than "2" + std::string(...): GCC 12 at -O3 takes that
  // concatenation for an overlapping copy (-Wrestrict).
  std::string track2 = std::string("2").append(80, '2').append("\x0e");
  std::string track3 = std::string("3").append(149, '3').append("\x0e\r");
  ExpectWrites(*card, {track1, track2, track3, kPageStart});
}

TEST_F(DocumentTest, TrackDataGoesOutAtEveryPage) {
  card->pdev()->pPrinterProps->dwMagEncoder = 1;
  card->priv().wMagMode = MAGMODE_Q;
  for (int page = 0; page < 2; ++page) {
    ASSERT_TRUE(DrvStartPage(card->pso()));
    card->pdev()->dwFlags &= ~PDEV_PAGE_OPEN;  // as the page's end leaves it
  }
  ExpectWrites(*card, {"\x1bMQ\r"sv, kPageStart, "\x1bMQ\r"sv, kPageStart});
  EXPECT_EQ(card->pdev()->cPages, 2u);
}

}  // namespace
