// The cardprint program: prints card designs through the card printer's
// driver, replays engine calls against it, and inspects printer jobs.
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "host/cardprint/cardprint.h"
#include "host/cardprint/output_file.h"

int main(int argc, char** argv) {
  // A closed pipe or a file over its size limit must fail a write, so that
  // the job fails with a message, rather than end the program silently.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  RemoveTemporaryFilesOnSignals();

  std::vector<std::string> args(argv + 1, argv + argc);
  Console console{0, 1, std::cout, std::cerr, isatty(2) == 1};
  int status = RunCardprint(args, console);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "cardprint: cannot write to standard output.\n";
    return kExitFailure;
  }
  return status;
}
