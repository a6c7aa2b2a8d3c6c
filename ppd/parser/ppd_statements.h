// Splits the text of a PPD file into statements. Works in place on the
// text (no copies, no allocation) and never looks past its end.
//
// The file format, line by line (a line ends with CR, LF or CR LF):
//   *Keyword Option/Translation: Value    a statement; option and translation
//                                         are optional, so is the value
//   *Keyword                              a statement with no value ("*End")
//   *% anything                           a comment
//   (only spaces and tabs)                a blank line
// A value is quoted ("...", running over as many lines as it takes to its
// closing quote, optionally followed by /translation on the closing line) or
// plain (the rest of the line, symbol values "^Name" included). A plain value
// may hold quoted words ("*Font" values) but no quote left open at the line's
// end. Whatever else is found is malformed: it is handed to the consumer as
// such and skipped, up to the end of the line on which its quotes close.
#pragma once

#include <span>
#include <string_view>

#include "engine/types.h"

// One statement, as views into the file's text (not NUL-terminated).
struct PPDSTATEMENT {
  ULONG line;                    // line the statement begins on, from 1
  std::string_view keyword;      // main keyword without the asterisk
  std::string_view option;       // option keyword; empty when none
  std::string_view translation;  // translation; empty when none
  std::string_view value;        // value without its quotes; empty when none
  WORD valueType;                // PPDVALUE_NONE, PPDVALUE_QUOTED or PPDVALUE_PLAIN
};

// Why a line is not a statement.
enum class PpdMalformed : WORD {
  NotAStatement = 1,      // a non-blank line that does not begin with an asterisk
  BadKeyword = 2,         // empty main keyword, or one with a control character or a slash
  BadOption = 3,          // empty option keyword before a translation, or a control character
  NoColon = 4,            // an option keyword, or a second word, without a colon and value
  TextAfterQuote = 5,     // something other than /translation behind a closing quote
  QuoteLeftOpen = 6,      // a plain value whose quote closes only on a later line
  UnclosedQuote = 7,      // a quote that the end of the file leaves open
  NulInValue = 8,         // a NUL byte in a value (it would end the text early)
};

// The consumer of a split. Each function returns FALSE to stop the split.
struct PPDSTATEMENTSINK {
  PVOID context;
  BOOL (*statement)(PVOID context, const PPDSTATEMENT* statement);
  BOOL (*malformed)(PVOID context, ULONG line, PpdMalformed reason);
};

// Hands every statement and every malformed line of text to the sink, in
// file order. When a statement has no option keyword, a plain value's part
// behind its first slash is the statement's translation
// ("*OpenGroup: InstallableOptions/Installed Options"); so is the text behind
// a quoted value's "/". A leading UTF-8 byte order mark is passed over.
// Returns FALSE when the sink stopped the split, TRUE otherwise.
BOOL PPDFILE_SplitStatements(std::span<const CHAR> text, const PPDSTATEMENTSINK* sink);
