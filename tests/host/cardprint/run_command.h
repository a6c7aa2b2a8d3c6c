// Running the cardprint program in tests: in-process through its command
// table, with standard input and output in memory files, or as a child
// process for what only a real process shows (a closed pipe, a file size
// limit, the exit status of main).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CommandResult {
  int status = -1;
  std::string out;  // standard output: listings, or a job written to "-"
  std::string err;  // standard error
};

// RunCardprint with these arguments (program name left out).
CommandResult RunInProcess(const std::vector<std::string>& args, const std::string& input = "");

struct ChildOptions {
  std::string input;                  // standard input
  bool close_output_early = false;    // standard output a pipe whose reader has gone
  std::uint64_t file_size_limit = 0;  // RLIMIT_FSIZE in bytes, 0 for none
};

// The built program as a child process; status is its exit status, or 128
// plus the signal that ended it.
CommandResult RunChild(const std::vector<std::string>& args, const ChildOptions& options = {});
