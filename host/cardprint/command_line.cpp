#include "host/cardprint/command_line.h"

#include <charconv>
#include <string>

#include "host/cardprint/errors.h"

namespace {

const Option* FindOption(std::span<const Option> options, std::string_view name) {
  for (const Option& option : options) {
    if (option.name == name || (!option.alias.empty() && option.alias == name)) return &option;
  }
  return nullptr;
}

std::string CountMessage(std::string_view text, std::string_view what, std::size_t count) {
  return "the " + std::string(what) + " \"" + std::string(text) + "\" must be " +
         std::to_string(count) + " numbers separated by commas.";
}

}  // namespace

ParsedArguments ParseArguments(std::string_view command, std::span<const std::string> args,
                               std::span<const Option> options) {
  ParsedArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      parsed.operands.insert(parsed.operands.end(), args.begin() + static_cast<long>(i) + 1,
                             args.end());
      break;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      return parsed;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(arg);
      continue;
    }
    std::string name = arg;
    std::string value;
    bool inline_value = false;
    if (auto equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      inline_value = true;
    }
    const Option* option = FindOption(options, name);
    if (option == nullptr) {
      throw UsageError("cardprint " + std::string(command) + " has no option " + name + ".");
    }
    if (!option->takes_value) {
      if (inline_value) {
        throw UsageError("the option " + name + " of cardprint " + std::string(command) +
                         " takes no value.");
      }
      option->apply({});
      continue;
    }
    if (!inline_value) {
      if (i + 1 >= args.size()) {
        throw UsageError("the option " + name + " of cardprint " + std::string(command) +
                         " needs a value.");
      }
      value = args[++i];
    }
    option->apply(value);
  }
  return parsed;
}

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
