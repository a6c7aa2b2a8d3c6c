// Where a command reads and writes: standard input and output as file
// descriptors (jobs go there raw when a path is "-"), text streams for
// listings and messages, and whether standard error is a terminal (progress
// is shown only then).
#pragma once

#include <ostream>

struct Console {
  int in_fd = 0;
  int out_fd = 1;
  std::ostream& out;
  std::ostream& err;
  bool err_is_terminal = false;
};
