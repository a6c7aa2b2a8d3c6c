// What every card job of the printer application shares: the host engine,
// which one job drives at a time; the spool file where the driver's bytes
// are made whole before any reaches the device; and a job failed with the
// card-job library's sentence.
#pragma once

#include <pappl/pappl.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

// Held by a job while it drives the host engine, which is installed
// process-wide: one card job at a time, whichever printer it is for.
std::mutex& EngineInUse();

// The job's driver output, kept in a file of its own until the job ends: a
// temporary file (in TMPDIR, else /tmp) that has no name once it is open, so
// that nothing of it outlives the job, whatever ends it. A file that cannot
// be made is a Failure.
class SpoolFile {
 public:
  SpoolFile();
  ~SpoolFile();
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;

  bool Write(const std::uint8_t* bytes, std::size_t count);

  // The whole file to the device, stopping when the job is cancelled.
  bool SendTo(pappl_job_t* job, pappl_device_t* device);

 private:
  int fd_ = -1;
};

// The reason (a sentence of the library's) as the job's state message, with
// a capital first letter, and in the log; no job file is left behind.
void FailJob(pappl_job_t* job, std::string reason);
