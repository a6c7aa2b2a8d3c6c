#include "host/printer_app/native_job.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>

#include "host/job_reader/job_reader.h"
#include "host/printer_app/device_output.h"

namespace {

struct FileCloser {
  int fd;
  ~FileCloser() {
    if (fd >= 0) close(fd);
  }
};

// Every byte of the file, given to `each` in pieces; false when the file
// cannot be read or `each` refuses a piece.
template <typename Each>
bool ReadWhole(const char* path, Each each) {
  FileCloser file{open(path, O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return false;
  std::array<std::uint8_t, 65536> buffer;
  while (true) {
    ssize_t count = read(file.fd, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    if (count == 0) return true;
    if (!each(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(count)))) {
      return false;
    }
  }
}

}  // namespace

bool PrintNativeJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* device) {
  const char* path = papplJobGetFilename(job);
  JobReader reader;
  if (!ReadWhole(path,
                 [&](std::span<const std::uint8_t> bytes) {
                   reader.Feed(bytes);
                   return !reader.fault();
                 }) &&
      !reader.fault()) {
    papplJobSetMessage(job, "The job file cannot be read.");
    return false;
  }
  reader.Finish();
  if (!reader.WellFormed()) {
    const JobFault& fault = *reader.fault();
    papplJobSetMessage(job, "The job is not in the card printer's language: %s (at byte %llu).",
                       fault.reason.c_str(), static_cast<unsigned long long>(fault.offset));
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Malformed card job: %s (at byte %llu).",
                fault.reason.c_str(), static_cast<unsigned long long>(fault.offset));
    DropJobFile(job);
    return false;
  }
  papplJobSetImpressions(job, reader.pages());
  if (!ReadWhole(path, [&](std::span<const std::uint8_t> bytes) {
        return !papplJobIsCanceled(job) && WriteToDevice(device, bytes);
      })) {
    if (!papplJobIsCanceled(job)) {
      papplJobSetMessage(job, "The job could not be sent to the printer.");
    }
    DropJobFile(job);
    return false;
  }
  papplJobSetImpressionsCompleted(job, reader.pages());
  return true;
}
