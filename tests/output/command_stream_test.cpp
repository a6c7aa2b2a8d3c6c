// The printer's command sequences, byte for byte and write for write, and the
// routines that build their parameters.
#include "output/command_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/byte_diff.h"
#include "support/host_fixture.h"

using namespace std::string_view_literals;

namespace {

// ---- Parameters ----

struct IntegerListCase {
  const char* name;
  const char* widths;
  std::vector<LONG> values;
  std::string_view expected;
};

void PrintTo(const IntegerListCase& c, std::ostream* os) { *os << c.name; }

const IntegerListCase kIntegerListCases[] = {
    {"Position", "34", {5, 12}, "0050012"sv},
    {"EmptyWidths", "", {5, 12}, ""sv},
    {"LongerValueWrittenInFull", "1", {123}, "123"sv},
    {"NegativeFillsInFrontOfSign", "4", {-3}, "00-3"sv},
    {"NegativeFitsWidth", "2", {-3}, "-3"sv},
    {"WidthZeroMeansNoFill", "0", {7}, "7"sv},
    {"MostNegative", "2", {INT32_MIN}, "-2147483648"sv},
    {"OverlayArea", "144441", {0, 20, 10, 220, 110, 1}, "000200010022001101"sv},
    {"FewerValuesThanWidths", "22", {1}, "01"sv},
    {"FewerWidthsThanValues", "2", {1, 2}, "01"sv},
};

class IntegerListTest : public ::testing::TestWithParam<IntegerListCase> {};

TEST_P(IntegerListTest, BuildsDecimalFields) {
  const IntegerListCase& c = GetParam();
  std::string out(80, 'x');
  FormatIntegerListV(out.data(), c.widths, c.values);
  EXPECT_BYTES_EQ(c.expected, std::string_view(out.c_str()));
}

INSTANTIATE_TEST_SUITE_P(Fields, IntegerListTest, ::testing::ValuesIn(kIntegerListCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IntegerListTest, TakesNarrowAndUnsignedValues) {
  char out[32];
  FormatIntegerList(out, "3441", WORD{656}, ULONG{999}, SHORT{-1}, 1 - WORD{2});
  EXPECT_BYTES_EQ("656099900-1-1"sv, std::string_view(out));
}

struct HexCase {
  ULONG value;
  std::string_view expected;  // the six bytes, least significant first
};

TEST(ConvertIntegerToHexTest, StoresSixBytesLeastSignificantFirst) {
  const HexCase cases[] = {
      {0x0A4000, "\x00\x40\x0A\x00\x00\x00"sv},
      {656, "\x90\x02\x00\x00\x00\x00"sv},
      {0, "\0\0\0\0\0\0"sv},
      {0xFFFFFFFF, "\xFF\xFF\xFF\xFF\x00\x00"sv},
  };
  for (const HexCase& c : cases) {
    BYTE bytes[CB_INTEGER_BYTES];
    ConvertIntegerToHex(bytes, c.value);
    EXPECT_BYTES_EQ(c.expected, std::span<const BYTE>(bytes)) << "value " << c.value;
  }
}

TEST(MyprintfTest, ReturnsEveryByteProducedZeroBytesIncluded) {
  char buffer[16];
  EXPECT_EQ(myprintf(buffer, "%cc%c%c", ESC, 'Y', CR), 4u);
  EXPECT_EQ(myprintf(buffer, "%c%c%c", 0, 0, 0), 3u);
  EXPECT_EQ(myprintf(buffer, ""), 0u);
}

// ---- Sequences ----

using Send = std::function<void(HANDLE printer, void* buffer)>;

struct SequenceCase {
  const char* name;
  Send send;
  std::vector<std::string_view> writes;  // each write's exact bytes
};

void PrintTo(const SequenceCase& c, std::ostream* os) { *os << c.name; }

std::string Repeat(char ch, std::size_t count) { return std::string(count, ch); }

// Long track texts, and what is left of them once cut.
const std::string kTrack1Long = Repeat('A', 120);
const std::string kTrack2Long = Repeat('2', 120);
const std::string kTrack3Long = Repeat('3', 200);
const std::string kTrack1Cut = "\x1bMR1" + Repeat('A', 99) + "\x0e";
const std::string kTrack2Cut = "2" + Repeat('2', 99) + "\x0e";
const std::string kTrack3Cut = "3" + Repeat('3', 149) + "\x0e\r";

const SequenceCase kSequenceCases[] = {
    // The rows of a one-page document with default settings.
    {"DocumentStartLandscape", [](HANDLE h, void* b) { SendDocumentStart(h, b, 0); },
     {"\x1bPL\r"sv}},
    {"AdjustmentsAllZero", [](HANDLE h, void* b) { SendAdjustments(h, b, 0, 0, 0, 0); },
     {"\x1b" "d0505050005\r"sv}},
    {"PageStart", [](HANDLE h, void* b) { SendPageStart(h, b); }, {"\x1b\x01\r"sv}},
    {"PanelResetYellow", [](HANDLE h, void* b) { SendPanelReset(h, b, Panel::Yellow); },
     {"\x1b" "cY\r"sv}},
    {"PanelResetMagenta", [](HANDLE h, void* b) { SendPanelReset(h, b, Panel::Magenta); },
     {"\x1b" "cM\r"sv}},
    {"PanelResetCyan", [](HANDLE h, void* b) { SendPanelReset(h, b, Panel::Cyan); },
     {"\x1b" "cC\r"sv}},
    {"PanelResetBlack", [](HANDLE h, void* b) { SendPanelReset(h, b, Panel::Black); },
     {"\x1b" "cK\r"sv}},
    {"PanelResetOverlay", [](HANDLE h, void* b) { SendPanelReset(h, b, Panel::Overlay); },
     {"\x1b" "cO\r"sv}},
    // A full card: the size bytes 0A 40 00 hold a line feed and a zero byte.
    {"PanelHeaderYellowFullCard",
     [](HANDLE h, void* b) { SendPanelHeader(h, b, Panel::Yellow, 0, 0, 656, 1024); },
     {"\x1b" "eY000000011\x0a\x40\x00\x02\x90S"sv}},
    {"PanelHeaderMagentaFullCard",
     [](HANDLE h, void* b) { SendPanelHeader(h, b, Panel::Magenta, 0, 0, 656, 1024); },
     {"\x1b" "eM000000011\x0a\x40\x00\x02\x90S"sv}},
    {"PanelHeaderCyanFullCard",
     [](HANDLE h, void* b) { SendPanelHeader(h, b, Panel::Cyan, 0, 0, 656, 1024); },
     {"\x1b" "eC000000011\x0a\x40\x00\x02\x90S"sv}},
    {"PanelHeaderBlackFullCard",
     [](HANDLE h, void* b) { SendPanelHeader(h, b, Panel::Black, 0, 0, 656, 1024); },
     {"\x1b" "eK000000011\x0a\x40\x00\x02\x90S"sv}},
    {"PanelTrailerYellowOneCopy",
     [](HANDLE h, void* b) { SendPanelTrailer(h, b, Panel::Yellow, 1); },
     {"\r\x1b" "aY0001\r"sv}},
    {"PanelTrailerMagentaOneCopy",
     [](HANDLE h, void* b) { SendPanelTrailer(h, b, Panel::Magenta, 1); },
     {"\r\x1b" "aM0001\r"sv}},
    {"PanelTrailerCyanOneCopy", [](HANDLE h, void* b) { SendPanelTrailer(h, b, Panel::Cyan, 1); },
     {"\r\x1b" "aC0001\r"sv}},
    {"PanelTrailerBlackOneCopy",
     [](HANDLE h, void* b) { SendPanelTrailer(h, b, Panel::Black, 1); },
     {"\r\x1b" "aK0001\r"sv}},
    {"OverlayTrailerOneCopy", [](HANDLE h, void* b) { SendOverlayTrailer(h, b, 1); },
     {"\x1b" "aO0001\r"sv}},
    {"DocumentEnd", [](HANDLE h, void* b) { SendDocumentEnd(h, b); }, {"\x1b\x04\r"sv}},

    // Document start: only mode 1 selects "D".
    {"DocumentStartModeOne", [](HANDLE h, void* b) { SendDocumentStart(h, b, 1); },
     {"\x1bPD\r"sv}},
    {"DocumentStartOtherMode", [](HANDLE h, void* b) { SendDocumentStart(h, b, 0xFFFF); },
     {"\x1bPL\r"sv}},

    // Adjustments: fields in the order 2, 1, 4, constant 0, 3.
    {"AdjustmentsFieldOrder", [](HANDLE h, void* b) { SendAdjustments(h, b, 1, 2, 3, 4); },
     {"\x1b" "d0704090008\r"sv}},
    {"AdjustmentOf95GrowsItsField", [](HANDLE h, void* b) { SendAdjustments(h, b, 0, 95, 0, 0); },
     {"\x1b" "d10005050005\r"sv}},
    {"AdjustmentsNegativeFields", [](HANDLE h, void* b) { SendAdjustments(h, b, 8, -6, 0, 0); },
     {"\x1b" "d-1-3050005\r"sv}},
    {"AdjustmentAtLimitWrapsWithoutOverflow",
     [](HANDLE h, void* b) { SendAdjustments(h, b, INT32_MIN, INT32_MAX, 0, 0); },
     {"\x1b" "d-2147483644-2147483643050005\r"sv}},

    // Magnetic track data.
    {"TrackDataModeQ",
     [](HANDLE h, void* b) { EXPECT_TRUE(SendTrackData(h, b, 0, "T1", "T2", "T3")); },
     {"\x1bMQ\r"sv}},
    {"TrackDataModeRAllTracks",
     [](HANDLE h, void* b) { EXPECT_TRUE(SendTrackData(h, b, 1, "ABC", "123", "9")); },
     {"\x1bMR1ABC\x0e"sv, "2123\x0e"sv, "39\x0e\r"sv}},
    {"TrackDataModeWOnlyTrack2",
     [](HANDLE h, void* b) { EXPECT_TRUE(SendTrackData(h, b, 2, "", "12345", "")); },
     {"\x1bMW1\x0e"sv, "212345\x0e"sv, "3\x0e\r"sv}},
    {"TrackDataNullTextsAreEmpty",
     [](HANDLE h, void* b) { EXPECT_TRUE(SendTrackData(h, b, 1, nullptr, nullptr, nullptr)); },
     {"\x1bMR1\x0e"sv, "2\x0e"sv, "3\x0e\r"sv}},
    {"TrackDataLongTextsAreCut",
     [](HANDLE h, void* b) {
       EXPECT_TRUE(SendTrackData(h, b, 1, kTrack1Long.c_str(), kTrack2Long.c_str(),
                                 kTrack3Long.c_str()));
     },
     {kTrack1Cut, kTrack2Cut, kTrack3Cut}},
    {"TrackDataUnknownModeSendsNothing",
     [](HANDLE h, void* b) { EXPECT_FALSE(SendTrackData(h, b, 3, "A", "B", "C")); },
     {}},

    // Panel header: position fields and raw counts that hold CR and ESC.
    {"PanelHeaderPosition",
     [](HANDLE h, void* b) { SendPanelHeader(h, b, Panel::Black, 5, 12, 100, 200); },
     {"\x1b" "eK005001211\x00\x4e\x20\x00\x64S"sv}},
    {"PanelHeaderRawBytesHoldControlBytes",
     [](HANDLE h, void* b) { SendPanelHeader(h, b, Panel::Cyan, 655, 1023, 0x0D1B, 1); },
     {"\x1b" "eC655102311\x00\x0d\x1b\x0d\x1bS"sv}},

    // Copy counts.
    {"PanelTrailer999Copies", [](HANDLE h, void* b) { SendPanelTrailer(h, b, Panel::Black, 999); },
     {"\r\x1b" "aK0999\r"sv}},
    {"PanelTrailerCountBeyondFourDigits",
     [](HANDLE h, void* b) { SendPanelTrailer(h, b, Panel::Yellow, 12345); },
     {"\r\x1b" "aY12345\r"sv}},
    {"OverlayTrailer999Copies", [](HANDLE h, void* b) { SendOverlayTrailer(h, b, 999); },
     {"\x1b" "aO0999\r"sv}},

    // Overlay areas: index, y, x, y + cy, x + cx, 1 - type.
    {"OverlayAreaTypeZero",
     [](HANDLE h, void* b) { SendOverlayArea(h, b, 0, 0, 10, 20, 100, 200); },
     {"\x1b" "eO000200010022001101\r"sv}},
    {"OverlayAreaTypeOne",
     [](HANDLE h, void* b) { SendOverlayArea(h, b, 3, 1, 0, 0, 655, 1023); },
     {"\x1b" "eO300000000102306550\r"sv}},
};

class SequenceTest : public HostEngineTest, public ::testing::WithParamInterface<SequenceCase> {};

// Each sequence goes out in exactly the writes listed, byte for byte. The
// scratch buffer is exactly the size promised, so the sanitizer build catches
// a sequence that outgrows it.
TEST_P(SequenceTest, WritesExactBytes) {
  const SequenceCase& c = GetParam();
  HANDLE printer = engine.spooler().OpenPrinter();
  std::vector<char> buffer(CB_COMMAND_BUFFER);
  c.send(printer, buffer.data());
  auto writes = engine.spooler().Writes(printer);
  ASSERT_EQ(writes.size(), c.writes.size());
  for (std::size_t i = 0; i < writes.size(); ++i) {
    EXPECT_BYTES_EQ(c.writes[i], writes[i]) << "write " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Sequences, SequenceTest, ::testing::ValuesIn(kSequenceCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The header of a full card keeps its 18 bytes although its size bytes hold a
// line feed and a zero.
TEST_F(HostEngineTest, FullCardPanelHeaderIsEighteenBytes) {
  HANDLE printer = engine.spooler().OpenPrinter();
  std::vector<char> buffer(CB_COMMAND_BUFFER);
  SendPanelHeader(printer, buffer.data(), Panel::Yellow, 0, 0, 656, 1024);
  EXPECT_EQ(engine.spooler().Output(printer).size(), 18u);
}

// A failing spooler does not stop the sequences: every write is still tried.
TEST_F(HostEngineTest, FailedWritesAreNotRetriedOrSkipped) {
  HANDLE printer = engine.spooler().OpenPrinter();
  engine.spooler().FailWritesFrom(printer, 1);
  std::vector<char> buffer(CB_COMMAND_BUFFER);
  EXPECT_TRUE(SendTrackData(printer, buffer.data(), 2, "A", "B", "C"));
  SendDocumentEnd(printer, buffer.data());
  EXPECT_EQ(engine.spooler().FailedWrites(printer), 4u);
}

}  // namespace
