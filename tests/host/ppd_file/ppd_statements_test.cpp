// The statement splitter on its own: each case is a PPD text and the
// statements and malformed lines a consumer receives from it, one per line:
//   <line> <keyword>|<option>|<translation>|<value>|<value type>
//   <line> malformed <reason>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "ppd/parser/ppd_statements.h"

namespace {

std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\0') out += "\\0";
    else out += c;
  }
  return out;
}

// Records what the splitter hands over; stops after `stopAfter` events.
struct Recorder {
  std::string events;
  int stopAfter = -1;
  int count = 0;

  BOOL Next() { return ++count == stopAfter ? FALSE : TRUE; }

  static BOOL Statement(PVOID context, const PPDSTATEMENT* s) {
    auto* self = static_cast<Recorder*>(context);
    self->events += std::to_string(s->line) + " " + Escape(s->keyword) + "|" + Escape(s->option) + "|" +
                    Escape(s->translation) + "|" + Escape(s->value) + "|" + std::to_string(s->valueType) + "\n";
    return self->Next();
  }
  static BOOL Malformed(PVOID context, ULONG line, PpdMalformed reason) {
    auto* self = static_cast<Recorder*>(context);
    self->events += std::to_string(line) + " malformed " + std::to_string(static_cast<int>(reason)) + "\n";
    return self->Next();
  }
};

std::string Split(std::string_view text, BOOL* completed = nullptr) {
  Recorder recorder;
  const PPDSTATEMENTSINK sink{&recorder, Recorder::Statement, Recorder::Malformed};
  const BOOL result = PPDFILE_SplitStatements(text, &sink);
  if (completed != nullptr) *completed = result;
  return recorder.events;
}

struct SplitCase {
  const char* name;
  std::string_view text;
  const char* expected;
};

// Malformed reasons as the recorder writes them.
#define NOT_A_STATEMENT "malformed 1"
#define BAD_KEYWORD "malformed 2"
#define BAD_OPTION "malformed 3"
#define NO_COLON "malformed 4"
#define TEXT_AFTER_QUOTE "malformed 5"
#define QUOTE_LEFT_OPEN "malformed 6"
#define UNCLOSED_QUOTE "malformed 7"
#define NUL_IN_VALUE "malformed 8"

using namespace std::string_view_literals;

