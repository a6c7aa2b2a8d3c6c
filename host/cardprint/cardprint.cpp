#include "host/cardprint/cardprint.h"

#include <array>
#include <exception>
#include <new>

#include "host/card_job/errors.h"

namespace {

constexpr std::array kCommands{
    Command{"print", "print card designs (PNG, JPEG, PDF or SVG) into a job for the card printer", RunPrint},
    Command{"replay", "run a script of graphics engine calls against the driver", RunReplay},
    Command{"inspect", "decode, list and check a job in the printer's language", RunInspect},
    Command{"ppd", "show the packed printer description the driver builds", RunPpd},
};

void WriteProgramHelp(std::ostream& out) {
  out << "Usage: cardprint COMMAND [OPTIONS] [ARGUMENTS]\n"
         "\n"
         "Drives the card printer's driver as the graphics engine would.\n"
         "\n"
         "Commands:\n";
  for (const Command& command : kCommands) {
    out << "  " << command.name << std::string(10 - command.name.size(), ' ') << command.summary
        << "\n";
  }
  out << "\n"
         "Run 'cardprint COMMAND --help' for a command's options.\n"
         "Exit status: 0 on success, 1 when the job fails, 2 for bad usage.\n";
}

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace

std::span<const Command> CardprintCommands() { return kCommands; }

int RunCardprint(std::span<const std::string> args, Console& console) {
  try {
    if (args.empty()) throw UsageError("no command given (see cardprint --help).");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
      WriteProgramHelp(console.out);
      return kExitSuccess;
    }
    const Command* command = FindCommand(args[0]);
    if (command == nullptr) {
      throw UsageError("there is no command \"" + args[0] + "\" (see cardprint --help).");
    }
    return command->run(args.subspan(1), console);
  } catch (const UsageError& error) {
    console.err << "cardprint: " << error.what() << "\n";
    return kExitUsage;
  } catch (const Failure& error) {
    console.err << "cardprint: " << error.what() << "\n";
    return kExitFailure;
  } catch (const std::bad_alloc&) {
    console.err << "cardprint: the program ran out of memory.\n";
    return kExitFailure;
  }
}
