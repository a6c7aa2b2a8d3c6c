// Bounded copies and code-page conversions of texts.
#include "lib/string_copy.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/byte_diff.h"
#include "support/host_fixture.h"

using namespace std::string_view_literals;

namespace {

constexpr char kUntouched = '\x7E';

struct CopyCase {
  const char* name;
  std::string_view source;  // without its NUL
  ULONG size;
  std::string_view expected;  // the first size positions of the destination
};

void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.name; }

const CopyCase kCopyCases[] = {
    {"LongSourceIsCut", "ABCDEFG", 5, "ABCD\0"sv},
    {"ShortSourceIsZeroFilled", "AB", 5, "AB\0\0\0"sv},
    {"SourceFillsExactly", "ABCD", 5, "ABCD\0"sv},
    {"EmptySource", "", 3, "\0\0\0"sv},
    {"SizeOneHoldsOnlyTheNul", "ABC", 1, "\0"sv},
    {"SizeZeroWritesNothing", "ABC", 0, ""sv},
};

class CopyStringTest : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CopyStringTest, Narrow) {
  const CopyCase& c = GetParam();
  std::string source(c.source);
  std::vector<char> destination(8, kUntouched);
  CopyStringA(destination.data(), source.c_str(), c.size);
  std::string expected(c.expected);
  expected.append(destination.size() - c.size, kUntouched);
  EXPECT_BYTES_EQ(expected, destination);
}

TEST_P(CopyStringTest, Wide) {
  const CopyCase& c = GetParam();
  std::u16string source(c.source.begin(), c.source.end());
  std::vector<WCHAR> destination(8, u'\x7E7E');
  CopyStringW(destination.data(), source.c_str(), c.size);
  std::u16string expected(c.expected.begin(), c.expected.end());
  expected.append(destination.size() - c.size, u'\x7E7E');
  EXPECT_EQ(expected, std::u16string(destination.begin(), destination.end()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CopyStringTest, ::testing::ValuesIn(kCopyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Conversions go through the host's ANSI code page, Windows-1252.
using CodePageCopyTest = HostEngineTest;

struct ConvertCase {
  const char* name;
  std::string_view narrow;    // the 8-bit text, without its NUL
  std::u16string_view wide;   // the same text in UTF-16
  LONG count;
  std::u16string_view expectedWide;  // the first n positions after conversion
  std::string_view expectedNarrow;
};

void PrintTo(const ConvertCase& c, std::ostream* os) { *os << c.name; }

const ConvertCase kConvertCases[] = {
    {"WholeTextWithCountZero", "Card", u"Card", 0, u"Card\0"sv, "Card\0"sv},
    {"NegativeCountIsWholeText", "Card", u"Card", -1, u"Card\0"sv, "Card\0"sv},
    {"CountCutsAndEndsInNul", "Magnetic", u"Magnetic", 4, u"Mag\0"sv, "Mag\0"sv},
    {"CountAboveLengthLeavesRest", "AB", u"AB", 3, u"AB\0"sv, "AB\0"sv},
    {"CodePageCharacters", "\x80\xE9", u"\u20AC\u00E9", 0, u"\u20AC\u00E9\0"sv, "\x80\xE9\0"sv},
};

class ConvertTest : public CodePageCopyTest, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(ConvertTest, NarrowToWide) {
  const ConvertCase& c = GetParam();
  std::string source(c.narrow);
  std::vector<WCHAR> destination(16, u'\x7E7E');
  EXPECT_EQ(CopyStr2Unicode(destination.data(), source.c_str(), c.count), destination.data());
  std::u16string expected(c.expectedWide);
  expected.append(destination.size() - expected.size(), u'\x7E7E');
  EXPECT_EQ(expected, std::u16string(destination.begin(), destination.end()));
}

TEST_P(ConvertTest, WideToNarrow) {
  const ConvertCase& c = GetParam();
  std::u16string source(c.wide);
  std::vector<char> destination(16, kUntouched);
  EXPECT_EQ(CopyUnicode2Str(destination.data(), source.c_str(), c.count), destination.data());
  std::string expected(c.expectedNarrow);
  expected.append(destination.size() - expected.size(), kUntouched);
  EXPECT_BYTES_EQ(expected, destination);
}

INSTANTIATE_TEST_SUITE_P(Counts, ConvertTest, ::testing::ValuesIn(kConvertCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CodePageCopyTest, UnmappableCharacterBecomesQuestionMark) {
  char destination[4];
  CopyUnicode2Str(destination, u"A\u4E00B", 0);
  EXPECT_BYTES_EQ("A?B\0"sv, std::string_view(destination, 4));
}

}  // namespace
