#include "host/cardprint/command_line.h"

#include <string>

#include "host/card_job/errors.h"

namespace {

const Option* FindOption(std::span<const Option> options, std::string_view name) {
  for (const Option& option : options) {
    if (option.name == name || (!option.alias.empty() && option.alias == name)) return &option;
  }
  return nullptr;
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
