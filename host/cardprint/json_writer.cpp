#include "host/cardprint/json_writer.h"

#include <charconv>

void JsonWriter::Indent() {
  out_ += '\n';
  out_.append(2 * levels_.size(), ' ');
}

// A value starts a line of its own inside an array; after a key it follows
// on the key's line.
void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (levels_.empty()) return;
  if (!levels_.back().empty) out_ += ',';
  levels_.back().empty = false;
  Indent();
}

void JsonWriter::Key(std::string_view key) {
  if (!levels_.back().empty) out_ += ',';
  levels_.back().empty = false;
  Indent();
  Escaped(key, false);
  out_ += ": ";
  after_key_ = true;
}

void JsonWriter::BeginObject() {
  BeforeValue();
  out_ += '{';
  levels_.push_back({false, true});
}

void JsonWriter::BeginArray() {
  BeforeValue();
  out_ += '[';
  levels_.push_back({true, true});
}

void JsonWriter::Close(char bracket) {
  const bool empty = levels_.back().empty;
  levels_.pop_back();
  if (!empty) Indent();
  out_ += bracket;
}

void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::Number(std::int64_t value) {
  BeforeValue();
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out_.append(text, result.ptr);
}

void JsonWriter::Boolean(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
}

void JsonWriter::String(std::string_view utf8) {
  BeforeValue();
  Escaped(utf8, false);
}

void JsonWriter::Latin1String(std::string_view bytes) {
  BeforeValue();
  Escaped(bytes, true);
}

// Copies the text in runs, breaking them only for a character to escape
// (or, in an 8-bit text, to encode).
void JsonWriter::Escaped(std::string_view text, bool latin1) {
  constexpr char kHex[] = "0123456789abcdef";
  out_ += '"';
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\' && (byte < 0x80 || !latin1)) continue;
    out_.append(text.data() + run, i - run);
    run = i + 1;
    switch (byte) {
      case '"':
        out_ += "\\\"";
        break;
      case '\\':
        out_ += "\\\\";
        break;
      case '\b':
        out_ += "\\b";
        break;
      case '\f':
        out_ += "\\f";
        break;
      case '\n':
        out_ += "\\n";
        break;
      case '\r':
        out_ += "\\r";
        break;
      case '\t':
        out_ += "\\t";
        break;
      default:
        if (byte < 0x20) {
          out_ += "\\u00";
          out_ += kHex[byte >> 4];
          out_ += kHex[byte & 0xF];
        } else {
          out_ += static_cast<char>(0xC0 | (byte >> 6));
          out_ += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
  }
  out_.append(text.data() + run, text.size() - run);
  out_ += '"';
}
