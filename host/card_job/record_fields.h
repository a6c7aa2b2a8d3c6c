// Fields of the records the program hands the driver (the device mode, the
// printer properties), set by name from JSON values: a number for a scalar,
// an array for an array (an array of arrays for an array of records), a
// string for a UTF-16 text, an object for a nested record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>

enum class FieldKind { kByte, kWord, kShort, kDword, kLong, kText, kRecord };

struct FieldLayout {
  std::string_view name;
  std::size_t offset;
  FieldKind kind;
  std::size_t count = 1;                     // elements of an array; UTF-16 units of a text
  std::size_t columns = 1;                   // elements per record of an array of records
  std::span<const FieldLayout> fields = {};  // of a nested record (kRecord)
};

// Sets the named field of the record's bytes from value. Returns the reason
// when the name is unknown or the value does not fit the field, such as
// "the device mode has no field \"bPrintX\"".
std::optional<std::string> SetField(std::span<std::uint8_t> record,
                                    std::span<const FieldLayout> layout,
                                    std::string_view record_name, std::string_view name,
                                    const nlohmann::json& value);