const SplitCase kSplitCases[] = {
    {"PlainValue", "*ColorDevice: True\n", "1 ColorDevice|||True|4\n"},
    {"PlainValueTrailingBlanksDropped", "*ColorDevice:\tTrue \t\n", "1 ColorDevice|||True|4\n"},
    {"NoSpaceAfterColon", "*ColorDevice:True\n", "1 ColorDevice|||True|4\n"},
    {"SymbolValue", "*PageSize Letter: ^LetterCode\n", "1 PageSize|Letter||^LetterCode|4\n"},
    {"OptionTranslationQuoted", "*PageSize Letter/US Letter: \"<</PageSize [612 792]>>\"\n",
     "1 PageSize|Letter|US Letter|<</PageSize [612 792]>>|2\n"},
    {"EmptyQuotedValue", "*Duplex None/Off: \"\"\n", "1 Duplex|None|Off||2\n"},
    {"QuotedValueSpansLines", "*JCLBegin: \"a\nb\n\"\n*End\n*NickName: \"x\"\n",
     "1 JCLBegin|||a\\nb\\n|2\n4 End||||0\n5 NickName|||x|2\n"},
    {"AsteriskLinesInsideQuotedValueAreValue", "*JCLBegin: \"a\n*% no comment\n*End\"\n*End\n",
     "1 JCLBegin|||a\\n*% no comment\\n*End|2\n4 End||||0\n"},
    {"NoValue", "*End\n*End  \n", "1 End||||0\n2 End||||0\n"},
    {"ColonWithoutValue", "*Foo:\n*Bar Baz:  \n", "1 Foo||||0\n2 Bar|Baz|||0\n"},
    {"CommentsAndBlankLinesSkipped", "*% comment \"with a quote\n\n \t\n*%\n*End\n", "5 End||||0\n"},
    {"CrLfLineEnds", "*A: 1\r\n*B: \"x\r\ny\"\r\n*C: 3\r\n",
     "1 A|||1|4\n2 B|||x\\r\\ny|2\n4 C|||3|4\n"},
    {"CrLineEnds", "*A: 1\r*B: \"x\ry\"\r\r*C: 3", "1 A|||1|4\n2 B|||x\\ry|2\n5 C|||3|4\n"},
    {"MixedLineEnds", "*A: 1\n\r\n\r*B: 2\n", "1 A|||1|4\n4 B|||2|4\n"},
    {"NoLineEndAtTheEnd", "*A: 1", "1 A|||1|4\n"},
    {"EmptyText", "", ""},
    {"ByteOrderMarkPassedOver", "\xEF\xBB\xBF*A: 1\n", "1 A|||1|4\n"},
    {"PlainValueWithoutOptionCarriesTranslation", "*OpenGroup: InstallableOptions/Installed Options\n",
     "1 OpenGroup||Installed Options|InstallableOptions|4\n"},
    {"OnlyTheFirstSlashSplits", "*OpenSubGroup: A/B/C\n", "1 OpenSubGroup||B/C|A|4\n"},
    {"PlainValueWithOptionKeepsSlash", "*Foo Bar: a/b\n", "1 Foo|Bar||a/b|4\n"},
    {"QuotedValueWithTranslation", "*Status: \"warming up\"/warming up \n",
     "1 Status||warming up|warming up|2\n"},
    {"QuotedValueTranslationDroppedWithOption", "*Foo Bar/Option: \"v\"/Value\n", "1 Foo|Bar|Option|v|2\n"},
    {"QuotesInsideTranslation", "*PageSize Legal/Legal (8 1/2 x 14\"): \"code\"\n",
     "1 PageSize|Legal|Legal (8 1/2 x 14\")|code|2\n"},
    {"BalancedQuotesInPlainValue", "*Font Courier: Standard \"(002.004S)\" Standard ROM\n",
     "1 Font|Courier||Standard \"(002.004S)\" Standard ROM|4\n"},
    {"BlanksAroundOptionAndColon", "*OpenUI  *PageSize  : PickOne\n", "1 OpenUI|*PageSize||PickOne|4\n"},
    {"QueryKeyword", "*?Resolution: \"save\"\n", "1 ?Resolution|||save|2\n"},
    {"EightBitTranslation", "*Foo Bar/Gr\xF6\xDF" "e: \"\"\n", "1 Foo|Bar|Gr\xF6\xDF" "e||2\n"},

    {"LineWithoutAsterisk", "stray text\n*End\n", "1 " NOT_A_STATEMENT "\n2 End||||0\n"},
    {"IndentedStatement", "  *End\n", "1 " NOT_A_STATEMENT "\n"},
    {"LoneAsterisk", "*\n* Foo: 1\n*: 1\n", "1 " BAD_KEYWORD "\n2 " BAD_KEYWORD "\n3 " BAD_KEYWORD "\n"},
    {"SlashInKeyword", "*Foo/Bar: 1\n", "1 " BAD_KEYWORD "\n"},
    {"ControlCharacterInKeyword", "*Fo\x01o: 1\n", "1 " BAD_KEYWORD "\n"},
    {"EmptyOptionBeforeTranslation", "*Foo /Bar: 1\n", "1 " BAD_OPTION "\n"},
    {"NulInTranslation", "*Foo Bar/B\0r: 1\n"sv, "1 " BAD_OPTION "\n"},
    {"OptionWithoutColon", "*Foo Bar\n*Foo Bar/Baz \"\"\n", "1 " NO_COLON "\n2 " NO_COLON "\n"},
    {"TwoWordsBeforeColon", "*Foo Bar Baz: 1\n", "1 " NO_COLON "\n"},
    {"TextAfterClosingQuote", "*Font Garamond: \"(501.008)\" Roman ROM\n*End\n",
     "1 " TEXT_AFTER_QUOTE "\n2 End||||0\n"},
    {"TextAfterClosingQuoteOpensAnotherQuote", "*Foo: \"a\" \"b\nc\"\n*End\n", "1 " TEXT_AFTER_QUOTE "\n3 End||||0\n"},
    {"PlainValueLeavesQuoteOpen",
     "*Collate Temp/Temp:  (Disk): \"\n  userdict /Collate known\n  setpagedevice\"\n*End\n",
     "1 " QUOTE_LEFT_OPEN "\n4 End||||0\n"},
    {"UnclosedQuotedValue", "*A: 1\n*NickName: \"never closed\n*B: 2\n", "1 A|||1|4\n2 " UNCLOSED_QUOTE "\n"},
    {"UnclosedQuoteInPlainValue", "*A: x \"y\n*B: 2\n", "1 " UNCLOSED_QUOTE "\n"},
    {"NulInQuotedValue", "*A: \"x\0y\"\n*B: 2\n"sv, "1 " NUL_IN_VALUE "\n2 B|||2|4\n"},
    {"NulInPlainValue", "*A: x\0y\n"sv, "1 " NUL_IN_VALUE "\n"},
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, HandsOverStatementsAndMalformedLines) {
  BOOL completed = FALSE;
  EXPECT_EQ(Split(GetParam().text, &completed), GetParam().expected);
  EXPECT_EQ(completed, TRUE);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SplitStopTest, StopsWhenTheConsumerSaysSo) {
  Recorder recorder;
  recorder.stopAfter = 2;
  const PPDSTATEMENTSINK sink{&recorder, Recorder::Statement, Recorder::Malformed};
  EXPECT_EQ(PPDFILE_SplitStatements("*A: 1\nstray\n*B: 2\n"sv, &sink), FALSE);
  EXPECT_EQ(recorder.events, "1 A|||1|4\n2 " NOT_A_STATEMENT "\n");
}

}  // namespace
