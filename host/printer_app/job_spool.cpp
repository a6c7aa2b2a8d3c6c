#include "host/printer_app/job_spool.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

#include "host/card_job/errors.h"
#include "host/printer_app/device_output.h"

std::mutex& EngineInUse() {
  static std::mutex engine_in_use;
  return engine_in_use;
}

SpoolFile::SpoolFile() {
  const char* folder = std::getenv("TMPDIR");
  std::string name = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") +
                     "/cardprint-app-job-XXXXXX";
  fd_ = mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) {
    throw Failure("the spool file for the card job cannot be made: " + ReasonOf(errno) + ".");
  }
  unlink(name.c_str());
}

SpoolFile::~SpoolFile() { close(fd_); }

bool SpoolFile::Write(const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    ssize_t written = write(fd_, bytes, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

bool SpoolFile::SendTo(pappl_job_t* job, pappl_device_t* device) {
  // Why the bytes did not all go, in the log beside the job's failure.
  auto failed = [&](const char* step, int error) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The spool file could not be %s: %s.", step,
                ReasonOf(error).c_str());
    return false;
  };
  if (lseek(fd_, 0, SEEK_SET) != 0) return failed("rewound", errno);
  std::array<std::uint8_t, 65536> buffer;
  std::size_t sent = 0;
  while (!papplJobIsCanceled(job)) {
    ssize_t count = read(fd_, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return failed("read", errno);
    if (count == 0) return true;
    if (!WriteToDevice(device, {buffer.data(), static_cast<std::size_t>(count)})) {
      // PAPPL's log formats no size_t conversion.
      papplLogJob(job, PAPPL_LOGLEVEL_ERROR,
                  "The device refused the card job's bytes after %llu of them.",
                  static_cast<unsigned long long>(sent));
      return false;
    }
    sent += static_cast<std::size_t>(count);
  }
  return true;
}

void FailJob(pappl_job_t* job, std::string reason) {
  if (!reason.empty() && reason[0] >= 'a' && reason[0] <= 'z') {
    reason[0] = static_cast<char>(reason[0] - 'a' + 'A');
  }
  papplJobSetMessage(job, "%s", reason.c_str());
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", reason.c_str());
  DropJobFile(job);
}
