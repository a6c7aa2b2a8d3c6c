// A job decoded for tests by the program's own decoder: every sequence as a
// line "kind: fields", the panel data of each page, and the verdict.
#pragma once

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "host/cardprint/job_listing.h"
#include "host/job_reader/job_reader.h"

struct DecodedJob {
  bool well_formed = false;
  std::string fault;
  int pages = 0;
  std::vector<std::string> lines;
  std::vector<std::map<char, std::vector<std::uint8_t>>> panels;  // by page

  bool Has(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  std::size_t Count(const std::string& line) const {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
  }
  // Lines that begin with prefix.
  std::vector<std::string> Starting(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
  }
};

inline DecodedJob DecodeJob(const std::vector<std::uint8_t>& bytes) {
  struct Listener : JobListener {
    DecodedJob* job;
    void OnSequence(const Sequence& s) override {
      job->lines.push_back(std::string(SequenceKind(s.fields)) + ": " + DescribeSequence(s.fields));
      if (std::holds_alternative<PageStart>(s.fields)) job->panels.emplace_back();
    }
    void OnPanelBytes(char panel, std::uint64_t, std::span<const std::uint8_t> piece) override {
      auto& data = job->panels.back()[panel];
      data.insert(data.end(), piece.begin(), piece.end());
    }
  } listener;
  DecodedJob job;
  listener.job = &job;
  JobReader reader(&listener);
  reader.Feed(bytes);
  reader.Finish();
  job.well_formed = reader.WellFormed();
  if (reader.fault()) job.fault = reader.fault()->reason;
  job.pages = reader.pages();
  return job;
}

inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
