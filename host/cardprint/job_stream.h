// Where the job goes while the driver writes it: every byte the driver hands
// the spooler goes to the output file and, at the same time, through the
// job decoder, which checks it and can draw it. Nothing of the job is kept in
// memory.
#pragma once

#include <exception>

#include "host/card_job/engine_session.h"
#include "host/job_reader/job_reader.h"
#include "host/cardprint/output_file.h"

class JobStream {
 public:
  // Streams the session's printer to output; listener (may be null) sees the
  // decoded job.
  JobStream(EngineSession& session, OutputFile& output, JobListener* listener);

  // After the driver is done: a failed write (its reason from the output
  // file) or a job the decoder finds malformed is a Failure. Then the output
  // is committed.
  void Finish();

 private:
  EngineSession& session_;
  OutputFile& output_;
  JobReader reader_;
  std::exception_ptr failure_;  // thrown on the spooler's side, kept for Finish
};
