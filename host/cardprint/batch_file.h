// A batch of personalised cards from a CSV file, one card per row: the
// image, the three magnetic track texts and the copies, as an issuing office
// prints a run of cards.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct BatchCard {
  std::string image;  // relative paths are taken from the CSV file's folder
  std::string tracks[3];
  std::optional<long> copies;  // none: the job's copy count
  int line = 0;                // in the CSV file
};

// Reads the file. Columns: image, track1, track2, track3, copies; all but the
// image may be left out or empty. A first row whose first field is "image"
// names the columns and is skipped. Fields may be quoted with double quotes
// ("" for a quote inside). A row without an image, with more than five
// fields, with copies other than 1 to 999, or a file without cards is a
// Failure naming the file and line.
std::vector<BatchCard> ReadBatchFile(const std::string& path);
