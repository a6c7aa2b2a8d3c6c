#include "host/cardprint/batch_file.h"

#include <filesystem>

#include "host/card_job/errors.h"
#include "host/card_job/number_text.h"
#include "host/card_job/file_bytes.h"

namespace {

struct Row {
  std::vector<std::string> fields;
  int line;
};

// Splits CSV text into rows of fields (RFC 4180: quoted fields may hold
// commas, quotes doubled, and line breaks). Blank lines are skipped.
std::vector<Row> SplitRows(const std::string& text, const std::string& path) {
  std::vector<Row> rows;
  Row row{{}, 1};
  std::string field;
  bool quoted = false;
  bool field_started = false;
  int line = 1;
  auto end_row = [&] {
    if (field_started || !row.fields.empty()) {
      row.fields.push_back(field);
      rows.push_back(row);
    }
    row = Row{{}, line};
    field.clear();
    field_started = false;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        field += c;
      }
      continue;
    }
    if (c == '"' && field.empty()) {
      quoted = true;
      field_started = true;
    } else if (c == ',') {
      row.fields.push_back(field);
      field.clear();
      field_started = true;
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++line;
      end_row();
    } else {
      field += c;
      field_started = true;
    }
  }
  if (quoted) {
    throw Failure("the batch file " + path + " ends inside a quoted field begun on line " +
                  std::to_string(row.line) + ".");
  }
  end_row();
  return rows;
}

}  // namespace

std::vector<BatchCard> ReadBatchFile(const std::string& path) {
  std::vector<std::uint8_t> bytes = ReadWholeFile(path, "the batch file");
  std::vector<Row> rows = SplitRows(std::string(bytes.begin(), bytes.end()), path);
  std::filesystem::path folder = std::filesystem::path(path).parent_path();
  std::vector<BatchCard> cards;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const Row& row = rows[r];
    std::string where = "line " + std::to_string(row.line) + " of the batch file " + path;
    if (r == 0 && row.fields[0] == "image") continue;
    if (row.fields.size() > 5) throw Failure(where + " has more than five fields.");
    if (row.fields[0].empty()) throw Failure(where + " names no image.");
    BatchCard card;
    card.line = row.line;
    std::filesystem::path image(row.fields[0]);
    card.image = image.is_absolute() ? image.string() : (folder / image).string();
    for (std::size_t t = 0; t < 3 && t + 1 < row.fields.size(); ++t)
      card.tracks[t] = row.fields[t + 1];
    if (row.fields.size() == 5 && !row.fields[4].empty()) {
      try {
        card.copies = ParseInteger(row.fields[4], "copy count", 1, 999);
      } catch (const Failure& failure) {
        throw Failure(where + ": " + failure.what());
      }
    }
    cards.push_back(std::move(card));
  }
  if (cards.empty()) throw Failure("the batch file " + path + " holds no cards.");
  return cards;
}
