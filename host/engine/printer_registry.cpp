#include "host/engine/printer_registry.h"

#include <algorithm>
#include <string_view>

#include "engine/constants.h"

void PrinterRegistry::SetValue(HANDLE printer, std::u16string name, DWORD type,
                               std::vector<std::uint8_t> bytes) {
  std::lock_guard lock(mutex_);
  printers_[printer][std::move(name)] = Value{type, std::move(bytes)};
}

void PrinterRegistry::SetDword(HANDLE printer, std::u16string name, DWORD value) {
  SetValue(printer, std::move(name), REG_DWORD,
           {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

void PrinterRegistry::RemoveValue(HANDLE printer, const std::u16string& name) {
  std::lock_guard lock(mutex_);
  auto it = printers_.find(printer);
  if (it != printers_.end()) it->second.erase(name);
}

void PrinterRegistry::Clear(HANDLE printer) {
  std::lock_guard lock(mutex_);
  printers_.erase(printer);
}

DWORD PrinterRegistry::Query(HANDLE printer, const WCHAR* name, DWORD* type, BYTE* data, DWORD size,
                             DWORD* needed) const {
  std::lock_guard lock(mutex_);
  if (needed != nullptr) *needed = 0;
  if (name == nullptr) return ERROR_INVALID_PARAMETER;
  auto values = printers_.find(printer);
  if (values == printers_.end()) return ERROR_FILE_NOT_FOUND;
  auto value = values->second.find(std::u16string_view(name));
  if (value == values->second.end()) return ERROR_FILE_NOT_FOUND;

  const std::vector<std::uint8_t>& bytes = value->second.bytes;
  if (needed != nullptr) *needed = static_cast<DWORD>(bytes.size());
  if (type != nullptr) *type = value->second.type;
  if (size < bytes.size() || (data == nullptr && !bytes.empty())) return ERROR_MORE_DATA;
  std::copy(bytes.begin(), bytes.end(), data);
  return ERROR_SUCCESS;
}
