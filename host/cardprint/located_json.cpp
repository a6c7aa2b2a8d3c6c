#include "host/cardprint/located_json.h"

#include <iterator>
#include <vector>

#include "host/card_job/errors.h"

namespace {

using json = nlohmann::json;

// An iterator over the text that counts the lines it has passed, for the
// parser to read through.
class CountingIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* at, int* line) : at_(at), line_(line) {}
  reference operator*() const { return *at_; }
  CountingIterator& operator++() {
    if (*at_ == '\n') ++*line_;
    ++at_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& other) const { return at_ == other.at_; }

 private:
  const char* at_;
  int* line_;
};

// A key as a token of a JSON pointer: "~" becomes "~0" and "/" becomes "~1".
std::string PointerToken(const std::string& key) {
  std::string token;
  for (char c : key) {
    if (c == '~') {
      token += "~0";
    } else if (c == '/') {
      token += "~1";
    } else {
      token += c;
    }
  }
  return token;
}

// Builds the document and notes where each value begins.
class Locator {
 public:
  explicit Locator(const int* line, LocatedJson& result) : line_(line), result_(result) {}

  bool null() { return Value(nullptr); }
  bool boolean(bool value) { return Value(value); }
  bool number_integer(json::number_integer_t value) { return Value(value); }
  bool number_unsigned(json::number_unsigned_t value) { return Value(value); }
  bool number_float(json::number_float_t value, const json::string_t&) { return Value(value); }
  bool string(json::string_t& value) { return Value(value); }
  bool binary(json::binary_t&) { return false; }
  bool start_object(std::size_t) { return Open(json::object()); }
  bool end_object() { return Close(); }
  bool start_array(std::size_t) { return Open(json::array()); }
  bool end_array() { return Close(); }
  bool key(json::string_t& name) {
    key_ = name;
    key_line_ = *line_;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const json::exception& error) {
    error_ = error.what();
    return false;
  }

  const std::string& error() const { return error_; }

 private:
  struct Container {
    json* value;
    std::string pointer;
    std::size_t next_index = 0;
  };

  // Places a value in its parent and returns where it went.
  json* Place(json value, std::string& pointer) {
    int line = *line_;
    if (open_.empty()) {
      result_.value = std::move(value);
      pointer.clear();
      result_.lines[pointer] = line;
      return &result_.value;
    }
    Container& parent = open_.back();
    json* placed;
    if (parent.value->is_array()) {
      pointer = parent.pointer + "/" + std::to_string(parent.next_index++);
      parent.value->push_back(std::move(value));
      placed = &parent.value->back();
    } else {
      pointer = parent.pointer + "/" + PointerToken(key_);
      line = key_line_;
      placed = &(*parent.value)[key_];
      *placed = std::move(value);
    }
    result_.lines[pointer] = line;
    return placed;
  }

  bool Value(json value) {
    std::string pointer;
    Place(std::move(value), pointer);
    return true;
  }

  bool Open(json container) {
    std::string pointer;
    json* placed = Place(std::move(container), pointer);
    open_.push_back({placed, pointer});
    return true;
  }

  bool Close() {
    open_.pop_back();
    return true;
  }

  const int* line_;
  LocatedJson& result_;
  std::vector<Container> open_;
  std::string key_;
  int key_line_ = 0;
  std::string error_;
};

}  // namespace

int LocatedJson::LineOf(std::string pointer) const {
  while (true) {
    if (auto found = lines.find(pointer); found != lines.end()) return found->second;
    if (pointer.empty()) return 1;
    pointer.erase(pointer.rfind('/'));
  }
}

LocatedJson ParseLocatedJson(std::string_view text, const std::string& what) {
  LocatedJson result;
  int line = 1;
  Locator locator(&line, result);
  CountingIterator first(text.data(), &line);
  CountingIterator last(text.data() + text.size(), &line);
  if (!json::sax_parse(first, last, &locator)) {
    // The parser's message names the line and column itself; keep its reason.
    std::string reason = locator.error();
    if (auto colon = reason.find(": "); colon != std::string::npos)
      reason = reason.substr(colon + 2);
    throw Failure(what + " is not valid JSON: line " + std::to_string(line) + ": " + reason + ".");
  }
  return result;
}
