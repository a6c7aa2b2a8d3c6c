// Reading a command's arguments: options (with their values) and operands,
// and the option values that are numbers or lists of numbers.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct Option {
  std::string_view name;   // "--copies", or a short form such as "-o"
  std::string_view alias;  // another name for the same option, or empty
  bool takes_value;
  std::function<void(const std::string& value)> apply;
};

struct ParsedArguments {
  std::vector<std::string> operands;
  bool help = false;
};

// Walks args in order: "--name VALUE", "--name=VALUE", "-o VALUE", flags,
// "--help" (which stops the walk), "--" (everything after is an operand) and
// operands ("-" alone is an operand). An unknown option or a missing value is
// a UsageError naming the command.
ParsedArguments ParseArguments(std::string_view command, std::span<const std::string> args,
                               std::span<const Option> options);
