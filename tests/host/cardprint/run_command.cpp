#include "host/cardprint/run_command.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "host/cardprint/cardprint.h"

namespace {

int MemoryFile(const std::string& contents) {
  int fd = memfd_create("cardprint-test", 0);
  if (!contents.empty()) (void)!write(fd, contents.data(), contents.size());
  lseek(fd, 0, SEEK_SET);
  return fd;
}

std::string ReadAll(int fd) {
  std::string all;
  char chunk[65536];
  ssize_t count;
  while ((count = read(fd, chunk, sizeof chunk)) > 0)
    all.append(chunk, static_cast<std::size_t>(count));
  return all;
}

}  // namespace

CommandResult RunInProcess(const std::vector<std::string>& args, const std::string& input) {
  int in = MemoryFile(input);
  int out = MemoryFile("");
  std::ostringstream text;
  std::ostringstream err;
  Console console{in, out, text, err, false};
  CommandResult result;
  result.status = RunCardprint(args, console);
  lseek(out, 0, SEEK_SET);
  result.out = ReadAll(out) + text.str();
  result.err = err.str();
  close(in);
  close(out);
  return result;
}

CommandResult RunChild(const std::vector<std::string>& args, const ChildOptions& options) {
  int in = MemoryFile(options.input);
  int err = MemoryFile("");
  int out = -1;
  int out_pipe[2] = {-1, -1};
  if (options.close_output_early) {
    if (pipe(out_pipe) != 0) return {};
    close(out_pipe[0]);
  } else {
    out = MemoryFile("");
  }
  pid_t child = fork();
  if (child == 0) {
    dup2(in, 0);
    dup2(options.close_output_early ? out_pipe[1] : out, 1);
    dup2(err, 2);
    if (options.file_size_limit != 0) {
      rlimit limit{options.file_size_limit, options.file_size_limit};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv{const_cast<char*>(CARDPRINT_PROGRAM)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(CARDPRINT_PROGRAM, argv.data());
    _exit(127);
  }
  if (options.close_output_early) close(out_pipe[1]);
  int wait_status = 0;
  waitpid(child, &wait_status, 0);
  CommandResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  if (out >= 0) {
    lseek(out, 0, SEEK_SET);
    result.out = ReadAll(out);
    close(out);
  }
  lseek(err, 0, SEEK_SET);
  result.err = ReadAll(err);
  close(in);
  close(err);
  return result;
}
