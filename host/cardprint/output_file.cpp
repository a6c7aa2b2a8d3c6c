#include "host/cardprint/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/card_job/errors.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Temporary files not yet committed, for the signal handler: plain C strings
// in lock-free slots, so that the handler only reads and unlinks.
std::array<std::atomic<char*>, 16> pending_temporaries{};

void Remember(const std::string& temporary) {
  char* copy = strdup(temporary.c_str());
  for (auto& slot : pending_temporaries) {
    char* expected = nullptr;
    if (slot.compare_exchange_strong(expected, copy)) return;
  }
  std::free(copy);
}

void Forget(const std::string& temporary) {
  for (auto& slot : pending_temporaries) {
    char* held = slot.load();
    if (held != nullptr && temporary == held && slot.compare_exchange_strong(held, nullptr)) {
      std::free(held);
      return;
    }
  }
}

extern "C" void RemoveTemporariesAndExit(int signal_number) {
  for (auto& slot : pending_temporaries) {
    if (char* held = slot.load(); held != nullptr) unlink(held);
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

OutputFile::OutputFile(std::string path, int stdout_fd) : path_(std::move(path)) {
  buffer_.reserve(kBufferSize);
  if (path_ == "-") {
    fd_ = stdout_fd;
    return;
  }
  struct stat status {};
  if (stat(path_.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    if (S_ISDIR(status.st_mode)) throw Failure("cannot write " + path_ + ": it is a directory.");
    fd_ = open(path_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd_ < 0) throw Failure("cannot open " + path_ + ": " + ReasonOf(errno) + ".");
    owns_fd_ = true;
    return;
  }
  std::filesystem::path target(path_);
  std::filesystem::path folder = target.parent_path();
  std::string leaf = ".";
  leaf += target.filename().string();
  leaf += ".XXXXXX";
  std::string pattern = (folder / leaf).string();
  fd_ = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd_ < 0) throw Failure("cannot create " + path_ + ": " + ReasonOf(errno) + ".");
  owns_fd_ = true;
  temporary_ = pattern;
  Remember(temporary_);
  // mkostemp makes the file private; a job file gets the usual permissions.
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd_, 0666 & ~mask);
}

OutputFile::~OutputFile() {
  if (!committed_) Discard();
}

bool OutputFile::Write(std::span<const std::uint8_t> bytes) {
  if (error_ != 0) return false;
  if (buffer_.size() + bytes.size() > kBufferSize) Flush();
  if (bytes.size() >= kBufferSize) {
    WriteOut(bytes.data(), bytes.size());
  } else {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  }
  return error_ == 0;
}

void OutputFile::Flush() {
  if (!buffer_.empty()) WriteOut(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void OutputFile::WriteOut(const std::uint8_t* bytes, std::size_t count) {
  while (count > 0 && error_ == 0) {
    ssize_t written = write(fd_, bytes, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
    } else if (written == 0) {
      error_ = EIO;
    } else {
      bytes += written;
      count -= static_cast<std::size_t>(written);
    }
  }
}

void OutputFile::Close() {
  Flush();
  if (owns_fd_) {
    if (close(fd_) != 0 && error_ == 0) error_ = errno;
    fd_ = -1;
    owns_fd_ = false;
  }
}

void OutputFile::Commit() {
  Close();
  if (error_ == 0 && !temporary_.empty() && rename(temporary_.c_str(), path_.c_str()) != 0) {
    error_ = errno;
  }
  if (error_ != 0) {
    int error = error_;
    Discard();
    committed_ = true;
    std::string where = path_ == "-" ? std::string("standard output") : path_;
    throw Failure("cannot write " + where + ": " + ReasonOf(error) + ".");
  }
  if (!temporary_.empty()) Forget(temporary_);
  committed_ = true;
}

void OutputFile::Discard() {
  if (owns_fd_) close(fd_);
  fd_ = -1;
  owns_fd_ = false;
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    Forget(temporary_);
    temporary_.clear();
  }
}

void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes, int stdout_fd) {
  OutputFile file(path, stdout_fd);
  file.Write(bytes);
  file.Commit();
}

void RemoveTemporaryFilesOnSignals() {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    std::signal(signal_number, RemoveTemporariesAndExit);
  }
}
