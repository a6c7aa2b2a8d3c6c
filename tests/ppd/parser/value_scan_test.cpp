#include "ppd/parser/value_scan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/block_heap.h"
#include "lib/pool_tags.h"
#include "ppd/parser/parser.h"
#include "support/byte_diff.h"
#include "support/host_fixture.h"

namespace {

TEST(BufObj, AppendsUpToItsCapacityAndStaysTerminated) {
  char storage[6] = {};  // capacity 5 and the zero guard byte
  BUFOBJ buf;
  BUFOBJ_Initialize(&buf, storage, 5);
  EXPECT_EQ(BUFOBJ_AddString(&buf, "ab"), PPDERR_NONE);
  EXPECT_EQ(BUFOBJ_AddString(&buf, "cd"), PPDERR_NONE);
  EXPECT_STREQ(buf.text, "abcd");
  EXPECT_EQ(BUFOBJ_AddString(&buf, "efg"), PPDERR_MEMORY);
  EXPECT_EQ(buf.length, 5u);
  EXPECT_STREQ(buf.text, "abcde");
  BUFOBJ_Reset(&buf);
  EXPECT_EQ(buf.length, 0u);
  EXPECT_STREQ(buf.text, "");
}

// Every length up to past the longest copied in small moves, over a longer
// text: the new text and its terminator, and behind them the storage as the
// longer text left it.
TEST(BufObj, SetTextHoldsTextsOfEveryLength) {
  std::string source;
  for (int i = 0; i < 80; ++i) source += static_cast<char>('!' + i);
  const std::string_view longer = std::string_view(source).substr(5, 75);
  for (std::size_t n = 0; n <= 70; ++n) {
    std::string storage(82, '#');
    BUFOBJ buf;
    BUFOBJ_Initialize(&buf, storage.data(), 80);
    BUFOBJ_SetText(&buf, longer);
    BUFOBJ_SetText(&buf, std::string_view(source).substr(0, n));
    std::string expected = std::string(longer) + '\0' + "######";
    expected.replace(0, n, source, 0, n);
    expected[n] = '\0';
    EXPECT_EQ(buf.length, n);
    EXPECT_EQ(storage, expected) << "length " << n;
  }
}

TEST(BufObj, StripsTrailingSpacesAndTabsOnly) {
  struct Case {
    const char* text;
    const char* stripped;
  };
  constexpr Case kCases[] = {
      {"*PageSize \t ", "*PageSize"}, {"a\r", "a\r"}, {"   ", ""}, {"", ""}, {" a b", " a b"}};
  for (const Case& c : kCases) {
    char storage[41] = {};
    BUFOBJ buf;
    BUFOBJ_Initialize(&buf, storage, 40);
    BUFOBJ_AddString(&buf, c.text);
    BUFOBJ_StripTrailingSpaces(&buf);
    EXPECT_STREQ(buf.text, c.stripped) << '"' << c.text << '"';
    EXPECT_EQ(buf.length, std::string(c.stripped).size());
  }
}

TEST(GetWordStr, TakesWordsSeparatedBySpacesAndTabs) {
  const char* cursor = "  30 AnySetup\t*PageSize";
  char word[MAX_WORD_LEN];
  std::vector<std::string> words;
  while (GetWordStr(&cursor, MAX_WORD_LEN, word) != 0) words.emplace_back(word);
  EXPECT_EQ(words, (std::vector<std::string>{"30", "AnySetup", "*PageSize"}));
  EXPECT_EQ(GetWordStr(&cursor, MAX_WORD_LEN, word), 0);
  EXPECT_STREQ(word, "");
}

TEST(GetWordStr, KeepsTheFirst39CharactersOfALongWordAndPassesOverTheRest) {
  const std::string text = std::string(50, 'x') + " next";
  const char* cursor = text.c_str();
  char word[MAX_WORD_LEN];
  EXPECT_EQ(GetWordStr(&cursor, MAX_WORD_LEN, word), 39);
  EXPECT_EQ(std::string(word), std::string(39, 'x'));
  EXPECT_EQ(GetWordStr(&cursor, MAX_WORD_LEN, word), 4);
  EXPECT_STREQ(word, "next");
}

// WordsIn takes its words from masks of the first 64 characters when the
// text ends there, and word by word otherwise; either way they are the
// words NextWord takes one after another, at the same places.
TEST(WordsIn, TakesTheWordsNextWordTakes) {
  const std::string longWord(70, 'w');
  for (const std::string& text :
       {std::string(), std::string(" \t "), std::string("a"), std::string(" a  b\tc "),
        std::string("one two three four five"), std::string(62, 'x') + " y", std::string(63, 'x'),
        std::string(64, 'x'), "*F " + longWord + " *G o", std::string(60, ' ') + "late words"}) {
    std::vector<char> storage(text.begin(), text.end());
    storage.resize(text.size() + 80, '\0');  // the terminator, and room to read on
    std::string_view words[4];
    WordsIn(storage.data(), storage.data() + storage.size(), words);
    const char* cursor = storage.data();
    for (const std::string_view word : words) {
      const std::string_view expected = NextWord(&cursor);
      EXPECT_EQ(word.data(), expected.data()) << '"' << text << '"';
      EXPECT_EQ(word.size(), expected.size()) << '"' << text << '"';
    }
  }
}

TEST(EqualWordString, MatchesAWholeWordAtTheStart) {
  struct Case {
    const char* word;
    const char* text;
    BOOL equal;
  };
  constexpr Case kCases[] = {
      {"True", "True", TRUE},   {"True", "True and more", TRUE}, {"True", "True\tx", TRUE},
      {"True", "Trueish", FALSE}, {"True", "Tru", FALSE},        {"True", "true", FALSE},
      {"", "", TRUE},           {"", " x", TRUE},                {"", "x", FALSE},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(EqualWordString(c.word, c.text), c.equal) << c.word << " / " << c.text;
  }
}

TEST(SearchStringTable, YieldsTheRowCodeOrTheEndRowCode) {
  constexpr STRTABLE kTable[] = {{"One", 1}, {"Two", 2}, {nullptr, 99}};
  WORD code = 0;
  EXPECT_TRUE(SearchStringTable(kTable, "Two words", &code));
  EXPECT_EQ(code, 2);
  EXPECT_FALSE(SearchStringTable(kTable, "Three", &code));
  EXPECT_EQ(code, 99);
  EXPECT_TRUE(SearchStringTable(boolStrs, "True", &code));
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(SearchStringTable(boolStrs, "Yes", &code));
  EXPECT_EQ(code, 0);
}

TEST(GetBooleanValue, ReadsTrueAndFalse) {
  ULONG value = 7;
  EXPECT_EQ(GetBooleanValue(&value, "True"), PPDERR_NONE);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(GetBooleanValue(&value, "False"), PPDERR_NONE);
  EXPECT_EQ(value, 0u);
  value = 7;
  EXPECT_EQ(GetBooleanValue(&value, "Maybe"), PPDERR_SYNTAX);
  EXPECT_EQ(value, 0u);
}

TEST(GetIntegerValue, ReadsLeadingDigits) {
  struct Case {
    const char* text;
    WORD result;
    ULONG value;  // 555 when untouched
  };
  constexpr Case kCases[] = {
      {"12abc", PPDERR_NONE, 12},  {"0", PPDERR_NONE, 0},         {"-34", PPDERR_NONE, 0},
      {"4294967295", PPDERR_NONE, 4294967295u}, {"abc", PPDERR_SYNTAX, 555}, {"-", PPDERR_SYNTAX, 555},
      {"", PPDERR_SYNTAX, 555},    {" 5", PPDERR_SYNTAX, 555},
  };
  for (const Case& c : kCases) {
    ULONG value = 555;
    EXPECT_EQ(GetIntegerValue(&value, c.text), c.result) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(GetRealValue, ReadsFixedPointRoundedToTheNearest256th) {
  struct Case {
    const char* text;
    WORD result;
    LONG value;  // 555 when untouched
  };
  constexpr Case kCases[] = {
      {"157.4399", PPDERR_NONE, 40305}, {"245.7598", PPDERR_NONE, 62915},
      {"30", PPDERR_NONE, 7680},        {".5", PPDERR_NONE, 128},
      {"5.", PPDERR_NONE, 1280},        {"-2.5", PPDERR_NONE, 0},
      {"0.00195", PPDERR_NONE, 0},      {"0.00196", PPDERR_NONE, 1},
      // Only five fraction digits count: the sixth would have rounded up.
      {"0.001959", PPDERR_NONE, 0},     {"1.5xyz", PPDERR_NONE, 384},
      {".", PPDERR_SYNTAX, 555},        {"-", PPDERR_SYNTAX, 555},
      {"x1", PPDERR_SYNTAX, 555},       {"", PPDERR_SYNTAX, 555},
  };
  for (const Case& c : kCases) {
    LONG value = 555;
    EXPECT_EQ(GetRealValue(&value, c.text), c.result) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
}

TEST(HexValue, GivesTheDigitValue) {
  EXPECT_EQ(HexValue('0'), 0);
  EXPECT_EQ(HexValue('9'), 9);
  EXPECT_EQ(HexValue('a'), 10);
  EXPECT_EQ(HexValue('f'), 15);
  EXPECT_EQ(HexValue('A'), 10);
  EXPECT_EQ(HexValue('F'), 15);
}

TEST(StripKeywordChar, StepsOverOneAsterisk) {
  EXPECT_EQ(StripKeywordChar("*"), nullptr);
  EXPECT_EQ(StripKeywordChar(""), nullptr);
  EXPECT_STREQ(StripKeywordChar("**x"), "*x");
  EXPECT_STREQ(StripKeywordChar("*PageSize"), "PageSize");
  EXPECT_STREQ(StripKeywordChar("PageSize"), "PageSize");
}

class GetStringValueTest : public HostEngineTest {
 protected:
  void SetUp() override {
    heap = HEAPOBJ_Create();
    ASSERT_NE(heap, nullptr);
    BUFOBJ_Initialize(&buf, storage, sizeof(storage) - 1);
  }
  void TearDown() override {
    HEAPOBJ_Delete(heap);
    HostEngineTest::TearDown();
  }
  WORD Copy(const char* text, ULONG mode) {
    BUFOBJ_Reset(&buf);
    BUFOBJ_AddString(&buf, text);
    return GetStringValue(&field, &buf, heap, mode);
  }

  HEAPOBJ* heap = nullptr;
  char storage[65] = {};
  BUFOBJ buf{};
  CHAR* field = nullptr;
};

TEST_F(GetStringValueTest, QuotedModeDecodesHexSubstrings) {
  struct Case {
    const char* text;
    WORD result;
    std::string_view bytes;
  };
  const Case kCases[] = {
      {"A<1B>B", PPDERR_NONE, std::string_view("A\x1B" "B")},
      {"<1b2C>", PPDERR_NONE, std::string_view("\x1b\x2c")},
      {"<>x", PPDERR_NONE, std::string_view("x")},
      {"x<41", PPDERR_NONE, std::string_view("xA")},  // an unclosed substring ends with the text
      {"<00>z", PPDERR_NONE, std::string_view("\0z", 2)},
      {"<1 B>", PPDERR_SYNTAX, {}},  // a space between the digits of a pair
      {"<1>", PPDERR_SYNTAX, {}},    // a single digit
      {"<414>", PPDERR_SYNTAX, {}},  // an odd number of digits
      {"<4G>", PPDERR_SYNTAX, {}},
      {"<4", PPDERR_SYNTAX, {}},     // half a pair at the end of the text
  };
  for (const Case& c : kCases) {
    field = nullptr;
    ASSERT_EQ(Copy(c.text, STRMODE_QUOTED), c.result) << c.text;
    if (c.result != PPDERR_NONE) {
      EXPECT_EQ(field, nullptr) << c.text;
      continue;
    }
    EXPECT_BYTES_EQ(c.bytes, std::string_view(field, c.bytes.size())) << c.text;
    EXPECT_EQ(field[c.bytes.size()], '\0') << c.text;
  }
}

TEST_F(GetStringValueTest, OtherModesCopyUnchanged) {
  for (ULONG mode : {STRMODE_INVOCATION, STRMODE_PLAIN}) {
    field = nullptr;
    ASSERT_EQ(Copy("<1B>%-12345X", mode), PPDERR_NONE);
    EXPECT_STREQ(field, "<1B>%-12345X");
  }
}

TEST_F(GetStringValueTest, FirstValueStays) {
  ASSERT_EQ(Copy("first", STRMODE_PLAIN), PPDERR_NONE);
  CHAR* first = field;
  EXPECT_EQ(Copy("second", STRMODE_PLAIN), PPDERR_NONE);
  EXPECT_EQ(field, first);
  EXPECT_STREQ(field, "first");
}

TEST_F(GetStringValueTest, ExhaustedArenaGivesMemoryError) {
  HEAPOBJ_Alloc(heap, heap->newest->bytesLeft);
  engine.pool().FailTag(DRIVER_DESC_TAG);
  EXPECT_EQ(Copy("text", STRMODE_PLAIN), PPDERR_MEMORY);
  EXPECT_EQ(field, nullptr);
}

}  // namespace
