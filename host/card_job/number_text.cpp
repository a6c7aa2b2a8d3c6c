#include "host/card_job/number_text.h"

#include <charconv>
#include <string>

#include "host/card_job/errors.h"

namespace {

std::string CountMessage(std::string_view text, std::string_view what, std::size_t count) {
  return "the " + std::string(what) + " \"" + std::string(text) + "\" must be " +
         std::to_string(count) + " numbers separated by commas.";
}

}  // namespace

long ParseInteger(std::string_view text, std::string_view what, long min, long max) {
  long value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (!text.empty() && text.front() == '+') ++first;
  auto [end, error] = std::from_chars(first, last, value);
  if (text.empty() || error != std::errc{} || end != last) {
    throw Failure("the " + std::string(what) + " \"" + std::string(text) +
                  "\" is not a whole number.");
  }
  if (value < min || value > max) {
    throw Failure("the " + std::string(what) + " " + std::to_string(value) + " is out of range (" +
                  std::to_string(min) + " to " + std::to_string(max) + ").");
  }
  return value;
}

std::vector<long> ParseIntegerList(std::string_view text, std::string_view what, std::size_t count,
                                   long min, long max) {
  std::vector<long> values;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = text.find(',', start);
    std::string_view item =
        text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
    if (values.size() == count) throw Failure(CountMessage(text, what, count));
    values.push_back(ParseInteger(item, what, min, max));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (values.size() != count) throw Failure(CountMessage(text, what, count));
  return values;
}
