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

// The first character at or behind p that is one of Chars, or end. Lines,
// names and quoted values are runs of other characters, so 16 are looked
// at at once where the processor allows.
template <CHAR... Chars>
const CHAR* FindFirstOf(const CHAR* p, const CHAR* end) {
#if defined(__SSE2__)
  for (; end - p >= 16; p += 16) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits = (_mm_cmpeq_epi8(chars, _mm_set1_epi8(Chars)) | ...);
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
  }
#endif
  while (p < end && ((*p != Chars) && ...)) ++p;
  return p;
}

const CHAR* FindLineEnd(const CHAR* p, const CHAR* end) { return FindFirstOf<'\r', '\n'>(p, end); }

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
    cursor.p = FindFirstOf<'"', '\r', '\n'>(cursor.p, cursor.end);
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

// Whether text holds a control character (a tab passes when tabAllowed).
// textEnd is the end of the whole text: the characters up to it may be read.
bool HasControl(std::string_view text, bool tabAllowed, const CHAR* textEnd) {
  const CHAR* p = text.data();
  std::size_t left = text.size();
#if defined(__SSE2__)
  for (; left > 0 && textEnd - p >= 16; p += 16) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i belowSpace = _mm_cmpeq_epi8(_mm_min_epu8(chars, _mm_set1_epi8(0x1F)), chars);
    __m128i control = belowSpace | _mm_cmpeq_epi8(chars, _mm_set1_epi8(0x7F));
    if (tabAllowed) control = _mm_andnot_si128(_mm_cmpeq_epi8(chars, _mm_set1_epi8('\t')), control);
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(control));
    const unsigned inside = left >= 16 ? 0xFFFFu : (1u << left) - 1;
    if ((mask & inside) != 0) return true;
    left -= left >= 16 ? 16 : left;
  }
#endif
  for (; left > 0; ++p, --left) {
    if (IsControl(*p) && !(tabAllowed && *p == '\t')) return true;
  }
  return false;
}

// A run of name characters: up to a blank, colon, slash or the line's end
// (a CR or LF before textEnd, the end of the text, or textEnd itself).
const CHAR* NameEnd(const CHAR* p, const CHAR* textEnd) {
  return FindFirstOf<' ', '\t', ':', '/', '\r', '\n'>(p, textEnd);
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

    const CHAR* const keywordEnd = NameEnd(p, cursor_.end);
    statement.keyword = View(p, keywordEnd);
    if (statement.keyword.empty() || HasControl(statement.keyword, false, cursor_.end) ||
        (keywordEnd < lineEnd && *keywordEnd == '/')) {
      return Malformed(statement.line, PpdMalformed::BadKeyword);
    }
    p = SkipBlanks(keywordEnd, lineEnd);
    if (p == lineEnd) return Emit(statement);  // "*End"

    if (*p != ':') {
      const CHAR* const optionEnd = NameEnd(p, cursor_.end);
      statement.option = View(p, optionEnd);
      p = optionEnd;
      if (p < lineEnd && *p == '/') {
        const CHAR* const translationEnd = FindFirstOf<':', '\r', '\n'>(p + 1, cursor_.end);
        statement.translation = View(p + 1, translationEnd);
        p = translationEnd;
      }
      if (statement.option.empty() || HasControl(statement.option, false, cursor_.end) ||
          HasControl(statement.translation, true, cursor_.end)) {
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
    // Most plain values hold no quote, NUL or slash: one look (16 characters
    // at a time, up to 15 behind the value) tells.
    const CHAR* const valueEnd = value.data() + value.size();
    const CHAR* const lookEnd = cursor_.end - valueEnd > 15 ? valueEnd + 15 : cursor_.end;
    if (FindFirstOf<'"', '\0', '/'>(value.data(), lookEnd) >= valueEnd) {
      statement.value = value;
      statement.valueType = PPDVALUE_PLAIN;
      return Emit(statement);
    }
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
