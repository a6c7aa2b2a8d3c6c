// Listings of a decoded job for people and for programs: one line, or one
// JSON object, per sequence as the reader walks the job, then the verdict.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "host/job_reader/job_reader.h"

// The fields of a sequence in words, such as "yellow at dot 0, line 0:
// 1024 lines of 656 dots".
std::string DescribeSequence(const SequenceFields& fields);

// The sequence as a JSON object: offset, length, kind, page and its fields.
nlohmann::ordered_json SequenceJson(const Sequence& sequence);

class JobListing : public JobListener {
 public:
  enum class Format { kText, kJson };

  JobListing(std::ostream& out, Format format);

  void OnSequence(const Sequence& sequence) override;

  // Ends the listing with the verdict: well formed, or the first fault and
  // its offset; with totals of bytes, documents and pages.
  void Close(const JobReader& reader);

 private:
  std::ostream& out_;
  Format format_;
  bool first_ = true;
};
