#include "host/printer_app/device_output.h"

bool WriteToDevice(pappl_device_t* device, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    ssize_t written = papplDeviceWrite(device, bytes.data(), bytes.size());
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}
