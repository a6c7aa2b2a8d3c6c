// The two ways a command fails. Each carries the one plain sentence the user
// reads on standard error; the program turns it into the exit status.
#pragma once

#include <cstring>
#include <stdexcept>
#include <string>

// Bad usage: an unknown command or option, a missing operand or option
// value. Exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A job that cannot be done: a bad option value, an unreadable or corrupt
// input, a malformed job, a failed write. Exit status 1.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The system's reason for an error number, as the end of a sentence ("no
// such file or directory").
inline std::string ReasonOf(int error) {
  std::string reason = std::strerror(error);
  if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z')
    reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
  return reason;
}
