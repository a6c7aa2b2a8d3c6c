// The commands of the cardprint program, one file each. A command reads its
// arguments (without the program and command names), does its work and
// returns the exit status; it reports failures by throwing UsageError or
// Failure (errors.h), which the dispatcher turns into the message and status.
#pragma once

#include <span>
#include <string>

#include "host/cardprint/console.h"

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

using CommandArguments = std::span<const std::string>;

// cardprint print IMAGE... -o OUT: one card per image, through the driver.
int RunPrint(CommandArguments args, Console& console);
// cardprint replay SCRIPT.json -o OUT: a script of engine calls.
int RunReplay(CommandArguments args, Console& console);
// cardprint inspect JOB: the job decoded, listed and checked.
int RunInspect(CommandArguments args, Console& console);
// cardprint ppd dump [FILE] [--json]: the packed printer description.
int RunPpd(CommandArguments args, Console& console);
