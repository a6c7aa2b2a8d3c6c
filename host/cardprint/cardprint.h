// The cardprint program as a library: the table of its commands and the
// dispatcher that main() calls, so that tests can run any command in-process.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "host/cardprint/commands.h"
#include "host/cardprint/console.h"

struct Command {
  std::string_view name;
  std::string_view summary;
  int (*run)(CommandArguments args, Console& console);
};

// Every command, in the order the program's help lists them.
std::span<const Command> CardprintCommands();

// Runs the command named by args[0] with the rest of args. Failures become
// one sentence on console.err, prefixed with "cardprint: ", and the exit
// status: 2 for usage errors, 1 for every other failure.
int RunCardprint(std::span<const std::string> args, Console& console);
