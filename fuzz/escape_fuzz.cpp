// Fuzz target: a run of DrvEscape calls with any escape numbers, inputs and
// output sizes on an instance whose printer has a magnetic encoder, then one
// page printed (its page start carries the track data the escapes set).
// Each call in the input is: a byte choosing the escape (one of the seven
// the driver answers, or a 32-bit number that follows), a byte of flags
// (1: an input buffer, 2: an output buffer), the 16-bit input and output
// sizes, then the input's bytes. Buffers have exactly their stated sizes, so
// any access beyond them is caught.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/printer_session.h"
#include "output/escapes.h"

namespace {

constexpr ULONG kAnswered[] = {QUERYESCSUPPORT, SETCOPYCOUNT, GETTECHNOLOGY, SETMAGTRACK1,
                               SETMAGTRACK2,    SETMAGTRACK3, SETMAGMODE};
constexpr std::size_t kMostCalls = 64;

// The printer's stored properties: the defaults with the encoder fitted.
void FitEncoder(PrinterSession& session) {
  PRINTERPROPS props = DefPrinterProps;
  props.dwMagEncoder = 1;
  std::vector<std::uint8_t> bytes(sizeof props);
  std::memcpy(bytes.data(), &props, sizeof props);
  PrinterRegistry& registry = session.engine().registry();
  registry.SetDword(session.printer(), u"PrinterDataSize", sizeof props);
  registry.SetValue(session.printer(), u"PrinterData", REG_BINARY, std::move(bytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PrinterSession& session = PrinterSession::Get();
  static bool fitted = (FitEncoder(session), true);
  (void)fitted;

  if (session.Enable(nullptr)) {
    FuzzInput input(data, size);
    for (std::size_t call = 0; call < kMostCalls && !input.empty(); ++call) {
      auto choice = input.Take<std::uint8_t>();
      ULONG escape = choice % 8 < 7 ? kAnswered[choice % 8] : input.Take<ULONG>();
      auto flags = input.Take<std::uint8_t>();
      auto in_size = input.Take<std::uint16_t>();
      auto out_size = input.Take<std::uint16_t>();
      std::vector<std::uint8_t> in(in_size);
      std::span<const std::uint8_t> given = input.TakeBytes(in_size);
      if (!given.empty()) std::memcpy(in.data(), given.data(), given.size());
      std::vector<std::uint8_t> out(out_size);
      session.driver().Escape(session.surface(), escape, in_size, (flags & 1) ? in.data() : nullptr,
                              out_size, (flags & 2) ? out.data() : nullptr);
    }
    session.PrintPage();
  }
  session.Disable();
  return 0;
}
