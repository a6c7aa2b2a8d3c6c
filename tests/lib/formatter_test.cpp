// The formatter's conversions, its edge cases, and the type-checked front.
#include "lib/formatter.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/byte_diff.h"

using namespace std::string_view_literals;

namespace {

struct FormatCase {
  const char* name;
  const char* format;
  std::vector<FORMATARG> args;
  std::string_view expected;  // every byte before the closing NUL
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

FORMATARG Word(ULONG ul) { return {ul, nullptr}; }
FORMATARG Text(const char* psz) { return {0, psz}; }

const FormatCase kFormatCases[] = {
    {"EmptyFormat", "", {}, ""sv},
    {"PlainText", "card", {}, "card"sv},
    {"DecimalZero", "%d", {Word(0)}, "0"sv},
    {"DecimalPositive", "%d", {Word(1024)}, "1024"sv},
    {"DecimalNegative", "%d", {Word(static_cast<ULONG>(-45))}, "-45"sv},
    {"DecimalMostNegative", "%d", {Word(0x80000000u)}, "-2147483648"sv},
    {"DecimalAllOnesIsMinusOne", "%d", {Word(0xFFFFFFFFu)}, "-1"sv},
    {"LIsDecimalOfItsOwn", "%ld", {Word(7)}, "7d"sv},
    {"LNegative", "%l", {Word(static_cast<ULONG>(INT_MIN))}, "-2147483648"sv},
    {"UnsignedAllOnes", "%u", {Word(0xFFFFFFFFu)}, "4294967295"sv},
    {"UnsignedZero", "%u", {Word(0)}, "0"sv},
    {"HexZero", "%x", {Word(0)}, "0"sv},
    {"HexAllOnes", "%x", {Word(0xFFFFFFFFu)}, "FFFFFFFF"sv},
    {"HexLowerLetterUpperDigits", "%x", {Word(0x1A)}, "1A"sv},
    {"HexUpperLetter", "%X", {Word(0x1A)}, "1A"sv},
    {"HexInnerZerosKept", "%X", {Word(0x10203)}, "10203"sv},
    {"String", "<%s>", {Text("ribbon")}, "<ribbon>"sv},
    {"EmptyString", "<%s>", {Text("")}, "<>"sv},
    {"Character", "%c", {Word('Y')}, "Y"sv},
    {"CharacterLowByteOnly", "%c", {Word(0x1241)}, "A"sv},
    {"CharacterZeroMidFormat", "a%cb", {Word(0)}, "a\0b"sv},
    {"CharacterZeroAtEnd", "%c%c", {Word(0x1B), Word(0)}, "\x1b\0"sv},
    {"BooleanTrue", "%b", {Word(1)}, "true"sv},
    {"BooleanHighBit", "%b", {Word(0x80000000u)}, "true"sv},
    {"BooleanFalse", "%b", {Word(0)}, "false"sv},
    {"PSRealWhole", "%f", {Word(11520)}, "45"sv},
    {"PSRealNegativeHalf", "%f", {Word(static_cast<ULONG>(-384))}, "-1.5"sv},
    {"PSRealSmallest", "%f", {Word(1)}, "0.004"sv},
    {"PSRealNegativeSmallest", "%f", {Word(static_cast<ULONG>(-1))}, "-0.004"sv},
    {"PSRealQuarter", "%f", {Word(320)}, "1.25"sv},
    {"PSRealHalf", "%f", {Word(128)}, "0.5"sv},
    {"PSRealLargestFraction", "%f", {Word(255)}, "0.996"sv},
    {"PSRealZero", "%f", {Word(0)}, "0"sv},
    {"PSRealMostNegative", "%f", {Word(0x80000000u)}, "-8388608"sv},
    {"DoublePercent", "100%%", {}, "100%"sv},
    {"UnknownConversionIsItself", "%q%Z", {}, "qZ"sv},
    {"LonePercentEndsOutput", "ab%", {}, "ab"sv},
    {"OnlyPercent", "%", {}, ""sv},
    {"ArgumentsInOrder", "%d,%s,%c,%x", {Word(1), Text("two"), Word('3'), Word(4)}, "1,two,3,4"sv},
    {"MissingArgumentsAreZero", "%d%s%c|", {}, "0\0|"sv},
    {"StringWithoutPointer", "[%s]", {Word(5)}, "[]"sv},
};

class FormatterTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatterTest, WritesExactBytesCountsThemAndCloses) {
  const FormatCase& c = GetParam();
  std::vector<char> buffer(64, '\xCC');
  ULONG count = VSPRINTF(buffer.data(), c.format, c.args);
  ASSERT_EQ(count, c.expected.size());
  EXPECT_BYTES_EQ(c.expected, std::string_view(buffer.data(), count));
  EXPECT_EQ(buffer[count], '\0');
  EXPECT_EQ(buffer[count + 1], '\xCC') << "wrote past the closing NUL";
}

INSTANTIATE_TEST_SUITE_P(Conversions, FormatterTest, ::testing::ValuesIn(kFormatCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The front turns each argument into the word or string the formatter walks:
// narrow signed values are sign-extended, unsigned ones are not.
TEST(SprintfTest, ConvertsArgumentsAsTheFormatterExpects) {
  char buffer[128];
  const char szPanel[] = "YMC";
  char* pszMutable = buffer + 100;
  pszMutable[0] = 'K';
  pszMutable[1] = '\0';
  ULONG count = SPRINTF(buffer, "%d %u %u %u %c %s %s %s %b %b %f", SHORT{-5}, SHORT{-5},
                        USHORT{65535}, BYTE{0x90}, '\x41', szPanel, "lit", pszMutable, true, false,
                        LONG{-384});
  EXPECT_BYTES_EQ("-5 4294967291 65535 144 A YMC lit K true false -1.5"sv,
                  std::string_view(buffer, count));
}

TEST(SprintfTest, CountsZeroBytes) {
  char buffer[8];
  EXPECT_EQ(SPRINTF(buffer, "%c%c%c", 0, 0, 0), 3u);
  EXPECT_BYTES_EQ("\0\0\0\0"sv, std::string_view(buffer, 4));
}

// Only 32-bit words and 8-bit strings reach the formatter; wider integers,
// floating-point values and UTF-16 strings are refused when compiled.
static_assert(FormatArg<LONG> && FormatArg<ULONG> && FormatArg<char> && FormatArg<bool>);
static_assert(FormatArg<const char*> && FormatArg<char*>);
static_assert(!FormatArg<long long> && !FormatArg<std::size_t> && !FormatArg<double>);
static_assert(!FormatArg<const WCHAR*> && !FormatArg<const BYTE*> && !FormatArg<void*>);

}  // namespace
