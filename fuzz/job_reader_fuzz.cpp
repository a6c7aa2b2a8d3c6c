// Fuzz target: any bytes as a print job, through the job decoder of
// `cardprint inspect`, fed whole and in small pieces; both must agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "host/job_reader/job_reader.h"

namespace {

struct Outcome {
  bool well_formed;
  std::uint64_t fault_offset;
};

Outcome Read(std::span<const std::uint8_t> job, std::size_t piece) {
  JobReader reader;
  for (std::size_t at = 0; at < job.size(); at += piece) {
    reader.Feed(job.subspan(at, std::min(piece, job.size() - at)));
  }
  reader.Finish();
  return {reader.WellFormed(), reader.fault() ? reader.fault()->offset : 0};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> job(data, size);
  Outcome whole = Read(job, size == 0 ? 1 : size);
  Outcome pieces = Read(job, 3);
  if (whole.well_formed != pieces.well_formed || whole.fault_offset != pieces.fault_offset) {
    std::abort();
  }
  return 0;
}
