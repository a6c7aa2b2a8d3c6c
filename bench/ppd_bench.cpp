// Timings of the packed printer description: PpdCreate of the built-in card
// description, and reading and packing large real PPD files next to CUPS's
// ppdOpenFile on the same files in the same run.
//
// The real files come from Debian's openprinting-ppds package, taken out of
// its driver program ("cat") into a temporary folder once, and one of them
// gzip'd as well; CARDPRINT_BENCH_PPD names another file to use instead. Per
// file, ReadAndPack/<file> reads and packs it and CUPS's ppdOpenFile opens it
// in turns within each iteration; the time reported is ours, the counters
// give CUPS's (cups_ms) and the ratio of the two (x_cups: our time over
// CUPS's; a third is 0.333).
#include <benchmark/benchmark.h>
#include <cups/ppd.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "bench/thread_clock.h"
#include "host/engine/host_engine.h"
#include "host/ppd_file/ppd_file.h"
#include "ppd/packed_image.h"

namespace {

namespace fs = std::filesystem;

constexpr char kDriverProgram[] = "/usr/lib/cups/driver/openprinting-ppds";
// A description with over 9000 constraints, and one with many options.
constexpr const char* kPackageFiles[] = {
    "openprinting-ppds:0/ppd/openprinting/Canon/cnprc650x1g.ppd",
    "openprinting-ppds:0/ppd/openprinting/Ricoh/PS/Ricoh-Pro_C7200S_Light_PS.ppd",
};

// Takes the package's files out into a folder that lives as long as the run.
class BenchFiles {
 public:
  BenchFiles() {
    if (const char* path = std::getenv("CARDPRINT_BENCH_PPD")) {
      files_.push_back(path);
      return;
    }
    std::string pattern = (fs::temp_directory_path() / "cardprint-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    folder_ = pattern;
    for (const char* uri : kPackageFiles) {
      const fs::path target = folder_ / fs::path(uri).filename();
      const std::string command =
          std::string(kDriverProgram) + " cat '" + uri + "' > '" + target.string() + "'";
      if (std::system(command.c_str()) == 0 && fs::file_size(target) > 0) files_.push_back(target);
    }
    if (!files_.empty()) {
      const fs::path gzipped = files_.front().string() + ".gz";
      const std::string command = "gzip -c '" + files_.front().string() + "' > '" + gzipped.string() + "'";
      if (std::system(command.c_str()) == 0 && fs::file_size(gzipped) > 0) files_.push_back(gzipped);
    }
  }
  ~BenchFiles() {
    if (!folder_.empty()) fs::remove_all(folder_);
  }
  const std::vector<fs::path>& files() const { return files_; }

 private:
  fs::path folder_;
  std::vector<fs::path> files_;
};

struct ImageDeleter {
  void operator()(PPDOBJ* image) const { PpdDelete(image); }
};

void BM_PpdCreateBuiltIn(benchmark::State& state) {
  HostEngine engine;
  ScopedHostEngine installed(engine);
  for (auto _ : state) {
    std::unique_ptr<PPDOBJ, ImageDeleter> image(PpdCreate(u"cardprint.ppd"));
    if (image == nullptr) state.SkipWithError("PpdCreate failed");
    benchmark::DoNotOptimize(image.get());
  }
}

// Ours: the file read (and inflated when gzip'd), parsed by the driver's
// file reader, packed and unpacked: the image the driver would keep. CUPS:
// ppdOpenFile and ppdClose.
void BM_ReadAndPack(benchmark::State& state, const fs::path& path) {
  using Clock = ThreadClock;
  HostEngine engine;
  ScopedHostEngine installed(engine);
  double ours = 0;
  double cups = 0;
  for (auto _ : state) {
    Clock::time_point start = Clock::now();
    {
      PpdFile file = ReadPpdFile(path);
      std::unique_ptr<PPDOBJ, ImageDeleter> image(PpdCreateFromParsed(file.description.release()));
      if (image == nullptr) state.SkipWithError("no image");
      benchmark::DoNotOptimize(image.get());
    }
    Clock::time_point end = Clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    ours += std::chrono::duration<double>(end - start).count();

    start = Clock::now();
    ppd_file_t* ppd = ppdOpenFile(path.c_str());
    if (ppd == nullptr) state.SkipWithError("ppdOpenFile failed");
    benchmark::DoNotOptimize(ppd);
    ppdClose(ppd);
    cups += std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.counters["cups_ms"] = cups / static_cast<double>(state.iterations()) * 1e3;
  state.counters["x_cups"] = ours / cups;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(path)));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  BenchFiles files;
  benchmark::RegisterBenchmark("PpdCreateBuiltIn", BM_PpdCreateBuiltIn);
  for (const fs::path& path : files.files()) {
    const std::string name = path.filename().string();
    benchmark::RegisterBenchmark(("ReadAndPack/" + name).c_str(), BM_ReadAndPack, path)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
  }
  if (files.files().empty()) std::cerr << "no PPD file to read: install openprinting-ppds\n";
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
