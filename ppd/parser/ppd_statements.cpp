#include "ppd/parser/ppd_statements.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ppd/parser/parser.h"

namespace {

bool IsLineEnd(CHAR c) { return c == '\r' || c == '\n'; }
bool IsBlank(CHAR c) { return c == ' ' || c == '\t'; }
bool IsControl(CHAR c) {
  const auto b = static_cast<BYTE>(c);
  return b < 0x20 || b == 0x7F;
}

// Where the split stands: the next unread character, and its line.
struct Cursor {
  const CHAR* p;
  const CHAR* end;
  ULONG line;
};

// The first character at or behind p that is one of a, b and c, or end.
// Lines and quoted values are long runs of other characters, so 16 are
// looked at at once where the processor allows.
const CHAR* FindFirstOf(const CHAR* p, const CHAR* end, CHAR a, CHAR b, CHAR c) {
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi8(a);
  const __m128i vb = _mm_set1_epi8(b);
  const __m128i vc = _mm_set1_epi8(c);
  for (; end - p >= 16; p += 16) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chars, va), _mm_cmpeq_epi8(chars, vb)),
                                      _mm_cmpeq_epi8(chars, vc));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  while (p < end && *p != a && *p != b && *p != c) ++p;
  return p;
}

const CHAR* FindLineEnd(const CHAR* p, const CHAR* end) { return FindFirstOf(p, end, '\r', '\n', '\n'); }

// p is at a CR or LF: moves behind the line end (CR LF counts as one).
void StepOverLineEnd(Cursor& cursor) {
  if (*cursor.p == '\r' && cursor.end - cursor.p > 1 && cursor.p[1] == '\n') ++cursor.p;
  ++cursor.p;
  ++cursor.line;
}

// Moves the cursor to the next quote, counting the lines it passes; FALSE
// when the text ends first (the cursor is then at the end).
bool SeekQuote(Cursor& cursor) {
  for (;;) {
    cursor.p = FindFirstOf(cursor.p, cursor.end, '"', '\r', '\n');
    if (cursor.p == cursor.end) return false;
    if (*cursor.p == '"') return true;
    StepOverLineEnd(cursor);
  }
}

// Moves the cursor to the end of the line on which every quote opened from
// here on is closed again (or to the end of the text).
void SeekBalancedLineEnd(Cursor& cursor) {
  while (cursor.p < cursor.end && !IsLineEnd(*cursor.p)) {
    if (*cursor.p == '"') {
      ++cursor.p;
      if (!SeekQuote(cursor)) return;
    }
    ++cursor.p;
  }
}

