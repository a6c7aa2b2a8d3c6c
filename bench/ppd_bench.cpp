// Timings of the packed printer description: PpdCreate of the built-in card
// description, and reading and packing large real PPD files next to CUPS's
// ppdOpenFile on the same files in the same run.
//
// The real files come from Debian's openprinting-ppds package, taken out of
// its driver program ("cat") into a temporary folder once; CARDPRINT_BENCH_PPD
// names another file to use instead. Each PPD benchmark reports the file's
// size; compare the Ours and Cups rows of one file for the ratio.
#include <benchmark/benchmark.h>
#include <cups/ppd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

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

// The file read (and inflated when gzip'd), parsed by the driver's file
// reader, packed and unpacked: the image the driver would keep.
void BM_OursReadAndPack(benchmark::State& state, const fs::path& path) {
  HostEngine engine;
  ScopedHostEngine installed(engine);
  for (auto _ : state) {
    PpdFile file = ReadPpdFile(path);
    std::unique_ptr<PPDOBJ, ImageDeleter> image(PpdCreateFromParsed(file.description.release()));
    if (image == nullptr) state.SkipWithError("no image");
    benchmark::DoNotOptimize(image.get());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(path)));
}

void BM_CupsPpdOpenFile(benchmark::State& state, const fs::path& path) {
  for (auto _ : state) {
    ppd_file_t* ppd = ppdOpenFile(path.c_str());
    if (ppd == nullptr) state.SkipWithError("ppdOpenFile failed");
    benchmark::DoNotOptimize(ppd);
    ppdClose(ppd);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(path)));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  BenchFiles files;
  benchmark::RegisterBenchmark("PpdCreateBuiltIn", BM_PpdCreateBuiltIn);
  for (const fs::path& path : files.files()) {
    const std::string name = path.filename().string();
    benchmark::RegisterBenchmark(("Ours/" + name).c_str(), BM_OursReadAndPack, path);
    benchmark::RegisterBenchmark(("Cups/" + name).c_str(), BM_CupsPpdOpenFile, path);
  }
  if (files.files().empty()) std::cerr << "no PPD file to read: install openprinting-ppds\n";
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
