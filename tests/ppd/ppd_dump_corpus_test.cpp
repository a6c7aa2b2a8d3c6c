// `cardprint ppd dump --json` on every PPD file of the openprinting-ppds
// package, run through the program's command table: each must exit 0 with
// nothing on standard error and write one JSON object (the JSON itself is
// checked whole against fixtures elsewhere); none may trip a sanitizer. The files are the ones the
// ppd_corpus_unpack setup test unpacks into the build folder. The test prints the files, time and
// output size.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "host/cardprint/run_command.h"

namespace {

namespace fs = std::filesystem;

constexpr char kStampName[] = "unpacked-from";

std::vector<fs::path> CorpusFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename() != kStampName) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(PpdDumpCorpus, EveryOpenprintingPpdDumpsAsJson) {
  if (!fs::exists(OPENPRINTING_PPDS_PROGRAM)) {
    GTEST_SKIP() << OPENPRINTING_PPDS_PROGRAM << " is absent: install openprinting-ppds";
  }
  const fs::path folder = PPD_CORPUS_DIR;
  ASSERT_TRUE(fs::exists(folder / kStampName))
      << "the corpus is not unpacked in " << folder << ": the ppd_corpus_unpack test does it";
  const std::vector<fs::path> files = CorpusFiles(folder);
  ASSERT_FALSE(files.empty());

  std::size_t outputBytes = 0, failures = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const fs::path& path : files) {
    const CommandResult result = RunInProcess({"ppd", "dump", "--json", path.string()});
    if (result.status != 0 || !result.err.empty()) {
      ADD_FAILURE() << path << ": exit " << result.status << ": " << result.err;
      if (++failures == 20) break;
      continue;
    }
    outputBytes += result.out.size();
    if (!result.out.starts_with("{\n") || !result.out.ends_with("\n}\n")) {
      ADD_FAILURE() << path << ": the output is not one JSON object";
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  char summary[128];
  std::snprintf(summary, sizeof summary, "%zu files dumped in %.1f s, %.1f MB of JSON\n",
                files.size(), seconds, outputBytes / 1e6);
  std::cout << summary;
}

}  // namespace