std::string_view View(const CHAR* first, const CHAR* last) {
  return {first, static_cast<std::size_t>(last - first)};
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool HasControl(std::string_view text, bool tabAllowed) {
  for (const CHAR c : text) {
    if (IsControl(c) && !(tabAllowed && c == '\t')) return true;
  }
  return false;
}

// A run of name characters: up to a blank, colon, slash or the line's end.
const CHAR* NameEnd(const CHAR* p, const CHAR* lineEnd) {
  while (p < lineEnd && !IsBlank(*p) && *p != ':' && *p != '/') ++p;
  return p;
}

const CHAR* SkipBlanks(const CHAR* p, const CHAR* lineEnd) {
  while (p < lineEnd && IsBlank(*p)) ++p;
  return p;
}

class Splitter {
 public:
  Splitter(std::span<const CHAR> text, const PPDSTATEMENTSINK* sink)
      : cursor_{text.data(), text.data() + text.size(), 1}, sink_(sink) {}

  BOOL Run() {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (View(cursor_.p, cursor_.end).starts_with(kByteOrderMark)) cursor_.p += kByteOrderMark.size();
    while (cursor_.p < cursor_.end) {
      if (!Line()) return FALSE;
      // The line (or the statement's last line) ends here.
      if (cursor_.p < cursor_.end) StepOverLineEnd(cursor_);
    }
    return TRUE;
  }

 private:
  // Reads the line at the cursor, and the lines its statement runs over;
  // leaves the cursor at the last line's end.
  bool Line() {
    const CHAR* const start = cursor_.p;
    const CHAR* const lineEnd = FindLineEnd(start, cursor_.end);
    cursor_.p = lineEnd;
    if (*start != '*') {
      if (SkipBlanks(start, lineEnd) == lineEnd) return true;
      return Malformed(cursor_.line, PpdMalformed::NotAStatement);
    }
    if (lineEnd - start >= 2 && start[1] == '%') return true;
    return Statement(start + 1, lineEnd);
  }

  bool Statement(const CHAR* p, const CHAR* lineEnd) {
    PPDSTATEMENT statement{};
    statement.line = cursor_.line;

    const CHAR* const keywordEnd = NameEnd(p, lineEnd);
    statement.keyword = View(p, keywordEnd);
    if (statement.keyword.empty() || HasControl(statement.keyword, false) ||
        (keywordEnd < lineEnd && *keywordEnd == '/')) {
      return Malformed(statement.line, PpdMalformed::BadKeyword);
    }
    p = SkipBlanks(keywordEnd, lineEnd);
    if (p == lineEnd) return Emit(statement);  // "*End"

    if (*p != ':') {
      const CHAR* const optionEnd = NameEnd(p, lineEnd);
      statement.option = View(p, optionEnd);
      p = optionEnd;
      if (p < lineEnd && *p == '/') {
        const CHAR* translationEnd = p + 1;
        while (translationEnd < lineEnd && *translationEnd != ':') ++translationEnd;
        statement.translation = View(p + 1, translationEnd);
        p = translationEnd;
      }
      if (statement.option.empty() || HasControl(statement.option, false) ||
          HasControl(statement.translation, true)) {
        return Malformed(statement.line, PpdMalformed::BadOption);
      }
      p = SkipBlanks(p, lineEnd);
      if (p == lineEnd || *p != ':') return Malformed(statement.line, PpdMalformed::NoColon);
    }
    return Value(statement, p + 1, lineEnd);
  }

  // p is behind the colon. The cursor is at the end of the statement's
  // first line; a quoted value moves it on.
  bool Value(PPDSTATEMENT& statement, const CHAR* p, const CHAR* lineEnd) {
    p = SkipBlanks(p, lineEnd);
    if (p == lineEnd) return Emit(statement);
    if (*p == '"') return QuotedValue(statement, p + 1);

    std::string_view value = TrimTrailingBlanks(View(p, lineEnd));
    std::size_t quotes = 0;
    for (const CHAR c : value) quotes += (c == '"');
    if (quotes % 2 != 0) {
      // The last quote opens a text that runs past this line: skip to the
      // end of the line it closes on.
      cursor_.p = p + value.rfind('"') + 1;
      if (!SeekQuote(cursor_)) return Malformed(statement.line, PpdMalformed::UnclosedQuote);
      ++cursor_.p;
      SeekBalancedLineEnd(cursor_);
      return Malformed(statement.line, PpdMalformed::QuoteLeftOpen);
    }
    if (value.find('\0') != std::string_view::npos) {
      return Malformed(statement.line, PpdMalformed::NulInValue);
    }
    if (statement.option.empty()) {
      const std::size_t slash = value.find('/');
      if (slash != std::string_view::npos) {
        statement.translation = value.substr(slash + 1);
        value = value.substr(0, slash);
      }
    }
    statement.value = value;
    statement.valueType = PPDVALUE_PLAIN;
    return Emit(statement);
  }

  // p is behind the opening quote.
  bool QuotedValue(PPDSTATEMENT& statement, const CHAR* p) {
    cursor_.p = p;
    if (!SeekQuote(cursor_)) return Malformed(statement.line, PpdMalformed::UnclosedQuote);
    statement.value = View(p, cursor_.p);
    statement.valueType = PPDVALUE_QUOTED;

    const CHAR* const closingLineEnd = FindLineEnd(cursor_.p, cursor_.end);
    const CHAR* rest = SkipBlanks(cursor_.p + 1, closingLineEnd);
    if (rest < closingLineEnd && *rest == '/') {
      if (statement.option.empty()) {
        statement.translation = TrimTrailingBlanks(View(rest + 1, closingLineEnd));
      }
    } else if (rest < closingLineEnd) {
      ++cursor_.p;
      SeekBalancedLineEnd(cursor_);
      return Malformed(statement.line, PpdMalformed::TextAfterQuote);
    }
    cursor_.p = closingLineEnd;
    if (statement.value.find('\0') != std::string_view::npos ||
        statement.translation.find('\0') != std::string_view::npos) {
      return Malformed(statement.line, PpdMalformed::NulInValue);
    }
    return Emit(statement);
  }

  bool Emit(const PPDSTATEMENT& statement) { return sink_->statement(sink_->context, &statement) != FALSE; }

  bool Malformed(ULONG line, PpdMalformed reason) {
    return sink_->malformed(sink_->context, line, reason) != FALSE;
  }

  Cursor cursor_;
  const PPDSTATEMENTSINK* sink_;
};

}  // namespace

BOOL PPDFILE_SplitStatements(std::span<const CHAR> text, const PPDSTATEMENTSINK* sink) {
  return Splitter(text, sink).Run();
}
