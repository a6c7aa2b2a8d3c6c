// Fuzz target: any bytes as a PPD file, through the file reader, the
// interpreter and the packed image. Every input must leave the pool empty.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "host/engine/host_engine.h"
#include "ppd/packed_image.h"
#include "ppd/parser/ppd_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static HostEngine engine;
  static ScopedHostEngine installed(engine);

  PPDREADRESULT result{};
  PPDFILE_Read(std::span(reinterpret_cast<const CHAR*>(data), size), u"fuzz.ppd", &result);
  PPDFILE_FreeRefusals(&result);
  PpdDelete(PpdCreateFromParsed(result.ppd));

  if (engine.pool().Outstanding().blocks != 0) std::abort();
  return 0;
}
