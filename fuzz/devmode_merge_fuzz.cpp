// Fuzz target: any bytes as the device mode an application hands
// DrvEnablePDEV, with any declared sizes of its public and private parts,
// then one page printed on the instance. The input is two 16-bit numbers
// that choose dmSize and dmDriverExtra, then the device mode's bytes. The
// declared sizes are made to fit the bytes, as the engine checks before it
// calls the driver, and the device mode is copied to a buffer of exactly
// the declared size, so any read beyond it is caught.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/records.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/printer_session.h"
#include "host/engine/devmode_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PrinterSession& session = PrinterSession::Get();
  FuzzInput input(data, size);
  auto size_choice = input.Take<std::uint16_t>();
  auto extra_choice = input.Take<std::uint16_t>();
  // Both sizes are 16-bit fields, so the device mode holds at most 65535 bytes.
  std::span<const std::uint8_t> bytes = input.TakeBytes(0xFFFF);

  std::vector<std::uint8_t> devmode;
  DEVMODEW* pdm = nullptr;
  if (bytes.size() >= kMinDevModeSize) {
    auto dm_size =
        static_cast<WORD>(kMinDevModeSize + size_choice % (bytes.size() - kMinDevModeSize + 1));
    auto dm_extra = static_cast<WORD>(extra_choice % (bytes.size() - dm_size + 1));
    devmode.assign(bytes.begin(), bytes.begin() + dm_size + dm_extra);
    std::memcpy(devmode.data() + offsetof(DEVMODEW, dmSize), &dm_size, sizeof dm_size);
    std::memcpy(devmode.data() + offsetof(DEVMODEW, dmDriverExtra), &dm_extra, sizeof dm_extra);
    pdm = CheckedDevMode(devmode);
    if (pdm == nullptr) std::abort();
  }

  if (session.Enable(pdm)) session.PrintPage();
  session.Disable();
  return 0;
}
