// Running the built filter as CUPS runs it, in a child process: its six or
// seven arguments, the PPD variable, a raster on standard input or in a
// file; and writing the rasters it reads with libcups's own writer.
#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/card_job/image.h"

struct FilterResult {
  int status = -1;                // exit status, or 128 plus the signal
  std::vector<std::uint8_t> out;  // the job
  std::string err;                // the CUPS messages
};

struct FilterRun {
  std::string options{};              // argv[5]
  std::string copies = "1";           // argv[4]
  std::string ppd{};                  // the PPD variable, unset when empty
  std::vector<std::uint8_t> input{};  // standard input
};

FilterResult RunFilter(const FilterRun& run);

// Starts the filter reading from a pipe; feed writes to its write end (the
// child's pid given) and closes it when done.
FilterResult RunFilterOnPipe(const FilterRun& run,
                             const std::function<void(int fd, pid_t child)>& feed);

// A page header of the card printer's raster: 8-bit sRGB chunky, 300 dpi,
// the card page (158x246 pt, imageable 157.4399x245.7598).
cups_page_header2_t CardHeader(int width, int height);

// The raster stream of these pages, each with its header.
std::vector<std::uint8_t> RasterOf(
    const std::vector<std::pair<cups_page_header2_t, RgbImage>>& pages);
