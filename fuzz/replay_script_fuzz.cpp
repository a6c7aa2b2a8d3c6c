// Fuzz target: any bytes as a `cardprint replay` script, through the script
// reader. A script it cannot take must be refused with a Failure (the one
// sentence the program prints); anything else escaping it, or a crash, is a
// finding. The reader takes a file, so each input is written to one file in
// a private temporary folder first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/card_job/errors.h"
#include "host/cardprint/replay_script.h"

namespace {

std::filesystem::path& Folder() {
  static std::filesystem::path folder;
  return folder;
}

// The script file in a new temporary folder, removed when the process ends.
std::string ScriptPath() {
  std::string folder = (std::filesystem::temp_directory_path() / "replay-fuzz-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) std::abort();
  Folder() = folder;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(Folder(), ignored);
  });
  return folder + "/script.json";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = ScriptPath();
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    ReadReplayScript(path);
  } catch (const Failure&) {
  }
  return 0;
}
