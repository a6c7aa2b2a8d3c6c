// The escapes: what each answers, what it stores, and the inputs it refuses
// without reading or writing outside the buffers it is given.
#include "output/escapes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "support/card_instance.h"

namespace {

constexpr ULONG kMinus(LONG l) { return static_cast<ULONG>(l); }

using EscapeTest = CardJobTest;

TEST_F(EscapeTest, SupportIsAnsweredForExactlySevenEscapes) {
  for (ULONG iEsc = 0; iEsc < 5000; ++iEsc) {
    bool answered = iEsc == 8 || iEsc == 17 || iEsc == 20 || (iEsc >= 4156 && iEsc <= 4159);
    EXPECT_EQ(isSupported(iEsc), answered ? 1u : 0u) << iEsc;
  }
  EXPECT_EQ(DrvEscape(card->pso(), 4160, 0, nullptr, 0, nullptr), 0u);
}

struct QueryCase {
  const char* name;
  std::vector<BYTE> input;
  ULONG expected;
};

const QueryCase kQueryCases[] = {
    {"CopyCountAnswersTheLargestCount", {17, 0}, 999},
    {"Technology", {20, 0}, 1},
    {"MagneticMode", {0x3F, 0x10}, 1},
    {"Unknown", {0x40, 0x10}, 0},
    {"ReadsSixteenBitsOfALongerInput", {17, 0, 1, 0}, 999},
    {"InputUnderTwoBytes", {17}, 0},
    {"NoInput", {}, 0},
};

class QueryTest : public CardJobTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(QueryTest, Answers) {
  const QueryCase& c = GetParam();
  // The input sits at the very end of its allocation, so a read past it is
  // caught by the sanitizer build.
  auto input = std::make_unique<BYTE[]>(c.input.size());
  std::copy(c.input.begin(), c.input.end(), input.get());
  PVOID pvIn = c.input.empty() ? nullptr : input.get();
  EXPECT_EQ(
      DrvEscape(nullptr, QUERYESCSUPPORT, static_cast<ULONG>(c.input.size()), pvIn, 0, nullptr),
      c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, QueryTest, ::testing::ValuesIn(kQueryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EscapeTest, TechnologyNeedsFourteenBytes) {
  char out[14];
  std::memset(out, 'x', sizeof out);
  EngSetLastError(0);
  EXPECT_EQ(DrvEscape(nullptr, GETTECHNOLOGY, 0, nullptr, 13, out), 0u);
  EXPECT_EQ(EngGetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(DrvEscape(nullptr, GETTECHNOLOGY, 0, nullptr, 14, nullptr), 0u);
  EXPECT_EQ(DrvEscape(nullptr, GETTECHNOLOGY, 0, nullptr, 14, out), 1u);
  EXPECT_EQ(std::string(out, 14), std::string("Thermoprinter\0", 14));
}

struct CopyCase {
  ULONG requested;
  ULONG stored;
};

TEST_F(EscapeTest, CopyCountIsLimitedToOneTo999) {
  for (const CopyCase& c : {CopyCase{0, 1}, CopyCase{1, 1}, CopyCase{998, 998}, CopyCase{999, 999},
                            CopyCase{5000, 999}, CopyCase{static_cast<ULONG>(-2), 999}}) {
    ULONG out = 0;
    EXPECT_EQ(DrvEscape(card->pso(), SETCOPYCOUNT, 4, const_cast<ULONG*>(&c.requested), 4, &out),
              1u);
    EXPECT_EQ(card->pdev()->cCopies, c.stored) << c.requested;
    EXPECT_EQ(out, c.stored);
  }
}

TEST_F(EscapeTest, CopyCountReadsAndWritesOnlyWhatItIsGiven) {
  auto three = std::make_unique<BYTE[]>(3);
  EXPECT_EQ(DrvEscape(card->pso(), SETCOPYCOUNT, 3, three.get(), 0, nullptr), kMinus(-1));
  EXPECT_EQ(DrvEscape(card->pso(), SETCOPYCOUNT, 4, nullptr, 0, nullptr), kMinus(-1));
  EXPECT_EQ(card->pdev()->cCopies, 1u);

  ULONG count = 7;
  auto small = std::make_unique<BYTE[]>(3);
  std::memset(small.get(), 0xAA, 3);
  EXPECT_EQ(DrvEscape(card->pso(), SETCOPYCOUNT, 4, &count, 3, small.get()), 1u);
  EXPECT_EQ(card->pdev()->cCopies, 7u);
  EXPECT_EQ(small[0], 0xAA);
  EXPECT_EQ(DrvEscape(card->pso(), SETCOPYCOUNT, 4, &count, 4, nullptr), 1u);
}

TEST_F(EscapeTest, InstanceEscapesNeedAValidInstance) {
  card->pdev()->dwEndSignature = 0;
  ULONG count = 5;
  for (ULONG iEsc : {SETCOPYCOUNT, SETMAGTRACK1, SETMAGTRACK2, SETMAGTRACK3, SETMAGMODE}) {
    EngSetLastError(0);
    EXPECT_EQ(DrvEscape(card->pso(), iEsc, 1, &count, 0, nullptr), 0u) << iEsc;
    EXPECT_EQ(EngGetLastError(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_EQ(DrvEscape(nullptr, SETCOPYCOUNT, 4, &count, 0, nullptr), 0u);
  EXPECT_EQ(card->pdev()->cCopies, 1u);
  card->pdev()->dwEndSignature = PDEV_SIGNATURE;
}

struct ModeCase {
  std::vector<char> input;
  ULONG result;
  WORD mode;
};

TEST_F(EscapeTest, MagneticModeTakesOneLetter) {
  card->priv().wMagMode = MAGMODE_R;
  for (const ModeCase& c :
       {ModeCase{{'W'}, 1, MAGMODE_W}, ModeCase{{'w'}, kMinus(-4), MAGMODE_W},
        ModeCase{{'Q'}, 1, MAGMODE_Q}, ModeCase{{'R'}, 1, MAGMODE_R},
        ModeCase{{'Q', 'R'}, kMinus(-2), MAGMODE_R}, ModeCase{{}, kMinus(-1), MAGMODE_R}}) {
    std::vector<char> input = c.input;
    EXPECT_EQ(DrvEscape(card->pso(), SETMAGMODE, static_cast<ULONG>(input.size()),
                        input.empty() ? nullptr : input.data(), 0, nullptr),
              c.result);
    EXPECT_EQ(card->priv().wMagMode, c.mode);
  }
}

// The whole field an escape writes.
std::u16string Field(const PRIVATEDEVMODE& dmp, ULONG iEsc) {
  switch (iEsc) {
    case SETMAGTRACK1:
      return {dmp.wszTrack1, CCH_TRACK1};
    case SETMAGTRACK2:
      return {dmp.wszTrack2, CCH_TRACK2};
    default:
      return {dmp.wszTrack3, CCH_TRACK3};
  }
}

TEST_F(EscapeTest, TracksAreStoredWholeOrNotAtAll) {
  for (ULONG iEsc : {SETMAGTRACK1, SETMAGTRACK2, SETMAGTRACK3}) {
    SCOPED_TRACE(iEsc);
    std::size_t capacity = Field(card->priv(), iEsc).size();

    std::u16string first(20, u'a');
    EXPECT_EQ(DrvEscape(card->pso(), iEsc, static_cast<ULONG>((first.size() + 1) * 2), first.data(),
                        0, nullptr),
              1u);
    // A shorter text without its terminator does not pick up the tail of the
    // first one.
    std::u16string second = u"BCD";
    EXPECT_EQ(DrvEscape(card->pso(), iEsc, 6, second.data(), 0, nullptr), 1u);
    EXPECT_EQ(Field(card->priv(), iEsc), u"BCD" + std::u16string(capacity - 3, u'\0'));

    // A text filling the field exactly is taken; one unit more is refused
    // and leaves the field as it was.
    std::u16string full(capacity, u'F');
    EXPECT_EQ(
        DrvEscape(card->pso(), iEsc, static_cast<ULONG>(capacity * 2), full.data(), 0, nullptr),
        1u);
    EXPECT_EQ(Field(card->priv(), iEsc), full);
    std::u16string over(capacity + 1, u'O');
    EXPECT_EQ(
        DrvEscape(card->pso(), iEsc, static_cast<ULONG>(over.size() * 2), over.data(), 0, nullptr),
        kMinus(-3));
    EXPECT_EQ(Field(card->priv(), iEsc), full);

    EXPECT_EQ(DrvEscape(card->pso(), iEsc, 0, nullptr, 0, nullptr), kMinus(-1));
    EXPECT_EQ(DrvEscape(card->pso(), iEsc, 4, nullptr, 0, nullptr), kMinus(-1));
    EXPECT_EQ(Field(card->priv(), iEsc), full);
  }
}

// The stream frames the track texts with control bytes (SO between tracks,
// CR at the end, ESC before a sequence): a text holding any control
// character is refused as an over-long one is, and the field is kept.
TEST_F(EscapeTest, TracksWithControlCharactersAreRefused) {
  struct Case {
    const char* what;
    std::u16string text;
    ULONG cb;  // bytes handed over; 0: the text and its terminator
    ULONG result;
  };
  const Case cases[] = {
      {"SO ends the track",
       u"12\x0E"
       u"34",
       0, kMinus(-3)},
      {"CR ends the data", u"12\r", 0, kMinus(-3)},
      {"ESC starts a sequence",
       u"\x1B"
       u"P",
       0, kMinus(-3)},
      {"SOH", u"\x01", 0, kMinus(-3)},
      {"DEL", u"A\x7F", 0, kMinus(-3)},
      {"odd last byte stored as SO", u"1\x0E", 3, kMinus(-3)},
      {"after the terminator: not part of the text", std::u16string(u"12\0\x0E", 4), 8, 1},
      {"space to tilde and beyond", u" ~\x80\u00E9", 0, 1},
  };
  for (ULONG iEsc : {SETMAGTRACK1, SETMAGTRACK2, SETMAGTRACK3}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + " on escape " + std::to_string(iEsc));
      std::u16string before = u"5678";
      ASSERT_EQ(DrvEscape(card->pso(), iEsc, 10, before.data(), 0, nullptr), 1u);
      std::u16string text = c.text;
      ULONG cb = c.cb != 0 ? c.cb : static_cast<ULONG>((text.size() + 1) * 2);
      EXPECT_EQ(DrvEscape(card->pso(), iEsc, cb, text.data(), 0, nullptr), c.result);
      std::u16string field = Field(card->priv(), iEsc);
      std::u16string stored = field.substr(0, field.find(u'\0'));
      EXPECT_EQ(stored, c.result == 1 ? text.substr(0, text.find(u'\0')) : before);
    }
  }
}

}  // namespace
