#include "host/card_job/record_fields.h"

#include <cstring>
#include <limits>

#include "host/card_job/text_conversion.h"

namespace {

struct Range {
  std::int64_t min;
  std::int64_t max;
  std::size_t size;
};

Range RangeOf(FieldKind kind) {
  switch (kind) {
    case FieldKind::kByte:
      return {0, 0xFF, 1};
    case FieldKind::kWord:
      return {0, 0xFFFF, 2};
    case FieldKind::kShort:
      return {-0x8000, 0x7FFF, 2};
    case FieldKind::kDword:
      return {0, 0xFFFFFFFF, 4};
    case FieldKind::kLong:
      return {-0x80000000LL, 0x7FFFFFFF, 4};
    default:
      return {0, 0, 0};
  }
}

std::optional<std::string> SetNumber(std::span<std::uint8_t> record, std::size_t offset,
                                     FieldKind kind, const nlohmann::json& value,
                                     const std::string& what) {
  Range range = RangeOf(kind);
  if (!value.is_number_integer()) return what + " needs a whole number";
  // An unsigned value beyond 64-bit signed range is out of every field's range.
  std::int64_t number =
      value.is_number_unsigned()
          ? static_cast<std::int64_t>(std::min<std::uint64_t>(
                value.get<std::uint64_t>(), std::numeric_limits<std::int64_t>::max()))
          : value.get<std::int64_t>();
  if (number < range.min || number > range.max) {
    return what + " must lie between " + std::to_string(range.min) + " and " +
           std::to_string(range.max);
  }
  auto bits = static_cast<std::uint64_t>(number);
  for (std::size_t i = 0; i < range.size; ++i)
    record[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  return std::nullopt;
}

std::optional<std::string> SetRecord(std::span<std::uint8_t> record, const FieldLayout& field,
                                     const nlohmann::json& value) {
  std::string what = "the field " + std::string(field.name);
  if (!value.is_object()) return what + " needs an object of its fields";
  std::span<std::uint8_t> inner = record.subspan(field.offset);
  for (const auto& [name, inner_value] : value.items()) {
    if (auto problem = SetField(inner, field.fields, field.name, name, inner_value)) return problem;
  }
  return std::nullopt;
}

std::optional<std::string> SetValue(std::span<std::uint8_t> record, const FieldLayout& field,
                                    const nlohmann::json& value) {
  std::string what = "the field " + std::string(field.name);
  if (field.kind == FieldKind::kRecord) return SetRecord(record, field, value);
  if (field.kind == FieldKind::kText) {
    if (!value.is_string()) return what + " needs a string";
    std::optional<std::u16string> text = Utf8ToUtf16(value.get<std::string>());
    if (!text) return what + " is not valid UTF-8";
    if (text->size() >= field.count) {
      return what + " holds at most " + std::to_string(field.count - 1) + " characters";
    }
    std::memset(&record[field.offset], 0, field.count * 2);
    for (std::size_t i = 0; i < text->size(); ++i) {
      record[field.offset + 2 * i] = static_cast<std::uint8_t>((*text)[i]);
      record[field.offset + 2 * i + 1] = static_cast<std::uint8_t>((*text)[i] >> 8);
    }
    return std::nullopt;
  }
  std::size_t size = RangeOf(field.kind).size;
  if (field.count == 1) return SetNumber(record, field.offset, field.kind, value, what);
  std::size_t rows = field.count / field.columns;
  if (!value.is_array() || value.size() != rows) {
    return what + " needs an array of " + std::to_string(rows) +
           (field.columns == 1 ? " numbers" : " arrays");
  }
  for (std::size_t row = 0; row < rows; ++row) {
    const nlohmann::json& item = value[row];
    if (field.columns == 1) {
      if (auto problem = SetNumber(record, field.offset + row * size, field.kind, item, what)) {
        return problem;
      }
      continue;
    }
    if (!item.is_array() || item.size() != field.columns) {
      return what + " needs arrays of " + std::to_string(field.columns) + " numbers";
    }
    for (std::size_t column = 0; column < field.columns; ++column) {
      std::size_t offset = field.offset + (row * field.columns + column) * size;
      if (auto problem = SetNumber(record, offset, field.kind, item[column], what)) return problem;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> SetField(std::span<std::uint8_t> record,
                                    std::span<const FieldLayout> layout,
                                    std::string_view record_name, std::string_view name,
                                    const nlohmann::json& value) {
  for (const FieldLayout& field : layout) {
    if (field.name == name) return SetValue(record, field, value);
  }
  return std::string(record_name) + " has no field \"" + std::string(name) + "\"";
}
