// A JSON text written as it goes, without building a document first: for
// outputs that can be large (a description with thousands of constraints).
// The layout is that of nlohmann's dump(2): two spaces per level, one member
// or element per line, "[]" and "{}" when empty, control characters escaped
// and other characters written as they are in UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The key of the next member of the current object.
  void Key(std::string_view key);

  void Number(std::int64_t value);
  void Boolean(bool value);
  void Null();
  void String(std::string_view utf8);
  // An 8-bit text, each byte taken as the code point of the same value.
  void Latin1String(std::string_view bytes);

 private:
  struct Level {
    bool array;
    bool empty;
  };

  void BeforeValue();
  void Close(char bracket);
  void Indent();
  void Escaped(std::string_view text, bool latin1);

  std::string& out_;
  std::vector<Level> levels_;
  bool after_key_ = false;
};
