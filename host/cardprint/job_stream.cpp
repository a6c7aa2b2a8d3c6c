#include "host/cardprint/job_stream.h"

#include "host/card_job/errors.h"

JobStream::JobStream(EngineSession& session, OutputFile& output, JobListener* listener)
    : session_(session), output_(output), reader_(listener) {
  session.engine().spooler().StreamTo(session.printer(),
                                      [this](const std::uint8_t* bytes, std::size_t count) {
                                        // Called inside the driver's write: nothing may be
                                        // thrown through it.
                                        if (failure_) return false;
                                        try {
                                          std::span<const std::uint8_t> piece(bytes, count);
                                          reader_.Feed(piece);
                                          return output_.Write(piece);
                                        } catch (...) {
                                          failure_ = std::current_exception();
                                          return false;
                                        }
                                      });
}

void JobStream::Finish() {
  if (failure_) std::rethrow_exception(failure_);
  reader_.Finish();
  std::size_t failed = session_.engine().spooler().FailedWrites(session_.printer());
  if (output_.Failed()) output_.Commit();  // throws with the write's reason
  if (failed != 0)
    throw Failure(std::to_string(failed) + " writes of the job to the spooler failed.");
  if (!reader_.WellFormed()) {
    throw Failure("the driver wrote a malformed job: at byte " +
                  std::to_string(reader_.fault()->offset) + ", " + reader_.fault()->reason + ".");
  }
  output_.Commit();
}
