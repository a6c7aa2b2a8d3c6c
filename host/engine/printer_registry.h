// The printers' registry data as the host provides it: per printer handle,
// named values held as raw bytes with their registry type. The host (a test,
// a program reading its configuration) sets them; the driver reads them with
// EngGetPrinterData and never writes.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/types.h"

class PrinterRegistry {
 public:
  // Stores (or replaces) a value of the printer, exactly these bytes.
  void SetValue(HANDLE printer, std::u16string name, DWORD type, std::vector<std::uint8_t> bytes);
  // Stores a 4-byte little-endian REG_DWORD value.
  void SetDword(HANDLE printer, std::u16string name, DWORD value);
  void RemoveValue(HANDLE printer, const std::u16string& name);
  // Forgets every value of the printer.
  void Clear(HANDLE printer);

  // EngGetPrinterData: ERROR_SUCCESS with the bytes copied to data when
  // the value exists and size holds it; ERROR_MORE_DATA when size is too
  // small (nothing copied); ERROR_FILE_NOT_FOUND when the printer has no such
  // value. needed always receives the value's size (0 when it is missing).
  DWORD Query(HANDLE printer, const WCHAR* name, DWORD* type, BYTE* data, DWORD size,
              DWORD* needed) const;

 private:
  struct Value {
    DWORD type;
    std::vector<std::uint8_t> bytes;
  };
  using Values = std::map<std::u16string, Value, std::less<>>;

  mutable std::mutex mutex_;
  std::map<HANDLE, Values> printers_;
};
