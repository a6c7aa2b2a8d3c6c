// Reads PPD files, plain or gzip'd, into descriptions, for host programs
// and tests. The driver's file reader (ppd/parser/ppd_file_reader.h) does
// the work on the file's bytes; this side finds the bytes and hands back
// C++ results.
//
// A host engine must be installed (the description lives in its pool). The
// parse takes the driver's description lock, so these functions may be called
// from any thread, also while the driver builds descriptions for instances.
#pragma once

#include <compare>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "ppd/records.h"

// A statement that did not make it into the description: its first line
// and the reader's code (PPDERR_SYNTAX, PPDERR_MEMORY, PPDREAD_MALFORMED,
// PPDERR_FULL, PPDREAD_PAPER_REFUSED or PPDREAD_OPTION_BEYOND_SELECTION,
// ppd/parser/ppd_file_reader.h).
struct PpdRefusal {
  unsigned line = 0;
  unsigned code = 0;
  auto operator<=>(const PpdRefusal&) const = default;
};

struct PpdDescriptionDeleter {
  void operator()(PPDOBJ* ppd) const;
};
using PpdDescription = std::unique_ptr<PPDOBJ, PpdDescriptionDeleter>;

struct PpdFile {
  PpdDescription description;  // null when the pool ran out or no description lock could be made
  std::vector<PpdRefusal> refusals;
};

// The bytes of a file, inflated when they begin with the gzip magic bytes
// (every member of a multi-member file). Throws std::runtime_error when the
// file cannot be read or its gzip data is damaged or cut short.
std::vector<char> LoadPpdBytes(const std::filesystem::path& path);

// Reads PPD text held in memory; fileName names the description.
PpdFile ReadPpdText(std::span<const char> text, std::u16string_view fileName);

// Reads a PPD file, plain or gzip'd; the description is named after the
// file's name. Throws as LoadPpdBytes does.
PpdFile ReadPpdFile(const std::filesystem::path& path);
